// A random life of a live application (LiveApp.h): its own setEnabled and setVisible
// calls, through its logic and out of it, interleaved with log-ins of several users in
// greyed and hidden mode, ActivateSetting, the editor's previews on the same menu and
// freed items. After every step no action may be enabled or shown beyond what both the
// rights and the application allow, and none may be held off that both allow.
#include "FuzzSupport.h"
#include "LiveApp.h"
#include "QtFuzzStart.h"

using namespace zel;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::StartQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    fuzz::LiveApp app;
    static const char* const users[] = {"admin", "clerk", "viewer"};
    for (int step = 0; !in.Empty() && step < 200; ++step) {
        const std::size_t op = in.Below(11);
        std::string what = "step " + std::to_string(step) + " op " + std::to_string(op);
        switch (op) {
        case 0:
            app.OpenDocument();
            break;
        case 1:
            app.CloseDocument();
            break;
        case 2:
            app.Select(in.Byte() % 2 == 0);
            break;
        case 3:
            app.Edit();
            break;
        case 4:
            app.Undo();
            break;
        case 5:
            app.SetEnabled(app.actions[in.Below(app.actions.size())], in.Byte() % 2);
            break;
        case 6:
            app.SetVisible(app.actions[in.Below(app.actions.size())], in.Byte() % 2);
            break;
        case 7:
            app.LogIn(users[in.Below(3)], in.Byte() % 2 == 1);
            break;
        case 8:
            app.Activate();
            break;
        case 9:
            app.Preview(in.Byte());
            break;
        default:
            app.FreeItem(in.Byte());
            break;
        }
        const std::string broken = app.Check();
        fuzz::Check(broken.empty(), what + ": " + broken);
    }
    return 0;
}
