// The scene on pictures packed into a temporary title: the picture commands' layer rules, the
// sprite slots and cache, and the pixels the stage and screen composition give.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "data/archive.h"
#include "data/archive_writer.h"
#include "data/picture_encoder.h"
#include "gfx/picture_arguments.h"
#include "gfx/scene.h"

namespace corvid {
namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

Bytes bgr(uint8_t b, uint8_t g, uint8_t r) { return {b, g, r}; }

Surface solid(int w, int h, const Bytes& c) {
  Surface s(w, h);
  s.fill(uint32_t(c[2]) | uint32_t(c[1]) << 8 | uint32_t(c[0]) << 16);
  return s;
}

// A side-by-side picture: the colour in the left half, an opaque mask in the right.
Surface sideBySide(int w, int h, const Bytes& c) {
  Surface s(2 * w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < 2 * w; ++x) {
      uint8_t* p = s.at(x, y);
      for (int i = 0; i < 3; ++i) p[i] = x < w ? c[size_t(i)] : 255;
    }
  return s;
}

Bytes entryOf(const Surface& s) {
  Bytes e;
  EXPECT_TRUE(encodePicture(s, e, nullptr, {PictureStages::RunLength}));
  return e;
}

Bytes pixel(const Surface& s, int x, int y) { return Bytes(s.at(x, y), s.at(x, y) + 3); }

// Through an opaque mask (255) a byte c over any background becomes floor(c * 255 / 256).
uint8_t opaque(uint8_t c) { return uint8_t(c * 255 / 256); }
Bytes opaque(const Bytes& c) { return {opaque(c[0]), opaque(c[1]), opaque(c[2])}; }

const Bytes kBg1 = bgr(10, 20, 30), kBg2 = bgr(40, 50, 60);
// Standing pictures "BA".."BF": 16x8, one colour each, masks "MA".."MF" opaque.
const std::vector<std::pair<std::string, Bytes>> kSprites = {
    {"A", bgr(200, 0, 0)}, {"B", bgr(0, 200, 0)},   {"C", bgr(0, 0, 200)},
    {"D", bgr(100, 100, 0)}, {"E", bgr(0, 100, 100)}, {"F", bgr(100, 0, 100)}};
Bytes spriteColour(char letter) {
  for (const auto& [name, c] : kSprites)
    if (name[0] == letter) return opaque(c);
  return {};
}

// The test title's pictures, encoded once for all the tests.
const std::vector<ArchiveSource>& testPictures() {
  static const std::vector<ArchiveSource> pictures = [] {
    std::vector<ArchiveSource> p = {
        {"ABG1", entryOf(solid(800, 600, kBg1))},
        {"ABG2", entryOf(solid(800, 600, kBg2))},
        {"ASMALL", entryOf(solid(4, 2, bgr(1, 2, 3)))},
        {"BT", entryOf(sideBySide(16, 8, bgr(0, 0, 120)))},  // for "TACHI_TYPE" 1
        {"BWIDE", entryOf(solid(24, 8, bgr(9, 9, 9)))},       // its mask is 16 wide
        {"MWIDE", entryOf(solid(16, 8, bgr(255, 255, 255)))},
        {"OVL", entryOf(sideBySide(16, 8, bgr(100, 100, 100)))},
        {"OV8", entryOf(solid(8, 8, bgr(100, 100, 100)))},
        {"DPIC", entryOf(solid(3, 2, bgr(77, 66, 55)))},
    };
    // "PKEY": the key colour (red 0, green 255, blue 255), then (1, 2, 3).
    Surface key(2, 1);
    key.pixels = {255, 255, 0, 1, 2, 3};
    p.push_back({"PKEY", entryOf(key)});
    for (const auto& [letter, colour] : kSprites) {
      p.push_back({"B" + letter, entryOf(solid(16, 8, colour))});
      p.push_back({"M" + letter, entryOf(solid(16, 8, bgr(255, 255, 255)))});
    }
    return p;
  }();
  return pictures;
}

class FakeHost final : public SceneHost {
 public:
  bool historyOpen() const override { return history; }
  int32_t skipLevel() const override { return skip; }
  void raiseBusy() override { ++busy; }
  void lowerBusy() override { --busy; }
  void countSpriteChange() override { ++spriteChanges; }
  void backgroundLoaded(std::string_view name) override { backgrounds.emplace_back(name); }
  bool textWindowShown() const override { return textShown; }
  void forgetTextWindowShown() override { textShown = false; }
  void composeTextWindow(Surface&) override { ++textComposed; }
  void redrawTextWindow(Surface&) override { ++textRedrawn; }
  void present(const Surface&) override {
    ++presents;
    busyAtPresent.push_back(busy);
  }
  void presentRect(const Surface&, int, int, int, int) override { ++presents; }
  uint32_t millis() override { return now; }
  void sleep(uint32_t ms) override { now += ms; }
  bool pumpMessages() override {
    ++pumps;
    return true;
  }
  void setScriptRunning(bool running) override { scriptRunning.push_back(running); }
  int32_t evaluate(std::string_view e) override { return leadingNumber(e); }
  void pictureProblem(const std::string& what) override { problems.push_back(what); }

