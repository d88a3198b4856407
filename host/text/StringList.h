#pragma once
// TStringList: an ordered list of 8-bit strings, unsorted, duplicates allowed. IndexOf
// and Contains ignore letter case (see CaseFold.h). A long list keeps an index from its
// first look-up on, 8 to 16 bytes an entry: appending keeps it current, any other
// change has the next look-up build it again in one pass. A pass of look-ups, between
// any changes, costs O(1) each.

#include "zel/host/core/CaseFold.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zel::host {

/// What changed in a list, for an owner that keeps something in step with it.
enum class TListChange { Inserted, Deleted, Cleared, Replaced };
using TListChangeHandler = std::function<void(TListChange change, int index)>;

class TStringList {
public:
    TStringList() = default;
    TStringList(const TStringList& other) : items_(other.items_) {}
    TStringList& operator=(const TStringList& other);

    /// Told after every change (one owner at a time; copies do not inherit it).
    void SetOnChange(TListChangeHandler handler) { onChange_ = std::move(handler); }

    /// Appends `s`; returns its index.
    int Add(const std::string& s);
    /// Removes entry `index`; later entries move up. Raises EStringListError when out of range.
    void Delete(int index);
    /// Inserts `s` before entry `index` (Count() appends).
    void Insert(int index, const std::string& s);
    /// Removes the entries at `indices` (ascending, each once) in one pass; later entries
    /// move up. Raises EStringListError, changing nothing, when one is out of range or out
    /// of order.
    void DeleteMany(const std::vector<int>& indices);
    /// Index of the first entry equal to `s` ignoring letter case, or -1.
    int IndexOf(std::string_view s) const;
    /// True when an entry equals `s` ignoring letter case.
    bool Contains(std::string_view s) const;
    void Clear();
    int Count() const { return static_cast<int>(items_.size()); }
    /// Entry `index`; raises EStringListError when out of range.
    const std::string& Strings(int index) const;
    void SetStrings(int index, const std::string& s);

    const std::vector<std::string>& Items() const { return items_; }

private:
    void CheckIndex(int index) const;
    /// The slot that holds `s`'s first position, or the empty slot where it would go.
    std::size_t Slot(std::string_view s) const;
    void Rebuild() const;
    void Appended();
    void Place(std::uint32_t index) const;
    void Changed(TListChange change, int index) {
        if (onChange_) {
            onChange_(change, index);
        }
    }

    std::vector<std::string> items_;
    // Open addressing over the entries' texts, letter case ignored: each used slot holds
    // the position of a text's first entry. At most half the slots are used.
    mutable std::vector<std::uint32_t> slots_;
    mutable std::size_t used_ = 0;
    mutable bool indexed_ = false;
    TListChangeHandler onChange_;
};

} // namespace zel::host
