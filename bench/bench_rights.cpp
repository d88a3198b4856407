// How the rights passes scale: log-in over a large user table, the rights walk and the
// editor over large menus. Run: build/default/bench/bench_rights
#include "zel/accessright/AccessRight.h"
#include "zel/components/ZELMCLB.h"
#include "zel/components/ZELRight.h"
#include "zel/host/DataSource.h"
#include "zel/host/Dialogs.h"
#include "zel/host/Form.h"
#include "zel/host/SQLiteTable.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <memory>
#include <sqlite3.h>
#include <string>

using namespace zel;
using namespace zel::host;

namespace {
// A menu of `count` items: 10 top entries, each a chain of groups of 10 leaves.
TMainMenu* BuildMenu(TForm& form, int count) {
    auto* menu = new TMainMenu(&form);
    TMenuItem* top = nullptr;
    TMenuItem* group = nullptr;
    for (int i = 0; i < count; ++i) {
        auto* item = new TMenuItem(&form);
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

std::string UserDb(int users) {
    const auto path =
        std::filesystem::temp_directory_path() / ("zel-bench-" + std::to_string(users) + ".db");
    std::filesystem::remove(path);
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, "CREATE TABLE users (login TEXT, password TEXT, rights TEXT); BEGIN;", nullptr,
                 nullptr, nullptr);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO users VALUES (?, 'pw', ?)", -1, &s, nullptr);
    TStringList rights;
    for (int r = 0; r < 20; ++r) {
        rights.Add("m" + std::to_string(r * 7));
    }
    const std::string text = accessright::Write(rights);
    for (int u = 0; u < users; ++u) {
        const std::string login = "user" + std::to_string(u);
        sqlite3_bind_text(s, 1, login.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 2, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        sqlite3_step(s);
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return path.string();
}

void Quiet() {
    SetMessagePresenter([](const TMessage&) { return 1; });
}
} // namespace

// Log-in of the last user: a full scan of the table, then the menu pass.
static void BM_LoginLastUser(benchmark::State& state) {
    Quiet();
    const int users = static_cast<int>(state.range(0));
    const std::string db = UserDb(users);
    TForm form(nullptr);
    TMainMenu* menu = BuildMenu(form, 200);
    auto* table = new TSQLiteTable(&form);
    table->SetDatabaseName(db);
    table->SetTableName("users");
    table->Open();
    auto* source = new TDataSource(&form);
    source->SetDataSet(table);
    auto* rights = new TZELRight(&form);
    rights->SetDataSource(source);
    rights->SetLinkedMainMenu(menu);
    rights->SetUserIDFieldName("login");
    rights->SetUserPasswordFieldName("password");
    rights->SetUserAccessRightFieldName("rights");
    rights->SetUserID("user" + std::to_string(users - 1));
    rights->SetUserPassword("pw");
    for (auto _ : state) {
        benchmark::DoNotOptimize(rights->LoadSetting());
    }
    state.SetItemsProcessed(state.iterations() * users);
    table->Close();
    std::filesystem::remove(db);
}
BENCHMARK(BM_LoginLastUser)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The provider's rights walk over a menu with half its items granted.
static void BM_ActivateSetting(benchmark::State& state) {
    const int items = static_cast<int>(state.range(0));
    TForm form(nullptr);
    TMainMenu* menu = BuildMenu(form, items);
    TZELRight rights(nullptr);
    rights.SetLinkedMainMenu(menu);
    rights.SetHideDisabledItem(true);
    for (int i = 0; i < items; i += 2) {
        rights.GetAuthorisedMenuItems()->Add("m" + std::to_string(i));
    }
    for (auto _ : state) {
        rights.ActivateSetting();
    }
    state.SetItemsProcessed(state.iterations() * items);
}
BENCHMARK(BM_ActivateSetting)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Special-item removal on one flat menu level where every other sibling is a "<" item:
// each pass rebuilds the level, then the provider frees half of it.
static void BM_FreeSpecialSiblings(benchmark::State& state) {
    const int items = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto form = std::make_unique<TForm>(nullptr);
        auto* menu = new TMainMenu(form.get());
        for (int i = 0; i < items; ++i) {
            auto* item = new TMenuItem(form.get());
            item->SetCaption(i % 2 == 0 ? "<debug" : "item");
            menu->Items()->Add(item);
        }
        TZELRight rights(nullptr);
        rights.SetLinkedMainMenu(menu);
        state.ResumeTiming();
        rights.ActivateSetting();
        state.PauseTiming();
        form.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * items);
}
BENCHMARK(BM_FreeSpecialSiblings)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(300000)
    ->Unit(benchmark::kMillisecond);

// The editor's rows rebuilt from a menu.
static void BM_EditorRebuild(benchmark::State& state) {
    const int items = static_cast<int>(state.range(0));
    TForm form(nullptr);
    TMainMenu* menu = BuildMenu(form, items);
    auto* editor = new TZELMenuCheckListBox(&form);
    editor->SetLinkedMainMenu(menu);
    for (auto _ : state) {
        editor->SetupAccessRight();
    }
    state.SetItemsProcessed(state.iterations() * items);
}
BENCHMARK(BM_EditorRebuild)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Grant everything, then uncheck the first top row: its whole subtree is revoked.
static void BM_EditorUncheckBigSubtree(benchmark::State& state) {
    const int items = static_cast<int>(state.range(0));
    TForm form(nullptr);
    TMainMenu* menu = BuildMenu(form, items);
    auto* editor = new TZELMenuCheckListBox(&form);
    editor->SetLinkedMainMenu(menu);
    for (auto _ : state) {
        state.PauseTiming();
        editor->GrantAllRight();
        state.ResumeTiming();
        editor->ToggleRow(0);
    }
    state.SetItemsProcessed(state.iterations() * items / 10);
}
BENCHMARK(BM_EditorUncheckBigSubtree)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