  bool history = false, textShown = false;
  int32_t skip = 0;
  int busy = 0, spriteChanges = 0, textComposed = 0, textRedrawn = 0, presents = 0, pumps = 0;
  uint32_t now = 0;
  std::vector<int> busyAtPresent;
  std::vector<std::string> backgrounds, problems;
  std::vector<bool> scriptRunning;
};

class SceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = fs::temp_directory_path() / "corvid-scene-XXXXXX";
    dir_ = ::mkdtemp(pattern.data());
    std::string error;
    ASSERT_TRUE(
        writeArchiveFile(dir_ + "/qd_gra.cvd", ArchiveLayout::Media, testPictures(), error))
        << error;
    archives_.openMediaArchives(dir_, {}, "NULL", false);
    sprites_.allocate();
    resetSpriteLayout(S_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  Bytes shown(int x, int y) const { return pixel(display_, x, y); }

  std::string dir_;
  Archives archives_;
  PictureLoader loader_{archives_};
  Surface background_{800, 600}, stage_{800, 600}, screen_{800, 600}, work_{800, 600},
      output_{800, 600}, display_{800, 600}, overlay_, parts_, scratchColour_, scratchMask_;
  SpriteCache sprites_;
  SystemVariables S_{};
  GameConfig config_;
  FakeHost host_;
  Scene scene_{SceneSurfaces{background_, stage_, screen_, work_, output_, display_, overlay_,
                             parts_, scratchColour_, scratchMask_, sprites_},
               S_, config_, loader_, host_};
};

TEST_F(SceneTest, SpriteLinesFillTheSlots) {
  struct Step {
    const char* line;
    std::vector<std::string> names;
    int count;
    std::string spriteLine;
    int result;
  };
  const Step steps[] = {
      {"Ba,Bb,Bc,5", {"BA", "BB", "BC", "5", ""}, 3, "BA,BB,BC", 5},
      {"-,Bx", {"BA", "BX", "", "", ""}, 2, "BA,BX", 1},  // only slot 1 replaced
      {"Ba,", {"BA", "", "", "", ""}, 2, "BA,", 1},       // two-sprite layout, one drawn
      {"Ba:Bb", {"BA", "BB", "", "", ""}, 2, "BA,BB", 1},
      {"", {"", "", "", "", ""}, 0, "", 0},
      {",5", {"", "5", "", "", ""}, 0, "", 5},  // one slot left, and it is empty
      {"a,b,c,d,e,f,", {"A", "B", "C", "D", "E"}, 5, "A,B,C,D,E", 1},  // five slots at most
      {"-,-,-,-,-", {"A", "B", "C", "D", "E"}, 5, "A,B,C,D,E", 1},
      {"Bc,9", {"BC", "9", "", "", ""}, 1, "BC", 9},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.line);
    EXPECT_EQ(scene_.setSprites(s.line), s.result);
    const auto& names = scene_.slots().names;
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.end()), s.names);
    EXPECT_EQ(scene_.slots().count, s.count);
    EXPECT_EQ(scene_.state().spriteLine, s.spriteLine);
  }
}

