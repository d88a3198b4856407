// zel login: the log-in road, with the forms after the provider's read after the log-in.
#include "Commands.h"
#include "Encoding.h"
#include "Guard.h"
#include "components/ZELBBTN.h"
#include "components/ZELBtn.h"

namespace zel::cli {

namespace {
struct ButtonState {
    std::string form, name, cls, right;
    bool enabled, visible;
};

std::vector<ButtonState> ButtonsOf(const host::TForm& form) {
    std::vector<ButtonState> buttons;
    for (int i = 0; i < form.ComponentCount(); ++i) {
        host::TComponent* c = form.Components(i);
        std::string right;
        if (auto* b = dynamic_cast<TZELBitBtn*>(c)) {
            right = b->Right();
        } else if (auto* p = dynamic_cast<TZELButton*>(c)) {
            right = p->Right();
        } else {
            continue;
        }
        auto* control = static_cast<host::TControl*>(c);
        buttons.push_back({form.Name(), c->Name(), c->ClassName(), right, control->Enabled(),
                           control->Visible()});
    }
    return buttons;
}
} // namespace

Result Login(const Target& target, const std::string& user, const std::string& password,
             const Style& style) {
    Session session;
    std::size_t next = 0;
    while (next < target.forms.size() && !session.HasProvider(target.provider)) {
        session.Read(target.forms[next++]);
    }
    TZELRight& provider = session.Provider(target.provider);
    return Guarded(session, [&] {
        provider.SetUserID(user);
        provider.SetUserPassword(password);
        const bool ok = provider.LoadSetting();
        // Forms created after a log-in check their buttons against it.
        const std::size_t firstAfter = session.Forms().size();
        while (next < target.forms.size()) {
            session.Read(target.forms[next++]);
        }
        std::vector<ButtonState> buttons;
        for (std::size_t f = firstAfter; f < session.Forms().size(); ++f) {
            for (auto& b : ButtonsOf(*session.Forms()[f])) {
                buttons.push_back(std::move(b));
            }
        }

        Result r;
        r.status = ok ? 0 : 1;
        const host::TMainMenu* menu = provider.LinkedMainMenu();
        Json buttonsJson = Json::array();
        for (const auto& b : buttons) {
            buttonsJson.push_back({{"form", Text(b.form)},
                                   {"name", Text(b.name)},
                                   {"class", b.cls},
                                   {"right", Text(b.right)},
                                   {"enabled", b.enabled},
                                   {"visible", b.visible}});
        }
        r.json = {{"result", ok},
                  {"messages", TextList(session.Messages())},
                  {"granted", TextList(provider.GetAuthorisedMenuItems()->Items())},
                  {"menu", menu != nullptr && menu->Items() != nullptr ? MenuJson(*menu->Items())
                                                                       : Json::array()},
                  {"buttons", buttonsJson}};

        r.text = ok ? style.Green("Logged in as " + ToUtf8(user)) + "\n"
                    : style.Red("Log-in of " + ToUtf8(user) + " refused") + "\n";
        r.text += MessagesText(session.Messages());
        if (menu != nullptr && menu->Items() != nullptr) {
            r.text += style.Bold("Menu") + "\n" + MenuText(*menu->Items(), style);
        }
        if (!buttons.empty()) {
            std::vector<std::vector<std::string>> rows;
            for (const auto& b : buttons) {
                rows.push_back({ToUtf8(b.form + "." + b.name), b.cls, ToUtf8(b.right),
                                StateText(style, b.enabled, b.visible)});
            }
            r.text += style.Bold("Buttons") + "\n" + Columns(rows);
        }
        return r;
    });
}

} // namespace zel::cli
