#include "zel/components/ZELRight.h"

#include "zel/accessright/AccessRight.h"
#include "zel/components/Links.h"
#include "zel/components/MenuWalk.h"
#include "zel/components/PasswordCheck.h"
#include "zel/components/RightsWalk.h"
#include "zel/host/core/Errors.h"
#include "zel/host/packages/Palette.h"

#include <vector>

namespace zel {

using namespace host;

const TClassInfo& TZELRight::StaticClass() {
    using C = TZELRight;
    static const TClassInfo info{
        "TZELRight",
        &TComponent::StaticClass(),
        [](TComponent* owner) -> TComponent* { return new TZELRight(owner); },
        {
            ComponentProp<C, TDataSource>("DataSource", &C::DataSource, &C::SetDataSource),
            BoolProp<C>("HideDisabledItem", &C::HideDisabledItem, &C::SetHideDisabledItem, false),
            ComponentProp<C, TMainMenu>("LinkedMainMenu", &C::LinkedMainMenu,
                                        &C::SetLinkedMainMenu),
            StringProp<C>("UserAccessRightFieldName", &C::UserAccessRightFieldName,
                          &C::SetUserAccessRightFieldName),
            StringProp<C>("UserID", &C::UserID, &C::SetUserID),
            StringProp<C>("UserIDFieldName", &C::UserIDFieldName, &C::SetUserIDFieldName),
            StringProp<C>("UserPassword", &C::UserPassword, &C::SetUserPassword),
            StringProp<C>("UserPasswordFieldName", &C::UserPasswordFieldName,
                          &C::SetUserPasswordFieldName),
        }};
    return info;
}

TZELRight::TZELRight(TComponent* owner) : TComponent(owner) {
    AutoInitialize();
}

TZELRight::~TZELRight() {
    AutoDestroy();
}

void TZELRight::AutoInitialize() {
    authorisedMenuItems_ = std::make_unique<TStringList>();
    dataSource_.Set(nullptr);
    hideDisabledItem_ = false;
    linkedMainMenu_.Set(nullptr);
}

void TZELRight::AutoDestroy() {
    authorisedMenuItems_.reset();
}

void TZELRight::SetDataSource(TDataSource* value) {
    if (value != nullptr) {
        dataSource_.Set(value);
    }
}

void TZELRight::SetLinkedMainMenu(TMainMenu* value) {
    linkedMainMenu_.Set(value);
}

void TZELRight::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation); // the links clear themselves
}

void TZELRight::Loaded() {
    TComponent::Loaded();
}

bool TZELRight::HasRight(const std::string& name) const {
    return authorisedMenuItems_->Contains(name);
}

void TZELRight::ActivateSetting() {
    try {
        FreeSpecialItems();
        ActivateSettingForSubMenu(&RequireMenuRoot(linkedMainMenu_, *this));
    } catch (...) {
        changes_.Emit({TChangeKind::Imposed});
        throw;
    }
    changes_.Emit({TChangeKind::Imposed});
}

void TZELRight::ActivateSettingForSubMenu(TMenuItem* item) {
    ApplyRightsWalk(*item, *authorisedMenuItems_, hideDisabledItem_);
}

void TZELRight::FreeSpecialItems() {
    FreeSpecialItemsForSubMenu(&RequireMenuRoot(linkedMainMenu_, *this));
}

void TZELRight::FreeSpecialItemsForSubMenu(TMenuItem* item) {
    WalkMenu(*item, [](TMenuItem& child, int) {
        const std::string& caption = child.Caption();
        if (!caption.empty() && caption[0] == '<') {
            child.Free();
            return TMenuStep::kFreed;
        }
        return TMenuStep::kNext;
    });
}

bool TZELRight::LoadSetting() {
    const char* failure = nullptr;
    bool passwordMatched = false;
    lastErrorText_.clear();
    try {
        TDataSet& table = RequireDataSet(dataSource_, *this);
        // The first record whose user ID reads as UserID; a record without a user ID is
        // nobody's and is never reachable as "".
        const bool found = LocateUser(table, userIDFieldName_, userID_);
        const TField* password = found ? &table.FieldByName(userPasswordFieldName_) : nullptr;
        if (!found) {
            failure = "Invalid user ID!";
        } else if (password->IsNull() || password->AsVariant().IsForeign() ||
                   !PasswordMatches(password->AsString(), userPassword_)) {
            failure = "Invalid password!";
        } else {
            passwordMatched = true;
            authorisedMenuItems_->Clear();
            std::string rights = RightsText(table.FieldByName(userAccessRightFieldName_));
            accessright::Read(
                rights, [this](const std::string& token) { authorisedMenuItems_->Add(token); });
            ActivateSetting();
        }
    } catch (...) {
        failure = "Cannot load setting due to error!";
        lastErrorText_ = CaughtErrorText();
        if (passwordMatched) {
            // Never leave a half-loaded user's rights in force: impose nothing granted.
            authorisedMenuItems_->Clear();
            try {
                if (linkedMainMenu_ != nullptr) {
                    ActivateSetting();
                } else {
                    changes_.Emit({TChangeKind::Imposed}); // what follows the list still must
                }
            } catch (...) { // best effort: the failure is already being reported
            }
        }
    }
    if (failure != nullptr) {
        ShowMessage(failure);
        return false;
    }
    return true;
}

namespace ZELRight {
void Register() {
    RegisterComponents("ZEL", {&TZELRight::StaticClass()});
}
} // namespace ZELRight

} // namespace zel
