#include "support/UserStore.h"

#include "support/TestSupport.h"
#include "zel/host/core/TextEncoding.h"
#include "zel/host/qtsql/QtSqlTable.h"
#include "zel/host/sqlite/SQLiteTable.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <unistd.h>
#if ZEL_WITH_POSTGRES
#include "zel/host/postgres/PgTable.h"

#include <libpq-fe.h>
#endif

namespace zel::test {

// What only the PostgreSQL store needs; a build without PostgreSQL has no such store.
#if ZEL_WITH_POSTGRES
namespace {
struct PgResult {
    PGresult* r;
    ~PgResult() { PQclear(r); }
};

PgResult Run(pg_conn* conn, const std::string& sql, const std::vector<const char*>& values = {},
             const std::vector<int>& lengths = {}, const std::vector<int>& formats = {}) {
    PgResult result{PQexecParams(conn, sql.c_str(), static_cast<int>(values.size()), nullptr,
                                 values.data(), lengths.data(),
                                 formats.empty() ? nullptr : formats.data(), 1)};
    const ExecStatusType status = PQresultStatus(result.r);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        throw std::runtime_error("SQL failed: " + std::string(PQerrorMessage(conn)) + " in " + sql);
    }
    return result;
}
} // namespace
#else
namespace {
struct PgResult {};
[[noreturn]] PgResult Run(pg_conn*, const std::string&, const std::vector<const char*>& = {},
                          const std::vector<int>& = {}, const std::vector<int>& = {}) {
    throw std::logic_error("PostgreSQL is not in this build");
}
} // namespace
#endif

std::string NameOf(Backend backend) {
    switch (backend) {
    case Backend::SQLite:
        return "SQLite";
    case Backend::Postgres:
        return "Postgres";
    case Backend::QtSqlite:
        return "QtSqlite";
    case Backend::MariaDB:
        return "MariaDB";
    }
    return "?";
}

namespace {
// The MariaDB store's statements, through Qt SQL as the tests' only client; values as
// UTF-8 (text) or their bytes (BLOB), as the test writes and reads them.
QSqlQuery RunOn(const std::string& connection, const std::string& sql,
                const std::vector<std::optional<std::string>>& values = {}, bool bytes = false) {
    QSqlQuery q(QSqlDatabase::database(QString::fromStdString(connection)));
    q.prepare(QString::fromStdString(sql));
    for (const auto& v : values) {
        if (!v) {
            q.addBindValue(QVariant(QMetaType::fromType<QString>()));
        } else if (bytes) {
            q.addBindValue(QByteArray(v->data(), static_cast<qsizetype>(v->size())));
        } else {
            q.addBindValue(QString::fromStdString(host::ToUtf8(*v)));
        }
    }
    if (!q.exec()) {
        throw std::runtime_error("SQL failed: " + q.lastError().text().toStdString() + " in " +
                                 sql);
    }
    return q;
}
} // namespace

std::string TestMariaDB() {
    const char* file = std::getenv("ZEL_TEST_MARIADB_FILE");
    std::ifstream in(file != nullptr ? file : ZEL_MARIADB_POINTER);
    std::string socket;
    if (!std::getline(in, socket) || socket.empty()) {
        throw std::runtime_error("no test MariaDB server: run the tests with ctest, which "
                                 "starts one (tests/mariadb/server.sh)");
    }
    return socket;
}

std::string BackendName(const ::testing::TestParamInfo<Backend>& info) {
    return NameOf(info.param);
}

std::string TestServer() {
    const char* file = std::getenv("ZEL_TEST_PG_FILE");
    std::ifstream in(file != nullptr ? file : ZEL_PG_POINTER);
    std::string conninfo;
    if (!std::getline(in, conninfo) || conninfo.empty()) {
        throw std::runtime_error("no test PostgreSQL server: run the tests with ctest, which "
                                 "starts one (tests/postgres/server.sh)");
    }
    return conninfo;
}

