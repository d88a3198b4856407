// Where ZEL stands: each measure beside its bare baseline, in the same run, at 1k to 1M.
// A benchmark named X has its baseline in X_Baseline; the table printed at the end gives
// the time per unit (a row scanned, a menu item, a log-in) of both and their ratio.
//   build/default/bench/bench_zel            (ZEL_BENCH_PG=conninfo adds PostgreSQL,
//                                             ZEL_BENCH_MARIADB=socket MariaDB)
//   scripts/bench                            (starts the servers for it)
#include "BenchSupport.h"
#include "zel/components/ZELMCLB.h"
#include "zel/components/ZELRight.h"
#include "zel/host/data/DataSource.h"
#include "zel/host/forms/FormFile.h"
#include "zel/host/postgres/PgTable.h"
#include "zel/host/sqlite/SQLiteTable.h"
#include "zel/host/ui/Dialogs.h"
#include "zel/package/Package.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <libpq-fe.h>
#include <memory>
#include <sqlite3.h>
#include <unordered_set>

using namespace zel;
using namespace zel::host;
using zel::bench::BuildMenu;

namespace {
using zel::bench::MeasureLogin;

TDataSet* SQLiteTable(TForm* owner, int users, bool indexed) {
    auto* t = new TSQLiteTable(owner);
    t->SetDatabaseName(zel::bench::SQLiteUsers(users, indexed));
    t->SetTableName("users");
    return t;
}

// The bare step loop: one column, compared with memcmp, until the last user.
void SQLiteStepLoop(benchmark::State& state, bool indexed) {
    const int users = static_cast<int>(state.range(0));
    sqlite3* db = nullptr;
    sqlite3_open_v2(zel::bench::SQLiteUsers(users, indexed).c_str(), &db, SQLITE_OPEN_READONLY,
                    nullptr);
    const std::string last = "user" + std::to_string(users - 1);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db,
                       indexed ? "SELECT rowid FROM users WHERE login = ?1"
                               : "SELECT login FROM users ORDER BY rowid",
                       -1, &s, nullptr);
    for (auto _ : state) {
        sqlite3_bind_text(s, 1, last.data(), static_cast<int>(last.size()), SQLITE_STATIC);
        bool found = false;
        while (!found && sqlite3_step(s) == SQLITE_ROW) {
            found =
                indexed || (static_cast<std::size_t>(sqlite3_column_bytes(s, 0)) == last.size() &&
                            std::memcmp(sqlite3_column_text(s, 0), last.data(), last.size()) == 0);
        }
        sqlite3_reset(s);
        benchmark::DoNotOptimize(found);
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
    state.counters["units"] = indexed ? 1 : users;
}
} // namespace

static void LoginSQLiteScan(benchmark::State& state) {
    TForm owner(nullptr);
    MeasureLogin(state, SQLiteTable(&owner, static_cast<int>(state.range(0)), false), true);
}
static void LoginSQLiteScan_Baseline(benchmark::State& state) {
    SQLiteStepLoop(state, false);
}
static void LoginSQLiteIndex(benchmark::State& state) {
    TForm owner(nullptr);
    MeasureLogin(state, SQLiteTable(&owner, static_cast<int>(state.range(0)), true), false);
}
static void LoginSQLiteIndex_Baseline(benchmark::State& state) {
    SQLiteStepLoop(state, true);
}

