// The Qt SQL dataset against the real MariaDB test server: what its collations, types and
// connections do differently. What every dataset must do alike runs through the
// components on every backend (the Login, Record, Cli and Concurrent suites).
#include "support/TestSupport.h"
#include "support/UserStore.h"
#include "zel/host/core/Errors.h"
#include "zel/host/core/TextEncoding.h"
#include "zel/host/qtsql/QtSqlTable.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>
#include <memory>

using namespace zel::host;
using namespace zel::test;

namespace {
struct QtSqlTable : ::testing::Test {
    TempDir dir;
    UserStore store{Backend::MariaDB, dir.Path().string()};

    std::unique_ptr<TQtSqlTable> Open(const std::string& table) {
        auto t = std::unique_ptr<TQtSqlTable>(
            dynamic_cast<TQtSqlTable*>(store.NewTable(nullptr, table)));
        t->Open();
        return t;
    }
    void Edit(TDataSet& t, const std::string& field, const TVariant& value) {
        t.Edit();
        t.FieldByName(field).SetAsVariant(value);
        t.Post();
    }
};

struct TextSetting {
    TTextEncoding before = TextEncoding();
    explicit TextSetting(TTextEncoding encoding) { SetTextEncoding(encoding); }
    ~TextSetting() { SetTextEncoding(before); }
};
} // namespace

// utf8mb4_general_ci calls 'admin', 'ADMIN' and 'admin ' equal; the log-in may not.
TEST_F(QtSqlTable, IdsTheCollationFoldsTogetherStayApart) {
    for (const bool index : {false, true}) {
        SCOPED_TRACE(index ? "with an index" : "without an index");
        store.Exec("DROP TABLE IF EXISTS u");
        store.Exec("CREATE TABLE u (k INTEGER PRIMARY KEY, id VARCHAR(20), acl BLOB)");
        if (index) {
            store.Exec("CREATE INDEX u_id ON u (id)");
        }
        store.Exec("INSERT INTO u VALUES (1, 'ADMIN', 'a'), (2, 'admin ', 'b'), (3, 'admin', 'c')");
        auto t = Open("u");
        for (const auto& [id, acl] : std::vector<std::pair<std::string, std::string>>{
                 {"admin", "c"}, {"ADMIN", "a"}, {"admin ", "b"}}) {
            ASSERT_TRUE(t->Locate("id", id)) << id;
            EXPECT_EQ(t->FieldByName("acl").AsString(), acl);
        }
        EXPECT_FALSE(t->Locate("id", "Admin"));
        // A save checks what was read byte for byte: a change of case is a change.
        ASSERT_TRUE(t->Locate("id", "admin"));
        store.Exec("UPDATE u SET id = 'ADMIn' WHERE k = 3");
        t->Edit();
        t->FieldByName("acl").SetAsVariant(TVariant::Blob("x"));
        EXPECT_THROW(t->Post(), ERecordChanged);
        t->Cancel();
        EXPECT_EQ(store.Query("SELECT acl FROM u WHERE k = 3"), "c");
    }
}

TEST_F(QtSqlTable, BytesAndAccentsKeepEveryByteUnderBothTextSettings) {
    store.Exec("CREATE TABLE u (k INTEGER PRIMARY KEY, name VARCHAR(40), acl BLOB, note TEXT)");
    store.Exec(
        "INSERT INTO u VALUES (1, 'Jos\xC3\xA9', NULL, 'x'), (2, '\xC5\x81ukasz', NULL, 'y')");
    std::string every;
    for (int c = 0; c < 256; ++c) {
        every += static_cast<char>(c);
    }
    for (const auto& [encoding, jose] :
         {std::pair{TTextEncoding::Windows1252, std::string("Jos\xE9")},
          std::pair{TTextEncoding::Utf8, std::string("Jos\xC3\xA9")}}) {
        TextSetting setting(encoding);
        auto t = Open("u");
        ASSERT_TRUE(t->Locate("name", jose));
        Edit(*t, "acl", TVariant::Blob(every));
        EXPECT_EQ(store.Query("SELECT acl FROM u WHERE k = 1"), every);
        // A text column takes the rights when they are text, or refuses with nothing changed.
        t->Edit();
        t->FieldByName("note").SetAsVariant(TVariant("\xFF"
                                                     "A\xFF"));
        try {
            t->Post();
            t->Refresh();
            EXPECT_EQ(t->FieldByName("note").AsString(), "\xFF"
                                                         "A\xFF");
        } catch (const EDatabaseError& e) {
            t->Cancel();
            EXPECT_EQ(encoding, TTextEncoding::Utf8) << e.what();
            EXPECT_EQ(store.Query("SELECT note FROM u WHERE k = 1"), "x");
        }
        ASSERT_TRUE(t->Locate("k", "2"));
        if (encoding == TTextEncoding::Windows1252) {
            // Ł has no Windows-1252 byte: shown escaped, equal to nothing, kept when saved.
            EXPECT_EQ(t->FieldByName("name").AsString(), "\\u0141ukasz");
            EXPECT_FALSE(t->Locate("name", "\\u0141ukasz"));
            ASSERT_TRUE(t->Locate("k", "2"));
        }
        Edit(*t, "acl", TVariant::Blob("\xFF"));
        EXPECT_EQ(store.Query("SELECT name FROM u WHERE k = 2"), "\xC5\x81ukasz"); // as UTF-8
        store.Exec("UPDATE u SET note = 'x' WHERE k = 1");
    }
}

