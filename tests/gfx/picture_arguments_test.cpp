// The picture commands' argument texts, the sprite layouts, the stage filter and the clipped
// copies: tables of inputs and the whole values they give.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gfx/layers.h"
#include "gfx/picture_arguments.h"
#include "gfx/picture_draw.h"
#include "gfx/stage_filter.h"

namespace corvid {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(PictureArguments, GraNameTransitionAndSide) {
  struct Case {
    std::string text;
    GraArguments want;
  };
  const std::string longName = "A" + std::string(70, 'a');
  const Case cases[] = {
      {"Abg01", {"Abg01", -1, 0}},
      {"Abg01,0", {"Abg01", 0, 0}},
      {"Abg01,12", {"Abg01", 12, 0}},
      {"Abg01 3 then 7", {"Abg01", 7, 0}},      // a later run of digits replaces an earlier one
      {"Bchr01,L", {"Bchr01", -1, 'L'}},
      {"Bchr01,r,5", {"Bchr01", 5, 'R'}},
      {"Bchr01,L,R", {"Bchr01", -1, 'R'}},      // the later letter wins
      {"Bchr01L", {"Bchr01L", -1, 0}},          // no separator: the letter is part of the name
      {"Bx]9 L", {"Bx", -1, 0}},                // "]" ends the text
      {"", {"", -1, 0}},
      {longName, {std::string_view(longName).substr(0, 63), -1, 0}},
      // A second byte that is "L" (0x4C) or "]" (0x5D) does not count.
      {"B\x82\x4C,3", {"B\x82\x4C", 3, 0}},
      {"B1,\x83\x5D" "4", {"B1", 4, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    GraArguments got = parseGraArguments(c.text);
    EXPECT_EQ(std::string(got.name), std::string(c.want.name));
    EXPECT_EQ(got.transition, c.want.transition);
    EXPECT_EQ(got.side, c.want.side);
  }
}

TEST(PictureArguments, OtherCommands) {
  struct Clrb {
    const char* text;
    ClrbArguments want;
  };
  for (const Clrb& c : {Clrb{"", {0, 0}}, Clrb{"3R", {3, 'R'}}, Clrb{"2l", {2, 'L'}},
                        Clrb{"5", {5, 0}}, Clrb{" 4", {4, 0}}, Clrb{"L", {0, 'L'}}}) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(parseClrbArguments(c.text), c.want);
  }

  struct Ovr {
    const char* text;
    OvrArguments want;
  };
  const Ovr ovrs[] = {
      {"OFF", {"OFF", 1, false, false, 0, 0}},
      {"OFF,1", {"OFF", 1, false, false, 0, 0}},
      {"Oframe,3,100,-50", {"Oframe", 3, true, true, 100, -50}},
      {"Oframe,,20,30,skipped", {"Oframe", 1, true, true, 20, 30}},
      {"Oframe,2,40", {"Oframe", 2, true, false, 40, 0}},
      // The second "," lies more than 16 bytes on: y is not found.
      {"Oframe,2,40               ,9", {"Oframe", 2, true, false, 40, 0}},
      {"Oa 4,7,8", {"Oa", 4, true, true, 7, 8}},
  };
  for (const Ovr& c : ovrs) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(parseOvrArguments(c.text), c.want);
  }

  EXPECT_EQ(parseDirectArguments("Dpic,1500,10,-20"), (DirectArguments{"Dpic", 1500, 10, -20}));
  EXPECT_EQ(parseDirectArguments("Dpic"), (DirectArguments{"Dpic", 0, 0, 0}));
  EXPECT_EQ(parseDirectArguments(std::string(40, 'D') + ",5").name, std::string(31, 'D'));
  EXPECT_EQ(parsePartsloadArguments("Pone"), (PartsloadArguments{"Pone", "", false}));
  EXPECT_EQ(parsePartsloadArguments("Pone,Ptwo"), (PartsloadArguments{"Pone", "Ptwo", true}));

  struct Number {
    const char* text;
    int32_t fallback, want;
  };
  for (const Number& c : {Number{"12ab", 0, 12}, Number{"  -7", 0, -7}, Number{"x", 9, 9},
                          Number{"", 1, 1}, Number{"99999999999", 0, INT32_MAX},
                          Number{"-99999999999", 0, INT32_MIN}}) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(leadingNumber(c.text, c.fallback), c.want);
  }
}

