// Transitions in small titles played headless: shots during and after a transition, the engine
// flags in the state file while one runs, clicks that cut them short (what is shown and S19
// afterwards), fadeout and fadein, and the scroll of a tall picture.

#include <png.h>

#include <cstring>

#include "data/picture_encoder.h"
#include "picture_fixture.h"
#include "title_fixture.h"

namespace corvid::testing {
namespace {

using Bytes = std::vector<uint8_t>;

Surface solid(uint32_t colour, int w = 800, int h = 600) {
  Surface s(w, h);
  s.fill(colour);
  return s;
}

// A 800x1200 picture whose row y has the blue value y / 5.
Surface tall() {
  Surface s(800, 1200);
  for (int y = 0; y < 1200; ++y)
    for (int x = 0; x < 800; ++x) s.at(x, y)[0] = uint8_t(y / 5);
  return s;
}

const Bytes kOld = {10, 20, 30}, kNew = {100, 150, 200};

std::string writeTitle(TitleFixture& title, const std::vector<std::string>& main) {
  title.entry("qd_gra.cvd", "AOLD", entryOf(solid(0x0A141E)))
      .entry("qd_gra.cvd", "ANEW", entryOf(solid(0x6496C8)))
      .entry("qd_gra.cvd", "ATALL", entryOf(tall()))
      .script("_config", {"TITLE:Transitions", "GAME_ID:TRTEST"})
      .script("main", main);
  return title.write();
}

struct Png {
  int width = 0, height = 0;
  Bytes pixels;  // BGR
  Bytes at(int x, int y) const {
    const size_t i = (size_t(y) * size_t(width) + size_t(x)) * 3;
    return Bytes(pixels.begin() + long(i), pixels.begin() + long(i) + 3);
  }
};

Png readPng(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  Png png;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return png;
  image.format = PNG_FORMAT_BGR;
  png.pixels.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, png.pixels.data(), 0, nullptr)) return {};
  png.width = int(image.width);
  png.height = int(image.height);
  return png;
}

// The columns of a shot's row that show the new picture.
std::vector<int> newColumns(const Png& png, int y) {
  std::vector<int> columns;
  for (int x = 0; x < png.width; ++x)
    if (png.at(x, y) == kNew) columns.push_back(x);
  return columns;
}

bool allNew(const Png& png) {
  if (png.width != 800) return false;
  for (int y = 0; y < 600; y += 3)
    for (int x = 0; x < 800; x += 7)
      if (png.at(x, y) != kNew) return false;
  return true;
}

struct TitleRun {
  TempDir out;
  std::string path(const std::string& name) const { return out.path() + "/" + name; }
  // Plays the title with the events ("SHOT name" and "STATE name" stand for files of this run).
  void play(const std::string& dir, std::string events, uint32_t runMs) {
    for (const char* word : {"shot ", "state "}) {
      for (size_t at = events.find(word); at != std::string::npos; at = events.find(word, at + 1))
        events.insert(at + std::strlen(word), out.path() + "/");
    }
    HeadlessRun run(dir, events, runMs);
    run.run();
    EXPECT_TRUE(run.platform.errors().empty());
  }
  std::string state(const std::string& name) const { return readText(path(name)); }
};

bool has(const std::string& json, const std::string& text) {
  return json.find(text) != std::string::npos;
}

// The S variable i of a state file.
int32_t sVar(const std::string& json, int i) {
  size_t at = json.find("\"S\":[");
  if (at == std::string::npos) return INT32_MIN;
  at += 5;
  for (int k = 0; k < i; ++k) at = json.find(',', at) + 1;
  return int32_t(std::stol(json.substr(at)));
}

// The script's first step runs at 20 ms: "gra Anew,6" starts its blinds there, one frame every
// 20 ms (S16 = 0), each strip growing by a pixel a frame.
TEST(TransitionRun, BlindsFramesDuringAndTheNewScreenAfter) {
  TitleFixture title;
  const std::string dir = writeTitle(title, {"*gra Aold,4", "*gra Anew,6", "%100"});
  TitleRun run;
  run.play(dir,
           "45 shot during.png\n"
           "45 state during.json\n"
           "2000 shot after.png\n"
           "2000 state after.json\n",
           2100);
  const Png during = readPng(run.path("during.png"));
  EXPECT_EQ(newColumns(during, 0), (std::vector<int>{0, 1, 16}));  // frames 0 and 1 shown
  EXPECT_EQ(during.at(2, 300), kOld);
  const std::string state = run.state("during.json");
  EXPECT_TRUE(has(state, "\"effectRunning\":true")) << state;
  EXPECT_FALSE(has(state, "\"busyCount\":0,")) << state;
  EXPECT_TRUE(allNew(readPng(run.path("after.png"))));
  const std::string after = run.state("after.json");
  EXPECT_TRUE(has(after, "\"busyCount\":0,"));
  EXPECT_TRUE(has(after, "\"effectRunning\":false"));
  EXPECT_TRUE(has(after, "\"effectRequest\":0"));
  EXPECT_EQ(sVar(after, 19), 0);
}

TEST(TransitionRun, AClickCutsTheBlindsShortAndSetsS19) {
  TitleFixture title;
  const std::string dir = writeTitle(title, {"*gra Aold,4", "*gra Anew,6", "%100"});
  TitleRun run;
  run.play(dir, "100 click 10 10\n101 shot cut.png\n300 state after.json\n", 400);
  EXPECT_TRUE(allNew(readPng(run.path("cut.png"))));
  const std::string after = run.state("after.json");
  EXPECT_EQ(sVar(after, 19), 1);
  EXPECT_TRUE(has(after, "\"effectRequest\":0"));  // the picture command took the request
}

