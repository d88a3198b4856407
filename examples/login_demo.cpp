// A small walk through the rights provider: a SQLite user table in a temporary file, a
// main menu built in code, one log-in that succeeds and one that is refused, and the menu
// printed after each with every item's state.

#include "accessright/AccessRight.h"
#include "components/ZELRight.h"
#include "host/DataSource.h"
#include "host/Form.h"
#include "host/SQLiteTable.h"

#include <sqlite3.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>

using namespace zel;
using namespace zel::host;

namespace {
void Exec(sqlite3* db, const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string text = error != nullptr ? error : "unknown error";
        sqlite3_free(error);
        throw std::runtime_error(text);
    }
}

void AddUser(sqlite3* db, const std::string& login, const std::string& password,
             const std::string& rights) {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO users VALUES (?, ?, ?)", -1, &s, nullptr);
    sqlite3_bind_text(s, 1, login.data(), static_cast<int>(login.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(s, 2, password.data(), static_cast<int>(password.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(s, 3, rights.data(), static_cast<int>(rights.size()), SQLITE_TRANSIENT);
    int rc = sqlite3_step(s);
    sqlite3_finalize(s);
    if (rc != SQLITE_DONE) {
        throw std::runtime_error(sqlite3_errmsg(db));
    }
}

void MakeDatabase(const std::string& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot create " + path);
    }
    try {
        Exec(db, "CREATE TABLE users (login TEXT, password TEXT, rights TEXT)");
        TStringList clerk;
        for (const char* right : {"mnuFile", "mnuOpen", "mnuOrders", "mnuOrderList"}) {
            clerk.Add(right);
        }
        AddUser(db, "clerk", "counter", accessright::Write(clerk));
        AddUser(db, "viewer", "look", accessright::Write(TStringList()));
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
    sqlite3_close(db);
}

TMenuItem* Item(TForm& form, TMenuItem* parent, const std::string& name,
                const std::string& caption) {
    auto* item = new TMenuItem(&form);
    item->SetName(name);
    item->SetCaption(caption);
    parent->Add(item);
    return item;
}

void Print(const TMenuItem* parent, int level) {
    for (int i = 0; i < parent->Count(); ++i) {
        const TMenuItem* item = parent->Items(i);
        std::cout << std::string(static_cast<std::size_t>(level) * 2 + 2, ' ')
                  << (item->IsLine() ? std::string("----") : item->Caption());
        if (!item->IsLine()) {
            std::cout << "  (" << item->Name() << ": " << (item->Enabled() ? "enabled" : "disabled")
                      << ", " << (item->Visible() ? "visible" : "hidden") << ")";
        }
        std::cout << '\n';
        Print(item, level + 1);
    }
}

void LogIn(TForm& form, TZELRight& rights, const std::string& id, const std::string& password) {
    // Each run starts from the full menu, as an application does at start-up.
    std::cout << "Log-in of " << id << ":\n";
    rights.SetUserID(id);
    rights.SetUserPassword(password);
    std::cout.flush(); // a refusal's message box goes to standard error
    bool ok = rights.LoadSetting();
    std::cout << "  result: " << (ok ? "granted" : "refused") << '\n';
    Print(rights.LinkedMainMenu()->Items(), 0);
    (void)form;
}

void BuildMenu(TForm& form, TMainMenu* menu) {
    TMenuItem* file = Item(form, menu->Items(), "mnuFile", "&File");
    Item(form, file, "mnuOpen", "&Open...");
    Item(form, file, "mnuSep1", "-");
    Item(form, file, "mnuExit", "E&xit");
    TMenuItem* orders = Item(form, menu->Items(), "mnuOrders", "&Orders");
    Item(form, orders, "mnuOrderList", "&List");
    Item(form, orders, "mnuOrderNew", "&New order");
    Item(form, orders, "mnuDebug", "<Debug tools");
    TMenuItem* admin = Item(form, menu->Items(), "mnuAdmin", "&Administration");
    Item(form, admin, "mnuUsers", "&Users and rights");
}
} // namespace

int main() {
    try {
        const auto dir = std::filesystem::temp_directory_path() /
                         ("zel-demo-" + std::to_string(static_cast<long>(::getpid())));
        std::filesystem::create_directories(dir);
        const std::string db = (dir / "shop.db").string();
        MakeDatabase(db);

        TForm form(nullptr);
        auto* menu = new TMainMenu(&form);
        BuildMenu(form, menu);
        auto* table = new TSQLiteTable(&form);
        table->SetDatabaseName(db);
        table->SetTableName("users");
        table->Open();
        auto* source = new TDataSource(&form);
        source->SetDataSet(table);
        auto* rights = new TZELRight(&form);
        rights->SetDataSource(source);
        rights->SetLinkedMainMenu(menu);
        rights->SetHideDisabledItem(false);
        rights->SetUserIDFieldName("login");
        rights->SetUserPasswordFieldName("password");
        rights->SetUserAccessRightFieldName("rights");

        LogIn(form, *rights, "clerk", "counter");
        LogIn(form, *rights, "viewer", "wrong password");

        table->Close();
        std::filesystem::remove_all(dir);
        return EXIT_SUCCESS;
    } catch (const std::exception& e) {
        std::cerr << "login_demo: " << e.what() << '\n';
        return EXIT_FAILURE;
    }
}
