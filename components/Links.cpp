#include "components/Links.h"

#include "host/Dialogs.h"
#include "host/Errors.h"

namespace zel {

host::TDataSet& RequireDataSet(const host::TDataSource* source, const std::string& who) {
    if (source == nullptr) {
        throw host::EDatabaseError("No data source is linked to " + who);
    }
    if (source->DataSet() == nullptr) {
        throw host::EDatabaseError("The data source of " + who + " has no dataset");
    }
    return *source->DataSet();
}

host::TMenuItem& RequireMenuRoot(const host::TMainMenu* menu, const std::string& who) {
    if (menu == nullptr) {
        throw host::EMenuError("No main menu is linked to " + who);
    }
    if (menu->Items() == nullptr) {
        throw host::EMenuError("The main menu of " + who + " has no items");
    }
    return *menu->Items();
}

void ShowMessage(const std::string& text) {
    host::MessageDlg(text, host::mtConfirmation, {host::mbOK}, 0);
}

} // namespace zel
