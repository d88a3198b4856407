#pragma once
// The user database of a test: a SQLite file in the test's folder, read by the SQLite dataset
// or through Qt SQL; a schema of its own on the throwaway PostgreSQL server; or a database
// of its own on the throwaway MariaDB server, through Qt SQL (tests/postgres/server.sh,
// tests/mariadb/server.sh). Suites that must hold on every one are parameterised by Backend.

#include "zel/host/core/Component.h"
#include "zel/host/data/DataSet.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

struct pg_conn;

namespace zel::test {

struct UserRow;

enum class Backend { SQLite, Postgres, QtSqlite, MariaDB };
std::string NameOf(Backend backend);
inline void PrintTo(Backend backend, std::ostream* out) {
    *out << NameOf(backend);
}

/// For INSTANTIATE_TEST_SUITE_P(Backends, Suite, kEveryBackend, BackendName).
#if ZEL_WITH_POSTGRES
inline const auto kEveryBackend =
    ::testing::Values(Backend::SQLite, Backend::Postgres, Backend::QtSqlite, Backend::MariaDB);
#else
inline const auto kEveryBackend =
    ::testing::Values(Backend::SQLite, Backend::QtSqlite, Backend::MariaDB);
#endif
/// In a test that needs the PostgreSQL server whatever its parameters: skips it in a build
/// without PostgreSQL.
#define ZEL_TEST_NEEDS_POSTGRES()                                                                  \
    if (!ZEL_WITH_POSTGRES)                                                                        \
    GTEST_SKIP() << "PostgreSQL is not in this build"
std::string BackendName(const ::testing::TestParamInfo<Backend>& info);

/// The connection string of the test server; raises when no server was started.
std::string TestServer();
/// The socket of the test MariaDB server; raises when none was started.
std::string TestMariaDB();

class UserStore {
public:
    /// `folder` holds the SQLite file `fileName`; a PostgreSQL store makes its own schema,
    /// a MariaDB one its own database, dropped again by the destructor.
    UserStore(Backend backend, const std::string& folder, const std::string& fileName = "users.db");
    ~UserStore();
    UserStore(const UserStore&) = delete;
    UserStore& operator=(const UserStore&) = delete;

    Backend Kind() const { return backend_; }

    /// Creates (replaces) `table` with three text columns and the rows, in order. On
    /// PostgreSQL the columns are of `pgType` (text or bytea), and a last column row_id
    /// numbers the rows as their primary key. On MariaDB text is VARCHAR (TEXT for the
    /// rights) in the server's usual utf8mb4_general_ci, bytea VARBINARY (BLOB).
    void MakeUserTable(const std::string& table, const std::string& idField,
                       const std::string& passwordField, const std::string& rightsField,
                       const std::vector<UserRow>& rows, const std::string& pgType = "text");
    void Exec(const std::string& sql);
    /// The first column of the first row, as its bytes; nullopt for NULL or no row.
    std::optional<std::string> Query(const std::string& sql);

    /// A dataset on `table`, set up but not open.
    host::TDataSet* NewTable(host::TComponent* owner, const std::string& table) const;
    /// The properties a form gives a dataset object on `table` (class name first line).
    std::string FormTable(const std::string& objectName, const std::string& table) const;
    /// SQLite: the file name; PostgreSQL: the connection string; MariaDB: the database.
    const std::string& Where() const { return where_; }

private:
    Backend backend_;
    std::string where_;
    std::string schema_;
    pg_conn* conn_ = nullptr;
    std::string qtConnection_; // MariaDB: the store's own Qt SQL connection
};

/// Sets ReadOnly on any kind of table.
void SetReadOnly(host::TDataSet& table, bool readOnly);

} // namespace zel::test
