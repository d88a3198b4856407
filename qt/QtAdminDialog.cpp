#include "zel/qt/QtAdminDialog.h"

#include "ui_QtAdminDialog.h"
#include "zel/components/Links.h"
#include "zel/host/core/Errors.h"
#include "zel/host/data/DataSource.h"
#include "zel/qt/DesignerWidgets.h"
#include "zel/qt/QtNewUserDialog.h"
#include "zel/qt/QtPasswordDialog.h"
#include "zel/qt/QtRights.h"
#include "zel/qt/QtText.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>

namespace zel::qt {

namespace {
std::vector<std::string> Sorted(const host::TStringList& list) {
    std::vector<std::string> names = list.Items();
    std::sort(names.begin(), names.end());
    return names;
}
} // namespace

TQtAdminDialog::TQtAdminDialog(TQtRights& rights, QWidget* parent)
    : QDialog(parent), rights_(rights), form_(std::make_unique<host::TForm>(nullptr)) {
    setObjectName("zelAdminDialog");
    const TZELRight& provider = rights.provider();
    auto* source = new host::TDataSource(form_.get());
    editor_ = new TZELMenuCheckListBox(form_.get());
    editor_->SetDataSource(source);
    editor_->SetUserAccessRightFieldName(provider.UserAccessRightFieldName());
    editor_->SetHideDisabledItem(provider.HideDisabledItem());
    editor_->SetLinkedMainMenu(provider.LinkedMainMenu());

    // The layout is a Designer file whose editor is ZEL's editor widget.
    Ui::AdminDialog ui;
    ui.setupUi(this);
    setWindowTitle(tr("Users and rights \u2014 %1").arg(ToQString(rights.currentUser())));
    filter_ = ui.filter;
    users_ = ui.users;
    rightsList_ = ui.rights;
    ui.rights->adopt(*editor_);
    status_ = ui.status;
    QDialogButtonBox* buttons = ui.buttons;
    auto add = [&](const QString& text, auto action) {
        QPushButton* b = buttons->addButton(text, QDialogButtonBox::ActionRole);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, action);
    };
    add(tr("&Grant all"), [this] { editor_->GrantAllRight(); });
    add(tr("Re&voke all"), [this] { editor_->RevokeAllRight(); });
    add(tr("&Save"), [this] { Save(); });
    add(tr("&Reload"), [this] { Reload(); });
    add(tr("&Add user..."), [this] { AddUser(); });
    add(tr("Re&move user"), [this] { RemoveUser(); });
    add(tr("Set &password..."), [this] { SetPassword(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    try {
        table_ = MakeUserTable(rights.users(), form_.get());
        source->SetDataSet(table_);
        table_->Open();
        FillUsers();
        status_->setText(tr("Rights of users who are logged in elsewhere take effect at their "
                            "next log-in."));
    } catch (const std::exception& e) {
        table_ = nullptr;
        status_->setText(ToQString("Cannot open the user table: " + std::string(e.what())));
    }
    connect(filter_, &QLineEdit::textChanged, this, [this](const QString& t) { ApplyFilter(t); });
    connect(users_, &QListWidget::currentTextChanged, this, [this](const QString& user) {
        if (!user.isEmpty() && FromQString(user) != selected_ && !Select(FromQString(user))) {
            ShowSelected(); // kept where it was
        }
    });
}

TQtAdminDialog::~TQtAdminDialog() {
    rights_.provider().ActivateSetting(); // the preview is over: the administrator's menu
}

void TQtAdminDialog::FillUsers() {
    users_->clear();
    const std::string& field = rights_.users().userIDField;
    for (table_->First(); !table_->Eof(); table_->Next()) {
        users_->addItem(ToQString(table_->FieldByName(field).AsString()));
    }
}

void TQtAdminDialog::ApplyFilter(const QString& text) {
    for (int i = 0; i < users_->count(); ++i) {
        QListWidgetItem* item = users_->item(i);
        item->setHidden(!item->text().contains(text, Qt::CaseInsensitive));
    }
}

void TQtAdminDialog::ShowSelected() {
    const QSignalBlocker quiet(users_);
    const QList<QListWidgetItem*> found =
        selected_.empty() ? QList<QListWidgetItem*>()
                          : users_->findItems(ToQString(selected_), Qt::MatchExactly);
    users_->setCurrentItem(found.isEmpty() ? nullptr : found.front());
}

bool TQtAdminDialog::Unsaved() const {
    return !selected_.empty() && Sorted(editor_->Granted()) != loaded_;
}

bool TQtAdminDialog::MayLeave() {
    if (!Unsaved()) {
        return true;
    }
    const auto answer = QMessageBox::question(
        this, tr("Unsaved rights"),
        tr("The rights of %1 have changes that are not saved.").arg(ToQString(selected_)),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Save) {
        return Save();
    }
    return answer == QMessageBox::Discard;
}

bool TQtAdminDialog::Select(const std::string& user) {
    if (table_ == nullptr || !MayLeave()) {
        return false;
    }
    if (!LocateUser(*table_, rights_.users().userIDField, user)) {
        status_->setText(tr("No user with ID %1 in the table.").arg(ToQString(user)));
        return false;
    }
    selected_ = user;
    ShowSelected();
    Loaded();
    return true;
}

void TQtAdminDialog::Loaded() {
    if (!editor_->LoadSetting()) { // the system's message box said why
        status_->setText(ToQString("Not loaded: " + editor_->LastErrorText()));
    }
    loaded_ = Sorted(editor_->Granted());
}

bool TQtAdminDialog::Save() {
    if (selected_.empty()) {
        return false;
    }
    editor_->SaveSetting(); // the system's message box tells of a failure
    const std::string cause = editor_->LastErrorText();
    if (cause.empty()) {
        loaded_ = Sorted(editor_->Granted());
        status_->setText(tr("Saved. The rights take effect at the user's next log-in."));
        return true;
    }
    status_->setText(tr("Not saved: %1").arg(ToQString(cause)));
    if (cause == "Record changed by another user") {
        const auto answer = QMessageBox::question(
            this, tr("Rights not saved"),
            tr("Another administrator changed this user's record since you loaded it, so your "
               "changes were not saved and theirs are kept.\n\nCause: %1\n\nReload the record "
               "as it is stored now?")
                .arg(ToQString(cause)));
        if (answer == QMessageBox::Yes) {
            Reload();
        }
    }
    return false;
}

void TQtAdminDialog::Reload() {
    if (table_ == nullptr || selected_.empty()) {
        return;
    }
    table_->Refresh();
    if (!LocateUser(*table_, rights_.users().userIDField, selected_)) {
        status_->setText(tr("%1 is no longer in the table.").arg(ToQString(selected_)));
        selected_.clear();
        return;
    }
    Loaded();
}

bool TQtAdminDialog::SetPassword() {
    if (table_ == nullptr || selected_.empty()) {
        return false;
    }
    const TUserTable& f = rights_.users();
    TQtPasswordDialog dialog(*table_, f.userIDField, f.passwordField, selected_, false, this);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    status_->setText(tr("Saved a new password for %1.").arg(ToQString(selected_)));
    return true;
}

bool TQtAdminDialog::AddUser() {
    if (table_ == nullptr || !MayLeave()) {
        return false;
    }
    TQtNewUserDialog dialog(*table_, rights_.users(), selected_, this);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    {
        const QSignalBlocker quiet(users_);
        table_->Refresh();
        FillUsers();
        ApplyFilter(filter_->text());
    }
    selected_.clear(); // nothing unsaved: the new user is shown as stored
    Select(dialog.Added());
    status_->setText(tr("Added %1.").arg(ToQString(dialog.Added())));
    return true;
}

bool TQtAdminDialog::RemoveUser() {
    if (table_ == nullptr || selected_.empty()) {
        return false;
    }
    const auto answer =
        QMessageBox::question(this, tr("Remove user"),
                              tr("Remove the user %1 and their rights?").arg(ToQString(selected_)),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes) {
        return false;
    }
    const std::string user = selected_;
    try {
        if (!LocateUser(*table_, rights_.users().userIDField, user)) {
            throw host::EDatabaseError("No user with ID " + user + " in the table");
        }
        table_->Delete(); // the record as read: one changed meanwhile is kept, and said so
    } catch (const std::exception& e) {
        status_->setText(ToQString("Not removed: " + std::string(e.what())));
        return false;
    }
    selected_.clear();
    {
        const QSignalBlocker quiet(users_);
        table_->Refresh();
        FillUsers();
        ApplyFilter(filter_->text());
    }
    rights_.provider().ActivateSetting(); // no one's preview is left on the menu
    status_->setText(tr("Removed %1.").arg(ToQString(user)));
    return true;
}

void TQtAdminDialog::done(int result) {
    if (!MayLeave()) {
        return;
    }
    QDialog::done(result);
    rights_.provider().ActivateSetting();
}

} // namespace zel::qt
