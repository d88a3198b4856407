// zel users: the user IDs of the provider's table, in table order.
#include "CommandLine.h"
#include "Commands.h"
#include "Guard.h"
#include "zel/components/Links.h"

namespace zel::cli {

namespace {
constexpr const char* kForeignNote =
    "shown escaped: it holds characters the text setting has not, so no one can log in as it";
} // namespace

Result Users(const Target& target, const Style& style) {
    Session session;
    session.ReadAll(target.forms);
    TZELRight& provider = session.Provider(target.provider);
    return Guarded(session, style, [&] {
        host::TDataSet& table = RequireDataSet(provider.DataSource(), provider);
        Result r;
        Json ids = Json::array();
        std::size_t count = 0;
        // Text goes out as the table is read: a table of any size costs no memory here.
        Json foreign = Json::array();
        for (table.First(); !table.Eof(); table.Next(), ++count) {
            const host::TField& field = table.FieldByName(provider.UserIDFieldName());
            const std::string id = field.AsString();
            if (style.json) {
                ids.push_back(Text(id));
                if (field.AsVariant().IsForeign()) {
                    foreign.push_back(Text(id));
                }
            } else {
                style.Out() << "  " << Visible(id, 0);
                if (field.AsVariant().IsForeign()) {
                    style.Out() << "  (" << kForeignNote << ")";
                }
                style.Out() << '\n';
            }
        }
        if (style.json) {
            r.json = {{"result", true}, {"users", ids}};
            if (!foreign.empty()) {
                r.json["foreign"] = foreign; // user IDs no one can log in as
            }
        } else {
            style.Out() << style.Bold(std::to_string(count) + (count == 1 ? " user" : " users"))
                        << '\n';
        }
        return r;
    });
}

void AddUserListing(CLI::App& app, const std::string& name, const std::string& help,
                    CommandSet& set) {
    auto a = std::make_shared<FormArguments>();
    CLI::App& c = *app.add_subcommand(name, help);
    AddForms(c, *a);
    AddJson(c, set);
    Footer(c,
           "zel " + (app.get_parent() != nullptr ? app.get_name() + " " : "") + name + " main.dfm");
    Register(set, &c, [a](const Style& style) { return Users(a->Checked(), style); });
}

void AddUsersCommand(CLI::App& app, CommandSet& set) {
    AddUserListing(app, "users", "list the user IDs of the provider's table", set);
}

} // namespace zel::cli
