#include "Tour.h"

#include "AdminWindow.h"
#include "OrdersWindow.h"
#include "ShopWindow.h"
#include "zel/components/Links.h"
#include "zel/host/SQLiteTable.h"
#include "zel/qt/QtLoginDialog.h"
#include "zel/qt/QtText.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <iostream>

namespace zel::shop {

namespace {

// Answers every modal message box as a careful user would: No to a question (keep what is
// stored), OK otherwise, and remembers what each box said.
class BoxAnswerer : public QObject {
public:
    BoxAnswerer() {
        timer_.setInterval(20);
        connect(&timer_, &QTimer::timeout, this, [this] { Answer(); });
        timer_.start();
    }
    QStringList said;

private:
    void Answer() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        said << box->text();
        QAbstractButton* no = box->button(QMessageBox::No);
        (no != nullptr ? no : box->buttons().front())->click();
    }
    QTimer timer_;
};

class Tour {
public:
    Tour(ShopWindow& shop, const std::string& dir) : shop_(shop), dir_(dir) {}

    int Run() {
        std::filesystem::create_directories(dir_);
        shop_.show();
        for (const char* user : {"admin", "clerk", "viewer"}) {
            LogIn(user);
            const bool admin = std::string(user) == "admin";
            Check(Enabled("mnuOrderNew") == admin,
                  std::string(user) + ": Orders > New order " + State("mnuOrderNew"));
            Shot(shop_, std::string("login-") + user);
        }
        LogIn("clerk");
        OpenMenus("clerk");
        Orders("clerk", false);
        GrantAsAdmin();
        LogIn("clerk");
        Check(Enabled("mnuOrderNew"), "clerk: Orders > New order " + State("mnuOrderNew") +
                                          " after the administrator's grant");
        Shot(shop_, "clerk-after-grant");
        Orders("clerk-after-grant", true);
        SpecialItem();
        Refused();
        Conflict();
        std::cout << (failures_ == 0 ? "Every step showed what it should; pictures in "
                                     : "Some steps did not show what they should; pictures in ")
                  << dir_ << '\n';
        return failures_ == 0 ? 0 : 1;
    }

private:
    QAction* Action(const char* name) const { return shop_.findChild<QAction*>(name); }
    bool Enabled(const char* name) const {
        QAction* a = Action(name);
        return a != nullptr && a->isEnabled() && a->isVisible();
    }
    std::string State(const char* name) const {
        QAction* a = Action(name);
        return a == nullptr      ? "missing"
               : !a->isVisible() ? "hidden"
               : a->isEnabled()  ? "enabled"
                                 : "disabled";
    }

    void Check(bool ok, const std::string& line) {
        std::cout << (ok ? "  " : "! ") << line << '\n';
        failures_ += ok ? 0 : 1;
    }

    void Shot(QWidget& widget, const std::string& name) {
        widget.show();
        QApplication::processEvents();
        widget.grab().save(QString::fromStdString(dir_ + "/" + name + ".png"));
    }

    void LogIn(const std::string& user) {
        if (!shop_.LogInAs(user, user)) {
            Check(false, user + ": log-in refused");
        }
    }

    void OpenMenus(const std::string& user) {
        for (QAction* top : shop_.menuBar()->actions()) {
            QMenu* menu = top->menu();
            if (menu == nullptr || !top->isVisible()) {
                continue;
            }
            menu->popup(shop_.mapToGlobal(shop_.menuBar()->actionGeometry(top).bottomLeft()));
            QApplication::processEvents();
            QStringList shown;
            for (QAction* a : menu->actions()) {
                if (a->isVisible() && !a->isSeparator()) {
                    shown << QString(a->text()).remove('&') + (a->isEnabled() ? "" : " (greyed)");
                }
            }
            const std::string title = QString(menu->title()).remove('&').toStdString();
            Check(!shown.isEmpty(),
                  user + ": menu " + title + " shows " + shown.join(", ").toStdString());
            Shot(*menu, user + "-menu-" + title);
            menu->hide();
        }
    }

