#include "support/TestSupport.h"
#include "zel/host/core/Errors.h"
#include "zel/host/data/DataSource.h"
#include "zel/host/sqlite/SQLiteTable.h"

#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sqlite3.h>

using namespace zel::host;
using zel::test::BytesFrom;
using zel::test::ExecSql;
using zel::test::QueryText;
using zel::test::TempDir;

namespace {
std::unique_ptr<TSQLiteTable> OpenTable(const std::string& db, const std::string& table,
                                        bool readOnly = false) {
    auto t = std::make_unique<TSQLiteTable>(nullptr);
    t->SetDatabaseName(db);
    t->SetTableName(table);
    t->SetReadOnly(readOnly);
    t->Open();
    return t;
}

} // namespace

TEST(SQLiteTable, ScansInRowidOrderAcrossBatches) {
    TempDir dir;
    const std::string db = dir.File("t.db");
    ExecSql(db, "CREATE TABLE t (n INTEGER, s TEXT, r REAL, b BLOB, z)");
    std::string sql = "INSERT INTO t(rowid, n, s, r, b, z) VALUES ";
    // Rowids out of insertion order and with gaps, more rows than one batch.
    for (int i = 0; i < 150; ++i) {
        int rowid = (i * 37) % 150 * 3 - 100;
        sql += (i ? "," : "") + std::string("(") + std::to_string(rowid) + "," +
               std::to_string(rowid) + ",'s" + std::to_string(rowid) + "',0.5,x'00ff',NULL)";
    }
    ExecSql(db, sql);
    auto t = OpenTable(db, "t");
    ASSERT_EQ(t->FieldCount(), 5);
    int count = 0;
    std::int64_t last = INT64_MIN;
    for (t->First(); !t->Eof(); t->Next()) {
        std::int64_t n = t->FieldByName("N").AsVariant().AsInteger(); // names ignore case
        EXPECT_GT(n, last);
        last = n;
        EXPECT_EQ(t->FieldByName("s").AsString(), "s" + std::to_string(n));
        EXPECT_EQ(t->FieldByName("r").AsString(), "0.5");
        EXPECT_EQ(t->FieldByName("b").AsString(), std::string("\0\xFF", 2));
        EXPECT_TRUE(t->FieldByName("z").IsNull());
        EXPECT_EQ(t->FieldByName("z").AsString(), "");
        ++count;
    }
    EXPECT_EQ(count, 150);
    // At the end, the last record stays current and Next does nothing more.
    EXPECT_EQ(t->FieldByName("n").AsVariant().AsInteger(), last);
    t->Next();
    EXPECT_TRUE(t->Eof());
    t->First();
    EXPECT_FALSE(t->Eof());
}

