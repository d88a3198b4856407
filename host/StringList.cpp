#include "zel/host/StringList.h"

#include "zel/host/CaseFold.h"
#include "zel/host/Errors.h"

namespace zel::host {

namespace {
// Below this size a plain scan is cheaper than keeping an index.
constexpr int kIndexThreshold = 16;
} // namespace

TStringList& TStringList::operator=(const TStringList& other) {
    if (this != &other) {
        items_ = other.items_;
        Invalidate();
        Changed(TListChange::Cleared, -1);
        for (int i = 0; i < Count(); ++i) {
            Changed(TListChange::Inserted, i);
        }
    }
    return *this;
}

int TStringList::Add(const std::string& s) {
    items_.push_back(s);
    int index = Count() - 1;
    if (indexValid_) {
        index_.emplace(FoldCase(s), index); // keeps an earlier equal entry first
    }
    Changed(TListChange::Inserted, index);
    return index;
}

void TStringList::Delete(int index) {
    CheckIndex(index);
    items_.erase(items_.begin() + index);
    Invalidate();
    Changed(TListChange::Deleted, index);
}

void TStringList::Insert(int index, const std::string& s) {
    if (index < 0 || index > Count()) {
        throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
    }
    items_.insert(items_.begin() + index, s);
    Invalidate();
    Changed(TListChange::Inserted, index);
}

int TStringList::IndexOf(std::string_view s) const {
    if (Count() < kIndexThreshold) {
        for (int i = 0; i < Count(); ++i) {
            if (SameText(items_[static_cast<std::size_t>(i)], s)) {
                return i;
            }
        }
        return -1;
    }
    if (!indexValid_) {
        index_.clear();
        index_.reserve(items_.size());
        for (int i = 0; i < Count(); ++i) {
            index_.emplace(FoldCase(items_[static_cast<std::size_t>(i)]), i);
        }
        indexValid_ = true;
    }
    auto it = index_.find(FoldCase(s));
    return it == index_.end() ? -1 : it->second;
}

void TStringList::Clear() {
    items_.clear();
    Invalidate();
    Changed(TListChange::Cleared, -1);
}

const std::string& TStringList::Strings(int index) const {
    CheckIndex(index);
    return items_[static_cast<std::size_t>(index)];
}

void TStringList::SetStrings(int index, const std::string& s) {
    CheckIndex(index);
    items_[static_cast<std::size_t>(index)] = s;
    Invalidate();
    Changed(TListChange::Replaced, index);
}

void TStringList::CheckIndex(int index) const {
    if (index < 0 || index >= Count()) {
        throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
    }
}

void TStringList::Invalidate() {
    indexValid_ = false;
    index_.clear();
}

} // namespace zel::host
