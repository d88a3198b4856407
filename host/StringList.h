#pragma once
// TStringList: an ordered list of 8-bit strings, unsorted, duplicates allowed. IndexOf
// ignores letter case (see CaseFold.h). Look-ups in a long list use an index that is
// built on the first look-up after a change, so a pass of many look-ups over an unchanged
// list costs O(1) each.

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
    /// Index of the first entry equal to `s` ignoring letter case, or -1.
    int IndexOf(std::string_view s) const;
    void Clear();
    int Count() const { return static_cast<int>(items_.size()); }
    /// Entry `index`; raises EStringListError when out of range.
    const std::string& Strings(int index) const;
    void SetStrings(int index, const std::string& s);

    const std::vector<std::string>& Items() const { return items_; }

private:
    void CheckIndex(int index) const;
    void Invalidate();
    void Changed(TListChange change, int index) {
        if (onChange_) {
            onChange_(change, index);
        }
    }

    std::vector<std::string> items_;
    // Folded text -> first index; valid while indexValid_. Add keeps it current.
    mutable std::unordered_map<std::string, int> index_;
    mutable bool indexValid_ = false;
    TListChangeHandler onChange_;
};

} // namespace zel::host