TEST(SQLiteTable, ClosedOrMissingThingsRaiseClearErrors) {
    TempDir dir;
    const std::string db = dir.File("t.db");
    ExecSql(db, "CREATE TABLE users (login TEXT)");
    TSQLiteTable t(nullptr);
    t.SetDatabaseName(db);
    t.SetTableName("users");
    EXPECT_THROW(t.First(), EDatabaseError);
    EXPECT_THROW(t.FieldByName("login"), EDatabaseError);
    EXPECT_THROW(t.Edit(), EDatabaseError);
    t.Open();
    try {
        t.FieldByName("logon");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("'logon'"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(t.Eof());                              // empty table
    EXPECT_THROW(t.Edit(), EDatabaseError);            // no current record
    EXPECT_THROW(t.SetTableName("x"), EDatabaseError); // not while open
    t.Close();

    TSQLiteTable missing(nullptr);
    missing.SetDatabaseName(dir.File("absent.db"));
    missing.SetTableName("users");
    EXPECT_THROW(missing.Open(), EDatabaseError);
    EXPECT_FALSE(std::filesystem::exists(dir.File("absent.db"))); // never created
    missing.SetDatabaseName(db);
    missing.SetTableName("nosuch");
    EXPECT_THROW(missing.Open(), EDatabaseError);
    EXPECT_FALSE(missing.Active());
}

TEST(SQLiteTable, EveryByteRoundTripsAsTextAndAsBlob) {
    TempDir dir;
    const std::string db = dir.File("t.db");
    ExecSql(db, "CREATE TABLE t (txt TEXT, bin BLOB, nul TEXT)");
    ExecSql(db, "INSERT INTO t VALUES ('x', x'00', NULL)");
    const std::string bytes = BytesFrom(1);
    {
        auto t = OpenTable(db, "t");
        t->Edit();
        t->FieldByName("txt").SetAsVariant(TVariant(bytes));
        t->FieldByName("bin").SetAsVariant(TVariant(bytes));
        t->FieldByName("nul").SetAsVariant(TVariant(bytes));
        t->Post();
        EXPECT_EQ(t->State(), dsBrowse);
        // A second post on the same record compares against what was stored.
        t->Edit();
        t->FieldByName("bin").SetAsVariant(TVariant(bytes + "!"));
        t->Post();
    }
    // Bytes that are not UTF-8 go in as BLOBs, whatever the column held before.
    EXPECT_EQ(QueryText(db, "SELECT typeof(txt) || typeof(bin) || typeof(nul) FROM t"),
              "blobblobblob");
    EXPECT_EQ(QueryText(db, "SELECT txt FROM t"), bytes);
    EXPECT_EQ(QueryText(db, "SELECT bin FROM t"), bytes + "!");
    auto t = OpenTable(db, "t");
    EXPECT_EQ(t->FieldByName("txt").AsString(), bytes);
    EXPECT_EQ(t->FieldByName("nul").AsString(), bytes);
}

TEST(SQLiteTable, NamesWithQuotesAndSpacesCannotInject) {
    TempDir dir;
    const std::string db = dir.File("t.db");
    ExecSql(
        db,
        "CREATE TABLE \"user \"\"list\"\"; DROP TABLE x\" (\"log\"\"in id\" TEXT, \"rowid\" TEXT)");
    ExecSql(db, "INSERT INTO \"user \"\"list\"\"; DROP TABLE x\" VALUES ('ann', 'shadow')");
    auto t = OpenTable(db, "user \"list\"; DROP TABLE x");
    EXPECT_EQ(t->FieldByName("log\"in id").AsString(), "ann");
    EXPECT_EQ(t->FieldByName("rowid").AsString(), "shadow"); // a column may shadow rowid
    t->Edit();
    t->FieldByName("log\"in id").SetAsVariant(TVariant("bob"));
    t->Post();
    EXPECT_EQ(QueryText(db, "SELECT \"log\"\"in id\" FROM \"user \"\"list\"\"; DROP TABLE x\""),
              "bob");
}

TEST(SQLiteTable, ValidUtf8IsStoredAsTextAndABlobStaysABlob) {
    TempDir dir;
    const std::string db = dir.File("t.db");
    ExecSql(db, "CREATE TABLE t (txt TEXT, bin BLOB)");
    ExecSql(db, "INSERT INTO t VALUES ('x', x'00')");
    auto t = OpenTable(db, "t");
    t->Edit();
    t->FieldByName("txt").SetAsVariant(TVariant("Jos\xC3\xA9"));
    t->FieldByName("bin").SetAsVariant(TVariant("plain"));
    t->Post();
    EXPECT_EQ(QueryText(db, "SELECT typeof(txt) || typeof(bin) FROM t"), "textblob");
}

TEST(SQLiteTable, PostDetectsARecordChangedByAnotherConnection) {
    TempDir dir;
    const std::string db = dir.File("t.db");
    ExecSql(db, "CREATE TABLE u (id TEXT, rights TEXT)");
    ExecSql(db, "INSERT INTO u VALUES ('ann', 'old')");
    auto mine = OpenTable(db, "u");
    auto theirs = OpenTable(db, "u");
    // The other administrator saves first; no lock is held by our open cursor.
    theirs->Edit();
    theirs->FieldByName("rights").SetAsVariant(TVariant("theirs"));
    theirs->Post();
    mine->Edit();
    mine->FieldByName("rights").SetAsVariant(TVariant("mine"));
    try {
        mine->Post();
        FAIL() << "the second save must not overwrite";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Record changed by another user");
    }
    EXPECT_EQ(mine->State(), dsEdit); // still editing: the caller decides
    EXPECT_EQ(mine->FieldByName("rights").OldValue(), TVariant("theirs")); // read again
    mine->Cancel();
    EXPECT_EQ(mine->FieldByName("rights").AsString(), "theirs");
    EXPECT_EQ(QueryText(db, "SELECT rights FROM u"), "theirs");
    // Every field read is compared, not only those saved: the row may now be another
    // user's (a deleted record's row id taken by a new one), its rights as NULL as before.
    ExecSql(db, "UPDATE u SET rights = NULL");
    mine->First();
    mine->Edit();
    mine->FieldByName("rights").SetAsVariant(TVariant("mine"));
    ExecSql(db, "DELETE FROM u; INSERT INTO u (rowid, id, rights) VALUES (1, 'intern', NULL)");
    EXPECT_THROW(mine->Post(), ERecordChanged);
    EXPECT_EQ(QueryText(db, "SELECT id || ':' || ifnull(rights, 'NULL') FROM u"), "intern:NULL");
    mine->Cancel();
    mine->Edit(); // read again: now it is the intern's record, and saving is meant
    mine->FieldByName("rights").SetAsVariant(TVariant("mine"));
    EXPECT_NO_THROW(mine->Post());
    EXPECT_EQ(QueryText(db, "SELECT id || ':' || rights FROM u"), "intern:mine");
}

TEST(SQLiteTable, ReadOnlyTablesAndFilesRefuseEdits) {
    TempDir dir;
    const std::string db = dir.File("t.db");
    ExecSql(db, "CREATE TABLE u (id TEXT)");
    ExecSql(db, "INSERT INTO u VALUES ('ann')");
    auto t = OpenTable(db, "u", true);
    EXPECT_FALSE(t->CanModify());
    EXPECT_THROW(t->Edit(), EDatabaseError);
    EXPECT_THROW(t->FieldByName("id").SetAsVariant(TVariant("x")), EDatabaseError);
    EXPECT_EQ(t->State(), dsBrowse);
}

TEST(SQLiteTable, MovingWhileEditingPostsFirst) {
    TempDir dir;
    const std::string db = dir.File("t.db");
    ExecSql(db, "CREATE TABLE u (id TEXT)");
    ExecSql(db, "INSERT INTO u VALUES ('a'), ('b')");
    auto t = OpenTable(db, "u");
    t->Edit();
    t->FieldByName("id").SetAsVariant(TVariant("z"));
    t->Next();
    EXPECT_EQ(t->State(), dsBrowse);
    EXPECT_EQ(t->FieldByName("id").AsString(), "b");
    EXPECT_EQ(QueryText(db, "SELECT group_concat(id) FROM u"), "z,b");
    // A post that fails raises, and the record stays in edit mode where it was.
    t->Edit();
    t->FieldByName("id").SetAsVariant(TVariant("y"));
    ExecSql(db, "UPDATE u SET id = 'other' WHERE id = 'b'");
    EXPECT_THROW(t->First(), ERecordChanged);
    EXPECT_EQ(t->State(), dsEdit);
    EXPECT_EQ(t->FieldByName("id").AsString(), "y");
}

TEST(SQLiteTable, RefreshShowsWhatIsStoredNowAndKeepsThePlace) {
    TempDir dir;
    const std::string db = dir.File("t.db");
    ExecSql(db, "CREATE TABLE u (id TEXT)");
    ExecSql(db, "INSERT INTO u VALUES ('a'), ('b'), ('c')");
    auto t = OpenTable(db, "u");
    t->Next();
    ExecSql(db, "UPDATE u SET id = 'B' WHERE id = 'b'");
    t->Refresh();
    EXPECT_EQ(t->FieldByName("id").AsString(), "B");
    ExecSql(db, "DELETE FROM u WHERE id = 'B'");
    t->Refresh(); // gone: the next record
    EXPECT_EQ(t->FieldByName("id").AsString(), "c");
    ExecSql(db, "DELETE FROM u WHERE id = 'c'");
    t->Refresh(); // nothing follows: the last one
    EXPECT_EQ(t->FieldByName("id").AsString(), "a");
    EXPECT_FALSE(t->Eof());
    ExecSql(db, "DELETE FROM u");
    t->Refresh();
    EXPECT_TRUE(t->Eof());
}

TEST(SQLiteTable, ADamagedTableIsAnErrorNeverALoop) {
    // A file cut short hands back rows whose row ids do not increase; reading it must end
    // in a clear error naming the file, never ask for the same rows again forever.
    TempDir dir;
    const std::string db = dir.File("t.db");
    ExecSql(db, "CREATE TABLE u (id TEXT, pad TEXT)");
    ExecSql(db, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400) "
                "INSERT INTO u SELECT 'user' || i, hex(randomblob(40)) FROM n");
    const auto size = std::filesystem::file_size(db);
    int errors = 0;
    for (std::uintmax_t cut = 4096; cut < size; cut += 1024) {
        const std::string copy = dir.File("cut" + std::to_string(cut) + ".db");
        std::filesystem::copy_file(db, copy);
        std::filesystem::resize_file(copy, cut);
        try {
            auto t = OpenTable(copy, "u");
            for (int steps = 0; !t->Eof(); t->Next()) {
                ASSERT_LT(++steps, 1000) << "cut at " << cut << " loops";
            }
        } catch (const EDatabaseDamaged& e) {
            ++errors;
            EXPECT_NE(std::string(e.what()).find(copy), std::string::npos) << e.what();
        } catch (const EDatabaseError&) {
            ++errors; // a file cut inside its schema does not even open
        }
    }
    EXPECT_GT(errors, 0);
}

TEST(SQLiteTable, ARowWhoseIdWasDamagedIsNeverReadAsAnotherRecord) {
    // user30's cell made to claim row id 5, which user5 holds: read in file order, it comes
    // after row 29. Saved by that row id, it would land on user5's record.
    TempDir dir;
    const std::string db = dir.File("t.db");
    ExecSql(db, "CREATE TABLE u (id TEXT, v TEXT)");
    ExecSql(db, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 40) "
                "INSERT INTO u (rowid, id, v) SELECT i, 'user' || i, 'row ' || i FROM n");
    std::string bytes;
    {
        std::ifstream in(db, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    const std::string cell("\x0F\x1E\x03\x19\x19user30", 11); // sizes, row id 30, header
    const std::size_t at = bytes.find(cell);
    ASSERT_NE(at, std::string::npos);
    bytes[at + 1] = 5;
    std::ofstream(db, std::ios::binary | std::ios::trunc) << bytes;
    try {
        for (auto t = OpenTable(db, "u"); !t->Eof(); t->Next()) {
            ASSERT_NE(t->FieldByName("id").AsString(), "user31") << "read past the damage";
        }
        FAIL() << "a damaged table read to its end";
    } catch (const EDatabaseDamaged& e) {
        EXPECT_NE(std::string(e.what()).find("row id 5 came after row id 29"), std::string::npos)
            << e.what();
    }
}

TEST(SQLiteTable, Utf16DatabaseIsRefused) {
    TempDir dir;
    const std::string db = dir.File("t.db");
    ExecSql(db, "PRAGMA encoding = 'UTF-16le'; CREATE TABLE u (id TEXT)");
    TSQLiteTable t(nullptr);
    t.SetDatabaseName(db);
    t.SetTableName("u");
    try {
        t.Open();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("UTF-16"), std::string::npos) << e.what();
    }
}

TEST(SQLiteTable, DataSourceForgetsADestroyedDataSet) {
    TDataSource source(nullptr);
    auto table = std::make_unique<TSQLiteTable>(nullptr);
    source.SetDataSet(table.get());
    EXPECT_EQ(source.DataSet(), table.get());
    table.reset();
    EXPECT_EQ(source.DataSet(), nullptr);
}
