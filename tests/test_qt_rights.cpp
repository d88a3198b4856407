// The ready-made pieces on a window: TQtRights and its administration dialog, where the
// shop's tour does not go: a table that cannot be opened, a user who may not administer,
// and unsaved rights when another user is selected.
#include "support/TestSupport.h"
#include "zel/host/core/Errors.h"
#include "zel/qt/QtAdminDialog.h"
#include "zel/qt/QtRights.h"

#include <QAbstractButton>
#include <QApplication>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QSqlDatabase>
#include <QTimer>
#include <gtest/gtest.h>

using namespace zel;
using namespace zel::test;

namespace {
// Presses `button` in every message box that opens while it lives, keeping their texts.
struct Boxes {
    explicit Boxes(QMessageBox::StandardButton button) {
        QObject::connect(&timer, &QTimer::timeout, [this, button] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                said << box->text();
                QAbstractButton* b = box->button(button);
                (b != nullptr ? b : box->buttons().front())->click();
            }
        });
        timer.start(10);
    }
    QTimer timer;
    QStringList said;
};

struct Window : ::testing::Test {
    TempDir dir;
    std::string db = dir.File("users.db");
    QMainWindow window;
    QAction* users = nullptr;
    void SetUp() override {
        window.setObjectName("RightsWindow");
        QMenu* admin = window.menuBar()->addMenu("Admin");
        admin->setObjectName("mnuAdmin");
        users = admin->addAction("Users");
        users->setObjectName("mnuAdminUsers");
        MakeUserTable(db, "users", "login", "password", "rights",
                      {{"boss", "b", Rights({"mnuAdmin", "mnuAdminUsers"})},
                       {"ann", "a", Rights({"mnuAdmin"})},
                       {"bob", "c", std::nullopt}});
    }
};
} // namespace

TEST_F(Window, ATableThatCannotBeOpenedIsShownNeverThrown) {
    Boxes boxes(QMessageBox::Ok);
    qt::TQtRights rights(window, qt::TUserTable::SQLite(dir.File("missing/users.db")));
    EXPECT_FALSE(rights.isReady());
    EXPECT_FALSE(rights.logIn());
    ASSERT_EQ(boxes.said.size(), 1);
    EXPECT_TRUE(boxes.said[0].startsWith("Cannot open the user table: "))
        << boxes.said[0].toStdString();
    EXPECT_NE(rights.errorText().find("missing"), std::string::npos) << rights.errorText();
    EXPECT_FALSE(users->isEnabled()); // adopted all the same: nothing granted
}

TEST_F(Window, OnlyAUserGrantedItAdministersAndUnsavedRightsAreAskedAbout) {
    Boxes boxes(QMessageBox::Cancel);
    qt::TQtRights rights(window, qt::TUserTable::SQLite(db));
    ASSERT_TRUE(rights.logInAs("ann", "a"));
    EXPECT_EQ(rights.administer("mnuAdminUsers"), nullptr);
    ASSERT_TRUE(rights.logInAs("boss", "b"));
    qt::TQtAdminDialog* admin = rights.administer("mnuAdminUsers");
    ASSERT_NE(admin, nullptr);
    ASSERT_TRUE(admin->Select("ann"));
    EXPECT_FALSE(users->isEnabled()); // ann's rights, previewed on the menu
    admin->Editor().RevokeAllRight();
    EXPECT_TRUE(admin->Unsaved());
    // Cancel: ann stays selected, with the changes.
    admin->Users()->setCurrentRow(2);
    EXPECT_EQ(admin->Selected(), "ann");
    EXPECT_EQ(admin->Users()->currentItem()->text(), "ann");
    EXPECT_TRUE(admin->Unsaved());
    EXPECT_TRUE(admin->isVisible());
    admin->close(); // asked again, cancelled again: it stays open
    EXPECT_TRUE(admin->isVisible());
    boxes.timer.stop();
    Boxes discard(QMessageBox::Discard);
    admin->close();
    EXPECT_FALSE(admin->isVisible());
    EXPECT_TRUE(users->isEnabled()); // the administrator's own menu again
    EXPECT_EQ(boxes.said.filter("not saved").size(), 2);
}

// An application with its own Qt SQL connection names it, and the provider and the
// administration dialog both work through it; the connection stays the application's.
TEST_F(Window, TheApplicationsOwnConnectionServesTheLogInAndTheAdministration) {
    Boxes boxes(QMessageBox::Ok);
    MakeUserTable(db, "users", "login", "password", "rights",
                  {{"boss", "b", Rights({"mnuAdmin", "mnuAdminUsers"})}, {"ann", "a", "\xFF"}},
                  true); // as Qt writes text: UTF-8
    {
        QSqlDatabase app = QSqlDatabase::addDatabase("QSQLITE", "app");
        app.setDatabaseName(QString::fromStdString(db));
        ASSERT_TRUE(app.open());
    }
    {
        qt::TQtRights rights(window, qt::TUserTable::QtSql("app"));
        ASSERT_TRUE(rights.isReady()) << rights.errorText();
        ASSERT_TRUE(rights.logInAs("boss", "b"));
        EXPECT_TRUE(users->isEnabled());
        qt::TQtAdminDialog* admin = rights.administer("mnuAdminUsers");
        ASSERT_NE(admin, nullptr);
        ASSERT_TRUE(admin->Select("ann"));
        admin->Editor().GrantAllRight();
        admin->Editor().SaveSetting();
        admin->close();
        ASSERT_TRUE(rights.logInAs("ann", "a"));
        EXPECT_TRUE(users->isEnabled()); // granted through the dialog, on the same connection
    }
    EXPECT_TRUE(QSqlDatabase::database("app", false).isOpen());
    QSqlDatabase::removeDatabase("app");
    EXPECT_THROW(qt::MakeUserTable(qt::TUserTable{db, "", "app"}, nullptr), host::EDatabaseError);
}
