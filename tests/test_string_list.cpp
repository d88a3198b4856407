#include "zel/host/CaseFold.h"
#include "zel/host/Errors.h"
#include "zel/host/StringList.h"

#include <gtest/gtest.h>

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
