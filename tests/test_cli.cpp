// The zel tool, run as a user runs it: the built binary on hand-written forms, with the
// staff table in SQLite and in PostgreSQL alike.
#include "support/CliRun.h"

#include <filesystem>
#include <functional>
#include <map>

using namespace zel::test::cli;
using zel::test::Backend;
using zel::test::TempDir;

INSTANTIATE_TEST_SUITE_P(Backends, Cli, zel::test::kEveryBackend, zel::test::BackendName);
INSTANTIATE_TEST_SUITE_P(File, CliFile, ::testing::Values(Backend::SQLite), zel::test::BackendName);

TEST_P(Cli, LoginPrintsTheWholeOutcomeAsJson) {
    Outcome r =
        Exec(d, {"login", "staff.dfm", "till.dfm", "--user", "ann", "--password-stdin", "--json"},
             "1234\n");
    ASSERT_EQ(r.status, 0) << r.err;
    Json j = r.json();
    EXPECT_EQ(Keys(j), (V{"buttons", "cause", "granted", "menu", "messages", "result"}));
    EXPECT_EQ(j["result"], true);
    EXPECT_EQ(j["granted"], Json(V{"", "miSales", "miQuote"}));
    EXPECT_EQ(j["messages"], Json::array());
    ASSERT_EQ(j["menu"].size(), 1u); // the special item is gone
    const Json& sales = j["menu"][0];
    EXPECT_EQ(Keys(sales), (V{"caption", "enabled", "items", "name", "separator", "visible"}));
    EXPECT_EQ(sales["caption"], "&Sales");
    EXPECT_EQ(sales["enabled"], true);
    EXPECT_EQ(sales["items"][1]["separator"], true);
    EXPECT_EQ(sales["items"][2]["name"], "miInvoice");
    EXPECT_EQ(sales["items"][2]["visible"], false);
    EXPECT_EQ(sales["items"][2]["items"][0]["name"], "miVoid");
    ASSERT_EQ(j["buttons"].size(), 2u);
    EXPECT_EQ(Keys(j["buttons"][0]), (V{"class", "enabled", "form", "name", "right", "visible"}));
    EXPECT_EQ(j["buttons"][0], (Json{{"form", "Till"},
                                     {"name", "btnQuote"},
                                     {"class", "TZELButton"},
                                     {"right", "miQuote"},
                                     {"enabled", true},
                                     {"visible", true}}));
    EXPECT_EQ(j["buttons"][1]["enabled"], false);
    EXPECT_EQ(j["buttons"][1]["visible"], false);
}

TEST_P(Cli, RefusedLogInsExitOneWithTheMessage) {
    Outcome wrong =
        Exec(d, {"login", "staff.dfm", "-u", "ann", "--password-stdin", "--json"}, "4321\n");
    EXPECT_EQ(wrong.status, 1);
    EXPECT_EQ(wrong.json()["messages"], Json(V{"Invalid password!"}));
    EXPECT_EQ(wrong.json()["result"], false);
    Outcome unknown = Exec(d, {"login", "staff.dfm", "-u", "ANN", "--password-stdin"}, "1234\n");
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.out.find("Invalid user ID!"), std::string::npos);
    Outcome empty =
        Exec(d, {"login", "staff.dfm", "-u", "bob", "--password-stdin", "--json"}, "\n");
    EXPECT_EQ(empty.status, 0) << empty.err; // an empty password and no rights at all
    EXPECT_EQ(empty.json()["granted"], Json::array());
}

