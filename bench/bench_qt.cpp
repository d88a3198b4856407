// A log-in on a Qt Designer window, beside what any program pays to have that window: the
// .ui file loaded by QUiLoader and one pass over every action. ZEL's side reads the file
// the same way, adopts the menu bar (one item and one gate per action) and logs a user in
// who holds every other action, so the walk sets every gate. Both sides time the log-in
// and the window's close apart (UiLogin, UiLoginClose).
#include "zel/components/ZELRight.h"
#include "zel/host/data/DataSource.h"
#include "zel/host/sqlite/SQLiteTable.h"
#include "zel/qt/QtUiForm.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QUiLoader>
#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sqlite3.h>
#include <unordered_set>

namespace {

constexpr int kActionsPerMenu = 100; // as applications group them; Qt adds to a menu in O(n)

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "bench_zel";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance() == nullptr) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        static QApplication app(argc, argv);
    }
}

// This process's windows and user tables, gone when it ends: each run makes its own, and
// at 100,000 actions they are megabytes that would otherwise pile up in the temporary folder.
std::string Folder() {
    struct Own {
        std::filesystem::path dir =
            std::filesystem::temp_directory_path() / ("zel-bench-ui-" + std::to_string(::getpid()));
        Own() { std::filesystem::create_directories(dir); }
        ~Own() {
            std::error_code ignored;
            std::filesystem::remove_all(dir, ignored);
        }
    };
    static const Own folder;
    return folder.dir.string();
}

std::string ActionName(int i) {
    return "action" + std::to_string(i);
}

