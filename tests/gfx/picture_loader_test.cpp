#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "data/archive.h"
#include "data/archive_writer.h"
#include "data/bmp_file.h"
#include "data/file_io.h"
#include "data/jpeg_fixture.h"
#include "data/picture_encoder.h"
#include "gfx/picture_loader.h"

namespace corvid {
namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

Surface solid(int w, int h, uint8_t b, uint8_t g, uint8_t r) {
  Surface s(w, h);
  s.fill(uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16);
  return s;
}

Bytes entryOf(const Surface& s) {
  Bytes e;
  EXPECT_TRUE(encodePicture(s, e));
  return e;
}

Bytes jpegOf(const Surface& s) { return testing::encodeJpeg(s); }

// Section text: lines ended by NUL.
Bytes section(const std::vector<std::string>& lines) {
  Bytes out;
  for (const std::string& l : lines) {
    out.insert(out.end(), l.begin(), l.end());
    out.push_back(0);
  }
  return out;
}

Bytes pixelAt(const Surface& s, int x, int y) { return Bytes(s.at(x, y), s.at(x, y) + 3); }

// A side-by-side part of 4x4: colour (10, 20, 30), mask opaque.
Surface part() {
  Surface p(8, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) {
      uint8_t* px = p.at(x, y);
      px[0] = x < 4 ? 10 : 255;
      px[1] = x < 4 ? 20 : 255;
      px[2] = x < 4 ? 30 : 255;
    }
  return p;
}

class PictureLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = fs::temp_directory_path() / "corvid-pictures-XXXXXX";
    dir_ = ::mkdtemp(pattern.data());
    Bytes damaged = entryOf(solid(2, 2, 1, 2, 3));
    damaged[16] = 0xFF;  // the first items are now matches before the start
    // The last entry of its file, whose header promises more LZ stream than the file holds.
    Bytes cut = entryOf(solid(30, 30, 9, 9, 9));
    cut.resize(cut.size() - 2);
    pack("qd_gra.cvd", {{"BG01", entryOf(solid(20, 10, 100, 100, 100))},
                        {"Part", entryOf(part())},
                        {"SAME", entryOf(solid(2, 2, 1, 1, 1))},
                        {"JPG1", entryOf(solid(2, 2, 7, 7, 7))},
                        {"BROKEN", damaged},
                        {"CUT", cut}});
    pack("qd_gra3.cvd", {{"same", entryOf(solid(3, 1, 2, 2, 2))}});
    pack("qd_gjp.cvd", {{"JPG1", jpegOf(solid(16, 8, 128, 128, 128))}, {"BADJPG", {0xFF, 0xD8, 0xFF, 0x00}}});
    pack("qd_data.cvd", {{"_bgset", section({"; a comment", "", ":base1", "bg01", "part,10,5",
                                             "missing,0,0", "part,-2:-2", ":Two", "bg01", "part,18,8",
                                             ":END", ":AFTER", "bg01"})}});
    archives_.openDataArchives(dir_);
    archives_.openMediaArchives(dir_, {}, "NULL", false);
  }
  void TearDown() override { fs::remove_all(dir_); }

  void pack(const std::string& file, const std::vector<ArchiveSource>& sources) {
    std::string error;
    ASSERT_TRUE(writeArchiveFile(dir_ + "/" + file, layoutForArchiveName(file), sources, error)) << error;
  }

  std::string dir_;
  Archives archives_;
};