TEST_F(SceneTest, TheCacheKeepsFivePicturesRoundRobin) {
  for (const char* line : {"BA", "BB", "BC", "BD", "BE"}) scene_.spr(line);
  EXPECT_EQ(sprites_.find("BA"), 0);
  EXPECT_EQ(sprites_.next, 0);
  scene_.spr("BA,BB,BC,BD");  // all held: nothing is loaded again
  EXPECT_EQ(sprites_.next, 0);
  scene_.spr("BF");  // the sixth evicts the first
  EXPECT_EQ(sprites_.find("BF"), 0);
  EXPECT_EQ(sprites_.find("BA"), -1);
  EXPECT_EQ(sprites_.find("BB"), 1);
  EXPECT_EQ(shown(400, 0), spriteColour('F'));
}

TEST_F(SceneTest, GraShowsBackgroundsAndTheirTransitions) {
  struct Case {
    const char* command;
    bool show;
    int transition;
    Bytes at0;  // the display's pixel (0, 0) afterwards
  };
  // Each case starts from a black display.
  const Case cases[] = {
      {"Abg1", true, -1, kBg1},
      {"Abg2,5", true, 5, kBg2},
      {"abg1 12", true, 12, kBg1},
      {"Abg1,0", false, 0, bgr(0, 0, 0)},         // loaded, not shown
      {"S0G0", true, -1, bgr(0, 255, 0)},
      {"sFF0,2", true, 2, bgr(0, 240, 240)},
      {"Anothing", true, -1, bgr(0, 0, 0)},      // the layer stays as it was
      {"Xbg1", false, 0, bgr(0, 0, 0)},          // no such role: nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    background_.fill(0);
    display_.fill(0);
    const int before = scene_.transitionsRun();
    scene_.gra(c.command);
    EXPECT_EQ(scene_.transitionsRun() - before, c.show ? 1 : 0);
    if (c.show) {
      EXPECT_EQ(scene_.lastTransition(), c.transition);
    }
    EXPECT_EQ(shown(0, 0), c.at0);
    EXPECT_EQ(shown(799, 599), c.at0);
  }
  EXPECT_EQ(scene_.state().backgroundName, "Anothing");  // "Xbg1" changed nothing
  EXPECT_EQ(host_.busy, 0);
  EXPECT_EQ(host_.busyAtPresent, std::vector<int>(size_t(host_.presents), 1));
  // A background smaller than the stage lies at its top left, black around it.
  scene_.gra("Asmall");
  EXPECT_EQ(shown(3, 1), bgr(1, 2, 3));
  EXPECT_EQ(shown(4, 0), bgr(0, 0, 0));
}

TEST_F(SceneTest, SpritesStandWhereTheirLayoutPutsThem) {
  scene_.gra("Abg1,0");
  for (int n = 1; n <= 4; ++n) {
    SCOPED_TRACE(n);
    const int base = spriteLayoutBase(n);
    std::string line;
    for (int k = 0; k < n; ++k) {
      line += std::string(k ? "," : "") + "B" + char('A' + k);
      S_[size_t(base + k)] = 100 + 180 * k;
      S_[size_t(base + 10 + k)] = 50 + 100 * k;
    }
    scene_.spr(line);
    for (int k = 0; k < n; ++k) {
      const int x = 100 + 180 * k, y = 50 + 100 * k;
      // 16x8, centred on x: columns x-8 .. x+7, rows y .. y+7.
      EXPECT_EQ(shown(x - 8, y), spriteColour(char('A' + k)));
      EXPECT_EQ(shown(x + 7, y + 7), spriteColour(char('A' + k)));
      EXPECT_EQ(shown(x - 9, y), kBg1);
      EXPECT_EQ(shown(x + 8, y), kBg1);
      EXPECT_EQ(shown(x, y + 8), kBg1);
    }
  }
}