TEST_F(QtSqlTable, OddNamesAreQuotedAndATableWithoutKeyIsOnlyRead) {
    for (const std::string name : {"odd`name", "with space", "semi;colon", "quote\"d"}) {
        SCOPED_TRACE(name);
        std::string quoted = "`";
        for (char c : name) {
            quoted += c == '`' ? "``" : std::string(1, c);
        }
        store.Exec("CREATE TABLE " + quoted + "` (k INTEGER PRIMARY KEY, v VARCHAR(9))");
        store.Exec("INSERT INTO " + quoted + "` VALUES (1, 'a'), (2, 'b')");
        auto t = Open(name);
        t->Next();
        Edit(*t, "v", "c");
        EXPECT_EQ(store.Query("SELECT v FROM " + quoted + "` WHERE k = 2"), "c");
    }
    store.Exec("CREATE TABLE loose (id VARCHAR(9), acl BLOB)");
    store.Exec("INSERT INTO loose VALUES ('ann', 'a'), ('bob', 'b')");
    auto t = Open("loose");
    EXPECT_TRUE(t->Locate("id", "bob"));
    EXPECT_FALSE(t->CanModify());
    try {
        t->Edit();
        FAIL() << "a table without a key was edited";
    } catch (const EDatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("no primary key"), std::string::npos) << e.what();
    }
}

TEST_F(QtSqlTable, TheApplicationsOwnConnectionIsUsedAndKept) {
    store.Exec("CREATE TABLE u (k INTEGER PRIMARY KEY, id VARCHAR(9))");
    store.Exec("INSERT INTO u VALUES (1, 'ann')");
    {
        QSqlDatabase app = QSqlDatabase::addDatabase("QMYSQL", "app");
        app.setDatabaseName(QString::fromStdString(store.Where()));
        app.setUserName("zel");
        app.setConnectOptions("UNIX_SOCKET=" + QString::fromStdString(TestMariaDB()));
        ASSERT_TRUE(app.open());
    }
    {
        TQtSqlTable t(nullptr);
        t.SetConnectionName("app");
        t.SetDriver("QNOSUCH"); // ignored: the connection decides
        t.SetTableName("u");
        t.Open();
        EXPECT_TRUE(t.Locate("id", "ann"));
    }
    EXPECT_TRUE(QSqlDatabase::database("app", false).isOpen());
    QSqlDatabase::removeDatabase("app");

    TQtSqlTable none(nullptr);
    none.SetConnectionName("app");
    none.SetTableName("u");
    EXPECT_THROW(none.Open(), EDatabaseError);
    none.SetConnectionName("");
    none.SetDriver("QNOSUCH");
    try {
        none.Open();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("no SQL driver 'QNOSUCH'"), std::string::npos);
    }
}

// The server ends the table's connection: the operation under way fails, the next connects
// again and reads on after the current record.
TEST_F(QtSqlTable, ALostConnectionFailsOneOperationOnly) {
    store.Exec("CREATE TABLE u (k INTEGER PRIMARY KEY, v VARCHAR(9))");
    std::string values;
    for (int k = 1; k <= 200; ++k) {
        values += std::string(k > 1 ? ", " : "") + "(" + std::to_string(k) + ", 'v')";
    }
    store.Exec("INSERT INTO u VALUES " + values);
    auto t = Open("u");
    for (int i = 0; i < 63; ++i) {
        t->Next(); // to the end of the first batch
    }
    ASSERT_EQ(t->FieldByName("k").AsString(), "64");
    QSqlQuery others(QSqlDatabase::database(QString::fromStdString("store_" + store.Where())));
    ASSERT_TRUE(others.exec("SELECT id FROM information_schema.PROCESSLIST WHERE id <> "
                            "CONNECTION_ID() AND user = 'zel'"));
    while (others.next()) {
        QSqlQuery(QSqlDatabase::database(QString::fromStdString("store_" + store.Where())))
            .exec("KILL " + others.value(0).toString());
    }
    EXPECT_THROW(t->Next(), EDatabaseError);
    t->Next();
    EXPECT_EQ(t->FieldByName("k").AsString(), "65");
}
