#include "zel/qt/QtLoginDialog.h"

#include "zel/host/text/Secret.h"
#include "zel/qt/QtText.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace zel::qt {

namespace {
constexpr int kLongestDelay = 30000;

} // namespace

TQtLoginDialog::TQtLoginDialog(TZELRight& provider, QWidget* parent)
    : QDialog(parent), provider_(&provider), user_(new QLineEdit(this)),
      password_(new QLineEdit(this)), ok_(nullptr), status_(new QLabel(this)),
      timer_(new QTimer(this)) {
    setObjectName("zelLoginDialog");
    setWindowTitle(tr("Log in"));
    user_->setObjectName("userId");
    password_->setObjectName("password");
    password_->setEchoMode(QLineEdit::Password);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    auto* form = new QFormLayout;
    form->addRow(tr("&User ID:"), user_);
    form->addRow(tr("&Password:"), password_);
    auto* layout = new QVBoxLayout(this);
    // The dialog grows with its message, which wraps inside it at any length.
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    layout->addLayout(form);
    layout->addWidget(status_);
    layout->addWidget(buttons);
    status_->setObjectName("status");
    status_->setWordWrap(true);
    // Room for the longest message on two lines, so that it never crowds the rows above.
    status_->setMinimumWidth(status_->fontMetrics().horizontalAdvance(
                                 tr("Log-in refused. Wait 30 seconds before the next attempt.")) /
                                 2 +
                             8);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { TryLogIn(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    timer_->setInterval(1000);
    connect(timer_, &QTimer::timeout, this, [this] { Tick(); });
    user_->setText(ToQString(provider.UserID()));
}

bool TQtLoginDialog::Waiting() const {
    return timer_->isActive();
}

bool TQtLoginDialog::TryLogIn() {
    TZELRight* provider = provider_.Get();
    if (provider == nullptr || Waiting()) {
        return false;
    }
    std::string password = FromQString(password_->text());
    provider->SetUserID(FromQString(user_->text()));
    provider->SetUserPassword(password);
    host::WipeSecret(password);
    const bool ok = provider->LoadSetting(); // shows the system's message on a refusal
    // The password has done its work: nothing of it stays in the provider or the field.
    std::string held = provider->UserPassword();
    provider->SetUserPassword(std::string());
    host::WipeSecret(held);
    password_->clear();
    if (ok) {
        accept();
        return true;
    }
    StartWait();
    return false;
}

void TQtLoginDialog::StartWait() {
    remaining_ = delay_;
    delay_ = std::min(delay_ * 2, kLongestDelay);
    ok_->setEnabled(false);
    Tick();
    timer_->start();
}

void TQtLoginDialog::Tick() {
    if (remaining_ <= 0) {
        timer_->stop();
        ok_->setEnabled(true);
        status_->setText(tr("You may try again."));
        layout()->activate();
        password_->setFocus();
        return;
    }
    const int seconds = (remaining_ + 999) / 1000;
    status_->setText(
        seconds == 1 ? tr("Log-in refused. Wait 1 second before the next attempt.")
                     : tr("Log-in refused. Wait %1 seconds before the next attempt.").arg(seconds));
    layout()->activate(); // the dialog's size follows the message at once, not later
    remaining_ -= 1000;
}

} // namespace zel::qt
