#include "BenchSupport.h"

#include "zel/components/ZELRight.h"
#include "zel/host/data/DataSource.h"
#include "zel/host/forms/FormFile.h"

#include <filesystem>
#include <libpq-fe.h>
#include <malloc.h>
#include <sqlite3.h>
#include <stdexcept>

namespace zel::bench {

host::TMainMenu* BuildMenu(host::TForm& form, int count) {
    auto* menu = new host::TMainMenu(&form);
    menu->SetName("MainMenu1");
    host::TMenuItem* top = nullptr;
    host::TMenuItem* group = nullptr;
    for (int i = 0; i < count; ++i) {
        auto* item = new host::TMenuItem(&form);
        item->SetName("m" + std::to_string(i));
        item->SetCaption("&Item " + std::to_string(i));
        if (i % (count / 10 + 1) == 0) {
            menu->Items()->Add(item);
            top = item;
            group = item;
        } else if (i % 10 == 0) {
            top->Add(item);
            group = item;
        } else {
            group->Add(item);
        }
    }
    return menu;
}

std::string MenuFormText(int count) {
    host::TForm form(nullptr);
    form.SetName("BenchForm");
    BuildMenu(form, count);
    return host::WriteForm(form);
}

namespace {
void Check(bool ok, const std::string& what) {
    if (!ok) {
        throw std::runtime_error(what);
    }
}
} // namespace

std::string SQLiteUsers(int users, bool indexed) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("zel-bench-" + std::to_string(users) + (indexed ? "-indexed" : "") + ".db");
    if (std::filesystem::exists(path)) {
        return path.string();
    }
    const auto part = path.string() + ".part";
    std::filesystem::remove(part);
    sqlite3* db = nullptr;
    Check(sqlite3_open(part.c_str(), &db) == SQLITE_OK, "cannot make " + part);
    sqlite3_exec(db, "CREATE TABLE users (login TEXT, password TEXT, rights BLOB); BEGIN;", nullptr,
                 nullptr, nullptr);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO users VALUES (?, 'pw', X'FF6D30FF6D37FF')", -1, &s,
                       nullptr);
    for (int u = 0; u < users; ++u) {
        const std::string login = "user" + std::to_string(u);
        sqlite3_bind_text(s, 1, login.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(s);
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    sqlite3_exec(db, indexed ? "CREATE INDEX users_login ON users (login); COMMIT" : "COMMIT",
                 nullptr, nullptr, nullptr);
    sqlite3_close(db);
    std::filesystem::rename(part, path);
    return path.string();
}

std::optional<std::string> PgServer() {
    const char* conninfo = std::getenv("ZEL_BENCH_PG");
    return conninfo != nullptr && *conninfo != '\0' ? std::optional<std::string>(conninfo)
                                                    : std::nullopt;
}

std::string PgUsers(const std::string& conninfo, int users, bool indexed) {
    const std::string table = "bench_users_" + std::to_string(users) + (indexed ? "_indexed" : "");
    PGconn* conn = PQconnectdb(conninfo.c_str());
    Check(PQstatus(conn) == CONNECTION_OK, "cannot connect to " + conninfo);
    PGresult* r = PQexec(conn, ("SELECT to_regclass('" + table + "')").c_str());
    const bool exists = PQntuples(r) == 1 && !PQgetisnull(r, 0, 0);
    PQclear(r);
    if (!exists) {
        const std::string sql =
            "BEGIN; CREATE TABLE " + table +
            " (id integer GENERATED ALWAYS AS IDENTITY PRIMARY KEY, login text, password text, "
            "rights bytea); INSERT INTO " +
            table +
            " (login, password, rights) SELECT 'user' || g, 'pw', '\\xff6d30ff6d37ff' FROM "
            "generate_series(0, " +
            std::to_string(users - 1) + ") g ORDER BY g;" +
            (indexed ? "CREATE INDEX ON " + table + " (login);" : "") + "COMMIT; ANALYZE " + table;
        r = PQexec(conn, sql.c_str());
        Check(PQresultStatus(r) == PGRES_COMMAND_OK, PQerrorMessage(conn));
        PQclear(r);
    }
    PQfinish(conn);
    return table;
}

namespace {
constexpr int kMenuForLogin = 200;

struct LoginForm {
    host::TForm form{nullptr};
    TZELRight* rights = new TZELRight(&form);
    LoginForm(host::TDataSet* table, int users) {
        BuildMenu(form, kMenuForLogin);
        auto* source = new host::TDataSource(&form);
        source->SetDataSet(table);
        rights->SetDataSource(source);
        rights->SetLinkedMainMenu(static_cast<host::TMainMenu*>(form.FindComponent("MainMenu1")));
        rights->SetUserIDFieldName("login");
        rights->SetUserPasswordFieldName("password");
        rights->SetUserAccessRightFieldName("rights");
        rights->SetUserID("user" + std::to_string(users - 1));
        rights->SetUserPassword("pw");
        table->Open();
    }
};
} // namespace

void MeasureLogin(benchmark::State& state, host::TDataSet* table, bool perRow) {
    const int users = static_cast<int>(state.range(0));
    LoginForm f(table, users);
    for (auto _ : state) {
        if (!f.rights->LoadSetting()) {
            state.SkipWithError("the log-in failed");
            break;
        }
    }
    state.counters["units"] = perRow ? users : 1;
}

std::size_t HeapInUse() {
    return mallinfo2().uordblks;
}

} // namespace zel::bench
