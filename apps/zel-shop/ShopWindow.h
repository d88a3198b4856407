#pragma once
// The shop's main window: a Qt Designer window (MainWindow.ui) with ZEL's rights on it
// through one TQtRights. Every ZEL call the application makes is in this class and the
// orders window it opens; administration and passwords are ZEL's ready-made dialogs.

#include "zel/qt/QtAdminDialog.h"
#include "zel/qt/QtRights.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <string>

namespace Ui {
class MainWindow;
}

namespace zel::shop {

class OrdersWindow;

class ShopWindow : public QMainWindow {
public:
    /// Opens the user table in `folder` and puts the rights on the window.
    explicit ShopWindow(const std::string& folder);
    ~ShopWindow() override;

    /// Runs the log-in dialog; false when it was cancelled.
    bool LogIn();
    /// Logs `user` in without a dialog (for the tour); false with the system's message.
    bool LogInAs(const std::string& user, const std::string& password);

    OrdersWindow* OpenOrders();
    /// The administration dialog, for a user granted Administration > Users and rights.
    qt::TQtAdminDialog* OpenAdmin();

    qt::TQtRights& Rights() const { return *rights_; }
    const std::string& Folder() const { return folder_; }
    /// The user logged in now (empty before the first log-in).
    const std::string& User() const { return rights_->currentUser(); }

private:
    void LoggedIn();
    /// Closes the orders window, keeping its size for next time.
    void CloseOrders();

    std::unique_ptr<Ui::MainWindow> ui_;
    std::string folder_;
    std::unique_ptr<qt::TQtRights> rights_;
    QPointer<OrdersWindow> orders_;
    QSize ordersSize_; // remembered while the application runs; nothing is written to disk
};

} // namespace zel::shop
