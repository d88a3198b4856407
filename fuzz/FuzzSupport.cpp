#include "FuzzSupport.h"

#include "zel/host/ui/Dialogs.h"
#include "zel/host/ui/ModalResult.h"
#include "zel/package/Package.h"

#include <cstdio>
#include <cstdlib>
#include <sqlite3.h>

namespace zel::fuzz {

std::string Input::Bytes(std::size_t max) {
    std::size_t n = std::min<std::size_t>(Byte(), max);
    n = std::min(n, size_ - at_);
    std::string s(reinterpret_cast<const char*>(data_ + at_), n);
    at_ += n;
    return s;
}

std::string Input::Rest() {
    std::string s(reinterpret_cast<const char*>(data_ + at_), size_ - at_);
    at_ = size_;
    return s;
}

void Fail(const std::string& what) {
    std::fprintf(stderr, "\n== invariant broken: %s\n", what.c_str());
    std::abort();
}

void Setup() {
    static const bool once = [] {
        package::Initialize();
        host::SetMessagePresenter([](const host::TMessage&) { return host::mrOk; });
        return true;
    }();
    (void)once;
}

namespace {
host::TMenuItem* Add(host::TForm& form, host::TMenuItem* parent, const char* name,
                     const char* caption) {
    auto* item = new host::TMenuItem(&form);
    item->SetName(name);
    item->SetCaption(caption);
    parent->Add(item);
    return item;
}
} // namespace

host::TMainMenu* MakeMenu(host::TForm& form) {
    auto* menu = new host::TMainMenu(&form);
    menu->SetName("MainMenu1");
    host::TMenuItem* file = Add(form, menu->Items(), "mnuF", "&File");
    Add(form, file, "mnuFO", "&Open");
    Add(form, file, "mnuFS", "-");
    host::TMenuItem* print = Add(form, file, "mnuFP", "&Print");
    Add(form, print, "mnuFPA", "&All");
    Add(form, file, "mnuFX", "<Debug");
    host::TMenuItem* edit = Add(form, menu->Items(), "mnuE", "&Edit");
    Add(form, edit, "mnuEC", "Cu&t");
    Add(form, menu->Items(), "mnuH", "&Help");
    return menu;
}

void CollectItems(const host::TMenuItem* item, std::vector<const host::TMenuItem*>& out) {
    for (int i = 0; i < item->Count(); ++i) {
        out.push_back(item->Items(i));
        CollectItems(item->Items(i), out);
    }
}

MemoryUsers::MemoryUsers(const std::string& name)
    : uri_("file:" + name + "?mode=memory&cache=shared") {
    if (sqlite3_open_v2(uri_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI, nullptr) !=
            SQLITE_OK ||
        sqlite3_exec(db_, "CREATE TABLE users (login TEXT, password TEXT, rights BLOB)", nullptr,
                     nullptr, nullptr) != SQLITE_OK) {
        Fail("cannot make the in-memory user table: " + std::string(sqlite3_errmsg(db_)));
    }
}

MemoryUsers::~MemoryUsers() {
    sqlite3_close(db_);
}

void MemoryUsers::Reset(const std::vector<std::vector<std::string>>& rows) {
    sqlite3_exec(db_, "DELETE FROM users", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db_, "INSERT INTO users VALUES (?, ?, ?)", -1, &insert, nullptr);
    for (const auto& row : rows) {
        sqlite3_bind_text(insert, 1, row[0].data(), static_cast<int>(row[0].size()),
                          SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, row[1].data(), static_cast<int>(row[1].size()),
                          SQLITE_TRANSIENT);
        sqlite3_bind_blob(insert, 3, row[2].data(), static_cast<int>(row[2].size()),
                          SQLITE_TRANSIENT);
        Check(sqlite3_step(insert) == SQLITE_DONE, "cannot add a user");
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
}

std::string MemoryUsers::Rights(const std::string& login) const {
    sqlite3_stmt* query = nullptr;
    sqlite3_prepare_v2(db_, "SELECT rights FROM users WHERE login = ? ORDER BY rowid LIMIT 1", -1,
                       &query, nullptr);
    sqlite3_bind_text(query, 1, login.data(), static_cast<int>(login.size()), SQLITE_TRANSIENT);
    std::string rights = "<none>";
    if (sqlite3_step(query) == SQLITE_ROW) {
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(query, 0));
        rights.assign(bytes == nullptr ? "" : bytes,
                      static_cast<std::size_t>(sqlite3_column_bytes(query, 0)));
    }
    sqlite3_finalize(query);
    return rights;
}

} // namespace zel::fuzz
