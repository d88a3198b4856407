#include "CommandLine.h"

#include "Session.h"

namespace zel::cli {

namespace {
constexpr const char* kExitStatuses =
    "Exit status: 0 done; 1 refused or failed; 2 bad usage or input that cannot be read.";
} // namespace

Target FormArguments::Checked(bool passwordStdin) const {
    CheckStandardInput(forms, passwordStdin);
    Target t;
    t.forms = forms;
    if (provider) {
        t.provider = Argument(*provider, "--provider");
    }
    if (editor) {
        t.editor = Argument(*editor, "--editor");
    }
    return t;
}

void AddForms(CLI::App& command, FormArguments& arguments) {
    command
        .add_option("forms", arguments.forms,
                    "form files (.dfm) and Qt Designer windows (.ui), in load order ('-': "
                    "standard input)")
        ->required();
    command.add_option("--provider", arguments.provider, "the rights provider (Name or Form.Name)");
}

void AddEditor(CLI::App& command, FormArguments& arguments) {
    command.add_option("--editor", arguments.editor, "the rights editor (Name or Form.Name)");
}

void AddUser(CLI::App& command, std::string& user) {
    command.add_option("-u,--user", user, "user ID")->required();
}

CLI::Option* AddJson(CLI::App& command, CommandSet& set) {
    return command.add_flag("--json", set.json, "print one JSON object");
}

void Footer(CLI::App& command, const std::string& example) {
    command.footer("Example:\n  " + example + "\n\n" + kExitStatuses);
}

void CheckStandardInput(const std::vector<std::string>& files, bool passwordStdin) {
    std::size_t fromStdin = 0;
    for (const auto& f : files) {
        fromStdin += f == kStandardInput ? 1 : 0;
    }
    if (fromStdin > 1) {
        throw UsageError("only one form can be read from standard input ('-')");
    }
    if (fromStdin == 1 && passwordStdin) {
        throw UsageError("standard input cannot hold both a form ('-') and the password");
    }
}

void Register(CommandSet& set, const CLI::App* parser, std::function<Result(const Style&)> run) {
    set.commands.push_back(Command{parser, std::move(run)});
}

} // namespace zel::cli
