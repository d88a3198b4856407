#include "zel/components/ZELMCLB.h"

#include "zel/accessright/AccessRight.h"
#include "zel/components/Links.h"
#include "zel/components/MenuWalk.h"
#include "zel/components/RightsWalk.h"
#include "zel/host/core/CaseFold.h"
#include "zel/host/packages/Palette.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace zel {

using namespace host;

namespace {
// Row indentation: two spaces a level, at most this many.
const std::string kIndent(18, ' ');
} // namespace

const TClassInfo& TZELMenuCheckListBox::StaticClass() {
    using C = TZELMenuCheckListBox;
    static const TClassInfo info{
        "TZELMenuCheckListBox", &TCheckListBox::StaticClass(),
        [](TComponent* owner) -> TComponent* { return new TZELMenuCheckListBox(owner); },
        [] {
            std::vector<TPropInfo> props = CheckListBoxEventProps<C>();
            props.push_back(
                ComponentProp<C, TDataSource>("DataSource", &C::DataSource, &C::SetDataSource));
            props.push_back(BoolProp<C>("HideDisabledItem", &C::HideDisabledItem,
                                        &C::SetHideDisabledItem, true));
            props.push_back(ComponentProp<C, TMainMenu>("LinkedMainMenu", &C::LinkedMainMenu,
                                                        &C::SetLinkedMainMenu));
            props.push_back(StringProp<C>("UserAccessRightFieldName", &C::UserAccessRightFieldName,
                                          &C::SetUserAccessRightFieldName));
            return props;
        }()};
    return info;
}

TZELMenuCheckListBox::TZELMenuCheckListBox(TComponent* owner) : TCheckListBox(owner) {
    AutoInitialize();
}

TZELMenuCheckListBox::~TZELMenuCheckListBox() {
    AutoDestroy();
}

void TZELMenuCheckListBox::AutoInitialize() {
    authorisedMenuItems_ = std::make_unique<TStringList>();
    dataSource_.Set(nullptr);
    hideDisabledItem_ = true;
    linkedMainMenu_.Set(nullptr);
    menuItemNames_ = std::make_unique<TStringList>();
}

void TZELMenuCheckListBox::AutoDestroy() {
    authorisedMenuItems_.reset();
    menuItemNames_.reset();
}

void TZELMenuCheckListBox::SetDataSource(TDataSource* value) {
    if (value != nullptr) {
        dataSource_.Set(value);
    }
}

void TZELMenuCheckListBox::SetLinkedMainMenu(TMainMenu* value) {
    if (value != nullptr) {
        linkedMainMenu_.Set(value);
        SetupAccessRight();
    } else {
        ClearRows(); // the link itself stays, so a later rebuild uses it again
    }
}

void TZELMenuCheckListBox::Notification(TComponent* component, TOperation operation) {
    // The links clear themselves; the rows of a menu that went stay as they are.
    TCheckListBox::Notification(component, operation);
}

void TZELMenuCheckListBox::Loaded() {
    TCheckListBox::Loaded();
    SetupAccessRight();
}

void TZELMenuCheckListBox::KeyPress(char& key) {
    TCheckListBox::KeyPress(key);
}

bool TZELMenuCheckListBox::HasRight(const std::string& name) const {
    return authorisedMenuItems_->Contains(name);
}

int TZELMenuCheckListBox::RowLevel(int row) const {
    Checked(row); // raises for a row that does not exist
    return rowLevels_[static_cast<std::size_t>(row)];
}

std::string TZELMenuCheckListBox::StrStripCh(const std::string& text, char ch) {
    std::string out;
    out.reserve(text.size());
    std::copy_if(text.begin(), text.end(), std::back_inserter(out),
                 [ch](char c) { return c != ch; });
    return out;
}

int TZELMenuCheckListBox::CountLeadingSpace(const std::string& text) {
    auto first = text.find_first_not_of(' ');
    return static_cast<int>(first == std::string::npos ? text.size() : first);
}

