#include "zel/host/ui/Menus.h"

#include "zel/host/core/Errors.h"
#include "zel/host/core/detail/Immortal.h"

#include <algorithm>

namespace zel::host {

const TClassInfo& TMenuItem::StaticClass() {
    static const TClassInfo info{
        "TMenuItem",
        &TComponent::StaticClass(),
        [](TComponent* owner) -> TComponent* { return new TMenuItem(owner); },
        {
            StringProp<TMenuItem>("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption),
            BoolProp<TMenuItem>("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled, true),
            BoolProp<TMenuItem>("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible, true),
            EventProp<TMenuItem, TNotifyEvent>("OnClick", &TMenuItem::OnClick,
                                               &TMenuItem::SetOnClick),
        }};
    return info;
}

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
    changes_.Emit({TChangeKind::Destroying});
    Detach();
    // Destroy the subtree without recursion, so a menu of any depth can be freed: list it
    // in pre-order, then delete backwards, so every item goes after its descendants.
    std::vector<TMenuItem*> subtree;
    for (std::size_t next = 0;; ++next) {
        const std::vector<TMenuItem*> children =
            (next == 0 ? items_ : subtree[next - 1]->items_).ToVector();
        subtree.insert(subtree.end(), children.begin(), children.end());
        if (next >= subtree.size()) {
            break;
        }
    }
    for (auto it = subtree.rbegin(); it != subtree.rend(); ++it) {
        delete *it;
    }
}

void TMenuItem::Detach() {
    if (parent_ != nullptr) {
        parent_->Remove(this);
    }
}

void TMenuItem::Click() {
    if (enabled_ && !IsLine() && onClick_ && *onClick_) {
        onClick_->handler(this);
    }
}

const TEvent<TNotifyEvent>& TMenuItem::OnClick() const {
    static Immortal<TEvent<TNotifyEvent>> none; // items of static forms may ask at exit
    return onClick_ ? *onClick_ : *none;
}

void TMenuItem::SetOnClick(TEvent<TNotifyEvent> event) {
    if (event || !event.name.empty()) {
        onClick_ = std::make_unique<TEvent<TNotifyEvent>>(std::move(event));
    } else {
        onClick_.reset();
    }
}

void TMenuItem::SetCaption(const std::string& caption) {
    changes_.Assign(caption_, caption, TChangeKind::Caption);
}

void TMenuItem::SetEnabled(bool enabled) {
    changes_.Assign(enabled_, enabled, TChangeKind::Enabled);
}

void TMenuItem::SetVisible(bool visible) {
    changes_.Assign(visible_, visible, TChangeKind::Visible);
}

TMenuItem* TMenuItem::Items(int index) const {
    if (index < 0 || index >= Count()) {
        throw EMenuError("Menu index " + std::to_string(index) + " out of bounds");
    }
    TMenuItem* item = items_[static_cast<std::size_t>(index)];
    item->indexHint_ = static_cast<std::size_t>(index);
    return item;
}

void TMenuItem::Add(TMenuItem* item) {
    Insert(Count(), item);
}

void TMenuItem::Insert(int index, TMenuItem* item) {
    if (item == nullptr) {
        throw EMenuError("Cannot insert a missing menu item");
    }
    if (item == this) {
        throw EMenuError("Menu item " + item->Name() + " cannot be placed inside itself");
    }
    if (item->parent_ != nullptr) {
        throw EMenuError("Menu item " + item->Name() + " is already placed in a menu");
    }
    // Only an item with sub-items can hold this one; a fresh leaf needs no walk up.
    for (const TMenuItem* p = item->items_.empty() ? nullptr : this; p != nullptr; p = p->parent_) {
        if (p == item) {
            throw EMenuError("Menu item " + item->Name() + " cannot be placed inside itself");
        }
    }
    if (index < 0 || index > Count()) {
        throw EMenuError("Menu index " + std::to_string(index) + " out of bounds");
    }
    items_.insert(static_cast<std::size_t>(index), item);
    item->indexHint_ = static_cast<std::size_t>(index);
    item->parent_ = this;
    changes_.Emit({TChangeKind::ItemInserted, index});
}

void TMenuItem::Remove(TMenuItem* item) {
    const int index = IndexOf(item);
    if (index < 0) {
        return;
    }
    items_.erase(static_cast<std::size_t>(index));
    item->parent_ = nullptr;
    changes_.Emit({TChangeKind::ItemRemoved, index});
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
    if (item != nullptr && item->parent_ == this && item->indexHint_ < items_.size() &&
        items_[item->indexHint_] == item) {
        return static_cast<int>(item->indexHint_);
    }
    return static_cast<int>(items_.find(const_cast<TMenuItem*>(item)));
}

const TClassInfo& TMainMenu::StaticClass() {
    static const TClassInfo info{
        "TMainMenu",
        &TComponent::StaticClass(),
        [](TComponent* owner) -> TComponent* { return new TMainMenu(owner); },
        {}};
    return info;
}

namespace {
std::string OnlyItemsIn(const TComponent& parent, const TClassInfo& cls) {
    return cls.InheritsFrom(TMenuItem::StaticClass())
               ? ""
               : "only menu items can be nested in " + parent.ClassName();
}

std::vector<const TComponent*> SubItems(const TMenuItem* item) {
    std::vector<const TComponent*> items;
    const int count = item != nullptr ? item->Count() : 0;
    items.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        items.push_back(item->Items(i));
    }
    return items;
}
} // namespace

std::string TMenuItem::RefusesNested(const TClassInfo& cls) const {
    return OnlyItemsIn(*this, cls);
}

// Only called for a class RefusesNested accepted, so the child is an item.
void TMenuItem::AddNested(TComponent& child) {
    Add(static_cast<TMenuItem*>(&child));
}

std::vector<const TComponent*> TMenuItem::Nested() const {
    return SubItems(this);
}

std::string TMainMenu::RefusesNested(const TClassInfo& cls) const {
    return OnlyItemsIn(*this, cls);
}

void TMainMenu::AddNested(TComponent& child) {
    if (root_ == nullptr) {
        throw EMenuError("the menu " + Name() + " has no items left to add to");
    }
    root_->Add(static_cast<TMenuItem*>(&child));
}

std::vector<const TComponent*> TMainMenu::Nested() const {
    return SubItems(root_);
}

TMainMenu::TMainMenu(TComponent* owner) : TComponent(owner), root_(new TMenuItem(this)) {
    FreeNotification(root_);
}

TMainMenu::~TMainMenu() {
    // The tree goes now, while the menu is still a TMainMenu for any observer that looks.
    delete root_;
}

void TMainMenu::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == root_) {
        root_ = nullptr; // someone freed the root itself
    }
}

} // namespace zel::host
