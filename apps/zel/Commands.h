#pragma once
// The tool's commands. Each writes its text (or, with --json, fills its JSON object) and
// returns its exit status; bad usage and unreadable input raise UsageError instead, before
// anything is printed.
//
// Exit statuses: 0 done; 1 refused or failed (a log-in refused, a save refused, a database
// locked, a form that does not read in `form check`); 2 bad usage or input that cannot be
// read at all (a missing file, a form that does not read elsewhere).

#include "Output.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace zel::cli {

struct Result {
    int status = 0; ///< 0 done, 1 refused or failed
    Json json = Json::object();
};

/// A command of the tool: `run` does it when the command line names `parser`.
struct Command {
    const CLI::App* parser = nullptr;
    std::function<Result(const Style&)> run;
};

/// The tool's commands, each added to the parser by its own file, with its arguments, help
/// and what it runs, in the order `zel --help` lists them.
struct CommandSet {
    bool json = false; ///< --json, which every command offers
    std::vector<Command> commands;
};
void AddExampleCommand(CLI::App& app, CommandSet& set);
void AddLoginCommand(CLI::App& app, CommandSet& set);
void AddUsersCommand(CLI::App& app, CommandSet& set);
/// The listing of user IDs as `name` under `app` ("users", and "user list").
void AddUserListing(CLI::App& app, const std::string& name, const std::string& help,
                    CommandSet& set);
void AddRightsCommand(CLI::App& app, CommandSet& set);
void AddGrantAndRevokeCommands(CLI::App& app, CommandSet& set);
void AddPasswdCommand(CLI::App& app, CommandSet& set);
void AddUserCommands(CLI::App& app, CommandSet& set); ///< user add, remove, list
void AddMatrixCommand(CLI::App& app, CommandSet& set);
void AddPaletteCommand(CLI::App& app, CommandSet& set);
void AddFormCommands(CLI::App& app, CommandSet& set); ///< form check, format

/// A refusal that changed nothing: status 1 and `message`, as text or JSON.
Result Refused(const std::string& message, const Style& style);

struct Target {
    std::vector<std::string> forms;
    std::optional<std::string> provider; ///< 8-bit
    std::optional<std::string> editor;   ///< 8-bit
};

/// `server`: a PostgreSQL connection string to make the user table in, or empty for a
/// SQLite file in `dir`.
Result Example(const std::string& dir, bool force, const std::string& server, const Style& style);
/// Logs `user` in; with `screenshots`, writes PNGs of the windows and their menus there.
Result Login(const Target& target, const std::string& user, std::string& password,
             const std::optional<std::string>& screenshots, const Style& style);
Result Users(const Target& target, const Style& style);
Result Rights(const Target& target, const std::string& user, const Style& style);
/// Grants (`grant` true) or revokes each of `names` for `user`, saves, and checks by
/// reading the record back that each right is now as asked.
Result Change(const Target& target, const std::string& user, const std::vector<std::string>& names,
              bool grant, const Style& style);
Result Matrix(const Target& target, const std::string& format, const Style& style);
Result Palette(const std::optional<std::string>& exportDir, bool force, const Style& style);
Result FormCheck(const std::vector<std::string>& files, const Style& style);
Result FormFormat(const std::vector<std::string>& files, const Style& style);

/// Reads the password: from a terminal prompt without echo, or one line of standard input.
/// Ctrl-C at the prompt restores the terminal and ends the tool with status 130.
std::string ReadPassword(bool fromStdin, const char* prompt = "Password: ");

/// zel passwd: sets `user`'s password (read twice at a prompt, or once from standard input)
/// as an Argon2id hash, or, with `allPlaintext`, hashes every password still stored as
/// plain text, one record at a time, after asking unless `yes`.
Result Passwd(const Target& target, const std::optional<std::string>& user, bool allPlaintext,
              bool yes, bool fromStdin, const Style& style);
/// A new password: asked twice at a terminal, or one line of standard input; an empty one
/// or two that differ are a UsageError.
std::string NewPassword(bool fromStdin);
/// Adds `user` with a new password and the rights of `like` (none without); a user ID that
/// exists already is refused.
Result UserAdd(const Target& target, const std::string& user,
               const std::optional<std::string>& like, bool fromStdin, const Style& style);
/// Removes `user`'s record, after asking unless `yes`.
Result UserRemove(const Target& target, const std::string& user, bool yes, const Style& style);

} // namespace zel::cli
