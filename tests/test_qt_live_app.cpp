// Rights that hold in a live application: the application keeps enabling and disabling
// its own actions while users log in and out in greyed and hidden mode. After every step
// no action is enabled or shown without its right, every granted one shows what the
// application last asked for, a shared action shows one state everywhere, and the
// toolbar's buttons follow their actions (LiveApp::Check).
#include "LiveApp.h"

#include <QMenuBar>
#include <gtest/gtest.h>

using zel::fuzz::LiveApp;

namespace {
struct Live : ::testing::Test {
    void SetUp() override { zel::fuzz::Setup(); }
    LiveApp app;
    QAction* Act(const char* name) { return app.window.findChild<QAction*>(name); }
};
} // namespace

TEST_F(Live, TheRightsGateTheApplicationsOwnStatesThroughSeveralUsers) {
    EXPECT_EQ(app.Check(), "");
    app.OpenDocument(); // while the log-in dialog is open
    app.Select(true);
    EXPECT_FALSE(Act("actionDelete")->isEnabled()); // nothing is granted before a log-in
    EXPECT_EQ(app.Check(), "");

    ASSERT_TRUE(app.LogIn("viewer", false));
    EXPECT_EQ(app.Check(), "");
    EXPECT_TRUE(Act("actionCopy")->isEnabled());
    EXPECT_FALSE(Act("actionDelete")->isEnabled());
    EXPECT_TRUE(Act("actionDelete")->isVisible()); // greyed
    app.SetEnabled(Act("actionDelete"), true);     // the application's own call changes nothing
    EXPECT_FALSE(Act("actionDelete")->isEnabled());
    app.Activate();
    EXPECT_FALSE(Act("actionDelete")->isEnabled());
    EXPECT_EQ(app.Check(), "");

    app.Select(false); // the application disables it while it is denied
    ASSERT_TRUE(app.LogIn("admin", false));
    EXPECT_FALSE(Act("actionDelete")->isEnabled()); // granted, but nothing is selected
    EXPECT_FALSE(Act("actionSave")->isEnabled());   // granted, but nothing to save
    app.Edit();
    EXPECT_TRUE(Act("actionSave")->isEnabled());
    EXPECT_EQ(app.Check(), "");

    ASSERT_TRUE(app.LogIn("clerk", true)); // hidden mode
    EXPECT_EQ(app.Check(), "");
    EXPECT_FALSE(Act("actionBranch")->isVisible());
    app.SetVisible(Act("actionBranch"), true);
    EXPECT_FALSE(Act("actionBranch")->isVisible());
    EXPECT_TRUE(app.publish->isEnabled()); // toolbar-only, guarded by zelRight
    app.CloseDocument();
    EXPECT_FALSE(app.publish->isEnabled());
    EXPECT_EQ(app.Check(), "");

    ASSERT_TRUE(app.LogIn("viewer", true));
    app.OpenDocument();
    EXPECT_FALSE(app.publish->isVisible());
    EXPECT_EQ(app.Check(), "");

    app.Preview(0); // the editor's preview rules the menu, not the toolbar's right
    EXPECT_EQ(app.Check(), "");
    ASSERT_TRUE(app.LogIn("admin", false));
    EXPECT_TRUE(app.publish->isEnabled());
    EXPECT_EQ(app.Check(), "");
}

TEST_F(Live, AFreedItemsActionStaysOffWhateverTheApplicationSets) {
    ASSERT_TRUE(app.LogIn("admin", false));
    EXPECT_EQ(Act("actionDebug")->isVisible(), false); // the special item is gone
    app.SetVisible(Act("actionDebug"), true);
    app.SetEnabled(Act("actionDebug"), true);
    EXPECT_FALSE(Act("actionDebug")->isVisible());
    EXPECT_FALSE(Act("actionDebug")->isEnabled());
    EXPECT_EQ(app.Check(), "");
}

TEST_F(Live, AnActionInTwoMenusIsOneItem) {
    QMenu* branch = app.window.findChild<QMenu*>("menuBranch");
    ASSERT_TRUE(branch->actions().contains(Act("actionDelete")));
    EXPECT_EQ(app.Check(), ""); // also: no generated item drives it
}
