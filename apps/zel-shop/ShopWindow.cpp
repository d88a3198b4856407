#include "ShopWindow.h"

#include "AdminWindow.h"
#include "OrdersWindow.h"
#include "ui_MainWindow.h"
#include "zel/host/DataSource.h"
#include "zel/host/SQLiteTable.h"
#include "zel/qt/QtLoginDialog.h"
#include "zel/qt/QtMenuBar.h"
#include "zel/qt/QtText.h"

#include <QMessageBox>

namespace zel::shop {

ShopWindow::ShopWindow(const std::string& folder)
    : ui_(std::make_unique<Ui::MainWindow>()), folder_(folder),
      form_(std::make_unique<host::TForm>(nullptr)) {
    ui_->setupUi(this);
    // The components, made in code as any application would. The form is named MainForm
    // because the orders and administration form files link to MainForm.Rights.
    form_->SetName("MainForm");
    auto* users = new host::TSQLiteTable(form_.get());
    users->SetName("UsersTable");
    users->SetDatabaseName(folder + "/shop.db");
    users->SetTableName("users");
    users->Open();
    auto* source = new host::TDataSource(form_.get());
    source->SetDataSet(users);
    rights_ = new TZELRight(form_.get());
    rights_->SetName("Rights");
    rights_->SetDataSource(source);
    rights_->SetUserIDFieldName("login");
    rights_->SetUserPasswordFieldName("password");
    rights_->SetUserAccessRightFieldName("rights");
    rights_->SetHideDisabledItem(true);
    rights_->SetLinkedMainMenu(qt::AdoptMenuBar(*ui_->MainMenu1, form_.get()));

    connect(ui_->mnuFileLogin, &QAction::triggered, this, [this] { LogIn(); });
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
    CloseWindows();
}

void ShopWindow::CloseWindows() {
    if (orders_ != nullptr) {
        ordersSize_ = orders_->size();
        delete orders_;
    }
    if (admin_ != nullptr) {
        adminSize_ = admin_->size();
        delete admin_;
    }
}

bool ShopWindow::LogIn() {
    // No parent: the dialog lives on the stack, and a parent would delete it too should the
    // window go while the dialog is open.
    qt::TQtLoginDialog dialog(*rights_);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    LoggedIn();
    return true;
}

bool ShopWindow::LogInAs(const std::string& user, const std::string& password) {
    rights_->SetUserID(user);
    rights_->SetUserPassword(password);
    const bool ok = rights_->LoadSetting();
    rights_->SetUserPassword(std::string());
    if (ok) {
        LoggedIn();
    }
    return ok;
}

void ShopWindow::LoggedIn() {
    user_ = rights_->UserID();
    // Windows opened for the previous user checked their buttons against that user.
    CloseWindows();
    setWindowTitle(tr("Corner Shop \u2014 %1").arg(qt::ToQString(user_)));
    statusBar()->showMessage(tr("Logged in as %1").arg(qt::ToQString(user_)));
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

AdminWindow* ShopWindow::OpenAdmin() {
    if (admin_ == nullptr) {
        admin_ = new AdminWindow(*this);
        if (adminSize_.isValid()) {
            admin_->resize(adminSize_);
        }
    }
    admin_->show();
    admin_->raise();
    return admin_;
}

} // namespace zel::shop
