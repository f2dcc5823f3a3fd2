// Titles with choices played headless: `move` and `click` at the positions the layout gives,
// the variables and the script position after the choice, the "choice" state field while it is
// open, bar pixels on the display, timed click maps and switch.

#include "data/picture_encoder.h"
#include "picture_fixture.h"
#include "title_fixture.h"

namespace corvid::testing {
namespace {

using Bytes = std::vector<uint8_t>;
using Lines = std::vector<std::string>;

Bytes bgr(uint8_t b, uint8_t g, uint8_t r) { return {b, g, r}; }

// A bar picture of w x 2h: the colour rows, then fully opaque coverage rows.
Surface bar(int w, int h, const Bytes& colour) {
  Surface s(w, 2 * h);
  for (int y = 0; y < 2 * h; ++y)
    for (int x = 0; x < w; ++x) {
      const Bytes c = y < h ? colour : bgr(255, 255, 255);
      std::copy(c.begin(), c.end(), s.at(x, y));
    }
  return s;
}

Surface solid(int w, int h, const Bytes& c) {
  Surface s(w, h);
  s.fill(uint32_t(c[2]) | uint32_t(c[1]) << 8 | uint32_t(c[0]) << 16);
  return s;
}

const Bytes kBg = bgr(10, 20, 30), kParts = bgr(0, 0, 160), kSecond = bgr(0, 160, 0);
// Through an opaque mask a byte c becomes floor(c * 255 / 256).
const Bytes kBar = bgr(199, 0, 0), kBarLit = bgr(0, 199, 199);

// Bars of 400 x 40; SELECT_Y_POS 300, pitch 60: with three choices the bars start at 210.
std::string writeTitle(TitleFixture& title, const Lines& main, const Lines& map = {},
                       const Lines& moreConfig = {}) {
  title.entry("qd_gra.cvd", "ABG", entryOf(solid(800, 600, kBg)));
  title.entry("qd_gra.cvd", "sys_sw", entryOf(bar(400, 40, bgr(200, 0, 0))));
  title.entry("qd_gra.cvd", "sys_sw2", entryOf(bar(400, 40, bgr(0, 200, 200))));
  title.entry("qd_gra.cvd", "PMAP", entryOf(solid(800, 600, kParts)));
  title.entry("qd_gra.cvd", "PMAP2", entryOf(solid(800, 600, kSecond)));
  Lines config = {"TITLE:Choices", "GAME_ID:CTEST", "FONT_SIZE:22", "SELECT_Y_POS:300",
                  "SELECT_Y_PITCH:60", "SELECT_EXPAND:0", "SELECT_TXT_OY:3", "MOJI_MAX_X:30",
                  "MOJI_MAX_Y:4"};
  config.insert(config.end(), moreConfig.begin(), moreConfig.end());
  title.script("_config", config);
  if (!map.empty()) title.script("map", map);
  title.script("main", main);
  return title.write();
}

Bytes shownAt(const HeadlessPlatform& platform, int x, int y) {
  const uint8_t* p = platform.display().at(x, y);
  return Bytes(p, p + 3);
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

const Lines kRoad = {"*gra Abg", "*select", "{北へ", "!V001=1", "!V002=V002+1", "{南へ", "!V001=2",
                     "{西へ", "!V001=3", "}", "!V010=V001", ":END", "*select", "{again",
                     "!V011=1", "}"};

TEST(ChoiceRun, MoveAndClickPickTheBarTheLayoutGives) {
  TitleFixture title;
  // The middle bar: rows 270..309 of the picture, columns 200..599.
  HeadlessRun run(writeTitle(title, kRoad), "400 move 400 290\n700 click 400 290\n");
  run.runUntil(500);
  EXPECT_EQ(run.engine.wait().choiceActive, 1);
  const std::string open = run.engine.stateJson();
  EXPECT_TRUE(contains(open, "\"choiceActive\":1")) << open;
  EXPECT_TRUE(contains(open, "\"choice\":{\"kind\":1,\"count\":3,\"highlighted\":2,"
                             "\"texts\":[\"北へ\",\"南へ\",\"西へ\"],"
                             "\"rects\":[[200,210,600,270],[200,270,600,330],[200,330,600,390]],"
                             "\"enabled\":[true,true,true],\"timedTicks\":0"))
      << open;
  // The bars over the background, the hovered one in its highlighted look.
  EXPECT_EQ(shownAt(run.platform, 200, 210), kBar);
  EXPECT_EQ(shownAt(run.platform, 599, 249), kBar);
  EXPECT_EQ(shownAt(run.platform, 400, 250), kBg);  // below the bar's 40 rows, within its pitch
  EXPECT_EQ(shownAt(run.platform, 400, 290), kBarLit);
  EXPECT_EQ(shownAt(run.platform, 400, 350), kBar);
  EXPECT_EQ(shownAt(run.platform, 199, 290), kBg);

  run.runUntil(3000);
  EXPECT_EQ(run.engine.vars().V[1], 2);
  EXPECT_EQ(run.engine.vars().V[2], 0);  // the first block did not run
  EXPECT_EQ(run.engine.vars().V[10], 2);
  // After the construct: the next select is open, the screen as it was before the first.
  EXPECT_EQ(run.engine.wait().choiceActive, 1);
  EXPECT_EQ(run.engine.interpreter().currentLineIndex(), 12);
  EXPECT_EQ(shownAt(run.platform, 400, 210), kBg);
  EXPECT_TRUE(contains(run.engine.stateJson(), "\"texts\":[\"again\"]"));
}

TEST(ChoiceRun, AClickWithoutAMoveDecidesWhereItIsAndTheGuardHoldsRepeats) {
  TitleFixture title;
  // The first click ends nothing (no wait) but sets the click guard; the second, 40 ms later,
  // is ignored by it; the third picks the last bar.
  HeadlessRun run(writeTitle(title, kRoad),
                  "400 click 100 100\n440 click 400 230\n1000 click 400 370\n");
  run.runUntil(480);
  EXPECT_EQ(run.engine.wait().choiceActive, 1);
  EXPECT_EQ(run.engine.vars().V[1], 0);
  run.runUntil(2000);
  EXPECT_EQ(run.engine.vars().V[1], 3);
}

TEST(ChoiceRun, FullScreenTextModeLinesFromTheCursorRow) {
  TitleFixture title;
  // Without wide bars the normal ones stand in: 400 wide, their 40 visible rows a line; rows
  // of TX2_PITCH_Y 50 from TX2_OFS_Y 40.
  HeadlessRun run(writeTitle(title, {"*gra Abg", "*mode 1", "*select", "{A", "!V001=1", "{B",
                                     "!V001=2", "}", "!V010=V001"},
                             {}, {"TX2_OFS_Y:40", "TX2_PITCH_Y:50"}),
                  "2200 click 400 100\n");
  run.runUntil(2100);  // after the cross-fade, the blinds and the backdrop fade of the mode
  EXPECT_EQ(run.engine.wait().choiceActive, 2);
  EXPECT_TRUE(contains(run.engine.stateJson(), "\"rects\":[[200,40,600,80],[200,90,600,130]]"));
  EXPECT_EQ(shownAt(run.platform, 200, 40), kBar);
  EXPECT_EQ(shownAt(run.platform, 599, 129), kBar);
  EXPECT_EQ(shownAt(run.platform, 400, 85), kBg);
  run.runUntil(3500);
  EXPECT_EQ(run.engine.wait().choiceActive, 0);
  EXPECT_EQ(run.engine.vars().V[10], 2);
  // The lines are gone with the backup: the bar's place shows what lies beside it (the stage
  // under the full-screen text backdrop).
  EXPECT_EQ(shownAt(run.platform, 400, 100), shownAt(run.platform, 700, 100));
  EXPECT_NE(shownAt(run.platform, 400, 100), kBar);
}

TEST(ChoiceRun, ATimedClickMapAndARightClick) {
  const Lines map = {":room", "2", "*door,100,100,300,300", "win,400,100,600,300"};
  struct Case {
    const char* name;
    std::string events;
    int v1;
  };
  // "@1": 20 timer ticks of 55 ms.
  const Case cases[] = {{"timed", "", 2},
                        {"right click", "300 rclick 200 200\n", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TitleFixture title;
    HeadlessRun run(writeTitle(title, {"*gra Abg", "*partsload Pmap,Pmap2", "*clickmap room",
                                       "{", "!V001=1", "{@1", "!V001=2", "}", "!V009=1"},
                               map),
                    c.events);
    run.runUntil(200);
    EXPECT_EQ(run.engine.wait().choiceActive, 4);
    EXPECT_TRUE(contains(run.engine.stateJson(), "\"kind\":4,\"count\":2"));
    run.runUntil(2000);
    EXPECT_EQ(run.engine.wait().choiceActive, 0);
    EXPECT_EQ(run.engine.vars().V[1], c.v1);
    EXPECT_EQ(run.engine.vars().V[9], 1);
  }
}

// A colour region's cursor shape reaches the platform while the pointer is over it, and the
// arrow comes back once the map is decided.
TEST(ChoiceRun, ClickMapColourRegionSetsThePointerShape) {
  const Lines map = {":room", "1", "$A002,0,0,800,600"};  // the parts picture's red 160
  TitleFixture title;
  HeadlessRun run(writeTitle(title, {"*gra Abg", "*partsload Pmap", "*clickmap room", "{",
                                     "!V001=1", "}"},
                             map),
                  "300 move 200 200\n600 click 200 200\n");
  run.runUntil(400);
  EXPECT_EQ(run.platform.cursorShape(), 31);
  run.runUntil(1000);
  EXPECT_EQ(run.engine.vars().V[1], 1);
  EXPECT_EQ(run.platform.cursorShape(), 0);
}

TEST(ChoiceRun, ClickMapHighlightShowsThePartsPicture) {
  const Lines map = {":room", "1", "*door,100,100,300,300"};
  TitleFixture title;
  HeadlessRun run(writeTitle(title, {"*gra Abg", "*partsload Pmap,Pmap2", "*clickmap room", "{",
                                     "!V001=1", "}"},
                             map),
                  "300 move 200 200\n600 click 200 200\n");
  run.runUntil(400);
  EXPECT_EQ(shownAt(run.platform, 200, 200), bgr(0, 0, 160));
  EXPECT_EQ(shownAt(run.platform, 50, 50), kBg);
  run.runUntil(1000);
  // S15 is 1 after a two-sheet partsload: the decided region shows the second sheet.
  EXPECT_EQ(run.engine.vars().V[1], 1);
  EXPECT_EQ(shownAt(run.platform, 200, 200), kSecond);
  EXPECT_EQ(run.engine.vars().S[15], 0);
}

TEST(ChoiceRun, SwitchAndASelectTakenByItsExpression) {
  TitleFixture title;
  HeadlessRun run(writeTitle(title, {"!V005=2", "*switch", "{(V005=1)", "!V001=1", "{(V005=2)",
                                     "!V001=2", "{", "!V001=9", "}", "*select V005", "{a",
                                     "!V002=1", "{b", "!V002=2", "}", "!V003=1"}),
                  "");
  run.runUntil(1000);
  EXPECT_EQ(run.engine.vars().V[1], 2);
  EXPECT_EQ(run.engine.vars().V[2], 2);
  EXPECT_EQ(run.engine.vars().V[3], 1);
  EXPECT_EQ(run.engine.wait().choiceActive, 0);
  EXPECT_TRUE(contains(run.engine.stateJson(), "\"choice\":null"));
}

}  // namespace
}  // namespace corvid::testing
