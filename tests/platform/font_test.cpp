// The real font: face names found through fontconfig (names no installed font has fall back to
// the Japanese Gothic font) and FreeType's coverage of code page 932 characters.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/font_lookup.h"
#include "platform/freetype_rasteriser.h"

namespace corvid {
namespace {

// The file itself (the Japanese Gothic alias is a link to it).
bool isIpaGothic(const std::string& path) {
  std::error_code ec;
  return std::filesystem::canonical(path, ec).filename() == "ipag.ttf";
}

TEST(FontLookup, UnknownFaceNamesFallBackToAJapaneseFont) {
  EXPECT_TRUE(isIpaGothic(findFontFile("ＭＳ ゴシック", false))) << findFontFile("ＭＳ ゴシック", false);
  EXPECT_TRUE(isIpaGothic(findFontFile("No Such Face", true)));
  EXPECT_TRUE(isIpaGothic(findFontFile("IPAGothic", false)));
}

TEST(FreeTypeRasteriser, PointSizesGiveTheEmOfA96DpiScreen) {
  auto r = makeFreeTypeRasteriser();
  ASSERT_TRUE(r->setFace("ＭＳ ゴシック", false));
  r->setPointSize(22);
  GlyphBitmap a;
  ASSERT_TRUE(r->rasterise(0x82A0, a));  // あ fills most of the 29-pixel em
  EXPECT_GE(a.height, 22);
  EXPECT_LE(a.height, 29);
  EXPECT_GE(r->ascent(), 22);
  EXPECT_LE(r->ascent(), 29);
  // The glyph lies inside the 32x36 cell below its two-row margin.
  EXPECT_LE(r->ascent() - a.originY + 2 + a.height, 36);
  r->setPointSize(18);
  GlyphBitmap smaller;
  ASSERT_TRUE(r->rasterise(0x82A0, smaller));
  EXPECT_LT(smaller.height, a.height);
}

TEST(FreeTypeRasteriser, DrawsCodePage932CharactersAndNothingForNonCharacters) {
  auto r = makeFreeTypeRasteriser();
  ASSERT_TRUE(r->setFace("ＭＳ ゴシック", false));
  r->setPointSize(22);
  for (uint32_t code : {0x82A0u, 0x8160u, 0x8740u, 0xFA40u, 0xB1u, 0x41u, 0x93FAu}) {
    GlyphBitmap g;
    ASSERT_TRUE(r->rasterise(code, g)) << std::hex << code;
    EXPECT_GT(g.width * g.height, 0) << std::hex << code;
    EXPECT_EQ(g.coverage.size(), size_t(g.width) * size_t(g.height));
    EXPECT_LE(*std::max_element(g.coverage.begin(), g.coverage.end()), 64);
    EXPECT_EQ(*std::max_element(g.coverage.begin(), g.coverage.end()), 64) << std::hex << code;
  }
  GlyphBitmap space;
  ASSERT_TRUE(r->rasterise(0x8140, space));
  EXPECT_EQ(space.width * space.height, 0);
  GlyphBitmap none;
  EXPECT_FALSE(r->rasterise(0x857F, none));
  EXPECT_FALSE(r->rasterise(0x81, none));
}

TEST(FreeTypeRasteriser, BoldIsWider) {
  auto plain = makeFreeTypeRasteriser(), bold = makeFreeTypeRasteriser();
  ASSERT_TRUE(plain->setFace("IPAGothic", false));
  ASSERT_TRUE(bold->setFace("IPAGothic", true));
  plain->setPointSize(22);
  bold->setPointSize(22);
  GlyphBitmap a, b;
  ASSERT_TRUE(plain->rasterise(0x93FA, a));
  ASSERT_TRUE(bold->rasterise(0x93FA, b));
  EXPECT_GT(b.width, a.width);
}

}  // namespace
}  // namespace corvid
