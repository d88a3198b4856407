#pragma once
// The log-in dialog over a rights provider: a user ID, a password without echo, OK and
// Cancel. OK sets UserID and UserPassword and runs LoadSetting; the provider shows the
// system's message box on a refusal, the dialog then stays open with the password cleared,
// and the password is wiped from the provider after every attempt. Cancel (or Escape)
// rejects. After a refusal the dialog waits before it takes another attempt: one second,
// doubling up to 30 seconds, and it says so. Nothing of this is stored, so a new dialog (or
// a restart) begins again at one second.

#include "zel/components/ZELRight.h"
#include "zel/qt/ComponentLink.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace zel::qt {

class TQtLoginDialog : public QDialog {
public:
    explicit TQtLoginDialog(TZELRight& provider, QWidget* parent = nullptr);

    QLineEdit* UserIdEdit() const { return user_; }
    QLineEdit* PasswordEdit() const { return password_; }
    QPushButton* OkButton() const { return ok_; }
    /// How long the dialog waits after the next refusal, in milliseconds.
    int NextDelay() const { return delay_; }
    /// Whether a wait after a refusal is running (OK is disabled until it ends).
    bool Waiting() const;

    /// Tries the log-in with what is typed; true when it succeeded (the dialog is then
    /// accepted).
    bool TryLogIn();

private:
    void StartWait();
    void Tick();

    TComponentLink<TZELRight> provider_;
    QLineEdit* user_;
    QLineEdit* password_;
    QPushButton* ok_;
    QLabel* status_;
    QTimer* timer_;
    int delay_ = 1000; // the wait after the next refusal
    int remaining_ = 0;
};

} // namespace zel::qt
