#include "zel/components/Links.h"

#include "zel/host/core/Errors.h"
#include "zel/host/ui/Dialogs.h"

namespace zel {

namespace {
// Built only when something is missing: the checks sit on every log-in and preview.
std::string Describe(const host::TComponent& who) {
    return who.ClassName() + (who.Name().empty() ? std::string() : " " + who.Name());
}
} // namespace

host::TDataSet& RequireDataSet(const host::TDataSource* source, const host::TComponent& who) {
    if (source == nullptr) {
        throw host::EDatabaseError("No data source is linked to " + Describe(who));
    }
    if (source->DataSet() == nullptr) {
        throw host::EDatabaseError("The data source of " + Describe(who) + " has no dataset");
    }
    return *source->DataSet();
}

std::string RightsText(const host::TField& field) {
    return field.AsVariant().IsForeign() ? std::string() : host::VarToStr(field.AsVariant());
}

host::TMenuItem& RequireMenuRoot(const host::TMainMenu* menu, const host::TComponent& who) {
    if (menu == nullptr) {
        throw host::EMenuError("No main menu is linked to " + Describe(who));
    }
    if (menu->Items() == nullptr) {
        throw host::EMenuError("The main menu of " + Describe(who) + " has no items");
    }
    return *menu->Items();
}

bool LocateUser(host::TDataSet& table, const std::string& field, const std::string& id) {
    return table.Locate(field, id);
}

std::string CaughtErrorText() {
    try {
        throw;
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "an error that carries no message";
    }
}

void ShowMessage(const std::string& text) {
    host::MessageDlg(text, host::mtConfirmation, {host::mbOK}, 0);
}

} // namespace zel
