#include "support/UserStore.h"

#include "support/TestSupport.h"
#include "zel/host/core/TextEncoding.h"
#include "zel/host/sqlite/SQLiteTable.h"

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
    return backend == Backend::SQLite ? "SQLite" : "Postgres";
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
    if (backend == Backend::SQLite) {
        where_ = folder + "/" + fileName;
        ExecSql(where_, "PRAGMA user_version = 0"); // creates the file
        return;
    }
#if !ZEL_WITH_POSTGRES
    throw std::logic_error("PostgreSQL is not in this build");
#else
    static std::atomic<int> counter{0};
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
    if (backend_ == Backend::SQLite) {
        zel::test::MakeUserTable(where_, table, idField, passwordField, rightsField, rows);
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
    if (backend_ == Backend::SQLite) {
        ExecSql(where_, sql);
    } else {
        Run(conn_, sql);
    }
}

std::optional<std::string> UserStore::Query(const std::string& sql) {
    if (backend_ == Backend::SQLite) {
        return QueryText(where_, sql);
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
    } else {
#if ZEL_WITH_POSTGRES
        dynamic_cast<host::TPgTable&>(table).SetReadOnly(readOnly);
#endif
    }
}

std::string UserStore::FormTable(const std::string& objectName, const std::string& table) const {
    const bool sqlite = backend_ == Backend::SQLite;
    return "  object " + objectName +
           (sqlite ? ": TSQLiteTable\n    DatabaseName = '"
                   : ": TPgTable\n    ConnectionString = '") +
           where_ + "'\n    TableName = '" + table + "'\n";
}

} // namespace zel::test
