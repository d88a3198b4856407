// Menus on real widgets: rendered from the model and adopted from a Qt main window, kept
// live by the model's notices, and safe to destroy in any order.
#include "support/TestSupport.h"
#include "zel/components/ZELRight.h"
#include "zel/host/core/Form.h"
#include "zel/host/forms/FormFile.h"
#include "zel/qt/QtActionGate.h"
#include "zel/qt/QtMenuBar.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <gtest/gtest.h>
#include <memory>

using namespace zel;
using namespace zel::host;
using zel::test::AddItem;

namespace {
// The titles of the actions shown under `widget`, separators as "-".
QStringList Shown(const QWidget& widget) {
    QStringList texts;
    for (QAction* a : widget.actions()) {
        texts << (a->isSeparator() ? QString("-") : a->text());
    }
    return texts;
}

struct Rendered : ::testing::Test {
    TForm form{nullptr};
    TMainMenu* menu = new TMainMenu(&form);
    TMenuItem* file = AddItem(&form, menu->Items(), "mnuFile", "&File");
    TMenuItem* open = AddItem(&form, file, "mnuOpen", "&Open");
    TMenuItem* line = AddItem(&form, file, "mnuLine", "-");
    TMenuItem* recent = AddItem(&form, file, "mnuRecent", "Save && &Quit");
    TMenuItem* debug = AddItem(&form, menu->Items(), "mnuDebug", "<Debug");
    TMenuItem* help = AddItem(&form, menu->Items(), "mnuHelp", "&Help");
    std::unique_ptr<QMenuBar> bar{qt::RenderMenuBar(*menu)};
};
} // namespace

TEST_F(Rendered, TheBarShowsTheMenuAsItIs) {
    EXPECT_EQ(Shown(*bar), (QStringList{"&File", "<Debug", "&Help"}));
    QMenu* fileMenu = qt::ActionOf(*bar, *file)->menu();
    ASSERT_NE(fileMenu, nullptr);
    EXPECT_EQ(Shown(*fileMenu), (QStringList{"&Open", "-", "Save && &Quit"}));
    EXPECT_TRUE(qt::ActionOf(*bar, *line)->isSeparator());
    EXPECT_EQ(qt::ActionOf(*bar, *help)->menu(), nullptr); // a leaf on the bar
}

TEST_F(Rendered, EveryChangeOfTheModelShowsAtOnce) {
    TZELRight rights(nullptr);
    rights.SetLinkedMainMenu(menu);
    rights.SetHideDisabledItem(true);
    rights.GetAuthorisedMenuItems()->Add("mnuFile");
    rights.GetAuthorisedMenuItems()->Add("mnuOpen");
    QPointer<QAction> debugAction = qt::ActionOf(*bar, *debug);
    rights.ActivateSetting(); // frees the special item, then the rights walk
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(debugAction.isNull()); // a rendered action goes with its item
    EXPECT_EQ(Shown(*bar), (QStringList{"&File", "&Help"}));
    for (TMenuItem* item : {file, open, recent, help}) {
        QAction* a = qt::ActionOf(*bar, *item);
        EXPECT_EQ(a->isEnabled(), item->Enabled()) << item->Name();
        EXPECT_EQ(a->isVisible(), item->Visible()) << item->Name();
    }
    EXPECT_FALSE(qt::ActionOf(*bar, *help)->isVisible());
    open->SetCaption("&Open...");
    EXPECT_EQ(qt::ActionOf(*bar, *open)->text(), "&Open...");
    auto* added = new TMenuItem(&form);
    added->SetCaption("&New");
    file->Insert(0, added);
    EXPECT_EQ(Shown(*qt::ActionOf(*bar, *file)->menu()).front(), "&New");
}

TEST_F(Rendered, TriggeringAnActionClicksTheItem) {
    int clicks = 0;
    open->SetOnClick({"OpenClick", [&](TComponent*) { ++clicks; }});
    qt::ActionOf(*bar, *open)->trigger();
    EXPECT_EQ(clicks, 1);
    // A click that frees its own item (as a log-in freeing special items does) is safe.
    help->SetOnClick({"HelpClick", [&](TComponent* sender) { sender->Free(); }});
    qt::ActionOf(*bar, *help)->trigger();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Shown(*bar), (QStringList{"&File", "<Debug"}));
}

TEST_F(Rendered, TheModelMayGoWhileAMenuIsOpen) {
    QMenu* fileMenu = qt::ActionOf(*bar, *file)->menu();
    fileMenu->popup(QPoint(0, 0));
    QApplication::processEvents();
    delete menu;
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(bar->actions().isEmpty());
}

