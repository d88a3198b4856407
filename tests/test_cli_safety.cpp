// The zel tool against what users and attackers hand it: damaged and locked databases,
// planted links, captions built to break a terminal or a spreadsheet, odd bytes, and a
// password prompt interrupted with Ctrl-C.
#include "support/CliRun.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <poll.h>
#include <pty.h>
#include <sqlite3.h>
#include <termios.h>
#include <thread>

using namespace zel::test::cli;
namespace fs = std::filesystem;
using zel::test::ExecSql;

namespace {
struct ExampleShop : ::testing::Test {
    TempDir dir;
    std::string d = dir.Path().string();
    std::string shop = dir.File("shop");
    void SetUp() override { ASSERT_EQ(Exec(d, {"example", "shop"}).status, 0); }
};
} // namespace

TEST_F(ExampleShop, AGrantIsJudgedByTheRecordReadBackNotByWhatWasSent) {
    ExecSql(dir.File("shop/shop.db"), "CREATE TRIGGER undo AFTER UPDATE OF rights ON users BEGIN "
                                      "UPDATE users SET rights = old.rights WHERE rowid = "
                                      "new.rowid; END");
    for (const char* change : {"grant", "revoke"}) {
        const char* right = change[0] == 'g' ? "mnuOrderNew" : "mnuOrderList";
        Outcome r = Exec(shop, {change, "main.dfm", "admin.dfm", "-u", "clerk", "-r", right});
        EXPECT_EQ(r.status, 1) << change << r.out;
        EXPECT_NE(r.out.find(std::string("failed  ") + right), std::string::npos) << r.out;
    }
}

