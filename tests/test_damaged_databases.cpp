// Every command of the zel tool over user tables that are damaged, odd or hostile: each
// run ends with exit 0, 1 or 2 within Exec's time limit (never a hang, a crash or a
// sanitizer report), says what went wrong when it fails, and leaves the file exactly as it
// was unless it saved and said so.
#include "support/CliRun.h"

#include <filesystem>
#include <random>
#include <sys/stat.h>

using namespace zel::test::cli;
namespace fs = std::filesystem;
using zel::test::ExecSql;

namespace {
const char* kSchema = "CREATE TABLE users (login TEXT NOT NULL, password TEXT NOT NULL, rights "
                      "TEXT)";
// former's rights: the File and Orders menus.
const char* kFormerRights = "X'FF6D6E7546696C65FF6D6E754F7264657273FF6D6E754F726465724C697374FF'";

void Spit(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A table like the example's, several pages long, for damage that needs pages to hit. The
// filler users' passwords are hashes, so that hashing the plain ones stays quick.
void MakeUsers(const std::string& path, const std::string& schema = kSchema,
               const std::string& former = std::string("'former', 'former', ") + kFormerRights) {
    ExecSql(path, schema);
    ExecSql(path, "INSERT INTO users VALUES (" + former + ")");
    std::string sql = "INSERT INTO users (login, password, rights) VALUES ";
    for (int i = 0; i < 1500; ++i) {
        sql += std::string(i > 0 ? ", " : "") + "('user" + std::to_string(i) +
               "', '$argon2id$v=19$m=65536,t=2,p=1$qm+auv7cEUXfh6oGeCHhVQ$e6cGYqplZVzUEcAf7H1R6D2I"
               "FEpaqnCve5FRA1he4Vs', X'FF6D6E7546696C65FF')";
    }
    ExecSql(path, sql);
}

// A table of a few rows only, for schemas the filler rows do not fit.
void FewUsers(const std::string& path, const std::string& schema, const std::string& rows) {
    ExecSql(path, schema);
    ExecSql(path, "INSERT INTO users VALUES " + rows);
}

std::string Good(const std::string& dir) {
    const std::string path = dir + "/good.db";
    if (!fs::exists(path)) {
        MakeUsers(path);
    }
    return Slurp(path);
}

std::string Overwrite(std::string bytes, std::size_t at, std::size_t n, char with) {
    for (std::size_t i = at; i < at + n && i < bytes.size(); ++i) {
        bytes[i] = with;
    }
    return bytes;
}

using Maker = void (*)(const std::string& path, const std::string& dir);
struct Kind {
    const char* name;
    Maker make;
    bool broken; ///< no command can work on it: every one must fail
};

#define BYTES(expr)                                                                                \
    [](const std::string& p, [[maybe_unused]] const std::string& d) { Spit(p, expr); }
#define GOOD Good(d)
#define SQL(...) [](const std::string& p, const std::string&) { __VA_ARGS__; }

const Kind kKinds[] = {
    {"Empty", BYTES(""), true},
    {"NotADatabase", BYTES(std::string(5000, 'x') + "\nnot a database\n"), true},
    {"RandomBytes", BYTES([] {
         std::mt19937 random(42);
         std::string s(65536, '\0');
         for (char& c : s) {
             c = static_cast<char>(random());
         }
         return s;
     }()),
     true},
    {"Directory", [](const std::string& p, const std::string&) { fs::create_directory(p); }, true},
    {"Fifo",
     [](const std::string& p, const std::string&) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); }, true},
    {"TruncatedInHeader", BYTES(GOOD.substr(0, 50)), true},
    {"TruncatedInFirstPage", BYTES(GOOD.substr(0, 3000)), true},
    {"TruncatedAfterFirstPage", BYTES(GOOD.substr(0, 4096)), true},
    {"TruncatedHalfway", BYTES(GOOD.substr(0, GOOD.size() / 2)), false},
    {"TruncatedByOneByte", BYTES(GOOD.substr(0, GOOD.size() - 1)), false},
    {"MagicDamaged", BYTES(Overwrite(GOOD, 0, 6, 'Z')), true},
    {"PageSizeDamaged", BYTES(Overwrite(GOOD, 16, 2, '\x03')), true},
    {"PageCountInflated", BYTES(Overwrite(GOOD, 28, 4, '\x7F')), false},
    {"SchemaPageOverwritten", BYTES(Overwrite(GOOD, 100, 3996, '\xA5')), true},
    {"TableRootOverwritten", BYTES(Overwrite(GOOD, 4096, 4096, '\x5A')), true},
    {"EveryPageAfterTheFirstZeroed", BYTES(Overwrite(GOOD, 4096, GOOD.size(), '\0')), true},
    {"PagesInTheMiddleOverwritten", BYTES(Overwrite(GOOD, GOOD.size() / 2, 8192, '\xFF')), false},
    {"NoUserTable", SQL(ExecSql(p, "CREATE TABLE customers (login TEXT)")), true},
    {"WithoutRowid",
     SQL(MakeUsers(p, "CREATE TABLE users (login TEXT PRIMARY KEY, password TEXT, rights BLOB) "
                      "WITHOUT ROWID")),
     true},
    {"RowidNamesShadowed",
     SQL(MakeUsers(
             p, "CREATE TABLE users (login TEXT, password TEXT, rights BLOB, rowid, oid, _rowid_)",
             std::string("'former', 'former', ") + kFormerRights + ", 1, 1, 1");
         ExecSql(p, "UPDATE users SET rowid = 7, oid = 7, _rowid_ = 7")),
     false},
    {"Utf16",
     SQL(FewUsers(p, std::string("PRAGMA encoding = 'UTF-16le'; ") + kSchema,
                  std::string("('former', 'former', ") + kFormerRights + ")")),
     true},
    {"UsersIsAView",
     SQL(MakeUsers(p); ExecSql(p, "ALTER TABLE users RENAME TO stored;"
                                  "CREATE VIEW users AS SELECT * FROM stored")),
     true},
    {"TriggerAbortsEveryUpdate",
     SQL(MakeUsers(p); ExecSql(p, "CREATE TRIGGER no_changes BEFORE UPDATE ON users BEGIN "
                                  "SELECT RAISE(ABORT, 'the users are frozen'); END")),
     false},
    {"CheckConstraintFails",
     SQL(FewUsers(p,
                  "CREATE TABLE users (login TEXT, password TEXT, rights BLOB "
                  "CHECK (length(rights) <= 40), CHECK (length(password) < 20))",
                  std::string("('former', 'former', ") + kFormerRights + ")")),
     false},
    {"StrictTableRefusesTheType",
     SQL(MakeUsers(p, "CREATE TABLE users (login TEXT, password TEXT, rights ANY) STRICT");
         ExecSql(p, "CREATE TABLE t2 (x INTEGER) STRICT")),
     false},
    {"RightsGenerated",
     SQL(FewUsers(p,
                  "CREATE TABLE users (login TEXT, password TEXT, r0 BLOB, rights BLOB "
                  "GENERATED ALWAYS AS (r0) VIRTUAL)",
                  std::string("('former', 'former', ") + kFormerRights + ")")),
     false},
    {"RightsColumnMissing",
     SQL(FewUsers(p, "CREATE TABLE users (login TEXT, password TEXT, extra)",
                  "('former', 'former', NULL)")),
     false},
    {"PasswordColumnMissing",
     SQL(FewUsers(p, "CREATE TABLE users (login TEXT, rights BLOB, extra)",
                  std::string("('former', ") + kFormerRights + ", NULL)")),
     false},
    {"NullsEverywhere",
     SQL(ExecSql(p, "CREATE TABLE users (login, password, rights);"
                    "INSERT INTO users VALUES (NULL, NULL, NULL), ('former', NULL, NULL), "
                    "(NULL, 'former', NULL), ('former', 'former', NULL)")),
     false},
    {"ValuesOfTenMegabytes",
     SQL(ExecSql(p, "CREATE TABLE users (login, password, rights);"
                    "INSERT INTO users VALUES (zeroblob(10000000), 'x', NULL), "
                    "('former', 'former', randomblob(10000000)), "
                    "('big', hex(randomblob(5000000)), NULL)")),
     false},
    {"OtherStorageTypes",
     SQL(ExecSql(p, "CREATE TABLE users (login, password, rights);"
                    "INSERT INTO users VALUES (1, 2, 3.5), (X'00', X'01', 4), "
                    "('former', 'former', -1)")),
     false},
    {"WriteProtected", SQL(MakeUsers(p); ASSERT_EQ(chmod(p.c_str(), 0444), 0)), false},
};

