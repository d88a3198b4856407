// The log-in through Qt SQL on MariaDB, beside a bare QSqlQuery over the same table.
//   ZEL_BENCH_MARIADB=socket build/default/bench/bench_zel --benchmark_filter=MariaDB
//   scripts/bench                            (starts a MariaDB server for it)
#include "BenchSupport.h"
#include "zel/host/qtsql/QtSqlTable.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <optional>
#include <stdexcept>

using namespace zel::host;

namespace {
std::optional<std::string> Server() {
    const char* socket = std::getenv("ZEL_BENCH_MARIADB");
    return socket != nullptr && *socket != '\0' ? std::optional<std::string>(socket) : std::nullopt;
}

// A setup statement that failed ends the benchmark with the server's word for it, rather
// than timing a table that is not there.
void Exec(QSqlQuery& q, const std::string& sql) {
    if (!q.exec(QString::fromStdString(sql))) {
        throw std::runtime_error(sql + ": " + q.lastError().text().toStdString());
    }
}

QSqlDatabase Connect(const std::string& socket, const QString& name) {
    QSqlDatabase db = QSqlDatabase::contains(name) ? QSqlDatabase::database(name)
                                                   : QSqlDatabase::addDatabase("QMYSQL", name);
    if (!db.isOpen()) {
        db.setUserName("zel");
        db.setConnectOptions("UNIX_SOCKET=" + QString::fromStdString(socket));
        if (!db.open()) {
            throw std::runtime_error("cannot connect: " + db.lastError().text().toStdString());
        }
        QSqlQuery q(db);
        Exec(q, "CREATE DATABASE IF NOT EXISTS zel_bench");
        Exec(q, "USE zel_bench");
    }
    return db;
}

// The table of `users` users, made once per size; the last one is the one who logs in.
std::string Users(const std::string& socket, int users, bool indexed) {
    const std::string table = "bench_users_" + std::to_string(users) + (indexed ? "_indexed" : "");
    QSqlDatabase db = Connect(socket, "bench_admin");
    QSqlQuery q(db);
    if (!q.exec(QString::fromStdString("SELECT 1 FROM " + table + " LIMIT 1"))) {
        Exec(q, "CREATE TABLE " + table +
                    " (id INTEGER AUTO_INCREMENT PRIMARY KEY, login VARCHAR(64), "
                    "password VARCHAR(64), rights BLOB" +
                    (indexed ? ", INDEX (login)" : "") + ")");
        Exec(q, "INSERT INTO " + table +
                    " (login, password, rights) SELECT CONCAT('user', seq), 'pw', "
                    "X'ff6d30ff6d37ff' FROM seq_0_to_" +
                    std::to_string(users - 1) + " ORDER BY seq");
        Exec(q, "ANALYZE TABLE " + table);
    }
    return table;
}

void ZelLogin(benchmark::State& state, bool indexed) {
    const auto socket = Server();
    if (!socket) {
        state.SkipWithError("no server: set ZEL_BENCH_MARIADB");
        return;
    }
    const int users = static_cast<int>(state.range(0));
    TForm owner(nullptr);
    auto* t = new TQtSqlTable(&owner);
    t->SetDriver("QMYSQL");
    t->SetDatabaseName("zel_bench");
    t->SetUserName("zel");
    t->SetConnectOptions("UNIX_SOCKET=" + *socket);
    try {
        t->SetTableName(Users(*socket, users, indexed));
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return;
    }
    zel::bench::MeasureLogin(state, t, !indexed);
}

// The bare loop: one forward-only query of one column until the last user, or the lookup.
void BareQuery(benchmark::State& state, bool indexed) {
    const auto socket = Server();
    if (!socket) {
        state.SkipWithError("no server: set ZEL_BENCH_MARIADB");
        return;
    }
    const int users = static_cast<int>(state.range(0));
    QString table;
    QSqlDatabase db;
    try {
        table = QString::fromStdString(Users(*socket, users, indexed));
        db = Connect(*socket, "bench_bare");
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return;
    }
    const QString last = QString("user%1").arg(users - 1);
    for (auto _ : state) {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        bool found = false;
        if (indexed) {
            q.prepare("SELECT id FROM " + table + " WHERE login = ?");
            q.addBindValue(last);
            q.exec();
            found = q.next();
        } else {
            q.exec("SELECT login FROM " + table + " ORDER BY id");
            while (!found && q.next()) {
                found = q.value(0).toString() == last;
            }
        }
        benchmark::DoNotOptimize(found);
    }
    state.counters["units"] = indexed ? 1 : users;
}
} // namespace

static void LoginMariaDBScan(benchmark::State& state) {
    ZelLogin(state, false);
}
static void LoginMariaDBScan_Baseline(benchmark::State& state) {
    BareQuery(state, false);
}
static void LoginMariaDBIndex(benchmark::State& state) {
    ZelLogin(state, true);
}
static void LoginMariaDBIndex_Baseline(benchmark::State& state) {
    BareQuery(state, true);
}

#define SIZES Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)
BENCHMARK(LoginMariaDBScan)->SIZES;
BENCHMARK(LoginMariaDBScan_Baseline)->SIZES;
BENCHMARK(LoginMariaDBIndex)->SIZES;
BENCHMARK(LoginMariaDBIndex_Baseline)->SIZES;