TEST_F(ExampleShop, OutputThatCannotBeWrittenIsAFailure) {
    for (const char* command :
         {"users main.dfm", "users main.dfm --json", "matrix main.dfm admin.dfm --format csv"}) {
        const std::string line =
            "cd '" + shop + "' && '" ZEL_TOOL "' " + command + " >/dev/full 2>err.txt";
        const int status = std::system(line.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << command;
        EXPECT_EQ(WEXITSTATUS(status), 1) << command;
        EXPECT_NE(Slurp(shop + "/err.txt").find("cannot write standard output: No space left"),
                  std::string::npos)
            << command;
    }
}

TEST_F(ExampleShop, ADamagedDatabaseEndsEveryCommandWithAClearError) {
    const std::string original = Slurp(dir.File("shop/shop.db"));
    const std::vector<std::vector<std::string>> commands = {
        {"users", "main.dfm"},
        {"matrix", "main.dfm", "admin.dfm"},
        {"grant", "main.dfm", "admin.dfm", "-u", "clerk", "-r", "mnuOrderNew"},
        {"login", "main.dfm", "-u", "clerk", "--password-stdin"}};
    int damaged = 0;
    for (std::size_t cut = 4096; cut < original.size(); cut += 512) {
        std::ofstream(dir.File("shop/shop.db"), std::ios::binary | std::ios::trunc)
            << original.substr(0, cut);
        for (const auto& command : commands) {
            // A cut through free pages may leave every row readable; anything else must end
            // in a clear error, never a hang (Exec's alarm) or a crash.
            Outcome r = Exec(shop, command, "clerk\n");
            EXPECT_TRUE(r.status >= 0 && r.status <= 2) << cut << " " << command[0] << r.err;
            if (r.status != 0) {
                EXPECT_NE(r.err + r.out, "") << cut << " " << command[0];
            }
            damaged += r.err.find("damaged") != std::string::npos ? 1 : 0;
        }
    }
    EXPECT_GT(damaged, 0);
}

TEST_F(ExampleShop, FilesAreNeverWrittenThroughAPlantedLink) {
    Write(dir.File("victim"), "precious");
    fs::remove(dir.File("shop/main.dfm"));
    fs::create_symlink(dir.File("victim"), dir.File("shop/main.dfm"));
    Outcome refused = Exec(d, {"example", "shop"});
    EXPECT_EQ(refused.status, 1); // a link where a file would go counts as existing
    EXPECT_EQ(Exec(d, {"example", "shop", "--force"}).status, 0);
    EXPECT_EQ(Slurp(dir.File("victim")), "precious");
    EXPECT_FALSE(fs::is_symlink(dir.File("shop/main.dfm")));
    // Nothing is left behind beside the files written.
    for (const auto& entry : fs::directory_iterator(shop)) {
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
    }
    // A folder the user names may be reached through a link; only what is written may not.
    fs::create_directory(dir.File("real"));
    fs::create_directory_symlink(dir.File("real"), dir.File("link"));
    Outcome linked = Exec(d, {"example", "link/shop"});
    EXPECT_EQ(linked.status, 0) << linked.err;
    EXPECT_TRUE(fs::is_regular_file(dir.File("real/shop/shop.db")));
    EXPECT_EQ(Exec(d, {"palette", "--export", "shop"}).status, 0);
    EXPECT_EQ(Exec(d, {"palette", "--export", "shop"}).status, 1); // exists: needs --force
    EXPECT_EQ(Exec(d, {"palette", "--export", "shop", "--force"}).status, 0);
}

TEST_F(ExampleShop, CaptionsCannotBreakTheOutput) {
    // One caption of 1 MiB and one with escape codes and a forged line.
    std::string form = Slurp(dir.File("shop/main.dfm"));
    const std::string huge = "'" + std::string(1 << 20, 'A') + "'";
    form.replace(form.find("'&Print'"), 8, huge);
    form.replace(form.find("'E&xit'"), 7, "#27'[31m'#13#10'  forged  mnuAdmin  enabled'");
    form.replace(form.find("'&Open...'"), 10, "'C1'#157'here'"); // U+009D in Windows-1252
    Write(dir.File("shop/main.dfm"), form);
    Outcome r = Exec(shop, {"login", "main.dfm", "-u", "admin", "--password-stdin"}, "admin\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_LT(r.out.size(), 8000u);
    EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
    EXPECT_NE(r.out.find("\\x1B[31m\\x0D\\x0A  forged"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("\n  forged"), std::string::npos);
    EXPECT_NE(r.out.find("C1\\x9Dhere"), std::string::npos) << r.out;
    Outcome j =
        Exec(shop, {"login", "main.dfm", "-u", "admin", "--password-stdin", "--json"}, "admin\n");
    EXPECT_EQ(j.json()["menu"][0]["items"][1]["caption"].get<std::string>().size(), 1u << 20);
}

TEST_F(ExampleShop, SpreadsheetsGetNoFormulasAndJsonAnyBytes) {
    ExecSql(dir.File("shop/shop.db"),
            "UPDATE users SET login = '=HYPERLINK(1)' "
            "WHERE login = 'viewer';"
            "UPDATE users SET login = '@SUM(A1)' WHERE login = 'clerk';"
            "UPDATE users SET login = char(9) || '-1' "
            "WHERE login = 'admin';"
            "UPDATE users SET login = CAST(X'FF2D78' AS TEXT) "
            "WHERE login = 'former';"
            "INSERT INTO users (login, password) VALUES (char(13) || '+1', 'x')");
    Outcome csv = Exec(shop, {"matrix", "main.dfm", "admin.dfm", "--format", "csv"});
    ASSERT_EQ(csv.status, 0) << csv.err;
    for (const char* cell : {",'=HYPERLINK(1)", ",'@SUM(A1)", ",'\t-1", ",\"'\r+1\""}) {
        EXPECT_NE(csv.out.find(cell), std::string::npos) << cell << csv.out;
    }
    // Under UTF-8 the bytes that are not UTF-8 still give valid JSON.
    Outcome users = Exec(shop, {"--encoding", "utf-8", "users", "main.dfm", "--json"});
    ASSERT_EQ(users.status, 0) << users.err;
    EXPECT_EQ(users.json()["users"][3], "\xEF\xBF\xBD-x");
    const std::string odd = "odd\xFF";
    Outcome example = Exec(d, {"example", odd, "--json"});
    EXPECT_EQ(example.status, 0);
    EXPECT_NO_THROW(example.json());
}

TEST_F(ExampleShop, Utf8TextPassesThroughUnconverted) {
    ExecSql(
        dir.File("shop/shop.db"),
        "UPDATE users SET login = 'Jos\xC3\xA9', password = 'Jos\xC3\xA9' WHERE login = 'clerk'");
    Outcome latin = Exec(shop, {"users", "main.dfm"});
    EXPECT_NE(latin.out.find("Jos\xC3\x83\xC2\xA9"), std::string::npos); // read as 8-bit
    Outcome utf8 = Exec(shop, {"--encoding", "utf-8", "users", "main.dfm"});
    EXPECT_NE(utf8.out.find("Jos\xC3\xA9\n"), std::string::npos) << utf8.out;
    Outcome login = Exec(
        shop, {"login", "main.dfm", "-u", "Jos\xC3\xA9", "--password-stdin", "--encoding", "utf-8"},
        "Jos\xC3\xA9\n");
    EXPECT_EQ(login.status, 0) << login.out << login.err;
}

TEST_F(ExampleShop, ALockedDatabaseIsAFailureNotBadInput) {
    std::string form = Slurp(dir.File("shop/main.dfm"));
    form.insert(form.find("    Active = True"), "    BusyTimeout = 50\n");
    Write(dir.File("shop/main.dfm"), form);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(dir.File("shop/shop.db").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    Outcome r = Exec(shop, {"users", "main.dfm"});
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("database is locked"), std::string::npos) << r.err;
}

TEST_F(ExampleShop, FormCheckFindsWhatCannotWork) {
    std::string form = Slurp(dir.File("shop/main.dfm"));
    form.replace(form.find("'login'"), 7, "'logon'");
    Write(dir.File("shop/typo.dfm"), form);
    Outcome r = Exec(shop, {"form", "check", "typo.dfm", "--json"});
    EXPECT_EQ(r.status, 1);
    const Json j = r.json();
    ASSERT_EQ(j["problems"].size(), 1u) << r.out;
    EXPECT_EQ(j["problems"][0]["file"], "typo.dfm");
    EXPECT_GT(j["problems"][0]["line"], 1);
    EXPECT_NE(j["problems"][0]["message"].get<std::string>().find("logon"), std::string::npos);
    const std::string before = Slurp(dir.File("shop/shop.db"));
    Write(dir.File("shop/buttons.dfm"),
          "object B: TForm\n  object b: TZELButton\n    ZELRight = MainForm.Rights\n  end\nend\n");
    Outcome w = Exec(shop, {"form", "check", "main.dfm", "buttons.dfm"});
    EXPECT_EQ(w.status, 0) << w.out << w.err;
    EXPECT_NE(w.out.find("buttons.dfm:2: B.b has an empty Right"), std::string::npos) << w.out;
    EXPECT_EQ(Slurp(dir.File("shop/shop.db")), before);
    // A form on standard input reads like a file.
    Outcome in = Exec(shop, {"users", "-", "--json"}, Slurp(dir.File("shop/main.dfm")));
    EXPECT_EQ(in.status, 0) << in.err;
    EXPECT_EQ(in.json()["users"].size(), 4u);
}

TEST_F(ExampleShop, CtrlCAtThePasswordPromptRestoresTheTerminal) {
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (chdir(shop.c_str()) != 0) {
            _exit(127);
        }
        alarm(30);
        execl(ZEL_TOOL, ZEL_TOOL, "login", "main.dfm", "-u", "clerk", static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string seen;
    pollfd p{master, POLLIN, 0};
    while (seen.find("Password:") == std::string::npos && poll(&p, 1, 20000) > 0) {
        char buffer[256];
        const ssize_t n = read(master, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        seen.append(buffer, static_cast<std::size_t>(n));
    }
    ASSERT_NE(seen.find("Password:"), std::string::npos) << seen;
    termios prompt{};
    tcgetattr(master, &prompt);
    EXPECT_EQ(prompt.c_lflag & ECHO, 0u);
    const char interrupt = '\x03';
    ASSERT_EQ(write(master, &interrupt, 1), 1);
    int status = 0;
    waitpid(pid, &status, 0);
    termios after{};
    tcgetattr(master, &after);
    close(master);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_NE(after.c_lflag & ECHO, 0u);
}

TEST(CliUsage, CommandsAndOptionsSayWhatIsWrong) {
    TempDir dir;
    const std::string d = dir.Path().string();
    Outcome version = Exec(d, {"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("zel ", 0), 0u);
    EXPECT_EQ(Exec(d, {"-V"}).out, version.out);
    Outcome bogus = Exec(d, {"bogus"});
    EXPECT_EQ(bogus.status, 2);
    EXPECT_NE(bogus.err.find("unknown command 'bogus'"), std::string::npos);
    for (const char* change : {"grant", "revoke"}) { // an empty right names no row
        Outcome empty = Exec(d, {change, "m.dfm", "-u", "ann", "--right", ""});
        EXPECT_EQ(empty.status, 2) << change;
        EXPECT_NE(empty.err.find("cannot be empty"), std::string::npos) << empty.err;
    }
    Outcome conflict = Exec(d, {"matrix", "m.dfm", "--format", "csv", "--json"});
    EXPECT_EQ(conflict.status, 2);
    EXPECT_NE(conflict.err.find("zel matrix --help"), std::string::npos) << conflict.err;
    Outcome help = Exec(d, {"grant", "--help"});
    EXPECT_NE(help.out.find("Example:"), std::string::npos);
    EXPECT_NE(help.out.find("Exit status:"), std::string::npos);
    for (const char* command : {"users", "form check"}) {
        std::vector<std::string> args;
        std::istringstream words(command);
        for (std::string w; words >> w;) {
            args.push_back(w);
        }
        args.push_back("nosuch.dfm");
        EXPECT_EQ(Exec(d, args).status, 2) << command; // a missing file, everywhere
    }
}

TEST(CliDesigner, AUiWindowIsReadBackAsAUserSeesIt) {
    TempDir dir;
    const std::string d = dir.Path().string();
    for (const char* f : {"designer.ui", "designer-rights.dfm"}) {
        fs::copy_file(std::string(ZEL_TEST_DATA) + "/" + f, dir.File(f));
    }
    zel::test::MakeUserTable(dir.File("till.db"), "users", "login", "password", "rights",
                             {{"sam", "s", zel::test::Rights({"menuSales", "actionQuote"})}});
    Outcome r = Exec(d,
                     {"login", "designer.ui", "designer-rights.dfm", "-u", "sam",
                      "--password-stdin", "--json", "--screenshot", "shots"},
                     "s\n");
    ASSERT_EQ(r.status, 0) << r.err;
    const Json j = r.json();
    const Json& sales = j["menu"][0];
    EXPECT_EQ(sales["name"], "menuSales");
    EXPECT_EQ(sales["enabled"], true);
    ASSERT_EQ(sales["items"].size(), 3u); // the special "<Debug tools" is gone
    EXPECT_EQ(sales["items"][0]["name"], "actionQuote");
    EXPECT_EQ(sales["items"][1]["separator"], true);
    EXPECT_EQ(sales["items"][2]["name"], "menuReports");
    EXPECT_EQ(sales["items"][2]["visible"], false);
    EXPECT_EQ(j["menu"][1]["enabled"], false);
    ASSERT_EQ(j["buttons"].size(), 2u);
    EXPECT_EQ(j["buttons"][0]["name"], "refundButton");
    EXPECT_EQ(j["buttons"][0]["enabled"], false);
    EXPECT_EQ(j["buttons"][1]["name"], "quoteButton"); // a custom class, built as its base
    EXPECT_EQ(j["buttons"][1]["enabled"], true);
    EXPECT_EQ(r.err, "");
    for (const char* png : {"shots/MainWindow.png", "shots/MainWindow-menuSales.png"}) {
        EXPECT_EQ(Slurp(dir.File(png)).substr(1, 3), "PNG") << png;
    }
    Outcome check = Exec(d, {"form", "check", "designer.ui", "designer-rights.dfm"});
    EXPECT_EQ(check.status, 0) << check.out << check.err;
    EXPECT_NE(check.out.find("designer.ui"), std::string::npos) << check.out;
}

// Windows made of ZEL's Designer widgets need no form file: the provider, its table and
// the editor are in the .ui file; a window read after the log-in has its buttons checked.
TEST(CliDesigner, ZelWidgetsAreReadWithoutAFormFile) {
    TempDir dir;
    const std::string d = dir.Path().string();
    for (const char* f : {"zel_main.ui", "zel_orders.ui"}) {
        fs::copy_file(std::string(ZEL_TEST_DATA) + "/" + f, dir.File(f));
    }
    zel::test::MakeUserTable(dir.File("users.db"), "users", "login", "password", "rights",
                             {{"ann", "a", zel::test::Rights({"mnuOrders", "mnuOrderNew"})}});
    Outcome r = Exec(
        d, {"login", "zel_main.ui", "zel_orders.ui", "-u", "ann", "--password-stdin", "--json"},
        "a\n");
    ASSERT_EQ(r.status, 0) << r.err;
    const Json j = r.json();
    ASSERT_EQ(j["buttons"].size(), 2u) << r.out;
    EXPECT_EQ(j["buttons"][0]["name"], "newOrder");
    EXPECT_EQ(j["buttons"][0]["enabled"], true);
    EXPECT_EQ(j["buttons"][1]["enabled"], false);
    Outcome grant = Exec(d, {"grant", "zel_main.ui", "-u", "ann", "-r", "mnuRefund"});
    EXPECT_EQ(grant.status, 0) << grant.out << grant.err;
    Outcome refused = Exec(d, {"form", "check", "zel_orders.ui"}); // its provider is not read
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.out.find("newOrder: property provider: no component named ZelMain.rights"),
              std::string::npos)
        << refused.out;
}

TEST(CliDesigner, ScreenshotsStayInsideTheirFolderWhateverTheObjectNames) {
    TempDir dir;
    const std::string d = dir.Path().string();
    fs::copy_file(std::string(ZEL_TEST_DATA) + "/designer-rights.dfm", dir.File("rights.dfm"));
    std::string ui = Slurp(std::string(ZEL_TEST_DATA) + "/designer.ui");
    const std::string menu = "name=\"menuSales\"";
    for (std::size_t at; (at = ui.find(menu)) != std::string::npos;) {
        ui.replace(at, menu.size(), "name=\"x/../../escaped\"");
    }
    std::ofstream(dir.File("designer.ui")) << ui;
    zel::test::MakeUserTable(
        dir.File("till.db"), "users", "login", "password", "rights",
        {{"sam", "s", zel::test::Rights({"generated_menubar_0", "actionQuote"})}});
    fs::create_directories(dir.File("a/b"));
    Outcome r = Exec(d,
                     {"login", "designer.ui", "rights.dfm", "-u", "sam", "--password-stdin",
                      "--screenshot", "a/b/shots"},
                     "s\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::exists(dir.File("a/b/shots/MainWindow-x_______escaped.png")));
    EXPECT_FALSE(fs::exists(dir.File("a/escaped.png")));
}

TEST(CliDesigner, UiFilesThatWouldCrashQtsLoaderAreRefused) {
    TempDir dir;
    const std::string d = dir.Path().string();
    std::string menus;
    for (int i = 0; i < 50000; ++i) {
        menus += "<widget class=\"QMenu\">";
    }
    for (int i = 0; i < 50000; ++i) {
        menus += "</widget>";
    }
    const std::string self = "<customwidget><class>A</class><extends>A</extends></customwidget>";
    const std::string pair = "<customwidget><class>A</class><extends>B</extends></customwidget>"
                             "<customwidget><class>B</class><extends>A</extends></customwidget>";
    const struct {
        const char* file;
        std::string body;
        const char* why;
    } cases[] = {
        {"deep.ui", "<widget class=\"QMenuBar\" name=\"bar\">" + menus + "</widget>",
         "nested deeper than 256 levels"},
        {"self.ui", "<widget class=\"A\" name=\"w\"/><customwidgets>" + self + "</customwidgets>",
         "extends itself"},
        {"pair.ui", "<widget class=\"A\" name=\"w\"/><customwidgets>" + pair + "</customwidgets>",
         "extends itself"},
    };
    for (const auto& c : cases) {
        std::ofstream(dir.File(c.file))
            << "<ui version=\"4.0\"><widget class=\"QMainWindow\" name=\"MainWindow\">" << c.body
            << "</widget></ui>";
        Outcome r = Exec(d, {"login", c.file, "-u", "x", "--password-stdin"}, "x\n");
        EXPECT_EQ(r.status, 2) << c.file << r.err;
        EXPECT_EQ(Exec(d, {"form", "check", c.file}).status, 1) << c.file;
        EXPECT_NE(r.err.find(c.file), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.why), std::string::npos) << r.err;
    }
}

TEST_F(ExampleShop, PasswordsAreHashedAndNeverShown) {
    // The example keeps one password in plain text; --all-plaintext hashes it, once.
    Outcome all = Exec(shop, {"passwd", "main.dfm", "--all-plaintext", "--yes", "--json"});
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(all.json()["changed"], 1);
    EXPECT_EQ(all.json()["already"], 3);
    EXPECT_EQ(
        Exec(shop, {"passwd", "main.dfm", "--all-plaintext", "--yes", "--json"}).json()["changed"],
        0);
    EXPECT_EQ(
        Exec(shop, {"login", "main.dfm", "-u", "former", "--password-stdin"}, "former\n").status,
        0);
    Outcome set = Exec(shop, {"passwd", "main.dfm", "-u", "clerk", "--password-stdin"}, "n3w\n");
    ASSERT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(
        Exec(shop, {"login", "main.dfm", "-u", "clerk", "--password-stdin"}, "clerk\n").status, 1);
    EXPECT_EQ(Exec(shop, {"login", "main.dfm", "-u", "clerk", "--password-stdin"}, "n3w\n").status,
              0);
    EXPECT_EQ(Exec(shop, {"passwd", "main.dfm", "-u", "nobody", "--password-stdin"}, "x\n").status,
              1);
    // No output of any command holds a password or a hash.
    const std::vector<std::vector<std::string>> commands = {
        {"users", "main.dfm", "--json"},
        {"matrix", "main.dfm", "admin.dfm", "--json"},
        {"rights", "main.dfm", "admin.dfm", "-u", "clerk", "--json"},
        {"login", "main.dfm", "-u", "clerk", "--password-stdin", "--json"},
        {"form", "format", "main.dfm"}};
    for (const auto& command : commands) {
        Outcome r = Exec(shop, command, "n3w\n");
        EXPECT_EQ((r.out + r.err).find("$argon2id"), std::string::npos) << command[0];
        EXPECT_EQ((r.out + r.err).find("n3w"), std::string::npos) << command[0];
    }
}

namespace {
struct Concurrent : ::testing::TestWithParam<zel::test::Backend> {
    TempDir dir;
    std::string d = dir.Path().string();
    zel::test::UserStore store{GetParam(), d, "staff.db"};
};
} // namespace
INSTANTIATE_TEST_SUITE_P(Backends, Concurrent, zel::test::kEveryBackend, zel::test::BackendName);

TEST_P(Concurrent, EverySaveIsAppliedOrRefusedAndTheRecordSaysWhich) {
    // Eight administrators save the same user at once, a right of its own each time: four
    // grant (g...), four revoke rights the user holds (v...). Since no right is touched
    // twice, the record at the end tells each save's fate: an applied one must show, a
    // refused or failed one must not.
    constexpr int kAdmins = 8, kRounds = 40;
    const auto right = [](int admin, int round) {
        return std::string(admin % 2 == 0 ? "g" : "v") + std::to_string(admin) + "_" +
               std::to_string(round);
    };
    std::string items;
    std::vector<std::string> held;
    for (int a = 0; a < kAdmins; ++a) {
        for (int n = 0; n < kRounds; ++n) {
            items += "    object " + right(a, n) + ": TMenuItem\n      Caption = '" + right(a, n) +
                     "'\n    end\n";
            if (a % 2 == 1) {
                held.push_back(right(a, n));
            }
        }
    }
    const std::string table = store.FormTable("Staff", "staff") + "    Active = True\n  end\n";
    Write(dir.File("main.dfm"),
          "object StaffMain: TForm\n  object Menu: TMainMenu\n" + items + "  end\n" + table +
              "  object StaffSource: TDataSource\n    DataSet = Staff\n  end\n"
              "  object Guard: TZELRight\n    DataSource = StaffSource\n    LinkedMainMenu = Menu\n"
              "    UserAccessRightFieldName = 'acl'\n    UserIDFieldName = 'uid'\n"
              "    UserPasswordFieldName = 'pin'\n  end\nend\n");
    std::string admin = table;
    admin.replace(admin.find("Staff:"), 6, "AdminStaff:");
    Write(dir.File("admin.dfm"),
          "object StaffAdmin: TForm\n" + admin +
              "  object AdminSource: TDataSource\n    DataSet = AdminStaff\n  end\n"
              "  object Acl: TZELMenuCheckListBox\n    DataSource = AdminSource\n"
              "    LinkedMainMenu = StaffMain.Menu\n    UserAccessRightFieldName = 'acl'\n"
              "  end\nend\n");
    store.MakeUserTable("staff", "uid", "pin", "acl", {{"target", "x", zel::test::Rights(held)}});

    enum Fate { kApplied, kRefused, kFailed };
    std::vector<std::vector<Fate>> fate(kAdmins, std::vector<Fate>(kRounds, kFailed));
    std::vector<std::thread> admins;
    for (int a = 0; a < kAdmins; ++a) {
        admins.emplace_back([&, a] {
            for (int n = 0; n < kRounds; ++n) {
                Outcome r = Exec(d, {a % 2 == 0 ? "grant" : "revoke", "main.dfm", "admin.dfm", "-u",
                                     "target", "-r", right(a, n), "--json"});
                const Json j = Json::parse(r.out, nullptr, false);
                fate[a][n] = r.status == 0 ? kApplied
                             : j.is_object() && j["cause"] == "Record changed by another user"
                                 ? kRefused
                                 : kFailed; // e.g. a lock held past the busy timeout
            }
        });
    }
    for (auto& t : admins) {
        t.join();
    }
    const std::string stored = store.Query("SELECT acl FROM staff").value_or("");
    int counts[3] = {0, 0, 0}, lost = 0, appliedThoughRefused = 0;
    for (int a = 0; a < kAdmins; ++a) {
        for (int n = 0; n < kRounds; ++n) {
            const bool shows = stored.find("\xFF" + right(a, n) + "\xFF") != std::string::npos;
            const bool applied = shows == (a % 2 == 0);
            ++counts[fate[a][n]];
            lost += fate[a][n] == kApplied && !applied;
            appliedThoughRefused += fate[a][n] != kApplied && applied;
        }
    }
    zel::test::Figure("concurrent saves on " + zel::test::NameOf(GetParam()) + ": " +
                      std::to_string(counts[kApplied]) + " applied, " +
                      std::to_string(counts[kRefused]) + " refused as changed, " +
                      std::to_string(counts[kFailed]) + " failed otherwise, " +
                      std::to_string(lost) + " lost, " + std::to_string(appliedThoughRefused) +
                      " applied though refused");
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(appliedThoughRefused, 0);
    EXPECT_GT(counts[kApplied], 0);
    EXPECT_GT(counts[kRefused], 0); // the saves did meet
}

TEST_P(Concurrent, AUserIDIsAddedOnceHoweverManyAddItAtOnce) {
    Write(dir.File("main.dfm"),
          "object StaffMain: TForm\n" + store.FormTable("Staff", "staff") +
              "    Active = True\n  end\n"
              "  object StaffSource: TDataSource\n    DataSet = Staff\n  end\n"
              "  object Guard: TZELRight\n    DataSource = StaffSource\n"
              "    UserAccessRightFieldName = 'acl'\n    UserIDFieldName = 'uid'\n"
              "    UserPasswordFieldName = 'pin'\n  end\nend\n");
    store.MakeUserTable("staff", "uid", "pin", "acl", {{"ann", "x", std::nullopt}});
    constexpr int kAdders = 6;
    std::vector<int> status(kAdders, -1);
    std::vector<std::thread> adders;
    for (int a = 0; a < kAdders; ++a) {
        adders.emplace_back([&, a] {
            status[a] = Exec(d, {"user", "add", "main.dfm", "-u", "dora", "--password-stdin"},
                             "pw" + std::to_string(a) + "\n")
                            .status;
        });
    }
    for (auto& t : adders) {
        t.join();
    }
    EXPECT_EQ(std::count(status.begin(), status.end(), 0), 1);
    EXPECT_EQ(std::count(status.begin(), status.end(), 1), kAdders - 1);
    const char* asText = GetParam() == zel::test::Backend::MariaDB ? "CHAR" : "TEXT";
    EXPECT_EQ(store.Query("SELECT CAST(count(*) AS " + std::string(asText) +
                          ") FROM staff WHERE uid = 'dora'"),
              "1");
}
