#include "zel/qt/QtRights.h"

#include "zel/components/Links.h"
#include "zel/host/core/Errors.h"
#include "zel/host/data/DataSource.h"
#include "zel/host/qtsql/QtSqlTable.h"
#include "zel/host/text/Secret.h"
#if ZEL_WITH_POSTGRES
#include "zel/host/postgres/PgTable.h"
#endif
#include "zel/host/sqlite/SQLiteTable.h"
#include "zel/qt/QtAdminDialog.h"
#include "zel/qt/QtButtons.h"
#include "zel/qt/QtLoginDialog.h"
#include "zel/qt/QtMenuBar.h"
#include "zel/qt/QtPasswordDialog.h"
#include "zel/qt/QtText.h"

#include <QMainWindow>
#include <QMenuBar>

namespace zel::qt {

TUserTable TUserTable::SQLite(std::string file) {
    TUserTable t;
    t.sqliteFile = std::move(file);
    return t;
}

TUserTable TUserTable::Postgres(std::string conninfo) {
    TUserTable t;
    t.postgres = std::move(conninfo);
    return t;
}

TUserTable TUserTable::QtSql(std::string connectionName) {
    TUserTable t;
    t.qtConnection = std::move(connectionName);
    return t;
}

namespace {
// The form's name: the window's, as a .ui file's form is named, when it can be one.
std::string FormName(const QMainWindow& window) {
    const std::string name = FromQString(window.objectName());
    return host::TComponent::IsValidIdent(name) && host::TForm::FindForm(name) == nullptr
               ? name
               : std::string();
}
} // namespace

TQtRights::TQtRights(QMainWindow& window, TUserTable users, bool hideDenied)
    : users_(std::move(users)), form_(std::make_unique<host::TForm>(nullptr)), window_(&window) {
    form_->SetName(FormName(window));
    auto* source = new host::TDataSource(form_.get());
    source->SetName("UsersSource");
    provider_ = new TZELRight(form_.get());
    provider_->SetName("Rights");
    provider_->SetDataSource(source);
    provider_->SetUserIDFieldName(users_.userIDField);
    provider_->SetUserPasswordFieldName(users_.passwordField);
    provider_->SetUserAccessRightFieldName(users_.rightsField);
    provider_->SetHideDisabledItem(hideDenied);
    // The menu first: until a log-in it grants nothing, whether or not the table opens.
    if (window.menuWidget() != nullptr) {
        if (auto* bar = qobject_cast<QMenuBar*>(window.menuWidget())) {
            provider_->SetLinkedMainMenu(AdoptMenuBar(*bar, form_.get()));
        }
    }
    AdoptRightButtons(window, *provider_);
    Open();
}

TQtRights::~TQtRights() {
    delete admin_.data();
}

host::TDataSet* MakeUserTable(const TUserTable& users, host::TComponent* owner) {
    if ((users.sqliteFile.empty() ? 0 : 1) + (users.postgres.empty() ? 0 : 1) +
            (users.qtConnection.empty() ? 0 : 1) >
        1) {
        throw host::EDatabaseError("The user table is given in more than one place: give an "
                                   "SQLite file, a PostgreSQL connection string or a Qt SQL "
                                   "connection's name");
    }
    if (!users.qtConnection.empty()) {
        auto* qt = new host::TQtSqlTable(owner);
        qt->SetConnectionName(users.qtConnection);
        qt->SetTableName(users.table);
        return qt;
    }
    if (!users.postgres.empty()) {
#if ZEL_WITH_POSTGRES
        auto* pg = new host::TPgTable(owner);
        pg->SetConnectionString(users.postgres);
        pg->SetTableName(users.table);
        return pg;
#else
        throw host::EDatabaseError("TPgTable is not in this build");
#endif
    }
    auto* sqlite = new host::TSQLiteTable(owner);
    sqlite->SetDatabaseName(users.sqliteFile);
    sqlite->SetTableName(users.table);
    return sqlite;
}

void TQtRights::Open() {
    try {
        host::TDataSet* table = MakeUserTable(users_, form_.get());
        table->SetName("UsersTable");
        provider_->DataSource()->SetDataSet(table);
        table->Open();
        table_ = table;
    } catch (const std::exception& e) {
        error_ = e.what();
        ShowMessage("Cannot open the user table: " + error_);
    }
}

bool TQtRights::logIn() {
    if (!isReady()) {
        return false;
    }
    // No parent: the dialog lives on this stack frame alone, so nothing else may delete it
    // (a window that deletes itself on close would, were it the parent).
    TQtLoginDialog dialog(*provider_);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    LoggedIn();
    return true;
}

bool TQtRights::logInAs(const std::string& user, const std::string& password) {
    if (!isReady()) {
        return false;
    }
    provider_->SetUserID(user);
    provider_->SetUserPassword(password);
    const bool ok = provider_->LoadSetting();
    std::string held = provider_->UserPassword();
    provider_->SetUserPassword(std::string());
    host::WipeSecret(held);
    if (ok) {
        LoggedIn();
    }
    return ok;
}

void TQtRights::LoggedIn() {
    user_ = provider_->UserID();
    loggedIn_ = true;
    // A dialog opened for the previous user previewed on their menu and saved as them.
    delete admin_.data();
}

TQtAdminDialog* TQtRights::administer(const std::string& right) {
    if (!loggedIn_ || !provider_->HasRight(right)) {
        ShowMessage("You may not administer users and rights.");
        return nullptr;
    }
    if (admin_ == nullptr) {
        admin_ = new TQtAdminDialog(*this, window_);
    }
    admin_->show();
    admin_->raise();
    return admin_;
}

bool TQtRights::changeMyPassword() {
    if (!loggedIn_ || table_ == nullptr) {
        return false;
    }
    TQtPasswordDialog dialog(*table_, users_.userIDField, users_.passwordField, user_, true);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace zel::qt
