// The transitions on a virtual clock: the pacer's arithmetic, the speed tables, each mode's
// frames (blend weights, wipe and stripe geometry, frame counts and periods), cutting short,
// the shake's offsets, and the fast paths against the plain ones.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "data/archive.h"
#include "gfx/picture_draw.h"
#include "gfx/transitions.h"

namespace corvid {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes pixel(const Surface& s, int x, int y) { return Bytes(s.at(x, y), s.at(x, y) + 3); }
Bytes grey(uint8_t v) { return {v, v, v}; }

Surface filled(uint8_t v) {
  Surface s(kScreenWidth, kScreenHeight);
  std::fill(s.pixels.begin(), s.pixels.end(), v);
  return s;
}

// ---- A virtual clock and a host that records what is presented -------------------------------

class Clock final : public PacerClock {
 public:
  uint32_t now = 0;
  std::vector<uint32_t> pumps;
  uint32_t millis() override { return now; }
  void sleep(uint32_t ms) override { now += ms; }
  bool pumpMessages() override {
    pumps.push_back(now);
    return true;
  }
};

struct Frame {
  uint32_t ms;
  ChangedRect rect;
  Bytes sample;  // the display's pixel at the host's sample point when presented
};

class RecordingHost final : public TransitionHost {
 public:
  uint32_t now = 0;
  int sampleX = 0, sampleY = 0;
  std::vector<Frame> frames;
  uint32_t clickAt = UINT32_MAX;  // a click recorded at the first pump at or after this time
  int32_t request = 0, requestKind = 1;
  int busy = 0, raised = 0;
  uint32_t presentCostMs = 0;  // how long presenting a frame takes
  bool keepFrames = false;     // keep the last two frames presented whole
  std::vector<uint8_t> previousFrame, lastFrame;
  bool effectRunning = false, instant = false, cut = false, scrolling = false;

  uint32_t millis() override { return now; }
  void sleep(uint32_t ms) override { now += ms; }
  bool pumpMessages() override {
    if (now >= clickAt) {
      request = requestKind;
      clickAt = UINT32_MAX;
    }
    return true;
  }
  void present(const Surface& display) override { presentRect(display, 0, 0, 800, 600); }
  void presentRect(const Surface& display, int x, int y, int w, int h) override {
    ChangedRect r;
    r.add(x, y, w, h);
    frames.push_back({now, r, pixel(display, sampleX, sampleY)});
    now += presentCostMs;
    if (!keepFrames) return;
    previousFrame = lastFrame;
    lastFrame = display.pixels;
  }
  void raiseEffectFlags() override {
    ++busy;
    ++raised;
    effectRunning = true;
  }
  void lowerEffectFlags() override {
    --busy;
    effectRunning = false;
  }
  int32_t effectRequest() const override { return request; }
  void clearEffectRequest() override { request = 0; }
  bool transitionsInstant() const override { return instant; }
  bool shakesCut() const override { return cut; }
  void setScrolling(bool on) override { scrolling = on; }

