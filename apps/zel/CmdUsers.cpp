// zel users: the user IDs of the provider's table, in table order.
#include "Commands.h"
#include "Encoding.h"
#include "Guard.h"
#include "components/Links.h"

namespace zel::cli {

Result Users(const Target& target, const Style& style) {
    Session session;
    session.ReadAll(target.forms);
    TZELRight& provider = session.Provider(target.provider);
    return Guarded(session, [&] {
        host::TDataSet& table = RequireDataSet(provider.DataSource(), provider);
        std::vector<std::string> ids;
        for (table.First(); !table.Eof(); table.Next()) {
            ids.push_back(table.FieldByName(provider.UserIDFieldName()).AsString());
        }
        Result r;
        r.json = {{"result", true}, {"users", TextList(ids)}};
        r.text =
            style.Bold(std::to_string(ids.size()) + (ids.size() == 1 ? " user" : " users")) + "\n";
        for (const auto& id : ids) {
            r.text += "  " + ToUtf8(id) + "\n";
        }
        return r;
    });
}

} // namespace zel::cli
