// Buttons, the rights editor's list, message boxes, forms and the log-in dialog on real
// widgets, and the ten lines that put rights on an existing Qt main window.
#include "AddRights.h"
#include "support/TestSupport.h"
#include "zel/components/ZELBBTN.h"
#include "zel/components/ZELMCLB.h"
#include "zel/components/ZELRight.h"
#include "zel/host/data/DataSource.h"
#include "zel/host/forms/FormFile.h"
#include "zel/host/sqlite/SQLiteTable.h"
#include "zel/package/Package.h"
#include "zel/qt/QtButtons.h"
#include "zel/qt/QtCheckList.h"
#include "zel/qt/QtFormWindow.h"
#include "zel/qt/QtLoginDialog.h"
#include "zel/qt/QtMessageBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace zel;
using namespace zel::host;
using namespace zel::test;

namespace {
// Answers the next modal box that opens: records it, then presses its first button.
struct BoxAnswerer {
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    void Arm() {
        QTimer::singleShot(0, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                Arm(); // not open yet
                return;
            }
            text = box->text();
            icon = box->icon();
            buttons = static_cast<int>(box->buttons().size());
            box->buttons().front()->click();
        });
    }
};

// A small shop on widgets: a menu, the user table, a provider and an editor.
struct WidgetShop : ::testing::Test {
    TempDir dir;
    std::string db = dir.File("users.db");
    TForm form{nullptr};
    TMainMenu* menu = new TMainMenu(&form);
    TMenuItem* file = AddItem(&form, menu->Items(), "mnuFile", "&File");
    TMenuItem* open = AddItem(&form, file, "mnuOpen", "&Open");
    TMenuItem* help = AddItem(&form, menu->Items(), "mnuHelp", "&Help");
    TSQLiteTable* table = new TSQLiteTable(&form);
    TDataSource* source = new TDataSource(&form);
    TZELRight* rights = new TZELRight(&form);
    void SetUp() override {
        MakeUserTable(db, "users", "login", "password", "rights",
                      {{"ann", "a", Rights({"mnuFile", "mnuOpen"})}, {"bob", "b", Rights({})}});
        table->SetDatabaseName(db);
        table->SetTableName("users");
        table->Open();
        source->SetDataSet(table);
        rights->SetDataSource(source);
        rights->SetLinkedMainMenu(menu);
        rights->SetUserIDFieldName("login");
        rights->SetUserPasswordFieldName("password");
        rights->SetUserAccessRightFieldName("rights");
        rights->SetHideDisabledItem(true);
    }
};
} // namespace

TEST_F(WidgetShop, AdoptedButtonsFollowHasRightAtAdoption) {
    rights->GetAuthorisedMenuItems()->Add("mnuOpen");
    QWidget window;
    auto* granted = new QPushButton("&Open", &window);
    granted->setProperty("zelRight", "MNUOPEN"); // letter case ignored, as HasRight does
    auto* refused = new QPushButton("&Refund", &window);
    refused->setProperty("zelRight", "Refund");
    auto* plain = new QPushButton("Plain", &window);
    auto* idle = new QPushButton("&Save", &window); // granted, but off by the application
    idle->setProperty("zelRight", "mnuOpen");
    idle->setEnabled(false);
    const auto adopted = qt::AdoptRightButtons(window, *rights);
    ASSERT_EQ(adopted.size(), 3u);
    EXPECT_TRUE(granted->isEnabled());
    EXPECT_FALSE(idle->isEnabled()); // the rights never enable what the application disabled
    idle->setEnabled(true);
    EXPECT_TRUE(idle->isEnabled());
    EXPECT_FALSE(refused->isEnabled());
    EXPECT_TRUE(refused->isHidden()); // the provider hides what it disables
    refused->setEnabled(true);        // the application's own calls cannot undo that
    refused->show();
    EXPECT_FALSE(refused->isEnabled());
    EXPECT_TRUE(refused->isHidden());
    EXPECT_TRUE(plain->isEnabled());
    EXPECT_EQ(qt::AdoptedModel(*refused)->Right(), "Refund");
    delete refused; // its model goes with it
    rights->Free(); // and the others lose their provider link, nothing more
    EXPECT_EQ(qt::AdoptedModel(*granted)->ZELRight(), nullptr);
}