TEST_F(SceneTest, DrawingOrderDecidesWhichSpriteIsInFront) {
  scene_.gra("Abg1,0");
  struct Case {
    const char* line;
    int s24;
    char front;
  };
  for (const Case& c : {Case{"BA,BB", 0, 'B'}, Case{"BA,BB", 1, 'A'}, Case{"BA,BB,BC", 0, 'B'},
                        Case{"BA,BB,BC,BD", 0, 'C'}, Case{"BA,BB,BC,BD", 1, 'B'}}) {
    SCOPED_TRACE(::testing::Message() << c.line << " S24=" << c.s24);
    for (int i = 80; i < 90; ++i) S_[size_t(i)] = 300;  // every sprite on one spot
    S_[24] = c.s24;
    scene_.spr(c.line);
    EXPECT_EQ(shown(300, 0), spriteColour(c.front));
  }
}

TEST_F(SceneTest, LeftAndRightStandingPictures) {
  scene_.gra("Abg1,0");
  scene_.gra("Bb,L");
  EXPECT_EQ(scene_.state().spriteLine, "BB,");
  EXPECT_EQ(scene_.slots().count, 2);
  scene_.gra("Bc,R");
  EXPECT_EQ(scene_.state().spriteLine, "BB,BC");
  EXPECT_EQ(shown(S_[81], S_[91]), spriteColour('B'));
  EXPECT_EQ(shown(S_[82], S_[92]), spriteColour('C'));

  scene_.clrb("3R");
  EXPECT_EQ(scene_.state().spriteLine, "BB,");
  EXPECT_EQ(scene_.slots().count, 2);  // the count stays
  EXPECT_EQ(scene_.lastTransition(), 3);
  EXPECT_EQ(shown(S_[81], S_[91]), spriteColour('B'));
  EXPECT_EQ(shown(S_[82], S_[92]), kBg1);

  // With exactly one sprite on stage, a right one replaces it: the left slot is emptied.
  scene_.gra("Ba");
  scene_.gra("Bd,R,4");
  EXPECT_EQ(scene_.state().spriteLine, ",BD");
  EXPECT_EQ(scene_.lastTransition(), 4);
  EXPECT_EQ(shown(S_[81], S_[91]), kBg1);
  EXPECT_EQ(shown(S_[82], S_[92]), spriteColour('D'));

  // The side letter written straight after the name, where no picture has the whole name.
  scene_.gra("BeL");
  EXPECT_EQ(scene_.state().spriteLine, "BE,BD");
  scene_.clrb("", true);  // the tag shows what even a number 0 leaves
  EXPECT_EQ(scene_.lastTransition(), 1);
  EXPECT_EQ(scene_.slots().count, 0);
  EXPECT_EQ(scene_.state().spriteLine, "");
  EXPECT_EQ(shown(S_[81], S_[91]), kBg1);
}

TEST_F(SceneTest, GrbDefersTheShowUntilTheNextGra) {
  scene_.gra("Abg1");
  scene_.spr("BA");
  const int shows = scene_.transitionsRun();
  scene_.grb("Abg2");
  EXPECT_TRUE(scene_.state().deferredDisplay);
  EXPECT_EQ(scene_.slots().count, 1);  // the sprites stay
  scene_.bg("Abg1");
  scene_.grb("Bb,L");
  scene_.gra("Abg2", true);  // the inline tag keeps the selection "grb " left
  EXPECT_EQ(scene_.transitionsRun(), shows);
  EXPECT_EQ(shown(0, 0), kBg1);
  scene_.grb("Abg2,7");  // a number shows even while deferred
  EXPECT_EQ(scene_.transitionsRun(), shows + 1);
  EXPECT_EQ(scene_.slots().count, 0);
  EXPECT_TRUE(scene_.state().deferredDisplay);
  scene_.gra("Abg1");
  EXPECT_FALSE(scene_.state().deferredDisplay);
  EXPECT_EQ(scene_.transitionsRun(), shows + 2);
  EXPECT_EQ(shown(0, 0), kBg1);
}

