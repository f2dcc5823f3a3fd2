// Small titles with pictures played headless: what the display shows after "gra ", "bg " with
// a composite, solid colours, sprites at each layout position, the stage filter and the tags,
// and the `shot` of the corvid program showing the composed display.

#include <png.h>

#include "data/picture_encoder.h"
#include "picture_fixture.h"
#include "title_fixture.h"

namespace corvid::testing {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes bgr(uint8_t b, uint8_t g, uint8_t r) { return {b, g, r}; }

Surface solid(int w, int h, const Bytes& c) {
  Surface s(w, h);
  s.fill(uint32_t(c[2]) | uint32_t(c[1]) << 8 | uint32_t(c[0]) << 16);
  return s;
}

const Bytes kBg1 = bgr(10, 20, 30), kBg2 = bgr(40, 50, 60), kBlack = bgr(0, 0, 0);
// Through an opaque mask a byte c becomes floor(c * 255 / 256).
const Bytes kA = bgr(199, 0, 0), kB = bgr(0, 199, 0), kC = bgr(0, 0, 199), kD = bgr(99, 99, 0);
// "BH" (200, 200, 200) through a mask of 128 over the first background:
// floor(bg * 127 / 256) + floor(200 * 128 / 256).
const Bytes kHalf = bgr(4 + 100, 9 + 100, 14 + 100);

// The pictures every title here holds: two backgrounds, standing pictures "BA".."BD" of 16x8
// with opaque masks, "BH" with a half mask, and an overlay part for the composite.
void addPictures(TitleFixture& title) {
  static const std::vector<std::pair<std::string, Bytes>> pictures = [] {
    std::vector<std::pair<std::string, Bytes>> p = {
        {"ABG1", entryOf(solid(800, 600, kBg1))},
        {"ABG2", entryOf(solid(800, 600, kBg2))},
        {"BH", entryOf(solid(16, 8, bgr(200, 200, 200)))},
        {"MH", entryOf(solid(16, 8, bgr(128, 128, 128)))},
    };
    const std::pair<char, Bytes> sprites[] = {{'A', bgr(200, 0, 0)}, {'B', bgr(0, 200, 0)},
                                              {'C', bgr(0, 0, 200)}, {'D', bgr(100, 100, 0)}};
    for (const auto& [letter, colour] : sprites) {
      p.push_back({std::string("B") + letter, entryOf(solid(16, 8, colour))});
      p.push_back({std::string("M") + letter, entryOf(solid(16, 8, bgr(255, 255, 255)))});
    }
    Surface part(8, 4);  // side by side: 4x4 of (90, 80, 70), opaque
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 8; ++x) {
        const Bytes c = x < 4 ? bgr(90, 80, 70) : bgr(255, 255, 255);
        std::copy(c.begin(), c.end(), part.at(x, y));
      }
    p.push_back({"PART", entryOf(part)});
    return p;
  }();
  for (const auto& [name, bytes] : pictures) title.entry("qd_gra.cvd", name, bytes);
}

std::string writePictureTitle(TitleFixture& title, const std::vector<std::string>& main) {
  addPictures(title);
  title.script("_config", {"TITLE:Pictures", "GAME_ID:PTEST"})
      .script("_bgset", {":DUO", "ABG2", "PART,100,50", ":END"})
      .script("main", main);
  return title.write();
}

Bytes shownAt(const HeadlessPlatform& platform, int x, int y) {
  const uint8_t* p = platform.display().at(x, y);
  return Bytes(p, p + 3);
}

