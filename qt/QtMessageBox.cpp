#include "zel/qt/QtMessageBox.h"

#include "zel/host/ui/ModalResult.h"
#include "zel/qt/QtText.h"

#include <QApplication>
#include <utility>

namespace zel::qt {

namespace {
struct ButtonMap {
    host::TMsgDlgBtn host;
    QMessageBox::StandardButton qt;
    int modalResult;
};
constexpr ButtonMap kButtons[] = {
    {host::mbYes, QMessageBox::Yes, host::mrYes},
    {host::mbNo, QMessageBox::No, host::mrNo},
    {host::mbOK, QMessageBox::Ok, host::mrOk},
    {host::mbCancel, QMessageBox::Cancel, host::mrCancel},
    {host::mbAbort, QMessageBox::Abort, host::mrAbort},
    {host::mbRetry, QMessageBox::Retry, host::mrRetry},
    {host::mbIgnore, QMessageBox::Ignore, host::mrIgnore},
    {host::mbAll, QMessageBox::YesToAll, host::mrAll},
    {host::mbHelp, QMessageBox::Help, host::mrNone},
};

QMessageBox::Icon IconOf(host::TMsgDlgType type) {
    switch (type) {
    case host::mtWarning:
        return QMessageBox::Warning;
    case host::mtError:
        return QMessageBox::Critical;
    case host::mtInformation:
        return QMessageBox::Information;
    case host::mtConfirmation:
        return QMessageBox::Question;
    default:
        return QMessageBox::NoIcon;
    }
}
} // namespace

int ShowMessageBox(const host::TMessage& message) {
    QMessageBox box(IconOf(message.type), QApplication::applicationDisplayName(),
                    ToQString(message.text), QMessageBox::NoButton, QApplication::activeWindow());
    box.setObjectName("zelMessageBox");
    for (const ButtonMap& b : kButtons) {
        if (message.buttons.Contains(b.host)) {
            box.addButton(b.qt);
        }
    }
    if (box.buttons().isEmpty()) {
        box.addButton(QMessageBox::Ok);
    }
    box.exec();
    const QMessageBox::StandardButton pressed = box.standardButton(box.clickedButton());
    for (const ButtonMap& b : kButtons) {
        if (b.qt == pressed && message.buttons.Contains(b.host)) {
            return b.modalResult;
        }
    }
    return host::mrCancel; // closed with Escape or the window's close button
}

TQtMessageBoxes::TQtMessageBoxes() : previous_(host::SetMessagePresenter(ShowMessageBox)) {}

TQtMessageBoxes::~TQtMessageBoxes() {
    host::SetMessagePresenter(std::move(previous_));
}

} // namespace zel::qt
