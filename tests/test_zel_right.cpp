// The rights provider and the menu: links, HasRight, special items and the rights walk.
#include "support/TestSupport.h"
#include "zel/components/ZELRight.h"
#include "zel/host/core/Errors.h"
#include "zel/host/data/DataSource.h"

#include <gtest/gtest.h>
#include <memory>

using namespace zel;
using namespace zel::host;
using zel::test::AddItem;
using zel::test::DumpMenu;

namespace {
struct MenuForm : ::testing::Test {
    TForm form{nullptr};
    TMainMenu* menu = new TMainMenu(&form);
    TZELRight* rights = new TZELRight(&form);
    TMenuItem* root = menu->Items();
    void SetUp() override {
        menu->SetName("MainMenu1");
        rights->SetName("Rights");
        rights->SetLinkedMainMenu(menu);
    }
    void Grant(std::initializer_list<const char*> names) {
        for (const char* n : names) {
            rights->GetAuthorisedMenuItems()->Add(n);
        }
    }
};
} // namespace

TEST_F(MenuForm, DefaultsAndLinkRules) {
    TZELRight fresh(nullptr);
    EXPECT_EQ(fresh.DataSource(), nullptr);
    EXPECT_EQ(fresh.LinkedMainMenu(), nullptr);
    EXPECT_FALSE(fresh.HideDisabledItem());
    EXPECT_EQ(fresh.GetAuthorisedMenuItems()->Count(), 0);
    EXPECT_FALSE(fresh.HasRight(""));

    auto* source = new TDataSource(&form);
    rights->SetDataSource(source);
    rights->SetDataSource(nullptr); // ignored: the old link stays
    EXPECT_EQ(rights->DataSource(), source);
    source->Free();
    EXPECT_EQ(rights->DataSource(), nullptr);

    rights->SetLinkedMainMenu(nullptr); // unlinks
    EXPECT_EQ(rights->LinkedMainMenu(), nullptr);
    EXPECT_THROW(rights->ActivateSetting(), EMenuError);
}

TEST_F(MenuForm, HasRightIgnoresCaseAndReturnsTheLiveList) {
    Grant({"mnuFile", ""});
    EXPECT_TRUE(rights->HasRight("MNUFILE"));
    EXPECT_TRUE(rights->HasRight(""));
    EXPECT_FALSE(rights->HasRight("mnuFil"));
    rights->GetAuthorisedMenuItems()->Clear();
    EXPECT_FALSE(rights->HasRight("mnuFile"));
}

TEST_F(MenuForm, WalkEnablesGrantedItemsAndShowsAllWithoutHiding) {
    auto* file = AddItem(&form, root, "File", "&File");
    auto* open = AddItem(&form, file, "Open", "Open");
    auto* sep = AddItem(&form, file, "Sep", "-");
    sep->SetEnabled(false);
    sep->SetVisible(false);
    AddItem(&form, sep, "UnderSep", "Under");
    auto* help = AddItem(&form, root, "Help", "Help");
    help->SetVisible(false); // hidden by the designer: shown again
    Grant({"open", "undersep"});
    rights->ActivateSetting();
    EXPECT_EQ(DumpMenu(root), "File &File [-V]\n"
                              "  Open Open [EV]\n"
                              "  Sep - [--]\n"
                              "    UnderSep Under [EV]\n"
                              "Help Help [-V]\n");
    EXPECT_TRUE(open->Enabled());

    rights->SetHideDisabledItem(true);
    rights->ActivateSetting();
    EXPECT_EQ(DumpMenu(root), "File &File [--]\n"
                              "  Open Open [EV]\n"
                              "  Sep - [--]\n"
                              "    UnderSep Under [EV]\n"
                              "Help Help [--]\n");
}

TEST_F(MenuForm, EmptyNameIsEnabledOnlyWhenTheEmptyNameIsGranted) {
    auto* unnamed = AddItem(&form, root, "", "Unnamed");
    rights->ActivateSetting();
    EXPECT_FALSE(unnamed->Enabled());
    Grant({""});
    rights->ActivateSetting();
    EXPECT_TRUE(unnamed->Enabled());
}

TEST_F(MenuForm, SpecialItemsAreDestroyedWithTheirSubItemsAndNoneIsSkipped) {
    auto* special = AddItem(&form, root, "Debug", "<Debug");
    AddItem(&form, special, "DebugA", "A");
    AddItem(&form, special, "DebugB", "B");
    AddItem(&form, root, "Debug2", "<Two");
    AddItem(&form, root, "Debug3", "<Three");
    auto* file = AddItem(&form, root, "File", "File");
    AddItem(&form, file, "Inner", "<Inner");
    AddItem(&form, file, "Keep", " <not special");
    AddItem(&form, file, "Empty", "");
    AddItem(&form, root, "Last", "<Last");
    Grant({"Debug", "DebugA", "File"});
    rights->ActivateSetting();
    EXPECT_EQ(DumpMenu(root), "File File [EV]\n"
                              "  Keep  <not special [-V]\n"
                              "  Empty  [-V]\n");
    for (const char* gone : {"Debug", "DebugA", "DebugB", "Debug2", "Debug3", "Inner", "Last"}) {
        EXPECT_EQ(form.FindComponent(gone), nullptr) << gone;
    }
    // A later call removes only special items that appeared since.
    AddItem(&form, file, "Late", "<Late");
    rights->ActivateSetting();
    EXPECT_EQ(file->Count(), 2);
}

TEST_F(MenuForm, MenuDestroyedWhileLinkedClearsTheLink) {
    menu->Free();
    EXPECT_EQ(rights->LinkedMainMenu(), nullptr);
    EXPECT_THROW(rights->ActivateSetting(), EMenuError);
}

TEST(ZELRightLifetime, ProviderDestroyedBeforeItsLinksLeavesThemUnharmed) {
    TForm form(nullptr);
    auto* menu = new TMainMenu(&form);
    auto* source = new TDataSource(&form);
    auto* rights = new TZELRight(&form);
    rights->SetLinkedMainMenu(menu);
    rights->SetDataSource(source);
    rights->Free();
    // Destroying the links later must not reach the freed provider (ASan watches).
    menu->Free();
    source->Free();
    EXPECT_EQ(form.ComponentCount(), 0);
}

TEST(ZELRightWalk, DeepAndWideMenusAreWalkedWithoutRecursion) {
    TForm form(nullptr);
    auto* menu = new TMainMenu(&form);
    auto* rights = new TZELRight(&form);
    rights->SetLinkedMainMenu(menu);
    TMenuItem* parent = menu->Items();
    for (int i = 0; i < 100000; ++i) {
        auto* item = new TMenuItem(&form);
        item->SetName("d" + std::to_string(i));
        item->SetCaption(i % 1000 == 999 ? "<special" : "item");
        parent->Add(item);
        parent = item;
    }
    rights->GetAuthorisedMenuItems()->Add("d5");
    rights->ActivateSetting();
    // The first special item (level 999) went with everything below it.
    TMenuItem* item = menu->Items();
    int depth = 0;
    while (item->Count() > 0) {
        item = item->Items(0);
        ++depth;
        EXPECT_EQ(item->Enabled(), depth == 6) << depth;
    }
    EXPECT_EQ(depth, 999);
}
