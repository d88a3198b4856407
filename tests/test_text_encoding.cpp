// The tool's conversion between the system's 8-bit text and UTF-8.
#include "zel/host/core/TextEncoding.h"

#include <gtest/gtest.h>

using zel::host::FromUtf8;
using zel::host::ToUtf8;

TEST(Encoding, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int c = 0; c < 256; ++c) {
        all += static_cast<char>(c);
    }
    EXPECT_EQ(FromUtf8(ToUtf8(all)), all);
}

TEST(Encoding, Windows1252LettersAndTheUndefinedBytes) {
    EXPECT_EQ(ToUtf8("\x80"), "\xE2\x82\xAC");   // euro sign
    EXPECT_EQ(ToUtf8("\x9F"), "\xC5\xB8");       // Y with diaeresis
    EXPECT_EQ(ToUtf8("\xE9"), "\xC3\xA9");       // e acute
    EXPECT_EQ(ToUtf8("\x81"), "\xC2\x81");       // undefined: Latin-1 of the same code
    EXPECT_EQ(FromUtf8("\xE2\x84\xA2"), "\x99"); // trade mark sign
    EXPECT_EQ(FromUtf8("Jos\xC3\xA9"), "Jos\xE9");
}

TEST(Encoding, TextOutsideTheSetOrBrokenIsRefused) {
    EXPECT_FALSE(FromUtf8("\xF0\x9F\x98\x80")); // an emoji
    EXPECT_FALSE(FromUtf8("\xC4\x80"));         // A with macron: not in the set
    EXPECT_FALSE(FromUtf8("\xC3"));             // cut short
    EXPECT_FALSE(FromUtf8("\xC0\xAF"));         // overlong
    EXPECT_FALSE(FromUtf8("\xED\xA0\x80"));     // a surrogate
    EXPECT_FALSE(FromUtf8("\xFF"));
    EXPECT_EQ(FromUtf8(""), "");
}
