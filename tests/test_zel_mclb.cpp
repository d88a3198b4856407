// The rights editor: rows from the menu, check propagation, grant/revoke all, preview.
#include "support/EditorRows.h"
#include "support/TestSupport.h"
#include "zel/components/ZELMCLB.h"
#include "zel/host/core/Errors.h"

#include <gtest/gtest.h>
#include <memory>

using namespace zel;
using namespace zel::host;
using namespace zel::test;

namespace {
// Test access to the protected hooks, the way the host calls them.
class Editor : public TZELMenuCheckListBox {
public:
    using TZELMenuCheckListBox::TZELMenuCheckListBox;
    void RunClickCheck() { ClickCheck(); }
};

struct EditorForm : ::testing::Test {
    TForm form{nullptr};
    TMainMenu* menu = new TMainMenu(&form);
    Editor* editor = new Editor(&form);
    TMenuItem* root = menu->Items();

    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (int i = 0; i < editor->Count(); ++i) {
            rows.push_back(editor->Items().Strings(i) + (editor->Checked(i) ? " [x]" : ""));
        }
        return rows;
    }
    int Row(const std::string& name) const { return editor->MenuItemNames().IndexOf(name); }
};
using V = std::vector<std::string>;

// File (Open, Recent (Last)), Help: depths 0, 2, 2, 4, 0 in spaces.
struct FileHelp : EditorForm {
    void SetUp() override {
        auto* file = AddItem(&form, root, "File", "&File");
        AddItem(&form, file, "Open", "&Open");
        auto* recent = AddItem(&form, file, "Recent", "&Recent");
        AddItem(&form, recent, "Last", "&Last");
        AddItem(&form, root, "Help", "&Help");
        editor->SetLinkedMainMenu(menu);
    }
};
} // namespace

TEST_F(EditorForm, RowsForEveryItemButSeparatorsInTreeOrder) {
    auto* file = AddItem(&form, root, "mnuFile", "&File");
    AddItem(&form, file, "mnuOpen", "&Open");
    auto* sep = AddItem(&form, file, "mnuSep", "-");
    AddItem(&form, sep, "mnuUnderSep", "Under");
    AddItem(&form, file, "mnuExit", "E&xit");
    auto* help = AddItem(&form, root, "mnuHelp", "&Help");
    AddItem(&form, help, "mnuAbout", "&About && more");
    AddItem(&form, help, "mnuDebug", "<Debug");
    editor->SetLinkedMainMenu(menu);
    EXPECT_EQ(Rows(),
              (V{"File", "  Open", "    Under", "  Exit", "Help", "  About  more", "  <Debug"}));
    EXPECT_EQ(editor->MenuItemNames().Items(), (V{"mnuFile", "mnuOpen", "mnuUnderSep", "mnuExit",
                                                  "mnuHelp", "mnuAbout", "mnuDebug"}));
    // The editor never removes special items.
    EXPECT_NE(form.FindComponent("mnuDebug"), nullptr);
    // Rebuilding again gives the same rows.
    editor->SetupAccessRight();
    EXPECT_EQ(editor->Count(), 7);
    EXPECT_EQ(editor->MenuItemNames().Count(), 7);
}

TEST_F(EditorForm, IndentationStopsAtEighteenSpaces) {
    TMenuItem* parent = root;
    for (int level = 0; level <= 10; ++level) {
        parent = AddItem(&form, parent, "L" + std::to_string(level), "x");
    }
    editor->SetLinkedMainMenu(menu);
    EXPECT_EQ(editor->Items().Strings(8), std::string(16, ' ') + "x");
    EXPECT_EQ(editor->Items().Strings(9), std::string(18, ' ') + "x");
    EXPECT_EQ(editor->Items().Strings(10), std::string(18, ' ') + "x");
    EXPECT_EQ(editor->RowLevel(10), 10);
}