// ---- Rows -------------------------------------------------------------------------------

void TZELMenuCheckListBox::ClearRows() {
    menuItemNames_->Clear();
    Items().Clear();
    rowLevels_.clear();
}

void TZELMenuCheckListBox::SetupAccessRight() {
    PrepareMenuData();
}

void TZELMenuCheckListBox::PrepareMenuData() {
    if (linkedMainMenu_ == nullptr || linkedMainMenu_->Items() == nullptr) {
        return;
    }
    ClearRows();
    PrepareDataForSubMenu(linkedMainMenu_->Items(), 0);
    // Keep what is shown and what is saved the same: rows of granted names start checked,
    // and names that no longer have a row leave the list.
    for (int i = 0; i < Count(); ++i) {
        if (HasRight(menuItemNames_->Strings(i))) {
            SetChecked(i, true);
        }
    }
    std::vector<std::string> kept;
    for (const std::string& name : authorisedMenuItems_->Items()) {
        if (menuItemNames_->Contains(name)) {
            kept.push_back(name);
        }
    }
    if (kept.size() != static_cast<std::size_t>(authorisedMenuItems_->Count())) {
        authorisedMenuItems_->Clear();
        for (const auto& name : kept) {
            authorisedMenuItems_->Add(name);
        }
    }
}

void TZELMenuCheckListBox::PrepareDataForSubMenu(TMenuItem* item, int level) {
    WalkMenu(*item, [&](TMenuItem& child, int depth) {
        if (!child.IsLine()) {
            AddRow(child, level + depth);
        }
        return TMenuStep::kNext;
    });
}

void TZELMenuCheckListBox::AddRow(const TMenuItem& item, int level) {
    const std::size_t indent =
        std::min<std::size_t>(static_cast<std::size_t>(level) * 2, kIndent.size());
    Items().Add(StrStripCh(kIndent.substr(0, indent) + item.Caption(), '&'));
    menuItemNames_->Add(item.Name());
    rowLevels_.push_back(level);
}

// ---- Propagation --------------------------------------------------------------------------

void TZELMenuCheckListBox::Grant(const std::string& name) {
    if (!HasRight(name)) {
        authorisedMenuItems_->Add(name);
    }
}

void TZELMenuCheckListBox::RevokeAll(const std::vector<std::string>& names) {
    // One pass instead of a search and a shift per name: each name removes the first entry
    // still matching it, exactly as revoking the names one after another would.
    if (names.empty()) {
        return;
    }
    std::unordered_map<std::string_view, int, TFoldedHash, TFoldedEqual> pending;
    for (const auto& n : names) {
        ++pending[n];
    }
    std::vector<int> removed;
    const std::vector<std::string>& entries = authorisedMenuItems_->Items();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        auto it = pending.find(entries[i]);
        if (it != pending.end() && it->second > 0) {
            --it->second;
            removed.push_back(static_cast<int>(i));
        }
    }
    authorisedMenuItems_->DeleteMany(removed);
}

void TZELMenuCheckListBox::ClickCheck() {
    TCheckListBox::ClickCheck(); // OnClickCheck sees the list as it was
    const int r = ItemIndex();
    if (Count() == 0 || r < 0 || r >= Count()) {
        return;
    }
    const std::string& name = menuItemNames_->Strings(r);
    if (Checked(r)) {
        Grant(name); // guarded: a right is never granted twice
        SyncSubTree({});
    } else {
        SyncSubTree({name}); // revoked in the one pass that revokes its subtree
    }
    BridgeRoute(r);
    ActivateSetting();
}

void TZELMenuCheckListBox::SyncSubTree(std::vector<std::string> revoked) {
    const int r = ItemIndex();
    const int d = rowLevels_[static_cast<std::size_t>(r)];
    const bool checked = Checked(r);
    for (int j = r + 1; j < Count() && rowLevels_[static_cast<std::size_t>(j)] > d; ++j) {
        SetChecked(j, checked);
        if (checked) {
            Grant(menuItemNames_->Strings(j));
        } else {
            revoked.push_back(menuItemNames_->Strings(j));
        }
    }
    RevokeAll(revoked);
}

