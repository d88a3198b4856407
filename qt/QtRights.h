#pragma once
// TQtRights: ZEL on a Qt main window in one object. Given the window and where its users
// are, it opens the user table, makes the data source and the rights provider, adopts the
// window's menu bar and its zelRight buttons and actions, and shows the system's messages
// as message boxes. Underneath are the same components as anywhere else; provider() is
// the rights provider itself for everything this class does not offer.
//
//     zel::qt::TQtRights rights(window, zel::qt::TUserTable::SQLite("shop.db"));
//     if (!rights.isReady() || !rights.logIn()) return 1;   // why was shown to the user
//
// A table that cannot be opened is shown to the user and kept in errorText(); nothing is
// thrown, and the menu stays as adoption left it: nothing granted. The object may go
// before or after the window: what it adopted stays disabled once it is gone.

#include "zel/components/ZELRight.h"
#include "zel/host/core/Form.h"
#include "zel/qt/QtMessageBox.h"

#include <QObject>
#include <QPointer>
#include <memory>
#include <string>

class QMainWindow;

namespace zel::qt {

/// Where the users are and which fields say what. The defaults fit `zel example`.
struct TUserTable {
    std::string sqliteFile;   ///< an SQLite database file, or
    std::string postgres;     ///< a PostgreSQL connection string or postgresql:// URI, or
    std::string qtConnection; ///< the name of the application's own QSqlDatabase connection
    std::string table = "users";
    std::string userIDField = "login";
    std::string passwordField = "password";
    std::string rightsField = "rights";

    static TUserTable SQLite(std::string file);
    static TUserTable Postgres(std::string conninfo);
    /// The application's own Qt SQL connection, on whatever driver it uses (Qt's default
    /// connection unless named); the application opens and closes it.
    static TUserTable QtSql(std::string connectionName = "qt_sql_default_connection");
};

/// A dataset on `users`' table, owned by `owner`, not opened yet. More than one place given
/// raises EDatabaseError.
host::TDataSet* MakeUserTable(const TUserTable& users, host::TComponent* owner);

class TQtAdminDialog;

class TQtRights : public QObject {
public:
    /// `hideDenied`: the menu hides what a user may not use, instead of greying it.
    TQtRights(QMainWindow& window, TUserTable users, bool hideDenied = false);
    ~TQtRights() override;

    /// Whether the user table is open; when not, errorText() says why.
    bool isReady() const { return table_ != nullptr; }
    const std::string& errorText() const { return error_; }

    /// The log-in dialog, with its waits after refusals; false when it was cancelled or
    /// the table is not open.
    bool logIn();
    /// Logs `user` in without a dialog; false, with the system's message, when refused.
    bool logInAs(const std::string& user, const std::string& password);
    /// The user logged in now; empty before the first log-in.
    const std::string& currentUser() const { return user_; }

    /// The administration dialog (TQtAdminDialog), for a user granted `right`: opened, or
    /// raised when it is open already; nullptr, with a message, for anyone else.
    TQtAdminDialog* administer(const std::string& right);
    /// "Change my password" for the user logged in; false when cancelled or not logged in.
    bool changeMyPassword();

    TZELRight& provider() const { return *provider_; }
    const TUserTable& users() const { return users_; }
    /// The form that owns the components (the table, its source, the provider, the menu).
    host::TForm& form() const { return *form_; }

private:
    void Open();
    void LoggedIn();

    TUserTable users_;
    TQtMessageBoxes boxes_;
    std::unique_ptr<host::TForm> form_;
    TZELRight* provider_ = nullptr;   // owned by form_
    host::TDataSet* table_ = nullptr; // owned by form_; nullptr until it opened
    QPointer<QMainWindow> window_;
    QPointer<TQtAdminDialog> admin_; // goes before the components it works on
    std::string user_;
    bool loggedIn_ = false;
    std::string error_;
};

} // namespace zel::qt
