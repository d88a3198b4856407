// zel: log users in, audit and administer their rights from a terminal or a script.
#include "Commands.h"
#include "Session.h"
#include "Windows.h"
#include "zel/host/TextEncoding.h"
#include "zel/package/Package.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

using namespace zel::cli;

namespace {

constexpr const char* kExitStatuses =
    "Exit status: 0 done; 1 refused or failed; 2 bad usage or input that cannot be read.";

struct Options {
    bool json = false;
    std::string encoding = "windows-1252";
    std::vector<std::string> forms;
    std::string user;
    std::vector<std::string> rights;
    std::optional<std::string> provider;
    std::optional<std::string> editor;
    bool passwordStdin = false;
    std::string dir = "./zel-shop";
    std::string database;
    bool force = false;
    std::string format = "text";
    std::optional<std::string> exportDir;
    std::optional<std::string> screenshots;
    std::optional<std::string> passwdUser;
    std::optional<std::string> like;
    bool allPlaintext = false;
    bool yes = false;
};

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

void Footer(CLI::App* command, const std::string& example) {
    command->footer("Example:\n  " + example + "\n\n" + kExitStatuses);
}

// The command words that the arguments name ("grant", or "form check"), found before
// parsing so that an unknown one and a usage error can be told apart and pointed at.
std::vector<std::string> CommandWords(int argc, char** argv) {
    std::vector<std::string> words;
    for (int i = 1; i < argc && words.size() < 2; ++i) {
        const std::string a = argv[i];
        if (a == "--encoding") {
            ++i; // its value
        } else if (!a.empty() && a[0] == '-') {
            if (!words.empty()) {
                break;
            }
        } else if (words.empty() || words[0] == "form") {
            words.push_back(a);
        } else {
            break;
        }
    }
    return words;
}

void CheckForms(const std::vector<std::string>& forms, bool passwordStdin) {
    std::size_t fromStdin = 0;
    for (const auto& f : forms) {
        fromStdin += f == kStandardInput ? 1 : 0;
    }
    if (fromStdin > 1) {
        throw UsageError("only one form can be read from standard input ('-')");
    }
    if (fromStdin == 1 && passwordStdin) {
        throw UsageError("standard input cannot hold both a form ('-') and the password");
    }
}

} // namespace

namespace {
// `status`, when everything printed reached standard output; else 1, and why: output cut
// short by a full disk or /dev/full is a failure, never a success.
int Written(int status) {
    errno = 0;
    std::cout.flush();
    if (std::fflush(stdout) == 0 && std::cout && std::ferror(stdout) == 0) {
        return status;
    }
    std::cerr << "zel: cannot write standard output: " << std::strerror(errno != 0 ? errno : EIO)
              << '\n';
    return 1;
}
} // namespace