// A main window whose menu bar holds `n` actions, kActionsPerMenu to a menu, and a user
// table whose one user holds every other action; made once per size.
std::string MakeWindow(int n) {
    const std::string ui = Folder() + "/window" + std::to_string(n) + ".ui";
    if (std::filesystem::exists(ui)) {
        return ui;
    }
    std::ofstream out(ui);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ui "
           "version=\"4.0\">\n<class>MainWindow</class>\n"
           "<widget class=\"QMainWindow\" name=\"MainWindow\">\n"
           "<widget class=\"QWidget\" name=\"centralwidget\"/>\n"
           "<widget class=\"QMenuBar\" name=\"menubar\">\n";
    const int menus = (n + kActionsPerMenu - 1) / kActionsPerMenu;
    for (int m = 0; m < menus; ++m) {
        out << "<widget class=\"QMenu\" name=\"menu" << m
            << "\"><property name=\"title\"><string>Menu " << m << "</string></property>\n";
        for (int i = m * kActionsPerMenu; i < std::min(n, (m + 1) * kActionsPerMenu); ++i) {
            out << "<addaction name=\"" << ActionName(i) << "\"/>\n";
        }
        out << "</widget>\n";
    }
    for (int m = 0; m < menus; ++m) {
        out << "<addaction name=\"menu" << m << "\"/>\n";
    }
    out << "</widget>\n";
    for (int i = 0; i < n; ++i) {
        out << "<action name=\"" << ActionName(i) << "\"><property name=\"text\"><string>Action "
            << i << "</string></property></action>\n";
    }
    out << "</widget>\n</ui>\n";
    out.close();

    std::string rights = "\xFF";
    for (int i = 0; i < n; i += 2) {
        rights += ActionName(i) + "\xFF";
    }
    for (int m = 0; m < menus; ++m) {
        rights += "menu" + std::to_string(m) + "\xFF";
    }
    sqlite3* db = nullptr;
    sqlite3_open((ui + ".db").c_str(), &db);
    sqlite3_exec(db, "CREATE TABLE users (login TEXT, password TEXT, rights BLOB)", nullptr,
                 nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO users VALUES ('clerk', 'pw', ?)", -1, &insert, nullptr);
    sqlite3_bind_blob(insert, 1, rights.data(), static_cast<int>(rights.size()), SQLITE_STATIC);
    sqlite3_step(insert);
    sqlite3_finalize(insert);
    sqlite3_close(db);
    return ui;
}

using Clock = std::chrono::steady_clock;

// What one log-in took, and the window's close after it: both sides time them apart, since
// a log-in happens while the user waits and the close when the application ends.
struct Timed {
    double login = 0;
    double close = 0;
    bool in = false;
};

double Seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// One log-in on a fresh window.
Timed LogInOnWindow(const std::string& ui) {
    Timed timed;
    const auto start = Clock::now();
    zel::qt::TUiForm window = zel::qt::LoadUiForm(ui);
    auto* users = new zel::host::TSQLiteTable(window.form.get());
    users->SetDatabaseName(ui + ".db");
    users->SetTableName("users");
    users->Open();
    auto* source = new zel::host::TDataSource(window.form.get());
    source->SetDataSet(users);
    auto* rights = new zel::TZELRight(window.form.get());
    rights->SetDataSource(source);
    rights->SetUserIDFieldName("login");
    rights->SetUserPasswordFieldName("password");
    rights->SetUserAccessRightFieldName("rights");
    rights->SetLinkedMainMenu(
        static_cast<zel::host::TMainMenu*>(window.form->FindComponent("menubar")));
    rights->SetUserID("clerk");
    rights->SetUserPassword("pw");
    timed.in = rights->LoadSetting();
    const auto loggedIn = Clock::now();
    window.window.reset(); // as the baseline's window goes
    window.form.reset();
    timed.login = Seconds(start, loggedIn);
    timed.close = Seconds(loggedIn, Clock::now());
    return timed;
}

// What any program pays: the window loaded and one pass over every action.
Timed LoadAndWalk(const std::string& ui, const std::unordered_set<std::string>& granted) {
    Timed timed;
    const auto start = Clock::now();
    QFile file(QString::fromStdString(ui));
    file.open(QIODevice::ReadOnly);
    QUiLoader loader;
    std::unique_ptr<QWidget> window(loader.load(&file));
    for (QAction* action : window->findChildren<QAction*>()) {
        action->setEnabled(granted.count(action->objectName().toStdString()) != 0);
    }
    const auto walked = Clock::now();
    window.reset();
    timed.login = Seconds(start, walked);
    timed.close = Seconds(walked, Clock::now());
    timed.in = true;
    return timed;
}

std::unordered_set<std::string> EveryOther(int n) {
    std::unordered_set<std::string> granted;
    for (int i = 0; i < n; i += 2) {
        granted.insert(ActionName(i));
    }
    return granted;
}

// Runs `once` for every iteration and reports the log-in alone, or with the close.
template <class Once> void Measure(benchmark::State& state, bool withClose, Once once) {
    const int n = static_cast<int>(state.range(0));
    if (!once().in) {
        state.SkipWithError("the log-in failed");
    }
    for (auto _ : state) {
        const Timed timed = once();
        state.SetIterationTime(timed.login + (withClose ? timed.close : 0));
    }
    state.counters["units"] = n;
}

// ZEL's side: LoadUiForm, adoption and the log-in, on a fresh window each time.
void ZelSide(benchmark::State& state, bool withClose) {
    EnsureApplication();
    const std::string ui = MakeWindow(static_cast<int>(state.range(0)));
    Measure(state, withClose, [&] { return LogInOnWindow(ui); });
}

// The baseline: QUiLoader and one pass over every action.
void BareSide(benchmark::State& state, bool withClose) {
    EnsureApplication();
    const std::string ui = MakeWindow(static_cast<int>(state.range(0)));
    const auto granted = EveryOther(static_cast<int>(state.range(0)));
    Measure(state, withClose, [&] { return LoadAndWalk(ui, granted); });
}

} // namespace

// Each runs once before it is timed: the first window a process loads costs more (Qt's
// plugins, fonts and styles), and at 100,000 actions only one timed run fits. UiLogin is
// the log-in alone; UiLoginClose adds the window's close (the gates and the model going).
static void UiLogin(benchmark::State& state) {
    ZelSide(state, false);
}
static void UiLogin_Baseline(benchmark::State& state) {
    BareSide(state, false);
}
static void UiLoginClose(benchmark::State& state) {
    ZelSide(state, true);
}
static void UiLoginClose_Baseline(benchmark::State& state) {
    BareSide(state, true);
}

#define ZEL_UI_SIZES                                                                               \
    ->Arg(2000)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseManualTime()
BENCHMARK(UiLogin) ZEL_UI_SIZES;
BENCHMARK(UiLogin_Baseline) ZEL_UI_SIZES;
BENCHMARK(UiLoginClose) ZEL_UI_SIZES;
BENCHMARK(UiLoginClose_Baseline) ZEL_UI_SIZES;
