// The choices played through the interpreter: select in window mode and full-screen text
// mode (layout, hover, decision, blocks run), taken unseen, timed click maps, switch, and the
// recollection record's replay. The drawing is a fake that writes down what it is asked.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "interpreter_rig.h"
#include "script/choices.h"

namespace corvid {
namespace {

using testing::MemoryScripts;
using testing::RecordingHost;
using testing::sjis;
using testing::utf8;
using Lines = std::vector<std::string>;

struct FakeScreen final : ChoiceScreen {
  Lines calls;
  int32_t barWidth[4] = {400, 400, 600, 600};
  int32_t barHeight[4] = {80, 80, 80, 80};
  bool present[4] = {true, true, true, true};
  uint32_t partsColour = 0;  // every pixel of the parts picture

  static std::string rect(const ChoiceRect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
  }
  bool barSize(ChoiceBar bar, int32_t& w, int32_t& h) const override {
    if (!present[int(bar)]) return false;
    w = barWidth[int(bar)];
    h = barHeight[int(bar)];
    return true;
  }
  void keepBackup() override { calls.push_back("backup"); }
  void startHighlight() override { calls.push_back("highlight"); }
  void drawBar(ChoiceBar bar, int32_t x, int32_t y, bool h) override {
    calls.push_back("bar" + std::to_string(int(bar)) + " " + std::to_string(x) + "," +
                    std::to_string(y) + (h ? " h" : " s"));
  }
  void drawCentredText(std::string_view text, int32_t x, int32_t y, int32_t code, bool h) override {
    calls.push_back("text " + utf8(text) + " " + std::to_string(x) + "," + std::to_string(y) +
                    " c" + std::to_string(code) + (h ? " h" : " s"));
  }
  void resetTextColour() override { calls.push_back("colour0"); }
  void showScreen() override { calls.push_back("showScreen"); }
  void showHighlight() override { calls.push_back("showHighlight"); }
  void showRect(const ChoiceRect& r, bool h) override {
    calls.push_back("rect " + rect(r) + (h ? " h" : " s"));
  }
  void restoreBackup() override { calls.push_back("restore"); }
  bool partsPixel(int32_t, int32_t, uint32_t& c) const override {
    c = partsColour;
    return true;
  }
  void partsToHighlight(const ChoiceRect& r, int32_t x, int32_t y) override {
    calls.push_back("parts " + rect(r) + " to " + std::to_string(x) + "," + std::to_string(y));
  }
  void showDecidedRegion(const ChoiceRect& r) override { calls.push_back("decided " + rect(r)); }
};

struct FakeChoiceHost final : ChoiceHost {
  int busy = 0;
  int maxBusy = 0;
  const int32_t* skipLevel = nullptr;
  int32_t mouseX = 0, mouseY = 0, row = 0;
  uint32_t slept = 0;
  Lines sounds, problems;
  std::vector<int32_t> cursors;
  void raiseBusy() override { maxBusy = std::max(maxBusy, ++busy); }
  void lowerBusy() override { --busy; }
  bool skipping() const override { return skipLevel && *skipLevel != 0; }
  void playSystemSound(std::string_view n) override { sounds.push_back("sys " + utf8(n)); }
  void playVoiceOrSound(std::string_view n) override { sounds.push_back(utf8(n)); }
  void mousePosition(int32_t& x, int32_t& y) const override {
    x = mouseX;
    y = mouseY;
  }
  int32_t textCursorRow() const override { return row; }
  void sleep(uint32_t ms) override { slept += ms; }
  void setCursorShape(int32_t s) override { cursors.push_back(s); }
  void problem(std::string_view what, std::string_view) override {
    problems.push_back(std::string(what));
  }
};

// The interpreter with the choices as the owner of select, clickmap and switch.
struct ChoiceRig {
  struct Owners final : DetachedOwners {
    Choices* target = nullptr;
    int choices(const OwnedCommand& c) override { return target->carryOut(c); }
  };
  VariableSpaces vars;
  RandomGenerator random{1};
  WaitState wait;
  GameConfig config;
  MessageLog log;
  bool scriptRunning = false;
  int32_t skipLevel = 0, sleepCountdown = 0, effectRequest = 0;
  bool quitRequested = false, soundDevicePresent = true;
  MemoryScripts scripts;
  Owners owners;
  RecordingHost host;
  GridTextSink text{config, vars, log, skipLevel};
  Interpreter interpreter{InterpreterContext{
      vars, random, wait,
      PlayControl{scriptRunning, skipLevel, sleepCountdown, effectRequest, quitRequested,
                  soundDevicePresent},
      config, scripts, log, text, owners, host}};
  ChoiceRecord record;
  FakeScreen screen;
  FakeChoiceHost choiceHost;
  Choices choices{ChoiceContext{interpreter, vars, random, wait, config, text, record, screen,
                                choiceHost}};

