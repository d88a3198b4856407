// zel rights, grant and revoke: the editor on one user's record.
#include "CommandLine.h"
#include "Commands.h"
#include "Guard.h"
#include "Session.h"
#include "zel/accessright/AccessRight.h"
#include "zel/components/Links.h"

namespace zel::cli {

namespace {
// Moves the editor's table to the user and loads the record; false (with a message) when
// the user is not there or the load failed.
bool LoadUser(Session& session, TZELMenuCheckListBox& editor, const TZELRight& provider,
              const std::string& user) {
    host::TDataSet& table = RequireDataSet(editor.DataSource(), editor);
    if (!LocateUser(table, provider.UserIDFieldName(), user)) {
        session.AddMessage("No user with ID " + user + " in the table");
        return false;
    }
    return editor.LoadSetting();
}

// What became of one right that grant or revoke was asked to change.
struct Outcome {
    std::string name;  // 8-bit
    std::string state; // "granted", "revoked", "unchanged" or "failed"
    std::string reason;
};

Json RowsJson(const TZELMenuCheckListBox& editor) {
    Json rows = Json::array();
    for (int i = 0; i < editor.Count(); ++i) {
        rows.push_back({{"text", Text(editor.Items().Strings(i))},
                        {"name", Text(editor.MenuItemNames().Strings(i))},
                        {"checked", editor.Checked(i)}});
    }
    return rows;
}

void WriteRows(const TZELMenuCheckListBox& editor, const Style& style) {
    std::vector<std::vector<std::string>> table;
    for (int i = 0; i < editor.Count(); ++i) {
        table.push_back({editor.Checked(i) ? style.Green("[x]") : "[ ]",
                         Visible(editor.Items().Strings(i)),
                         style.Dim(Visible(editor.MenuItemNames().Strings(i)))});
    }
    WriteColumns(style.Out(), table);
}

Result Report(const Session& session, const TZELMenuCheckListBox& editor, bool ok,
              const std::string& headline, const std::vector<Outcome>& outcomes,
              const Style& style) {
    Result r;
    r.status = ok ? 0 : 1;
    const std::string& cause = editor.LastErrorText();
    if (style.json) {
        r.json = {{"result", ok},
                  {"messages", TextList(session.Messages())},
                  {"cause", cause.empty() ? Json(nullptr) : Text(cause)}};
        if (!outcomes.empty()) {
            Json changes = Json::array();
            for (const auto& o : outcomes) {
                changes.push_back({{"right", Text(o.name)},
                                   {"state", o.state},
                                   {"reason", o.reason.empty() ? Json(nullptr) : Text(o.reason)}});
            }
            r.json["changes"] = changes;
        }
        r.json["rows"] = RowsJson(editor);
        r.json["granted"] = TextList(editor.Granted().Items());
        return r;
    }
    std::ostream& out = style.Out();
    out << (ok ? style.Bold(headline) : style.Red(headline)) << '\n';
    WriteMessages(style, session.Messages(), cause);
    std::vector<std::vector<std::string>> changes;
    for (const auto& o : outcomes) {
        changes.push_back({o.state == "failed" ? style.Red(o.state) : o.state, Visible(o.name),
                           Visible(o.reason)});
    }
    WriteColumns(out, changes);
    if (editor.LastErrorText().empty()) {
        WriteRows(editor, style);
    }
    return r;
}

// Why a right that the record does not show as asked could not be changed.
std::string Reason(const TZELMenuCheckListBox& editor, int row, const std::string& name) {
    if (row < 0) {
        return "no menu item is named " + name;
    }
    if (!editor.Enabled()) {
        return "the rights editor is disabled (Enabled = False), so it ignores clicks";
    }
    return "the saved record does not show the change";
}

// Reads the user's record as it is stored now and judges each asked-for right by it.
bool Verify(TZELMenuCheckListBox& editor, const TZELRight& provider, const std::string& user,
            bool grant, std::vector<Outcome>& outcomes, const std::vector<int>& rows,
            const std::vector<bool>& wasAsAsked) {
    host::TDataSet& table = RequireDataSet(editor.DataSource(), editor);
    table.Refresh();
    const host::TField& id = table.FieldByName(provider.UserIDFieldName());
    host::TStringList stored;
    const bool present = !id.IsNull() && !id.AsVariant().IsForeign() && id.AsString() == user;
    if (present) {
        accessright::Read(RightsText(table.FieldByName(editor.UserAccessRightFieldName())),
                          [&](const std::string& token) { stored.Add(token); });
    }
    bool all = true;
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        Outcome& o = outcomes[i];
        const bool held = present && stored.Contains(o.name);
        if (held == grant) {
            o.state = wasAsAsked[i] ? "unchanged" : (grant ? "granted" : "revoked");
        } else {
            o.state = "failed";
            o.reason = present ? Reason(editor, rows[i], o.name)
                               : "the record of " + user + " is no longer in the table";
            all = false;
        }
    }
    return all;
}
} // namespace

