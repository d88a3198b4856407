#pragma once
// Helpers shared by the tests: a temporary folder, a recorder for message boxes, a real
// SQLite user table, and a compact way to build and print menus.

#include "zel/host/core/Form.h"
#include "zel/host/ui/Dialogs.h"
#include "zel/host/ui/Menus.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zel::test {

/// A fresh folder, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

/// Records every message box while it lives, instead of writing to standard error.
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    const std::vector<host::TMessage>& Messages() const { return messages_; }
    /// The texts only, in order.
    std::vector<std::string> Texts() const;
    void Clear() { messages_.clear(); }

private:
    std::vector<host::TMessage> messages_;
    host::TMessagePresenter previous_;
};

struct UserRow {
    std::optional<std::string> id;
    std::optional<std::string> password;
    std::optional<std::string> rights; // nullopt: NULL
};

/// Creates (or replaces) table `table` in database file `path` with the three text
/// columns and the given rows, in order, through the SQLite library itself.
void MakeUserTable(const std::string& path, const std::string& table, const std::string& idField,
                   const std::string& passwordField, const std::string& rightsField,
                   const std::vector<UserRow>& rows, bool unicode = false);

/// Runs one SQL statement on the database file (test setup and inspection).
void ExecSql(const std::string& path, const std::string& sql);

/// Reads one text value (as bytes) with a query returning one row and column.
std::optional<std::string> QueryText(const std::string& path, const std::string& sql);

/// An access-right string of `names` (0xFF, then each name and 0xFF).
std::string Rights(const std::vector<std::string>& names);

/// The form lines, one level in, of a user table `UsersTable` in SQLite file `database`,
/// its data source `UsersSource` and a provider `Rights` on `MainMenu1` over the fields
/// login, password and rights.
std::string UserTableFormLines(const std::string& database, bool hideDisabledItem);

/// Every byte value from `first` to 0xFF, once each and in order.
std::string BytesFrom(int first);

/// Adds a menu item named `name` with `caption` under `parent`, owned by `form`.
host::TMenuItem* AddItem(host::TComponent* form, host::TMenuItem* parent, const std::string& name,
                         const std::string& caption);

/// Prints a figure a test measured (runs, faults, saves) and keeps it for the summary
/// that the test command prints at its end (figures.txt in the build's tests folder).
void Figure(const std::string& line);

/// One line per item, two spaces a level: "Name caption [E|-][V|-]".
std::string DumpMenu(const host::TMenuItem* root);

} // namespace zel::test
