// zel example: writes the example shop (its form files and a fresh user database).
#include "Commands.h"
#include "ExampleFiles.h"
#include "SafeFile.h"
#include "Session.h"
#include "zel/accessright/AccessRight.h"

#include <filesystem>
#include <memory>
#include <sqlite3.h>

namespace zel::cli {

namespace {
namespace fs = std::filesystem;

struct ExampleUser {
    const char* login;
    const char* password;
    std::vector<std::string> rights;
};

// The users of the example and what each may do. The former employee's record still
// names the fax menu, which the shop no longer has.
std::vector<ExampleUser> Users() {
    return {
        {"admin",
         "admin",
         {"mnuFile", "mnuFileOpen", "mnuFilePrint", "mnuFileExit", "mnuOrders", "mnuOrderList",
          "mnuOrderNew", "mnuReports", "mnuReportDaily", "mnuReportMonthly", "mnuReportRegion",
          "mnuAdmin", "mnuAdminUsers", "mnuAdminBackup", "mnuHelp", "mnuHelpAbout"}},
        {"clerk",
         "clerk",
         {"mnuFile", "mnuFileOpen", "mnuFilePrint", "mnuFileExit", "mnuOrders", "mnuOrderList",
          "mnuHelp", "mnuHelpAbout"}},
        {"viewer",
         "viewer",
         {"mnuOrders", "mnuReports", "mnuReportDaily", "mnuHelp", "mnuHelpAbout"}},
        {"former", "former", {"mnuOrders", "mnuOrderList", "mnuFax"}},
    };
}

void Check(int rc, sqlite3* db, const std::string& what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE) {
        throw Failure(what + ": " + (db != nullptr ? sqlite3_errmsg(db) : "out of memory"));
    }
}

// Fills the new, empty file at `path` (made by TemporaryFile, so nobody else's) with the
// example's user table.
void MakeDatabase(const fs::path& path) {
    sqlite3* db = nullptr;
    try {
        Check(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW,
                              nullptr),
              db, "open " + path.string());
        Check(sqlite3_exec(
                  db,
                  "CREATE TABLE users (login TEXT NOT NULL, password TEXT NOT NULL, rights TEXT);"
                  "BEGIN;",
                  nullptr, nullptr, nullptr),
              db, "create the user table");
        sqlite3_stmt* insert = nullptr;
        Check(sqlite3_prepare_v2(db, "INSERT INTO users VALUES (?, ?, ?)", -1, &insert, nullptr),
              db, "prepare");
        // The rights text is 8-bit with 0xFF terminators, not UTF-8: stored as a BLOB, as
        // the table writes it, so that other programs can read the table.
        for (const ExampleUser& u : Users()) {
            host::TStringList granted;
            for (const auto& r : u.rights) {
                granted.Add(r);
            }
            const std::string rights = accessright::Write(granted);
            sqlite3_bind_text(insert, 1, u.login, -1, SQLITE_STATIC);
            sqlite3_bind_text(insert, 2, u.password, -1, SQLITE_STATIC);
            sqlite3_bind_blob(insert, 3, rights.data(), static_cast<int>(rights.size()),
                              SQLITE_TRANSIENT);
            int rc = sqlite3_step(insert);
            sqlite3_reset(insert);
            Check(rc, db, "add user");
        }
        sqlite3_finalize(insert);
        Check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "save the users");
        Check(sqlite3_close(db), nullptr, "close " + path.string());
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
}
} // namespace

Result Example(const std::string& dir, bool force, const Style& style) {
    const fs::path folder(dir);
    std::vector<std::pair<fs::path, const std::string*>> forms;
    for (const auto& file : example::EmbeddedFiles()) {
        forms.emplace_back(folder / (file.name + ".dfm"), &file.bytes);
    }
    const fs::path database = folder / "shop.db";
    std::vector<fs::path> targets;
    for (const auto& form : forms) {
        targets.push_back(form.first);
    }
    targets.push_back(database);
    Result r;
    if (!force) {
        std::error_code ec;
        for (const fs::path& t : targets) {
            if (fs::symlink_status(t, ec).type() != fs::file_type::not_found) {
                r.status = 1;
                const std::string message =
                    VisiblePath(t.string()) + " exists; use --force to replace the example";
                if (style.json) {
                    r.json = {{"result", false}, {"messages", Json::array({message})}};
                } else {
                    style.Out() << style.Red(message) << '\n';
                }
                return r;
            }
        }
    }
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        throw UsageError("cannot create " + VisiblePath(dir) + ": " + ec.message());
    }
    // Every file is made aside first and only then put in place, so a failure (a full
    // disk, say) loses nothing and leaves nothing half-written behind.
    std::vector<std::unique_ptr<TemporaryFile>> fresh;
    for (const auto& [path, bytes] : forms) {
        fresh.push_back(std::make_unique<TemporaryFile>(path, 0644));
        fresh.back()->Write(*bytes);
    }
    fresh.push_back(std::make_unique<TemporaryFile>(database, 0600));
    MakeDatabase(fresh.back()->Path());
    std::vector<std::string> files;
    for (std::size_t i = 0; i < fresh.size(); ++i) {
        fresh[i]->Commit(force);
        files.push_back(targets[i].string());
    }
    if (style.json) {
        Json users = Json::array();
        Json written = Json::array();
        for (const ExampleUser& u : Users()) {
            users.push_back(u.login);
        }
        for (const auto& f : files) {
            written.push_back(f);
        }
        r.json = {{"result", true}, {"directory", dir}, {"files", written}, {"users", users}};
        return r;
    }
    std::ostream& out = style.Out();
    out << style.Bold("Example shop written to " + VisiblePath(dir)) << '\n';
    for (const auto& f : files) {
        out << "  " << VisiblePath(f) << '\n';
    }
    out << "Users (the password is the user ID):\n";
    for (const ExampleUser& u : Users()) {
        out << "  " << u.login << '\n';
    }
    return r;
}

} // namespace zel::cli