UserStore::UserStore(Backend backend, const std::string& folder, const std::string& fileName)
    : backend_(backend) {
    if (backend == Backend::SQLite || backend == Backend::QtSqlite) {
        where_ = folder + "/" + fileName;
        ExecSql(where_, "PRAGMA user_version = 0"); // creates the file
        return;
    }
    static std::atomic<int> counter{0};
    if (backend == Backend::MariaDB) {
        where_ = "zel_" + std::to_string(getpid()) + "_" + std::to_string(++counter);
        qtConnection_ = "store_" + where_;
        QSqlDatabase db =
            QSqlDatabase::addDatabase("QMYSQL", QString::fromStdString(qtConnection_));
        db.setUserName("zel");
        db.setConnectOptions("UNIX_SOCKET=" + QString::fromStdString(TestMariaDB()));
        if (!db.open()) {
            throw std::runtime_error("cannot reach the test MariaDB server: " +
                                     db.lastError().text().toStdString());
        }
        RunOn(qtConnection_, "CREATE DATABASE " + where_);
        RunOn(qtConnection_, "USE " + where_);
        return;
    }
#if !ZEL_WITH_POSTGRES
    throw std::logic_error("PostgreSQL is not in this build");
#else
    schema_ = "zel_" + std::to_string(getpid()) + "_" + std::to_string(++counter);
    const std::string server = TestServer();
    conn_ = PQconnectdb(server.c_str());
    if (PQstatus(conn_) != CONNECTION_OK) {
        const std::string reason = PQerrorMessage(conn_);
        PQfinish(conn_);
        throw std::runtime_error("cannot reach the test server: " + reason);
    }
    PQsetClientEncoding(conn_,
                        host::TextEncoding() == host::TTextEncoding::Utf8 ? "UTF8" : "WIN1252");
    Run(conn_, "SET client_min_messages = warning");
    Run(conn_, "DROP SCHEMA IF EXISTS " + schema_ + " CASCADE");
    Run(conn_, "CREATE SCHEMA " + schema_);
    Run(conn_, "SET search_path = " + schema_);
    where_ = server + " options=-csearch_path=" + schema_;
#endif
}

UserStore::~UserStore() {
    if (!qtConnection_.empty()) {
        {
            QSqlQuery(QSqlDatabase::database(QString::fromStdString(qtConnection_)))
                .exec(QString::fromStdString("DROP DATABASE IF EXISTS " + where_));
        }
        QSqlDatabase::removeDatabase(QString::fromStdString(qtConnection_));
    }
#if ZEL_WITH_POSTGRES
    if (conn_ != nullptr) {
        PQclear(PQexec(conn_, ("DROP SCHEMA " + schema_ + " CASCADE").c_str()));
        PQfinish(conn_);
    }
#endif
}

void UserStore::MakeUserTable(const std::string& table, const std::string& idField,
                              const std::string& passwordField, const std::string& rightsField,
                              const std::vector<UserRow>& rows, const std::string& pgType) {
    if (backend_ == Backend::SQLite || backend_ == Backend::QtSqlite) {
        // Qt's driver reads TEXT through UTF-16: what it reads is UTF-8 text or a BLOB.
        zel::test::MakeUserTable(where_, table, idField, passwordField, rightsField, rows,
                                 backend_ == Backend::QtSqlite);
        return;
    }
    if (backend_ == Backend::MariaDB) {
        const auto q = [](const std::string& name) {
            std::string quoted = "`";
            for (char c : name) {
                quoted += c == '`' ? "``" : std::string(1, c);
            }
            return quoted + "`";
        };
        const bool bytes = pgType == "bytea";
        const std::string text = bytes ? "VARBINARY(255)" : "VARCHAR(255)";
        Exec("DROP TABLE IF EXISTS " + q(table));
        Exec("CREATE TABLE " + q(table) + " (" + q(idField) + " " + text + ", " + q(passwordField) +
             " " + text + ", " + q(rightsField) + (bytes ? " BLOB" : " TEXT") +
             ", row_id INTEGER AUTO_INCREMENT PRIMARY KEY)");
        for (const UserRow& r : rows) {
            RunOn(qtConnection_,
                  "INSERT INTO " + q(table) + " (" + q(idField) + ", " + q(passwordField) + ", " +
                      q(rightsField) + ") VALUES (?, ?, ?)",
                  {r.id, r.password, r.rights}, bytes);
        }
        return;
    }
    const std::string name = host::QuoteIdentifier(table);
    Exec("DROP TABLE IF EXISTS " + name);
    Exec("CREATE TABLE " + name + " (" + host::QuoteIdentifier(idField) + " " + pgType + ", " +
         host::QuoteIdentifier(passwordField) + " " + pgType + ", " +
         host::QuoteIdentifier(rightsField) + " " + pgType +
         ", row_id integer GENERATED ALWAYS AS IDENTITY PRIMARY KEY)");
    const int format = pgType == "bytea" ? 1 : 0;
    for (const UserRow& r : rows) {
        std::vector<const char*> values;
        std::vector<int> lengths;
        for (const auto* v : {&r.id, &r.password, &r.rights}) {
            values.push_back(*v ? (*v)->c_str() : nullptr);
            lengths.push_back(*v ? static_cast<int>((*v)->size()) : 0);
        }
        Run(conn_, "INSERT INTO " + name + " VALUES ($1, $2, $3)", values, lengths,
            {format, format, format});
    }
}

