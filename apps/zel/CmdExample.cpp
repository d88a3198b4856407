// zel example: writes the example shop (its form files and a fresh user database).
#include "Commands.h"
#include "ExampleFiles.h"
#include "Session.h"
#include "accessright/AccessRight.h"

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sqlite3.h>
#include <unistd.h>

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
        throw std::runtime_error(what + ": " +
                                 (db != nullptr ? sqlite3_errmsg(db) : "out of memory"));
    }
}

// Makes the database in a new file that only its owner may read and write.
void MakeDatabase(const fs::path& path) {
    int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) {
        throw std::runtime_error("cannot create " + path.string());
    }
    ::close(fd);
    sqlite3* db = nullptr;
    try {
        Check(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), db,
              "open " + path.string());
        Check(sqlite3_exec(
                  db,
                  "CREATE TABLE users (login TEXT NOT NULL, password TEXT NOT NULL, rights TEXT);"
                  "BEGIN;",
                  nullptr, nullptr, nullptr),
              db, "create the user table");
        sqlite3_stmt* insert = nullptr;
        Check(sqlite3_prepare_v2(db, "INSERT INTO users VALUES (?, ?, ?)", -1, &insert, nullptr),
              db, "prepare");
        for (const ExampleUser& u : Users()) {
            host::TStringList granted;
            for (const auto& r : u.rights) {
                granted.Add(r);
            }
            const std::string rights = accessright::Write(granted);
            sqlite3_bind_text(insert, 1, u.login, -1, SQLITE_STATIC);
            sqlite3_bind_text(insert, 2, u.password, -1, SQLITE_STATIC);
            sqlite3_bind_text(insert, 3, rights.data(), static_cast<int>(rights.size()),
                              SQLITE_TRANSIENT);
            int rc = sqlite3_step(insert);
            sqlite3_reset(insert);
            Check(rc, db, "add user");
        }
        sqlite3_finalize(insert);
        Check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "save the users");
        sqlite3_close(db);
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
}

void WriteFileAtomically(const fs::path& path, const std::string& bytes) {
    const fs::path temporary = path.string() + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << bytes;
        if (!out.flush()) {
            throw std::runtime_error("cannot write " + temporary.string());
        }
    }
    fs::rename(temporary, path);
}
} // namespace

Result Example(const std::string& dir, bool force, const Style& style) {
    const fs::path folder(dir);
    std::vector<fs::path> targets;
    for (const auto& file : example::EmbeddedFiles()) {
        targets.push_back(folder / (file.name + ".dfm"));
    }
    const fs::path database = folder / "shop.db";
    targets.push_back(database);
    Result r;
    if (!force) {
        for (const auto& t : targets) {
            if (fs::exists(t)) {
                r.status = 1;
                const std::string message =
                    t.string() + " exists; use --force to replace the example";
                r.json = {{"result", false}, {"messages", Json::array({message})}};
                r.text = style.Red(message) + "\n";
                return r;
            }
        }
    }
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        throw UsageError("cannot create " + dir + ": " + ec.message());
    }
    // The new database is made aside and then put in place, so a failure loses nothing.
    const fs::path fresh = folder / "shop.db.new";
    fs::remove(fresh);
    MakeDatabase(fresh);
    fs::rename(fresh, database);
    Json files = Json::array();
    for (const auto& file : example::EmbeddedFiles()) {
        const fs::path path = folder / (file.name + ".dfm");
        WriteFileAtomically(path, file.bytes);
        files.push_back(path.string());
    }
    files.push_back(database.string());
    Json users = Json::array();
    r.text = style.Bold("Example shop written to " + dir) + "\n";
    for (const auto& f : files) {
        r.text += "  " + f.get<std::string>() + "\n";
    }
    r.text += "Users (the password is the user ID):\n";
    for (const ExampleUser& u : Users()) {
        users.push_back(u.login);
        r.text += "  " + std::string(u.login) + "\n";
    }
    r.json = {{"result", true}, {"directory", dir}, {"files", files}, {"users", users}};
    return r;
}

} // namespace zel::cli