TEST_F(WidgetShop, ARenderedButtonMirrorsItsControlAndClicksIt) {
    auto* button = new TZELBitBtn(&form);
    int clicks = 0;
    button->SetOnClick({"Clicked", [&](TComponent*) { ++clicks; }});
    std::unique_ptr<QPushButton> widget{qt::RenderButton(*button)};
    EXPECT_EQ(widget->text(), "&OK"); // the kind's text
    EXPECT_FALSE(widget->icon().isNull());
    button->SetEnabled(false);
    EXPECT_FALSE(widget->isEnabled());
    button->SetEnabled(true);
    widget->click();
    EXPECT_EQ(clicks, 1);
    button->Free();
    widget->click(); // the control is gone: nothing happens
}

TEST_F(WidgetShop, TheUsersClicksInTheEditorGoThroughTheHostsToggle) {
    // Two editors on the same menu: one clicked on the widget, one toggled in the model.
    auto* clicked = new TZELMenuCheckListBox(&form);
    auto* toggled = new TZELMenuCheckListBox(&form);
    int notified = 0;
    clicked->SetOnClickCheck({"Check", [&](TComponent*) { ++notified; }});
    clicked->SetLinkedMainMenu(menu);
    toggled->SetLinkedMainMenu(menu);
    std::unique_ptr<QListWidget> list{qt::RenderCheckList(*clicked)};
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(1)->text(), "  Open");
    list->item(1)->setCheckState(Qt::Checked); // as the user's click delivers it
    toggled->ToggleRow(1);
    EXPECT_EQ(clicked->Granted().Items(), toggled->Granted().Items());
    EXPECT_EQ(clicked->Granted().Items(), (std::vector<std::string>{"mnuOpen", "mnuFile"}));
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(list->item(0)->checkState(), Qt::Checked); // the ancestor, set by the model
    EXPECT_EQ(list->currentRow(), 1);
    clicked->GrantAllRight();
    EXPECT_EQ(list->item(2)->checkState(), Qt::Checked);
    clicked->SetItemIndex(2);
    EXPECT_EQ(list->currentRow(), 2);
    list->setCurrentRow(0);
    EXPECT_EQ(clicked->ItemIndex(), 0);
    QTest::keyClick(list.get(), Qt::Key_Space); // Space on the current row: File unchecked
    EXPECT_FALSE(clicked->Checked(0));
    EXPECT_FALSE(clicked->Checked(1)); // and its subtree, by the editor's propagation
    EXPECT_EQ(list->item(1)->checkState(), Qt::Unchecked);
    clicked->Free(); // the model first
    EXPECT_FALSE(list->isEnabled());
    std::unique_ptr<QListWidget> other{qt::RenderCheckList(*toggled)};
    other.reset(); // the widget first
    toggled->ToggleRow(2);
}

TEST_F(WidgetShop, MessagesAreModalQuestionBoxesWithOneOk) {
    qt::TQtMessageBoxes boxes;
    BoxAnswerer answer;
    answer.Arm();
    rights->SetUserID("nobody");
    EXPECT_FALSE(rights->LoadSetting());
    EXPECT_EQ(answer.text, "Invalid user ID!");
    EXPECT_EQ(answer.icon, QMessageBox::Question);
    EXPECT_EQ(answer.buttons, 1);
}

TEST_F(WidgetShop, TheLogInDialogKeepsRefusalsOpenAndWaitsLongerEachTime) {
    qt::TQtMessageBoxes boxes;
    qt::TQtLoginDialog dialog(*rights);
    BoxAnswerer answer;
    dialog.UserIdEdit()->setText("ann");
    dialog.PasswordEdit()->setText("wrong");
    dialog.show();
    QApplication::processEvents();
    answer.Arm();
    EXPECT_FALSE(dialog.TryLogIn());
    EXPECT_EQ(answer.text, "Invalid password!");
    EXPECT_EQ(dialog.PasswordEdit()->text(), "");
    EXPECT_EQ(rights->UserPassword(), ""); // wiped after the attempt
    EXPECT_TRUE(dialog.Waiting());
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    EXPECT_EQ(dialog.NextDelay(), 2000);
    const QLabel* status = dialog.findChild<QLabel*>("status");
    EXPECT_EQ(status->text(), "Log-in refused. Wait 1 second before the next attempt.");
    // At once, not at the next turn of the event loop: the message wraps inside the open
    // dialog, below the rows.
    EXPECT_GE(status->geometry().top(), dialog.PasswordEdit()->geometry().bottom());
    EXPECT_LE(status->geometry().right(), dialog.rect().right());
    EXPECT_GE(status->height(), status->heightForWidth(status->width()));
    dialog.PasswordEdit()->setText("a");
    EXPECT_FALSE(dialog.TryLogIn()); // not while waiting
    QEventLoop wait;
    QTimer::singleShot(1300, &wait, &QEventLoop::quit);
    wait.exec();
    EXPECT_FALSE(dialog.Waiting());
    dialog.PasswordEdit()->setText("a");
    EXPECT_TRUE(dialog.TryLogIn());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(open->Enabled());
}

