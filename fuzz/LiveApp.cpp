#include "LiveApp.h"

#include "zel/accessright/AccessRight.h"
#include "zel/qt/QtActionGate.h"
#include "zel/qt/QtButtons.h"
#include "zel/qt/QtMenuBar.h"

#include <QMenuBar>
#include <QToolButton>

namespace zel::fuzz {

namespace {

std::string RightsOf(const std::vector<std::string>& names) {
    host::TStringList list;
    for (const std::string& name : names) {
        list.Add(name);
    }
    return accessright::Write(list);
}

// The state of one action in words, for the report.
std::string Shows(const QAction& a) {
    QString name = a.objectName();
    if (name.isEmpty() && a.menu() != nullptr) {
        name = a.menu()->objectName();
    }
    return name.toStdString() + (a.isEnabled() ? " enabled" : " disabled") +
           (a.isVisible() ? " shown" : " hidden");
}

} // namespace

LiveApp::LiveApp() : users_("liveapp") {
    window.setObjectName("MainWindow");
    window.menuBar()->setObjectName("menubar");
    auto action = [this](QMenu* menu, const char* name, const char* text) {
        auto* a = new QAction(text, &window);
        a->setObjectName(name);
        if (menu != nullptr) {
            menu->addAction(a);
        }
        actions.push_back(a);
        return a;
    };
    auto menu = [this](const char* name, const char* title) {
        QMenu* m = window.menuBar()->addMenu(title);
        m->setObjectName(name);
        actions.push_back(m->menuAction());
        return m;
    };
    QMenu* file = menu("menuFile", "&File");
    QAction* open = action(file, "actionOpen", "&Open");
    QAction* save = action(file, "actionSave", "&Save");
    action(file, "actionClose", "&Close");
    file->addSeparator();
    action(file, "actionDebug", "<Debug tools"); // a special item: gone at every log-in
    QMenu* edit = menu("menuEdit", "&Edit");
    action(edit, "actionUndo", "&Undo");
    QAction* copy = action(edit, "actionCopy", "&Copy");
    QAction* del = action(edit, "actionDelete", "&Delete");
    QMenu* branch = menu("menuBranch", "&Branch");
    action(branch, "actionBranch", "New &branch...");
    branch->addAction(del); // the same action in a second menu
    publish = action(nullptr, "actionPublish", "&Publish");
    publish->setProperty("zelRight", "mnuPublish");
    toolbar = window.addToolBar("Main");
    toolbar->addAction(open);
    toolbar->addAction(save);
    toolbar->addAction(del);
    toolbar->addAction(publish);
    context = new QMenu(&window);
    context->addAction(copy);
    context->addAction(del);
    UpdateActions();

    users_.Reset(
        {{"admin", "admin",
          RightsOf({"menuFile", "actionOpen", "actionSave", "actionClose", "menuEdit", "actionUndo",
                    "actionCopy", "actionDelete", "menuBranch", "actionBranch", "mnuPublish"})},
         {"clerk", "clerk",
          RightsOf({"menuFile", "actionOpen", "actionSave", "actionClose", "menuEdit", "actionUndo",
                    "actionCopy", "mnuPublish"})},
         {"viewer", "viewer", RightsOf({"menuFile", "actionOpen", "menuEdit", "actionCopy"})}});
    table_ = new host::TSQLiteTable(&form_);
    table_->SetDatabaseName(users_.Uri());
    table_->SetTableName("users");
    table_->Open();
    source_ = new host::TDataSource(&form_);
    source_->SetDataSet(table_);
    rights_ = new TZELRight(&form_);
    rights_->SetDataSource(source_);
    rights_->SetUserIDFieldName("login");
    rights_->SetUserPasswordFieldName("password");
    rights_->SetUserAccessRightFieldName("rights");
    menu_ = qt::AdoptMenuBar(*window.menuBar(), &form_);
    rights_->SetLinkedMainMenu(menu_);
    qt::AdoptRightButtons(window, *rights_);
    editor_ = new TZELMenuCheckListBox(&form_);
    editor_->SetLinkedMainMenu(menu_);
}

LiveApp::~LiveApp() = default;

void LiveApp::Want(QAction* action, bool enabled, bool visible) {
    wishes_[action] = {enabled, visible};
    action->setEnabled(enabled);
    action->setVisible(visible);
}

// What the application's own logic says, set on every action each time, as real
// applications do after every change of their state.
void LiveApp::UpdateActions() {
    auto find = [this](const char* name) { return window.findChild<QAction*>(name); };
    Want(find("actionOpen"), true, true);
    Want(find("actionSave"), open_ && undoable_, true);
    Want(find("actionClose"), open_, true);
    Want(find("actionUndo"), undoable_, true);
    Want(find("actionCopy"), selected_, true);
    Want(find("actionDelete"), selected_, true);
    Want(find("actionBranch"), open_, open_);
    Want(publish, open_, true);
}

void LiveApp::OpenDocument() {
    open_ = true;
    UpdateActions();
}
void LiveApp::CloseDocument() {
    open_ = selected_ = undoable_ = false;
    UpdateActions();
}
void LiveApp::Select(bool selected) {
    selected_ = open_ && selected;
    UpdateActions();
}
void LiveApp::Edit() {
    undoable_ = open_;
    UpdateActions();
}
void LiveApp::Undo() {
    undoable_ = false;
    UpdateActions();
}
void LiveApp::SetEnabled(QAction* action, bool enabled) {
    wishes_[action].enabled = enabled;
    action->setEnabled(enabled);
}
void LiveApp::SetVisible(QAction* action, bool visible) {
    wishes_[action].visible = visible;
    action->setVisible(visible);
}

bool LiveApp::LogIn(const std::string& user, bool hidden) {
    rights_->SetHideDisabledItem(hidden);
    rights_->SetUserID(user);
    rights_->SetUserPassword(user);
    const bool in = rights_->LoadSetting();
    previewing_ = !in && previewing_;
    return in;
}

void LiveApp::Activate() {
    rights_->ActivateSetting();
    previewing_ = false;
}

void LiveApp::Preview(std::size_t row) {
    const int rows = editor_->Items().Count();
    if (rows > 0) {
        editor_->ToggleRow(static_cast<int>(row % static_cast<std::size_t>(rows)));
        previewing_ = true;
    }
}

void LiveApp::FreeItem(std::size_t index) {
    std::vector<const host::TMenuItem*> items;
    CollectItems(menu_->Items(), items);
    if (!items.empty()) {
        const_cast<host::TMenuItem*>(items[index % items.size()])->Free();
    }
}

std::string LiveApp::Check() const {
    // Who set the menu last, and so what each item must allow.
    auto granted = [this](const std::string& n) {
        return previewing_ ? editor_->HasRight(n) : rights_->HasRight(n);
    };
    const bool hide = previewing_ ? editor_->HideDisabledItem() : rights_->HideDisabledItem();
    std::map<const QAction*, const host::TMenuItem*> itemOf;
    std::vector<const host::TMenuItem*> items;
    CollectItems(menu_->Items(), items);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::string& name = items[i]->Name();
        if (name.rfind("generated_", 0) == 0 && !items[i]->IsLine()) {
            return "a second item with a generated name: " + name;
        }
        const QString qname = QString::fromStdString(name);
        const QAction* a = window.findChild<QAction*>(qname);
        if (const QMenu* m = window.findChild<QMenu*>(qname)) {
            a = m->menuAction();
        }
        if (a != nullptr && !itemOf.emplace(a, items[i]).second) {
            return "two items drive " + name;
        }
        if (!items[i]->IsLine() && (items[i]->Enabled() != granted(name) ||
                                    items[i]->Visible() != (granted(name) || !hide))) {
            return "the model of " + name + " is not what the rights give";
        }
    }
    for (const QAction* a : actions) {
        const Wish wish = wishes_.count(a) != 0 ? wishes_.at(a) : Wish{};
        bool allowEnabled = true;
        bool allowVisible = true;
        if (a == publish) {
            allowEnabled = rights_->HasRight("mnuPublish");
            allowVisible = allowEnabled || !rights_->HideDisabledItem();
        } else if (auto found = itemOf.find(a); found != itemOf.end()) {
            allowEnabled = found->second->Enabled();
            allowVisible = found->second->Visible();
        } else {
            allowEnabled = allowVisible = false; // its item is gone
        }
        const bool visible = wish.visible && allowVisible;
        const bool enabled = wish.enabled && allowEnabled && visible;
        if (a->isVisible() != visible || a->isEnabled() != enabled) {
            return Shows(*a) + ": the application wants it " +
                   (wish.enabled ? "enabled" : "disabled") + (wish.visible ? " shown" : " hidden") +
                   ", the rights allow it " + (allowEnabled ? "enabled" : "disabled") +
                   (allowVisible ? " shown" : " hidden");
        }
        const qt::TActionGate* gate = qt::TActionGate::Find(*a);
        if (gate == nullptr) {
            return a->objectName().toStdString() + " has no gate";
        }
        const qt::TActionWish told = gate->Wish();
        if (told.enabled != wish.enabled || told.visible != wish.visible) {
            return "the gate of " + a->objectName().toStdString() +
                   " tells another wish than the application's";
        }
        if (a->isVisible() != visible || a->isEnabled() != enabled) {
            return "asking the gate changed " + Shows(*a);
        }
        if (const QWidget* button = toolbar->widgetForAction(const_cast<QAction*>(a))) {
            if (button->isEnabled() != a->isEnabled()) {
                return "the toolbar button of " + Shows(*a) + " shows another state";
            }
        }
    }
    return {};
}

} // namespace zel::fuzz