TEST_F(FileHelp, CheckingADeepRowChecksItsAncestorsOnly) {
    Toggle(*editor, "Last");
    EXPECT_EQ(Rows(), (V{"File [x]", "  Open", "  Recent [x]", "    Last [x]", "Help"}));
    EXPECT_EQ(Granted(*editor), (V{"Last", "Recent", "File"}));
    Toggle(*editor, "File"); // unchecking a row clears its subtree
    EXPECT_EQ(Rows(), (V{"File", "  Open", "  Recent", "    Last", "Help"}));
    EXPECT_EQ(Granted(*editor), V{});
}

TEST_F(FileHelp, CheckingATopRowChecksItsSubtree) {
    Toggle(*editor, "File");
    EXPECT_EQ(Rows(), (V{"File [x]", "  Open [x]", "  Recent [x]", "    Last [x]", "Help"}));
    EXPECT_EQ(Granted(*editor), (V{"File", "Open", "Recent", "Last"}));
    Toggle(*editor, "Recent");
    EXPECT_EQ(Rows(), (V{"File [x]", "  Open [x]", "  Recent", "    Last", "Help"}));
    EXPECT_EQ(Granted(*editor), (V{"File", "Open"}));
}

TEST_F(FileHelp, GrantAllThenRevokeAllLeavesNothing) {
    // Two rows sharing a name (unnamed items): the name is granted once.
    AddItem(&form, root, "", "Unnamed one");
    AddItem(&form, root, "", "Unnamed two");
    editor->SetupAccessRight();
    editor->GrantAllRight();
    EXPECT_EQ(Granted(*editor), (V{"File", "Open", "Recent", "Last", "Help", ""}));
    for (int i = 0; i < editor->Count(); ++i) {
        EXPECT_TRUE(editor->Checked(i));
    }
    editor->RevokeAllRight();
    EXPECT_EQ(Granted(*editor), V{});
    for (int i = 0; i < editor->Count(); ++i) {
        EXPECT_FALSE(editor->Checked(i));
    }
}

TEST_F(FileHelp, ARightIsNeverGrantedTwiceSoUncheckingRevokesIt) {
    Toggle(*editor, "Help");
    editor->SetupAccessRight(); // the rebuilt row starts checked: the name is granted
    EXPECT_TRUE(editor->Checked(Row("Help")));
    Toggle(*editor, "Help");
    EXPECT_FALSE(editor->HasRight("Help"));
    Toggle(*editor, "Help");
    Toggle(*editor, "Help");
    EXPECT_EQ(Granted(*editor), V{});
}

TEST_F(FileHelp, ARebuildDropsNamesWithoutRows) {
    Toggle(*editor, "Last");
    form.FindComponent("Recent")->Free();
    editor->SetupAccessRight();
    EXPECT_EQ(Rows(), (V{"File [x]", "  Open", "Help"}));
    EXPECT_EQ(Granted(*editor), V{"File"});
}

TEST_F(FileHelp, PreviewRulesTheLiveMenuWithTheEditorsHiding) {
    Toggle(*editor, "Open");
    EXPECT_EQ(DumpMenu(root), "File &File [EV]\n"
                              "  Open &Open [EV]\n"
                              "  Recent &Recent [--]\n"
                              "    Last &Last [--]\n"
                              "Help &Help [--]\n");
    editor->SetHideDisabledItem(false);
    Toggle(*editor, "Open");
    EXPECT_EQ(DumpMenu(root), "File &File [EV]\n"
                              "  Open &Open [-V]\n"
                              "  Recent &Recent [-V]\n"
                              "    Last &Last [-V]\n"
                              "Help &Help [-V]\n");
}

TEST_F(FileHelp, OnClickCheckSeesTheListAsItWas) {
    std::vector<V> seen;
    editor->SetOnClickCheck({"", [&](TComponent*) { seen.push_back(Granted(*editor)); }});
    Toggle(*editor, "Open");
    Toggle(*editor, "Help");
    EXPECT_EQ(seen, (std::vector<V>{V{}, V{"Open", "File"}}));
}

