#include "zel/host/core/Errors.h"
#include "zel/host/text/Variant.h"

#include <gtest/gtest.h>

using namespace zel::host;

TEST(Variant, ConversionToText) {
    EXPECT_EQ(VarToStr(TVariant()), "");
    EXPECT_EQ(VarToStr(TVariant(std::int64_t{-42})), "-42");
    EXPECT_EQ(VarToStr(TVariant(0.1)), "0.1");
    EXPECT_EQ(VarToStr(TVariant(2.5e100)), "2.5e+100");
    EXPECT_EQ(VarToStr(TVariant(std::string("a\xFF\0b", 4))), std::string("a\xFF\0b", 4));
    EXPECT_EQ(VarToStr(TVariant::Blob("\x01\xFF")), "\x01\xFF");
}

TEST(Variant, TypesAreKeptApart) {
    EXPECT_TRUE(TVariant().IsNull());
    EXPECT_EQ(TVariant::Blob("x").VarType(), TVariant::Type::Blob);
    EXPECT_EQ(TVariant("x").VarType(), TVariant::Type::String);
    EXPECT_FALSE(TVariant::Blob("x") == TVariant("x"));
    EXPECT_THROW(TVariant("x").AsInteger(), EVariantError);
    EXPECT_THROW(TVariant(1).Bytes(), EVariantError);
    EXPECT_THROW(TVariant().AsFloat(), EVariantError);
}
