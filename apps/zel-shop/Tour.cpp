#include "Tour.h"

#include "OrdersWindow.h"
#include "ShopWindow.h"
#include "zel/components/Links.h"
#include "zel/host/sqlite/SQLiteTable.h"
#include "zel/qt/QtLoginDialog.h"
#include "zel/qt/QtNewUserDialog.h"
#include "zel/qt/QtPasswordDialog.h"
#include "zel/qt/QtText.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
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
        OwnMenuBack();
        Passwords();
        AddAndRemove();
        Greyed();
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

    // The window as its user sees it with one menu open: the popup is a window of its own,
    // so it is drawn onto the main window's picture where it stands on the screen.
    void ShotWithMenu(QMenu& menu, const std::string& name) {
        QApplication::processEvents();
        const QPoint origin = shop_.mapToGlobal(QPoint(0, 0));
        const QRect popup = menu.geometry().translated(-origin);
        QPixmap picture(shop_.rect().united(popup).size());
        picture.fill(shop_.palette().color(QPalette::Window));
        QPainter painter(&picture);
        painter.drawPixmap(0, 0, shop_.grab());
        painter.drawPixmap(popup.topLeft(), menu.grab());
        painter.end();
        picture.save(QString::fromStdString(dir_ + "/" + name + ".png"));
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
        qt::TQtAdminDialog* admin = shop_.OpenAdmin();
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
        qt::TQtLoginDialog dialog(shop_.Rights().provider(), &shop_);
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
        qt::TQtAdminDialog* admin = shop_.OpenAdmin();
        admin->Select("viewer");
        // Meanwhile another administrator, in another program, saves the viewer's record:
        // the viewer may now list orders, and no longer see reports.
        {
            host::TSQLiteTable other(nullptr);
            other.SetDatabaseName(shop_.Folder() + "/shop.db");
            other.SetTableName("users");
            other.Open();
            LocateUser(other, "login", "viewer");
            other.Edit();
            other.FieldByName("rights").SetAsVariant(host::TVariant::Blob(
                "\xFFmnuFile\xFFmnuFileLogin\xFFmnuFilePassword\xFFmnuFileExit\xFFmnuOrders"
                "\xFFmnuOrderList\xFFmnuHelp\xFFmnuHelpAbout\xFF"));
            other.Post();
        }
        admin->Editor().GrantAllRight();
        const bool saved = admin->Save();
        Shot(*admin, "admin-save-refused");
        const bool told = answers.said.contains("Cannot save setting due to error!") &&
                          admin->Status()->text().contains("Record changed by another user");
        admin->Reload();
        const bool theirs =
            admin->Editor().HasRight("mnuOrderList") && !admin->Editor().HasRight("mnuReports");
        Check(!saved && told && theirs,
              "admin: a save over another administrator's change is refused and said so "
              "(Record changed by another user); their change is kept");
        admin->close();
    }

    // The administrator previews the viewer's rights on the live menu; closing the dialog
    // gives them their own menu back.
    void OwnMenuBack() {
        LogIn("admin");
        qt::TQtAdminDialog* admin = shop_.OpenAdmin();
        admin->Select("viewer");
        const bool previewed = !Enabled("mnuAdminUsers");
        admin->close();
        Check(previewed && Enabled("mnuAdminUsers"),
              "admin: the viewer's rights previewed on the menu; closing the dialog gives the "
              "administrator's own menu back");
    }

    // Fills the password dialog that opens next and presses OK, after its picture.
    void AnswerPassword(const char* current, const char* typed, const std::string& shot) {
        QTimer::singleShot(20, [=, this] {
            auto* dialog = dynamic_cast<qt::TQtPasswordDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                AnswerPassword(current, typed, shot);
                return;
            }
            if (dialog->CurrentEdit() != nullptr) {
                dialog->CurrentEdit()->setText(current);
            }
            dialog->NewEdit()->setText(typed);
            dialog->AgainEdit()->setText(typed);
            Shot(*dialog, shot);
            if (!dialog->TrySave()) {
                dialog->reject();
            }
        });
    }

    void Passwords() {
        qt::TQtAdminDialog* admin = shop_.OpenAdmin();
        admin->Select("viewer");
        AnswerPassword(nullptr, "new viewer", "admin-sets-password");
        const bool set = admin->SetPassword();
        admin->close();
        BoxAnswerer answers; // the refusal of the old password
        const bool oldRefused = !shop_.LogInAs("viewer", "viewer");
        Check(set && oldRefused && shop_.LogInAs("viewer", "new viewer"),
              "admin: Set password for viewer; the old password is refused, the new one logs in");
        AnswerPassword("new viewer", "viewer", "viewer-changes-password");
        const bool changed = shop_.Rights().changeMyPassword();
        Check(changed && shop_.LogInAs("viewer", "viewer"),
              "viewer: Change my password (the current one checked, the new one twice) logs in");
    }

    // The administrator adds a user with the clerk's rights, who then logs in, and removes
    // them again.
    void AddAndRemove() {
        LogIn("admin");
        qt::TQtAdminDialog* admin = shop_.OpenAdmin();
        admin->Select("clerk");
        QTimer::singleShot(20, [this] { AnswerNewUser(); });
        const bool added = admin->AddUser() && admin->Selected() == "dora";
        Shot(*admin, "admin-added-dora");
        const bool doraIn = shop_.LogInAs("dora", "dora's");
        const bool likeClerk = doraIn && Enabled("mnuOrderNew") && !Enabled("mnuAdminUsers");
        Check(added && likeClerk,
              "admin: Add user dora with the clerk's rights; dora logs in with exactly those");
        LogIn("admin");
        admin = shop_.OpenAdmin();
        admin->Select("dora");
        QTimer::singleShot(20, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                box->button(QMessageBox::Yes)->click();
            }
        });
        const bool removed = admin->RemoveUser();
        admin->close();
        BoxAnswerer answers; // dora's refusal
        Check(removed && !shop_.LogInAs("dora", "dora's") &&
                  answers.said.contains("Invalid user ID!"),
              "admin: Remove user dora; dora can no longer log in");
    }

    void AnswerNewUser() {
        auto* dialog = dynamic_cast<qt::TQtNewUserDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            QTimer::singleShot(20, [this] { AnswerNewUser(); });
            return;
        }
        dialog->UserEdit()->setText("dora");
        dialog->NewEdit()->setText("dora's");
        dialog->AgainEdit()->setText("dora's");
        dialog->LikeBox()->setChecked(true);
        Shot(*dialog, "admin-adds-dora");
        if (!dialog->TryAdd()) {
            dialog->reject();
        }
    }

    // The same menu in greyed mode: what a user may not use is shown, greyed.
    void Greyed() {
        LogIn("viewer");
        TZELRight& provider = shop_.Rights().provider();
        provider.SetHideDisabledItem(false);
        provider.ActivateSetting();
        QMenu* orders = shop_.findChild<QMenu*>("mnuOrders");
        if (orders != nullptr) {
            orders->popup(shop_.mapToGlobal(
                shop_.menuBar()->actionGeometry(orders->menuAction()).bottomLeft()));
            QApplication::processEvents();
            ShotWithMenu(*orders, "viewer-greyed-menu");
            orders->hide();
        }
        Check(orders != nullptr && Action("mnuOrderNew")->isVisible() && !Enabled("mnuOrderNew"),
              "viewer, greyed mode: Orders > New order " + State("mnuOrderNew"));
        provider.SetHideDisabledItem(true);
        provider.ActivateSetting();
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