TEST_P(Cli, EightBitTextConvertsBothWays) {
    Outcome r = Exec(
        d, {"login", "staff.dfm", "till.dfm", "-u", "Jos\xC3\xA9", "--password-stdin", "--json"},
        "p\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.json()["buttons"][1]["enabled"], true); // MIVOID in other case
    Outcome users = Exec(d, {"users", "staff.dfm", "--json"});
    EXPECT_EQ(users.json()["users"], Json(V{"ann", "Jos\xC3\xA9", "bob"}));
    EXPECT_EQ(users.out.find("1234"), std::string::npos); // never a password
    Outcome outside = Exec(
        d, {"login", "staff.dfm", "-u", "\xF0\x9F\x98\x80", "--password-stdin", "--json"}, "p\n");
    EXPECT_EQ(outside.status, 2);
    EXPECT_EQ(outside.out, "");
    Outcome invalid = Exec(d, {"rights", "staff.dfm", "admin.dfm", "-u", "\xFF"});
    EXPECT_EQ(invalid.status, 2);
}

// On PostgreSQL a user ID that Windows-1252 cannot hold blocks no one: it is listed escaped,
// with why, and never matched.
TEST_P(Cli, AUserIDTheTextSettingCannotHoldBlocksNoOne) {
    if (GetParam() != Backend::Postgres) {
        GTEST_SKIP() << "a file's text is its bytes: there is nothing to convert";
    }
    store.Exec("UPDATE staff SET uid = chr(321) || 'ukasz', pin = chr(321) WHERE uid = 'bob'");
    Outcome users = Exec(d, {"users", "staff.dfm"});
    ASSERT_EQ(users.status, 0) << users.err;
    EXPECT_NE(users.out.find("\\u0141ukasz  (shown escaped"), std::string::npos) << users.out;
    EXPECT_EQ(Exec(d, {"users", "staff.dfm", "--json"}).json()["foreign"], Json(V{"\\u0141ukasz"}));
    Outcome ann = Exec(d, {"login", "staff.dfm", "-u", "ann", "--password-stdin"}, "1234\n");
    EXPECT_EQ(ann.status, 0) << ann.err;
    Outcome escaped =
        Exec(d, {"login", "staff.dfm", "-u", "\\u0141ukasz", "--password-stdin"}, "\\u0141\n");
    EXPECT_EQ(escaped.status, 1) << escaped.err;
}

TEST_P(Cli, UsersAreAddedOnceAndRemovedAsFound) {
    auto add = [&](std::vector<std::string> extra) {
        std::vector<std::string> args{"user", "add", "staff.dfm", "-u", "dora", "--password-stdin"};
        args.insert(args.end(), extra.begin(), extra.end());
        return Exec(d, args, "new pw\n");
    };
    ASSERT_EQ(add({"--like", "ann"}).status, 0);
    Outcome twice = add({});
    EXPECT_EQ(twice.status, 1);
    EXPECT_NE(twice.out.find("exists already"), std::string::npos) << twice.out;
    EXPECT_EQ(add({"--like", "nobody"}).status, 1);
    Outcome in =
        Exec(d, {"login", "staff.dfm", "till.dfm", "-u", "dora", "--password-stdin", "--json"},
             "new pw\n");
    ASSERT_EQ(in.status, 0) << in.err;
    EXPECT_EQ(in.json()["granted"], Json(V{"", "miSales", "miQuote"})); // ann's, exactly
    EXPECT_EQ(Exec(d, {"user", "list", "staff.dfm", "--json"}).json()["users"],
              Json(V{"ann", "Jos\xC3\xA9", "bob", "dora"}));
    EXPECT_EQ(Exec(d, {"user", "remove", "staff.dfm", "-u", "dora", "--yes"}).status, 0);
    EXPECT_EQ(Exec(d, {"user", "remove", "staff.dfm", "-u", "dora", "--yes"}).status, 1);
    EXPECT_EQ(Exec(d, {"user", "remove", "staff.dfm", "-u", "bob"}).status, 2); // not asked
    EXPECT_EQ(Exec(d, {"users", "staff.dfm", "--json"}).json()["users"],
              Json(V{"ann", "Jos\xC3\xA9", "bob"}));
}

TEST_P(Cli, PasswordComesFromATerminalOrStandardInputOnly) {
    Outcome r = Exec(d, {"login", "staff.dfm", "-u", "ann", "--json"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("--password-stdin"), std::string::npos);
    Outcome arg = Exec(d, {"login", "staff.dfm", "-u", "ann", "--password", "1234"});
    EXPECT_EQ(arg.status, 2);
}

TEST_P(Cli, RightsGrantAndRevokeEditTheRecord) {
    Outcome r = Exec(d, {"rights", "staff.dfm", "admin.dfm", "--user", "ann", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    Json j = r.json();
    EXPECT_EQ(Keys(j), (V{"cause", "granted", "messages", "result", "rows"}));
    EXPECT_EQ(j["rows"][0], (Json{{"text", "Sales"}, {"name", "miSales"}, {"checked", true}}));
    EXPECT_EQ(j["rows"][3]["text"], "    Void");
    EXPECT_EQ(j["rows"][4]["text"], "<Secret"); // the editor keeps special items
    EXPECT_EQ(j["granted"], Json(V{"miSales", "miQuote"}));

    Outcome g = Exec(
        d, {"grant", "staff.dfm", "admin.dfm", "--user", "ann", "--right", "miVoid", "--json"});
    ASSERT_EQ(g.status, 0) << g.err;
    EXPECT_EQ(g.json()["changes"][0]["state"], "granted");
    EXPECT_EQ(g.json()["granted"], Json(V{"miSales", "miQuote", "miVoid", "miInvoice"}));
    EXPECT_EQ(Acl("ann"), "FF6D6953616C6573FF6D6951756F7465FF6D69566F6964FF6D69496E766F696365FF\n");

    Outcome v = Exec(
        d, {"revoke", "staff.dfm", "admin.dfm", "-u", "ann", "-r", "miInvoice", "-r", "miQuote"});
    ASSERT_EQ(v.status, 0) << v.err;
    EXPECT_EQ(Acl("ann"), "FF6D6953616C6573FF\n"); // the subtree went with Invoice

    // The provider's log-in sees the saved record.
    Outcome l = Exec(d, {"login", "staff.dfm", "-u", "ann", "--password-stdin", "--json"}, "1234");
    EXPECT_EQ(l.json()["granted"], Json(V{"", "miSales"}));
}

TEST_P(Cli, GrantIsJudgedByWhatWasStored) {
    // A right with no row fails by name; one already held is unchanged; the rest land.
    Outcome r = Exec(d, {"grant", "staff.dfm", "admin.dfm", "--user", "ann", "--right", "miVoid",
                         "--right", "miNope", "--right", "miQuote", "--json"});
    EXPECT_EQ(r.status, 1);
    const Json changes = r.json()["changes"];
    EXPECT_EQ(changes[0]["state"], "granted");
    EXPECT_EQ(changes[1]["state"], "failed");
    EXPECT_EQ(changes[1]["reason"], "no menu item is named miNope");
    EXPECT_EQ(changes[2]["state"], "unchanged");
    // An editor stored disabled ignores the clicks: nothing changes, and the tool says so.
    std::string admin = staffAdmin;
    admin.insert(admin.find("    UserAccessRightFieldName"), "    Enabled = False\n");
    Write(dir.File("off.dfm"), admin);
    const std::string before = Acl("bob");
    Outcome off = Exec(d, {"grant", "staff.dfm", "off.dfm", "-u", "bob", "-r", "miQuote"});
    EXPECT_EQ(off.status, 1);
    EXPECT_NE(off.out.find("disabled"), std::string::npos) << off.out;
    EXPECT_EQ(off.out.find("Saved the rights of bob\n"), std::string::npos);
    Outcome none = Exec(d, {"grant", "staff.dfm", "admin.dfm", "--user", "ann"});
    EXPECT_EQ(none.status, 2);
    EXPECT_NE(none.err.find("zel grant --help"), std::string::npos) << none.err;
}

TEST_P(Cli, MisspeltFieldsFailWithTheComponentsMessage) {
    std::string form = staffForm;
    form.replace(form.find("'acl'"), 5, "'alc'");
    Write(dir.File("typo.dfm"), form);
    Outcome r = Exec(d, {"login", "typo.dfm", "-u", "ann", "--password-stdin", "--json"}, "1234\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.json()["messages"], Json(V{"Cannot load setting due to error!"}));
    EXPECT_EQ(r.json()["granted"], Json::array());
    std::string admin = staffAdmin;
    admin.replace(admin.find("'acl'"), 5, "'alc'");
    Write(dir.File("typoadmin.dfm"), admin);
    const std::string before = Acl("ann");
    Outcome g =
        Exec(d, {"grant", "staff.dfm", "typoadmin.dfm", "-u", "ann", "-r", "miVoid", "--json"});
    EXPECT_EQ(g.status, 1);
    EXPECT_EQ(g.json()["messages"], Json(V{"Cannot load setting due to error!"}));
    EXPECT_EQ(Acl("ann"), before);
    Outcome users = Exec(d, {"rights", "staff.dfm", "admin.dfm", "-u", "nobody", "--json"});
    EXPECT_EQ(users.status, 1);
}

// The password is read from the descriptor itself: what follows its line stays unread in
// the pipe, so no buffer of the C library ever held a copy of it to outlive the wipe.
TEST_P(CliFile, ThePasswordLineIsTheOnlyInputRead) {
    Outcome r =
        Exec(d, {"-c", "\"$0\" login staff.dfm -u ann --password-stdin >/dev/null; cat", ZEL_TOOL},
             "1234\nnext line\n", "/bin/sh");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "next line\n");
}

TEST_P(CliFile, MissingDatabaseAndBrokenFormsAreInputErrors) {
    std::string form = staffForm;
    form.replace(form.find("'staff.db'"), 10, "'gone.db'");
    Write(dir.File("gone.dfm"), form);
    Outcome r = Exec(d, {"users", "gone.dfm", "--json"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("gone.dfm:22: Staff: Cannot open database"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("gone.db")));

    Write(dir.File("broken.dfm"), "object X: TForm\n  Caption = 'unclosed\nend\n");
    Outcome b = Exec(d, {"login", "broken.dfm", "-u", "x", "--password-stdin", "--json"}, "x\n");
    EXPECT_EQ(b.status, 2);
    EXPECT_EQ(b.out, "");
    EXPECT_NE(b.err.find("broken.dfm:2: unterminated string"), std::string::npos) << b.err;

    Outcome c = Exec(d, {"form", "check", "staff.dfm", "broken.dfm", "--json"});
    EXPECT_EQ(c.status, 1);
    Json j = c.json();
    EXPECT_EQ(j["result"], false);
    EXPECT_EQ(j["error"]["file"], "broken.dfm");
    EXPECT_EQ(j["error"]["line"], 2);
    EXPECT_EQ(j["files"][0]["ok"], true);
    EXPECT_EQ(Exec(d, {"form", "check", "staff.dfm", "till.dfm", "admin.dfm"}).status, 0);
    EXPECT_EQ(Exec(d, {"nonsense"}).status, 2);
}

TEST_P(Cli, ReadOnlyTableRefusesTheSaveAndChangesNothing) {
    std::string admin = staffAdmin;
    admin.insert(admin.find("    Active = True"), "    ReadOnly = True\n");
    Write(dir.File("ro.dfm"), admin);
    const std::string before = Acl("ann");
    Outcome r = Exec(d, {"grant", "staff.dfm", "ro.dfm", "-u", "ann", "-r", "miVoid", "--json"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.json()["messages"], Json(V{"Cannot save setting due to error!"}));
    EXPECT_EQ(Acl("ann"), before);
}

TEST_P(CliFile, WriteProtectedDatabaseFileIsNeverWritten) {
    const std::string before = Acl("ann");
    std::filesystem::permissions(dir.File("staff.db"), std::filesystem::perms::owner_read |
                                                           std::filesystem::perms::group_read);
    Outcome r = Exec(d, {"grant", "staff.dfm", "admin.dfm", "-u", "ann", "-r", "miVoid", "--json"});
    std::filesystem::permissions(dir.File("staff.db"), std::filesystem::perms::owner_all);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.json()["messages"], Json(V{"Cannot save setting due to error!"}));
    EXPECT_EQ(Acl("ann"), before);
}

TEST_P(Cli, MatrixInEveryFormat) {
    Outcome j = Exec(d, {"matrix", "staff.dfm", "admin.dfm", "--json"});
    ASSERT_EQ(j.status, 0) << j.err;
    EXPECT_EQ(j.json()["users"], Json(V{"ann", "Jos\xC3\xA9", "bob"}));
    EXPECT_EQ(j.json()["rights"][0]["granted"], Json({true, false, false}));
    EXPECT_EQ(j.json()["rights"][3]["granted"], Json({false, true, false}));
    Outcome csv = Exec(d, {"matrix", "staff.dfm", "admin.dfm", "--format", "csv"});
    EXPECT_EQ(csv.out.substr(0, csv.out.find("\r\n")), "menu item,right,ann,Jos\xC3\xA9,bob");
    EXPECT_NE(csv.out.find("    Void,miVoid,,x,\r\n"), std::string::npos) << csv.out;
    Outcome html = Exec(d, {"matrix", "staff.dfm", "admin.dfm", "--format", "html"});
    EXPECT_EQ(html.out.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(html.out.find("<th>Jos\xC3\xA9</th>"), std::string::npos);
    EXPECT_NE(html.out.find("&lt;Secret"), std::string::npos);
    EXPECT_EQ(html.out.find("<script"), std::string::npos);
    EXPECT_EQ(Exec(d, {"matrix", "staff.dfm", "admin.dfm", "--format", "pdf"}).status, 2);
}

TEST_P(CliFile, FormFormatPrintsTheCanonicalForm) {
    Outcome r = Exec(d, {"form", "format", "staff.dfm", "admin.dfm"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, kStaffAdmin);
    Write(dir.File("messy.dfm"),
          "object   M :TForm Caption='a' + \n 'b'#33 object x:TButton end end");
    Outcome m = Exec(d, {"form", "format", "messy.dfm"});
    EXPECT_EQ(m.out, "object M: TForm\n  Caption = 'ab!'\n  object x: TButton\n  end\nend\n");
}

TEST_P(CliFile, PaletteInstallsThePackageAndExportsItsBitmaps) {
    Outcome r = Exec(d, {"palette", "--export", "bitmaps", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    Json j = r.json();
    ASSERT_EQ(j["pages"].size(), 1u);
    EXPECT_EQ(j["pages"][0]["name"], "ZEL");
    V classes;
    for (const auto& c : j["pages"][0]["classes"]) {
        classes.push_back(c["name"]);
    }
    EXPECT_EQ(classes, (V{"TZELRight", "TZELBitBtn", "TZELButton", "TZELMenuCheckListBox"}));
    for (const char* name : {"TZELRIGHT", "TZELBITBTN", "TZELBUTTON", "TZELMENUCHECKLISTBOX"}) {
        std::ifstream bmp(dir.File(std::string("bitmaps/") + name + ".bmp"), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(bmp)), {});
        EXPECT_EQ(bytes.substr(0, 2), "BM") << name;
        EXPECT_EQ(bytes.size(), 1654u) << name;
    }
}

TEST(CliExample, MakesTheShopAndRefusesToOverwriteIt) {
    TempDir dir;
    const std::string d = dir.Path().string();
    Outcome r = Exec(d, {"example", "shop", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    struct stat st {};
    ASSERT_EQ(stat(dir.File("shop/shop.db").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    const std::string before = Query(d, "shop/shop.db", "SELECT hex(rights) FROM users");
    Exec(d + "/shop", {"grant", "main.dfm", "admin.dfm", "--user", "clerk", "-r", "mnuOrderNew"});
    const std::string edited = Query(d, "shop/shop.db", "SELECT hex(rights) FROM users");
    EXPECT_NE(edited, before);
    Outcome again = Exec(d, {"example", "shop", "--json"});
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.json()["result"], false);
    EXPECT_EQ(Query(d, "shop/shop.db", "SELECT hex(rights) FROM users"), edited);
    EXPECT_EQ(Exec(d, {"example", "shop", "--force"}).status, 0);
    EXPECT_EQ(Query(d, "shop/shop.db", "SELECT hex(rights) FROM users"), before);

    // Every example user logs in with the ID as password; their menus differ.
    std::map<std::string, std::size_t> enabled;
    for (const char* user : {"admin", "clerk", "viewer", "former"}) {
        Outcome l =
            Exec(d + "/shop",
                 {"login", "main.dfm", "orders.dfm", "-u", user, "--password-stdin", "--json"},
                 std::string(user) + "\n");
        ASSERT_EQ(l.status, 0) << user << l.err;
        std::size_t count = 0;
        std::function<void(const Json&)> walk = [&](const Json& items) {
            for (const auto& item : items) {
                count += item["enabled"].get<bool>() && !item["separator"].get<bool>();
                walk(item["items"]);
            }
        };
        walk(l.json()["menu"]);
        enabled[user] = count;
        EXPECT_EQ(l.json()["buttons"].size(), 4u);
    }
    EXPECT_EQ(enabled["admin"], 18u);
    EXPECT_GT(enabled["clerk"], enabled["viewer"]);
    // The former employee's right that the menu lost is dropped by the editor.
    Outcome former =
        Exec(d + "/shop", {"rights", "main.dfm", "admin.dfm", "-u", "former", "--json"});
    EXPECT_EQ(former.json()["granted"],
              Json(V{"mnuFile", "mnuFileLogin", "mnuOrders", "mnuOrderList"}));
}

TEST(CliExample, OnPostgresTheTableIsMadeOnceAndTheFormsUseIt) {
    ZEL_TEST_NEEDS_POSTGRES();
    TempDir dir;
    const std::string d = dir.Path().string();
    zel::test::UserStore store(Backend::Postgres, d);
    const std::string uri = store.Where() + " password=not-in-forms";
    Outcome r = Exec(d, {"example", "team", "--database", uri});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("team/shop.db")));
    std::ifstream main(dir.File("team/main.dfm"));
    const std::string form((std::istreambuf_iterator<char>(main)), {});
    EXPECT_NE(form.find("TPgTable"), std::string::npos);
    EXPECT_EQ(form.find("not-in-forms"), std::string::npos);
    EXPECT_EQ(store.Query("SELECT count(*)::text FROM users"), "4");

    Exec(d + "/team", {"grant", "main.dfm", "admin.dfm", "-u", "clerk", "-r", "mnuOrderNew"});
    const auto edited = store.Query("SELECT rights FROM users WHERE login = 'clerk'");
    EXPECT_NE(edited->find("\xFFmnuOrderNew\xFF"), std::string::npos);
    EXPECT_EQ(Exec(d, {"example", "team2", "--database", uri}).status, 1); // the table exists
    EXPECT_EQ(store.Query("SELECT rights FROM users WHERE login = 'clerk'"), edited);
    Outcome l = Exec(d + "/team",
                     {"login", "main.dfm", "-u", "clerk", "--password-stdin", "--json"}, "clerk\n");
    EXPECT_EQ(l.status, 0) << l.err;
    EXPECT_EQ(Exec(d, {"example", "team", "--database", uri, "--force"}).status, 0);
    EXPECT_EQ(store.Query("SELECT rights FROM users WHERE login = 'clerk'")->find("mnuOrderNew"),
              std::string::npos);

    // A password in a form's connection string is worth a warning.
    std::string leaky = form;
    leaky.replace(leaky.find("ConnectionString = '") + 20, 0, "password=oops ");
    Write(dir.File("team/leaky.dfm"), leaky);
    Outcome c = Exec(d + "/team", {"form", "check", "leaky.dfm", "--json"});
    EXPECT_NE(c.json()["warnings"].dump().find("holds a password"), std::string::npos) << c.out;
}

TEST(CliExample, OnMariaDBTheTableIsMadeOnceAndTheFormsSayTheDriver) {
    TempDir dir;
    const std::string d = dir.Path().string();
    zel::test::UserStore store(Backend::MariaDB, d);
    const std::string uri =
        "mariadb://zel@localhost/" + store.Where() + "?socket=" + zel::test::TestMariaDB();
    Outcome r = Exec(d, {"example", "team", "--database", uri});
    ASSERT_EQ(r.status, 0) << r.err;
    std::ifstream main(dir.File("team/main.dfm"));
    const std::string form((std::istreambuf_iterator<char>(main)), {});
    EXPECT_NE(form.find("TQtSqlTable\n    Driver = 'QMYSQL'"), std::string::npos) << form;
    EXPECT_EQ(store.Query("SELECT count(*) FROM users"), "4");
    EXPECT_EQ(Exec(d, {"example", "team2", "--database", uri}).status, 1); // the table exists
    // IDs that utf8mb4_general_ci folds together are users of their own.
    EXPECT_EQ(
        Exec(d + "/team", {"user", "add", "main.dfm", "-u", "Clerk ", "--password-stdin"}, "pw\n")
            .status,
        0);
    Exec(d + "/team", {"grant", "main.dfm", "admin.dfm", "-u", "Clerk ", "-r", "mnuOrderNew"});
    EXPECT_EQ(store.Query("SELECT rights FROM users WHERE login = BINARY 'Clerk '"),
              "\xFFmnuOrderNew\xFFmnuOrders\xFF"); // with its menu
    EXPECT_EQ(
        store.Query("SELECT rights FROM users WHERE login = BINARY 'clerk'")->find("mnuOrderNew"),
        std::string::npos);
    EXPECT_EQ(Exec(d, {"example", "team3", "--database", "mariadb://zel:pw@localhost/x"}).status,
              2); // a password would be in the forms

    std::string leaky = form;
    leaky.replace(leaky.find("ConnectOptions = '") + 18, 0, "MYSQL_PASSWORD=oops;");
    Write(dir.File("team/leaky.dfm"), leaky);
    Outcome c = Exec(d + "/team", {"form", "check", "leaky.dfm", "--json"});
    EXPECT_NE(c.json()["warnings"].dump().find("hold a password"), std::string::npos) << c.out;
}

// The roles of the security model: a person in the staff role logs in, and the server itself
// refuses them a change of anyone's rights, through the tool or around it.
TEST(CliExample, OnPostgresTheStaffRoleReadsAndTheServerRefusesItsChanges) {
    ZEL_TEST_NEEDS_POSTGRES();
    TempDir dir;
    const std::string d = dir.Path().string();
    zel::test::UserStore store(Backend::Postgres, d);
    Outcome made = Exec(d, {"example", "team", "--database", store.Where(), "--json"});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(made.json()["roles"], Json(V{"zel_shop_staff", "zel_shop_admin"}));
    const std::string clerk = "zel_clerk_" + std::to_string(getpid());
    store.Exec("DROP ROLE IF EXISTS " + clerk);
    store.Exec("CREATE ROLE " + clerk + " LOGIN IN ROLE zel_shop_staff");
    for (const char* form : {"main.dfm", "admin.dfm"}) {
        std::string text = Slurp(dir.File(std::string("team/") + form));
        const std::size_t at = text.find("ConnectionString = '") + 20;
        text.insert(text.find('\n', at) - 1, " user=" + clerk);
        Write(dir.File(std::string("team/") + form), text);
    }
    Outcome in =
        Exec(d + "/team", {"login", "main.dfm", "-u", "clerk", "--password-stdin"}, "clerk\n");
    EXPECT_EQ(in.status, 0) << in.out << in.err;
    Outcome grant = Exec(d + "/team", {"grant", "main.dfm", "admin.dfm", "-u", "clerk", "-r",
                                       "mnuAdminUsers", "--json"});
    EXPECT_EQ(grant.status, 1);
    EXPECT_NE(grant.out.find("the user may not update it"), std::string::npos) << grant.out;
    store.Exec("SET ROLE " + clerk);
    EXPECT_THROW(store.Exec("UPDATE users SET rights = NULL"), std::exception);
    EXPECT_EQ(store.Query("SELECT count(*)::text FROM users WHERE rights IS NULL"), "0");
    store.Exec("RESET ROLE");
    store.Exec("DROP ROLE " + clerk);
}
