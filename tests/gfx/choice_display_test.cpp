// The drawing of choices: bars with their coverage (clipped at the picture's edges), the wide
// bars' stand-ins, texts through the text runs, the copies to the display, and the parts
// picture of click maps.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gfx/choice_display.h"

namespace corvid {
namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kBase = {0x0A, 0x0B, 0x0C};  // the screen's fill 0x000A0B0C, blue first

Bytes at(const Surface& s, int x, int y) { return Bytes(s.at(x, y), s.at(x, y) + 3); }

Surface filled(int w, int h, uint32_t colour) {
  Surface s(w, h);
  s.fill(colour);
  return s;
}

// A bar of w x 2h: colour rows of `colour`, coverage rows of `cover`.
Surface barPicture(int w, int h, uint32_t colour, uint8_t cover) {
  Surface s = filled(w, 2 * h, colour);
  for (int y = h; y < 2 * h; ++y)
    for (int x = 0; x < w; ++x) s.at(x, y)[0] = s.at(x, y)[1] = s.at(x, y)[2] = cover;
  return s;
}

struct Presenter final : QuietSceneHost {
  std::vector<std::string> shown;
  void present(const Surface&) override { shown.push_back("all"); }
  void presentRect(const Surface&, int x, int y, int w, int h) override {
    shown.push_back(std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(w) + "x" +
                    std::to_string(h));
  }
};

struct Runs final : TextRuns {
  std::vector<std::string> calls;
  void drawTextRun(std::string_view t, int x, int y, Surface&, int32_t c) override {
    calls.push_back("run " + std::string(t) + " " + std::to_string(x) + "," + std::to_string(y) +
                    " c" + std::to_string(c));
  }
  void drawTextRunCentred(std::string_view t, int x, int y, Surface& s, int32_t c) override {
    calls.push_back("centred " + std::string(t) + " " + std::to_string(x) + "," +
                    std::to_string(y) + " c" + std::to_string(c));
    s.at(x, y)[0] = 77;  // marks the surface it was asked to draw on
  }
  void drawTextRunCentredPitch(std::string_view, int, int, Surface&, int32_t, int) override {}
};

struct Rig {
  Surface screen = filled(800, 600, 0x000A0B0C);
  Surface display = filled(800, 600, 0);
  Surface parts = filled(800, 600, 0x00332211);
  Surface second = filled(800, 600, 0x00445566);
  Presenter presenter;
  ChoiceDisplay d{ChoiceSurfaces{screen, display, parts, second}, presenter};
  Rig() { d.allocate(); }
};

TEST(ChoiceDisplay, BarsAreDrawnThroughTheirCoverageAndClipped) {
  Rig rig;
  rig.d.setBar(ChoiceBar::Normal, barPicture(100, 20, 0x00C8C8C8, 255));
  rig.d.setBar(ChoiceBar::NormalHighlighted, barPicture(100, 20, 0x000000C8, 128));
  int32_t w = 0, h = 0;
  ASSERT_TRUE(rig.d.barSize(ChoiceBar::Normal, w, h));
  EXPECT_EQ(w, 100);
  EXPECT_EQ(h, 40);
  EXPECT_FALSE(rig.d.barSize(ChoiceBar::Wide, w, h));
  rig.d.keepBackup();
  rig.d.startHighlight();
  rig.d.drawBar(ChoiceBar::Normal, 10, 10, false);
  rig.d.drawBar(ChoiceBar::NormalHighlighted, 10, 10, true);
  // A bar past the right and bottom edges is drawn clipped; the wide bar falls back to the
  // normal one.
  rig.d.drawBar(ChoiceBar::Wide, 750, 590, false);
  EXPECT_EQ(at(rig.screen, 10, 10), Bytes(3, 199));
  EXPECT_EQ(at(rig.screen, 109, 29), Bytes(3, 199));
  EXPECT_EQ(at(rig.screen, 110, 10), kBase);
  EXPECT_EQ(at(rig.screen, 10, 30), kBase);
  EXPECT_EQ(at(rig.screen, 799, 599), Bytes(3, 199));
  // Half coverage on the highlight surface: floor(c * 127 / 256) + floor(200 * 128 / 256) for red.
  EXPECT_EQ(at(rig.d.highlight(), 10, 10), (Bytes{4, 5, 105}));
  EXPECT_EQ(at(rig.d.backup(), 10, 10), kBase);

  rig.d.showRect({10, 10, 110, 40}, true);
  EXPECT_EQ(at(rig.display, 10, 10), (Bytes{4, 5, 105}));
  EXPECT_EQ(at(rig.display, 110, 10), Bytes(3, 0));
  rig.d.restoreBackup();
  EXPECT_EQ(at(rig.screen, 10, 10), kBase);
  EXPECT_EQ(at(rig.display, 10, 10), kBase);
  EXPECT_EQ(rig.presenter.shown, (std::vector<std::string>{"10,10 100x30", "all"}));
}

TEST(ChoiceDisplay, MissingBarsDrawNothingAndTextsGoThroughTheRuns) {
  Rig rig;
  rig.d.drawBar(ChoiceBar::Normal, 0, 0, false);
  rig.d.drawCentredText("a", 400, 100, 0, false);  // no text runs yet: nothing
  EXPECT_EQ(at(rig.screen, 0, 0), kBase);
  EXPECT_EQ(at(rig.screen, 400, 100), kBase);
  Runs runs;
  rig.d.setTextRuns(&runs);
  rig.d.startHighlight();
  rig.d.drawCentredText("north", 400, 100, 2, true);
  rig.d.resetTextColour();
  EXPECT_EQ(runs.calls, (std::vector<std::string>{"centred north 400,100 c2", "run  0,0 c0"}));
  EXPECT_EQ(rig.d.highlight().at(400, 100)[0], 77);
  EXPECT_EQ(rig.screen.at(400, 100)[0], 0x0A);
}

TEST(ChoiceDisplay, ClickMapPartsAndTheDecidedRegion) {
  Rig rig;
  uint32_t c = 0;
  ASSERT_TRUE(rig.d.partsPixel(5, 5, c));
  EXPECT_EQ(c, 0x00332211u);
  EXPECT_FALSE(rig.d.partsPixel(800, 5, c));
  EXPECT_FALSE(rig.d.partsPixel(-1, 5, c));
  rig.d.startHighlight();
  rig.d.partsToHighlight({100, 100, 110, 110}, 300, 300);
  EXPECT_EQ(at(rig.d.highlight(), 300, 300), (Bytes{0x33, 0x22, 0x11}));
  EXPECT_EQ(at(rig.d.highlight(), 310, 300), kBase);
  rig.d.showHighlight();
  EXPECT_EQ(at(rig.display, 300, 300), (Bytes{0x33, 0x22, 0x11}));
  rig.d.showDecidedRegion({0, 0, 4, 4});
  EXPECT_EQ(at(rig.display, 3, 3), (Bytes{0x44, 0x55, 0x66}));
  EXPECT_EQ(at(rig.screen, 3, 3), (Bytes{0x44, 0x55, 0x66}));
  EXPECT_EQ(at(rig.screen, 4, 4), kBase);
  rig.d.showScreen();
  EXPECT_EQ(at(rig.display, 300, 300), kBase);
}

}  // namespace
}  // namespace corvid