int main(int argc, char** argv) {
    zel::package::Initialize();
    const QtLifetime qt; // Qt, if a command starts it, ends before the statics do
    CLI::App app{"zel: log users in, audit and administer their rights"};
    app.require_subcommand(1);
    app.fallthrough();
    app.set_version_flag("-V,--version", std::string("zel ") + ZEL_VERSION);
    Options o;
    app.add_option("--encoding", o.encoding,
                   "the system's text: windows-1252 (8-bit) or utf-8, for arguments, passwords "
                   "and output")
        ->check(CLI::IsMember({"windows-1252", "utf-8"}, CLI::ignore_case))
        ->capture_default_str();
    auto json = [&](CLI::App* c) { return c->add_flag("--json", o.json, "print one JSON object"); };
    auto forms = [&](CLI::App* c) {
        c->add_option("forms", o.forms,
                      "form files (.dfm) and Qt Designer windows (.ui), in load order ('-': "
                      "standard input)")
            ->required();
        c->add_option("--provider", o.provider, "the rights provider (Name or Form.Name)");
    };
    auto user = [&](CLI::App* c) { c->add_option("-u,--user", o.user, "user ID")->required(); };

    auto* example =
        app.add_subcommand("example", "write the example shop: forms and a fresh database");
    example->add_option("dir", o.dir, "folder to write into")->capture_default_str();
    example->add_flag("--force", o.force, "replace an existing example");
    example->add_option("--database", o.database,
                        "make the user table in this PostgreSQL database (a libpq connection "
                        "string or postgresql:// URI) instead of a SQLite file");
    json(example);
    Footer(example, "zel example ./shop\n  zel example ./team --database 'host=db.example "
                    "dbname=shop user=ann'");

    auto* login =
        app.add_subcommand("login", "log a user in and show the menu and buttons they get");
    forms(login);
    user(login);
    login->add_flag("--password-stdin", o.passwordStdin, "read the password from standard input");
    login->add_option("--screenshot", o.screenshots,
                      "write a PNG of each window and of each top-level menu into this folder");
    json(login);
    Footer(login, "echo clerk | zel login main.dfm orders.dfm --user clerk --password-stdin\n"
                  "  zel login app.ui rights.dfm --user clerk --screenshot shots");

    auto* users = app.add_subcommand("users", "list the user IDs of the provider's table");
    forms(users);
    json(users);
    Footer(users, "zel users main.dfm");

    auto* rights = app.add_subcommand("rights", "show a user's rights as the editor's rows");
    forms(rights);
    user(rights);
    rights->add_option("--editor", o.editor, "the rights editor (Name or Form.Name)");
    json(rights);
    Footer(rights, "zel rights main.dfm admin.dfm --user clerk");

    CLI::App* change[2];
    const char* changeNames[2] = {"grant", "revoke"};
    for (int i = 0; i < 2; ++i) {
        change[i] = app.add_subcommand(changeNames[i],
                                       std::string(changeNames[i]) +
                                           " rights as an administrator's clicks, then save");
        forms(change[i]);
        user(change[i]);
        change[i]
            ->add_option("-r,--right", o.rights, "a right: the Name of a menu item (repeatable)")
            ->required()
            ->check(CLI::Validator(
                [](const std::string& name) {
                    return name.empty() ? std::string("a right's name cannot be empty") : "";
                },
                "NAME"));
        change[i]->add_option("--editor", o.editor, "the rights editor (Name or Form.Name)");
        json(change[i]);
        Footer(change[i], std::string("zel ") + changeNames[i] +
                              " main.dfm admin.dfm --user clerk --right mnuOrderNew");
    }

    auto* passwd = app.add_subcommand("passwd", "store passwords as Argon2id hashes");
    forms(passwd);
    passwd->add_option("-u,--user", o.passwdUser, "set this user's password");
    passwd->add_flag("--all-plaintext", o.allPlaintext,
                     "hash every password still stored as plain text");
    passwd->add_flag("--yes", o.yes, "do not ask before --all-plaintext changes the table");
    passwd->add_flag("--password-stdin", o.passwordStdin,
                     "read the new password once from standard input");
    json(passwd);
    Footer(passwd, "zel passwd main.dfm --user clerk\n  zel passwd main.dfm --all-plaintext --yes");

    auto* userCommand = app.add_subcommand("user", "add, remove or list users");
    userCommand->require_subcommand(1);
    auto* userAdd = userCommand->add_subcommand(
        "add", "add a user with a new password (hashed) and no rights, or another's");
    forms(userAdd);
    user(userAdd);
    userAdd->add_option("--like", o.like, "copy the rights of this user");
    userAdd->add_flag("--password-stdin", o.passwordStdin,
                      "read the new password once from standard input");
    json(userAdd);
    Footer(userAdd, "zel user add main.dfm --user dora --like clerk");
    auto* userRemove = userCommand->add_subcommand("remove", "remove a user and their rights");
    forms(userRemove);
    user(userRemove);
    userRemove->add_flag("--yes", o.yes, "do not ask before removing");
    json(userRemove);
    Footer(userRemove, "zel user remove main.dfm --user former --yes");
    auto* userList = userCommand->add_subcommand("list", "list the user IDs (as zel users)");
    forms(userList);
    json(userList);
    Footer(userList, "zel user list main.dfm");

    auto* matrix = app.add_subcommand("matrix", "every user against every menu right");
    forms(matrix);
    matrix->add_option("--editor", o.editor, "the rights editor (Name or Form.Name)");
    auto* formatOption = matrix->add_option("--format", o.format, "text, csv or html")
                             ->check(CLI::IsMember({"text", "csv", "html"}))
                             ->capture_default_str();
    json(matrix)->excludes(formatOption);
    Footer(matrix, "zel matrix main.dfm admin.dfm --format csv > rights.csv");

    auto* palette = app.add_subcommand("palette", "install the package and list its palette");
    palette->add_option("--export", o.exportDir, "write the palette bitmaps into this folder");
    palette->add_flag("--force", o.force, "replace bitmaps that exist");
    json(palette);
    Footer(palette, "zel palette --export ./bitmaps");

    auto* form = app.add_subcommand("form", "check or format form files");
    form->require_subcommand(1);
    auto* check = form->add_subcommand(
        "check", "read each file, open its tables read-only, and report what cannot work");
    check->add_option("files", o.forms, "form files, in load order ('-': standard input)")
        ->required();
    json(check);
    check->footer("Example:\n  zel form check main.dfm orders.dfm admin.dfm\n\nExit status: 0 "
                  "every form reads and fits its tables; 1 a form does not read or names a field "
                  "that is not a column; 2 bad usage or a missing file.");
    auto* format =
        form->add_subcommand("format", "print the last file as the form writer writes it");
    format
        ->add_option("files", o.forms,
                     "form files; earlier ones are the forms it refers to ('-': standard input)")
        ->required();
    json(format);
    Footer(format, "zel form format main.dfm admin.dfm > admin.dfm.new");

    const std::vector<std::string> words = CommandWords(argc, argv);
    const auto known = app.get_subcommands(
        [&](const CLI::App* c) { return !words.empty() && c->get_name() == words[0]; });
    if (!words.empty() && known.empty()) {
        std::cerr << "zel: unknown command '" << words[0] << "'\n(see zel --help)\n";
        return 2;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::string command;
        for (const auto& w : words) {
            command += w + " ";
        }
        std::cerr << "zel: " << e.what() << "\n(see zel " << command << "--help)\n";
        return 2;
    }

    zel::host::SetTextEncoding(*zel::host::TextEncodingNamed(o.encoding));
    const Style style = TerminalStyle(o.json);
    try {
        CheckForms(o.forms, o.passwordStdin);
        Result r;
        if (example->parsed()) {
            r = Example(o.dir, o.force, o.database, style);
        } else if (login->parsed()) {
            const std::string id = Argument(o.user, "the user ID");
            std::string password = ReadPassword(o.passwordStdin);
            r = Login(MakeTarget(o), id, password, o.screenshots, style);
        } else if (users->parsed() || userList->parsed()) {
            r = Users(MakeTarget(o), style);
        } else if (userAdd->parsed()) {
            std::optional<std::string> like;
            if (o.like) {
                like = Argument(*o.like, "--like");
            }
            r = UserAdd(MakeTarget(o), Argument(o.user, "the user ID"), like, o.passwordStdin,
                        style);
        } else if (userRemove->parsed()) {
            r = UserRemove(MakeTarget(o), Argument(o.user, "the user ID"), o.yes, style);
        } else if (rights->parsed()) {
            r = Rights(MakeTarget(o), Argument(o.user, "the user ID"), style);
        } else if (change[0]->parsed() || change[1]->parsed()) {
            std::vector<std::string> names;
            for (const auto& n : o.rights) {
                names.push_back(Argument(n, "the right name " + n));
            }
            r = Change(MakeTarget(o), Argument(o.user, "the user ID"), names, change[0]->parsed(),
                       style);
        } else if (passwd->parsed()) {
            std::optional<std::string> id;
            if (o.passwdUser) {
                id = Argument(*o.passwdUser, "the user ID");
            }
            r = Passwd(MakeTarget(o), id, o.allPlaintext, o.yes, o.passwordStdin, style);
        } else if (matrix->parsed()) {
            r = Matrix(MakeTarget(o), o.format, style);
        } else if (palette->parsed()) {
            r = Palette(o.exportDir, o.force, style);
        } else if (check->parsed()) {
            r = FormCheck(o.forms, style);
        } else if (format->parsed()) {
            r = FormFormat(o.forms, style);
        }
        if (o.json) {
            std::cout << Dump(r.json) << '\n';
        }
        return Written(r.status);
    } catch (const UsageError& e) {
        std::cerr << "zel: " << e.what() << '\n';
        return 2;
    } catch (const std::exception& e) {
        Written(1);
        std::cerr << "zel: " << e.what() << '\n';
        return 1;
    }
}