void TZELMenuCheckListBox::BridgeRoute(int index) {
    if (!Checked(index)) {
        return;
    }
    int d = rowLevels_[static_cast<std::size_t>(index)];
    for (int j = index - 1; d > 0 && j >= 0; --j) {
        if (rowLevels_[static_cast<std::size_t>(j)] < d) {
            SetChecked(j, true);
            Grant(menuItemNames_->Strings(j));
            d = rowLevels_[static_cast<std::size_t>(j)];
        }
    }
}

void TZELMenuCheckListBox::GrantAllRight() {
    for (int i = 0; i < Count(); ++i) {
        if (!Checked(i)) {
            SetChecked(i, true);
            Grant(menuItemNames_->Strings(i));
        }
    }
    ActivateSetting();
}

void TZELMenuCheckListBox::RevokeAllRight() {
    std::vector<std::string> revoked;
    for (int i = 0; i < Count(); ++i) {
        if (Checked(i)) {
            SetChecked(i, false);
            revoked.push_back(menuItemNames_->Strings(i));
        }
    }
    RevokeAll(revoked);
    ActivateSetting();
}

void TZELMenuCheckListBox::ActivateSetting() {
    ActivateSettingForSubMenu(&RequireMenuRoot(linkedMainMenu_, *this));
}

void TZELMenuCheckListBox::ActivateSettingForSubMenu(TMenuItem* item) {
    ApplyRightsWalk(*item, *authorisedMenuItems_, hideDisabledItem_);
}

// ---- The user record ---------------------------------------------------------------------

bool TZELMenuCheckListBox::LoadSetting() {
    lastErrorText_.clear();
    try {
        TDataSet& table = RequireDataSet(dataSource_, *this);
        const std::string rights = RightsText(table.FieldByName(userAccessRightFieldName_));
        // Load exactly the record: nothing of an earlier user or earlier grants survives.
        // The list is emptied, so unchecking the rows is the whole revoke; the preview at the
        // end covers the menu, and without one the load fails here, before any row is loaded.
        authorisedMenuItems_->Clear();
        for (int i = 0; i < Count(); ++i) {
            SetChecked(i, false);
        }
        RequireMenuRoot(linkedMainMenu_, *this);
        accessright::Read(rights, [this](const std::string& token) {
            const int row = menuItemNames_->IndexOf(token);
            if (row >= 0 && !HasRight(token)) {
                SetChecked(row, true);
                authorisedMenuItems_->Add(token);
            }
        });
        ActivateSetting();
        return true;
    } catch (...) {
        lastErrorText_ = CaughtErrorText();
        ShowMessage("Cannot load setting due to error!");
        return false;
    }
}

void TZELMenuCheckListBox::SaveSetting() {
    const std::string rights = accessright::Write(*authorisedMenuItems_);
    TDataSet* began = nullptr; // the table, when this call put it into edit mode
    lastErrorText_.clear();
    try {
        TDataSet& t = RequireDataSet(dataSource_, *this);
        const bool editing = t.Active() && t.State() == dsEdit;
        t.Edit();
        began = editing ? nullptr : &t;
        t.FieldByName(userAccessRightFieldName_).SetAsVariant(TVariant(rights));
        t.Post();
    } catch (...) {
        lastErrorText_ = CaughtErrorText();
        if (began != nullptr) {
            // Never leave our own edit half-done; the application's own stays as it was.
            try {
                began->Cancel();
            } catch (...) { // the failure is reported below
            }
        }
        ShowMessage("Cannot save setting due to error!");
    }
}

namespace ZELMCLB {
void Register() {
    RegisterComponents("ZEL", {&TZELMenuCheckListBox::StaticClass()});
}
} // namespace ZELMCLB

} // namespace zel
