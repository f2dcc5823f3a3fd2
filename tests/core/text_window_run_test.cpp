// The text window played headless with the real Japanese font: the grid and cursor after lines
// (also in the state file), the window strip's colours at both positions, the name plate, the
// click-wait mark's frames, the ink of the glyphs inside their cells with the shadow beside it,
// text surviving a picture change, the window fades and full-screen text mode.

#include <png.h>

#include <algorithm>

#include "data/picture_encoder.h"
#include "picture_fixture.h"
#include "title_fixture.h"

namespace corvid::testing {
namespace {

using Bytes = std::vector<uint8_t>;

// Colour rows of one colour (0x00BBGGRR) over coverage rows of one grey.
Surface stacked(int w, int h, uint32_t colour, uint8_t coverage) {
  Surface s(w, 2 * h);
  s.fill(colour);
  for (int y = h; y < 2 * h; ++y) std::fill(s.row(y), s.row(y) + s.stride(), coverage);
  return s;
}

constexpr int kOx = 40, kOy = 400, kOy2 = 20;  // the window's origins
constexpr int kTxOfsX = 10, kTxOfsY = 8, kPitchX = 16, kPitchY = 36;
constexpr int kMarkX = kOx + 680, kMarkY = kOy + 120, kMark = 16;
const uint32_t kFrameColours[4] = {0x1E140A, 0x3C3228, 0x5A5046, 0x786E64};

std::string writeTextTitle(TitleFixture& title, const std::vector<std::string>& main) {
  title.script("_config", {"TITLE:Text", "MAKER_REG:Software\\Corvid", "GAME_ID:TTEST", "FONT_NAME:ＭＳ ゴシック", "FONT_SIZE:22",
                           "TXW_OFS_X:40", "TXW_OFS_Y:400", "TXW_OFS_Y2:20", "TXW_SIZE_X:720",
                           "TXW_SIZE_Y:160", "TXW_COLOR_R:0", "TXW_COLOR_G:0", "TXW_COLOR_B:200",
                           "TXW_ALPHA:128", "TXW_ALPHA2:128", "TX_OFS_X:10", "TX_OFS_Y:8",
                           "TX_PITCH_X:16", "TX_PITCH_Y:36", "MOJI_MAX_X:40", "MOJI_MAX_Y:4",
                           "TX2_OFS_X:50", "TX2_OFS_Y:40", "TX2_PITCH_X:16", "TX2_PITCH_Y:40",
                           "MOJI_MAX2_X:44", "MOJI_MAX2_Y:12", "NP_TYPE:1", "NP_OFS_X:0",
                           "NP_OFS_Y:-40", "NP_SZ_X:160", "NP_SZ_Y:36", "CLICK_WAIT_OFS_X:680",
                           "CLICK_WAIT_OFS_Y:120", "CLICK_WAIT_SIZE_X:16", "CLICK_WAIT_SIZE_Y:16",
                           "CLICK_WAIT_PAT:4", "CLICK_WAIT_TIMING:0", "NAME:1,アリス,G00"});
  title.script("main", main);
  Surface grey(800, 600), grey2(800, 600);
  grey.fill(0x808080);
  grey2.fill(0x404040);
  Surface frames(4 * kMark, 2 * kMark);
  for (int f = 0; f < 4; ++f)
    for (int y = 0; y < 2 * kMark; ++y)
      for (int x = 0; x < kMark; ++x) {
        const uint32_t c = y < kMark ? kFrameColours[f] : 0xFFFFFF;
        uint8_t* p = frames.at(f * kMark + x, y);
        p[0] = uint8_t(c >> 16), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c);
      }
  Surface tint(720, 160);
  tint.fill(0xFFFFFF);
  title.entry("qd_gra.cvd", "ABG", entryOf(grey))
      .entry("qd_gra.cvd", "ABG2", entryOf(grey2))
      .entry("qd_gra.cvd", "sys_tw", entryOf(stacked(720, 160, 0xC80000, 128)))
      .entry("qd_gra.cvd", "sys_tw1", entryOf(tint))
      .entry("qd_gra.cvd", "sys_np", entryOf(stacked(160, 36, 0x00C800, 255)))
      .entry("qd_gra.cvd", "sys_clickw", entryOf(frames));
  return title.write();
}

Bytes pixel(const Surface& s, int x, int y) { return Bytes(s.at(x, y), s.at(x, y) + 3); }

// The strip over the grey stage: floor(128 * 127 / 256) + floor(c * 128 / 256), blue 200.
const Bytes kStrip = {63 + 100, 63, 63};
const Bytes kGrey = {128, 128, 128};

struct Cell {
  int row, column;
};

// Every pixel of the window that is not the strip's own colour lies in one of the cells.
std::vector<std::pair<int, int>> inkOutsideCells(const Surface& d, int oy, const std::vector<Cell>& cells) {
  std::vector<std::pair<int, int>> outside;
  for (int y = oy; y < oy + 160; ++y)
    for (int x = kOx; x < kOx + 720; ++x) {
      if (pixel(d, x, y) == kStrip) continue;
      if (x >= kMarkX && x < kMarkX + kMark && y >= kMarkY && y < kMarkY + kMark) continue;
      const bool inCell = std::any_of(cells.begin(), cells.end(), [&](const Cell& c) {
        const int cx = kOx + kTxOfsX + c.column * kPitchX, cy = oy + kTxOfsY + c.row * kPitchY;
        return x >= cx && x < cx + 33 && y >= cy && y < cy + 36;
      });
      if (!inCell) outside.push_back({x, y});
    }
  return outside;
}

TEST(TextWindowRun, GridAndCursorFollowTheLayoutRules) {
  TitleFixture title;
  HeadlessRun run(writeTextTitle(title, {"*gra ABG,1", "!S026=0", "あ[2]いう[1]え", "「お」", "か\\"}), "");
  run.runUntil(2000);
  const TextWindow& w = run.engine.textWindow();
  EXPECT_TRUE(w.windowShown());
  EXPECT_EQ(w.rowText(1), utf8ToSjis("あいうえ"));
  // Wide spacing: い at 2, う at 5, え (after "[1]") at 8.
  for (int c : {2, 4, 7, 10}) EXPECT_NE(w.grid().characters[1][size_t(c)], 0) << c;
  EXPECT_EQ(w.grid().characters[2][0], '\x81');  // 「 opens its row at column 0
  EXPECT_EQ(w.rowText(3), utf8ToSjis("か"));
  EXPECT_NE(w.grid().characters[3][2], 0);       // any other first character is indented
  EXPECT_EQ(w.cursor().row, 3);
  EXPECT_EQ(w.cursor().column, 4);
  EXPECT_EQ(w.cursor().charactersShown, 8);
  const std::string state = run.engine.stateJson();
  EXPECT_NE(state.find("\"windowShown\":true"), std::string::npos);
  EXPECT_NE(state.find("[[0,\"「\",0],[2,\"お\",0],[4,\"」\",0]]"), std::string::npos) << state;
  EXPECT_NE(state.find("\"textCursor\":{\"row\":3,\"column\":4,\"wideSpacing\":false,"
                       "\"colourCode\":0,\"charactersShown\":8}"),
            std::string::npos);
}

TEST(TextWindowRun, TheStripLiesAtTheOriginOfEitherPosition) {
  for (const int s79 : {0, 1}) {
    TitleFixture title;
    HeadlessRun run(writeTextTitle(title, {"*gra ABG,1", "!S079=" + std::to_string(s79), "あ\\"}), "");
    run.runUntil(1500);
    const Surface& d = run.platform.display();
    const int oy = s79 ? kOy2 : kOy;
    EXPECT_EQ(pixel(d, kOx, oy), kStrip) << s79;
    EXPECT_EQ(pixel(d, kOx + 719, oy + 159), kStrip) << s79;
    EXPECT_EQ(pixel(d, kOx - 1, oy), kGrey) << s79;
    EXPECT_EQ(pixel(d, kOx, oy + 160), kGrey) << s79;
    EXPECT_EQ(pixel(d, kOx + 300, s79 ? kOy : kOy2), kGrey) << s79;
  }
}

// The player's colour (255, 0, 0) and opacity 64 replace the picture's through "sys_tw1":
// colour rows floor(255 * 255 / 256) red, coverage floor(64 * 255 / 256) = 63, so the strip is
// floor(128 * 192 / 256) + floor(c * 63 / 256).
TEST(TextWindowRun, ThePlayersColourAndOpacityTintTheWindow) {
  TitleFixture title;
  const std::string dir = writeTextTitle(title, {"*gra ABG,1", "あ\\"});
  TempDir settingsDir;
  std::ofstream(settingsDir.path() + "/settings.ini")
      << "[Software\\Corvid\\TTEST]\nTXBG_R=255\nTXBG_G=0\nTXBG_B=0\nTXBG_A=64\n";
  HeadlessPlatform platform(HeadlessOptions{{}, 1500, {1024, 768}});
  Engine engine(platform, testOptions(dir, settingsDir));
  platform.setClient(&engine);
  engine.formCreate();
  runMessageLoop(platform, engine);
  EXPECT_EQ(pixel(platform.display(), kOx, kOy), (Bytes{96, 96, 96 + 62}));
  platform.setClient(nullptr);
}

// Changed in play (the settings screen): the next page shows the new colour.
TEST(TextWindowRun, ChangedWindowSettingsShowOnTheNextPage) {
  TitleFixture title;
  HeadlessRun run(writeTextTitle(title, {"*gra ABG,1", "あ\\", "い\\"}), "");
  run.runUntil(1000);
  EXPECT_EQ(pixel(run.platform.display(), kOx, kOy), kStrip);
  for (auto [setting, value] : {std::pair{IntSetting::TxbgR, 255}, {IntSetting::TxbgB, 0},
                                {IntSetting::TxbgA, 64}, {IntSetting::FontSize, 18}})
    run.engine.writePlayerSetting(setting, value);
  run.engine.textSettingsChanged();
  run.engine.interpreter().endClickWait();
  run.runUntil(2000);
  EXPECT_EQ(pixel(run.platform.display(), kOx, kOy), (Bytes{96, 96, 96 + 62}));
  EXPECT_EQ(run.engine.textWindow().rowText(1), utf8ToSjis("い"));
}

TEST(TextWindowRun, NamePlateShowsTheSpeakerInTheirColour) {
  TitleFixture title;
  HeadlessRun run(writeTextTitle(title, {"*gra ABG,1", ">アリス", "あ\\"}), "");
  run.runUntil(1500);
  const Surface& d = run.platform.display();
  EXPECT_EQ(run.engine.vars().S[37], 0x0000FF);  // G00: red
  EXPECT_EQ(run.engine.textWindow().rowText(0), utf8ToSjis("アリス"));
  // The plate at (40, 360): its green through full coverage, floor(200 * 255 / 256).
  EXPECT_EQ(pixel(d, kOx, kOy - 40), (Bytes{0, 199, 0}));
  EXPECT_EQ(pixel(d, kOx + 159, kOy - 40 + 35), (Bytes{0, 199, 0}));
  EXPECT_EQ(pixel(d, kOx + 160, kOy - 40), kGrey);
  // Its name from x = 32 + 16 in red; the message text in the speaker's colour too.
  int red = 0;
  for (int y = kOy - 40; y < kOy - 4; ++y)
    for (int x = kOx + 48; x < kOx + 160; ++x) red += pixel(d, x, y) == Bytes{0, 0, 254};
  EXPECT_GT(red, 20);
  EXPECT_TRUE(inkOutsideCells(d, kOy, {{1, 2}}).empty());
}

TEST(TextWindowRun, ClickWaitMarkCyclesThroughItsFrames) {
  TitleFixture title;
  HeadlessRun run(writeTextTitle(title, {"*gra ABG,1", "あ\\"}), "");
  run.runUntil(1000);
  const TextWindow& w = run.engine.textWindow();
  std::vector<int> framesSeen;
  for (int tick = 0; tick < 6; ++tick) {
    const int32_t counter = w.clickWaitCounter();
    run.runUntil(run.platform.millis() + 55);
    ASSERT_GT(w.clickWaitCounter(), counter);
    // The frame of the counter, through full coverage: floor(c * 255 / 256) per byte.
    const int f = w.clickWaitCounter() % 4;
    const uint32_t c = kFrameColours[f];
    const Bytes expected = {uint8_t((c >> 16 & 0xFF) * 255 / 256),
                            uint8_t((c >> 8 & 0xFF) * 255 / 256), uint8_t((c & 0xFF) * 255 / 256)};
    EXPECT_EQ(pixel(run.platform.display(), kMarkX + 3, kMarkY + 3), expected) << tick;
    EXPECT_EQ(pixel(run.platform.display(), kMarkX + kMark, kMarkY + 3), kStrip) << tick;
    framesSeen.push_back(f);
  }
  std::sort(framesSeen.begin(), framesSeen.end());
  framesSeen.erase(std::unique(framesSeen.begin(), framesSeen.end()), framesSeen.end());
  EXPECT_GE(framesSeen.size(), 3u);
  EXPECT_TRUE(w.clickWaitShown());
  // A click puts the strip back under the mark.
  run.engine.textWindow().eraseClickWait();
  EXPECT_EQ(pixel(run.platform.display(), kMarkX + 3, kMarkY + 3), kStrip);
}

TEST(TextWindowRun, InkLiesInTheCellsInThePaletteColourWithTheShadowBelowRight) {
  TitleFixture title;
  HeadlessRun run(writeTextTitle(title, {"*gra ABG,1", "あ[col 2]い[col 0]う\\"}), "");
  run.runUntil(1500);
  const Surface& d = run.platform.display();
  EXPECT_TRUE(inkOutsideCells(d, kOy, {{1, 2}, {1, 4}, {1, 6}}).empty());
  // Per cell: the colour of the fully covered pixels, and the shadow's side.
  const std::pair<int, Bytes> cases[] = {{2, {254, 254, 254}}, {4, {0, 0, 254}}, {6, {254, 254, 254}}};
  for (const auto& [column, full] : cases) {
    const int cx = kOx + kTxOfsX + column * kPitchX, cy = kOy + kTxOfsY + kPitchY;
    int opaque = 0, wrong = 0;
    double inkX = 0, inkY = 0, shadeX = 0, shadeY = 0;
    int ink = 0, shade = 0;
    for (int y = cy; y < cy + 36; ++y)
      for (int x = cx; x < cx + 33; ++x) {
        const Bytes p = pixel(d, x, y);
        if (p == full) ++opaque;
        const bool brighter = p[2] > kStrip[2];
        const bool darker = p[0] < kStrip[0] && p[1] < kStrip[1] && p[2] < kStrip[2];
        if (brighter) ++ink, inkX += x, inkY += y;
        if (darker) ++shade, shadeX += x, shadeY += y;
        // Red text never lifts blue or green above the strip.
        if (column == 4 && (p[0] > kStrip[0] || p[1] > kStrip[1])) ++wrong;
      }
    EXPECT_GT(opaque, 10) << column;
    EXPECT_EQ(wrong, 0) << column;
    ASSERT_GT(ink, 0);
    ASSERT_GT(shade, 0);
    EXPECT_GT(shadeX / shade, inkX / ink) << column;
    EXPECT_GT(shadeY / shade, inkY / ink) << column;
  }
}

// The page is drawn again over the new stage with its colours; text after it keeps the colour
// code in force.
TEST(TextWindowRun, TextSurvivesAPictureChange) {
  TitleFixture title;
  HeadlessRun run(writeTextTitle(title, {"*gra ABG,1", "あ[col 2]い", "*gra ABG2,1", "う\\"}), "");
  run.runUntil(1500);
  const Surface& d = run.platform.display();
  // The strip over the darker stage: floor(64 * 127 / 256) + floor(c * 128 / 256).
  const Bytes strip2 = {31 + 100, 31, 31};
  EXPECT_EQ(pixel(d, kOx, kOy), strip2);
  const auto opaqueIn = [&](int row, int column, const Bytes& colour) {
    int n = 0;
    const int cx = kOx + kTxOfsX + column * kPitchX, cy = kOy + kTxOfsY + row * kPitchY;
    for (int y = cy; y < cy + 36; ++y)
      for (int x = cx; x < cx + 33; ++x) n += pixel(d, x, y) == colour;
    return n;
  };
  const Bytes white = {254, 254, 254}, red = {0, 0, 254};
  EXPECT_GT(opaqueIn(1, 2, white), 10);
  EXPECT_EQ(opaqueIn(1, 2, red), 0);
  EXPECT_GT(opaqueIn(1, 4, red), 10);
  EXPECT_GT(opaqueIn(2, 2, red), 10);
}

// The fades run 32 frames of 10 ms inside the command; shots taken meanwhile show their frames.
TEST(TextWindowRun, WindowFadesInAndOut) {
  TitleFixture title;
  TempDir out;
  std::string events;
  const std::vector<int> times = {60, 100, 140, 180, 220, 260, 1200, 1300, 1400, 1500, 1600, 1700};
  for (int t : times) events += std::to_string(t) + " shot " + out.path() + "/" + std::to_string(t) + ".png\n";
  HeadlessRun run(writeTextTitle(title, {"*gra ABG,4", "*win_open", "%20", "*win_close", "%100"}),
                  events);
  run.runUntil(400);
  EXPECT_TRUE(run.engine.textWindow().windowShown());
  EXPECT_EQ(pixel(run.platform.display(), kOx + 5, kOy + 5), kStrip);
  run.runUntil(3000);
  EXPECT_FALSE(run.engine.textWindow().windowShown());
  EXPECT_EQ(pixel(run.platform.display(), kOx + 5, kOy + 5), kGrey);
  int fadingIn = 0, fadingOut = 0;
  for (int t : times) {
    const Bytes p = pngPixel(out.path() + "/" + std::to_string(t) + ".png", kOx + 5, kOy + 5);
    ASSERT_EQ(p.size(), 3u) << t;
    const bool between = p[0] > kGrey[0] && p[0] < kStrip[0] && p[1] < kGrey[1];
    (t < 1000 ? fadingIn : fadingOut) += between;
  }
  EXPECT_GE(fadingIn, 2);
  EXPECT_GE(fadingOut, 2);
}

TEST(TextWindowRun, FullScreenTextModeDarkensTheStageAndUsesItsOwnLayout) {
  TitleFixture title;
  HeadlessRun run(writeTextTitle(title, {"*gra ABG,4", "*mode 1", ">アリス", "あい\\"}), "");
  run.runUntil(2000);
  const TextWindow& w = run.engine.textWindow();
  EXPECT_EQ(run.engine.vars().S[160], 1);
  EXPECT_TRUE(w.windowShown());
  EXPECT_EQ(w.rowText(0), utf8ToSjis("アリス"));  // the name is a text row of its own
  EXPECT_EQ(w.rowText(1), utf8ToSjis("あい"));
  EXPECT_NE(w.grid().characters[1][0], 0);  // no indent in full-screen text mode
  // The stage darkened by TXBG_A2 128: floor(128 * 127 / 256).
  EXPECT_EQ(pixel(run.platform.display(), 5, 5), (Bytes{63, 63, 63}));
  EXPECT_EQ(pixel(run.platform.display(), kOx, kOy + 150), (Bytes{63, 63, 63}));
}

}  // namespace
}  // namespace corvid::testing