  ChoiceRig() {
    owners.target = &choices;
    choiceHost.skipLevel = &skipLevel;
    config.mojiMaxX = 40;
    config.mojiMax2X = 40;
    config.selectYPos = 300;
    config.selectYPitch = 60;
    config.selectExpand = 10;
    config.selectTxtOy = 3;
    config.fontSize = 22;
    config.tx2OfsY = 40;
    config.tx2PitchY = 30;
    interpreter.allocateImages();
    host.scriptSettings.textPaced = false;
  }
  void start(const Lines& lines) {
    scripts.add("main", lines);
    interpreter.startMain();
    run();
  }
  void run() {
    for (int n = 0; n < 100; ++n) {
      wait.waitTicks = 0;
      if (wait.waitKind != 0 || wait.choiceActive) return;
      if (interpreter.images().main.position >= interpreter.images().main.size()) return;
      interpreter.step();
    }
  }
  // A click at (x, y) as the engine passes it on: the pointer there, then the decision.
  void click(int x, int y) {
    choices.hoverChoice(x, y);
    choices.decideChoice(false);
    run();
  }
  Lines logLines() const {
    Lines out;
    for (const std::string& l : log.finishedLines()) out.push_back(utf8(l));
    return out;
  }
};

const Lines kThree = {"*select", "{北へ", "!V001=1", "北に行った。", "{(V002=1)東へ", "!V001=2",
                      "{南へ", "!V001=3", "南に行った。", "}", "!V010=V001", "終わり。"};

TEST(Choices, WindowModeBarsAreLaidOutAndDrawnOnce) {
  ChoiceRig rig;
  rig.start({"*select", "{北へ", "{南へ", "{西へ", "}"});
  EXPECT_EQ(rig.wait.choiceActive, 1);
  const ChoiceState& s = rig.choices.state();
  ASSERT_EQ(s.count, 3);
  // top = 300 - (60 / 2) * 3; the bar 400 wide, centred; text y = top + 80/4 - 22/2 - 3.
  EXPECT_EQ(s.boxTop, 210);
  EXPECT_EQ(s.boxLeft, 200);
  EXPECT_EQ(s.rects[1], (ChoiceRect{200, 270, 600, 330}));
  const Lines expected = {
      "backup", "highlight",
      "bar0 200,210 s", "bar1 200,210 h", "text 北へ 400,216 c0 s", "text 北へ 400,216 c2 h",
      "bar0 200,270 s", "bar1 200,270 h", "text 南へ 400,276 c0 s", "text 南へ 400,276 c2 h",
      "bar0 200,330 s", "bar1 200,330 h", "text 西へ 400,336 c0 s", "text 西へ 400,336 c2 h",
      "colour0", "showScreen",
      // The hover at the pointer (0, 0) after opening draws every bar from the screen surface.
      "rect 200,210,600,270 s", "rect 200,270,600,330 s", "rect 200,330,600,390 s"};
  EXPECT_EQ(rig.screen.calls, expected);
  EXPECT_EQ(rig.choiceHost.sounds, Lines{"sys SSE02"});
  EXPECT_EQ(rig.choiceHost.busy, 0);
  EXPECT_EQ(rig.choiceHost.maxBusy, 1);
  EXPECT_EQ(s.highlighted, 0);
  int x = 0, y = 0;
  ASSERT_TRUE(rig.choices.keyboardPointFor(2, x, y));
  EXPECT_EQ(x, 543);
  EXPECT_EQ(y, 361);
  EXPECT_FALSE(rig.choices.keyboardPointFor(3, x, y));
}

TEST(Choices, HoverRedrawsOnlyTheBarsAndOnlyOnAChange) {
  ChoiceRig rig;
  rig.start({"*select", "{A", "{B", "}"});
  ASSERT_EQ(rig.choices.state().boxTop, 240);
  struct Case {
    int x, y, highlighted;
  };
  // Inside is strict: x in 201..599, y in 241..359.
  const Case cases[] = {{400, 250, 1}, {400, 299, 1}, {400, 300, 2}, {201, 359, 2},
                        {200, 300, 0}, {600, 300, 0}, {400, 240, 0}, {400, 360, 0}};
  for (const Case& c : cases) {
    rig.choices.hoverChoice(c.x, c.y);
    EXPECT_EQ(rig.choices.highlightedChoice(), c.highlighted) << c.x << "," << c.y;
  }
  rig.choices.hoverChoice(400, 250);
  rig.screen.calls.clear();
  rig.choices.hoverChoice(401, 251);  // the same bar: nothing drawn
  EXPECT_TRUE(rig.screen.calls.empty());
  rig.choices.hoverChoice(400, 310);
  EXPECT_EQ(rig.screen.calls, (Lines{"rect 200,240,600,300 s", "rect 200,300,600,360 h"}));
}

TEST(Choices, DecisionRunsTheChosenBlockOnlyAndGoesOnAfterTheConstruct) {
  struct Case {
    int bar;  // 0-based bar clicked
    int v1;
    Lines log;
  };
  // The second block's condition is false: two bars, the second runs the third block.
  const Case cases[] = {{0, 1, {"北に行った。", "終わり。"}}, {1, 3, {"南に行った。", "終わり。"}}};
  for (const Case& c : cases) {
    ChoiceRig rig;
    rig.start(kThree);
    ASSERT_EQ(rig.choices.choiceCount(), 2);
    const ChoiceRect r = rig.choices.state().rects[size_t(c.bar)];
    rig.screen.calls.clear();
    rig.click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    EXPECT_EQ(rig.wait.choiceActive, 0);
    EXPECT_EQ(rig.vars.V[1], c.v1);
    EXPECT_EQ(rig.vars.V[10], c.v1);
    EXPECT_EQ(rig.logLines(), c.log);
    EXPECT_EQ(rig.choiceHost.sounds.back(), "SSE01");
    // Four copies of the bar, screen first, 100 ms apart; then the screen as it was.
    const std::string bar = "rect " + FakeScreen::rect(r);
    EXPECT_EQ(std::vector<std::string>(rig.screen.calls.end() - 5, rig.screen.calls.end()),
              (Lines{bar + " s", bar + " h", bar + " s", bar + " h", "restore"}));
    EXPECT_EQ(rig.choiceHost.slept, 400u);
  }
}

TEST(Choices, ClicksOutsideTheBarsAndTheDecisionSoundSlot) {
  ChoiceRig rig;
  rig.start(kThree);
  rig.click(100, 100);  // outside every bar: nothing
  EXPECT_EQ(rig.wait.choiceActive, 1);
  EXPECT_EQ(rig.vars.V[1], 0);
  rig.vars.setString(7, "x");
  rig.vars.setString(8, "VOICE1");
  rig.click(400, rig.choices.state().rects[0].top + 10);
  EXPECT_EQ(rig.choiceHost.sounds.back(), "VOICE1");
  EXPECT_EQ(rig.vars.V[1], 1);
}

TEST(Choices, AnExpressionTakesItsChoiceUnseen) {
  struct Case {
    const char* command;
    int v1;
    bool problem;
  };
  const Case cases[] = {{"*select 2", 3, false},  // the second counted choice: the third block
                        {"*select 1+0", 1, false},
                        {"*select 5", 0, true},     // no such choice: past the construct
                        {"*select -1", 0, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    ChoiceRig rig;
    Lines lines = kThree;
    lines[0] = c.command;
    rig.start(lines);
    EXPECT_EQ(rig.wait.choiceActive, 0);
    EXPECT_EQ(rig.vars.V[1], c.v1);
    EXPECT_EQ(rig.vars.V[10], c.v1);
    EXPECT_EQ(rig.logLines().back(), "終わり。");
    EXPECT_EQ(rig.screen.calls, Lines{});  // nothing shown
    EXPECT_EQ(rig.choiceHost.problems.empty(), !c.problem);
  }
}

TEST(Choices, ASelectWithNothingToOfferIsPassedOver) {
  ChoiceRig rig;
  rig.start({"*select", "{(V001=1)A", "!V002=1", "}", "!V003=1"});
  EXPECT_EQ(rig.wait.choiceActive, 0);
  EXPECT_EQ(rig.vars.V[2], 0);
  EXPECT_EQ(rig.vars.V[3], 1);
  EXPECT_EQ(rig.choiceHost.busy, 0);
}

TEST(Choices, WideBarsForLongTextsAndTheirStandIns) {
  // SELECT_EXPAND 10: a longest text of 20 bytes or more takes the wide bars.
  ChoiceRig rig;
  rig.start({"*select", "{12345678901234567890", "{B", "}"});
  EXPECT_EQ(rig.choices.state().normalBar, ChoiceBar::Wide);
  EXPECT_EQ(rig.choices.state().boxWidth, 600);
  EXPECT_EQ(rig.choices.state().boxLeft, 100);

  ChoiceRig narrow;
  narrow.start({"*select", "{1234567890123456789", "}"});
  EXPECT_EQ(narrow.choices.state().normalBar, ChoiceBar::Normal);

  // A title without the wide bars lays them out as the normal ones.
  ChoiceRig without;
  without.screen.present[2] = without.screen.present[3] = false;
  without.start({"*select", "{12345678901234567890", "}"});
  EXPECT_EQ(without.choices.state().boxWidth, 400);
}

TEST(Choices, FullScreenTextModeLines) {
  ChoiceRig rig;
  rig.vars.S[160] = 1;
  rig.choiceHost.row = 3;
  rig.start({"*select", "{A", "{B", "}", "!V001=V001+1"});
  EXPECT_EQ(rig.wait.choiceActive, 2);
  const ChoiceState& s = rig.choices.state();
  // 600 wide, centred; rows 3 and 4 at 30 pixels from 40; half the picture's 80 rows high.
  EXPECT_EQ(s.rects[0], (ChoiceRect{100, 130, 700, 170}));
  EXPECT_EQ(s.rects[1], (ChoiceRect{100, 160, 700, 200}));
  const Lines drawn(rig.screen.calls.begin(), rig.screen.calls.begin() + 8);
  EXPECT_EQ(drawn, (Lines{"backup", "highlight", "bar2 100,130 s", "bar3 100,130 h",
                          "text A 400,135 c7 s", "text A 400,135 c4 h", "bar2 100,160 s",
                          "bar3 100,160 h"}));
  rig.choices.hoverChoice(400, 150);
  EXPECT_EQ(rig.choices.highlightedChoice(), 1);
  rig.choices.hoverChoice(400, 165);  // the first line's rectangle holds it first
  EXPECT_EQ(rig.choices.highlightedChoice(), 1);
  rig.choices.hoverChoice(400, 180);
  EXPECT_EQ(rig.choices.highlightedChoice(), 2);
  rig.choices.decideChoice(false);
  rig.run();
  EXPECT_EQ(rig.wait.choiceActive, 0);
  EXPECT_EQ(rig.vars.V[1], 1);
  EXPECT_EQ(rig.choiceHost.slept, 0u);  // no blink in full-screen text mode
}

TEST(Choices, ReplayDecidesRecordedChoicesThenRecordingGoesOn) {
  ChoiceRig rig;
  rig.vars.S[161] = 2;
  rig.vars.S[162] = 2;
  rig.vars.S[163] = 0;
  rig.record.store(0, 2);
  rig.record.store(1, 1);
  const Lines select = {"*select", "{A", "!V001=V001*10+1", "{B", "!V001=V001*10+2", "}"};
  Lines lines;
  for (int i = 0; i < 3; ++i) lines.insert(lines.end(), select.begin(), select.end());
  rig.start(lines);
  // Two selects decided by themselves (14 blinks each), the third waits for the player.
  EXPECT_EQ(rig.vars.V[1], 21);
  EXPECT_EQ(rig.wait.choiceActive, 1);
  EXPECT_EQ(rig.choiceHost.slept, 2u * 14 * 100);
  EXPECT_EQ(rig.vars.S[161], 1);
  EXPECT_EQ(rig.vars.S[162], 2);
  EXPECT_EQ(rig.vars.S[163], 2);
  rig.click(400, rig.choices.state().rects[1].top + 10);
  EXPECT_EQ(rig.vars.V[1], 212);
  EXPECT_EQ(rig.vars.S[162], 3);
  EXPECT_EQ(rig.record.at(2), 2);
  EXPECT_EQ(rig.record.at(0), 2);
  EXPECT_EQ(rig.record.at(1), 1);
}

TEST(Choices, RecordingStopsAtTheRecordsCapacity) {
  ChoiceRig rig;
  rig.vars.S[161] = 1;
  rig.vars.S[162] = ChoiceRecord::kCapacity;
  rig.start({"*select", "{A", "}"});
  rig.click(400, rig.choices.state().rects[0].top + 10);
  EXPECT_EQ(rig.vars.S[162], ChoiceRecord::kCapacity);
}

// The section "map" and a main with a click map of these regions.
void startClickMap(ChoiceRig& rig, const Lines& regions, const Lines& blocks) {
  Lines map = {":room", std::to_string(regions.size())};
  map.insert(map.end(), regions.begin(), regions.end());
  rig.scripts.add("map", map);
  Lines main = {"*clickmap room"};
  main.insert(main.end(), blocks.begin(), blocks.end());
  main.push_back("}");
  main.push_back("!V009=1");
  rig.start(main);
}

TEST(Choices, ClickMapRegionsHighlightAndDecide) {
  ChoiceRig rig;
  rig.choiceHost.mouseX = 500;
  rig.choiceHost.mouseY = 500;
  startClickMap(rig, {"door,100,100,200,200", "*lamp,300,100,400,200", "#box,500,100,600,200,0,0,10,10,20,30"},
                {"{", "!V001=1", "{", "!V001=2", "{Big box", "!V001=3"});
  EXPECT_EQ(rig.wait.choiceActive, 4);
  EXPECT_EQ(rig.choices.choiceCount(), 3);
  EXPECT_EQ(utf8(rig.choices.state().texts[2].view()), "Big box");
  EXPECT_EQ(rig.choices.highlightedChoice(), 0);
  rig.screen.calls.clear();
  rig.choices.hoverChoice(150, 150);
  EXPECT_EQ(rig.screen.calls, (Lines{"highlight", "showHighlight"}));
  rig.screen.calls.clear();
  rig.choices.hoverChoice(350, 150);
  EXPECT_EQ(rig.screen.calls, (Lines{"highlight", "parts 300,100,400,200 to 300,100", "showHighlight"}));
  rig.screen.calls.clear();
  rig.choices.hoverChoice(550, 150);
  EXPECT_EQ(rig.screen.calls, (Lines{"rect 300,100,400,200 s", "highlight",
                                     "parts 500,100,600,200 to 500,100",
                                     "parts 0,0,10,10 to 20,30", "showHighlight"}));
  rig.screen.calls.clear();
  rig.choices.hoverChoice(700, 150);
  EXPECT_EQ(rig.screen.calls, (Lines{"rect 500,100,600,200 s", "showScreen"}));
  rig.choices.hoverChoice(350, 150);
  rig.screen.calls.clear();
  // A right click decides a click map as a left one does.
  rig.choices.decideChoice(true);
  rig.run();
  EXPECT_EQ(rig.screen.calls, Lines{"showScreen"});
  EXPECT_EQ(rig.vars.V[1], 2);
  EXPECT_EQ(rig.vars.V[9], 1);
  EXPECT_EQ(rig.wait.choiceActive, 0);
}

TEST(Choices, ClickMapDisabledColourAndBlocklessRegions) {
  ChoiceRig rig;
  rig.screen.partsColour = 0x00A5B4C3;  // high nibbles: red C, green B, blue A
  startClickMap(rig, {"door,100,100,200,200", "$CBA2,0,0,800,600", "last,0,0,800,600"},
                {"{(V005=1)", "!V001=1", "{", "!V001=2"});
  // The disabled door is passed over; the colour region takes the pixel and sets the cursor.
  rig.choices.hoverChoice(150, 150);
  EXPECT_EQ(rig.choices.highlightedChoice(), 2);
  EXPECT_EQ(rig.choices.state().cursorShape, 31);
  EXPECT_EQ(rig.choiceHost.cursors.back(), 31);
  rig.screen.partsColour = 0x00FFFFFF;
  // "last" has no block: it cannot be picked.
  rig.choices.hoverChoice(150, 150);
  EXPECT_EQ(rig.choices.highlightedChoice(), 0);
  EXPECT_EQ(rig.choiceHost.cursors.back(), 0);
  rig.choices.decideChoice(false);
  EXPECT_EQ(rig.wait.choiceActive, 4);
  // S15 set: the decided region comes from the second parts sheet.
  rig.screen.partsColour = 0x00A5B4C3;
  rig.choices.hoverChoice(10, 10);
  rig.vars.S[15] = 1;
  rig.screen.calls.clear();
  rig.choices.decideChoice(false);
  EXPECT_EQ(rig.screen.calls, Lines{"decided 0,0,800,600"});
  EXPECT_EQ(rig.vars.S[15], 0);
  rig.run();
  EXPECT_EQ(rig.vars.V[1], 2);
}

TEST(Choices, ATimedRegionIsTakenAfterItsTicks) {
  ChoiceRig rig;
  startClickMap(rig, {"a,0,0,10,10", "b,20,20,30,30"}, {"{", "!V001=1", "{@5", "!V001=2"});
  EXPECT_EQ(rig.choices.state().timedTicks, 100);
  for (int i = 0; i < 99; ++i) rig.choices.choiceTick();
  EXPECT_EQ(rig.wait.choiceActive, 4);
  rig.choices.choiceTick();
  EXPECT_EQ(rig.wait.choiceActive, 0);
  rig.run();
  EXPECT_EQ(rig.vars.V[1], 2);
  EXPECT_EQ(rig.vars.V[9], 1);
}

TEST(Choices, RefusedClickMapsSkipTheirConstruct) {
  struct Case {
    const char* name;
    bool withMap;
    Lines regions;
  };
  const Case cases[] = {{"no section", false, {}},
                        {"no such name", true, {}},
                        {"nothing pickable", true, {"a,0,0,10,10"}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ChoiceRig rig;
    if (c.withMap) rig.scripts.add("map", {":other", "0"});
    Lines main = {c.regions.empty() ? "*clickmap room" : "*clickmap other", "{", "!V001=1", "}",
                  "!V009=1"};
    if (!c.regions.empty()) {
      rig.scripts.add("map", {":other", "1", c.regions[0]});
      main = {"*clickmap other", "{(V001=1)", "!V001=1", "}", "!V009=1"};
    }
    rig.start(main);
    EXPECT_EQ(rig.wait.choiceActive, 0);
    EXPECT_EQ(rig.vars.V[1], 0);
    EXPECT_EQ(rig.vars.V[9], 1);
    EXPECT_FALSE(rig.choiceHost.problems.empty());
  }
}

TEST(Choices, SwitchRunsTheCaseThatHolds) {
  struct Case {
    int v1;
    Lines log;
  };
  const Case cases[] = {{1, {"one", "after"}}, {2, {"two", "after"}}, {3, {"other", "after"}}};
  for (const Case& c : cases) {
    ChoiceRig rig;
    rig.vars.V[1] = c.v1;
    rig.start({"*switch", "{(V001=1)", "one", "{(V001=2)", "two", "{", "other", "}", "after"});
    EXPECT_EQ(rig.logLines(), c.log);
  }
  ChoiceRig named;
  named.vars.V[1] = 2;
  named.start({"*switch k", "{:k(V001=1)", "one", "{:k(V001=2)", "two", "{:k", "other", "}:k",
               "after"});
  EXPECT_EQ(named.logLines(), (Lines{"two", "after"}));
  ChoiceRig none;
  none.start({"*switch", "{(V001=1)", "one", "}", "after"});
  EXPECT_EQ(none.logLines(), Lines{"after"});
}

}  // namespace
}  // namespace corvid

namespace corvid {
namespace {

TEST(Choices, BreakOnSelectEndsSkippingAndAutoAdvance) {
  struct Case {
    bool breakOnSelect;
    int32_t skipAfter, autoAfter;
    Lines sounds;
  };
  // Without "BreakonSelect" skipping goes on over the open list, and the opening sound is left
  // out while skipping.
  const Case cases[] = {{true, 0, 0, {"sys SSE02"}}, {false, 1, 3, {}}};
  for (const Case& c : cases) {
    ChoiceRig rig;
    rig.host.scriptSettings.breakOnSelect = c.breakOnSelect;
    rig.skipLevel = 1;
    rig.vars.S[26] = 3;
    rig.start({"*select", "{A", "}"});
    EXPECT_EQ(rig.choiceHost.sounds, c.sounds);
    EXPECT_EQ(rig.wait.choiceActive, 1);
    EXPECT_EQ(rig.skipLevel, c.skipAfter);
    EXPECT_EQ(rig.vars.S[26], c.autoAfter);
  }
}

}  // namespace
}  // namespace corvid
