#include "support/TestSupport.h"
#include "zel/host/Errors.h"
#include "zel/host/Form.h"
#include "zel/host/Menus.h"

#include <gtest/gtest.h>
#include <memory>

using namespace zel::host;
using zel::test::AddItem;

TEST(Menus, FreeDestroysSubtreeAndLaterItemsMoveUp) {
    TForm form(nullptr);
    auto* menu = new TMainMenu(&form);
    TMenuItem* root = menu->Items();
    auto* file = AddItem(&form, root, "File", "&File");
    AddItem(&form, file, "Open", "Open");
    AddItem(&form, file, "Save", "Save");
    auto* help = AddItem(&form, root, "Help", "Help");
    const int before = form.ComponentCount();
    file->Free();
    ASSERT_EQ(root->Count(), 1);
    EXPECT_EQ(root->Items(0), help);
    EXPECT_EQ(form.ComponentCount(), before - 3);
    EXPECT_EQ(form.FindComponent("Open"), nullptr);
    EXPECT_THROW(root->Items(1), EMenuError);
}

TEST(Menus, PlacementRulesAreChecked) {
    TForm form(nullptr);
    auto* menu = new TMainMenu(&form);
    auto* a = AddItem(&form, menu->Items(), "A", "A");
    auto* b = AddItem(&form, a, "B", "B");
    EXPECT_THROW(menu->Items()->Add(b), EMenuError); // already placed
    a->Remove(b);
    EXPECT_EQ(b->Parent(), nullptr);
    EXPECT_THROW(b->Add(b), EMenuError);
    b->Add(new TMenuItem(&form));
    EXPECT_THROW(b->Items(0)->Add(b), EMenuError); // inside its own sub-item
    EXPECT_THROW(a->Insert(5, new TMenuItem(&form)), EMenuError);
    EXPECT_THROW(a->Add(nullptr), EMenuError);
}

TEST(Menus, FormDestructionInAnyOrderFreesEverything) {
    // Items created in an order unlike the tree: children before parents are placed.
    auto form = std::make_unique<TForm>(nullptr);
    auto* leaf = new TMenuItem(form.get());
    auto* mid = new TMenuItem(form.get());
    auto* menu = new TMainMenu(form.get());
    mid->Add(leaf);
    menu->Items()->Add(mid);
    form.reset(); // ASan checks nothing is freed twice or leaked
    SUCCEED();
}

TEST(Menus, MenuDestroyedBeforeItsItemsAreFreedAlone) {
    TForm form(nullptr);
    auto* menu = new TMainMenu(&form);
    auto* a = AddItem(&form, menu->Items(), "A", "A");
    AddItem(&form, a, "B", "B");
    TMenuItem* loose = new TMenuItem(&form);
    loose->SetName("Loose");
    menu->Free();
    EXPECT_EQ(form.FindComponent("A"), nullptr);
    EXPECT_EQ(form.FindComponent("B"), nullptr);
    EXPECT_EQ(form.FindComponent("Loose"), loose);
}

TEST(Menus, VeryDeepMenuIsFreedWithoutRecursion) {
    TForm form(nullptr);
    auto* menu = new TMainMenu(&form);
    TMenuItem* parent = menu->Items();
    for (int i = 0; i < 200000; ++i) {
        auto* item = new TMenuItem(&form);
        parent->Add(item);
        parent = item;
    }
    menu->Items()->Items(0)->Free();
    EXPECT_EQ(menu->Items()->Count(), 0);
    EXPECT_EQ(form.ComponentCount(), 1);
}

TEST(Menus, FreeingTheRootLeavesTheMenuEmptyNotDangling) {
    TForm form(nullptr);
    auto* menu = new TMainMenu(&form);
    AddItem(&form, menu->Items(), "A", "A");
    menu->Items()->Free();
    EXPECT_EQ(menu->Items(), nullptr);
}