  std::vector<uint8_t> samples() const {
    std::vector<uint8_t> v;
    for (const Frame& f : frames) v.push_back(f.sample[0]);
    return v;
  }
};

// Old picture grey 0, new picture grey 200, on 800x600 surfaces.
struct Rig {
  Surface screen = filled(200), work = filled(0), output{800, 600}, display = filled(0),
          pattern{800, 600};
  SystemVariables S{};
  RandomGenerator random{7};
  Archives archives;
  PictureLoader pictures{archives};
  RecordingHost host;
  Transitions transitions{TransitionSurfaces{screen, work, output, display, pattern}, S, random,
                          pictures, host};
};

// ---- The pacer -------------------------------------------------------------------------------

TEST(FramePacer, WaitsToThePeriodAndSkipsWhatIsLate) {
  struct Case {
    uint32_t busyMs;   // time the frame took before the wait
    int32_t period;
    int periods;       // what the wait returns
    uint32_t endMs;    // the clock after the wait
  };
  const Case cases[] = {
      {0, 20, 1, 20}, {19, 20, 1, 20}, {20, 20, 2, 40}, {45, 20, 3, 60},
      {0, 0, 1, 1},   {5, -3, 6, 6},   // periods below 1 ms count as 1 ms
  };
  for (const Case& c : cases) {
    Clock clock;
    FramePacer pacer(clock);
    pacer.pacerStart();
    clock.now += c.busyMs;
    EXPECT_EQ(pacer.pacerWait(c.period), c.periods) << c.busyMs << " " << c.period;
    EXPECT_EQ(clock.now, c.endMs) << c.busyMs << " " << c.period;
    // Messages are processed before the sleep and once more after it.
    EXPECT_EQ(clock.pumps, (std::vector<uint32_t>{c.busyMs, c.endMs}));
  }
}

TEST(FramePacer, TheReferenceMovesByWholePeriods) {
  Clock clock;
  FramePacer pacer(clock);
  pacer.pacerStart();
  EXPECT_EQ(pacer.pacerWait(10), 1);
  clock.now += 3;  // 13: still inside the second period
  EXPECT_EQ(pacer.pacerWait(10), 1);
  EXPECT_EQ(clock.now, 20u);
  pacer.sleepUntil(15);  // in the past: no sleep, but messages
  EXPECT_EQ(clock.now, 20u);
  pacer.sleepUntil(32);
  EXPECT_EQ(clock.now, 32u);
}

// ---- Tables ----------------------------------------------------------------------------------

TEST(TransitionTables, SpeedsAndCrossFadeRates) {
  EXPECT_EQ(speedFor(0), (TransitionSpeed{4, 8, 20}));
  EXPECT_EQ(speedFor(17), (TransitionSpeed{4, 8, 20}));
  EXPECT_EQ(speedFor(-1), (TransitionSpeed{4, 8, 20}));
  EXPECT_EQ(speedFor(1), (TransitionSpeed{32, 4, 1}));
  EXPECT_EQ(speedFor(9), (TransitionSpeed{4, 10, 30}));
  EXPECT_EQ(speedFor(16), (TransitionSpeed{1, 20, 140}));
  EXPECT_EQ(crossFadeRateFor(128), (CrossFadeRate{16, 8}));
  EXPECT_EQ(crossFadeRateFor(799), (CrossFadeRate{16, 49}));
  EXPECT_EQ(crossFadeRateFor(1000), (CrossFadeRate{8, 31}));
  EXPECT_EQ(crossFadeRateFor(1600), (CrossFadeRate{4, 25}));
  EXPECT_EQ(crossFadeRateFor(3200), (CrossFadeRate{2, 25}));
  EXPECT_EQ(crossFadeRateFor(6400), (CrossFadeRate{1, 25}));
  EXPECT_EQ(checkerLevels(0), 16);
  EXPECT_EQ(checkerLevels(128), 128);
  EXPECT_EQ(checkerLevels(129), 16);
}

TEST(TransitionTables, RandomOrdersArePermutationsFromTheSeed) {
  RandomGenerator a(3), b(3);
  const auto order = tileOrder(a);
  EXPECT_EQ(order, tileOrder(b));
  EXPECT_EQ(std::set<uint8_t>(order.begin(), order.end()).size(), 100u);
  const std::vector<RowPiece> pieces = splitRowPieces(a);
  ASSERT_EQ(pieces.size(), 1200u);
  std::map<int, int> widthOfRow;
  for (const RowPiece& p : pieces) {
    widthOfRow[p.row] += p.width;
    if (p.x == 0) continue;
    EXPECT_GE(p.x, 20);
    EXPECT_LT(p.x, 620);
  }
  for (const auto& [row, width] : widthOfRow) EXPECT_EQ(width, 800) << row;
}

// The checker dissolve's multiply and shift gives the table's division for every N and every
// numerator a byte pair can make; the weights add up to the divisor.
TEST(TransitionTables, CheckerReciprocalDividesExactly) {
  for (int levels = 1; levels <= 128; ++levels) {
    const CheckerWeights w = checkerWeights(1, levels);
    const uint32_t divisor = uint32_t(w.oldWeight + w.newWeight);
    EXPECT_EQ(divisor, uint32_t(levels == 1 ? 2 : levels));
    for (uint32_t x = 0; x <= 255u * divisor; ++x)
      ASSERT_EQ(((x * w.reciprocal) >> 16) >> w.shift, x / divisor) << levels << " " << x;
  }
  const CheckerWeights w = checkerWeights(3, 16);
  EXPECT_EQ(w.oldWeight, 13u);
  EXPECT_EQ(w.newWeight, 3u);
}

TEST(TransitionTables, CheckerTableWeighsOldAndNew) {
  CheckerTable t;
  fillCheckerTable(t, 1, 16);
  EXPECT_EQ(t[200 * 256 + 0], 12);  // 200 / 16
  EXPECT_EQ(t[0 * 256 + 160], 150);
  fillCheckerTable(t, 16, 16);
  EXPECT_EQ(t[200 * 256 + 7], 200);
}

// ---- Cross-fades -----------------------------------------------------------------------------

TEST(CrossFade, FramesWeightsAndTimes) {
  struct Case {
    int n;
    int32_t s16;
    int step, period;
  };
  const Case cases[] = {
      {1, 0, 16, 10},     {2, 0, 8, 15},     {3, 16, 1, 20}, {3, 4, 16, 8},
      {-1, 0, 16, 10},    {-7, 0, 16, 10},   // a negative number acts as 1
      {1000, 0, 8, 31},   {128, 0, 16, 8},
  };
  for (const Case& c : cases) {
    Rig rig;
    rig.S[16] = c.s16;
    rig.transitions.runTransition(c.n);
    std::vector<uint8_t> expected;
    for (int level = 0; level <= 256; level += c.step) expected.push_back(uint8_t(200 * level >> 8));
    expected.push_back(200);  // the new screen shown at the end
    EXPECT_EQ(rig.host.samples(), expected) << c.n;
    const int frames = int(expected.size()) - 1;
    EXPECT_EQ(rig.host.frames[size_t(frames - 1)].ms, uint32_t((frames - 1) * c.period)) << c.n;
    EXPECT_EQ(rig.host.now, uint32_t(frames * c.period)) << c.n;
    EXPECT_EQ(rig.S[16], 0);
    EXPECT_EQ(rig.S[19], 0);
    EXPECT_EQ(rig.host.busy, 0);
    EXPECT_FALSE(rig.host.effectRunning);
  }
}

TEST(CrossFade, TransitionThreeWithSpeedSixteenTakes257FramesOf20Ms) {
  Rig rig;
  rig.S[16] = 16;
  rig.transitions.runTransition(3);
  EXPECT_EQ(rig.host.frames.size(), 258u);
  EXPECT_EQ(rig.host.now, 257u * 20);
  EXPECT_EQ(rig.S[16], 0);
}

// Frames that take longer than the period: the weight skips ahead by the periods that passed.
TEST(CrossFade, LateFramesSkipAhead) {
  Rig rig;
  rig.host.presentCostMs = 20;  // each frame takes 20 ms; the period is 15
  rig.transitions.runTransition(2);
  std::vector<uint8_t> expected;
  for (int level = 0; level <= 256; level += 16) expected.push_back(uint8_t(200 * level >> 8));
  expected.push_back(200);
  EXPECT_EQ(rig.host.samples(), expected);
  EXPECT_EQ(rig.host.frames[1].ms, 30u);
}

TEST(CrossFade, AClickEndsItWithTheNewScreenAndLeavesS19) {
  Rig rig;
  rig.host.clickAt = 50;
  rig.transitions.runTransition(2);
  EXPECT_EQ(rig.host.frames.back().sample, grey(200));
  EXPECT_EQ(pixel(rig.display, 400, 300), grey(200));
  EXPECT_LT(rig.host.now, 100u);
  EXPECT_EQ(rig.S[19], 0);
  EXPECT_EQ(rig.host.request, 1);  // left for the command executor
}

TEST(CrossFade, InstantWhenTheSettingsSaySo) {
  for (int n : {1, 5, 6, 17, 1000, 50}) {
    Rig rig;
    rig.host.instant = true;
    rig.transitions.runTransition(n);
    ASSERT_EQ(rig.host.frames.size(), 1u) << n;
    EXPECT_EQ(rig.host.frames[0].sample, grey(200));
    EXPECT_EQ(rig.host.now, 0u);
  }
}

TEST(CrossFade, PresetsAndTheSepiaFade) {
  struct Case {
    int type, step;
    uint32_t ms;
  };
  for (const Case& c : {Case{1, 24, 11 * 40}, Case{3, 5, 52 * 50}, Case{4, 2, 129 * 50},
                        Case{0, 12, 22 * 40}}) {
    Rig rig;
    rig.transitions.crossFadePreset(c.type);
    EXPECT_EQ(rig.host.frames[1].sample, grey(uint8_t(200 * c.step >> 8))) << c.type;
    EXPECT_EQ(rig.host.now, c.ms) << c.type;
    EXPECT_EQ(rig.host.raised, 1);
    EXPECT_EQ(rig.host.busy, 0);
  }
  Rig rig;
  rig.transitions.sepiaFade();
  const std::vector<uint8_t> s = rig.host.samples();
  ASSERT_EQ(s.size(), 27u);  // 48, 56, ... 248, then the screen
  EXPECT_EQ(s[0], uint8_t(200 * 48 >> 8));
  EXPECT_EQ(s[25], uint8_t(200 * 248 >> 8));
  EXPECT_EQ(s[26], 200);
  EXPECT_EQ(rig.host.now, 26u * 20);
}

// ---- Drawn modes: whole runs ---------------------------------------------------------------

// Every drawn mode ends with the new screen everywhere, takes its frame count and period, and
// leaves S16 at 0 and the flags lowered.
TEST(DrawnModes, EndOnTheNewScreenInTheirTime) {
  struct Case {
    int mode;
    uint32_t ms;  // with S16 = 0: step 4, period 8, delay 20
  };
  const Case cases[] = {
      {5, (63 + 64) * 8},  // c = 252 .. 4 down, then 0 .. 252 up
      {6, 70 * 20},        {7, 90 * 20},  // r = 5, 15 .. 895 (S20 = S21 = 0: R = 900)
      {8, 116 * 20},       {9, 60 * 10},  {10, 80 * 6},   {11, 57 * 20},
      {12, 20 * 60},       {13, 135 * 20}, {14, 50 * 20}, {15, 99 * 20},
      {16, 47 * 20},       {17, 64 * 40}, {18, 12 * 20},  {19, 40 * 20},
      {20, 31 * 20},       {21, 31 * 20}, {22, 31 * 20},
  };
  for (const Case& c : cases) {
    Rig rig;
    for (int y = 0; y < 600; y += 7)
      for (int x = 0; x < 800; x += 13) rig.screen.at(x, y)[0] = uint8_t(x ^ y);
    const Surface expected = rig.screen;
    rig.transitions.runTransition(c.mode);
    EXPECT_EQ(rig.display.pixels, expected.pixels) << c.mode;
    EXPECT_EQ(rig.host.now, c.ms) << c.mode;
    EXPECT_EQ(rig.S[16], 0);
    EXPECT_EQ(rig.S[19], 0);
    EXPECT_EQ(rig.host.busy, 0);
    EXPECT_EQ(rig.host.raised, 1);
  }
}

// The modes that end with their last frame have covered the whole screen by then, so the
// new screen shown after them changes nothing; an iris centred so that its last disc misses
// the corners is the exception that showing the screen mends.
TEST(DrawnModes, TheirLastFrameCoversTheScreen) {
  for (int mode : {6, 7, 8, 9, 10, 11, 13, 14, 15, 16, 17}) {
    Rig rig;
    for (int y = 0; y < 600; y += 7)
      for (int x = 0; x < 800; x += 13) rig.screen.at(x, y)[0] = uint8_t(x ^ y);
    rig.host.keepFrames = true;
    rig.transitions.runTransition(mode);
    EXPECT_EQ(rig.host.previousFrame, rig.screen.pixels) << mode;
  }
  Rig iris;
  iris.S[20] = 400;
  iris.S[21] = 300;
  iris.host.keepFrames = true;
  iris.transitions.runTransition(7);
  EXPECT_EQ(Bytes(iris.host.previousFrame.begin(), iris.host.previousFrame.begin() + 3), grey(0));
  EXPECT_EQ(iris.display.pixels, iris.screen.pixels);
}

TEST(DrawnModes, NoneAndUnknownNumbersDrawNothing) {
  for (int n : {0, 23, 127}) {
    Rig rig;
    rig.transitions.runTransition(n);
    EXPECT_TRUE(rig.host.frames.empty()) << n;
    EXPECT_EQ(pixel(rig.display, 10, 10), grey(0));
  }
}

// A click during a drawn mode shows the whole new screen at once and sets S19; the checker
// dissolve is cut short without it.
TEST(DrawnModes, AClickCutsThemShort) {
  for (int mode = 5; mode <= 22; ++mode) {
    Rig rig;
    rig.S[19] = 5;
    rig.host.clickAt = 100;
    rig.transitions.runTransition(mode);
    EXPECT_EQ(rig.display.pixels, rig.screen.pixels) << mode;
    EXPECT_LE(rig.host.now, 160u) << mode;
    EXPECT_EQ(rig.S[19], mode == 17 ? 0 : 1) << mode;
    EXPECT_EQ(rig.host.busy, 0);
  }
}

TEST(DrawnModes, FullScreenTextModeKeepsTheNewScreenAsTheOld) {
  Rig rig;
  rig.S[160] = 1;
  rig.transitions.runTransition(4);
  EXPECT_EQ(rig.work.pixels, rig.screen.pixels);
}

// ---- Drawn modes: single frames ------------------------------------------------------------

// The columns of row 0 that show the new picture after frames 0 .. f of a copying mode.
std::vector<int> newColumns(const Surface& display, int y) {
  std::vector<int> columns;
  for (int x = 0; x < 800; ++x)
    if (display.at(x, y)[0] == 200) columns.push_back(x);
  return columns;
}

TEST(DrawnFrames, BlindsGrowEachStripByOnePixel) {
  Rig rig;
  EXPECT_EQ(blindsFrame(rig.screen, rig.display, 0), (ChangedRect{0, 0, 1, 600}));
  EXPECT_EQ(newColumns(rig.display, 0), (std::vector<int>{0}));
  blindsFrame(rig.screen, rig.display, 1);
  EXPECT_EQ(newColumns(rig.display, 599), (std::vector<int>{0, 1, 16}));
  EXPECT_EQ(blindsFrame(rig.screen, rig.display, 69), ChangedRect{});  // strips past the edge
}

TEST(DrawnFrames, IrisSpansAndItsLimit) {
  Rig rig;
  irisFrame(rig.screen, rig.display, 5);
  EXPECT_EQ(newColumns(rig.display, 300), (std::vector<int>{395, 396, 397, 398, 399, 400, 401,
                                                            402, 403, 404, 405}));
  EXPECT_EQ(pixel(rig.display, 400, 295), grey(200));
  EXPECT_EQ(pixel(rig.display, 400, 294), grey(0));
  EXPECT_EQ(irisLimit(250, 0), 800);
  EXPECT_EQ(irisLimit(400, 300), 500);
  EXPECT_EQ(irisLimit(1, 1000000000), 2000);
  // A disc past the picture's edges is clipped to it.
  EXPECT_EQ(irisFrame(rig.screen, rig.display, 895), ChangedRect::whole());
}

TEST(DrawnFrames, TilesFadeInOrderWeightedOnTheOld) {
  Rig rig;
  std::array<uint8_t, kTileCount> order;
  for (int i = 0; i < kTileCount; ++i) order[size_t(i)] = uint8_t(i);
  copyFrame(rig.work, rig.output);
  tilesFrame(rig.work, rig.screen, rig.output, rig.display, order, 4);
  // Tile j has weight 16 (j - t + 16) on the old picture: j = 0 .. 4 are drawn at t = 4.
  for (int j = 0; j <= 5; ++j) {
    const int w = 16 * (j - 4 + 16);
    const uint8_t expected = j == 5 ? 0 : uint8_t((200 * (256 - w)) >> 8);
    EXPECT_EQ(rig.display.at(80 * j + 1, 1)[0], expected) << j;
  }
  tilesFrame(rig.work, rig.screen, rig.output, rig.display, order, 19);
  EXPECT_EQ(rig.display.at(1, 1)[0], 200);  // weight 0: the new picture
}

TEST(DrawnFrames, InterlaceSquaresAndSplitRows) {
  Rig rig;
  interlaceRowsFrame(rig.screen, rig.display, 1);
  std::vector<int> rows;
  for (int y = 0; y < 600; ++y)
    if (rig.display.at(3, y)[0] == 200) rows.push_back(y);
  EXPECT_EQ(rows, (std::vector<int>{10, 12, 14, 16, 18, 581, 583, 585, 587, 589}));

  Rig cols;
  interlaceColumnsFrame(cols.screen, cols.display, 0);
  EXPECT_EQ(newColumns(cols.display, 5), (std::vector<int>{0, 2, 4, 6, 8, 791, 793, 795, 797, 799}));

  Rig squares;
  // Frame 1: cell (0, 0) starts with half-size 1, the square of side 2 around (32, 32).
  squaresFrame(squares.screen, squares.display, 1);
  EXPECT_EQ(newColumns(squares.display, 31), (std::vector<int>{31, 32}));
  EXPECT_EQ(newColumns(squares.display, 33), std::vector<int>{});

  Rig split;
  std::vector<RowPiece> pieces(1200, RowPiece{0, 0, 0});
  pieces[24] = {7, 100, 5};
  splitRowsFrame(split.screen, split.display, pieces, 1);
  EXPECT_EQ(newColumns(split.display, 7), (std::vector<int>{100, 101, 102, 103, 104}));
}

TEST(DrawnFrames, StripesSlantAndMeltMovesBy16) {
  Rig rig;
  stripesFrame(rig.screen, rig.work, 1);  // stripe 0 is 2 wide, stripe 1 is 1 wide
  EXPECT_EQ(newColumns(rig.work, 0), (std::vector<int>{0, 1, 20}));
  EXPECT_EQ(newColumns(rig.work, 10), (std::vector<int>{10}));

  Rig melt;
  melt.work.at(0, 0)[0] = 195;
  meltFrame(melt.screen, melt.work, -127);  // rows -127 .. 0
  EXPECT_EQ(pixel(melt.work, 0, 0), Bytes({200, 16, 16}));
  EXPECT_EQ(pixel(melt.work, 0, 1), grey(0));
}

TEST(DrawnFrames, MosaicSoftWipeAndChecker) {
  Rig rig;
  for (int x = 0; x < 800; ++x) rig.work.at(x, 0)[0] = uint8_t(x);
  mosaicFrame(rig.work, rig.output, 3);
  EXPECT_EQ(rig.output.at(2, 2)[0], 0);
  EXPECT_EQ(rig.output.at(4, 1)[0], 3);
  EXPECT_EQ(rig.output.at(799, 0)[0], uint8_t(798));

  Rig wipe;
  copyFrame(wipe.work, wipe.output);
  softWipeFrame(wipe.screen, wipe.work, wipe.output, 0);
  EXPECT_EQ(pixel(wipe.output, 31, 0), grey(200));    // mask 0: the new picture
  EXPECT_EQ(pixel(wipe.output, 132, 0), grey(200 * 155 / 256));  // mask 100
  EXPECT_EQ(pixel(wipe.output, 400, 0), grey(0));     // not reached yet

  Rig checker;
  copyFrame(checker.work, checker.output);
  CheckerTable table;
  fillCheckerTable(table, 8, 16);
  plain::checkerPhase(checker.screen, checker.work, checker.output, table, 1);  // odd rows, odd pixels
  EXPECT_EQ(pixel(checker.output, 1, 1), grey(100));
  EXPECT_EQ(pixel(checker.output, 0, 1), grey(0));
  EXPECT_EQ(pixel(checker.output, 1, 0), grey(0));
}

TEST(DrawnFrames, DoorsPushZoomAndSlides) {
  Rig rig;
  for (int x = 0; x < 800; ++x) rig.screen.at(x, 0)[0] = uint8_t(x / 4);
  doorsFrame(rig.screen, rig.display, 32);
  EXPECT_EQ(rig.display.at(0, 0)[0], uint8_t(368 / 4));
  EXPECT_EQ(rig.display.at(31, 0)[0], uint8_t(399 / 4));
  EXPECT_EQ(rig.display.at(32, 0)[0], 0);
  EXPECT_EQ(rig.display.at(768, 0)[0], uint8_t(400 / 4));

  pushFrame(rig.screen, rig.work, rig.display, 20);
  EXPECT_EQ(rig.display.at(0, 0)[0], uint8_t(780 / 4));
  EXPECT_EQ(rig.display.at(19, 0)[0], uint8_t(799 / 4));
  EXPECT_EQ(rig.display.at(20, 0)[0], 0);

  Rig zoom;
  for (int x = 0; x < 800; ++x) zoom.work.at(x, 300)[1] = uint8_t(x / 4);
  plain::zoomFadeFrame(zoom.work, zoom.screen, zoom.output, zoom.transitions.rowWeight(), 100);
  // x = 0: source 400 + trunc(trunc(-400 * 76800 / 400) / 256) = 100.
  EXPECT_EQ(zoom.output.at(0, 300)[1], uint8_t((200 * 100 + (100 / 4) * 156) >> 8));
  EXPECT_EQ(zoom.output.at(0, 300)[0], uint8_t((200 * 100) >> 8));

  Rig slide;
  slide.work.fill(0x505050);
  std::vector<uint8_t> rows;
  plain::slideFrame(slide.work, slide.screen, slide.output, 8, true, rows);
  EXPECT_EQ(pixel(slide.output, 0, 0), grey(80 * 248 >> 8));  // the new row not there yet
  EXPECT_EQ(pixel(slide.output, 799, 0), grey(200 * 8 >> 8));  // the old row ended
  EXPECT_EQ(pixel(slide.output, 400, 0), grey((200 * 8 + 80 * 248) >> 8));
  plain::slideFrame(slide.work, slide.screen, slide.output, 8, false, rows);
  EXPECT_EQ(pixel(slide.output, 0, 0), grey(200 * 8 >> 8));
  EXPECT_EQ(pixel(slide.output, 799, 0), grey(80 * 248 >> 8));
}

TEST(DrawnFrames, PatternWipeChangesHighLevelsFirst) {
  Rig rig;
  rig.pattern.at(0, 0)[0] = 255;
  rig.pattern.at(1, 0)[0] = 100;
  Surface mask(800, 600);
  plain::patternWipeFrame(rig.pattern, rig.work, rig.screen, mask, rig.output, 200, true);
  EXPECT_EQ(rig.output.at(0, 0)[0], uint8_t(200 * 55 / 256));
  EXPECT_EQ(rig.output.at(1, 0)[0], 0);
  plain::patternWipeFrame(rig.pattern, rig.work, rig.screen, mask, rig.output, 100, false);
  EXPECT_EQ(rig.output.at(1, 0)[0], uint8_t(200 * 200 / 256));
  EXPECT_EQ(rig.output.at(2, 0)[0], uint8_t(200 * 100 / 256));
}

// ---- The fast frames give the plain frames' bytes ---------------------------------------------

Surface noise(uint32_t seed) {
  Surface s(800, 600);
  for (uint8_t& b : s.pixels) {
    seed = seed * 1103515245 + 12345;
    b = uint8_t(seed >> 16);
  }
  return s;
}

TEST(FastFrames, GiveThePlainBytes) {
  const Surface fresh = noise(1), old = noise(2), pattern = noise(3);
  RowWeight weight;
  Surface mask(800, 600);
  std::vector<uint8_t> rows;
  for (int c : {0, 1, 100, 252, 255}) {
    for (bool first : {true, false}) {
      Surface a(800, 600), b(800, 600);
      plain::patternWipeFrame(pattern, old, fresh, mask, a, c, first);
      patternWipeFrame(pattern, old, fresh, b, c, first);
      EXPECT_EQ(a.pixels, b.pixels) << c;
    }
  }
  for (int v : {8, 16, 128, 248, 255}) {
    Surface a(800, 600), b(800, 600);
    plain::zoomFadeFrame(old, fresh, a, weight, v);
    zoomFadeFrame(old, fresh, b, weight, v);
    EXPECT_EQ(a.pixels, b.pixels) << v;
    for (bool leftward : {true, false}) {
      plain::slideFrame(old, fresh, a, v, leftward, rows);
      slideFrame(old, fresh, b, v, leftward);
      EXPECT_EQ(a.pixels, b.pixels) << v << leftward;
    }
  }
  Surface meltA = old, meltB = old;
  for (int t = -124; t < 664; t += 8) {
    plain::meltFrame(fresh, meltA, t);
    meltFrame(fresh, meltB, t);
  }
  EXPECT_EQ(meltA.pixels, meltB.pixels);
  EXPECT_EQ(meltB.pixels, fresh.pixels);
  // The stripes: the display kept by the changed bands holds the work surface at every
  // shown frame.
  Surface work = old, display = old;
  for (int t = 0; t < kStripesFrames; ++t) {
    stripesFrame(fresh, work, t);
    if (t % 2 == 0) continue;
    copyStripesBand(work, display, t);
    ASSERT_EQ(display.pixels, work.pixels) << t;
  }
  EXPECT_EQ(display.pixels, fresh.pixels);
  CheckerTable table;
  fillCheckerTable(table, 5, 16);
  Surface a = old, b = old;
  display = old;
  for (int p = 0; p < 4; ++p) {
    plain::checkerPhase(fresh, old, a, table, p);
    checkerPhase(fresh, old, b, display, checkerWeights(5, 16), p);
    EXPECT_EQ(a.pixels, b.pixels) << p;
    EXPECT_EQ(display.pixels, b.pixels) << p;
  }
}

// ---- Shake -------------------------------------------------------------------------------------

// The vertical offset shown in each frame: the screen's row y carries the value y.
std::vector<int> shakeOffsets(RecordingHost& host) {
  std::vector<int> offsets;
  for (const Frame& f : host.frames) offsets.push_back(f.sample[0] == 0 ? 999 : 100 - f.sample[0]);
  return offsets;
}

TEST(Shake, VerticalOffsetsAndTimes) {
  Rig rig;
  for (int y = 0; y < 600; ++y) std::fill(rig.screen.row(y), rig.screen.row(y) + 2400, uint8_t(y % 250 + 1));
  rig.host.sampleY = 99;  // shows screen row 99 - o, value 100 - o
  rig.transitions.shake("0,20,50");
  EXPECT_EQ(shakeOffsets(rig.host),
            (std::vector<int>{-20, 18, -16, 14, -12, 10, -8, 6, -4, 2, 0}));
  EXPECT_EQ(rig.host.frames[1].ms, 50u);
  EXPECT_EQ(rig.host.now, 500u);
  EXPECT_EQ(rig.host.raised, 0);  // a shake is no blocking effect
}

TEST(Shake, ArgumentsTypesAndCut) {
  struct Case {
    const char* arguments;
    size_t frames;
    uint32_t ms;
  };
  const Case cases[] = {
      {"0", 11, 500},        {"1,6", 4, 150},   {"2,4,10", 3, 20},  {"9,4,10", 3, 20},
      {"0,0", 1, 0},         // no amplitude: only the screen in place
      // The commas are looked for within the first 50 characters only.
      {"0                                                  ,4,10", 11, 500},
  };
  for (const Case& c : cases) {
    Rig rig;
    rig.transitions.shake(c.arguments);
    EXPECT_EQ(rig.host.frames.size(), c.frames) << c.arguments;
    EXPECT_EQ(rig.host.now, c.ms) << c.arguments;
    EXPECT_EQ(rig.display.pixels, rig.screen.pixels) << c.arguments;
  }
  Rig cut;
  cut.host.cut = true;
  cut.transitions.shake("0,20,50");
  EXPECT_TRUE(cut.host.frames.empty());
}

TEST(Shake, HorizontalLeavesABlackStrip) {
  Rig rig;
  rig.host.sampleX = 5;
  rig.transitions.shake("1,20,50");
  EXPECT_EQ(rig.host.frames[0].sample, grey(200));  // moved left by 20: column 5 is column 25
  Rig right;
  right.host.sampleX = 5;
  right.transitions.shake("1,18,50");  // bit 1 of 18 is set: moved right, column 5 uncovered
  EXPECT_EQ(right.host.frames[0].sample, grey(0));
}

TEST(Scroll, AMissingPictureDoesNothing) {
  Rig rig;
  rig.transitions.scroll("NOPE,0,10,1");
  EXPECT_TRUE(rig.host.frames.empty());
  EXPECT_FALSE(rig.host.scrolling);
  EXPECT_EQ(rig.host.raised, 0);
}

}  // namespace
}  // namespace corvid
