#pragma once
// The host's MessageDlg shown as a modal QMessageBox, parented to the active window:
// mtConfirmation gives the question icon, each button of the set becomes a box button,
// and the box returns the modal result of the one pressed. Installed for the lifetime of a
// TQtMessageBoxes; the previous presenter comes back after it.

#include "zel/host/ui/Dialogs.h"

#include <QMessageBox>

namespace zel::qt {

class TQtMessageBoxes {
public:
    TQtMessageBoxes();
    ~TQtMessageBoxes();
    TQtMessageBoxes(const TQtMessageBoxes&) = delete;
    TQtMessageBoxes& operator=(const TQtMessageBoxes&) = delete;

private:
    host::TMessagePresenter previous_;
};

/// Shows `message` in a modal box and returns the modal result of the button pressed.
int ShowMessageBox(const host::TMessage& message);

} // namespace zel::qt