Result Rights(const Target& target, const std::string& user, const Style& style) {
    Session session;
    session.ReadAll(target.forms);
    TZELMenuCheckListBox& editor = session.Editor(target.editor);
    const TZELRight& provider = session.Provider(target.provider);
    return Guarded(session, style, [&] {
        const bool ok = LoadUser(session, editor, provider, user);
        return Report(session, editor, ok, "Rights of " + Visible(user), {}, style);
    });
}

Result Change(const Target& target, const std::string& user, const std::vector<std::string>& names,
              bool grant, const Style& style) {
    Session session;
    session.ReadAll(target.forms);
    TZELMenuCheckListBox& editor = session.Editor(target.editor);
    const TZELRight& provider = session.Provider(target.provider);
    return Guarded(session, style, [&] {
        std::vector<Outcome> outcomes;
        if (!LoadUser(session, editor, provider, user)) {
            return Report(session, editor, false, "Could not load the rights of " + Visible(user),
                          outcomes, style);
        }
        std::vector<int> rows;
        std::vector<bool> wasAsAsked;
        for (const auto& name : names) {
            rows.push_back(editor.MenuItemNames().IndexOf(name));
            wasAsAsked.push_back(rows.back() >= 0 && editor.Checked(rows.back()) == grant);
            outcomes.push_back({name, "", ""});
        }
        for (int row : rows) {
            if (row >= 0 && editor.Checked(row) != grant) {
                editor.ToggleRow(row); // as the administrator's click
            }
        }
        editor.SaveSetting();
        bool ok = editor.LastErrorText().empty();
        if (ok) {
            ok = Verify(editor, provider, user, grant, outcomes, rows, wasAsAsked);
        } else {
            outcomes.clear(); // nothing was saved; the cause says why
        }
        const std::string headline =
            !editor.LastErrorText().empty() ? "Could not save the rights of " + Visible(user)
            : ok                            ? "Saved the rights of " + Visible(user)
                 : "Saved the rights of " + Visible(user) + ", but not every change";
        return Report(session, editor, ok, headline, outcomes, style);
    });
}

void AddRightsCommand(CLI::App& app, CommandSet& set) {
    struct Arguments : FormArguments {
        std::string user;
    };
    auto a = std::make_shared<Arguments>();
    CLI::App& c = *app.add_subcommand("rights", "show a user's rights as the editor's rows");
    AddForms(c, *a);
    AddUser(c, a->user);
    AddEditor(c, *a);
    AddJson(c, set);
    Footer(c, "zel rights main.dfm admin.dfm --user clerk");
    Register(set, &c, [a](const Style& style) {
        const Target target = a->Checked();
        return Rights(target, Argument(a->user, "the user ID"), style);
    });
}

void AddGrantAndRevokeCommands(CLI::App& app, CommandSet& set) {
    struct Arguments : FormArguments {
        std::string user;
        std::vector<std::string> rights;
    };
    for (const bool grant : {true, false}) {
        const std::string name = grant ? "grant" : "revoke";
        auto a = std::make_shared<Arguments>();
        CLI::App& c =
            *app.add_subcommand(name, name + " rights as an administrator's clicks, then save");
        AddForms(c, *a);
        AddUser(c, a->user);
        c.add_option("-r,--right", a->rights, "a right: the Name of a menu item (repeatable)")
            ->required()
            ->check(CLI::Validator(
                [](const std::string& right) {
                    return right.empty() ? std::string("a right's name cannot be empty") : "";
                },
                "NAME"));
        AddEditor(c, *a);
        AddJson(c, set);
        Footer(c, "zel " + name + " main.dfm admin.dfm --user clerk --right mnuOrderNew");
        Register(set, &c, [a, grant](const Style& style) {
            const Target target = a->Checked();
            std::vector<std::string> names;
            for (const auto& n : a->rights) {
                names.push_back(Argument(n, "the right name " + n));
            }
            return Change(target, Argument(a->user, "the user ID"), names, grant, style);
        });
    }
}

} // namespace zel::cli
