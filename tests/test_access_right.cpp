#include "zel/accessright/AccessRight.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using zel::accessright::Read;
using zel::accessright::Write;
using zel::host::TStringList;

namespace {
std::vector<std::string> Tokens(const std::string& text) {
    std::vector<std::string> tokens;
    Read(text, [&](const std::string& t) { tokens.push_back(t); });
    return tokens;
}
using V = std::vector<std::string>;
} // namespace

TEST(AccessRightWrite, TerminatorFirstThenEachNameWithItsTerminator) {
    TStringList list;
    EXPECT_EQ(Write(list), "\xFF");
    list.Add("A");
    EXPECT_EQ(Write(list), "\xFF"
                           "A\xFF");
    list.Add("mnuB");
    list.Add("A"); // duplicates and case are written as they stand
    list.Add("a");
    EXPECT_EQ(Write(list), "\xFF"
                           "A\xFF"
                           "mnuB\xFF"
                           "A\xFF"
                           "a\xFF");
}

TEST(AccessRightRead, EmitsOneTokenPerTerminatorAndDropsTheTail) {
    EXPECT_EQ(Tokens(""), V{});
    EXPECT_EQ(Tokens("\xFF"), V{""});
    EXPECT_EQ(Tokens("\xFF"
                     "A\xFF"),
              (V{"", "A"}));
    EXPECT_EQ(Tokens("A"), V{});
    EXPECT_EQ(Tokens("\xFF"
                     "A\xFF"
                     "B"),
              (V{"", "A"}));
    EXPECT_EQ(Tokens("\xFF\xFF"
                     "A\xFF\xFF"),
              (V{"", "", "A", ""}));
    EXPECT_EQ(Tokens("A\xFF"
                     "A\xFF"),
              (V{"A", "A"}));
}

TEST(AccessRight, WrittenListReadsBackAfterTheEmptyToken) {
    TStringList list;
    std::string odd;
    for (int c = 0; c < 255; ++c) { // every byte but the terminator
        odd += static_cast<char>(c);
    }
    list.Add(odd);
    list.Add("");
    list.Add("x");
    EXPECT_EQ(Tokens(Write(list)), (V{"", odd, "", "x"}));
    // A name holding the terminator splits in two: the writer does not guard it.
    TStringList split;
    split.Add("a\xFF"
              "b");
    EXPECT_EQ(Tokens(Write(split)), (V{"", "a", "b"}));
}