void UserStore::Exec(const std::string& sql) {
    if (backend_ == Backend::SQLite || backend_ == Backend::QtSqlite) {
        ExecSql(where_, sql);
    } else if (backend_ == Backend::MariaDB) {
        RunOn(qtConnection_, sql);
    } else {
        Run(conn_, sql);
    }
}

std::optional<std::string> UserStore::Query(const std::string& sql) {
    if (backend_ == Backend::SQLite) {
        return QueryText(where_, sql);
    }
    if (backend_ == Backend::QtSqlite) {
        // Text comes back as the host's, as the PostgreSQL store's client encoding gives it.
        std::optional<std::string> value = QueryText(where_, sql);
        if (value && host::IsValidUtf8(*value)) {
            return host::FromUtf8(*value).value_or(*value);
        }
        return value;
    }
    if (backend_ == Backend::MariaDB) {
        QSqlQuery q = RunOn(qtConnection_, sql);
        if (!q.next() || q.value(0).isNull()) {
            return std::nullopt;
        }
        if (q.value(0).metaType().id() == QMetaType::QByteArray) {
            const QByteArray bytes = q.value(0).toByteArray();
            return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        }
        const std::string utf8 = q.value(0).toString().toStdString();
        return host::FromUtf8(utf8).value_or(utf8);
    }
#if ZEL_WITH_POSTGRES
    PgResult r = Run(conn_, sql); // binary results: text and bytea both as their bytes
    if (PQntuples(r.r) == 0 || PQgetisnull(r.r, 0, 0)) {
        return std::nullopt;
    }
    return std::string(PQgetvalue(r.r, 0, 0), static_cast<std::size_t>(PQgetlength(r.r, 0, 0)));
#else
    Run(conn_, sql);
#endif
}

host::TDataSet* UserStore::NewTable(host::TComponent* owner, const std::string& table) const {
    if (backend_ == Backend::SQLite) {
        auto* t = new host::TSQLiteTable(owner);
        t->SetDatabaseName(where_);
        t->SetTableName(table);
        return t;
    }
    if (backend_ == Backend::QtSqlite || backend_ == Backend::MariaDB) {
        auto* t = new host::TQtSqlTable(owner);
        if (backend_ == Backend::QtSqlite) {
            t->SetDatabaseName(where_);
        } else {
            t->SetDriver("QMYSQL");
            t->SetDatabaseName(where_);
            t->SetUserName("zel");
            t->SetConnectOptions("UNIX_SOCKET=" + TestMariaDB());
        }
        t->SetTableName(table);
        return t;
    }
#if ZEL_WITH_POSTGRES
    auto* t = new host::TPgTable(owner);
    t->SetConnectionString(where_);
    t->SetTableName(table);
    return t;
#else
    throw std::logic_error("PostgreSQL is not in this build");
#endif
}

void SetReadOnly(host::TDataSet& table, bool readOnly) {
    if (auto* sqlite = dynamic_cast<host::TSQLiteTable*>(&table)) {
        sqlite->SetReadOnly(readOnly);
    } else if (auto* qt = dynamic_cast<host::TQtSqlTable*>(&table)) {
        qt->SetReadOnly(readOnly);
    } else {
#if ZEL_WITH_POSTGRES
        dynamic_cast<host::TPgTable&>(table).SetReadOnly(readOnly);
#endif
    }
}

std::string UserStore::FormTable(const std::string& objectName, const std::string& table) const {
    if (backend_ == Backend::QtSqlite) {
        return "  object " + objectName + ": TQtSqlTable\n    Driver = 'QSQLITE'\n" +
               "    DatabaseName = '" + where_ + "'\n    TableName = '" + table + "'\n";
    }
    if (backend_ == Backend::MariaDB) {
        return "  object " + objectName + ": TQtSqlTable\n    Driver = 'QMYSQL'\n" +
               "    DatabaseName = '" + where_ + "'\n    UserName = 'zel'\n" +
               "    ConnectOptions = 'UNIX_SOCKET=" + TestMariaDB() + "'\n    TableName = '" +
               table + "'\n";
    }
    const bool sqlite = backend_ == Backend::SQLite;
    return "  object " + objectName +
           (sqlite ? ": TSQLiteTable\n    DatabaseName = '"
                   : ": TPgTable\n    ConnectionString = '") +
           where_ + "'\n    TableName = '" + table + "'\n";
}

} // namespace zel::test
