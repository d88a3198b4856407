#include "zel/qt/QtPasswordDialog.h"

#include "zel/components/Links.h"
#include "zel/components/PasswordCheck.h"
#include "zel/components/UserPassword.h"
#include "zel/host/text/Secret.h"
#include "zel/qt/QtText.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace zel::qt {

namespace {
QLineEdit* SecretEdit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setEchoMode(QLineEdit::Password);
    return edit;
}

// The typed text, and the field emptied.
std::string Take(QLineEdit* edit) {
    std::string text = edit != nullptr ? FromQString(edit->text()) : std::string();
    if (edit != nullptr) {
        edit->clear();
    }
    return text;
}
} // namespace

TQtPasswordDialog::TQtPasswordDialog(host::TDataSet& table, const std::string& userIDField,
                                     const std::string& passwordField, std::string user, bool own,
                                     QWidget* parent)
    : QDialog(parent), table_(&table), userIDField_(userIDField), passwordField_(passwordField),
      user_(std::move(user)), new_(SecretEdit(this, "newPassword")),
      again_(SecretEdit(this, "againPassword")), status_(new QLabel(this)) {
    setObjectName("zelPasswordDialog");
    setWindowTitle(own ? tr("Change my password") : tr("Set password"));
    auto* form = new QFormLayout;
    form->addRow(tr("User:"), new QLabel(ToQString(user_), this));
    if (own) {
        current_ = SecretEdit(this, "currentPassword");
        form->addRow(tr("&Current password:"), current_);
    }
    form->addRow(tr("&New password:"), new_);
    form->addRow(tr("The &same again:"), again_);
    status_->setObjectName("status");
    status_->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { TrySave(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(status_);
    layout->addWidget(buttons);
}

// Why what is typed cannot be stored, or empty when it can. Wipes `current`.
std::string TQtPasswordDialog::Refusal(std::string& current, std::string& typed) {
    std::string again = Take(again_);
    const bool same = again == typed;
    host::WipeSecret(again);
    host::TDataSet* table = table_.Get();
    std::string why;
    if (table == nullptr) {
        why = "The user table is gone";
    } else if (typed.empty()) {
        why = "An empty password is not accepted";
    } else if (!same) {
        why = "The two new passwords differ";
    } else if (!LocateUser(*table, userIDField_, user_)) {
        why = "No user with ID " + user_ + " in the table";
    } else if (current_ != nullptr) {
        const host::TField& stored = table->FieldByName(passwordField_);
        if (stored.IsNull() || stored.AsVariant().IsForeign() ||
            !PasswordMatches(stored.AsString(), current)) {
            why = "The current password is wrong";
        }
    }
    host::WipeSecret(current);
    return why;
}

bool TQtPasswordDialog::TrySave() {
    std::string current = Take(current_);
    std::string typed = Take(new_);
    try {
        if (const std::string why = Refusal(current, typed); !why.empty()) {
            host::WipeSecret(typed);
            status_->setText(ToQString(why + "; nothing was changed."));
            return false;
        }
        StorePassword(*table_.Get(), passwordField_, typed);
    } catch (const std::exception& e) {
        host::WipeSecret(typed);
        status_->setText(ToQString("Not saved: " + std::string(e.what())));
        return false;
    }
    accept();
    return true;
}

} // namespace zel::qt