TEST_F(SceneTest, BgResolvesAnyPictureName) {
  std::vector<std::string> sets = parseBackgroundSets(
      Bytes{':', 'D', 'U', 'O', 0, 'A', 'B', 'G', '1', 0, 'O', 'V', 'L', ',', '5', ',', '5', 0})
      .lines;
  loader_.setBackgroundSets(sets);
  scene_.spr("BA");
  scene_.bg("#duo,3");
  EXPECT_EQ(scene_.slots().count, 0);
  EXPECT_EQ(scene_.lastTransition(), 3);
  EXPECT_EQ(scene_.state().backgroundName, "#duo");
  EXPECT_EQ(shown(4, 4), kBg1);
  EXPECT_EQ(shown(5, 5), opaque(bgr(100, 100, 100)));
  EXPECT_EQ(shown(20, 12), opaque(bgr(100, 100, 100)));
  EXPECT_EQ(shown(21, 13), kBg1);
  scene_.bg("S00G");
  EXPECT_EQ(shown(100, 100), bgr(255, 0, 0));
  EXPECT_EQ(host_.backgrounds, (std::vector<std::string>{"#DUO", "S00G"}));
}

TEST_F(SceneTest, OverlayUnderOrOverTheSprites) {
  scene_.gra("Abg1,0");
  S_[80] = 8;  // the sprite covers columns 0..15, rows 0..7
  scene_.spr("BA");
  struct Case {
    int depth;
    bool history;
    Bytes at;  // pixel (0, 0)
  };
  for (const Case& c : {Case{0, false, spriteColour('A')},
                        Case{1, false, opaque(bgr(100, 100, 100))},
                        Case{2, false, spriteColour('A')},    // another depth: not drawn
                        Case{1, true, spriteColour('A')}}) {  // the page history: not drawn
    SCOPED_TRACE(c.depth);
    S_[20] = c.depth;
    host_.history = c.history;
    host_.textShown = true;
    scene_.ovr("Ovl,2,0,0");
    EXPECT_EQ(S_[35], 1);
    EXPECT_EQ(scene_.lastTransition(), 2);
    EXPECT_FALSE(host_.textShown);
    EXPECT_EQ(shown(0, 0), c.at);
  }
  host_.history = false;
  scene_.ovr("off");
  EXPECT_EQ(S_[35], 0);
  EXPECT_EQ(scene_.state().overlayName, "off");
  EXPECT_EQ(scene_.lastTransition(), 1);
  EXPECT_EQ(shown(0, 0), spriteColour('A'));
  EXPECT_EQ(std::vector<int32_t>({S_[21], S_[22]}), std::vector<int32_t>({0, 0}));
}

TEST_F(SceneTest, OverlayWithAConstantWeight) {
  scene_.gra("Abg1,0");
  S_[20] = 0;
  S_[23] = 64;
  // blendRow(overlay row, stage row, w = S23): (stage * 64 + overlay * 192) >> 8.
  const Bytes mixed = {uint8_t((10 * 64 + 100 * 192) >> 8), uint8_t((20 * 64 + 100 * 192) >> 8),
                       uint8_t((30 * 64 + 100 * 192) >> 8)};
  scene_.ovr("Ov8,1,100,100");  // 8 pixels: 24 bytes, three whole groups
  EXPECT_EQ(shown(100, 100), mixed);
  EXPECT_EQ(shown(107, 107), mixed);
  EXPECT_EQ(shown(108, 100), kBg1);
  // At the right and bottom edges: 4 pixels and 2 rows remain, 12 bytes, one group of 8: the
  // third pixel keeps its red, the fourth is left as it was.
  scene_.ovr("Ov8,1,796,598");
  EXPECT_EQ(shown(797, 599), mixed);
  EXPECT_EQ(shown(798, 598), (Bytes{mixed[0], mixed[1], kBg1[2]}));
  EXPECT_EQ(shown(799, 598), kBg1);
  EXPECT_EQ(shown(797, 597), kBg1);
  // Left and top: the part inside from its first column on.
  scene_.ovr("Ov8,1,-5,-6");
  // 3 pixels remain: 9 bytes, one group of 8.
  EXPECT_EQ(shown(0, 0), mixed);
  EXPECT_EQ(shown(1, 1), mixed);
  EXPECT_EQ(shown(2, 1), (Bytes{mixed[0], mixed[1], kBg1[2]}));
  EXPECT_EQ(shown(0, 2), kBg1);
}

