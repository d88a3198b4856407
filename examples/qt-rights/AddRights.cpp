#include "AddRights.h"

#include <zel/components/ZELRight.h>
#include <zel/host/data/DataSource.h>
#include <zel/host/sqlite/SQLiteTable.h>
#include <zel/qt/QtButtons.h>
#include <zel/qt/QtLoginDialog.h>
#include <zel/qt/QtMenuBar.h>

using namespace zel;

std::unique_ptr<host::TForm> AddRights(QMainWindow& window, const std::string& database) {
    auto form = std::make_unique<host::TForm>(nullptr); // owns the components below
    auto* users = new host::TSQLiteTable(form.get());
    users->SetDatabaseName(database);
    users->SetTableName("users");
    users->Open();
    auto* source = new host::TDataSource(form.get());
    source->SetDataSet(users);
    auto* rights = new TZELRight(form.get());
    rights->SetDataSource(source);
    rights->SetUserIDFieldName("login");
    rights->SetUserPasswordFieldName("password");
    rights->SetUserAccessRightFieldName("rights");
    rights->SetLinkedMainMenu(qt::AdoptMenuBar(*window.menuBar(), form.get()));
    // No parent: a window that deletes itself (WA_DeleteOnClose) would delete its children,
    // and this dialog lives on the stack.
    qt::TQtLoginDialog login(*rights);
    if (login.exec() != QDialog::Accepted) {
        return nullptr;
    }
    qt::AdoptRightButtons(window, *rights); // zelRight buttons and actions, after the log-in
    return form;
}