namespace {
TDataSet* PgTable(TForm* owner, const std::string& conninfo, int users, bool indexed) {
    auto* t = new TPgTable(owner);
    t->SetConnectionString(conninfo);
    t->SetTableName(zel::bench::PgUsers(conninfo, users, indexed));
    return t;
}

// The bare libpq loop: a cursor over one column in batches of 1024, or the one lookup.
void PgFetchLoop(benchmark::State& state, bool indexed) {
    const auto server = zel::bench::PgServer();
    if (!server) {
        state.SkipWithError("no server: set ZEL_BENCH_PG");
        return;
    }
    const int users = static_cast<int>(state.range(0));
    const std::string table = zel::bench::PgUsers(*server, users, indexed);
    const std::string last = "user" + std::to_string(users - 1);
    PGconn* conn = PQconnectdb(server->c_str());
    for (auto _ : state) {
        bool found = false;
        if (indexed) {
            const char* values[] = {last.c_str()};
            PGresult* r =
                PQexecParams(conn, ("SELECT id FROM " + table + " WHERE login = $1").c_str(), 1,
                             nullptr, values, nullptr, nullptr, 0);
            found = PQntuples(r) == 1;
            PQclear(r);
        } else {
            PQclear(PQexec(conn, ("BEGIN; DECLARE c NO SCROLL CURSOR FOR SELECT login FROM " +
                                  table + " ORDER BY id")
                                     .c_str()));
            for (int rows = 1024; !found && rows == 1024;) {
                PGresult* r = PQexec(conn, "FETCH FORWARD 1024 FROM c");
                rows = PQntuples(r);
                for (int i = 0; i < rows && !found; ++i) {
                    found = static_cast<std::size_t>(PQgetlength(r, i, 0)) == last.size() &&
                            std::memcmp(PQgetvalue(r, i, 0), last.data(), last.size()) == 0;
                }
                PQclear(r);
            }
            PQclear(PQexec(conn, "COMMIT"));
        }
        benchmark::DoNotOptimize(found);
    }
    PQfinish(conn);
    state.counters["units"] = indexed ? 1 : users;
}

void PgLogin(benchmark::State& state, bool indexed) {
    const auto server = zel::bench::PgServer();
    if (!server) {
        state.SkipWithError("no server: set ZEL_BENCH_PG");
        return;
    }
    TForm owner(nullptr);
    MeasureLogin(state, PgTable(&owner, *server, static_cast<int>(state.range(0)), indexed),
                 !indexed);
}
} // namespace

static void LoginPgScan(benchmark::State& state) {
    PgLogin(state, false);
}
static void LoginPgScan_Baseline(benchmark::State& state) {
    PgFetchLoop(state, false);
}
static void LoginPgIndex(benchmark::State& state) {
    PgLogin(state, true);
}
static void LoginPgIndex_Baseline(benchmark::State& state) {
    PgFetchLoop(state, true);
}

namespace {
// Every item below `root`, depth first without recursion, given to `visit`.
template <class Visit> void EachItem(TMenuItem& root, Visit visit) {
    std::vector<TMenuItem*> stack{&root};
    while (!stack.empty()) {
        TMenuItem* item = stack.back();
        stack.pop_back();
        for (int i = item->Count() - 1; i >= 0; --i) {
            TMenuItem* child = item->Items(i);
            visit(*child);
            stack.push_back(child);
        }
    }
}

// The bare hash walk: every item enabled and shown by a hash-set lookup of its name.
void HashWalk(TMenuItem& root, const std::unordered_set<std::string>& granted) {
    EachItem(root, [&](TMenuItem& item) {
        const bool g = granted.count(item.Name()) != 0;
        item.SetEnabled(g);
        item.SetVisible(g);
    });
}

std::unordered_set<std::string> HalfGranted(int items) {
    std::unordered_set<std::string> granted;
    for (int i = 0; i < items; i += 2) {
        granted.insert("m" + std::to_string(i));
    }
    return granted;
}
} // namespace

// The provider's walk over a menu with half its items granted.
static void RightsWalk(benchmark::State& state) {
    const int items = static_cast<int>(state.range(0));
    TForm form(nullptr);
    TMainMenu* menu = BuildMenu(form, items);
    TZELRight rights(nullptr);
    rights.SetLinkedMainMenu(menu);
    rights.SetHideDisabledItem(true);
    for (const auto& name : HalfGranted(items)) {
        rights.GetAuthorisedMenuItems()->Add(name);
    }
    for (auto _ : state) {
        rights.ActivateSetting();
    }
    state.counters["units"] = items;
}
static void RightsWalk_Baseline(benchmark::State& state) {
    const int items = static_cast<int>(state.range(0));
    TForm form(nullptr);
    TMainMenu* menu = BuildMenu(form, items);
    const auto granted = HalfGranted(items);
    for (auto _ : state) {
        HashWalk(*menu->Items(), granted);
    }
    state.counters["units"] = items;
}
// The walk done literally: each item's name searched for in the granted list, one by one.
static void RightsWalkLiteral(benchmark::State& state) {
    const int items = static_cast<int>(state.range(0));
    TForm form(nullptr);
    TMainMenu* menu = BuildMenu(form, items);
    std::vector<std::string> granted;
    for (const auto& name : HalfGranted(items)) {
        granted.push_back(name);
    }
    for (auto _ : state) {
        EachItem(*menu->Items(), [&](TMenuItem& item) {
            bool g = false;
            for (const auto& name : granted) {
                g = g || name == item.Name();
            }
            item.SetEnabled(g);
        });
    }
    state.counters["units"] = items;
}

