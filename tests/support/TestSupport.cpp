#include "support/TestSupport.h"

#include "zel/host/core/Errors.h"
#include "zel/host/core/TextEncoding.h"
#include "zel/host/data/ServerText.h"
#include "zel/host/sqlite/SQLiteTable.h"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sqlite3.h>
#include <stdexcept>

namespace zel::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zel-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

MessageRecorder::MessageRecorder() {
    previous_ = host::SetMessagePresenter([this](const host::TMessage& m) {
        messages_.push_back(m);
        return 1;
    });
}

MessageRecorder::~MessageRecorder() {
    host::SetMessagePresenter(std::move(previous_));
}

std::vector<std::string> MessageRecorder::Texts() const {
    std::vector<std::string> texts;
    for (const auto& m : messages_) {
        texts.push_back(m.text);
    }
    return texts;
}

namespace {
struct Db {
    sqlite3* db = nullptr;
    explicit Db(const std::string& path) {
        if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
            throw std::runtime_error("cannot open " + path);
        }
    }
    ~Db() { sqlite3_close(db); }
    void Exec(const std::string& sql) {
        char* error = nullptr;
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            std::string text = error != nullptr ? error : "?";
            sqlite3_free(error);
            throw std::runtime_error("SQL failed: " + text + " in " + sql);
        }
    }
};

void Bind(sqlite3_stmt* s, int i, const std::optional<std::string>& v, bool unicode) {
    if (v && unicode) {
        // As a program that speaks Unicode keeps it: text as UTF-8, what is no text as a BLOB.
        std::optional<std::string> utf8;
        if (host::TextEncoding() == host::TTextEncoding::Windows1252 || host::IsValidUtf8(*v)) {
            try {
                utf8 = host::server::ToServer(*v, "");
            } catch (const host::EDatabaseError&) {
                // a byte Windows-1252 leaves undefined: no text
            }
        }
        if (utf8) {
            sqlite3_bind_text(s, i, utf8->data(), static_cast<int>(utf8->size()), SQLITE_TRANSIENT);
        } else {
            sqlite3_bind_blob(s, i, v->data(), static_cast<int>(v->size()), SQLITE_TRANSIENT);
        }
    } else if (v) {
        sqlite3_bind_text(s, i, v->data(), static_cast<int>(v->size()), SQLITE_TRANSIENT);
    } else {
        sqlite3_bind_null(s, i);
    }
}
} // namespace

void MakeUserTable(const std::string& path, const std::string& table, const std::string& idField,
                   const std::string& passwordField, const std::string& rightsField,
                   const std::vector<UserRow>& rows, bool unicode) {
    Db db(path);
    db.Exec("DROP TABLE IF EXISTS " + host::QuoteIdentifier(table));
    db.Exec("CREATE TABLE " + host::QuoteIdentifier(table) + " (" + host::QuoteIdentifier(idField) +
            " TEXT, " + host::QuoteIdentifier(passwordField) + " TEXT, " +
            host::QuoteIdentifier(rightsField) + " TEXT)");
    sqlite3_stmt* s = nullptr;
    std::string sql = "INSERT INTO " + host::QuoteIdentifier(table) + " VALUES (?, ?, ?)";
    sqlite3_prepare_v2(db.db, sql.c_str(), -1, &s, nullptr);
    db.Exec("BEGIN");
    for (const auto& r : rows) {
        Bind(s, 1, r.id, unicode);
        Bind(s, 2, r.password, unicode);
        Bind(s, 3, r.rights, unicode);
        if (sqlite3_step(s) != SQLITE_DONE) {
            throw std::runtime_error("insert failed");
        }
        sqlite3_reset(s);
    }
    db.Exec("COMMIT");
    sqlite3_finalize(s);
}

void ExecSql(const std::string& path, const std::string& sql) {
    Db(path).Exec(sql);
}

std::optional<std::string> QueryText(const std::string& path, const std::string& sql) {
    Db db(path);
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db.db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) {
        throw std::runtime_error("bad query " + sql);
    }
    std::optional<std::string> result;
    if (sqlite3_step(s) == SQLITE_ROW && sqlite3_column_type(s, 0) != SQLITE_NULL) {
        const void* p = sqlite3_column_blob(s, 0);
        int n = sqlite3_column_bytes(s, 0);
        result = p != nullptr
                     ? std::string(static_cast<const char*>(p), static_cast<std::size_t>(n))
                     : std::string();
    }
    sqlite3_finalize(s);
    return result;
}

void Figure(const std::string& line) {
    std::cout << line << '\n';
    std::ofstream(ZEL_FIGURES_FILE, std::ios::app) << line << '\n';
}

std::string Rights(const std::vector<std::string>& names) {
    std::string text = "\xFF";
    for (const auto& n : names) {
        text += n + "\xFF";
    }
    return text;
}

std::string UserTableFormLines(const std::string& database, bool hideDisabledItem) {
    return "  object UsersTable: TSQLiteTable\n    DatabaseName = '" + database +
           "'\n    TableName = 'users'\n    Active = True\n  end\n"
           "  object UsersSource: TDataSource\n    DataSet = UsersTable\n  end\n"
           "  object Rights: TZELRight\n    DataSource = UsersSource\n" +
           (hideDisabledItem ? "    HideDisabledItem = True\n" : "") +
           "    LinkedMainMenu = MainMenu1\n    UserAccessRightFieldName = 'rights'\n"
           "    UserIDFieldName = 'login'\n    UserPasswordFieldName = 'password'\n  end\n";
}

std::string BytesFrom(int first) {
    std::string s;
    for (int c = first; c < 256; ++c) {
        s += static_cast<char>(c);
    }
    return s;
}

host::TMenuItem* AddItem(host::TComponent* form, host::TMenuItem* parent, const std::string& name,
                         const std::string& caption) {
    auto* item = new host::TMenuItem(form);
    item->SetName(name);
    item->SetCaption(caption);
    parent->Add(item);
    return item;
}

std::string DumpMenu(const host::TMenuItem* root) {
    std::string out;
    struct Frame {
        const host::TMenuItem* item;
        int depth;
    };
    std::vector<Frame> stack;
    for (int i = root->Count() - 1; i >= 0; --i) {
        stack.push_back({root->Items(i), 0});
    }
    while (!stack.empty()) {
        Frame f = stack.back();
        stack.pop_back();
        out += std::string(static_cast<std::size_t>(f.depth) * 2, ' ') + f.item->Name() + " " +
               f.item->Caption() + " [" + (f.item->Enabled() ? "E" : "-") +
               (f.item->Visible() ? "V" : "-") + "]\n";
        for (int i = f.item->Count() - 1; i >= 0; --i) {
            stack.push_back({f.item->Items(i), f.depth + 1});
        }
    }
    return out;
}

} // namespace zel::test
