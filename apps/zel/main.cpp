// zel: log users in, audit and administer their rights from a terminal or a script.
#include "Commands.h"
#include "Session.h"
#include "package/Package.h"

#include <CLI/CLI.hpp>
#include <iostream>

using namespace zel::cli;

namespace {

struct Options {
    bool json = false;
    std::vector<std::string> forms;
    std::string user;
    std::optional<std::string> provider;
    std::optional<std::string> editor;
    bool passwordStdin = false;
    std::string dir = "./zel-shop";
    bool force = false;
    std::string format = "text";
    std::optional<std::string> exportDir;
    std::vector<std::string> files;
};

// In `zel grant FORM... --user ID NAME...` the positionals before --user are forms and
// those after it are right names: CLI11 records the order in which it met each one.
std::size_t PositionalsBeforeUser(const CLI::App& command, const CLI::Option* args,
                                  const CLI::Option* user) {
    std::size_t count = 0;
    for (const CLI::Option* o : command.parse_order()) {
        if (o == user) {
            break;
        }
        count += o == args ? 1 : 0;
    }
    return count;
}

Target MakeTarget(const Options& o) {
    Target t;
    t.forms = o.forms;
    if (o.provider) {
        t.provider = Argument(*o.provider, "--provider");
    }
    if (o.editor) {
        t.editor = Argument(*o.editor, "--editor");
    }
    return t;
}

void Print(const Result& r, bool json) {
    if (json) {
        std::cout << r.json.dump(2) << '\n';
    } else {
        std::cout << r.text;
    }
    std::cout.flush();
}

} // namespace

int main(int argc, char** argv) {
    zel::package::Initialize();
    CLI::App app{"zel: log users in, audit and administer their rights"};
    app.require_subcommand(1);
    Options o;
    auto json = [&](CLI::App* c) { c->add_flag("--json", o.json, "print one JSON object"); };
    auto forms = [&](CLI::App* c) {
        c->add_option("forms", o.forms, "form files, in load order")->required();
        c->add_option("--provider", o.provider, "the rights provider (Name or Form.Name)");
    };

    auto* example =
        app.add_subcommand("example", "write the example shop: forms and a fresh database");
    example->add_option("dir", o.dir, "folder to write into")->capture_default_str();
    example->add_flag("--force", o.force, "replace an existing example");
    json(example);

    auto* login =
        app.add_subcommand("login", "log a user in and show the menu and buttons they get");
    forms(login);
    login->add_option("-u,--user", o.user, "user ID")->required();
    login->add_flag("--password-stdin", o.passwordStdin, "read the password from standard input");
    json(login);

    auto* users = app.add_subcommand("users", "list the user IDs of the provider's table");
    forms(users);
    json(users);

    auto* rights = app.add_subcommand("rights", "show a user's rights as the editor's rows");
    forms(rights);
    rights->add_option("-u,--user", o.user, "user ID")->required();
    rights->add_option("--editor", o.editor, "the rights editor (Name or Form.Name)");
    json(rights);

    CLI::App* change[2];
    CLI::Option* changeArgs[2];
    CLI::Option* changeUser[2];
    const char* changeNames[2] = {"grant", "revoke"};
    for (int i = 0; i < 2; ++i) {
        change[i] = app.add_subcommand(changeNames[i],
                                       std::string(changeNames[i]) +
                                           " rights as an administrator's clicks, then save");
        changeArgs[i] =
            change[i]->add_option("args", o.files, "FORM... --user ID NAME...")->required();
        changeUser[i] = change[i]->add_option("-u,--user", o.user, "user ID")->required();
        change[i]->add_option("--provider", o.provider, "the rights provider (Name or Form.Name)");
        change[i]->add_option("--editor", o.editor, "the rights editor (Name or Form.Name)");
        json(change[i]);
    }

    auto* matrix = app.add_subcommand("matrix", "every user against every menu right");
    forms(matrix);
    matrix->add_option("--editor", o.editor, "the rights editor (Name or Form.Name)");
    matrix->add_option("--format", o.format, "text, csv or html")
        ->check(CLI::IsMember({"text", "csv", "html"}))
        ->capture_default_str();
    json(matrix);

    auto* palette = app.add_subcommand("palette", "install the package and list its palette");
    palette->add_option("--export", o.exportDir, "write the palette bitmaps into this folder");
    json(palette);

    auto* form = app.add_subcommand("form", "check or format form files");
    form->require_subcommand(1);
    auto* check = form->add_subcommand("check", "read each file and report the first error");
    check->add_option("files", o.files, "form files, in load order")->required();
    json(check);
    auto* format =
        form->add_subcommand("format", "print the last file as the form writer writes it");
    format->add_option("files", o.files, "form files; earlier ones are the forms it refers to")
        ->required();
    json(format);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "zel: " << e.what() << "\n(see zel --help)\n";
        return 2;
    }

    try {
        const Style style = o.json ? Style{} : TerminalStyle();
        Result r;
        if (example->parsed()) {
            r = Example(o.dir, o.force, style);
        } else if (login->parsed()) {
            const std::string user = Argument(o.user, "the user ID");
            const std::string password = ReadPassword(o.passwordStdin);
            r = Login(MakeTarget(o), user, password, style);
        } else if (users->parsed()) {
            r = Users(MakeTarget(o), style);
        } else if (rights->parsed()) {
            r = Rights(MakeTarget(o), Argument(o.user, "the user ID"), style);
        } else if (change[0]->parsed() || change[1]->parsed()) {
            const bool grant = change[0]->parsed();
            const int c = grant ? 0 : 1;
            const std::size_t forms = std::min(
                PositionalsBeforeUser(*change[c], changeArgs[c], changeUser[c]), o.files.size());
            o.forms.assign(o.files.begin(), o.files.begin() + static_cast<std::ptrdiff_t>(forms));
            const std::vector<std::string> names(
                o.files.begin() + static_cast<std::ptrdiff_t>(forms), o.files.end());
            if (o.forms.empty() || names.empty()) {
                throw UsageError(std::string("usage: zel ") + (grant ? "grant" : "revoke") +
                                 " FORM... --user ID NAME...");
            }
            std::vector<std::string> rightNames;
            for (const auto& n : names) {
                rightNames.push_back(Argument(n, "the right name " + n));
            }
            r = Change(MakeTarget(o), Argument(o.user, "the user ID"), rightNames, grant, style);
        } else if (matrix->parsed()) {
            r = Matrix(MakeTarget(o), o.format, style);
        } else if (palette->parsed()) {
            r = Palette(o.exportDir, style);
        } else if (check->parsed()) {
            r = FormCheck(o.files, style);
        } else if (format->parsed()) {
            r = FormFormat(o.files);
        }
        Print(r, o.json);
        return r.status;
    } catch (const UsageError& e) {
        std::cerr << "zel: " << e.what() << '\n';
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "zel: " << e.what() << '\n';
        return 1;
    }
}
