// The glyph renderer over a rasteriser made in the test: cell opacity, the shadow, the blend
// into a surface, colours, the cache with its preload list and its limit, external characters,
// and where the text runs put their characters.

#include "gfx/glyph_renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

namespace corvid {
namespace {

// Delivers, for every code, the bitmap `shape` makes, and counts the calls.
class FakeRasteriser final : public GlyphRasteriser {
 public:
  std::function<bool(uint32_t, GlyphBitmap&)> shape = [](uint32_t, GlyphBitmap& out) {
    out = GlyphBitmap{2, 2, 4, 20, {64, 64, 64, 64}};
    return true;
  };
  int calls = 0;
  int points = 0;
  bool setFace(const std::string&, bool) override { return true; }
  void setPointSize(int p) override { points = p; }
  int ascent() const override { return 24; }
  bool rasterise(uint32_t code, GlyphBitmap& out) override {
    ++calls;
    return shape(code, out);
  }
};

struct Rig {
  int32_t skipLevel = 0;
  int32_t defaultColour = 0xFFFFFF;
  int32_t pitch = 15;
  FakeRasteriser fake;
  GlyphRenderer glyphs{fake, GlyphContext{skipLevel, defaultColour, pitch}};
};

// One pixel of coverage v at cell column 10, row ascent - originY + 2 = 10.
GlyphBitmap dot(uint8_t v) { return GlyphBitmap{1, 1, 10, 16, {v}}; }

TEST(GlyphRenderer, CoverageBecomesCellOpacity) {
  const std::pair<uint8_t, uint8_t> cases[] = {{0, 0}, {1, 93}, {20, 150}, {54, 252}, {55, 255}, {64, 255}};
  for (const auto& [v, opacity] : cases) {
    Rig rig;
    rig.fake.shape = [v](uint32_t, GlyphBitmap& out) { return out = dot(v), true; };
    rig.glyphs.rasteriseGlyph(0x8250);
    EXPECT_EQ(rig.glyphs.glyphCoverage(10, 10), opacity) << int(v);
  }
}

// The shadow is the cell blurred by its four neighbours and moved one row down.
TEST(GlyphRenderer, ShadowIsTheBlurredCellOneRowDown) {
  Rig rig;
  rig.fake.shape = [](uint32_t, GlyphBitmap& out) { return out = dot(64), true; };
  rig.glyphs.rasteriseGlyph(0x8250);
  const std::pair<std::pair<int, int>, int> cases[] = {
      {{10, 10}, 63}, {{10, 12}, 63}, {{9, 11}, 63}, {{11, 11}, 63}, {{10, 11}, 0}, {{10, 9}, 0}};
  for (const auto& [at, value] : cases)
    EXPECT_EQ(rig.glyphs.shadowCoverage(at.first, at.second), value)
        << at.first << "," << at.second;
}

TEST(GlyphRenderer, DrawsShadowThenGlyphInTheTextColour) {
  Rig rig;
  rig.fake.shape = [](uint32_t, GlyphBitmap& out) { return out = dot(64), true; };
  rig.glyphs.selectTextColour(2);  // red
  rig.glyphs.rasteriseGlyph(0x8250);
  Surface s(100, 100);
  s.fill(0x646464);  // 100 in every byte
  rig.glyphs.drawGlyph(s, 20, 30);
  // The glyph pixel: floor(100 * 0 / 256) + floor(c * 255 / 256). A shadow pixel of 63:
  // floor(100 * 192 / 256); the glyph's own pixel takes the shadow of (9, 10) at x + 1 first.
  const auto px = [&](int x, int y) {
    const uint8_t* p = s.at(x, y);
    return std::vector<int>{p[0], p[1], p[2]};
  };
  EXPECT_EQ(px(30, 40), (std::vector<int>{0, 0, 254}));
  // Shadow 0 in a group of 8 bytes that has coverage: floor(100 * 255 / 256).
  EXPECT_EQ(px(31, 41), (std::vector<int>{99, 99, 99}));
  EXPECT_EQ(px(32, 41), (std::vector<int>{75, 75, 75}));     // shadow of (11, 11) at x + 1
  EXPECT_EQ(px(31, 42), (std::vector<int>{75, 75, 75}));     // shadow of (10, 12) at x + 1
  EXPECT_EQ(px(25, 35), (std::vector<int>{100, 100, 100}));

  // Rows outside the surface and glyphs below row 550 are left out, edges clipped.
  Surface tall(40, 600);
  tall.fill(0);
  rig.glyphs.drawGlyph(tall, -15, 551);
  rig.glyphs.drawGlyph(tall, 30, -5);
  rig.glyphs.drawGlyph(tall, -20, 0);
  EXPECT_EQ(tall.at(39, 5)[2], 0);  // column 40 of the cell is past the edge
  EXPECT_EQ(tall.at(0, 10)[2], 0);  // x = -20 puts the dot at -10
  Surface edge(45, 40);
  edge.fill(0);
  rig.glyphs.drawGlyph(edge, 30, -5);  // the dot at (40, 5)
  EXPECT_EQ(edge.at(40, 5)[2], 254);
}

// The drawn bytes as written plainly: per row of the 32x36 cell, the shadow at x + 1 then the
// glyph at x, each group of 8 mask bytes with any coverage blended by the masked-blend formula.
void drawPlainly(const GlyphRenderer& g, Surface& s, int x, int y, uint32_t colour) {
  const uint8_t rgb[3] = {uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour)};
  for (int pass = 0; pass < 2; ++pass)
    for (int r = 0; r < 36; ++r) {
      if (y + r < 0 || y + r >= s.height) continue;
      const int left = pass == 0 ? x + 1 : x;
      for (int group = 0; group < 12; ++group) {
        bool any = false;
        for (int i = group * 8; i < group * 8 + 8; ++i)
          any |= (pass == 0 ? g.shadowCoverage(i / 3, r) : g.glyphCoverage(i / 3, r)) != 0;
        if (!any) continue;
        for (int i = group * 8; i < group * 8 + 8; ++i) {
          const int px = left + i / 3;
          if (px < 0 || px >= s.width) continue;
          const int m = pass == 0 ? g.shadowCoverage(i / 3, r) : g.glyphCoverage(i / 3, r);
          const int c = pass == 0 ? 0 : rgb[i % 3];
          uint8_t& d = s.at(px, y + r)[i % 3];
          d = uint8_t(std::min(255, d * (255 - m) / 256 + c * m / 256));
        }
      }
    }
}

TEST(GlyphRenderer, FastDrawingGivesThePlainBytes) {
  Rig rig;
  uint32_t seed = 7;
  const auto next = [&seed] { return seed = seed * 1103515245 + 12345, (seed >> 16) & 0x7FFF; };
  rig.fake.shape = [&](uint32_t, GlyphBitmap& out) {
    out = GlyphBitmap{26, 28, 2, 24, std::vector<uint8_t>(26 * 28)};
    for (uint8_t& v : out.coverage) v = next() % 3 == 0 ? 0 : uint8_t(next() % 65);
    return true;
  };
  rig.glyphs.selectTextColour(3);
  const std::pair<int, int> places[] = {{100, 100}, {-10, 5}, {180, -20}, {190, 170}, {0, 0}};
  for (uint32_t code = 0x8940; code < 0x8950; ++code) {
    rig.glyphs.rasteriseGlyph(code);
    for (const auto& [x, y] : places) {
      Surface fast(200, 180), plain(200, 180);
      for (size_t i = 0; i < fast.pixels.size(); ++i) fast.pixels[i] = plain.pixels[i] = uint8_t(next());
      rig.glyphs.drawGlyph(fast, x, y);
      drawPlainly(rig.glyphs, plain, x, y, rig.glyphs.textColour());
      ASSERT_EQ(fast.pixels, plain.pixels) << std::hex << code << " at " << std::dec << x << "," << y;
    }
  }
}

TEST(GlyphRenderer, ColourCodesUseTheDefaultOrThePalette) {
  Rig rig;
  rig.defaultColour = 0x123456;
  const std::pair<int32_t, uint32_t> cases[] = {
      {0, 0x123456}, {1, 0x008000}, {2, 0x0000FF}, {7, 0xC0C0C0}, {8, 0xFFFFFF}, {9, 0x008000},
      {12, 0x00FFFF}, {-1, 0xC0C0C0}};
  for (const auto& [code, colour] : cases) {
    rig.glyphs.selectTextColour(code);
    EXPECT_EQ(rig.glyphs.textColour(), colour) << code;
  }
}

TEST(GlyphRenderer, CacheHoldsThePreloadAndAThousandCharacters) {
  Rig rig;
  rig.glyphs.rebuildGlyphCache();
  const std::vector<uint32_t> preload = glyphPreloadCodes();
  EXPECT_EQ(preload.size(), 83u + 87u + 10u + 14u);
  EXPECT_EQ(rig.glyphs.cache().size(), int(preload.size()));
  EXPECT_EQ(rig.fake.calls, int(preload.size()));

  rig.glyphs.rasteriseGlyph(0x82A0);  // あ, preloaded
  EXPECT_EQ(rig.fake.calls, int(preload.size()));
  // Distinct kanji until the cache is full; the 1001st is drawn but rasterised every time.
  uint32_t code = 0x8940;
  while (!rig.glyphs.cache().full()) rig.glyphs.rasteriseGlyph(code++);
  const int calls = rig.fake.calls;
  for (int i = 0; i < 2; ++i) {
    rig.glyphs.rasteriseGlyph(code);
    EXPECT_EQ(rig.glyphs.glyphCoverage(4, 6), 255);
  }
  EXPECT_EQ(rig.fake.calls, calls + 2);
  EXPECT_EQ(rig.glyphs.cache().size(), kGlyphCacheEntries);
  rig.glyphs.rasteriseGlyph(0x8940);  // the first one cached still comes from the cache
  EXPECT_EQ(rig.fake.calls, calls + 2);
}

TEST(GlyphRenderer, BlankAndOversizedGlyphsDrawNothing) {
  const std::pair<GlyphBitmap, bool> cases[] = {
      {GlyphBitmap{}, false},                                               // a blank
      {GlyphBitmap{32, 72, 0, 24, std::vector<uint8_t>(32 * 72, 64)}, false},  // 2304 bytes
      {GlyphBitmap{29, 72, 0, 24, std::vector<uint8_t>(29 * 72, 64)}, false},  // rows padded to 32
      {GlyphBitmap{28, 70, 0, 24, std::vector<uint8_t>(28 * 70, 64)}, true},
  };
  for (const auto& [bitmap, drawn] : cases) {
    Rig rig;
    rig.fake.shape = [&bitmap](uint32_t, GlyphBitmap& out) { return out = bitmap, true; };
    rig.glyphs.rasteriseGlyph(0x8250);
    EXPECT_EQ(rig.glyphs.glyphCoverage(5, 5) != 0, drawn) << bitmap.width << "x" << bitmap.height;
    EXPECT_EQ(rig.glyphs.cache().size(), drawn ? 1 : 0);
  }
}

TEST(GlyphRenderer, ExternalCharactersComeFromTheirPicture) {
  Rig rig;
  const std::string gaiji = "\x88\x9f\x88\xa0";  // replaces 0x889F and 0x88A0
  Surface picture(48, 24);
  picture.fill(0);
  *picture.at(24 + 5, 7) = 200;  // the second character: one pixel of coverage 200 (blue byte)
  rig.glyphs.setExternalCharacters(&gaiji, &picture);
  rig.glyphs.rebuildGlyphCache();
  const int calls = rig.fake.calls;
  rig.glyphs.rasteriseGlyph(0x88A0);
  EXPECT_EQ(rig.fake.calls, calls);
  EXPECT_EQ(rig.glyphs.glyphCoverage(2 + 5, 2 + 7), 200);
  EXPECT_EQ(rig.glyphs.glyphCoverage(4, 6), 0);
  EXPECT_EQ(rig.glyphs.shadowCoverage(2 + 5, 2 + 7 + 2), 50);  // blurred, one row down
  rig.glyphs.rasteriseGlyph(0x889F);
  EXPECT_EQ(rig.glyphs.glyphCoverage(2 + 5, 2 + 7), 0);
}

// The fake's 2x2 block lies at cell column 4, row 6: ink at (x + 4, y + 6).
std::vector<int> inkColumns(const Surface& s, int y) {
  std::vector<int> xs;
  for (int x = 0; x + 1 < s.width; ++x)
    if (s.at(x, y)[0] != 0 && s.at(x + 1, y)[0] != 0 && (x == 0 || s.at(x - 1, y)[0] == 0))
      xs.push_back(x - 4);
  return xs;
}

TEST(GlyphRenderer, TextRunsPlaceCharactersByBytePosition) {
  struct Case {
    const char* text;
    int which;  // 0 plain, 1 centred, 2 centred with pitch 20
    std::vector<int> xs;
  };
  const Case cases[] = {
      {"\x82\xa0" "A\x82\xa2", 0, {100 + 15, 100 + 45, 100 + 60}},
      {"\x82\xa0" "A\x82\xa2", 1, {115 - 37, 145 - 37, 160 - 37}},  // 5 bytes: (5 * 15) / 2
      {"AB", 2, {100 + 20 - 20, 100 + 40 - 20}},
      {"\xb1\xb2", 0, {115, 130}},  // half-width katakana: one byte each
  };
  for (const Case& c : cases) {
    Rig rig;
    Surface s(400, 60);
    s.fill(0);
    if (c.which == 0) rig.glyphs.drawTextRun(c.text, 100, 10, s, 0);
    if (c.which == 1) rig.glyphs.drawTextRunCentred(c.text, 100, 10, s, 0);
    if (c.which == 2) rig.glyphs.drawTextRunCentredPitch(c.text, 100, 20, s, 0, 10);
    EXPECT_EQ(inkColumns(s, 16), c.xs) << c.text;
  }
}

TEST(GlyphRenderer, SkippingDrawsNothing) {
  Rig rig;
  rig.skipLevel = 2;
  Surface s(100, 60);
  s.fill(0);
  rig.glyphs.drawTextRun("AB", 0, 0, s, 0);
  EXPECT_EQ(rig.fake.calls, 0);
  EXPECT_EQ(inkColumns(s, 6), std::vector<int>{});
}

TEST(GlyphRenderer, LargeGlyphsAreWhiteWithAShadowAndNeverCached) {
  Rig rig;
  rig.glyphs.selectTextColour(2);
  rig.glyphs.rasteriseLargeGlyph("\x82\xa0", 40);
  EXPECT_EQ(rig.fake.points, 40);
  Surface s(100, 100);
  s.fill(0x646464);
  rig.glyphs.drawLargeGlyph(s, 10, 10);
  EXPECT_EQ(std::vector<int>(s.at(14, 16), s.at(14, 16) + 3), (std::vector<int>{254, 254, 254}));
  EXPECT_LT(s.at(14 + 1, 16 + 2)[0], 100);  // the shadow right and below
  EXPECT_EQ(rig.glyphs.cache().size(), 0);
}

}  // namespace
}  // namespace corvid
