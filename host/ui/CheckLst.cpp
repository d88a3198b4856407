#include "zel/host/ui/CheckLst.h"

#include "zel/host/core/Errors.h"

namespace zel::host {

const TClassInfo& TCheckListBox::StaticClass() {
    static const TClassInfo info{
        "TCheckListBox", &TControl::StaticClass(),
        [](TComponent* owner) -> TComponent* { return new TCheckListBox(owner); },
        CheckListBoxEventProps<TCheckListBox>()};
    return info;
}

TCheckListBox::TCheckListBox(TComponent* owner) : TControl(owner) {
    items_.SetOnChange([this](TListChange change, int index) { ItemsChanged(change, index); });
}

TCheckListBox::~TCheckListBox() {
    items_.SetOnChange(nullptr);
}

void TCheckListBox::ItemsChanged(TListChange change, int index) {
    switch (change) {
    case TListChange::Inserted:
        checked_.insert(checked_.begin() + index, 0);
        if (itemIndex_ >= index) {
            ++itemIndex_;
        }
        Changed(TChangeKind::ItemInserted, index);
        break;
    case TListChange::Deleted:
        checked_.erase(checked_.begin() + index);
        if (itemIndex_ == index) {
            itemIndex_ = -1;
        } else if (itemIndex_ > index) {
            --itemIndex_;
        }
        Changed(TChangeKind::ItemRemoved, index);
        break;
    case TListChange::Cleared:
        checked_.clear();
        itemIndex_ = -1;
        Changed(TChangeKind::ItemRemoved, -1); // -1: every row
        break;
    case TListChange::Replaced:
        Changed(TChangeKind::Caption, index);
        break;
    }
}

void TCheckListBox::CheckIndex(int index) const {
    if (index < 0 || index >= Count()) {
        throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
    }
}

bool TCheckListBox::Checked(int index) const {
    CheckIndex(index);
    return checked_[static_cast<std::size_t>(index)] != 0;
}

void TCheckListBox::SetChecked(int index, bool checked) {
    CheckIndex(index);
    char& flag = checked_[static_cast<std::size_t>(index)];
    if ((flag != 0) != checked) {
        flag = checked ? 1 : 0;
        Changed(TChangeKind::Checked, index);
    }
}

void TCheckListBox::SetItemIndex(int index) {
    if (index != -1) {
        CheckIndex(index);
    }
    if (index != itemIndex_) {
        itemIndex_ = index;
        Changed(TChangeKind::ItemIndex, index);
    }
}

void TCheckListBox::ToggleRow(int index) {
    CheckIndex(index);
    if (!Enabled()) {
        return;
    }
    SetItemIndex(index);
    SetChecked(index, !Checked(index));
    ClickCheck();
}

void TCheckListBox::KeyPress(char& key) {
    TControl::KeyPress(key);
    if (key == ' ' && itemIndex_ >= 0 && itemIndex_ < Count()) {
        ToggleRow(itemIndex_);
    }
}

void TCheckListBox::ClickCheck() {
    if (onClickCheck_) {
        onClickCheck_.handler(this);
    }
}

} // namespace zel::host
