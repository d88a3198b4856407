#include "zel/host/text/StringList.h"

#include "zel/host/core/Errors.h"

namespace zel::host {

namespace {
// Below this size a plain scan is cheaper than keeping an index.
constexpr int kIndexThreshold = 16;
constexpr std::uint32_t kEmpty = UINT32_MAX;
} // namespace

TStringList& TStringList::operator=(const TStringList& other) {
    if (this != &other) {
        items_ = other.items_;
        indexed_ = false;
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
        Appended(); // no other entry moves
    }
    Changed(TListChange::Inserted, index);
    return index;
}

void TStringList::Delete(int index) {
    CheckIndex(index);
    items_.erase(items_.begin() + index);
    indexed_ = false;
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
    indexed_ = false;
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
    if (indexed_ && index == Count() - 1) {
        Appended();
    } else {
        indexed_ = false;
    }
    Changed(TListChange::Inserted, index);
}

int TStringList::IndexOf(std::string_view s) const {
    if (!indexed_ && Count() >= kIndexThreshold) {
        Rebuild();
    }
    if (!indexed_) {
        for (int i = 0; i < Count(); ++i) {
            if (SameText(items_[static_cast<std::size_t>(i)], s)) {
                return i;
            }
        }
        return -1;
    }
    const std::uint32_t first = slots_[Slot(s)];
    return first == kEmpty ? -1 : static_cast<int>(first);
}

bool TStringList::Contains(std::string_view s) const {
    return IndexOf(s) >= 0;
}

void TStringList::Clear() {
    items_.clear();
    indexed_ = false;
    slots_ = {}; // a long list's index is not kept for a short one
    Changed(TListChange::Cleared, -1);
}

const std::string& TStringList::Strings(int index) const {
    CheckIndex(index);
    return items_[static_cast<std::size_t>(index)];
}

void TStringList::SetStrings(int index, const std::string& s) {
    CheckIndex(index);
    items_[static_cast<std::size_t>(index)] = s;
    indexed_ = false;
    Changed(TListChange::Replaced, index);
}

void TStringList::CheckIndex(int index) const {
    if (index < 0 || index >= Count()) {
        throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
    }
}

std::size_t TStringList::Slot(std::string_view s) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = TFoldedHash{}(s)&mask;
    while (slots_[slot] != kEmpty && !SameText(items_[slots_[slot]], s)) {
        slot = (slot + 1) & mask;
    }
    return slot;
}

void TStringList::Rebuild() const {
    std::size_t size = 32;
    while (size < 2 * items_.size()) {
        size *= 2;
    }
    slots_.assign(size, kEmpty);
    used_ = 0;
    indexed_ = true;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        Place(static_cast<std::uint32_t>(i));
    }
}

void TStringList::Appended() {
    if (2 * (used_ + 1) > slots_.size()) {
        Rebuild();
    } else {
        Place(static_cast<std::uint32_t>(items_.size() - 1));
    }
}

void TStringList::Place(std::uint32_t index) const {
    std::uint32_t& slot = slots_[Slot(items_[index])];
    if (slot == kEmpty) { // else an earlier equal entry stays the first
        slot = index;
        ++used_;
    }
}

} // namespace zel::host
