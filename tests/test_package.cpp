// The package library: classes known to forms by linking, palette filled by installing.
#include "zel/host/core/ClassInfo.h"
#include "zel/host/packages/Packages.h"
#include "zel/host/packages/Palette.h"
#include "zel/package/Package.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>

using namespace zel::host;

#ifndef ZEL_PACKAGE_PATH
#error "ZEL_PACKAGE_PATH must name the built package library"
#endif

namespace {
std::uint32_t U32(const std::string& b, std::size_t at) {
    std::uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}
std::uint16_t U16(const std::string& b, std::size_t at) {
    std::uint16_t v;
    std::memcpy(&v, b.data() + at, 2);
    return v;
}
} // namespace

TEST(Package, LinkingRegistersClassesButNotThePalette) {
    zel::package::Initialize();
    for (const char* name : {"TZELRight", "TZELBitBtn", "TZELButton", "TZELMenuCheckListBox"}) {
        EXPECT_NE(FindClass(name), nullptr) << name;
    }
    EXPECT_TRUE(PalettePages().empty());
}

TEST(Package, InstallingAtRunTimeFillsPageZELWithFourClassesAndBitmaps) {
    EXPECT_THROW(TPackage::Install("/nonexistent/libzel.so"), EComponentError);
    TPackage package = TPackage::Install(ZEL_PACKAGE_PATH);
    EXPECT_STREQ(package.Info().name, "zel");
    ASSERT_EQ(PalettePages().size(), 1u);
    const TPalettePage& page = PalettePages()[0];
    EXPECT_EQ(page.name, "ZEL");
    std::vector<std::string> names;
    for (const auto& e : page.entries) {
        names.push_back(e.componentClass->name);
        const std::string& bmp = e.bitmap;
        ASSERT_GE(bmp.size(), 54u) << e.componentClass->name;
        EXPECT_EQ(bmp.substr(0, 2), "BM");
        EXPECT_EQ(U32(bmp, 2), bmp.size());                     // file size
        EXPECT_EQ(U32(bmp, 14), 40u);                           // BITMAPINFOHEADER
        EXPECT_EQ(static_cast<std::int32_t>(U32(bmp, 18)), 24); // width
        EXPECT_EQ(static_cast<std::int32_t>(U32(bmp, 22)), 24); // height
        EXPECT_EQ(U16(bmp, 26), 1);                             // planes
        EXPECT_EQ(U16(bmp, 28), 8);                             // bits per pixel
        EXPECT_EQ(U32(bmp, 30), 0u);                            // BI_RGB: uncompressed
        const std::uint32_t offset = U32(bmp, 10);
        EXPECT_EQ(offset, 14u + 40u + 4u * 256u);  // a full palette before the pixels
        EXPECT_EQ(bmp.size() - offset, 24u * 24u); // rows of 24 bytes, no padding needed
    }
    EXPECT_EQ(names, (std::vector<std::string>{"TZELRight", "TZELBitBtn", "TZELButton",
                                               "TZELMenuCheckListBox"}));
    // Installing again adds nothing twice.
    TPackage again = TPackage::Install(ZEL_PACKAGE_PATH);
    EXPECT_EQ(PalettePages()[0].entries.size(), 4u);
}

TEST(Package, NotAPackageIsRefused) {
    try {
        TPackage::Load(ZEL_HOST_PATH);
        FAIL();
    } catch (const EComponentError& e) {
        EXPECT_NE(std::string(e.what()).find("is not a package"), std::string::npos);
    }
}
