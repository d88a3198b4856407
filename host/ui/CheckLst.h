#pragma once
// TCheckListBox: a list of text rows, each with a check box, and a selected row.
// Setting a check from code never runs ClickCheck; the user's toggle of a row (a click on
// its box, or the space key on the selected row) is ToggleRow: select the row, flip its
// check, run ClickCheck.

#include "zel/host/text/StringList.h"
#include "zel/host/ui/Controls.h"

#include <vector>

namespace zel::host {

class TCheckListBox : public TControl {
public:
    explicit TCheckListBox(TComponent* owner);
    ~TCheckListBox() override;

    static const TClassInfo& StaticClass();
    const TClassInfo& Class() const override { return StaticClass(); }

    /// The row texts. Adding or removing rows here keeps the checks in step.
    TStringList& Items() { return items_; }
    const TStringList& Items() const { return items_; }
    int Count() const { return items_.Count(); }

    /// Raises EStringListError for a row that does not exist.
    bool Checked(int index) const;
    void SetChecked(int index, bool checked);

    /// The selected row, or -1.
    int ItemIndex() const { return itemIndex_; }
    /// Selects a row (-1: none); raises EStringListError for a row that does not exist.
    void SetItemIndex(int index);

    /// The user's toggle of row `index`: select it, flip its check, run ClickCheck. A
    /// disabled box ignores it; a row that does not exist raises EStringListError.
    void ToggleRow(int index);
    /// Space toggles the selected row, after OnKeyPress had its say.
    void KeyPress(char& key) override;

    const TEvent<TNotifyEvent>& OnClickCheck() const { return onClickCheck_; }
    void SetOnClickCheck(TEvent<TNotifyEvent> event) { onClickCheck_ = std::move(event); }

protected:
    /// Runs after the user toggled row ItemIndex; the base fires OnClickCheck.
    virtual void ClickCheck();

private:
    void ItemsChanged(TListChange change, int index);
    void CheckIndex(int index) const;

    TStringList items_;
    std::vector<char> checked_; // one per row
    int itemIndex_ = -1;
    TEvent<TNotifyEvent> onClickCheck_;
};

/// The published events of a check list box, in the host's order.
template <class C> std::vector<TPropInfo> CheckListBoxEventProps() {
    std::vector<TPropInfo> props = ControlEventProps<C>(true);
    props.insert(props.begin() + 1,
                 EventProp<C, TNotifyEvent>("OnClickCheck", &C::OnClickCheck, &C::SetOnClickCheck));
    return props;
}

} // namespace zel::host
