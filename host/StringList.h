#pragma once
// TStringList: an ordered list of 8-bit strings, unsorted, duplicates allowed. IndexOf
// and Contains ignore letter case (see CaseFold.h). A long list keeps an index from its
// first look-up on: every change keeps it current, so Contains costs O(1) whatever was
// changed, and IndexOf costs O(1) except on the first call after an entry moved.

#include "zel/host/CaseFold.h"

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
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
    void Invalidate();
    bool Indexed() const; // builds the index of a long list
    void Counted(const std::string& s, int index) const;
    void Uncounted(const std::string& s) const;
    void Changed(TListChange change, int index) {
        if (onChange_) {
            onChange_(change, index);
        }
    }

    struct Entries {
        int first; // valid while firstsValid_
        int count;
    };
    std::vector<std::string> items_;
    // Every entry's text, letter case ignored -> where it first stands and how often.
    mutable std::unordered_map<std::string, Entries, TFoldedHash, TFoldedEqual> index_;
    mutable bool indexed_ = false;
    mutable bool firstsValid_ = false;
    TListChangeHandler onChange_;
};

} // namespace zel::host