TEST_F(Rendered, EitherSideMayGoFirst) {
    bar.reset(); // the widgets first: the model carries on alone
    open->SetEnabled(false);
    file->Free();
    std::unique_ptr<QMenuBar> again{qt::RenderMenuBar(*menu)};
    delete menu; // the model first: the bar is emptied, nothing dangles
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(again->actions().isEmpty());
}

namespace {
// A main window as setupUi would build it.
struct Designer : ::testing::Test {
    QMainWindow window;
    QMenu* fileMenu = window.menuBar()->addMenu("&File");
    QAction* open = fileMenu->addAction("&Open");
    QAction* unnamed = fileMenu->addAction("&Print");
    QMenu* recent = fileMenu->addMenu("&Recent");
    QAction* last = recent->addAction("&Last");
    QAction* quit = nullptr;
    TForm form{nullptr};
    void SetUp() override {
        window.setObjectName("MainWindow");
        window.menuBar()->setObjectName("menubar");
        fileMenu->setObjectName("menuFile");
        open->setObjectName("actionOpen");
        recent->setObjectName("menuRecent");
        last->setObjectName("actionLast");
        fileMenu->addSeparator();
        quit = fileMenu->addAction("&Quit");
        quit->setObjectName("actionQuit");
        quit->setEnabled(false);
    }
};
} // namespace

TEST_F(Designer, AdoptingNamesEachItemAfterItsObject) {
    TMainMenu* menu = qt::AdoptMenuBar(*window.menuBar(), &form);
    EXPECT_EQ(menu->Name(), "menubar");
    // Nothing granted before a log-in; the application's own states stay with its actions.
    EXPECT_EQ(zel::test::DumpMenu(menu->Items()), "menuFile &File [-V]\n"
                                                  "  actionOpen &Open [-V]\n"
                                                  "  generated_menuFile_1 &Print [-V]\n"
                                                  "  menuRecent &Recent [-V]\n"
                                                  "    actionLast &Last [-V]\n"
                                                  "  generated_menuFile_3 - [EV]\n"
                                                  "  actionQuit &Quit [-V]\n");
    EXPECT_FALSE(open->isEnabled());
    EXPECT_FALSE(qt::TActionGate::Find(*quit)->Wish().enabled);
    EXPECT_TRUE(qt::TActionGate::Find(*open)->Wish().enabled);
}

TEST_F(Designer, TheRightsWalkShowsOnTheAdoptedActions) {
    TMainMenu* menu = qt::AdoptMenuBar(*window.menuBar(), &form);
    TZELRight rights(nullptr);
    rights.SetLinkedMainMenu(menu);
    rights.SetHideDisabledItem(true);
    for (const char* name : {"menuFile", "actionQuit", "actionLast"}) {
        rights.GetAuthorisedMenuItems()->Add(name);
    }
    rights.ActivateSetting();
    EXPECT_FALSE(quit->isEnabled()); // granted, but the application disabled it
    quit->setEnabled(true);
    EXPECT_TRUE(quit->isEnabled());
    open->setEnabled(true); // the application cannot enable what is not granted
    EXPECT_FALSE(open->isEnabled());
    EXPECT_FALSE(open->isVisible());
    EXPECT_TRUE(last->isEnabled());
    EXPECT_FALSE(recent->menuAction()->isEnabled()); // the parent is not granted
    // A freed item's action leaves every menu but lives on for the Ui class that holds it.
    QPointer<QAction> kept = open;
    form.FindComponent("actionOpen")->Free();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(kept.isNull());
    EXPECT_FALSE(fileMenu->actions().contains(open));
    EXPECT_FALSE(open->isEnabled());
    EXPECT_FALSE(open->isVisible());
    open->trigger(); // runs nothing
}

TEST_F(Designer, GeneratedNamesAreTheSameForTheSameWindow) {
    TMainMenu* first = qt::AdoptMenuBar(*window.menuBar(), &form);
    QMainWindow twin;
    QMenu* m = twin.menuBar()->addMenu("&File");
    m->setObjectName("menuFile");
    m->addAction("&Open")->setObjectName("actionOpen");
    m->addAction("&Print");
    TForm other(nullptr);
    TMainMenu* second = qt::AdoptMenuBar(*twin.menuBar(), &other);
    EXPECT_EQ(first->Items()->Items(0)->Items(1)->Name(),
              second->Items()->Items(0)->Items(1)->Name());
}