TEST(SpriteLayouts, BasesAndDrawingOrders) {
  using Order = std::vector<int>;
  struct Case {
    int count;
    bool alternate;
    int base;
    Order order;
  };
  const Case cases[] = {
      {0, false, -1, {}},          {1, false, 80, {0}},          {1, true, 80, {0}},
      {2, false, 81, {0, 1}},      {2, true, 81, {1, 0}},        {3, false, 83, {0, 2, 1}},
      {3, true, 83, {0, 2, 1}},    {4, false, 86, {0, 1, 3, 2}}, {4, true, 86, {3, 2, 0, 1}},
      {5, false, -1, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    EXPECT_EQ(spriteLayoutBase(c.count), c.base);
    const auto order = spriteDrawingOrder(c.count, c.alternate);
    EXPECT_EQ(Order(order.begin(), order.end()), c.order);
  }
  SystemVariables S{};
  resetSpriteLayout(S);
  EXPECT_EQ(std::vector<int32_t>(S.begin() + 80, S.begin() + 100),
            (std::vector<int32_t>{400, 250, 550, 200, 400, 600, 100, 300, 500, 700,
                                  0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(LayerState, FieldsAreCutToTheirSaveSlotSize) {
  std::string field;
  storeLayerField(field, std::string(40, 'a'), kBackgroundNameBytes);
  EXPECT_EQ(field, std::string(29, 'a'));
  // Never inside a double-byte character: 28 bytes and a lead byte would be 29.
  storeLayerField(field, std::string(28, 'a') + "\x82\xA0", kBackgroundNameBytes);
  EXPECT_EQ(field, std::string(28, 'a'));
  storeLayerField(field, "short", kSpriteLineBytes);
  EXPECT_EQ(field, "short");
}

// A 2x2 surface from four BGR pixels.
Surface pixels2x2(const Bytes& bytes) {
  Surface s(2, 2);
  s.pixels = bytes;
  return s;
}

TEST(StageFilter, EveryFilterOnEveryPixel) {
  const Bytes source = {10, 20, 30, 200, 100, 50, 255, 255, 255, 0, 3, 7};
  struct Case {
    int32_t filter, brightness;
    Bytes want;
  };
  const Case cases[] = {
      {0, 0, source},
      {1, 8, {5, 10, 15, 100, 50, 25, 127, 127, 127, 0, 1, 3}},
      // 20/16 overflows: the result keeps its low 8 bits, (20 * 255) >> 4 = 318 -> 62.
      {1, 20, {12, 25, 37, 250, 125, 62, 62, 62, 62, 0, 3, 8}},
      {2, 0, {5, 15, 20, 29, 87, 116, 63, 191, 255, 0, 2, 3}},
      {3, 0, {20, 20, 20, 116, 116, 116, 255, 255, 255, 3, 3, 3}},
      {4, 0, {0, 3, 7, 255, 255, 255, 200, 100, 50, 10, 20, 30}},
      {5, 0, source},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.filter);
    Surface s = pixels2x2(source);
    applyStageFilter(s, c.filter, c.brightness);
    EXPECT_EQ(s.pixels, c.want);
  }
  // An odd count of pixels keeps its middle one in place.
  Surface odd(3, 1);
  odd.pixels = {1, 1, 1, 2, 2, 2, 3, 3, 3};
  applyStageFilter(odd, 4, 0);
  EXPECT_EQ(odd.pixels, (Bytes{3, 3, 3, 2, 2, 2, 1, 1, 1}));
}

TEST(PictureDraw, CopiesAreClippedToBothSurfaces) {
  // copyFrame: a smaller picture at the top left, black elsewhere; a larger one cut.
  Surface small = pixels2x2({1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4});
  Surface frame(3, 3);
  frame.fill(0x090909);
  copyFrame(small, frame);
  EXPECT_EQ(frame.pixels, (Bytes{1, 1, 1, 2, 2, 2, 0, 0, 0, 3, 3, 3, 4, 4, 4, 0, 0, 0,
                                 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  Surface cut(1, 1);
  copyFrame(small, cut);
  EXPECT_EQ(cut.pixels, (Bytes{1, 1, 1}));

  // copyRectKeyed: the key colour (red 0, green 255, blue 255) is left out; a rectangle
  // reaching past the source or the destination on any side is cut.
  Surface parts = pixels2x2({255, 255, 0, 5, 5, 5, 6, 6, 6, 7, 7, 7});
  struct Case {
    int sx, sy, w, h, x, y;
    Bytes want;  // the 2x2 destination, which starts as 9s
  };
  const Case cases[] = {
      {0, 0, 2, 2, 0, 0, {9, 9, 9, 5, 5, 5, 6, 6, 6, 7, 7, 7}},
      {0, 0, 2, 2, 1, 1, {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9}},  // only the key lands inside
      {1, 1, 5, 5, -1, 0, {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9}},  // nothing lands inside
      {-1, -1, 3, 3, 0, 0, {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9}},  // only the key lands, on (1, 1)
      {1, 0, 1, 2, -5, 0, {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9}},
      {1, 0, 1, 2, 0, 0, {5, 5, 5, 9, 9, 9, 7, 7, 7, 9, 9, 9}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.sx << "," << c.sy << " " << c.x << "," << c.y);
    Surface dest(2, 2);
    dest.fill(0x090909);
    copyRectKeyed(parts, c.sx, c.sy, c.w, c.h, dest, c.x, c.y, 0xFFFF00);
    EXPECT_EQ(dest.pixels, c.want);
  }
}

}  // namespace
}  // namespace corvid
