// The PostgreSQL dataset against the real test server: what differs from SQLite (keys,
// types, encodings, names, a server that goes away or hangs). What both datasets must do
// alike is tested through the components, on both.
#include "support/TestSupport.h"
#include "support/UserStore.h"
#include "zel/host/core/Errors.h"
#include "zel/host/postgres/PgConnectionString.h"
#include "zel/host/postgres/PgTable.h"

#include <chrono>
#include <gtest/gtest.h>
#include <memory>

using namespace zel::host;
using namespace zel::test;

namespace {
struct PgTable : ::testing::Test {
    TempDir dir;
    UserStore store{Backend::Postgres, dir.Path().string()};

    std::unique_ptr<TPgTable> Open(const std::string& table, const std::string& extra = "") {
        auto t = std::make_unique<TPgTable>(nullptr);
        t->SetConnectionString(store.Where() + extra);
        t->SetTableName(table);
        t->Open();
        return t;
    }
    void Edit(TPgTable& t, const std::string& field, const TVariant& value) {
        t.Edit();
        t.FieldByName(field).SetAsVariant(value);
        t.Post();
    }
};

} // namespace

TEST_F(PgTable, ReadsInKeyOrderAcrossBatchesWithEveryType) {
    store.Exec("CREATE TABLE t (k integer PRIMARY KEY, s text, f float8, b boolean, y bytea, "
               "n numeric, z text)");
    // Keys inserted out of order, more rows than the first batches hold.
    store.Exec("INSERT INTO t SELECT (g * 37) % 500, 's' || g, 0.5, g % 2 = 0, '\\x00ff', "
               "1.25, NULL FROM generate_series(0, 499) g");
    auto t = Open("t");
    int expected = 0;
    for (t->First(); !t->Eof(); t->Next(), ++expected) {
        ASSERT_EQ(t->FieldByName("K").AsVariant().AsInteger(), expected);
    }
    EXPECT_EQ(expected, 500);
    t->First();
    EXPECT_EQ(t->FieldByName("f").AsVariant().AsFloat(), 0.5);
    EXPECT_EQ(t->FieldByName("y").AsString(), std::string("\0\xFF", 2));
    EXPECT_EQ(t->FieldByName("y").AsVariant().VarType(), TVariant::Type::Blob);
    EXPECT_EQ(t->FieldByName("n").AsString(), "1.25");
    EXPECT_TRUE(t->FieldByName("z").IsNull());
}

TEST_F(PgTable, SavesEveryByteAndRefusesAStaleRecord) {
    store.Exec("CREATE TABLE u (id integer PRIMARY KEY, name text, acl bytea)");
    store.Exec("INSERT INTO u VALUES (1, 'Jos\xE9', NULL), (2, 'b', NULL)");
    auto t = Open("u");
    EXPECT_EQ(t->FieldByName("name").AsString(), "Jos\xE9"); // Windows-1252 through UTF8
    EXPECT_EQ(store.Query("SELECT convert_to(name, 'UTF8') FROM u WHERE id = 1"),
              "Jos\xC3\xA9"); // what other clients see
    Edit(*t, "acl", TVariant(BytesFrom(0)));
    EXPECT_EQ(store.Query("SELECT acl FROM u WHERE id = 1"), BytesFrom(0));
    Edit(*t, "name", TVariant(std::string("\xFFmnu\xFF")));
    EXPECT_EQ(store.Query("SELECT name FROM u WHERE id = 1"), "\xFFmnu\xFF");

    store.Exec("UPDATE u SET acl = 'other' WHERE id = 1"); // another user saves first
    t->Edit();
    t->FieldByName("acl").SetAsVariant(TVariant(std::string("mine")));
    EXPECT_THROW(t->Post(), ERecordChanged);
    EXPECT_EQ(VarToStr(t->FieldByName("acl").OldValue()), "other"); // re-read
    EXPECT_EQ(store.Query("SELECT acl FROM u WHERE id = 1"), "other");
    t->Post(); // against what is stored now, it lands
    EXPECT_EQ(store.Query("SELECT acl FROM u WHERE id = 1"), "mine");

    // Another record under the same key, its rights as NULL as the first one's were: every
    // field read is compared, so the save refuses instead of landing on it. A column
    // without equality (json) is left out of the comparison rather than failing the save.
    store.Exec("ALTER TABLE u ADD COLUMN notes json");
    store.Exec("UPDATE u SET acl = NULL WHERE id = 1");
    t = Open("u");
    t->Edit();
    t->FieldByName("acl").SetAsVariant(TVariant(std::string("meant for b")));
    store.Exec("DELETE FROM u WHERE id = 1");
    store.Exec("INSERT INTO u VALUES (1, 'intern', NULL, '{}')");
    EXPECT_THROW(t->Post(), ERecordChanged);
    EXPECT_EQ(store.Query("SELECT coalesce(acl, 'NULL') FROM u WHERE id = 1"), "NULL");
    t->Cancel();
    Edit(*t, "acl", TVariant(std::string("x"))); // now read as the intern's: it lands
    EXPECT_EQ(store.Query("SELECT name || ':' || convert_from(acl, 'UTF8') FROM u WHERE id = 1"),
              "intern:x");
}

