#pragma once
// What the fuzzers share: the input taken a piece at a time, a check that stops the run
// with its reason (libFuzzer then keeps the input), quiet message boxes, and a user
// table in an in-memory SQLite database that lives as long as the process.

#include "zel/host/core/Form.h"
#include "zel/host/ui/Menus.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct sqlite3;

namespace zel::fuzz {

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Empty() const { return at_ == size_; }
    /// The next byte; 0 once the input is spent.
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    /// A number below `n` (n > 0).
    std::size_t Below(std::size_t n) { return Byte() % n; }
    /// Up to `max` bytes: a length byte, then that many bytes.
    std::string Bytes(std::size_t max);
    /// Everything not yet taken.
    std::string Rest();

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

/// Reports `what` and aborts: a broken invariant is a finding like a crash.
[[noreturn]] void Fail(const std::string& what);
inline void Check(bool holds, const std::string& what) {
    if (!holds) {
        Fail(what);
    }
}

/// Installs the package's classes once and a message presenter that answers OK silently.
void Setup();

/// A shop menu of nested items (a separator and an item whose caption begins with "<"
/// among them) in `form`; names are "mnu" plus a letter or two.
host::TMainMenu* MakeMenu(host::TForm& form);
/// Every item under `item`, depth first, in menu order.
void CollectItems(const host::TMenuItem* item, std::vector<const host::TMenuItem*>& out);

/// A table "users" (login, password, rights BLOB) in a named in-memory database that
/// stays while this object lives; TSQLiteTable opens it by Uri().
class MemoryUsers {
public:
    explicit MemoryUsers(const std::string& name);
    ~MemoryUsers();
    MemoryUsers(const MemoryUsers&) = delete;
    MemoryUsers& operator=(const MemoryUsers&) = delete;

    const std::string& Uri() const { return uri_; }
    /// Replaces every row with these (login, password, rights).
    void Reset(const std::vector<std::vector<std::string>>& rows);
    /// The rights stored for `login`'s first row, or "<none>" when it has none.
    std::string Rights(const std::string& login) const;

private:
    std::string uri_;
    sqlite3* db_ = nullptr;
};

} // namespace zel::fuzz
