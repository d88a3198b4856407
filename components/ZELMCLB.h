#pragma once
// TZELMenuCheckListBox: the rights editor. It shows the linked main menu as an indented
// tree of check-box rows, one per item that is not a separator; a checked row grants the
// right named by that item's Name. Checking a row also checks its subtree and its
// ancestors, unchecking clears its subtree, and every change is previewed on the live
// menu. LoadSetting shows the rights of the dataset's current record; SaveSetting writes
// the granted names back into it as an access-right string.

#include "zel/host/core/ComponentLink.h"
#include "zel/host/data/DataSource.h"
#include "zel/host/text/StringList.h"
#include "zel/host/ui/CheckLst.h"
#include "zel/host/ui/Menus.h"

#include <memory>
#include <string>
#include <vector>

namespace zel {

class TZELMenuCheckListBox : public host::TCheckListBox {
public:
    explicit TZELMenuCheckListBox(host::TComponent* owner);
    ~TZELMenuCheckListBox() override;

    static const host::TClassInfo& StaticClass();
    const host::TClassInfo& Class() const override { return StaticClass(); }

    // Published properties.
    host::TDataSource* DataSource() const { return dataSource_; }
    /// Links a data source; none is ignored (the previous one stays linked).
    void SetDataSource(host::TDataSource* value);
    bool HideDisabledItem() const { return hideDisabledItem_; }
    void SetHideDisabledItem(bool value) { hideDisabledItem_ = value; }
    host::TMainMenu* LinkedMainMenu() const { return linkedMainMenu_; }
    /// A menu: link it and rebuild the rows. None: empty the rows, keep the link.
    void SetLinkedMainMenu(host::TMainMenu* value);
    const std::string& UserAccessRightFieldName() const { return userAccessRightFieldName_; }
    void SetUserAccessRightFieldName(const std::string& v) { userAccessRightFieldName_ = v; }

    /// Shows the current record's rights: exactly the rows the record names are checked,
    /// and the granted list holds those names, once each, in the record's order. Never
    /// raises; a failure shows one message and returns false.
    bool LoadSetting();
    /// Writes the granted list into the current record. Never raises; a failure shows one
    /// message and leaves the record as it was. An edit that the application had begun
    /// before is left in edit mode with its values; one this call began is cancelled.
    void SaveSetting();
    /// Why the last LoadSetting or SaveSetting failed: the text of the error it caught, or
    /// empty when it succeeded.
    const std::string& LastErrorText() const { return lastErrorText_; }
    /// Checks every row and grants its name, then previews.
    void GrantAllRight();
    /// Unchecks every row and revokes its name, then previews.
    void RevokeAllRight();
    /// Rebuilds the rows from the linked menu (nothing happens with none linked). A rebuilt
    /// row starts checked when its name is granted; names without a row are dropped.
    void SetupAccessRight();
    /// Whether `name` is granted in the editor (letter case ignored).
    bool HasRight(const std::string& name) const;

    /// The menu item name shown in each row, by row index.
    const host::TStringList& MenuItemNames() const { return *menuItemNames_; }
    /// The nesting level of each row's menu item (0 for the menu bar).
    int RowLevel(int row) const;
    /// The granted names, in the order they were granted.
    const host::TStringList& Granted() const { return *authorisedMenuItems_; }

    /// `text` without any `ch`.
    static std::string StrStripCh(const std::string& text, char ch);
    /// How many spaces `text` starts with.
    static int CountLeadingSpace(const std::string& text);

    void Loaded() override;
    void KeyPress(char& key) override;

protected:
    void Notification(host::TComponent* component, host::TOperation operation) override;
    void ClickCheck() override;

private:
    void AutoInitialize();
    void AutoDestroy();
    void PrepareMenuData();
    void PrepareDataForSubMenu(host::TMenuItem* item, int level);
    void AddRow(const host::TMenuItem& item, int level);
    /// Gives the subtree of the clicked row its check; `revoked` go with the subtree's.
    void SyncSubTree(std::vector<std::string> revoked);
    void BridgeRoute(int index);
    void ActivateSetting();
    void ActivateSettingForSubMenu(host::TMenuItem* item);
    void Grant(const std::string& name);
    void RevokeAll(const std::vector<std::string>& names);
    void ClearRows();

    std::unique_ptr<host::TStringList> authorisedMenuItems_;
    host::TComponentLink<host::TDataSource> dataSource_; // clears itself
    bool hideDisabledItem_ = true;
    host::TComponentLink<host::TMainMenu> linkedMainMenu_; // clears itself
    std::unique_ptr<host::TStringList> menuItemNames_;
    std::string userAccessRightFieldName_;
    // The real nesting level of each row, kept when the row is built: the depth used by
    // propagation, whatever the row text looks like.
    std::vector<int> rowLevels_;
    std::string lastErrorText_;
};

namespace ZELMCLB {
/// Puts TZELMenuCheckListBox on the palette page "ZEL".
void Register();
} // namespace ZELMCLB

} // namespace zel
