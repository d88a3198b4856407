#pragma once
// The example shop: its users with their rights, its database, and its form files (built
// in from examples/shop). The zel tool writes it; the zel-shop application runs on it.

#include <optional>
#include <string>
#include <vector>

namespace zel::example {

struct ExampleUser {
    const char* login;
    const char* password; ///< the user ID, as the README says
    bool hashed;          ///< stored as an Argon2id hash; otherwise as plain text
    std::vector<std::string> rights;
};

/// The users of the example and what each may do.
const std::vector<ExampleUser>& ExampleUsers();

/// What the user table holds for `user`: the access-right string of its rights, and its
/// password (an Argon2id hash when `hashed`, made anew on each call).
std::string StoredRights(const ExampleUser& user);
std::string StoredPassword(const ExampleUser& user);

/// Fills the new, empty database file at `path` with the example's user table and an index
/// on its user IDs; raises host::EDatabaseError when SQLite cannot. It opens no link
/// (SQLITE_OPEN_NOFOLLOW).
void MakeExampleDatabase(const std::string& path);

/// The roles that the example's PostgreSQL table is granted to: staff may read it, and
/// change no one's rights or password hash; administrators may.
inline constexpr const char* kStaffRole = "zel_shop_staff";
inline constexpr const char* kAdminRole = "zel_shop_admin";

/// Creates the example's user table ("users", with an index on the user ID) in the
/// PostgreSQL database of `conninfo`, in one transaction, and grants it to the two roles
/// (made when the server has them not; when the user may not, `rolesRefused` says why and
/// the table is made without them). An existing table is replaced only when `replace` is
/// set; otherwise nothing is touched and the result is false. Raises host::EDatabaseError
/// with the server's reason, never the password.
bool MakeExamplePgTable(const std::string& conninfo, bool replace, std::string& rolesRefused);

/// An example form file whose SQLite table is made a PostgreSQL table on `conninfo`
/// (without its password, which libpq finds in ~/.pgpass).
std::string PgFormText(const std::string& formText, const std::string& conninfo);

/// A MariaDB or MySQL database, as `mariadb://[user@][host][:port]/database[?socket=path]`
/// (or mysql://) names it; the password stays in the driver's own file (~/.my.cnf).
struct QtSqlDatabase {
    std::string database, host, user, socket;
    int port = 0;
    std::string Describe() const;
};
/// The database `address` names, or nullopt when it is no mariadb:// or mysql:// address;
/// raises host::EDatabaseError for one that holds a password or names no database.
std::optional<QtSqlDatabase> QtSqlDatabaseOf(const std::string& address);
/// MakeExamplePgTable's table on MariaDB or MySQL, through Qt's QMYSQL driver: made aside
/// and renamed into place, so an old table goes only when the new one is complete. No
/// roles: MariaDB grants per user.
bool MakeExampleQtSqlTable(const QtSqlDatabase& db, bool replace);
/// An example form file whose SQLite table is made a TQtSqlTable on `db`.
std::string QtSqlFormText(const std::string& formText, const QtSqlDatabase& db);

struct EmbeddedFile {
    std::string name;  ///< the file name without extension
    std::string bytes; ///< the whole file
};

/// The example's form files: main, orders, admin.
const std::vector<EmbeddedFile>& EmbeddedFiles();

} // namespace zel::example