namespace {
// A menu of n items and an editor showing it.
struct EditorOnMenu {
    TForm form{nullptr};
    TMainMenu* menu;
    TZELMenuCheckListBox* editor;
    explicit EditorOnMenu(int items)
        : menu(BuildMenu(form, items)), editor(new TZELMenuCheckListBox(&form)) {
        editor->SetLinkedMainMenu(menu);
    }
};
} // namespace

// The editor's rows rebuilt from the menu; the baseline walks it building the same texts.
static void EditorRebuild(benchmark::State& state) {
    const int items = static_cast<int>(state.range(0));
    EditorOnMenu e(items);
    for (auto _ : state) {
        e.editor->SetupAccessRight();
    }
    state.counters["units"] = items;
}
static void EditorRebuild_Baseline(benchmark::State& state) {
    const int items = static_cast<int>(state.range(0));
    TForm form(nullptr);
    TMainMenu* menu = BuildMenu(form, items);
    const auto granted = HalfGranted(items);
    for (auto _ : state) {
        std::vector<std::string> rows;
        std::vector<bool> checked;
        std::vector<std::pair<TMenuItem*, int>> stack{{menu->Items(), 0}};
        while (!stack.empty()) {
            auto [item, level] = stack.back();
            stack.pop_back();
            for (int i = item->Count() - 1; i >= 0; --i) {
                TMenuItem* child = item->Items(i);
                rows.push_back(std::string(static_cast<std::size_t>(level) * 2, ' ') +
                               child->Caption());
                checked.push_back(granted.count(child->Name()) != 0);
                stack.push_back({child, level + 1});
            }
        }
        benchmark::DoNotOptimize(rows.data());
    }
    state.counters["units"] = items;
}

// One click that unchecks a top row with a tenth of the menu below it (everything granted
// before), previewed on the menu; the baseline revokes and walks that subtree by hand.
static void PropagationClick(benchmark::State& state) {
    const int items = static_cast<int>(state.range(0));
    EditorOnMenu e(items);
    for (auto _ : state) {
        state.PauseTiming();
        e.editor->GrantAllRight();
        state.ResumeTiming();
        e.editor->ToggleRow(0);
    }
    state.counters["units"] = items / 10;
}
static void PropagationClick_Baseline(benchmark::State& state) {
    const int items = static_cast<int>(state.range(0));
    TForm form(nullptr);
    TMainMenu* menu = BuildMenu(form, items);
    std::unordered_set<std::string> all;
    for (int i = 0; i < items; ++i) {
        all.insert("m" + std::to_string(i));
    }
    for (auto _ : state) {
        state.PauseTiming();
        std::unordered_set<std::string> granted = all;
        state.ResumeTiming();
        TMenuItem* top = menu->Items()->Items(0);
        std::vector<TMenuItem*> stack{top};
        while (!stack.empty()) {
            TMenuItem* item = stack.back();
            stack.pop_back();
            granted.erase(item->Name());
            for (int i = 0; i < item->Count(); ++i) {
                stack.push_back(item->Items(i));
            }
        }
        HashWalk(*menu->Items(), granted);
    }
    state.counters["units"] = items / 10;
}

// Reading a form of a menu of n items; the baseline builds the same menu in code. The
// memory the form keeps per item is a counter.
static void FormRead(benchmark::State& state) {
    const int items = static_cast<int>(state.range(0));
    const std::string text = zel::bench::MenuFormText(items);
    TFormOptions options;
    options.maxFileBytes = text.size(); // a million items are past the default limit
    double bytesPerItem = 0;
    for (auto _ : state) {
        const std::size_t before = zel::bench::HeapInUse();
        std::unique_ptr<TForm> form(ReadFormText(text, "bench.dfm", ".", nullptr, options));
        bytesPerItem = static_cast<double>(zel::bench::HeapInUse() - before) / items;
        state.PauseTiming();
        form.reset();
        state.ResumeTiming();
    }
    state.counters["units"] = items;
    state.counters["bytes_per_item"] = bytesPerItem;
}
static void FormRead_Baseline(benchmark::State& state) {
    const int items = static_cast<int>(state.range(0));
    for (auto _ : state) {
        auto form = std::make_unique<TForm>(nullptr);
        BuildMenu(*form, items);
        state.PauseTiming();
        form.reset();
        state.ResumeTiming();
    }
    state.counters["units"] = items;
}