TEST_F(PgTable, TextTheDatabaseCannotHoldIsAnErrorAndNothingIsWritten) {
    store.Exec("CREATE TABLE u (id integer PRIMARY KEY, name text)");
    store.Exec("INSERT INTO u VALUES (1, 'a')");
    auto t = Open("u");
    t->Edit();
    t->FieldByName("name").SetAsVariant(TVariant(std::string("x\x81y"))); // undefined in 1252
    try {
        t->Post();
        FAIL() << "saved text that has no character";
    } catch (const EDatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("0x81"), std::string::npos) << e.what();
    }
    EXPECT_EQ(t->State(), dsEdit);
    EXPECT_EQ(store.Query("SELECT name FROM u"), "a");
}

// A value that Windows-1252 cannot hold belongs to its own record only: it reads escaped and
// equals no text, every other record reads and is found, and a save of that record sends the
// value back as the server gave it.
TEST_F(PgTable, TextWindows1252CannotHoldIsForeignToItsRecordOnly) {
    store.Exec("CREATE TABLE u (id integer PRIMARY KEY, name text, acl text)");
    store.Exec("INSERT INTO u VALUES (1, 'ann', 'a'), (2, chr(321) || 'ukasz', 'l'), "
               "(3, chr(129), 'c'), (4, 'bob', 'b')");
    auto t = Open("u");
    std::vector<std::string> names;
    for (t->First(); !t->Eof(); t->Next()) {
        names.push_back(t->FieldByName("name").AsString() +
                        (t->FieldByName("name").AsVariant().IsForeign() ? "*" : ""));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"ann", "\\u0141ukasz*", "\\u0081*", "bob"}));
    EXPECT_TRUE(t->Locate("name", "bob"));
    EXPECT_EQ(t->FieldByName("acl").AsString(), "b");
    for (const std::string typed : {"\\u0141ukasz", "\\u0081", "\x81", "?ukasz"}) {
        EXPECT_FALSE(t->Locate("name", typed)) << typed;
    }
    store.Exec("CREATE TABLE keyless AS SELECT * FROM u"); // found by the dataset's own scan
    EXPECT_FALSE(Open("keyless")->Locate("name", "\\u0141ukasz"));
    ASSERT_TRUE(t->Locate("id", "2"));
    Edit(*t, "acl", TVariant(std::string("granted")));
    EXPECT_EQ(store.Query("SELECT convert_to(name || ':' || acl, 'UTF8') FROM u WHERE id = 2"),
              "\xC5\x81ukasz:granted");
}

TEST_F(PgTable, NamesAsSqlWritesThemOrExactly) {
    store.Exec("CREATE SCHEMA IF NOT EXISTS sales_" + std::to_string(getpid()));
    const std::string schema = "sales_" + std::to_string(getpid());
    store.Exec("CREATE TABLE " + schema + ".users (id integer PRIMARY KEY, v text)");
    store.Exec("CREATE TABLE \"Odd \"\"Name\"\"\" (id integer PRIMARY KEY, v text)");
    store.Exec("INSERT INTO " + schema + ".users VALUES (1, 'qualified')");
    store.Exec("INSERT INTO \"Odd \"\"Name\"\"\" VALUES (1, 'quoted')");
    const struct {
        std::string name, value;
    } cases[] = {{schema + ".users", "qualified"},
                 {"\"Odd \"\"Name\"\"\"", "quoted"},
                 {"Odd \"Name\"", "quoted"}}; // the exact name, unquoted
    for (const auto& c : cases) {
        EXPECT_EQ(Open(c.name)->FieldByName("v").AsString(), c.value) << c.name;
    }
    Edit(*Open(schema + ".users"), "v", TVariant(std::string("saved")));
    EXPECT_EQ(store.Query("SELECT v FROM " + schema + ".users"), "saved");
    store.Exec("DROP SCHEMA " + schema + " CASCADE");
    for (const std::string bad : {"nope", "a b c", "x\"; DROP TABLE u; --"}) {
        try {
            Open(bad);
            FAIL() << bad;
        } catch (const EDatabaseError& e) {
            EXPECT_NE(std::string(e.what()).find("not found"), std::string::npos) << e.what();
        }
    }
}

TEST_F(PgTable, WithoutAPrimaryKeyItReadsButNeverWrites) {
    store.Exec("CREATE TABLE loose (login text, acl text)");
    store.Exec("INSERT INTO loose VALUES ('ann', 'x'), ('bob', 'y')");
    auto t = Open("loose");
    t->Next();
    EXPECT_EQ(t->FieldByName("login").AsString(), "bob");
    EXPECT_FALSE(t->CanModify());
    try {
        t->Edit();
        FAIL() << "edited a table without a key";
    } catch (const EDatabaseError& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("'loose'"), std::string::npos) << text;
        EXPECT_NE(text.find("no primary key"), std::string::npos) << text;
    }
}

