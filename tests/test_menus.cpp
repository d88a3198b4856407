#include "support/TestSupport.h"
#include "zel/host/core/Errors.h"
#include "zel/host/core/Form.h"
#include "zel/host/ui/Menus.h"

#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <vector>

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

TEST(GapList, BehavesAsAVectorUnderAnyMixOfChanges) {
    std::mt19937 random(7);
    GapList<int> list;
    std::vector<int> expected;
    for (int step = 0; step < 20000; ++step) {
        const bool insert = expected.empty() || random() % 3 != 0;
        const std::size_t at = random() % (expected.size() + (insert ? 1 : 0));
        if (insert) {
            list.insert(at, step);
            expected.insert(expected.begin() + static_cast<std::ptrdiff_t>(at), step);
        } else {
            list.erase(at);
            expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(at));
        }
        ASSERT_EQ(list.size(), expected.size());
        if (!expected.empty()) {
            const std::size_t probe = random() % expected.size();
            ASSERT_EQ(list[probe], expected[probe]) << "step " << step;
            ASSERT_EQ(list.find(expected[probe]), static_cast<long>(probe));
        }
    }
    EXPECT_EQ(list.ToVector(), expected);
    EXPECT_EQ(list.find(-1), -1);
}

TEST(Menus, FreeingSpecialSiblingsKeepsTheRestInOrder) {
    TForm form(nullptr);
    auto* menu = new TMainMenu(&form);
    for (int i = 0; i < 1000; ++i) {
        AddItem(&form, menu->Items(), "i" + std::to_string(i), i % 3 == 0 ? "<x" : "y");
    }
    for (int i = 0; i < menu->Items()->Count();) { // forward, as the provider frees them
        TMenuItem* item = menu->Items()->Items(i);
        if (item->Caption() == "<x") {
            item->Free();
        } else {
            ++i;
        }
    }
    ASSERT_EQ(menu->Items()->Count(), 666);
    for (int i = 0; i < 666; ++i) {
        EXPECT_EQ(menu->Items()->Items(i)->Name(), "i" + std::to_string(i + i / 2 + 1));
        EXPECT_EQ(menu->Items()->IndexOf(menu->Items()->Items(i)), i);
    }
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
