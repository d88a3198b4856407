// zel login: the log-in road, with the forms after the provider's read after the log-in.
#include "CommandLine.h"
#include "Commands.h"
#include "Guard.h"
#include "MenuOutput.h"
#include "Session.h"
#include "zel/components/ZELBBTN.h"
#include "zel/components/ZELBtn.h"
#include "zel/host/text/Secret.h"
#include "zel/qt/QtButtons.h"
#include "zel/qt/QtMenuBar.h"

#include <QAction>

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

// What a user sees: for a menu adopted from a .ui window, the actions' own states.
StateOf WidgetStates(Session& session, const TZELRight& provider) {
    QMenuBar* bar = session.UiWindows().BarOf(provider.LinkedMainMenu());
    if (bar == nullptr) {
        return {};
    }
    return [bar](const host::TMenuItem& item) {
        const QAction* action = qt::ActionOf(*bar, item);
        return action != nullptr ? std::pair{action->isEnabled(), action->isVisible()}
                                 : std::pair{false, false};
    };
}

// The zelRight buttons of the .ui windows, adopted now that the user is logged in, as
// read back from the widgets.
std::vector<ButtonState> AdoptUiButtons(Session& session, TZELRight& provider) {
    std::vector<ButtonState> buttons;
    for (const auto& window : session.UiWindows().Loaded()) {
        for (const qt::TAdoptedButton& b : qt::AdoptRightButtons(*window, provider)) {
            buttons.push_back({window->objectName().toStdString(),
                               b.widget->objectName().toStdString(), b.model->ClassName(),
                               b.model->Right(), b.widget->isEnabled(), !b.widget->isHidden()});
        }
    }
    return buttons;
}

void WriteReport(bool ok, const std::string& user, const Session& session,
                 const TZELRight& provider, const std::vector<ButtonState>& buttons,
                 const StateOf& state, const Style& style) {
    const host::TMainMenu* menu = provider.LinkedMainMenu();
    const host::TMenuItem* root = menu != nullptr ? menu->Items() : nullptr;
    std::ostream& out = style.Out();
    out << (ok ? style.Green("Logged in as " + Visible(user))
               : style.Red("Log-in of " + Visible(user) + " refused"))
        << '\n';
    WriteMessages(style, session.Messages(), provider.LastErrorText());
    if (root != nullptr) {
        out << style.Bold("Menu") << '\n';
        WriteMenu(*root, style, state);
    }
    if (!buttons.empty()) {
        std::vector<std::vector<std::string>> rows;
        for (const auto& b : buttons) {
            rows.push_back({Visible(b.form + "." + b.name), b.cls, Visible(b.right),
                            StateText(style, b.enabled, b.visible)});
        }
        out << style.Bold("Buttons") << '\n';
        WriteColumns(out, rows);
    }
}
} // namespace

Result Login(const Target& target, const std::string& user, std::string& password,
             const std::optional<std::string>& screenshots, const Style& style) {
    Session session;
    std::size_t next = 0;
    while (next < target.forms.size() && !session.HasProvider(target.provider)) {
        session.Read(target.forms[next++]);
    }
    TZELRight& provider = session.Provider(target.provider);
    return Guarded(session, style, [&] {
        provider.SetUserID(user);
        provider.SetUserPassword(password);
        const bool ok = provider.LoadSetting();
        // The password has done its work: nothing of it stays in memory to be dumped.
        std::string held = provider.UserPassword();
        provider.SetUserPassword(std::string());
        host::WipeSecret(held);
        host::WipeSecret(password);
        // Forms created after a log-in check their buttons against it.
        const std::size_t firstAfter = session.Forms().size();
        while (next < target.forms.size()) {
            session.Read(target.forms[next++]);
        }
        std::vector<ButtonState> buttons = AdoptUiButtons(session, provider);
        for (std::size_t f = firstAfter; f < session.Forms().size(); ++f) {
            for (auto& b : ButtonsOf(*session.Forms()[f])) {
                buttons.push_back(std::move(b));
            }
        }

        const StateOf state = WidgetStates(session, provider);
        std::vector<std::string> pictures;
        if (screenshots) {
            std::vector<host::TForm*> forms;
            for (const auto& f : session.Forms()) {
                if (!session.FromUiFile(*f)) { // those are shot as their own windows
                    forms.push_back(f.get());
                }
            }
            pictures = session.UiWindows().Screenshots(forms, *screenshots);
        }
        Result r;
        r.status = ok ? 0 : 1;
        if (style.json) {
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
                      {"cause", provider.LastErrorText().empty() ? Json(nullptr)
                                                                 : Text(provider.LastErrorText())},
                      {"granted", TextList(provider.GetAuthorisedMenuItems()->Items())},
                      {"menu", menu != nullptr && menu->Items() != nullptr
                                   ? MenuJson(*menu->Items(), state)
                                   : Json::array()},
                      {"buttons", buttonsJson}};
            if (screenshots) {
                r.json["screenshots"] = pictures;
            }
        } else {
            WriteReport(ok, user, session, provider, buttons, state, style);
            for (const auto& p : pictures) {
                style.Out() << "  " << style.Dim("picture ") << VisiblePath(p) << '\n';
            }
        }
        return r;
    });
}

void AddLoginCommand(CLI::App& app, CommandSet& set) {
    struct Arguments : FormArguments {
        std::string user;
        bool passwordStdin = false;
        std::optional<std::string> screenshots;
    };
    auto a = std::make_shared<Arguments>();
    CLI::App& c =
        *app.add_subcommand("login", "log a user in and show the menu and buttons they get");
    AddForms(c, *a);
    AddUser(c, a->user);
    c.add_flag("--password-stdin", a->passwordStdin, "read the password from standard input");
    c.add_option("--screenshot", a->screenshots,
                 "write a PNG of each window and of each top-level menu into this folder");
    AddJson(c, set);
    Footer(c, "echo clerk | zel login main.dfm orders.dfm --user clerk --password-stdin\n"
              "  zel login app.ui rights.dfm --user clerk --screenshot shots");
    Register(set, &c, [a](const Style& style) {
        const Target target = a->Checked(a->passwordStdin);
        const std::string id = Argument(a->user, "the user ID");
        std::string password = ReadPassword(a->passwordStdin);
        return Login(target, id, password, a->screenshots, style);
    });
}

} // namespace zel::cli
