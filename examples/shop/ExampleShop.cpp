#include "ExampleShop.h"

#include "zel/accessright/AccessRight.h"
#include "zel/components/PasswordCheck.h"
#include "zel/host/core/Errors.h"
#include "zel/host/text/StringList.h"

#include <filesystem>
#include <sqlite3.h>

namespace zel::example {

// Every user may log in as another user and leave; the former employee's record still
// names the fax menu, which the shop no longer has, and keeps its password in plain text,
// as tables made before hashing do (zel passwd --all-plaintext hashes it).
const std::vector<ExampleUser>& ExampleUsers() {
    static const std::vector<ExampleUser> users{
        {"admin",
         "admin",
         true,
         {"mnuFile", "mnuFileOpen", "mnuFilePrint", "mnuFileLogin", "mnuFilePassword",
          "mnuFileExit", "mnuOrders", "mnuOrderList", "mnuOrderNew", "mnuReports", "mnuReportDaily",
          "mnuReportMonthly", "mnuReportRegion", "mnuAdmin", "mnuAdminUsers", "mnuAdminBackup",
          "mnuHelp", "mnuHelpAbout"}},
        {"clerk",
         "clerk",
         true,
         {"mnuFile", "mnuFileOpen", "mnuFilePrint", "mnuFileLogin", "mnuFilePassword",
          "mnuFileExit", "mnuOrders", "mnuOrderList", "mnuHelp", "mnuHelpAbout"}},
        {"viewer",
         "viewer",
         true,
         {"mnuFile", "mnuFileLogin", "mnuFilePassword", "mnuFileExit", "mnuOrders", "mnuReports",
          "mnuReportDaily", "mnuHelp", "mnuHelpAbout"}},
        {"former",
         "former",
         false,
         {"mnuFile", "mnuFileLogin", "mnuOrders", "mnuOrderList", "mnuFax"}},
    };
    return users;
}

std::string StoredRights(const ExampleUser& user) {
    host::TStringList granted;
    for (const auto& r : user.rights) {
        granted.Add(r);
    }
    return accessright::Write(granted);
}

std::string StoredPassword(const ExampleUser& user) {
    return user.hashed ? HashPassword(user.password) : user.password;
}

namespace {
void Check(int rc, sqlite3* db, const std::string& what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE) {
        throw host::EDatabaseError(what + ": " +
                                   (db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
    }
}

} // namespace

void MakeExampleDatabase(const std::string& path) {
    sqlite3* db = nullptr;
    sqlite3_stmt* insert = nullptr; // finalized on every path, or the connection cannot close
    try {
        // The file itself must not be a link; SQLite's NOFOLLOW refuses a link anywhere in
        // the path, so the folder (which the user may reach through one) is resolved first.
        const std::filesystem::path file(path);
        std::error_code ec;
        const std::filesystem::path folder = std::filesystem::canonical(
            file.has_parent_path() ? file.parent_path() : std::filesystem::path("."), ec);
        const std::string opening = ec ? path : (folder / file.filename()).string();
        // Opened before Check reads `db`: argument order is unspecified.
        const int opened = sqlite3_open_v2(opening.c_str(), &db,
                                           SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr);
        Check(opened, db, "open " + path);
        Check(sqlite3_exec(
                  db,
                  "CREATE TABLE users (login TEXT NOT NULL, password TEXT NOT NULL, rights TEXT);"
                  // The log-in finds its user through this index at any size of table.
                  "CREATE INDEX users_login ON users (login);"
                  "BEGIN;",
                  nullptr, nullptr, nullptr),
              db, "create the user table");
        Check(sqlite3_prepare_v2(db, "INSERT INTO users VALUES (?, ?, ?)", -1, &insert, nullptr),
              db, "prepare");
        // The rights text is 8-bit with 0xFF terminators, not UTF-8: stored as a BLOB, as
        // the table writes it, so that other programs can read the table.
        for (const ExampleUser& u : ExampleUsers()) {
            const std::string rights = StoredRights(u);
            const std::string password = StoredPassword(u);
            sqlite3_bind_text(insert, 1, u.login, -1, SQLITE_STATIC);
            sqlite3_bind_text(insert, 2, password.data(), static_cast<int>(password.size()),
                              SQLITE_TRANSIENT);
            sqlite3_bind_blob(insert, 3, rights.data(), static_cast<int>(rights.size()),
                              SQLITE_TRANSIENT);
            int rc = sqlite3_step(insert);
            sqlite3_reset(insert);
            Check(rc, db, "add user");
        }
        sqlite3_finalize(insert);
        insert = nullptr;
        Check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "save the users");
        Check(sqlite3_close(db), nullptr, "close " + path);
    } catch (...) {
        sqlite3_finalize(insert);
        sqlite3_close(db);
        throw;
    }
}

} // namespace zel::example