namespace {
constexpr int kMatrixItems = 100;

// The forms `zel matrix` reads: the menu, the user table and the provider; the editor.
std::filesystem::path MatrixForms(int users) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("zel-bench-matrix-" + std::to_string(users));
    std::filesystem::create_directories(dir);
    std::string main = zel::bench::MenuFormText(kMatrixItems);
    main.erase(main.rfind("end"));
    main += "  object Users: TSQLiteTable\n    DatabaseName = '" +
            zel::bench::SQLiteUsers(users, false) +
            "'\n    TableName = 'users'\n    Active = True\n  end\n"
            "  object UsersSource: TDataSource\n    DataSet = Users\n  end\n"
            "  object Rights: TZELRight\n    DataSource = UsersSource\n"
            "    LinkedMainMenu = MainMenu1\n    UserAccessRightFieldName = 'rights'\n"
            "    UserIDFieldName = 'login'\n    UserPasswordFieldName = 'password'\n  end\nend\n";
    std::ofstream(dir / "main.dfm") << main;
    std::ofstream(dir / "admin.dfm")
        << "object AdminForm: TForm\n  object T: TSQLiteTable\n    DatabaseName = '" +
               zel::bench::SQLiteUsers(users, false) +
               "'\n    TableName = 'users'\n    Active = True\n  end\n"
               "  object S: TDataSource\n    DataSet = T\n  end\n"
               "  object E: TZELMenuCheckListBox\n    DataSource = S\n"
               "    LinkedMainMenu = BenchForm.MainMenu1\n    UserAccessRightFieldName = 'rights'\n"
               "  end\nend\n";
    return dir;
}
} // namespace

// zel matrix over n users and a menu of 100 items, as CSV, per cell; the baseline reads
// the rights column with a bare step loop and marks each cell by a hash-set lookup.
static void MatrixPerCell(benchmark::State& state) {
    const int users = static_cast<int>(state.range(0));
    const auto dir = MatrixForms(users);
    const std::string command = std::string(ZEL_TOOL) + " matrix " + (dir / "main.dfm").string() +
                                " " + (dir / "admin.dfm").string() + " --format csv > /dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("zel matrix failed");
            break;
        }
    }
    state.counters["units"] = static_cast<double>(users) * kMatrixItems;
}
static void MatrixPerCell_Baseline(benchmark::State& state) {
    const int users = static_cast<int>(state.range(0));
    sqlite3* db = nullptr;
    sqlite3_open_v2(zel::bench::SQLiteUsers(users, false).c_str(), &db, SQLITE_OPEN_READONLY,
                    nullptr);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "SELECT login, rights FROM users ORDER BY rowid", -1, &s, nullptr);
    std::vector<std::string> names;
    for (int i = 0; i < kMatrixItems; ++i) {
        names.push_back("m" + std::to_string(i));
    }
    for (auto _ : state) {
        std::string out;
        while (sqlite3_step(s) == SQLITE_ROW) {
            const auto* bytes = static_cast<const char*>(sqlite3_column_blob(s, 1));
            const std::string rights(bytes, static_cast<std::size_t>(sqlite3_column_bytes(s, 1)));
            std::unordered_set<std::string> granted;
            for (std::size_t start = 0, end;
                 (end = rights.find('\xFF', start)) != std::string::npos; start = end + 1) {
                granted.insert(rights.substr(start, end - start));
            }
            for (const auto& n : names) {
                out += granted.count(n) != 0 ? ",x" : ",";
            }
        }
        sqlite3_reset(s);
        benchmark::DoNotOptimize(out.data());
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
    state.counters["units"] = static_cast<double>(users) * kMatrixItems;
}

#define SIZES Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)
BENCHMARK(LoginSQLiteScan)->SIZES;
BENCHMARK(LoginSQLiteScan_Baseline)->SIZES;
BENCHMARK(LoginSQLiteIndex)->SIZES;
BENCHMARK(LoginSQLiteIndex_Baseline)->SIZES;
BENCHMARK(LoginPgScan)->SIZES;
BENCHMARK(LoginPgScan_Baseline)->SIZES;
BENCHMARK(LoginPgIndex)->SIZES;
BENCHMARK(LoginPgIndex_Baseline)->SIZES;
BENCHMARK(RightsWalk)->SIZES;
BENCHMARK(RightsWalk_Baseline)->SIZES;
BENCHMARK(RightsWalkLiteral)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(EditorRebuild)->SIZES;
BENCHMARK(EditorRebuild_Baseline)->SIZES;
BENCHMARK(PropagationClick)->SIZES;
BENCHMARK(PropagationClick_Baseline)->SIZES;
BENCHMARK(FormRead)->SIZES;
BENCHMARK(FormRead_Baseline)->SIZES;
BENCHMARK(MatrixPerCell)->SIZES;
BENCHMARK(MatrixPerCell_Baseline)->SIZES;
