#include "ShopWindow.h"

#include "OrdersWindow.h"
#include "ui_MainWindow.h"
#include "zel/qt/QtText.h"

#include <QMessageBox>

namespace zel::shop {

ShopWindow::ShopWindow(const std::string& folder)
    : ui_(std::make_unique<Ui::MainWindow>()), folder_(folder) {
    ui_->setupUi(this);
    // Named MainForm: the orders form file links to MainForm.Rights.
    setObjectName("MainForm");
    rights_ = std::make_unique<qt::TQtRights>(*this, qt::TUserTable::SQLite(folder + "/shop.db"),
                                              /*hideDenied=*/true);

    connect(ui_->mnuFileLogin, &QAction::triggered, this, [this] { LogIn(); });
    connect(ui_->mnuFilePassword, &QAction::triggered, this,
            [this] { rights_->changeMyPassword(); });
    connect(ui_->mnuFileExit, &QAction::triggered, this, &QWidget::close);
    connect(ui_->mnuOrderList, &QAction::triggered, this, [this] { OpenOrders(); });
    connect(ui_->mnuOrderNew, &QAction::triggered, this, [this] { OpenOrders(); });
    connect(ui_->mnuAdminUsers, &QAction::triggered, this, [this] { OpenAdmin(); });
    connect(ui_->mnuHelpAbout, &QAction::triggered, this, [this] {
        QMessageBox::about(this, tr("About the Corner Shop"),
                           tr("The example application of ZEL: menu rights from a user table."));
    });
    statusBar()->showMessage(tr("Not logged in"));
}

ShopWindow::~ShopWindow() {
    CloseOrders();
}

void ShopWindow::CloseOrders() {
    if (orders_ != nullptr) {
        ordersSize_ = orders_->size();
        delete orders_;
    }
}

bool ShopWindow::LogIn() {
    if (!rights_->logIn()) {
        return false;
    }
    LoggedIn();
    return true;
}

bool ShopWindow::LogInAs(const std::string& user, const std::string& password) {
    if (!rights_->logInAs(user, password)) {
        return false;
    }
    LoggedIn();
    return true;
}

void ShopWindow::LoggedIn() {
    // The orders window checked its buttons against the previous user.
    CloseOrders();
    setWindowTitle(tr("Corner Shop \u2014 %1").arg(qt::ToQString(User())));
    statusBar()->showMessage(tr("Logged in as %1").arg(qt::ToQString(User())));
}

OrdersWindow* ShopWindow::OpenOrders() {
    if (orders_ != nullptr) { // read again, so its buttons check the user logged in now
        ordersSize_ = orders_->size();
        delete orders_;
    }
    orders_ = new OrdersWindow(*this);
    if (ordersSize_.isValid()) {
        orders_->resize(ordersSize_);
    }
    orders_->show();
    return orders_;
}

qt::TQtAdminDialog* ShopWindow::OpenAdmin() {
    return rights_->administer("mnuAdminUsers");
}

} // namespace zel::shop