TEST_F(SceneTest, StageFilterTurnsTheStageNotTheTextWindow) {
  scene_.gra("Abg1,0");
  S_[80] = 8;
  S_[11] = 4;
  scene_.spr("BA");
  EXPECT_EQ(shown(799, 599), spriteColour('A'));
  EXPECT_EQ(shown(784, 592), spriteColour('A'));
  EXPECT_EQ(shown(0, 0), kBg1);
  EXPECT_EQ(host_.textComposed, 1);  // composed onto the screen after the filter
  S_[11] = 1;
  S_[13] = 8;
  scene_.spr("BA");
  EXPECT_EQ(shown(400, 300), (Bytes{5, 10, 15}));
}

TEST_F(SceneTest, SpriteSetsAndSideBySideStandingPictures) {
  scene_.gra("Abg1,0");
  scene_.setSpriteSets(parseSpriteSets(Bytes{':', 'P', 'A', 'I', 'R', 0, 'B', 'A', 0, 'B', 'B',
                                             ',', '2', '0', ',', '5', 0, ':', 'E', 'N', 'D', 0}));
  S_[80] = 100;
  S_[90] = 10;
  scene_.spr("#pair");
  // The cached part centred on x = 100 (columns 92..107), the part at 100 + 20 - 8, 10 + 5.
  EXPECT_EQ(shown(92, 10), spriteColour('A'));
  EXPECT_EQ(shown(107, 15), spriteColour('A'));
  EXPECT_EQ(shown(108, 15), kBg1);
  EXPECT_EQ(shown(112, 15), spriteColour('B'));
  EXPECT_EQ(shown(127, 22), spriteColour('B'));
  EXPECT_EQ(shown(128, 22), kBg1);
  scene_.spr("#absent");
  EXPECT_EQ(shown(92, 10), kBg1);

  config_.tachiType = 1;
  scene_.spr("BT");  // colour and mask from the halves of one picture
  EXPECT_EQ(shown(92, 10), opaque(bgr(0, 0, 120)));
  EXPECT_EQ(shown(107, 17), opaque(bgr(0, 0, 120)));
  EXPECT_EQ(shown(91, 10), kBg1);
  EXPECT_EQ(shown(108, 10), kBg1);
}

TEST_F(SceneTest, PicturesThatCannotBeDrawnAreLeftOut) {
  scene_.gra("Abg1,0");
  for (const char* line : {"BA", "BB", "BC", "BD", "BE"}) scene_.spr(line);
  // The entry that held BA now holds a missing name: nothing is drawn, not BA's pixels.
  scene_.spr("BMISSING");
  EXPECT_EQ(sprites_.find("BMISSING"), 0);
  EXPECT_EQ(shown(400, 0), kBg1);
  // A mask of another size than its picture: not drawn.
  scene_.spr("BWIDE");
  EXPECT_EQ(shown(400, 0), kBg1);
  EXPECT_EQ(host_.problems, std::vector<std::string>{});
}

