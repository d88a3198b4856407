#include "zel/host/core/CaseFold.h"
#include "zel/host/core/Errors.h"
#include "zel/host/text/StringList.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

using namespace zel::host;

TEST(StringList, AddDeleteClearKeepOrderAndDuplicates) {
    TStringList l;
    EXPECT_EQ(l.Add("b"), 0);
    EXPECT_EQ(l.Add("a"), 1);
    EXPECT_EQ(l.Add("b"), 2);
    l.Delete(0);
    EXPECT_EQ(l.Count(), 2);
    EXPECT_EQ(l.Strings(0), "a");
    EXPECT_EQ(l.Strings(1), "b");
    EXPECT_THROW(l.Delete(2), EStringListError);
    EXPECT_THROW(l.Strings(-1), EStringListError);
    l.Clear();
    EXPECT_EQ(l.Count(), 0);
}

TEST(StringList, IndexOfIgnoresCaseOfAsciiAndWindows1252Letters) {
    TStringList l;
    l.Add("mnuFile");
    l.Add("\xC9t\xE9");    // Été
    l.Add("\x8A\x8C\x8E"); // ŠŒŽ
    l.Add("\x9F");         // Ÿ
    EXPECT_EQ(l.IndexOf("MNUFILE"), 0);
    EXPECT_EQ(l.IndexOf("\xE9T\xC9"), 1);
    EXPECT_EQ(l.IndexOf("\x9A\x9C\x9E"), 2);
    EXPECT_EQ(l.IndexOf("\xFF"), 3);
    EXPECT_EQ(l.IndexOf("mnuFil"), -1);
    // Not letters: × and ÷ stay apart, as do digits and their neighbours.
    EXPECT_FALSE(SameText("\xD7", "\xF7"));
    EXPECT_FALSE(SameText("@", "`"));
    EXPECT_FALSE(SameText("a", "A "));
}

TEST(StringList, LargeListLookUpsStayRightAcrossChanges) {
    // Past the size where the index is used: first match, after adds and deletes.
    TStringList l;
    for (int i = 0; i < 100; ++i) {
        l.Add("n" + std::to_string(i));
    }
    l.Add("N5"); // a duplicate in other case, later
    EXPECT_EQ(l.IndexOf("n5"), 5);
    l.Delete(5);
    EXPECT_EQ(l.IndexOf("n5"), 99);
    EXPECT_EQ(l.IndexOf("n6"), 5);
    l.Insert(0, "n6");
    EXPECT_EQ(l.IndexOf("N6"), 0);
    l.SetStrings(0, "zz");
    EXPECT_EQ(l.IndexOf("n6"), 6);
    EXPECT_EQ(l.IndexOf("ZZ"), 0);
    l.Add("fresh");
    EXPECT_EQ(l.IndexOf("FRESH"), l.Count() - 1);
    l.Clear();
    EXPECT_EQ(l.IndexOf("zz"), -1);
}

TEST(StringList, EveryByteSurvives) {
    std::string all;
    for (int c = 0; c < 256; ++c) {
        all += static_cast<char>(c);
    }
    TStringList l;
    l.Add(all);
    EXPECT_EQ(l.Strings(0), all);
    EXPECT_EQ(l.IndexOf(all), 0);
}

TEST(StringList, IndexStaysRightThroughAnyChangesAsALinearSearch) {
    // Random changes to a long list with many equal entries in other letter case; after
    // each, every look-up answers as a plain search of a copy would.
    std::mt19937 random(7);
    const auto name = [&] {
        std::string n = "n" + std::to_string(random() % 40);
        return random() % 2 ? n : FoldCase(n) == n ? "N" + n.substr(1) : n;
    };
    TStringList l;
    std::vector<std::string> copy;
    std::size_t longest = 0;
    for (int step = 0; step < 3000; ++step) {
        const int pick = copy.empty() ? 0 : static_cast<int>(random() % copy.size());
        switch (random() % 7) { // more in than out: the list grows past the index's size
        case 0:
        case 5:
        case 6:
            copy.push_back(name());
            l.Add(copy.back());
            break;
        case 1:
            if (!copy.empty()) {
                copy.erase(copy.begin() + pick);
                l.Delete(pick);
            }
            break;
        case 2:
            copy.insert(copy.begin() + pick, name());
            l.Insert(pick, copy[static_cast<std::size_t>(pick)]);
            break;
        case 3:
            if (!copy.empty()) {
                copy[static_cast<std::size_t>(pick)] = name();
                l.SetStrings(pick, copy[static_cast<std::size_t>(pick)]);
            }
            break;
        case 4: {
            std::vector<int> gone;
            for (int i = pick; i < static_cast<int>(copy.size()) && gone.size() < 4;
                 i += 1 + static_cast<int>(random() % 4)) {
                gone.push_back(i);
            }
            for (auto it = gone.rbegin(); it != gone.rend(); ++it) {
                copy.erase(copy.begin() + *it);
            }
            l.DeleteMany(gone);
            break;
        }
        }
        ASSERT_EQ(l.Items(), copy) << "step " << step;
        longest = std::max(longest, copy.size());
        for (int probe = 0; probe < 3; ++probe) {
            const std::string n = name();
            const auto at = std::find_if(copy.begin(), copy.end(),
                                         [&](const std::string& e) { return SameText(e, n); });
            const int expected = at == copy.end() ? -1 : static_cast<int>(at - copy.begin());
            ASSERT_EQ(l.Contains(n), expected >= 0) << "step " << step << ", " << n;
            ASSERT_EQ(l.IndexOf(n), expected) << "step " << step << ", " << n;
        }
    }
    EXPECT_GT(longest, 40u); // long enough for the index, not only the plain search
}

TEST(StringList, DeleteManyRefusesBadIndicesAndChangesNothing) {
    TStringList l;
    for (const char* s : {"a", "b", "c"}) {
        l.Add(s);
    }
    for (const std::vector<int>& bad : {std::vector<int>{0, 3}, {1, 1}, {2, 0}, {-1}}) {
        EXPECT_THROW(l.DeleteMany(bad), EStringListError);
        EXPECT_EQ(l.Count(), 3);
    }
    l.DeleteMany({0, 2});
    EXPECT_EQ(l.Items(), std::vector<std::string>{"b"});
}