TEST_F(PictureLoaderTest, LoadsFromTheArchivesInTheirOrder) {
  PictureLoader loader(archives_);
  struct Case {
    const char* name;
    PictureLoadStatus status;
    int width, height;
    Bytes firstPixel;
  };
  const Case cases[] = {
      {"bg01", PictureLoadStatus::Loaded, 20, 10, {100, 100, 100}},
      {"Same", PictureLoadStatus::Loaded, 3, 1, {2, 2, 2}},  // "qd_gra3.cvd" before "qd_gra.cvd"
      {"jpg1", PictureLoadStatus::Loaded, 16, 8, {128, 128, 128}},  // the JPEG archive first
      {"nothing", PictureLoadStatus::NotFound, 5, 5, {4, 5, 6}},
      {"broken", PictureLoadStatus::Refused, 5, 5, {4, 5, 6}},
      {"cut", PictureLoadStatus::Refused, 5, 5, {4, 5, 6}},
      {"badjpg", PictureLoadStatus::Refused, 5, 5, {4, 5, 6}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Surface out = solid(5, 5, 4, 5, 6);
    const PictureLoad load = loader.loadPicture(c.name, out);
    EXPECT_EQ(load.status, c.status);
    EXPECT_EQ(load.error.empty(), c.status != PictureLoadStatus::Refused) << load.error;
    EXPECT_EQ(out.width, c.width);
    EXPECT_EQ(out.height, c.height);
    EXPECT_EQ(pixelAt(out, 0, 0), c.firstPixel);
    EXPECT_EQ(loader.pictureExists(c.name), c.status != PictureLoadStatus::NotFound);
  }
}

TEST_F(PictureLoaderTest, TheHeaderNotTheDirectorySaysHowMuchToRead) {
  // "qd_gra2.cvd" holds one picture whose directory size is patched down to 16: the header's
  // L bytes are read all the same.
  pack("qd_gra2.cvd", {{"LONGER", entryOf(solid(6, 3, 50, 60, 70))}});
  const std::string path = dir_ + "/qd_gra2.cvd";
  Bytes file = readWholeFile(path).value_or(Bytes{});
  ASSERT_GE(file.size(), 8u);
  const size_t width = file[4] | file[5] << 8;  // the media layout: N, W, then W-byte names
  const size_t sizeField = 8 + width + 4;
  file[sizeField] = 16;
  file[sizeField + 1] = file[sizeField + 2] = file[sizeField + 3] = 0;
  ASSERT_TRUE(writeFileAtomic(path, file));
  archives_.openMediaArchives(dir_, {}, "NULL", false);
  PictureLoader loader(archives_);
  Surface out;
  const PictureLoad load = loader.loadPicture("longer", out);
  ASSERT_TRUE(load.ok()) << load.error;
  EXPECT_EQ(out.pixels, solid(6, 3, 50, 60, 70).pixels);
}

TEST_F(PictureLoaderTest, ResolvesSolidColours) {
  PictureLoader loader(archives_);
  struct Case {
    const char* name;
    PictureLoadStatus status;
    Bytes pixel;  // BGR, on a 3x2 surface that starts as (4, 5, 6)
  };
  const Case cases[] = {
      {"S0G0", PictureLoadStatus::Loaded, {0, 255, 0}},
      {"sFF0", PictureLoadStatus::Loaded, {0, 240, 240}},
      {"s9aZ", PictureLoadStatus::Loaded, {0, 160, 144}},
      {"S12", PictureLoadStatus::Refused, {4, 5, 6}},
      {"S", PictureLoadStatus::Refused, {4, 5, 6}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Surface out = solid(3, 2, 4, 5, 6);
    EXPECT_EQ(loader.resolvePicture(c.name, out).status, c.status);
    EXPECT_EQ(out.width, 3);  // the surface keeps its size
    EXPECT_EQ(pixelAt(out, 2, 1), c.pixel);
  }
}

TEST_F(PictureLoaderTest, ComposesBackgroundSets) {
  PictureLoader loader(archives_);
  std::string error;
  loader.setBackgroundSets(readBackgroundSets(archives_, &error).lines);
  ASSERT_EQ(error, "");
  // ":BASE1": the base, the part at (10, 5), a missing part skipped, the part at (-2, -2)
  // clipped. Drawn opaque, the part's colour comes out as 255/256 of it.
  Surface out(1, 1);
  ASSERT_TRUE(loader.resolvePicture("#base1", out).ok());
  EXPECT_EQ(out.width, 20);
  EXPECT_EQ(out.height, 10);
  struct Probe {
    int x, y;
    Bytes pixel;
  };
  for (const Probe& p : {Probe{0, 0, {9, 19, 29}}, Probe{1, 1, {9, 19, 29}}, Probe{2, 2, {100, 100, 100}},
                         Probe{10, 5, {9, 19, 29}}, Probe{13, 8, {9, 19, 29}}, Probe{14, 8, {100, 100, 100}}})
    EXPECT_EQ(pixelAt(out, p.x, p.y), p.pixel) << p.x << "," << p.y;
  // The set ends at the next label: ":TWO" draws its own part only.
  ASSERT_TRUE(loader.resolvePicture("#TWO", out).ok());
  EXPECT_EQ(pixelAt(out, 10, 5), (Bytes{100, 100, 100}));
  EXPECT_EQ(pixelAt(out, 19, 9), (Bytes{9, 19, 29}));
  // A label after ":END" was never read; an unknown label leaves the surface as it was.
  Surface kept = solid(2, 2, 1, 2, 3);
  EXPECT_EQ(loader.resolvePicture("#AFTER", kept).status, PictureLoadStatus::NotFound);
  EXPECT_EQ(loader.resolvePicture("#", kept).status, PictureLoadStatus::NotFound);
  EXPECT_EQ(kept.pixels, solid(2, 2, 1, 2, 3).pixels);
}

TEST(DefinitionLists, ParseAndFindSets) {
  struct Case {
    const char* what;
    std::vector<std::string> lines;
    std::vector<std::string> bgset;
    bool debugOut;
    std::vector<std::string> sprset;
  };
  const Case cases[] = {
      {"upper-cased, comments and empty lines skipped, :END kept and last",
       {":a", "bg\x83" "a", "", ";x", ":end", ":b"}, {":A", "BG\x83" "a", ":END"}, false,
       {":A", "BG\x83" "a", ":END"}},
      {"$DEBUG_OUT switches the dump on in _bgset only", {"$debug_out", ":A", "x"}, {":A", "X"}, true,
       {"$DEBUG_OUT", ":A", "X"}},
      {"no :END: every line", {":A", "x", ":B"}, {":A", "X", ":B"}, false, {":A", "X", ":B"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const BackgroundSets bg = parseBackgroundSets(section(c.lines));
    EXPECT_EQ(bg.lines, c.bgset);
    EXPECT_EQ(bg.debugOut, c.debugOut);
    EXPECT_EQ(parseSpriteSets(section(c.lines)), c.sprset);
  }
  // A last line without its NUL still counts.
  EXPECT_EQ(parseSpriteSets(Bytes{':', 'a', 0, 'b'}), (std::vector<std::string>{":A", "B"}));

  const std::vector<std::string> list{":LONG", "1", "2", "3", "4", "5", "6", "7", "8", "9", ":NEXT", "x"};
  using Lines = std::vector<std::string_view>;
  EXPECT_EQ(findSetLines(list, "#long"), (Lines{"1", "2", "3", "4", "5", "6", "7", "8"}));
  EXPECT_EQ(findSetLines(list, "#NEXT"), (Lines{"x"}));
  EXPECT_EQ(findSetLines(list, "#NONE"), std::nullopt);
}

TEST(DefinitionLists, DumpWritesEveryLabelAsABitmap) {
  std::string pattern = fs::temp_directory_path() / "corvid-dump-XXXXXX";
  const std::string dir = ::mkdtemp(pattern.data());
  const std::vector<std::string> sets{":ONE", "A", ":..", "B", ":X/Y", ":TWO", ":END"};
  Surface background(2, 1);
  std::vector<std::string> composed;
  auto compose = [&](const std::string& name) {
    composed.push_back(name);
    background.fill(uint32_t(composed.size()) * 10);  // red 10, then 20
  };
  std::string error;
  ASSERT_TRUE(dumpBackgroundSets(sets, compose, background, dir + "/BMP", &error)) << error;
  EXPECT_EQ(composed, (std::vector<std::string>{"#ONE", "#TWO"}));
  Surface one, two;
  ASSERT_TRUE(decodeBmp(readWholeFile(dir + "/BMP/ONE.bmp").value_or(Bytes{}), one));
  ASSERT_TRUE(decodeBmp(readWholeFile(dir + "/BMP/TWO.bmp").value_or(Bytes{}), two));
  EXPECT_EQ(pixelAt(one, 1, 0), (Bytes{0, 0, 10}));
  EXPECT_EQ(pixelAt(two, 1, 0), (Bytes{0, 0, 20}));
  EXPECT_FALSE(fs::exists(dir + "/BMP/...bmp"));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace corvid
