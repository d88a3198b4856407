// Locate finds the very record that First, Next and the log-in's comparison find, whether
// it scans or goes through an index, for every type a user ID can be stored as.
#include "support/TestSupport.h"
#include "support/UserStore.h"
#include "zel/host/sqlite/SQLiteTable.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <string_view>
#include <tuple>

using namespace zel::host;
using zel::test::ExecSql;
using zel::test::TempDir;
using zel::test::UserStore;

namespace {
// The value of `v` and Eof where a search stopped, and again after one Next from there.
using Stop = std::tuple<std::string, bool, std::string, bool>;
Stop Here(TDataSet& t) {
    const std::string v = t.FieldByName("v").AsString();
    const bool eof = t.Eof();
    t.Next();
    return {v, eof, t.FieldByName("v").AsString(), t.Eof()};
}

// Where a loop of First, Next and the comparison stops.
Stop ByLoop(TDataSet& t, const std::string& text) {
    for (t.First(); !t.Eof(); t.Next()) {
        const TField& id = t.FieldByName("id");
        if (!id.IsNull() && id.AsString() == text) {
            break;
        }
    }
    return Here(t);
}

Stop ByLocate(TDataSet& t, const std::string& text) {
    const bool found = t.Locate("ID", text);
    EXPECT_EQ(found, !t.Eof());
    return Here(t);
}

const std::vector<std::string> kProbes = {"42",
                                          "4.5",
                                          "ann",
                                          "Ann",
                                          "ANN",
                                          "",
                                          "\xFF",
                                          "-0",
                                          "0",
                                          "042",
                                          "1e+300",
                                          "missing",
                                          "4.50",
                                          "42.0",
                                          "ann ",
                                          "inf",
                                          "nan",
                                          std::string("\0x", 2),
                                          "9223372036854775807"};
} // namespace

TEST(Locate, ScanAndIndexFindTheRecordTheLoopFindsForEveryStoredType) {
    TempDir dir;
    const std::string rows =
        "INSERT INTO u (id, v) VALUES (NULL, 'null'), (42, 'int'), ('42', 'text42'), "
        "(X'3432', 'blob42'), (4.5, 'real'), ('4.5', 'text4.5'), (X'616E6E', 'blobann'), "
        "('ann', 'textann'), ('', 'empty'), (X'', 'emptyblob'), ('Ann', 'Ann'), (-0.0, 'minus0'), "
        "(0, 'zero'), (1e300, 'big'), (X'FF', 'ff'), ('ann ', 'spaced'), (X'0078', 'nul'), "
        "(9e999, 'inf'), (9223372036854775807, 'max'), ('ann', 'second ann')";
    // No affinity, TEXT affinity, a case-blind column, and numeric ones the index cannot
    // serve (REAL stores 42 as 42.0, whose bytes differ from how it reads).
    const char* const schemas[] = {"id", "id TEXT", "id TEXT COLLATE NOCASE", "id INTEGER",
                                   "id REAL"};
    int n = 0;
    for (const char* schema : schemas) {
        for (const bool indexed : {false, true}) {
            const std::string db = dir.File("t" + std::to_string(n++) + ".db");
            ExecSql(db, std::string("CREATE TABLE u (") + schema + ", v TEXT);" + rows);
            if (indexed) {
                ExecSql(db, "CREATE INDEX u_id ON u (id)");
            }
            TSQLiteTable t(nullptr);
            t.SetDatabaseName(db);
            t.SetTableName("u");
            t.Open();
            for (const std::string& text : kProbes) {
                const auto expected = ByLoop(t, text);
                EXPECT_EQ(ByLocate(t, text), expected)
                    << schema << (indexed ? " indexed" : "") << ", probe '" << text << "'";
            }
        }
    }
}

TEST(Locate, AnEmptyTableOrAMissingFieldBehavesAsTheLoop) {
    TempDir dir;
    const std::string db = dir.File("t.db");
    ExecSql(db, "CREATE TABLE u (id, v)");
    TSQLiteTable t(nullptr);
    t.SetDatabaseName(db);
    t.SetTableName("u");
    t.Open();
    EXPECT_FALSE(t.Locate("id", "x"));
    EXPECT_TRUE(t.Eof());
    EXPECT_FALSE(t.Locate("nosuchfield", "x")); // no record, so no field is ever read
    ExecSql(db, "INSERT INTO u VALUES ('x', 'first')");
    t.Refresh();
    EXPECT_THROW(t.Locate("nosuchfield", "x"), EDatabaseError);
    EXPECT_TRUE(t.Locate("id", "x"));
    EXPECT_EQ(t.FieldByName("v").AsString(), "first");
}