const std::vector<std::vector<std::string>> kCommands = {
    {"users", "main.dfm"},
    {"login", "main.dfm", "-u", "former", "--password-stdin"},
    {"rights", "main.dfm", "admin.dfm", "-u", "former"},
    {"grant", "main.dfm", "admin.dfm", "-u", "former", "-r", "mnuOrderNew"},
    {"revoke", "main.dfm", "admin.dfm", "-u", "former", "-r", "mnuOrderList"},
    {"matrix", "main.dfm", "admin.dfm"},
    {"passwd", "main.dfm", "-u", "former", "--password-stdin"},
    {"passwd", "main.dfm", "--all-plaintext", "--yes"},
    {"form", "check", "main.dfm", "orders.dfm", "admin.dfm"},
};
bool Saves(const std::vector<std::string>& command) {
    return command[0] == "grant" || command[0] == "revoke" || command[0] == "passwd";
}

// Each kind read by the SQLite dataset, and through Qt's SQLite driver (TQtSqlTable).
// Qt reads what the SQLite dataset refuses: a table by its declared key (no rowid, or a
// view, read only), text in UTF-16 (Qt's text is Unicode, converted at one edge).
bool ReadThroughQt(const Kind& kind) {
    for (const char* name : {"WithoutRowid", "Utf16", "UsersIsAView"}) {
        if (std::string(kind.name) == name) {
            return true;
        }
    }
    return false;
}
struct Case {
    Kind kind;
    bool qt;
};
std::vector<Case> Cases() {
    std::vector<Case> cases;
    for (bool qt : {false, true}) {
        for (const Kind& k : kKinds) {
            cases.push_back({k, qt});
        }
    }
    return cases;
}
struct Damaged : WithExample<Case> {};
std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    return std::string(info.param.kind.name) + (info.param.qt ? "_QtSql" : "");
}
} // namespace

