#pragma once
// What the commands' arguments share: the form files and the components named in them, the
// user ID, --json, and the help's footer (an example and the exit statuses).

#include "Commands.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zel::cli {

/// The form files a command reads and the components named in them.
struct FormArguments {
    std::vector<std::string> forms;
    std::optional<std::string> provider;
    std::optional<std::string> editor;

    /// What the command works on. At most one form comes from standard input ('-'), and
    /// none when the password comes from there (`passwordStdin`); else a UsageError.
    Target Checked(bool passwordStdin = false) const;
};

/// The form files (required) and --provider.
void AddForms(CLI::App& command, FormArguments& arguments);
/// --editor.
void AddEditor(CLI::App& command, FormArguments& arguments);
/// -u/--user, required.
void AddUser(CLI::App& command, std::string& user);
/// --json, into the flag every command shares.
CLI::Option* AddJson(CLI::App& command, CommandSet& set);
/// The help's footer: `example`, then the exit statuses.
void Footer(CLI::App& command, const std::string& example);

/// Files given as arguments: at most one from standard input ('-').
void CheckStandardInput(const std::vector<std::string>& files, bool passwordStdin = false);

/// A command that `set` runs with `run` when the command line names `parser`.
void Register(CommandSet& set, const CLI::App* parser, std::function<Result(const Style&)> run);

} // namespace zel::cli
