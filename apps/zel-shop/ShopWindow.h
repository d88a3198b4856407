#pragma once
// The shop's main window: a Qt Designer window (MainWindow.ui) whose menu bar the rights
// provider adopts. Every ZEL call the application makes is in this class and the two
// windows it opens (OrdersWindow, AdminWindow).

#include "zel/components/ZELRight.h"
#include "zel/host/Form.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <string>

namespace Ui {
class MainWindow;
}

namespace zel::shop {

class AdminWindow;
class OrdersWindow;

class ShopWindow : public QMainWindow {
public:
    /// Opens the user table in `folder` and puts the rights on the menu bar.
    explicit ShopWindow(const std::string& folder);
    ~ShopWindow() override;

    /// Runs the log-in dialog; false when it was cancelled.
    bool LogIn();
    /// Logs `user` in without a dialog (for the tour); false with the system's message.
    bool LogInAs(const std::string& user, const std::string& password);

    OrdersWindow* OpenOrders();
    AdminWindow* OpenAdmin();

    TZELRight& Rights() const { return *rights_; }
    const std::string& Folder() const { return folder_; }
    /// The user logged in now (empty before the first log-in).
    const std::string& User() const { return user_; }

private:
    void LoggedIn();
    /// Closes the orders and administration windows, keeping their sizes for next time.
    void CloseWindows();

    std::unique_ptr<Ui::MainWindow> ui_;
    std::string folder_;
    std::unique_ptr<host::TForm> form_; // MainForm: the user table, its source, the provider
    TZELRight* rights_ = nullptr;
    std::string user_;
    QPointer<OrdersWindow> orders_;
    QPointer<AdminWindow> admin_;
    // Window sizes, remembered while the application runs; nothing is written to disk.
    QSize ordersSize_;
    QSize adminSize_;
};

} // namespace zel::shop