INSTANTIATE_TEST_SUITE_P(Kinds, Damaged, ::testing::ValuesIn(Cases()), CaseName);

TEST_P(Damaged, EveryCommandEndsCleanlyAndChangesNothingUnlessItSaved) {
    TempDir dir;
    const std::string d = dir.Path().string();
    const Kind& kind = GetParam().kind;
    for (const char* form : {"main.dfm", "orders.dfm", "admin.dfm"}) {
        std::string text = Slurp(example->File(std::string("shop/") + form));
        const std::string sqlite = "TSQLiteTable";
        if (GetParam().qt && text.find(sqlite) != std::string::npos) {
            text.replace(text.find(sqlite), sqlite.size(), "TQtSqlTable");
        }
        Write(dir.File(form), text);
    }
    const std::string db = dir.File("shop.db");
    kind.make(db, d);
    const bool regular = fs::is_regular_file(db);
    int failures = 0;
    for (const auto& command : kCommands) {
        const std::string before = regular ? Slurp(db) : "";
        const Outcome r = Exec(d, command, "former\n");
        const std::string what =
            command[0] + " " + command[1] + ": status " + std::to_string(r.status) + "\n" + r.err;
        EXPECT_TRUE(r.status >= 0 && r.status <= 2) << what; // -1: a signal (crash, or the alarm)
        for (const char* fault : {"Sanitizer", "runtime error", "terminate called"}) {
            EXPECT_EQ(r.err.find(fault), std::string::npos) << what;
        }
        if (r.status != 0) {
            ++failures;
            // A refusal or failure is the command's printed result; unreadable input goes to
            // standard error.
            EXPECT_FALSE((r.err + r.out).empty()) << "no message: " << what;
        }
        if (regular && (r.status != 0 || !Saves(command))) {
            EXPECT_TRUE(Slurp(db) == before) << "the file changed: " << what;
        }
        if (kind.broken && !(GetParam().qt && ReadThroughQt(kind))) {
            EXPECT_NE(r.status, 0) << what;
        }
    }
    zel::test::Figure(std::string("damaged database ") + CaseName({GetParam(), 0}) + ": " +
                      std::to_string(kCommands.size()) + " commands, " + std::to_string(failures) +
                      " ended in a clear error");
}
