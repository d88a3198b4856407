#include "zel/host/core/Errors.h"
#include "zel/host/ui/CheckLst.h"

#include <gtest/gtest.h>
#include <vector>

using namespace zel::host;

namespace {
class Counting : public TCheckListBox {
public:
    using TCheckListBox::TCheckListBox;
    int clickChecks = 0;

protected:
    void ClickCheck() override {
        ++clickChecks;
        TCheckListBox::ClickCheck();
    }
};
} // namespace

TEST(CheckListBox, ChecksFollowTheRowsAsTheyChange) {
    TCheckListBox box(nullptr);
    box.Items().Add("a");
    box.Items().Add("b");
    box.Items().Add("c");
    box.SetChecked(1, true);
    box.SetItemIndex(2);
    box.Items().Insert(0, "z");
    EXPECT_TRUE(box.Checked(2));
    EXPECT_EQ(box.ItemIndex(), 3);
    box.Items().Delete(0);
    EXPECT_TRUE(box.Checked(1));
    EXPECT_FALSE(box.Checked(0));
    box.Items().Delete(2); // the selected row goes
    EXPECT_EQ(box.ItemIndex(), -1);
    EXPECT_THROW(box.Checked(2), EStringListError);
    EXPECT_THROW(box.SetItemIndex(5), EStringListError);
    box.Items().Clear();
    EXPECT_EQ(box.Count(), 0);
    EXPECT_THROW(box.SetChecked(0, true), EStringListError);
}

TEST(CheckListBox, CodeNeverRunsClickCheckButTheUsersToggleDoes) {
    Counting box(nullptr);
    int fired = 0;
    box.SetOnClickCheck({"", [&](TComponent*) { ++fired; }});
    box.Items().Add("a");
    box.Items().Add("b");
    box.SetChecked(0, true);
    EXPECT_EQ(box.clickChecks, 0);
    box.ToggleRow(1);
    EXPECT_EQ(box.ItemIndex(), 1);
    EXPECT_TRUE(box.Checked(1));
    EXPECT_EQ(box.clickChecks, 1);
    EXPECT_EQ(fired, 1);
    char space = ' ';
    box.KeyPress(space); // space toggles the selected row
    EXPECT_FALSE(box.Checked(1));
    EXPECT_EQ(box.clickChecks, 2);
    char other = 'x';
    box.KeyPress(other);
    EXPECT_EQ(box.clickChecks, 2);
    box.SetEnabled(false);
    box.ToggleRow(0);
    EXPECT_TRUE(box.Checked(0));
    EXPECT_THROW(box.ToggleRow(7), EStringListError);
}

TEST(CheckListBox, ObserversHearRowsChecksAndSelection) {
    TCheckListBox box(nullptr);
    std::vector<std::pair<TChangeKind, int>> heard;
    TConnection c =
        box.Subscribe([&](const TChange& ch) { heard.emplace_back(ch.kind, ch.index); });
    box.Items().Add("a");
    box.SetChecked(0, true);
    box.SetChecked(0, true); // no change
    box.SetItemIndex(0);
    box.Items().Clear();
    using P = std::pair<TChangeKind, int>;
    EXPECT_EQ(heard, (std::vector<P>{{TChangeKind::ItemInserted, 0},
                                     {TChangeKind::Checked, 0},
                                     {TChangeKind::ItemIndex, 0},
                                     {TChangeKind::ItemRemoved, -1}}));
}
