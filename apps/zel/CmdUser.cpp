// zel user add / remove: one user record added or removed per command, in one transaction.
#include "CommandLine.h"
#include "Commands.h"
#include "Guard.h"
#include "Session.h"
#include "zel/accessright/AccessRight.h"
#include "zel/components/Links.h"
#include "zel/components/PasswordCheck.h"
#include "zel/host/text/Secret.h"
#include "zel/host/text/StringList.h"

#include <iostream>
#include <unistd.h>

namespace zel::cli {

namespace {
Result Outcome(const Style& style, bool done, const std::string& line, Json json) {
    Result r;
    r.status = done ? 0 : 1;
    if (style.json) {
        r.json = std::move(json);
    } else {
        style.Out() << (done ? style.Bold(line) : style.Red(line)) << '\n';
    }
    return r;
}

Result NoSuchUser(const Style& style, const std::string& user) {
    const std::string message = "No user with ID " + user + " in the table";
    return Outcome(style, false, Visible(message, 0),
                   {{"result", false}, {"messages", Json::array({Text(message)})}});
}

bool ConfirmedRemoval(const std::string& user) {
    if (isatty(STDIN_FILENO) == 0) {
        throw UsageError("standard input is not a terminal to confirm on; give --yes");
    }
    std::cerr << "Remove the user " << Visible(user) << " and their rights? [y/N] " << std::flush;
    std::string answer;
    std::getline(std::cin, answer);
    return answer == "y" || answer == "Y" || answer == "yes";
}
} // namespace

Result UserAdd(const Target& target, const std::string& user,
               const std::optional<std::string>& like, bool fromStdin, const Style& style) {
    Session session;
    session.ReadAll(target.forms);
    TZELRight& provider = session.Provider(target.provider);
    host::TDataSet& table = RequireDataSet(provider.DataSource(), provider);
    std::string password = NewPassword(fromStdin);
    std::string hash;
    const Result r = Guarded(session, style, [&] {
        // Rights as the other user's, exactly; or none.
        host::TVariant rights(accessright::Write(host::TStringList()));
        if (like) {
            if (!LocateUser(table, provider.UserIDFieldName(), *like)) {
                return NoSuchUser(style, *like);
            }
            rights = table.FieldByName(provider.UserAccessRightFieldName()).AsVariant();
        }
        hash = HashPassword(password);
        host::WipeSecret(password);
        const bool added =
            table.AppendUnique({{provider.UserIDFieldName(), host::TVariant(user)},
                                {provider.UserPasswordFieldName(), host::TVariant(hash)},
                                {provider.UserAccessRightFieldName(), rights}},
                               provider.UserIDFieldName());
        if (!added) {
            const std::string message = "A user with ID " + user + " exists already";
            return Outcome(style, false, Visible(message, 0),
                           {{"result", false}, {"messages", Json::array({Text(message)})}});
        }
        return Outcome(style, true,
                       "Added " + Visible(user) +
                           (like ? " with the rights of " + Visible(*like) : ""),
                       {{"result", true}, {"user", Text(user)}});
    });
    host::WipeSecret(password);
    host::WipeSecret(hash);
    return r;
}

Result UserRemove(const Target& target, const std::string& user, bool yes, const Style& style) {
    Session session;
    session.ReadAll(target.forms);
    TZELRight& provider = session.Provider(target.provider);
    host::TDataSet& table = RequireDataSet(provider.DataSource(), provider);
    return Guarded(session, style, [&] {
        if (!LocateUser(table, provider.UserIDFieldName(), user)) {
            return NoSuchUser(style, user);
        }
        if (!yes && !ConfirmedRemoval(user)) {
            return Outcome(style, false, "Nothing was changed", {{"result", false}});
        }
        table.Delete(); // the record as found, every field: one changed meanwhile is kept
        return Outcome(style, true, "Removed " + Visible(user),
                       {{"result", true}, {"user", Text(user)}});
    });
}

void AddUserCommands(CLI::App& app, CommandSet& set) {
    CLI::App& user = *app.add_subcommand("user", "add, remove or list users");
    user.require_subcommand(1);

    struct AddArguments : FormArguments {
        std::string user;
        std::optional<std::string> like;
        bool passwordStdin = false;
    };
    auto added = std::make_shared<AddArguments>();
    CLI::App& add = *user.add_subcommand(
        "add", "add a user with a new password (hashed) and no rights, or another's");
    AddForms(add, *added);
    AddUser(add, added->user);
    add.add_option("--like", added->like, "copy the rights of this user");
    add.add_flag("--password-stdin", added->passwordStdin,
                 "read the new password once from standard input");
    AddJson(add, set);
    Footer(add, "zel user add main.dfm --user dora --like clerk");
    Register(set, &add, [added](const Style& style) {
        const Target target = added->Checked(added->passwordStdin);
        std::optional<std::string> like;
        if (added->like) {
            like = Argument(*added->like, "--like");
        }
        return UserAdd(target, Argument(added->user, "the user ID"), like, added->passwordStdin,
                       style);
    });

    struct RemoveArguments : FormArguments {
        std::string user;
        bool yes = false;
    };
    auto removed = std::make_shared<RemoveArguments>();
    CLI::App& remove = *user.add_subcommand("remove", "remove a user and their rights");
    AddForms(remove, *removed);
    AddUser(remove, removed->user);
    remove.add_flag("--yes", removed->yes, "do not ask before removing");
    AddJson(remove, set);
    Footer(remove, "zel user remove main.dfm --user former --yes");
    Register(set, &remove, [removed](const Style& style) {
        const Target target = removed->Checked();
        return UserRemove(target, Argument(removed->user, "the user ID"), removed->yes, style);
    });

    AddUserListing(user, "list", "list the user IDs (as zel users)", set);
}

} // namespace zel::cli
