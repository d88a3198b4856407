// The example's user table on a PostgreSQL server.
#include "ExampleShop.h"
#include "zel/host/core/Errors.h"
#include "zel/host/core/TextEncoding.h"
#include "zel/host/postgres/PgConnectionString.h"

#include <libpq-fe.h>
#include <memory>

namespace zel::example {

namespace {
struct Closer {
    void operator()(PGconn* c) const { PQfinish(c); }
};

void Run(PGconn* conn, const std::string& sql, const std::vector<const char*>& values = {},
         const std::vector<int>& lengths = {}, const std::vector<int>& formats = {}) {
    PGresult* r = PQexecParams(conn, sql.c_str(), static_cast<int>(values.size()), nullptr,
                               values.data(), lengths.data(), formats.data(), 0);
    const ExecStatusType status = PQresultStatus(r);
    PQclear(r);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        std::string reason = PQerrorMessage(conn);
        while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' ')) {
            reason.pop_back();
        }
        throw host::EDatabaseError("Cannot make the example's user table: " + reason);
    }
}

bool TableExists(PGconn* conn) {
    PGresult* r = PQexec(conn, "SELECT to_regclass('users') IS NOT NULL");
    const bool exists = PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) == 1 &&
                        std::string(PQgetvalue(r, 0, 0)) == "t";
    PQclear(r);
    return exists;
}
// The two roles of the security model, made once per server: staff read the table and
// change no one's rights or password hash; administrators may. A person's login role joins
// one of them (GRANT zel_shop_staff TO ann).
void GrantRoles(PGconn* conn) {
    for (const char* role : {kStaffRole, kAdminRole}) {
        Run(conn, std::string("DO $$ BEGIN CREATE ROLE ") + role +
                      " NOLOGIN; EXCEPTION WHEN duplicate_object THEN NULL; END $$");
    }
    const std::string both = std::string(kStaffRole) + ", " + kAdminRole;
    Run(conn, "DO $$ BEGIN EXECUTE format('GRANT USAGE ON SCHEMA %I TO " + both +
                  "', current_schema()); END $$");
    Run(conn, "REVOKE ALL ON users FROM PUBLIC");
    Run(conn, std::string("GRANT SELECT ON users TO ") + kStaffRole);
    Run(conn, std::string("GRANT SELECT, INSERT, UPDATE, DELETE ON users TO ") + kAdminRole);
}
} // namespace

bool MakeExamplePgTable(const std::string& conninfo, bool replace, std::string& rolesRefused) {
    const char* keys[] = {"connect_timeout", "dbname", "client_encoding", nullptr};
    const char* values[] = {"10", conninfo.c_str(),
                            host::TextEncoding() == host::TTextEncoding::Utf8 ? "UTF8" : "WIN1252",
                            nullptr};
    std::unique_ptr<PGconn, Closer> conn(PQconnectdbParams(keys, values, 1));
    if (PQstatus(conn.get()) != CONNECTION_OK) {
        throw host::EDatabaseError("Cannot connect to " + host::DescribeConnection(conninfo) +
                                   ": " + host::MaskPassword(PQerrorMessage(conn.get()), conninfo));
    }
    PQclear(PQexec(conn.get(), "SET client_min_messages = warning"));
    if (!replace && TableExists(conn.get())) {
        return false;
    }
    // One transaction: the old table is gone only when the new one is complete.
    Run(conn.get(), "BEGIN");
    Run(conn.get(), "DROP TABLE IF EXISTS users");
    // The rights are bytea: their 0xFF terminators are not text in every encoding.
    Run(conn.get(), "CREATE TABLE users (id integer GENERATED ALWAYS AS IDENTITY PRIMARY KEY, "
                    "login text NOT NULL, password text NOT NULL, rights bytea)");
    Run(conn.get(), "CREATE INDEX users_login ON users (login)");
    // A user who may not create roles still gets the table; the roles are then left out.
    Run(conn.get(), "SAVEPOINT roles");
    try {
        GrantRoles(conn.get());
        rolesRefused.clear();
    } catch (const host::EDatabaseError& e) {
        Run(conn.get(), "ROLLBACK TO SAVEPOINT roles");
        rolesRefused = e.what();
    }
    for (const ExampleUser& u : ExampleUsers()) {
        const std::string rights = StoredRights(u);
        const std::string password = StoredPassword(u);
        Run(conn.get(), "INSERT INTO users (login, password, rights) VALUES ($1, $2, $3)",
            {u.login, password.c_str(), rights.data()}, {0, 0, static_cast<int>(rights.size())},
            {0, 0, 1});
    }
    Run(conn.get(), "COMMIT");
    return true;
}

std::string PgFormText(const std::string& formText, const std::string& conninfo) {
    const std::string from = "TSQLiteTable\n    DatabaseName = 'shop.db'";
    std::string quoted;
    for (char c : host::ConnectionStringWithoutPassword(conninfo)) {
        quoted += c;
        if (c == '\'') {
            quoted += '\'';
        }
    }
    std::string text = formText;
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + 1)) {
        text.replace(at, from.size(), "TPgTable\n    ConnectionString = '" + quoted + "'");
    }
    return text;
}

} // namespace zel::example
