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
    const int index = Count() - 1;
    if (indexed_) {
        Counted(s, index); // appended: no other entry moves
    }
    Changed(TListChange::Inserted, index);
    return index;
}

void TStringList::Delete(int index) {
    CheckIndex(index);
    if (indexed_) {
        Uncounted(items_[static_cast<std::size_t>(index)]);
        firstsValid_ = firstsValid_ && index == Count() - 1;
    }
    items_.erase(items_.begin() + index);
    Changed(TListChange::Deleted, index);
}

void TStringList::DeleteMany(const std::vector<int>& indices) {
    int previous = -1;
    for (int index : indices) {
        CheckIndex(index);
        if (index <= previous) {
            throw EStringListError("List indices out of order (" + std::to_string(index) +
                                   " after " + std::to_string(previous) + ")");
        }
        previous = index;
    }
    if (indices.empty()) {
        return;
    }
    if (indexed_) {
        for (int index : indices) {
            Uncounted(items_[static_cast<std::size_t>(index)]);
        }
        firstsValid_ =
            firstsValid_ && indices.front() == Count() - static_cast<int>(indices.size());
    }
    auto kept = static_cast<std::size_t>(indices.front());
    std::size_t next = 0;
    for (std::size_t i = kept; i < items_.size(); ++i) {
        if (next < indices.size() && static_cast<std::size_t>(indices[next]) == i) {
            ++next;
        } else {
            items_[kept++] = std::move(items_[i]);
        }
    }
    items_.resize(kept);
    // Last first, so that each index told still names the entry it named.
    for (auto it = indices.rbegin(); it != indices.rend(); ++it) {
        Changed(TListChange::Deleted, *it);
    }
}

void TStringList::Insert(int index, const std::string& s) {
    if (index < 0 || index > Count()) {
        throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
    }
    items_.insert(items_.begin() + index, s);
    if (indexed_) {
        firstsValid_ = firstsValid_ && index == Count() - 1;
        Counted(s, index);
    }
    Changed(TListChange::Inserted, index);
}

int TStringList::IndexOf(std::string_view s) const {
    if (!Indexed()) {
        for (int i = 0; i < Count(); ++i) {
            if (SameText(items_[static_cast<std::size_t>(i)], s)) {
                return i;
            }
        }
        return -1;
    }
    const auto found = index_.find(s);
    if (found == index_.end()) {
        return -1;
    }
    if (!firstsValid_) { // entries moved: where each first stands, in one pass
        for (auto& entry : index_) {
            entry.second.first = -1;
        }
        for (int i = 0; i < Count(); ++i) {
            int& first = index_.find(items_[static_cast<std::size_t>(i)])->second.first;
            first = first < 0 ? i : first;
        }
        firstsValid_ = true;
    }
    return found->second.first;
}

bool TStringList::Contains(std::string_view s) const {
    return Indexed() ? index_.find(s) != index_.end() : IndexOf(s) >= 0;
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
    std::string& entry = items_[static_cast<std::size_t>(index)];
    if (indexed_) {
        Uncounted(entry);
        Counted(s, index);
        firstsValid_ = false;
    }
    entry = s;
    Changed(TListChange::Replaced, index);
}

void TStringList::CheckIndex(int index) const {
    if (index < 0 || index >= Count()) {
        throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
    }
}

void TStringList::Invalidate() {
    indexed_ = false;
    firstsValid_ = false;
    index_.clear();
}

bool TStringList::Indexed() const {
    if (!indexed_ && Count() >= kIndexThreshold) {
        index_.reserve(items_.size());
        for (int i = 0; i < Count(); ++i) {
            Counted(items_[static_cast<std::size_t>(i)], i);
        }
        indexed_ = true;
        firstsValid_ = true;
    }
    return indexed_;
}

void TStringList::Counted(const std::string& s, int index) const {
    if (auto it = index_.find(s); it != index_.end()) {
        ++it->second.count;
    } else {
        index_.emplace(s, Entries{index, 1});
    }
}

void TStringList::Uncounted(const std::string& s) const {
    auto it = index_.find(s);
    if (--it->second.count == 0) {
        index_.erase(it);
    }
}

} // namespace zel::host