TEST_F(WidgetShop, TheLogInDialogsWaitDoublesUpToThirtySeconds) {
    qt::TQtMessageBoxes boxes;
    qt::TQtLoginDialog dialog(*rights);
    auto* clock = dialog.findChild<QTimer*>();
    ASSERT_NE(clock, nullptr);
    clock->setInterval(1); // a second of the dialog's count passes in a millisecond
    const QLabel* status = dialog.findChild<QLabel*>("status");
    const int expected[] = {1, 2, 4, 8, 16, 30, 30, 30};
    for (int seconds : expected) {
        BoxAnswerer answer;
        answer.Arm();
        dialog.UserIdEdit()->setText("ann");
        dialog.PasswordEdit()->setText("wrong");
        ASSERT_FALSE(dialog.TryLogIn());
        EXPECT_NE(status->text().indexOf(QString(" %1 second").arg(seconds)), -1)
            << status->text().toStdString();
        EXPECT_EQ(dialog.NextDelay(), std::min(seconds * 2, 30) * 1000);
        QElapsedTimer waited;
        waited.start();
        while (dialog.Waiting() && waited.elapsed() < 5000) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        }
        ASSERT_FALSE(dialog.Waiting());
    }
}

TEST(QtForms, AFormFileBecomesAWindow) {
    zel::package::Initialize();
    std::unique_ptr<TForm> form{ReadFormText(R"(object OrdersForm: TForm
  Caption = 'Orders'
  object Menu: TMainMenu
    object mnuOrders: TMenuItem
      Caption = '&Orders'
    end
  end
  object btnNew: TBitBtn
    Caption = '&New order'
  end
  object btnClose: TButton
    Caption = 'Close'
  end
end
)",
                                             "orders.dfm", ".")};
    std::unique_ptr<QMainWindow> window{qt::RenderForm(*form)};
    EXPECT_EQ(window->windowTitle(), "Orders");
    EXPECT_EQ(window->menuBar()->actions().size(), 1);
    const auto buttons = window->findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 2);
    EXPECT_EQ(buttons[0]->text(), "&New order");
    form.reset(); // the form goes while its window is up
    window->show();
    QApplication::processEvents();
}

TEST(QtForms, TenLinesPutRightsOnADesignerWindow) {
    TempDir dir;
    const std::string db = dir.File("shop.db");
    MakeUserTable(db, "users", "login", "password", "rights",
                  {{"clerk", "clerk", Rights({"menuFile", "actionOpen"})}});
    QMainWindow window;
    window.menuBar()->setObjectName("menubar");
    QMenu* file = window.menuBar()->addMenu("&File");
    file->setObjectName("menuFile");
    QAction* open = file->addAction("&Open");
    open->setObjectName("actionOpen");
    QAction* quit = file->addAction("&Quit");
    quit->setObjectName("actionQuit");
    auto* refund = new QPushButton("Refund", &window);
    refund->setProperty("zelRight", "actionRefund");
    QTimer::singleShot(0, [] {
        auto* dialog = dynamic_cast<qt::TQtLoginDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->UserIdEdit()->setText("clerk");
        dialog->PasswordEdit()->setText("clerk");
        dialog->OkButton()->click();
    });
    std::unique_ptr<TForm> rights = AddRights(window, db);
    ASSERT_NE(rights, nullptr);
    EXPECT_TRUE(open->isEnabled());
    EXPECT_FALSE(quit->isEnabled());
    EXPECT_FALSE(refund->isEnabled());
}
