// zel: log users in, audit and administer their rights from a terminal or a script. Each
// command adds itself to the parser (Cmd*.cpp); here the tool starts, finds the command the
// arguments name, runs it and turns what it raised into an exit status.
#include "Commands.h"
#include "DesignerWindows.h"
#include "Session.h"
#include "zel/host/core/TextEncoding.h"
#include "zel/package/Package.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

using namespace zel::cli;

namespace {

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
    std::string encoding = "windows-1252";
    app.add_option("--encoding", encoding,
                   "the system's text: windows-1252 (8-bit) or utf-8, for arguments, passwords "
                   "and output")
        ->check(CLI::IsMember({"windows-1252", "utf-8"}, CLI::ignore_case))
        ->capture_default_str();
    CommandSet set;
    for (auto add : {AddExampleCommand, AddLoginCommand, AddUsersCommand, AddRightsCommand,
                     AddGrantAndRevokeCommands, AddPasswdCommand, AddUserCommands, AddMatrixCommand,
                     AddPaletteCommand, AddFormCommands}) {
        add(app, set);
    }

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

    zel::host::SetTextEncoding(*zel::host::TextEncodingNamed(encoding));
    const Style style = TerminalStyle(set.json);
    try {
        Result r;
        for (const Command& command : set.commands) {
            if (command.parser->parsed()) {
                r = command.run(style);
                break;
            }
        }
        if (set.json) {
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
