#pragma once
// The main menu: TMainMenu holds a root TMenuItem whose sub-items are the menu bar entries.
// Items are owned by their form (the owner given at creation) and placed in the tree by
// their parent. Destroying an item destroys its sub-items and removes it from its parent;
// later items move up by one.

#include "zel/host/core/ChangeSignal.h"
#include "zel/host/core/Component.h"
#include "zel/host/core/Events.h"
#include "zel/host/core/GapList.h"

#include <memory>
#include <string>
#include <vector>

namespace zel::host {

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;

    static const TClassInfo& StaticClass();
    const TClassInfo& Class() const override { return StaticClass(); }

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);

    /// Sub-items.
    int Count() const { return static_cast<int>(items_.size()); }
    /// Sub-item `index`; raises EMenuError when out of range.
    TMenuItem* Items(int index) const;
    TMenuItem* Parent() const { return parent_; }
    /// Appends `item`, which must not be placed anywhere yet (nor be this item or an
    /// ancestor of it).
    void Add(TMenuItem* item);
    /// Places `item` before sub-item `index` (Count() appends).
    void Insert(int index, TMenuItem* item);
    /// Takes `item` out of this item's sub-items without destroying it.
    void Remove(TMenuItem* item);
    /// Index of `item` among the sub-items, or -1.
    int IndexOf(const TMenuItem* item) const;

    /// True for a separator: caption exactly "-".
    bool IsLine() const { return caption_ == "-"; }

    /// What choosing the item does (a click, its accelerator): fires OnClick. A disabled
    /// item or a separator ignores it.
    virtual void Click();
    const TEvent<TNotifyEvent>& OnClick() const;
    void SetOnClick(TEvent<TNotifyEvent> event);

    /// Only menu items are nested in an item, as its sub-items.
    std::string RefusesNested(const TClassInfo& cls) const override;
    void AddNested(TComponent& child) override;
    std::vector<const TComponent*> Nested() const override;

    [[nodiscard]] TConnection Subscribe(TChangeHandler handler) {
        return changes_.Subscribe(std::move(handler));
    }

private:
    void Detach();

    std::string caption_;
    bool enabled_ = true;
    bool visible_ = true;
    std::unique_ptr<TEvent<TNotifyEvent>> onClick_; // most items have none: kept apart
    TMenuItem* parent_ = nullptr;
    // Where this item last stood among its parent's sub-items, so that freeing the item
    // just looked up by position needs no search.
    mutable std::size_t indexHint_ = 0;
    GapList<TMenuItem*> items_; // removal walking forward stays linear
    TChangeSignal changes_;
};

class TMainMenu : public TComponent {
public:
    explicit TMainMenu(TComponent* owner);
    ~TMainMenu() override;

    static const TClassInfo& StaticClass();
    const TClassInfo& Class() const override { return StaticClass(); }

    /// The root item; its sub-items are the menu bar entries. nullptr only if application
    /// code freed the root itself.
    TMenuItem* Items() const { return root_; }

    /// Only menu items are nested in a main menu, as its menu bar entries.
    std::string RefusesNested(const TClassInfo& cls) const override;
    void AddNested(TComponent& child) override;
    std::vector<const TComponent*> Nested() const override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TMenuItem* root_; // owned by this menu as a component
};

} // namespace zel::host