// A cross-fade (transition 2: weight +8 every 15 ms) shows blended frames; a click ends it with
// the new screen and leaves S19 at 0.
TEST(TransitionRun, CrossFadeFramesAndAClick) {
  TitleFixture title;
  const std::string dir = writeTitle(title, {"*gra Aold,4", "!S019=7", "*gra Anew,2", "%100"});
  TitleRun run;
  run.play(dir, "55 shot fading.png\n", 600);
  const Bytes fading = readPng(run.path("fading.png")).at(5, 5);
  ASSERT_EQ(fading.size(), 3u);
  // Frame k, drawn at 20 + 15k, has weight 8k on the new picture: at 55 ms frame 2 shows.
  EXPECT_EQ(fading, (Bytes{uint8_t((100 * 16 + 10 * 240) >> 8), uint8_t((150 * 16 + 20 * 240) >> 8),
                           uint8_t((200 * 16 + 30 * 240) >> 8)}));

  TitleRun clicked;
  clicked.play(dir, "80 click 5 5\n96 shot cut.png\n300 state after.json\n", 400);
  EXPECT_TRUE(allNew(readPng(clicked.path("cut.png"))));
  EXPECT_EQ(sVar(clicked.state("after.json"), 19), 0);
}

// fadeout 16: S16 = 16, a black background cross-faded in 257 frames of 20 ms; fadein 8 then
// shows the scene loaded meanwhile with step 4 every 8 ms. S16 is 0 after each.
TEST(TransitionRun, FadeOutAndFadeIn) {
  TitleFixture title;
  const std::string dir =
      writeTitle(title, {"*gra Anew,4", "*fadeout 16", "*gra Anew,0", "*fadein 8", "%1000"});
  TitleRun run;
  run.play(dir,
           "2590 shot half.png\n"
           "5165 shot black.png\n"
           "5165 state black.json\n"
           "7000 shot back.png\n",
           7100);
  // Frame k of the fade-out, drawn at 20 + 20k, has weight k on black: at 2590 ms, k = 128.
  EXPECT_EQ(readPng(run.path("half.png")).at(1, 1), (Bytes{50, 75, 100}));
  EXPECT_EQ(readPng(run.path("black.png")).at(400, 300), (Bytes{0, 0, 0}));
  EXPECT_EQ(sVar(run.state("black.json"), 16), 8);  // fadein has set its speed
  EXPECT_TRUE(allNew(readPng(run.path("back.png"))));
}

// "scroll Atall,0,10,4": the bottom window shown at once, then one row up every 10 ms until
// the top window; the play mode is Scrolling meanwhile.
TEST(TransitionRun, ScrollFromTheBottomUp) {
  TitleFixture title;
  const std::string dir = writeTitle(title, {"*gra Aold,4", "*scroll Atall,0,10,4", "%100"});
  TitleRun run;
  run.play(dir,
           "25 shot start.png\n"
           "1025 shot middle.png\n"
           "1025 state middle.json\n"
           "7000 shot end.png\n"
           "7000 state end.json\n",
           7100);
  EXPECT_EQ(readPng(run.path("start.png")).at(0, 0)[0], 600 / 5);
  // At 1025 ms the window has moved 100 rows: its top is row 500.
  EXPECT_EQ(readPng(run.path("middle.png")).at(0, 0)[0], 500 / 5);
  EXPECT_TRUE(has(run.state("middle.json"), "\"playMode\":7"));
  EXPECT_EQ(readPng(run.path("end.png")).at(0, 599)[0], 599 / 5);
  EXPECT_EQ(readPng(run.path("end.png")).at(0, 0)[0], 0);
  EXPECT_TRUE(has(run.state("end.json"), "\"playMode\":0"));
  EXPECT_TRUE(has(run.state("end.json"), "\"busyCount\":0,"));
}

// A direction outside 0 to 3 shows the top-left window and does not move; a missing picture
// does nothing at all.
TEST(TransitionRun, ScrollWithoutDistanceOrPicture) {
  TitleFixture title;
  const std::string dir =
      writeTitle(title, {"*gra Aold,4", "*scroll Anone,0,10,4", "!S019=3", "*scroll Atall,9,10,4"});
  TitleRun run;
  run.play(dir, "60 shot odd.png\n60 state odd.json\n", 100);
  const Png odd = readPng(run.path("odd.png"));
  EXPECT_EQ(odd.at(0, 599)[0], 599 / 5);
  EXPECT_EQ(odd.at(0, 0)[0], 0);
  const std::string state = run.state("odd.json");
  EXPECT_TRUE(has(state, "\"playMode\":0"));
  EXPECT_EQ(sVar(state, 19), 0);  // the missing picture ran no transition; the odd one did
}

// Closing the window during a transition is only recorded; the quit question follows the
// command, and OK (the headless answer) closes the window.
TEST(TransitionRun, ACloseDuringATransitionIsAskedAfterIt) {
  TitleFixture title;
  const std::string dir = writeTitle(title, {"*gra Aold,4", "*gra Anew,6", "%5000"});
  HeadlessRun run(dir, "100 quit\n", 5000);
  run.run();
  EXPECT_EQ(run.platform.messageBoxes().size(), 1u);
  EXPECT_LT(run.platform.millis(), 1000u);
}

}  // namespace
}  // namespace corvid::testing