TEST(PictureRun, TheDisplayShowsTheComposedScene) {
  struct Point {
    int x, y;
    Bytes pixel;
  };
  struct Case {
    std::string name;
    std::vector<std::string> main;
    std::vector<Point> points;
  };
  const Case cases[] = {
      {"background", {"*gra Abg1"}, {{0, 0, kBg1}, {799, 599, kBg1}}},
      {"no show with 0", {"*gra Abg1,0"}, {{0, 0, kBlack}}},
      {"composite", {"*bg #duo"},
       {{0, 0, kBg2}, {100, 50, bgr(89, 79, 69)}, {103, 53, bgr(89, 79, 69)}, {104, 53, kBg2}}},
      {"solid colour", {"*gra S0G0"}, {{0, 0, bgr(0, 255, 0)}, {799, 599, bgr(0, 255, 0)}}},
      {"solid colour by bg", {"*gra Abg1", "*bg sFF0"}, {{400, 300, bgr(0, 240, 240)}}},
      // One sprite centred on S80 = 400 with its top at S90 = 0: columns 392..407.
      {"one sprite", {"*gra Abg1", "*gra Ba"},
       {{392, 0, kA}, {407, 7, kA}, {391, 0, kBg1}, {408, 0, kBg1}, {400, 8, kBg1}}},
      {"half mask", {"*gra Abg1", "*gra Bh"}, {{400, 4, kHalf}}},
      {"left and right", {"*gra Abg1", "*gra Ba,L", "*gra Bb,R"},
       {{250, 0, kA}, {550, 0, kB}, {400, 0, kBg1}}},
      {"three", {"*gra Abg1", "*spr Ba,Bb,Bc"}, {{200, 0, kA}, {400, 0, kB}, {600, 0, kC}}},
      {"four", {"*gra Abg1", "*spr Ba,Bb,Bc,Bd"},
       {{100, 0, kA}, {300, 0, kB}, {500, 0, kC}, {700, 0, kD}}},
      {"positions from S", {"*gra Abg1", "!S081=40;S091=500;S082=760;S092=300", "*spr Ba,Bb"},
       {{32, 500, kA}, {47, 507, kA}, {752, 300, kB}, {250, 0, kBg1}}},
      {"gameinit puts them back", {"*gra Abg1", "!S080=10", "*gameinit", "*spr Ba"},
       {{400, 0, kA}, {10, 0, kBg1}}},
      {"turned stage", {"*gra Abg1", "!S011=4", "*spr Ba"}, {{399, 599, kA}, {392, 592, kA}}},
      {"tag", {"*gra Abg1", "ab[gra Abg2]cd\\"}, {{0, 0, kBg2}}},
      {"grb defers", {"*gra Abg1", "*grb Abg2", "*bg Abg2"}, {{0, 0, kBg1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TitleFixture title;
    HeadlessRun run(writePictureTitle(title, c.main), "");
    run.runUntil(1000);
    for (const Point& p : c.points) {
      SCOPED_TRACE(::testing::Message() << "at " << p.x << "," << p.y);
      EXPECT_EQ(shownAt(run.platform, p.x, p.y), p.pixel);
    }
  }
}

TEST(PictureRun, TheShotShowsTheComposedDisplay) {
  TitleFixture title;
  const std::string dir = writePictureTitle(title, {"*gra Abg1", "*spr Ba,Bb", "%40", "*bg #duo"});
  TempDir out, runtime;
  {
    std::ofstream input(out.path() + "/input.txt");
    input << "500 shot " << out.path() << "/sprites.png\n"
          << "4000 shot " << out.path() << "/composite.png\n"
          << "4100 quit\n";
  }
  const ProgramResult r = runCorvid({"--headless", dir, "--input", out.path() + "/input.txt"},
                                    runtime.path());
  ASSERT_EQ(r.exitCode, 0) << r.stderrText;
  EXPECT_EQ(pngPixel(out.path() + "/sprites.png", 250, 0), kA);
  EXPECT_EQ(pngPixel(out.path() + "/sprites.png", 550, 7), kB);
  EXPECT_EQ(pngPixel(out.path() + "/sprites.png", 0, 0), kBg1);
  EXPECT_EQ(pngPixel(out.path() + "/composite.png", 250, 0), kBg2);
  EXPECT_EQ(pngPixel(out.path() + "/composite.png", 101, 51), bgr(89, 79, 69));
}

}  // namespace
}  // namespace corvid::testing
