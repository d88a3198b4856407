#pragma once
// TZELRight: the rights provider. It holds the logged-in user's granted right names,
// logs users in against the user table (LoadSetting) and imposes the rights on the linked
// main menu (ActivateSetting): granted items are enabled, the others disabled and, with
// HideDisabledItem, hidden; items whose caption begins with "<" are destroyed first.

#include "zel/host/core/ChangeSignal.h"
#include "zel/host/core/Component.h"
#include "zel/host/core/ComponentLink.h"
#include "zel/host/data/DataSource.h"
#include "zel/host/text/StringList.h"
#include "zel/host/ui/Menus.h"

#include <memory>
#include <string>

namespace zel {

class TZELRight : public host::TComponent {
public:
    explicit TZELRight(host::TComponent* owner);
    ~TZELRight() override;

    static const host::TClassInfo& StaticClass();
    const host::TClassInfo& Class() const override { return StaticClass(); }

    // Published properties.
    host::TDataSource* DataSource() const { return dataSource_; }
    /// Links a data source; none is ignored (the previous one stays linked).
    void SetDataSource(host::TDataSource* value);
    bool HideDisabledItem() const { return hideDisabledItem_; }
    void SetHideDisabledItem(bool value) { hideDisabledItem_ = value; }
    host::TMainMenu* LinkedMainMenu() const { return linkedMainMenu_; }
    /// Links a menu; none unlinks it.
    void SetLinkedMainMenu(host::TMainMenu* value);
    const std::string& UserAccessRightFieldName() const { return userAccessRightFieldName_; }
    void SetUserAccessRightFieldName(const std::string& v) { userAccessRightFieldName_ = v; }
    const std::string& UserID() const { return userID_; }
    void SetUserID(const std::string& v) { userID_ = v; }
    const std::string& UserIDFieldName() const { return userIDFieldName_; }
    void SetUserIDFieldName(const std::string& v) { userIDFieldName_ = v; }
    const std::string& UserPassword() const { return userPassword_; }
    void SetUserPassword(const std::string& v) { userPassword_ = v; }
    const std::string& UserPasswordFieldName() const { return userPasswordFieldName_; }
    void SetUserPasswordFieldName(const std::string& v) { userPasswordFieldName_ = v; }

    /// Logs UserID in with UserPassword: finds the first record whose user ID field equals
    /// UserID, checks the password, fills the granted list from the access-right field and
    /// imposes it on the menu. Never raises; a failure shows one message and returns false.
    /// A user ID or password field holding NULL matches nothing, not even empty text. A
    /// password field holding an Argon2id hash is verified against it; any other value is
    /// compared as text (PasswordCheck.h).
    bool LoadSetting();
    /// Destroys special items, then imposes the granted list on the linked menu. Raises
    /// EMenuError when no menu is linked. Observers hear TChangeKind::Imposed after every
    /// call, failed ones included, since the granted list may have changed before it.
    void ActivateSetting();
    /// Observes ActivateSetting, for what follows the rights outside the menu (actions
    /// guarded by a right on a Qt window).
    [[nodiscard]] host::TConnection Subscribe(host::TChangeHandler handler) {
        return changes_.Subscribe(std::move(handler));
    }
    /// Whether `name` is granted (letter case ignored).
    bool HasRight(const std::string& name) const;
    /// Why the last LoadSetting failed: the text of the error it caught, or empty when it
    /// caught none (it succeeded, or refused the user ID or password).
    const std::string& LastErrorText() const { return lastErrorText_; }
    /// The live granted list; callers may change it and then call ActivateSetting.
    host::TStringList* GetAuthorisedMenuItems() { return authorisedMenuItems_.get(); }

    void Loaded() override;

protected:
    void Notification(host::TComponent* component, host::TOperation operation) override;

private:
    void AutoInitialize();
    void AutoDestroy();
    void ActivateSettingForSubMenu(host::TMenuItem* item);
    void FreeSpecialItems();
    void FreeSpecialItemsForSubMenu(host::TMenuItem* item);

    std::unique_ptr<host::TStringList> authorisedMenuItems_;
    host::TComponentLink<host::TDataSource> dataSource_; // clears itself
    bool hideDisabledItem_ = false;
    host::TComponentLink<host::TMainMenu> linkedMainMenu_; // clears itself
    std::string userAccessRightFieldName_;
    std::string userID_;
    std::string userIDFieldName_;
    std::string userPassword_;
    std::string userPasswordFieldName_;
    std::string lastErrorText_;
    host::TChangeSignal changes_;
};

namespace ZELRight {
/// Puts TZELRight on the palette page "ZEL".
void Register();
} // namespace ZELRight

} // namespace zel
