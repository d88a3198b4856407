// Logs a user in against the user table of a form file, as an application would:
//   zel_consumer main.dfm clerk clerk
#include <iostream>
#include <memory>
#include <zel/components/ZELRight.h>
#include <zel/host/forms/FormFile.h>
#include <zel/package/Package.h>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: zel_consumer FORM USER PASSWORD\n";
        return 2;
    }
    zel::package::Initialize(); // the component classes, for the form reader
    try {
        std::unique_ptr<zel::host::TForm> form(zel::host::ReadForm(argv[1]));
        for (int i = 0; i < form->ComponentCount(); ++i) {
            if (auto* rights = dynamic_cast<zel::TZELRight*>(form->Components(i))) {
                rights->SetUserID(argv[2]);
                rights->SetUserPassword(argv[3]);
                if (!rights->LoadSetting()) {
                    return 1;
                }
                std::cout << argv[2] << " holds " << rights->GetAuthorisedMenuItems()->Count()
                          << " rights\n";
                return 0;
            }
        }
        std::cerr << "no TZELRight in " << argv[1] << '\n';
    } catch (const zel::host::Exception& e) {
        std::cerr << e.what() << '\n';
    }
    return 1;
}