TEST_F(FileHelp, ToggleWithoutAValidSelectionDoesNothing) {
    editor->SetItemIndex(-1);
    editor->RunClickCheck();
    EXPECT_EQ(Granted(*editor), V{});
    EditorForm::editor->SetLinkedMainMenu(nullptr);
    editor->RunClickCheck(); // no rows
    EXPECT_EQ(editor->Count(), 0);
}

TEST_F(FileHelp, UnlinkingEmptiesRowsButKeepsTheMenuForTheNextRebuild) {
    editor->SetLinkedMainMenu(nullptr);
    EXPECT_EQ(editor->Count(), 0);
    EXPECT_EQ(editor->MenuItemNames().Count(), 0);
    EXPECT_EQ(editor->LinkedMainMenu(), menu);
    editor->SetupAccessRight();
    EXPECT_EQ(editor->Count(), 5);
}

TEST_F(FileHelp, DestroyedMenuKeepsRowsAndPreviewRaisesAfterTheChecks) {
    menu->Free();
    EXPECT_EQ(editor->LinkedMainMenu(), nullptr);
    EXPECT_EQ(editor->Count(), 5);
    editor->SetupAccessRight(); // nothing to rebuild from
    EXPECT_EQ(editor->Count(), 5);
    EXPECT_THROW(Toggle(*editor, "File"), EMenuError);
    EXPECT_TRUE(editor->Checked(Row("Last"))); // the checks made before the preview stay
    EXPECT_EQ(Granted(*editor), (V{"File", "Open", "Recent", "Last"}));
    EXPECT_THROW(editor->GrantAllRight(), EMenuError);
    EXPECT_THROW(editor->RevokeAllRight(), EMenuError);
    EXPECT_EQ(Granted(*editor), V{});
}

TEST_F(EditorForm, DepthIsTheRealLevelNotTheRowText) {
    // A top-level item whose caption begins with spaces, and a chain eleven deep.
    AddItem(&form, root, "Spaced", "    Spaced");
    TMenuItem* parent = root;
    for (int level = 0; level <= 10; ++level) {
        parent = AddItem(&form, parent, "L" + std::to_string(level), "x");
    }
    editor->SetLinkedMainMenu(menu);
    Toggle(*editor, "Spaced"); // nothing above it is touched, nothing below it is its subtree
    EXPECT_EQ(Granted(*editor), V{"Spaced"});
    editor->RevokeAllRight();
    Toggle(*editor, "L9"); // checks L10 below and L8..L0 above
    EXPECT_TRUE(editor->Checked(Row("L10")));
    EXPECT_TRUE(editor->Checked(Row("L0")));
    editor->RevokeAllRight();
    Toggle(*editor, "L10");
    EXPECT_TRUE(editor->Checked(Row("L9")));
    EXPECT_EQ(editor->Granted().Count(), 11);
}

TEST_F(EditorForm, TextHelpers) {
    EXPECT_EQ(TZELMenuCheckListBox::StrStripCh("&a&&b&", '&'), "ab");
    EXPECT_EQ(TZELMenuCheckListBox::StrStripCh("", '&'), "");
    EXPECT_EQ(TZELMenuCheckListBox::CountLeadingSpace("  a "), 2);
    EXPECT_EQ(TZELMenuCheckListBox::CountLeadingSpace("   "), 3);
    EXPECT_EQ(TZELMenuCheckListBox::CountLeadingSpace(""), 0);
}

TEST(EditorLifetime, LinksClearWhicheverGoesFirst) {
    auto form = std::make_unique<TForm>(nullptr);
    auto* menu = new TMainMenu(form.get());
    auto* source = new TDataSource(form.get());
    auto* editor = new TZELMenuCheckListBox(form.get());
    editor->SetLinkedMainMenu(menu);
    editor->SetDataSource(source);
    editor->SetDataSource(nullptr); // ignored
    EXPECT_EQ(editor->DataSource(), source);
    source->Free();
    EXPECT_EQ(editor->DataSource(), nullptr);
    editor->Free();
    menu->Free(); // must not reach the freed editor
    EXPECT_EQ(form->ComponentCount(), 0);
}
