// zel rights, grant and revoke: the editor on one user's record.
#include "Commands.h"
#include "Encoding.h"
#include "Guard.h"
#include "components/Links.h"

namespace zel::cli {

namespace {
// Moves the editor's table to the user and loads the record; false (with a message) when
// the user is not there or the load failed.
bool LoadUser(Session& session, TZELMenuCheckListBox& editor, const TZELRight& provider,
              const std::string& user) {
    host::TDataSet& table = RequireDataSet(editor.DataSource(), editor);
    if (!MoveToUser(table, provider.UserIDFieldName(), user)) {
        session.AddMessage("No user with ID " + user + " in the table");
        return false;
    }
    return editor.LoadSetting();
}

Result Report(const Session& session, const TZELMenuCheckListBox& editor, bool ok,
              const std::string& headline, const Style& style) {
    Result r;
    r.status = ok ? 0 : 1;
    Json rows = Json::array();
    std::vector<std::vector<std::string>> table;
    for (int i = 0; i < editor.Count(); ++i) {
        const std::string& text = editor.Items().Strings(i);
        const std::string& name = editor.MenuItemNames().Strings(i);
        rows.push_back(
            {{"text", Text(text)}, {"name", Text(name)}, {"checked", editor.Checked(i)}});
        table.push_back({editor.Checked(i) ? style.Green("[x]") : "[ ]", ToUtf8(text),
                         style.Dim(ToUtf8(name))});
    }
    r.json = {{"result", ok},
              {"messages", TextList(session.Messages())},
              {"rows", rows},
              {"granted", TextList(editor.Granted().Items())}};
    r.text = (ok ? style.Bold(headline) : style.Red(headline)) + "\n";
    r.text += MessagesText(session.Messages());
    if (ok) {
        r.text += Columns(table);
    }
    return r;
}
} // namespace

Result Rights(const Target& target, const std::string& user, const Style& style) {
    Session session;
    session.ReadAll(target.forms);
    TZELMenuCheckListBox& editor = session.Editor(target.editor);
    const TZELRight& provider = session.Provider(target.provider);
    return Guarded(session, [&] {
        const bool ok = LoadUser(session, editor, provider, user);
        return Report(session, editor, ok, "Rights of " + ToUtf8(user), style);
    });
}

Result Change(const Target& target, const std::string& user, const std::vector<std::string>& names,
              bool grant, const Style& style) {
    Session session;
    session.ReadAll(target.forms);
    TZELMenuCheckListBox& editor = session.Editor(target.editor);
    const TZELRight& provider = session.Provider(target.provider);
    std::vector<int> rows;
    for (const auto& name : names) {
        const int row = editor.MenuItemNames().IndexOf(name);
        if (row < 0) {
            throw UsageError("no menu item is named " + ToUtf8(name) +
                             ", so there is no such right to " + (grant ? "grant" : "revoke"));
        }
        rows.push_back(row);
    }
    return Guarded(session, [&] {
        bool ok = LoadUser(session, editor, provider, user);
        if (ok) {
            for (int row : rows) {
                if (editor.Checked(row) != grant) {
                    editor.ToggleRow(row); // as the administrator's click
                }
            }
            const std::size_t before = session.Messages().size();
            editor.SaveSetting();
            ok = session.Messages().size() == before;
        }
        return Report(
            session, editor, ok,
            (ok ? "Saved the rights of " : "Could not save the rights of ") + ToUtf8(user), style);
    });
}

} // namespace zel::cli