TEST(Locate, OnPostgresTheIndexFindsWhatTheScanFindsForEveryColumnType) {
    ZEL_TEST_NEEDS_POSTGRES();
    TempDir dir;
    UserStore store(zel::test::Backend::Postgres, dir.Path().string());
    // Each type a user ID column may have, with values that collide in some other reading.
    struct Column {
        const char* type;
        const char* values;
    };
    const Column columns[] = {
        {"text", "(NULL), ('42'), ('ann'), (''), ('Ann'), ('ann '), ('ann'), ('\u00e9')"},
        {"varchar(10)", "('42'), ('ann'), ('ANN'), (''), ('ann')"},
        {"character(5)", "('ann'), ('42'), ('ann  ')"},
        {"bytea", "('\\x616e6e'), ('\\x'), ('\\xff'), (NULL), ('\\x3432'), ('\\x616e6e')"},
        {"integer", "(42), (0), (-1), (NULL), (42)"},
        {"smallint", "(42), (7)"},
        {"numeric", "(4.5), (4.50), (42)"},
        {"double precision", "(4.5), (0.1), (42)"},
        {"boolean", "(true), (false)"},
    };
    int n = 0;
    for (const Column& c : columns) {
        for (const bool indexed : {false, true}) {
            const std::string table = "t" + std::to_string(n++);
            store.Exec("CREATE TABLE " + table +
                       " (k integer GENERATED ALWAYS AS IDENTITY PRIMARY KEY, id " + c.type +
                       ", v text)");
            store.Exec("INSERT INTO " + table + " (id) VALUES " + c.values);
            store.Exec("UPDATE " + table + " SET v = 'row ' || k");
            if (indexed) {
                store.Exec("CREATE INDEX ON " + table + " (id)");
            }
            zel::host::TForm form(nullptr);
            TDataSet* t = store.NewTable(&form, table);
            t->Open();
            std::vector<std::string> probes = kProbes;
            probes.insert(probes.end(), {"\xC3\xA9", "ann  ", "70000", "0.1", "1", "t"});
            for (const std::string& text : probes) {
                const auto expected = ByLoop(*t, text);
                EXPECT_EQ(ByLocate(*t, text), expected)
                    << c.type << (indexed ? " indexed" : "") << ", probe '" << text << "'";
            }
        }
    }
}

TEST(Locate, AColumnWhoseCollationOnlyItsApplicationKnowsIsStillSearched) {
    // Made by an application that registered the collation; this connection never has it.
    TempDir dir;
    const std::string db = dir.File("t.db");
    sqlite3* made = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &made), SQLITE_OK);
    sqlite3_create_collation(made, "appcase", SQLITE_UTF8, nullptr,
                             [](void*, int a, const void* x, int b, const void* y) {
                                 return std::string_view(static_cast<const char*>(x), a)
                                     .compare(std::string_view(static_cast<const char*>(y), b));
                             });
    ASSERT_EQ(sqlite3_exec(made,
                           "CREATE TABLE u (id TEXT COLLATE appcase, v TEXT); CREATE INDEX u_id ON "
                           "u (id); INSERT INTO u VALUES ('bob', 'first'), ('ann', 'second')",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(made);
    TSQLiteTable t(nullptr);
    t.SetDatabaseName(db);
    t.SetTableName("u");
    t.Open();
    EXPECT_TRUE(t.Locate("id", "ann"));
    EXPECT_EQ(t.FieldByName("v").AsString(), "second");
    EXPECT_FALSE(t.Locate("id", "Ann"));
}

TEST(Locate, ARecordADamagedIndexPointsToIsCheckedBeforeItIsTrusted) {
    // 200 users, ann in row 100; then the index entry of ann is made to claim row 127.
    TempDir dir;
    const std::string db = dir.File("t.db");
    ExecSql(db, "CREATE TABLE u (id TEXT, v TEXT); CREATE INDEX u_id ON u (id)");
    ExecSql(db, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200) "
                "INSERT INTO u (rowid, id, v) SELECT i, CASE i WHEN 100 THEN 'ann' ELSE "
                "'user' || i END, 'row ' || i FROM n");
    std::string bytes;
    {
        std::ifstream in(db, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    const std::string entry("\x03\x13\x01"
                            "ann\x64",
                            7); // header, then 'ann' and row id 100
    const std::size_t at = bytes.find(entry);
    ASSERT_NE(at, std::string::npos);
    ASSERT_EQ(bytes.find(entry, at + 1), std::string::npos);
    bytes[at + 6] = 127;
    std::ofstream(db, std::ios::binary | std::ios::trunc) << bytes;
    TSQLiteTable t(nullptr);
    t.SetDatabaseName(db);
    t.SetTableName("u");
    t.Open();
    try {
        const bool found = t.Locate("id", "ann");
        // Whatever it says, never another user's record as ann's.
        EXPECT_FALSE(found && t.FieldByName("id").AsString() != "ann");
        FAIL() << "found " << found << ": " << t.FieldByName("v").AsString();
    } catch (const EDatabaseDamaged& e) {
        EXPECT_NE(std::string(e.what()).find("damaged"), std::string::npos) << e.what();
    }
}
