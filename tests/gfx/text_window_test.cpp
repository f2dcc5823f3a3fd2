// The drawn text window over a fake rasteriser and no pictures: what reaches the display for
// each character, the position toggle, the click-wait mark's limits, skipping.

#include "gfx/text_window.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "data/archive.h"
#include "script/message_log.h"

namespace corvid {
namespace {

class FakeRasteriser final : public GlyphRasteriser {
 public:
  bool setFace(const std::string&, bool) override { return true; }
  void setPointSize(int) override {}
  int ascent() const override { return 24; }
  bool rasterise(uint32_t, GlyphBitmap& out) override {
    out = GlyphBitmap{2, 2, 4, 20, {64, 64, 64, 64}};
    return true;
  }
};

struct Rect {
  int x, y, w, h;
  bool operator==(const Rect&) const = default;
};

class RecordingHost final : public QuietSceneHost {
 public:
  std::vector<Rect> rects;
  int fullPresents = 0;
  void present(const Surface&) override { ++fullPresents; }
  void presentRect(const Surface&, int x, int y, int w, int h) override { rects.push_back({x, y, w, h}); }
  uint32_t millis() override { return now; }
  void sleep(uint32_t ms) override { now += ms; }
  uint32_t now = 0;
};

struct Rig {
  GameConfig config;
  VariableSpaces vars;
  MessageLog log;
  Archives archives;
  PictureLoader pictures{archives};
  Surface stage{800, 600}, screen{800, 600}, display{800, 600};
  RecordingHost host;
  bool effectRunning = false;
  int32_t effectRequest = 0, skipLevel = 0, pitch = 16;
  FakeRasteriser fake;
  GlyphRenderer glyphs{fake, GlyphContext{skipLevel, vars.S[37], pitch}};
  std::vector<int> refreshes;
  TextWindow window{config, vars, log, skipLevel, glyphs, pictures,
                    TextWindowSurfaces{stage, screen, display}, host,
                    TextWindowFlags{effectRunning, effectRequest}};
  Rig() {
    config.txwOfsX = 40, config.txwOfsY = 400, config.txwOfsY2 = 20;
    config.txwSizeX = 720, config.txwSizeY = 160;
    config.txOfsX = 10, config.txOfsY = 8, config.txPitchX = 16, config.txPitchY = 36;
    config.mojiMaxX = 40, config.mojiMaxY = 4;
    config.tx2OfsX = 50, config.tx2OfsY = 40, config.tx2PitchX = 16, config.tx2PitchY = 40;
    config.mojiMax2X = 44, config.mojiMax2Y = 14;
    config.clickWaitOfsX = 680, config.clickWaitOfsY = 120;
    config.clickWaitSizeX = config.clickWaitSizeY = 16, config.clickWaitPat = 4;
    vars.S[37] = 0xFFFFFF;
    window.setScreenRefresh([this](int n) { refreshes.push_back(n); });
    window.loadPictures({});
  }
};

TEST(TextWindow, EachCharacterShowsOnlyItsOwnRectangle) {
  Rig rig;
  rig.window.beginMessage();
  rig.host.rects.clear();
  rig.window.placeCharacter("\x82\xa0", 2);
  rig.window.placeCharacter("A", 1);
  rig.window.newLine();
  rig.window.placeCharacter("\x81\x75", 2);  // 「 at column 0
  const int x0 = 40 + 10, y0 = 400 + 8;
  EXPECT_EQ(rig.host.rects, (std::vector<Rect>{{x0 + 2 * 16, y0 + 36, 32, 36},
                                               {x0 + 4 * 16, y0 + 36, 32, 36},
                                               {x0, y0 + 2 * 36, 32, 36}}));
  // The ink of the fake's 2x2 block at (4, 6) of the cell, in white, on screen and display.
  EXPECT_EQ(rig.display.at(x0 + 2 * 16 + 4, y0 + 36 + 6)[0], 254);
  EXPECT_EQ(rig.screen.at(x0 + 2 * 16 + 4, y0 + 36 + 6)[0], 254);
}

TEST(TextWindow, FullScreenCharactersUseTheirOwnLayout) {
  Rig rig;
  rig.vars.S[160] = 1;
  rig.window.beginMessage();
  rig.host.rects.clear();
  rig.window.placeCharacter("\x82\xa0", 2);
  rig.window.newLine();
  rig.window.placeCharacter("\x82\xa0", 2);
  EXPECT_EQ(rig.host.rects, (std::vector<Rect>{{50, 40, 32, 36}, {50, 80, 32, 36}}));
}

TEST(TextWindow, TogglingThePositionTwiceReturnsTheWindow) {
  Rig rig;
  EXPECT_EQ(rig.window.originY(), 400);
  rig.window.toggleWindowPosition(true);
  EXPECT_EQ(rig.vars.S[79], 1);
  EXPECT_EQ(rig.window.originY(), 20);
  rig.window.toggleWindowPosition(true);
  EXPECT_EQ(rig.window.originY(), 400);
  rig.window.toggleWindowPosition(false);
  EXPECT_EQ(rig.window.originY(), 400);
  EXPECT_EQ(rig.refreshes, (std::vector<int>{1, 1}));
}

TEST(TextWindow, ClickWaitMarkStaysAboveTheLastRowInFullScreenMode) {
  const std::pair<int, bool> cases[] = {{13, true}, {14, false}};  // y = 40 + 40 * row
  for (const auto& [row, drawn] : cases) {
    Rig rig;
    rig.vars.S[160] = 1;
    rig.window.beginMessage();
    for (int r = 0; r < row; ++r) rig.window.newLine();
    rig.window.animateClickWait();
    EXPECT_EQ(rig.window.clickWaitShown(), drawn) << row;
  }
}

TEST(TextWindow, SkippingFastShowsNoWindowAndDrawsNothing) {
  Rig rig;
  rig.skipLevel = 2;
  rig.window.placeCharacter("\x82\xa0", 2);
  EXPECT_FALSE(rig.window.windowShown());
  EXPECT_EQ(rig.display.at(40 + 10 + 2 * 16 + 4, 400 + 8 + 36 + 6)[0], 0);
  rig.skipLevel = 1;
  rig.window.animateClickWait();
  EXPECT_FALSE(rig.window.clickWaitShown());
}

TEST(TextWindow, ModeSwitchesRefreshTheScreenWithTransitionSix) {
  Rig rig;
  rig.window.setColourCode(3);
  rig.window.setTextMode(1);
  EXPECT_EQ(rig.vars.S[160], 1);
  EXPECT_EQ(rig.glyphs.textColour(), 0xFFFFFFu);
  rig.window.setTextMode(1);  // no change
  rig.window.setTextMode(0);
  EXPECT_EQ(rig.vars.S[160], 0);
  EXPECT_EQ(rig.refreshes, (std::vector<int>{6, 6}));
}

// NP_TYPE 0: the plate lies in the window, its base taken from the strip; the name from x = 4
// plus one pitch, in the speaker's colour.
TEST(TextWindow, PlateInsideTheWindowShowsTheNameOverTheStrip) {
  Rig rig;
  rig.config.npType = 0, rig.config.npOfsX = 20, rig.config.npOfsY = 10;
  rig.config.npSzX = 120, rig.config.npSzY = 36;
  rig.config.speakers[3] = {"\x83\x41", 0x0000FF};  // ア, red
  rig.window.loadPictures({});
  rig.stage.fill(0x204060);
  rig.window.composeTextWindow();
  rig.window.beginMessage();
  rig.window.drawNamePlate("\x83\x41");
  EXPECT_EQ(rig.vars.S[37], 0x0000FF);
  const int px = 40 + 20, py = 400 + 10;
  EXPECT_EQ(rig.host.rects.back(), (Rect{px, py, 120, 36}));
  const uint8_t* ink = rig.display.at(px + 4 + 16 + 4, py + 6 + 6);
  EXPECT_EQ(std::vector<int>(ink, ink + 3), (std::vector<int>{0, 0, 254}));
  const uint8_t* base = rig.display.at(px + 100, py + 30);
  EXPECT_EQ(std::vector<int>(base, base + 3), (std::vector<int>{0x20, 0x40, 0x60}));
}

// Layout values far out of proportion draw nothing on screen and never overflow.
TEST(TextWindow, AbsurdLayoutValuesAreHarmless) {
  Rig rig;
  const int32_t big = 2147483647;
  for (int32_t* v : {&rig.config.txPitchX, &rig.config.txPitchY, &rig.config.txOfsX,
                     &rig.config.npOfsY, &rig.config.clickWaitOfsX, &rig.config.tx2PitchY})
    *v = big;
  rig.config.txwOfsX = -big;
  rig.config.txwSizeX = big, rig.config.npSzX = big, rig.config.npSzY = 40, rig.config.npType = 0;
  rig.config.clickWaitSizeY = big, rig.config.clickWaitPat = big, rig.config.clickWaitTiming = -5;
  rig.window.loadPictures({});
  rig.window.beginMessage();
  rig.window.drawNamePlate("\x83\x41");
  for (int i = 0; i < 60; ++i) rig.window.placeCharacter("\x82\xa0", 2);
  rig.window.drawRuby("\x82\xa0");
  rig.window.animateClickWait();
  rig.window.composeTextWindow();
  rig.window.restoreTextWindow();
  rig.vars.S[160] = 1;
  rig.window.newLine();
  rig.window.placeCharacter("A", 1);
  rig.window.animateClickWait();
  EXPECT_EQ(rig.window.strip().width, 800);
}

}  // namespace
}  // namespace corvid
