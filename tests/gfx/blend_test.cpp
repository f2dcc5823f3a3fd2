#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "gfx/blend.h"

namespace corvid {
namespace {

using Bytes = std::vector<uint8_t>;

// Every vector set this processor runs, to hold against the plain kernels.
std::vector<const BlendKernels*> vectorSets() {
  std::vector<const BlendKernels*> sets{&sse2BlendKernels()};
  if (avx2BlendKernels()) sets.push_back(avx2BlendKernels());
  return sets;
}

Bytes randomBytes(std::mt19937& rng, size_t n) {
  Bytes b(n);
  for (auto& v : b) v = uint8_t(rng());
  return b;
}

// A mask whose groups of 8 are, by turns, clear, opaque, random, and random with holes of 0,
// so that the clear-group rule meets every neighbour.
Bytes groupyMask(std::mt19937& rng, size_t n) {
  Bytes m(n);
  for (size_t i = 0; i < n; ++i) {
    switch ((i / 8 + rng() % 2) % 4) {
      case 0: m[i] = 0; break;
      case 1: m[i] = 255; break;
      case 2: m[i] = uint8_t(rng()); break;
      default: m[i] = rng() % 3 ? 0 : uint8_t(rng()); break;
    }
  }
  return m;
}

// Widths 1..801 bytes; the output starts as other random bytes, so a kernel that writes past
// its length or skips a byte shows up in the whole-buffer comparison.
constexpr size_t kMaxWidth = 801;
constexpr size_t kGuard = 40;

TEST(BlendKernels, VectorSetsMatchPlainKernelsOnEveryWidth) {
  const BlendKernels& plain = referenceBlendKernels();
  const int weights[] = {-300, -1, 0, 1, 2, 100, 127, 128, 129, 200, 255, 256, 257, 511, 70000};
  const int constants[] = {0, 1, 40, 127, 128, 254, 255};
  std::mt19937 rng(7);
  for (const BlendKernels* fast : vectorSets()) {
    SCOPED_TRACE(fast->name);
    for (size_t n = 1; n <= kMaxWidth; ++n) {
      SCOPED_TRACE(n);
      const Bytes a = randomBytes(rng, n + kGuard), b = randomBytes(rng, n + kGuard);
      const Bytes mask = groupyMask(rng, n + kGuard), start = randomBytes(rng, n + kGuard);
      Bytes want = start, got = start;
      auto same = [&](auto&& run) {
        want = start;
        got = start;
        run(plain, want.data());
        run(*fast, got.data());
        ASSERT_EQ(want, got);
      };
      for (int w : weights) {
        same([&](const BlendKernels& k, uint8_t* out) { k.mix(a.data(), b.data(), n, w, out); });
        same([&](const BlendKernels& k, uint8_t* out) { k.scale(a.data(), n, w, out); });
      }
      for (int c : constants) {
        same([&](const BlendKernels& k, uint8_t* out) { k.addConst(a.data(), n, c, out); });
        same([&](const BlendKernels& k, uint8_t* out) { k.subConst(a.data(), n, c, out); });
      }
      same([&](const BlendKernels& k, uint8_t* out) { k.addSat(a.data(), b.data(), n, out); });
      same([&](const BlendKernels& k, uint8_t* out) {
        k.throughMask(a.data(), b.data(), mask.data(), n, out);
      });
      same([&](const BlendKernels& k, uint8_t* out) {
        k.maskGroups(a.data(), b.data(), mask.data(), n / 8, out);
      });
    }
  }
}

TEST(BlendKernels, VectorSetsMatchInPlace) {
  // The engine blends into the base picture itself (sprites onto the stage, fades in place).
  const BlendKernels& plain = referenceBlendKernels();
  std::mt19937 rng(11);
  for (const BlendKernels* fast : vectorSets()) {
    SCOPED_TRACE(fast->name);
    for (size_t n = 1; n <= kMaxWidth; ++n) {
      const Bytes image = randomBytes(rng, n), mask = groupyMask(rng, n);
      const Bytes start = randomBytes(rng, n);
      Bytes want = start, got = start;
      plain.maskGroups(want.data(), image.data(), mask.data(), n / 8, want.data());
      fast->maskGroups(got.data(), image.data(), mask.data(), n / 8, got.data());
      ASSERT_EQ(want, got) << n;
      want = start;
      got = start;
      plain.mix(want.data(), image.data(), n, 77, want.data());
      fast->mix(got.data(), image.data(), n, 77, got.data());
      ASSERT_EQ(want, got) << n;
    }
  }
}

// ---- Hand-computed cases ---------------------------------------------------------------------

Surface surfaceOf(int w, int h, Bytes bytes) {
  Surface s(w, h);
  s.pixels = std::move(bytes);
  return s;
}

Surface filled(int w, int h, uint8_t v) { return surfaceOf(w, h, Bytes(size_t(w) * h * 3, v)); }

TEST(BlendPrimitives, WeightedBlends) {
  struct Case {
    uint8_t first, second;
    int w;
    uint8_t surfaces, row;  // blendSurfaces (w on first), blendRow (w on second)
  };
  const Case cases[] = {
      {200, 100, 128, 150, 150}, {200, 100, 256, 200, 100}, {200, 100, 0, 100, 200},
      {0, 200, 64, 150, 50},     {255, 255, 1, 255, 255},   {255, 0, 255, 254, 0},
      {255, 0, 300, 255, 0},  // out-of-range weights extrapolate and saturate
  };
  for (const Case& c : cases) {
    for (const BlendKernels* k : {&referenceBlendKernels(), &blendKernels()}) {
      SCOPED_TRACE(testing::Message() << k->name << " w=" << c.w);
      Surface a = filled(8, 2, c.first), b = filled(8, 2, c.second), out(8, 2);
      blendSurfaces(a, b, c.w, out, *k);
      EXPECT_EQ(out.pixels, Bytes(48, c.surfaces));
      Bytes row(9, 7);
      blendRow(a.pixels.data(), b.pixels.data(), 1, c.w, row.data(), *k);
      Bytes wantRow(8, c.row);
      wantRow.push_back(7);  // past the group: untouched
      EXPECT_EQ(row, wantRow);
      RowWeight pair;
      setRowWeight(pair, c.w);
      Bytes preset(8, 0);
      blendRowPreset(pair, a.pixels.data(), b.pixels.data(), 1, preset.data(), *k);
      EXPECT_EQ(preset, Bytes(8, c.row));
    }
  }
}

TEST(BlendPrimitives, RowPixelsCoverWholeGroupsOnly) {
  // 5 pixels = 15 bytes = 1 group: bytes 8..14 stay.
  const Bytes first(15, 0), second(15, 200);
  Bytes out(15, 9);
  blendRowPixels(first.data(), second.data(), 5, 128, out.data());
  EXPECT_EQ(out, (Bytes{100, 100, 100, 100, 100, 100, 100, 100, 9, 9, 9, 9, 9, 9, 9}));
  Bytes none(15, 9);
  blendRowPixels(first.data(), second.data(), 2, 128, none.data());  // 6 bytes: no group
  EXPECT_EQ(none, Bytes(15, 9));
}

TEST(BlendPrimitives, MaskRowGroups) {
  struct Case {
    const char* what;
    Bytes mask;
    Bytes want;  // base 100 everywhere, image 200 everywhere
  };
  const Case cases[] = {
      {"opaque", Bytes(8, 255), Bytes(8, 199)},
      {"clear group keeps the base", Bytes(8, 0), Bytes(8, 100)},
      {"a 0 among set bytes darkens by the 255/256 weight",
       {0, 255, 128, 1, 255, 255, 255, 255},
       {99, 199, 149, 99, 199, 199, 199, 199}},
  };
  for (const Case& c : cases) {
    for (const BlendKernels* k : {&referenceBlendKernels(), &blendKernels()}) {
      SCOPED_TRACE(testing::Message() << k->name << " " << c.what);
      // Two groups: the second is clear and must stay as the base.
      Bytes base(16, 100), image(16, 200), mask = c.mask;
      mask.resize(16, 0);
      Bytes out(16, 5);
      maskRow(base.data(), image.data(), 2, mask.data(), out.data(), *k);
      Bytes want = c.want;
      want.resize(16, 100);
      EXPECT_EQ(out, want);
    }
  }
}

TEST(BlendPrimitives, ThroughMaskAndScaling) {
  Surface first = filled(8, 1, 200), second = filled(8, 1, 100), out(8, 1);
  Bytes maskBytes{0, 255, 128, 64, 1, 2, 3, 4};
  maskBytes.resize(24, 0);
  Surface mask = surfaceOf(8, 1, maskBytes);
  blendThroughMask(first, second, out, mask);
  // floor(200 * (255 - m) / 256) + floor(100 * m / 256); a clear group still blends here.
  Bytes want{199, 99, 149, 174, 198, 197, 197, 197};
  want.resize(24, 199);
  EXPECT_EQ(out.pixels, want);

  Surface src = surfaceOf(8, 1, Bytes{0, 1, 2, 3, 99, 100, 254, 255, 7, 7, 7, 7, 7, 7, 7, 7,
                                      7, 7, 7, 7, 7, 7, 7, 7});
  darkenSurface(src, out, 128);
  EXPECT_EQ(Bytes(out.pixels.begin(), out.pixels.begin() + 8), (Bytes{0, 0, 1, 1, 49, 50, 127, 127}));
  darkenSurface(src, out, 512);  // past 256 the product saturates
  EXPECT_EQ(Bytes(out.pixels.begin(), out.pixels.begin() + 8), (Bytes{0, 2, 4, 6, 198, 200, 255, 255}));
}

TEST(BlendPrimitives, AddBrightenDimLeaveTheRowEndBytes) {
  // 3 pixels a row = 9 bytes: one group, the ninth byte of each row stays as it was in out.
  Surface src = surfaceOf(3, 2, {230, 30, 0, 255, 40, 41, 39, 1, 200, 230, 30, 0, 255, 40, 41, 39, 1, 200});
  Surface out = filled(3, 2, 5);
  brightenSurface(src, out, 40);
  EXPECT_EQ(out.pixels, (Bytes{255, 70, 40, 255, 80, 81, 79, 41, 5, 255, 70, 40, 255, 80, 81, 79, 41, 5}));
  out = filled(3, 2, 5);
  dimSurface(src, out, 40);
  EXPECT_EQ(out.pixels, (Bytes{190, 0, 0, 215, 0, 1, 0, 0, 5, 190, 0, 0, 215, 0, 1, 0, 0, 5}));
  out = filled(3, 2, 5);
  addSurfaces(src, src, out);
  EXPECT_EQ(out.pixels, (Bytes{255, 60, 0, 255, 80, 82, 78, 2, 5, 255, 60, 0, 255, 80, 82, 78, 2, 5}));
  Surface narrow = filled(2, 1, 100), narrowOut = filled(2, 1, 5);  // 6 bytes: no group at all
  brightenSurface(narrow, narrowOut, 40);
  EXPECT_EQ(narrowOut.pixels, Bytes(6, 5));
}

TEST(BlendPrimitives, TileBlendsOneTileClippedToTheSurface) {
  Surface work = filled(100, 70, 200), screen = filled(100, 70, 100), output = filled(100, 70, 0);
  blendTile(work, screen, output, 80, 60, 128);  // only 20x10 of the tile lies inside
  for (int y : {0, 59, 60, 69})
    for (int x : {0, 79, 80, 99}) {
      const uint8_t want = x >= 80 && y >= 60 ? 150 : 0;
      EXPECT_EQ(Bytes(output.at(x, y), output.at(x, y) + 3), Bytes(3, want)) << x << "," << y;
    }
}

TEST(BlendPrimitives, DrawMaskedGroupsAndTailPixels) {
  // 10 pixels wide: pixels 0..7 by groups (3 groups of 8 bytes), pixels 8 and 9 by the exact
  // rule. Group 0 (bytes 0..7, pixels 0..2 and 2/3 of 2) has mask 0 everywhere -> kept.
  Bytes colour(30, 200), mask(30, 0);
  for (int i = 8; i < 16; ++i) mask[i] = 255;        // group 1
  mask[16] = 0;                                      // group 2 has a 0 among set bytes
  for (int i = 17; i < 24; ++i) mask[i] = 128;
  for (int i = 24; i < 27; ++i) mask[i] = 0;         // pixel 8: tail with mask 0
  for (int i = 27; i < 30; ++i) mask[i] = 255;       // pixel 9: tail, opaque
  Surface c = surfaceOf(10, 1, colour), m = surfaceOf(10, 1, mask);
  for (const BlendKernels* k : {&referenceBlendKernels(), &blendKernels()}) {
    Surface dest = filled(12, 1, 100);
    drawMasked(dest, c, m, 1, 0, *k);
    Bytes want(36, 100);
    for (int i = 0; i < 8; ++i) want[3 + i] = 100;
    for (int i = 8; i < 16; ++i) want[3 + i] = 199;
    want[3 + 16] = 99;
    for (int i = 17; i < 24; ++i) want[3 + i] = 49 + 100;  // floor(100*127/256)+floor(200*128/256)
    for (int i = 24; i < 27; ++i) want[3 + i] = 99;        // (100*255 + 0) >> 8
    for (int i = 27; i < 30; ++i) want[3 + i] = 199;       // (0 + 200*255) >> 8
    EXPECT_EQ(dest.pixels, want) << k->name;
  }
}

TEST(BlendPrimitives, DrawMaskedClipsEverySide) {
  Surface colour = filled(4, 4, 200), mask = filled(4, 4, 255);
  struct Case {
    int x, y;
    std::vector<int> drawnPixels;  // indices y * 3 + x in a 3x3 destination
  };
  const Case cases[] = {
      {-2, -2, {0, 1, 3, 4}}, {2, 2, {8}}, {0, 0, {0, 1, 2, 3, 4, 5, 6, 7, 8}},
      {3, 0, {}},             {0, 3, {}},  {-4, 0, {}}, {0, -4, {}},
      {-2147483647 - 1, 0, {}},
  };
  for (const Case& c : cases) {
    Surface dest = filled(3, 3, 0);
    drawMasked(dest, colour, mask, c.x, c.y);
    Bytes want(27, 0);
    for (int p : c.drawnPixels) want[p * 3] = want[p * 3 + 1] = want[p * 3 + 2] = 199;
    EXPECT_EQ(dest.pixels, want) << c.x << "," << c.y;
  }
}

TEST(BlendPrimitives, SideBySideTakesTheMaskFromTheRightHalf) {
  // 200 wide: colour 100 wide, pixel x has value x; mask opaque. At x = -50 the destination's
  // columns 0..49 get colour columns 50..99 (as 255/256 of the value).
  Surface picture(200, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 200; ++x)
      for (int ch = 0; ch < 3; ++ch) picture.at(x, y)[ch] = x < 100 ? uint8_t(x + 100) : 255;
  Surface dest = filled(60, 2, 0);
  drawSideBySide(dest, picture, -50, 0);
  Bytes row(dest.row(1), dest.row(1) + 180), want(180, 0);
  for (int x = 0; x < 50; ++x)
    for (int ch = 0; ch < 3; ++ch) want[x * 3 + ch] = uint8_t((x + 150) * 255 / 256);
  EXPECT_EQ(row, want);
}

TEST(BlendPrimitives, StackedDrawsOnlyWhenItFits) {
  // 2 wide, 2 rows of colour (200) over 2 rows of mask (255).
  Surface picture = surfaceOf(2, 4, {200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200,
                                     255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255});
  struct Case {
    int x, y;
    bool drawn;
  };
  for (const Case& c : {Case{0, 0, true}, Case{1, 1, true}, Case{2, 0, false},
                        Case{0, 2, false}, Case{-1, 0, false}}) {
    Surface dest = filled(3, 3, 0);
    drawStacked(dest, picture, c.x, c.y);
    Bytes want(27, 0);
    if (c.drawn)
      for (int y = c.y; y < c.y + 2; ++y)
        for (int x = c.x; x < c.x + 2; ++x)
          for (int ch = 0; ch < 3; ++ch) want[(y * 3 + x) * 3 + ch] = 199;
    EXPECT_EQ(dest.pixels, want) << c.x << "," << c.y;
  }
}

}  // namespace
}  // namespace corvid