TEST_F(SceneTest, SpriteChangesAreCountedWhenNotSkipping) {
  struct Case {
    int32_t skip, s26;
    int counted;
  };
  for (const Case& c : {Case{0, 0, 1}, Case{0, 5, 1}, Case{1, 0, 0}, Case{0, 1, 0}}) {
    host_.skip = c.skip;
    S_[26] = c.s26;
    const int before = host_.spriteChanges;
    scene_.spr("BA");
    scene_.gra("Bb");
    EXPECT_EQ(host_.spriteChanges - before, 2 * c.counted);
  }
  // Skipping without drawing: "gra B" keeps only the line, for the redraw when the skip ends.
  host_.skip = 2;
  const int shows = scene_.transitionsRun();
  scene_.gra("Bc");
  EXPECT_EQ(scene_.state().spriteLine, "Bc");
  EXPECT_EQ(scene_.transitionsRun(), shows);
  host_.skip = 0;
  scene_.redrawScene();
  EXPECT_EQ(scene_.slots().names[0], "BC");
  EXPECT_EQ(shown(400, 0), spriteColour('C'));
}

TEST_F(SceneTest, FullScreenTextModeShowsTheStageFirst) {
  S_[160] = 1;
  struct Case {
    int32_t s9;
    const char* command;
    int transitions;
    int last;
  };
  for (const Case& c : {Case{2, "Abg1,3", 2, 6}, Case{1, "Abg2,3", 2, 6}, Case{1, "BA,3", 1, 3},
                        Case{0, "Abg1,3", 1, 3}}) {
    SCOPED_TRACE(c.command);
    S_[9] = c.s9;
    const int before = scene_.transitionsRun();
    scene_.gra(c.command);
    EXPECT_EQ(scene_.transitionsRun() - before, c.transitions);
    EXPECT_EQ(scene_.lastTransition(), c.last);
  }
}

TEST_F(SceneTest, DisplayOnlyCommandsLeaveTheScreenAlone) {
  scene_.gra("Abg1");
  scene_.partsload("Pkey");
  EXPECT_EQ(S_[15], 0);
  scene_.ptset("0,0,2,1,10,20");
  EXPECT_EQ(shown(10, 20), kBg1);  // the key colour is left out
  EXPECT_EQ(shown(11, 20), bgr(1, 2, 3));
  EXPECT_EQ(pixel(screen_, 11, 20), kBg1);

  host_.now = 1000;
  scene_.direct("Dpic,250,700,500");
  EXPECT_EQ(shown(702, 501), bgr(77, 66, 55));
  EXPECT_EQ(shown(703, 501), kBg1);
  EXPECT_EQ(host_.now, 1250u);
  EXPECT_GT(host_.pumps, 0);
  EXPECT_EQ(host_.scriptRunning, (std::vector<bool>{false, true}));
  EXPECT_EQ(pixel(screen_, 702, 501), kBg1);

  // "fix": what the display shows becomes the scene.
  S_[23] = 5;
  scene_.fix();
  EXPECT_EQ(S_[23], 0);
  EXPECT_EQ(pixel(stage_, 702, 501), bgr(77, 66, 55));
  EXPECT_EQ(pixel(screen_, 11, 20), bgr(1, 2, 3));

  scene_.partsload("Dpic,Abg2");
  EXPECT_EQ(S_[15], 1);
  EXPECT_EQ(pixel(output_, 0, 0), kBg2);
}

TEST_F(SceneTest, LayerFieldsFitTheSaveSlotAndRestore) {
  scene_.gra("A" + std::string(40, 'x') + ",0");
  EXPECT_EQ(scene_.state().backgroundName, "A" + std::string(28, 'x'));
  scene_.spr("BA,BB,BC,BD");
  scene_.ovr("Ovl,0,30,40");
  S_[20] = 1;
  LayerState saved = scene_.state();
  saved.backgroundName = "Abg2";

  // A fresh run: the saved state brought back and shown.
  scene_.spr("");
  scene_.gra("Abg1,0");
  scene_.state() = saved;
  scene_.restoreLayers();
  EXPECT_EQ(scene_.slots().count, 4);
  scene_.showScene(1);
  EXPECT_EQ(shown(0, 0), kBg2);
  EXPECT_EQ(shown(S_[86], S_[96]), spriteColour('A'));
  EXPECT_EQ(shown(30, 40), opaque(bgr(100, 100, 100)));
}

}  // namespace
}  // namespace corvid
