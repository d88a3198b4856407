#include "zel/qt/QtNewUserDialog.h"

#include "zel/accessright/AccessRight.h"
#include "zel/components/Links.h"
#include "zel/components/PasswordCheck.h"
#include "zel/host/text/Secret.h"
#include "zel/host/text/StringList.h"
#include "zel/qt/QtRights.h"
#include "zel/qt/QtText.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace zel::qt {

TQtNewUserDialog::TQtNewUserDialog(host::TDataSet& table, const TUserTable& fields,
                                   std::string like, QWidget* parent)
    : QDialog(parent), table_(&table), userIDField_(fields.userIDField),
      passwordField_(fields.passwordField), rightsField_(fields.rightsField),
      like_(std::move(like)), user_(new QLineEdit(this)), new_(new QLineEdit(this)),
      again_(new QLineEdit(this)), status_(new QLabel(this)) {
    setObjectName("zelNewUserDialog");
    setWindowTitle(tr("Add user"));
    user_->setObjectName("userId");
    new_->setObjectName("newPassword");
    again_->setObjectName("againPassword");
    new_->setEchoMode(QLineEdit::Password);
    again_->setEchoMode(QLineEdit::Password);
    auto* form = new QFormLayout;
    form->addRow(tr("&User ID:"), user_);
    form->addRow(tr("&Password:"), new_);
    form->addRow(tr("The &same again:"), again_);
    if (!like_.empty()) {
        likeBox_ = new QCheckBox(tr("With the rights of %1").arg(ToQString(like_)), this);
        likeBox_->setObjectName("like");
        form->addRow(likeBox_);
    }
    status_->setObjectName("status");
    status_->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { TryAdd(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(status_);
    layout->addWidget(buttons);
}

bool TQtNewUserDialog::TryAdd() {
    const std::string user = FromQString(user_->text());
    std::string typed = FromQString(new_->text());
    std::string again = FromQString(again_->text());
    new_->clear();
    again_->clear();
    const bool same = typed == again;
    host::WipeSecret(again);
    std::string hash;
    std::string why;
    try {
        host::TDataSet* table = table_.Get();
        host::TVariant rights(accessright::Write(host::TStringList()));
        if (table == nullptr) {
            why = "The user table is gone";
        } else if (typed.empty()) {
            why = "An empty password is not accepted";
        } else if (!same) {
            why = "The two passwords differ";
        } else if (likeBox_ != nullptr && likeBox_->isChecked() &&
                   !LocateUser(*table, userIDField_, like_)) {
            why = "No user with ID " + like_ + " in the table";
        } else {
            if (likeBox_ != nullptr && likeBox_->isChecked()) {
                rights = table->FieldByName(rightsField_).AsVariant();
            }
            hash = HashPassword(typed);
            if (!table->AppendUnique({{userIDField_, host::TVariant(user)},
                                      {passwordField_, host::TVariant(hash)},
                                      {rightsField_, rights}},
                                     userIDField_)) {
                why = "A user with ID " + user + " exists already";
            }
        }
    } catch (const std::exception& e) {
        why = std::string("Not added: ") + e.what();
    }
    host::WipeSecret(typed);
    host::WipeSecret(hash);
    if (!why.empty()) {
        status_->setText(ToQString(why + "; nothing was changed."));
        return false;
    }
    added_ = user;
    accept();
    return true;
}

} // namespace zel::qt
