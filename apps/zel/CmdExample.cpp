// zel example: writes the example shop (its form files and a fresh user database).
#include "CommandLine.h"
#include "Commands.h"
#include "ExampleShop.h"
#include "SafeFile.h"
#include "Session.h"
#if ZEL_WITH_POSTGRES
#include "zel/host/postgres/PgConnectionString.h"
#endif

#include <filesystem>
#include <memory>
#include <optional>

namespace zel::cli {

namespace fs = std::filesystem;

Result Example(const std::string& dir, bool force, const std::string& server, const Style& style) {
    std::optional<example::QtSqlDatabase> maria;
    try {
        maria = example::QtSqlDatabaseOf(server);
    } catch (const host::EDatabaseError& e) {
        throw UsageError(e.what());
    }
#if !ZEL_WITH_POSTGRES
    if (!server.empty() && !maria) {
        throw UsageError("--database: TPgTable is not in this build");
    }
#endif
    const fs::path folder(dir);
    std::vector<std::pair<fs::path, std::string>> forms;
    for (const auto& file : example::EmbeddedFiles()) {
        std::string text = file.bytes;
        if (maria) {
            text = example::QtSqlFormText(text, *maria);
        }
#if ZEL_WITH_POSTGRES
        else if (!server.empty()) {
            text = example::PgFormText(text, server);
        }
#endif
        forms.emplace_back(folder / (file.name + ".dfm"), std::move(text));
    }
    const fs::path database = folder / "shop.db";
    std::vector<fs::path> targets;
    for (const auto& form : forms) {
        targets.push_back(form.first);
    }
    if (server.empty()) {
        targets.push_back(database);
    }
    Result r;
    if (const auto existing = force ? std::nullopt : FirstExisting(targets)) {
        return Refused(
            VisiblePath(existing->string()) + " exists; use --force to replace the example", style);
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
        fresh.back()->Write(bytes);
    }
    std::string rolesRefused;
    if (server.empty()) {
        fresh.push_back(std::make_unique<TemporaryFile>(database, 0600));
        example::MakeExampleDatabase(fresh.back()->Path().string());
    } else if (maria) {
        if (!example::MakeExampleQtSqlTable(*maria, force)) {
            return Refused("table users exists in " + maria->Describe() +
                               "; use --force to replace it",
                           style);
        }
    }
#if ZEL_WITH_POSTGRES
    else if (!example::MakeExamplePgTable(server, force, rolesRefused)) {
        return Refused("table users exists in " + host::DescribeConnection(server) +
                           "; use --force to replace it",
                       style);
    }
#endif
    std::vector<std::string> files;
    for (std::size_t i = 0; i < fresh.size(); ++i) {
        fresh[i]->Commit(force);
        files.push_back(targets[i].string());
    }
    if (style.json) {
        Json users = Json::array();
        Json written = Json::array();
        for (const example::ExampleUser& u : example::ExampleUsers()) {
            users.push_back(u.login);
        }
        for (const auto& f : files) {
            written.push_back(f);
        }
        r.json = {{"result", true}, {"directory", dir}, {"files", written}, {"users", users}};
        if (maria) {
            r.json["database"] = maria->Describe();
            r.json["roles"] = Json::array();
        }
#if ZEL_WITH_POSTGRES
        if (!server.empty() && !maria) {
            r.json["database"] = host::DescribeConnection(server);
            r.json["roles"] = rolesRefused.empty()
                                  ? Json::array({example::kStaffRole, example::kAdminRole})
                                  : Json::array();
        }
#endif
        return r;
    }
    std::ostream& out = style.Out();
    out << style.Bold("Example shop written to " + VisiblePath(dir)) << '\n';
    for (const auto& f : files) {
        out << "  " << VisiblePath(f) << '\n';
    }
    if (maria) {
        out << "User table 'users' made in " << maria->Describe() << '\n';
    }
#if ZEL_WITH_POSTGRES
    if (!server.empty() && !maria) {
        out << "User table 'users' made in " << host::DescribeConnection(server) << '\n';
        if (rolesRefused.empty()) {
            out << "Granted to the roles " << example::kStaffRole << " (read only) and "
                << example::kAdminRole << " (may change rights and passwords)\n";
        } else {
            out << "No roles granted (" << Visible(rolesRefused, 0) << ")\n";
        }
        if (host::ConnectionStringHasPassword(server)) {
            out << "The forms leave the password out: put it into ~/.pgpass\n";
        }
    }
#endif
    out << "Users (the password is the user ID):\n";
    for (const example::ExampleUser& u : example::ExampleUsers()) {
        out << "  " << u.login << '\n';
    }
    return r;
}

void AddExampleCommand(CLI::App& app, CommandSet& set) {
    struct Arguments {
        std::string dir = "./zel-shop";
        std::string database;
        bool force = false;
    };
    auto a = std::make_shared<Arguments>();
    CLI::App& c =
        *app.add_subcommand("example", "write the example shop: forms and a fresh database");
    c.add_option("dir", a->dir, "folder to write into")->capture_default_str();
    c.add_flag("--force", a->force, "replace an existing example");
    c.add_option("--database", a->database,
                 "make the user table in this PostgreSQL database (a libpq connection string or "
                 "postgresql:// URI) or MariaDB/MySQL database "
                 "(mariadb://[user@][host][:port]/db[?socket=path]) instead of a SQLite file");
    AddJson(c, set);
    Footer(c,
           "zel example ./shop\n  zel example ./team --database 'host=db.example "
           "dbname=shop user=ann'\n  zel example ./team --database mariadb://ann@db.example/shop");
    Register(set, &c,
             [a](const Style& style) { return Example(a->dir, a->force, a->database, style); });
}

} // namespace zel::cli
