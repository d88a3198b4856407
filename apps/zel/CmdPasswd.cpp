// zel passwd: passwords stored as Argon2id hashes instead of plain text.
#include "CommandLine.h"
#include "Commands.h"
#include "Guard.h"
#include "Session.h"
#include "zel/components/Links.h"
#include "zel/components/PasswordCheck.h"
#include "zel/components/UserPassword.h"
#include "zel/host/text/Secret.h"

#include <iostream>
#include <unistd.h>

namespace zel::cli {

namespace {
bool Confirmed(std::size_t plain, const std::string& table) {
    if (isatty(STDIN_FILENO) == 0) {
        throw UsageError("standard input is not a terminal to confirm on; give --yes");
    }
    std::cerr << "Hash the " << plain << " password" << (plain == 1 ? "" : "s")
              << " stored as plain text in " << table << "? [y/N] " << std::flush;
    std::string answer;
    std::getline(std::cin, answer);
    return answer == "y" || answer == "Y" || answer == "yes";
}

Result Report(const Style& style, int status, const std::string& headline, Json json) {
    Result r;
    r.status = status;
    if (style.json) {
        r.json = std::move(json);
    } else {
        style.Out() << (status == 0 ? style.Bold(headline) : style.Red(headline)) << '\n';
    }
    return r;
}
} // namespace

std::string NewPassword(bool fromStdin) {
    std::string first = ReadPassword(fromStdin, "New password: ");
    if (first.empty()) {
        throw UsageError("an empty password is not accepted");
    }
    if (!fromStdin) {
        std::string again = ReadPassword(false, "The same again: ");
        const bool same = again == first;
        host::WipeSecret(again);
        if (!same) {
            host::WipeSecret(first);
            throw UsageError("the two passwords differ; nothing was changed");
        }
    }
    return first;
}

Result Passwd(const Target& target, const std::optional<std::string>& user, bool allPlaintext,
              bool yes, bool fromStdin, const Style& style) {
    if (user.has_value() == allPlaintext) {
        throw UsageError("give either --user ID or --all-plaintext");
    }
    Session session;
    session.ReadAll(target.forms);
    TZELRight& provider = session.Provider(target.provider);
    host::TDataSet& table = RequireDataSet(provider.DataSource(), provider);
    const std::string& field = provider.UserPasswordFieldName();
    if (user) {
        std::string password = NewPassword(fromStdin);
        return Guarded(session, style, [&] {
            if (!LocateUser(table, provider.UserIDFieldName(), *user)) {
                host::WipeSecret(password);
                const std::string message = "No user with ID " + *user + " in the table";
                return Report(style, 1, Visible(message, 0),
                              {{"result", false}, {"messages", Json::array({Text(message)})}});
            }
            StorePassword(table, field, password);
            return Report(style, 0, "Saved a new password for " + Visible(*user),
                          {{"result", true}, {"user", Text(*user)}});
        });
    }
    return Guarded(session, style, [&] {
        std::size_t plain = 0, hashed = 0;
        for (table.First(); !table.Eof(); table.Next()) {
            const host::TField& f = table.FieldByName(field);
            if (!f.IsNull() && !f.AsVariant().IsForeign()) {
                ++(IsPasswordHash(f.AsString()) ? hashed : plain);
            }
        }
        if (plain > 0 && !yes && !Confirmed(plain, table.Name())) {
            return Report(style, 1, "Nothing was changed",
                          {{"result", false}, {"changed", 0}, {"already", hashed}});
        }
        // One record at a time, each in its own save: stopped at any point, every record is
        // either still plain text or fully hashed, and running again finishes the rest.
        std::size_t changed = 0;
        for (table.First(); !table.Eof(); table.Next()) {
            const host::TField& f = table.FieldByName(field);
            // Foreign text is no password anyone can type: hashing its escaped form would
            // lose it.
            if (f.IsNull() || f.AsVariant().IsForeign() || IsPasswordHash(f.AsString())) {
                continue;
            }
            std::string text = f.AsString();
            StorePassword(table, field, text);
            ++changed;
        }
        return Report(style, 0,
                      "Hashed " + std::to_string(changed) + " password" +
                          (changed == 1 ? "" : "s") + "; " + std::to_string(hashed) +
                          " were hashed already",
                      {{"result", true}, {"changed", changed}, {"already", hashed}});
    });
}

void AddPasswdCommand(CLI::App& app, CommandSet& set) {
    struct Arguments : FormArguments {
        std::optional<std::string> user;
        bool allPlaintext = false;
        bool yes = false;
        bool passwordStdin = false;
    };
    auto a = std::make_shared<Arguments>();
    CLI::App& c = *app.add_subcommand("passwd", "store passwords as Argon2id hashes");
    AddForms(c, *a);
    c.add_option("-u,--user", a->user, "set this user's password");
    c.add_flag("--all-plaintext", a->allPlaintext,
               "hash every password still stored as plain text");
    c.add_flag("--yes", a->yes, "do not ask before --all-plaintext changes the table");
    c.add_flag("--password-stdin", a->passwordStdin,
               "read the new password once from standard input");
    AddJson(c, set);
    Footer(c, "zel passwd main.dfm --user clerk\n  zel passwd main.dfm --all-plaintext --yes");
    Register(set, &c, [a](const Style& style) {
        const Target target = a->Checked(a->passwordStdin);
        std::optional<std::string> id;
        if (a->user) {
            id = Argument(*a->user, "the user ID");
        }
        return Passwd(target, id, a->allPlaintext, a->yes, a->passwordStdin, style);
    });
}

} // namespace zel::cli