    void Orders(const std::string& step, bool mayCreate) {
        OrdersWindow* orders = shop_.OpenOrders();
        auto* create = orders->findChild<QPushButton*>("btnNewOrder");
        auto* refund = orders->findChild<QPushButton*>("btnRefund");
        auto* print = orders->findChild<QPushButton*>("btnPrint");
        const bool ok = create != nullptr && refund != nullptr && print != nullptr &&
                        create->isEnabled() == mayCreate && !refund->isEnabled() &&
                        print->isEnabled();
        auto state = [](const QPushButton* b) {
            return b == nullptr     ? "missing"
                   : b->isEnabled() ? "enabled"
                   : b->isHidden()  ? "disabled and hidden"
                                    : "disabled";
        };
        Check(ok, step.substr(0, step.find('-')) + ": Orders window: New order " + state(create) +
                      ", Print " + state(print) + ", Refund " + state(refund) +
                      " (no menu item carries that right)");
        Shot(*orders, step + "-orders");
        orders->close();
    }

    void GrantAsAdmin() {
        LogIn("admin");
        AdminWindow* admin = shop_.OpenAdmin();
        admin->Select("clerk");
        const int row = admin->Editor().MenuItemNames().IndexOf("mnuOrderNew");
        QListWidgetItem* item = admin->RightsList()->item(row);
        const bool before = item != nullptr && item->checkState() == Qt::Checked;
        if (item != nullptr) {
            item->setCheckState(Qt::Checked); // the administrator's click on the box
        }
        const bool checked = item != nullptr && item->checkState() == Qt::Checked &&
                             admin->Editor().HasRight("mnuOrderNew");
        Shot(*admin, "admin-grants-clerk");
        const bool saved = admin->Save();
        Check(!before && checked && saved,
              "admin: Users and rights: clerk granted Orders > New order, saved");
        admin->close();
    }

    void SpecialItem() {
        LogIn("admin");
        QAction* debug = Action("mnuDebug");
        QMenu* orders = shop_.findChild<QMenu*>("mnuOrders");
        const bool gone = debug != nullptr && orders != nullptr &&
                          !orders->actions().contains(debug) && !debug->isEnabled();
        Check(gone, "admin: Orders > <Debug tools removed at the log-in, whatever the rights");
    }

    void Refused() {
        BoxAnswerer answers;
        qt::TQtLoginDialog dialog(shop_.Rights(), &shop_);
        dialog.show();
        dialog.UserIdEdit()->setText("clerk");
        dialog.PasswordEdit()->setText("guess");
        const bool in = dialog.TryLogIn();
        Shot(dialog, "refused-login");
        const bool ok = !in && dialog.isVisible() && dialog.PasswordEdit()->text().isEmpty() &&
                        dialog.Waiting() && answers.said.contains("Invalid password!");
        Check(ok, "clerk: log-in with a wrong password refused: \"Invalid password!\"; the "
                  "dialog stays open and waits a second before the next attempt");
        dialog.close();
    }

    void Conflict() {
        BoxAnswerer answers;
        AdminWindow* admin = shop_.OpenAdmin();
        admin->Select("viewer");
        // Meanwhile another administrator, in another program, saves the viewer's record.
        {
            host::TSQLiteTable other(nullptr);
            other.SetDatabaseName(shop_.Folder() + "/shop.db");
            other.SetTableName("users");
            other.Open();
            LocateUser(other, "login", "viewer");
            other.Edit();
            other.FieldByName("rights").SetAsVariant(host::TVariant::Blob("\xFFmnuHelp\xFF"));
            other.Post();
        }
        admin->Editor().GrantAllRight();
        const bool saved = admin->Save();
        Shot(*admin, "admin-save-refused");
        const bool told = answers.said.contains("Cannot save setting due to error!") &&
                          admin->Status()->text().contains("Record changed by another user");
        admin->Reload();
        const bool theirs =
            admin->Editor().HasRight("mnuHelp") && !admin->Editor().HasRight("mnuOrders");
        Check(!saved && told && theirs,
              "admin: a save over another administrator's change is refused and said so "
              "(Record changed by another user); their change is kept");
        admin->close();
    }

    ShopWindow& shop_;
    std::string dir_;
    int failures_ = 0;
};

} // namespace

int RunTour(ShopWindow& shop, const std::string& dir) {
    return Tour(shop, dir).Run();
}

} // namespace zel::shop