TEST_F(PgTable, ConnectionFailuresNameTheDatabaseButNeverThePassword) {
    const std::string server = TestServer();
    const std::string cases[] = {server + " dbname=nosuchdb password=s3cr3t-pw",
                                 "postgresql://zel:s3cr3t-pw@/nosuchdb?host=/nonexistent",
                                 "host=/nonexistent password=s3cr3t-pw dbname=x",
                                 "password=s3cr3t-pw = broken",
                                 // libpq cannot read these, and its message quotes them
                                 "password=hunter s3cr3t-pw", "postgresql://zel:hun%zzs3cr3t@/shop",
                                 "dbname=x password=abc s3cr3t-pw"};
    for (const std::string& conninfo : cases) {
        TPgTable t(nullptr);
        t.SetConnectionString(conninfo);
        t.SetTableName("users");
        try {
            t.Open();
            FAIL() << conninfo;
        } catch (const EDatabaseError& e) {
            const std::string text = e.what();
            EXPECT_EQ(text.find("s3cr3t"), std::string::npos) << text;
            EXPECT_NE(text.find("Cannot connect"), std::string::npos) << text;
        }
        EXPECT_TRUE(ConnectionStringHasPassword(conninfo));
    }
    EXPECT_NE(DescribeConnection(cases[0]).find("'nosuchdb'"), std::string::npos);
    EXPECT_EQ(ConnectionStringWithoutPassword(cases[1]).find("s3cr3t"), std::string::npos);
    EXPECT_FALSE(ConnectionStringHasPassword(server));
}

TEST_F(PgTable, ALostConnectionFailsOnceAndReadingGoesOn) {
    store.Exec("CREATE TABLE t (k integer PRIMARY KEY)");
    store.Exec("INSERT INTO t SELECT generate_series(1, 300)");
    auto t = Open("t", " application_name=zel_lost");
    const auto cut = [&] {
        store.Exec("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                   "WHERE application_name = 'zel_lost'");
    };
    cut();
    int k = 1, failures = 0;
    while (!t->Eof()) {
        ASSERT_EQ(t->FieldByName("k").AsVariant().AsInteger(), k);
        try {
            t->Next();
            ++k;
        } catch (const EDatabaseError& e) {
            ++failures; // the batch ended: the next fetch met the cut
            EXPECT_NE(std::string(e.what()).find("Cannot read"), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(k, 301);                                           // every record once, in order
    EXPECT_EQ(t->FieldByName("k").AsVariant().AsInteger(), 300); // the last one current
    EXPECT_EQ(failures, 1);
    cut();
    t->Refresh();
    EXPECT_EQ(t->FieldByName("k").AsVariant().AsInteger(), 300);
    Edit(*t, "k", TVariant(std::int64_t{301}));
    EXPECT_EQ(store.Query("SELECT max(k)::text FROM t"), "301");
}

TEST_F(PgTable, AHungServerIsCancelledByTheStatementTimeout) {
    store.Exec("CREATE TABLE t (k integer PRIMARY KEY, v text)");
    store.Exec("INSERT INTO t VALUES (1, 'a')");
    auto t = std::make_unique<TPgTable>(nullptr);
    t->SetConnectionString(store.Where());
    t->SetTableName("t");
    t->SetStatementTimeout(300);
    t->Open();
    store.Exec("BEGIN");
    store.Exec("LOCK TABLE t IN ACCESS EXCLUSIVE MODE"); // as a stuck session would
    const auto start = std::chrono::steady_clock::now();
    t->Edit();
    t->FieldByName("v").SetAsVariant(TVariant(std::string("b")));
    EXPECT_THROW(t->Post(), EDatabaseError);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    store.Exec("ROLLBACK");
    t->Post();
    EXPECT_EQ(store.Query("SELECT v FROM t"), "b");
}

TEST_F(PgTable, AmongRecordsOfOneUserIdTheFirstInKeyOrderIsFound) {
    // Stored in another order than the key's, so that the server meets key 5 first.
    store.Exec("CREATE TABLE u (k integer PRIMARY KEY, login text, password text)");
    store.Exec("INSERT INTO u VALUES (5, 'ann', 'second'), (9, 'bob', 'x'), (2, 'ann', 'first')");
    for (const bool indexed : {false, true}) {
        if (indexed) {
            store.Exec("CREATE INDEX u_login ON u (login)");
            store.Exec("ANALYZE u");
        }
        auto t = Open("u");
        ASSERT_TRUE(t->Locate("login", "ann")) << indexed;
        EXPECT_EQ(t->FieldByName("password").AsString(), "first") << indexed;
        t->Next(); // and reading goes on in key order after it
        EXPECT_EQ(t->FieldByName("password").AsString(), "second") << indexed;
    }
}
