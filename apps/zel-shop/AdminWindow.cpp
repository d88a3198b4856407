#include "AdminWindow.h"

#include "ShopData.h"
#include "ShopWindow.h"
#include "zel/components/Links.h"
#include "zel/host/FormFile.h"
#include "zel/qt/QtCheckList.h"
#include "zel/qt/QtText.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace zel::shop {

AdminWindow::AdminWindow(ShopWindow& shop)
    : QDialog(&shop), shop_(shop),
      form_(host::ReadFormText(FormText("admin"), "admin.dfm", shop.Folder())) {
    setObjectName("AdminWindow");
    setWindowTitle(tr("Users and rights \u2014 %1").arg(qt::ToQString(shop.User())));
    editor_ = dynamic_cast<TZELMenuCheckListBox*>(form_->FindComponent("RightsEditor"));
    users_ = new QListWidget(this);
    users_->setObjectName("users");
    rightsList_ = qt::RenderCheckList(*editor_, this);
    status_ = new QLabel(tr("Rights of users who are logged in elsewhere take effect at their "
                            "next log-in."),
                         this);
    status_->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(this);
    auto add = [&](const QString& text, auto action) {
        QPushButton* b = buttons->addButton(text, QDialogButtonBox::ActionRole);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, action);
    };
    add(tr("&Grant all"), [this] { editor_->GrantAllRight(); });
    add(tr("Re&voke all"), [this] { editor_->RevokeAllRight(); });
    add(tr("&Save"), [this] { Save(); });
    add(tr("&Reload"), [this] { Reload(); });
    add(tr("Restore &my menu"), [this] { shop_.Rights().ActivateSetting(); });
    buttons->addButton(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* lists = new QHBoxLayout;
    lists->addWidget(users_, 1);
    lists->addWidget(rightsList_, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists);
    layout->addWidget(status_);
    layout->addWidget(buttons);
    connect(users_, &QListWidget::currentTextChanged, this,
            [this](const QString& user) { Select(qt::FromQString(user)); });
    FillUsers();
    resize(640, 460);
}

AdminWindow::~AdminWindow() {
    shop_.Rights().ActivateSetting(); // the preview is over: the user's own menu again
}

void AdminWindow::FillUsers() {
    host::TDataSet& table = RequireDataSet(editor_->DataSource(), *editor_);
    const std::string field = shop_.Rights().UserIDFieldName();
    for (table.First(); !table.Eof(); table.Next()) {
        users_->addItem(qt::ToQString(table.FieldByName(field).AsString()));
    }
}

bool AdminWindow::Select(const std::string& user) {
    host::TDataSet& table = RequireDataSet(editor_->DataSource(), *editor_);
    if (!LocateUser(table, shop_.Rights().UserIDFieldName(), user)) {
        return false;
    }
    const QList<QListWidgetItem*> found = users_->findItems(qt::ToQString(user), Qt::MatchExactly);
    if (!found.isEmpty() && users_->currentItem() != found.front()) {
        QSignalBlocker quiet(users_);
        users_->setCurrentItem(found.front());
    }
    return editor_->LoadSetting();
}

bool AdminWindow::Save() {
    editor_->SaveSetting(); // the system's message box tells of a failure
    const std::string cause = editor_->LastErrorText();
    if (cause.empty()) {
        status_->setText(tr("Saved. The rights take effect at the user's next log-in."));
        return true;
    }
    status_->setText(tr("Not saved: %1").arg(qt::ToQString(cause)));
    if (cause == "Record changed by another user") {
        const auto answer = QMessageBox::question(
            this, tr("Rights not saved"),
            tr("Another administrator changed this user's record since you loaded it, so your "
               "changes were not saved and theirs are kept.\n\nCause: %1\n\nReload the record "
               "as it is stored now?")
                .arg(qt::ToQString(cause)));
        if (answer == QMessageBox::Yes) {
            Reload();
        }
    }
    return false;
}

void AdminWindow::Reload() {
    host::TDataSet& table = RequireDataSet(editor_->DataSource(), *editor_);
    table.Refresh();
    editor_->LoadSetting();
}

} // namespace zel::shop
