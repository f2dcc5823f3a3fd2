// cvdtool picture decode / encode, run as the built program: round trips through every file
// format, JPEG input, and the exit codes of refused files and wrong command lines.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

#include "data/bmp_file.h"
#include "data/file_io.h"
#include "data/picture_codec.h"
#include "data/picture_encoder.h"

namespace corvid {
namespace {

using Bytes = std::vector<uint8_t>;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

class PictureTool : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = fs::temp_directory_path() / "corvid-picture-XXXXXX";
    dir_ = ::mkdtemp(pattern.data());
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  void write(const std::string& name, const Bytes& bytes) {
    ASSERT_TRUE(writeFileAtomic(path(name), bytes));
  }
  Bytes read(const std::string& name) const { return readWholeFile(path(name)).value_or(Bytes{}); }

  struct Run {
    int exit = -1;
    std::string err;
  };
  Run cvdtool(const std::vector<std::string>& args) {
    std::string cmd = "cd '" + dir_ + "' && '" CORVID_BIN_DIR "/cvdtool'";
    for (const std::string& a : args) cmd += " '" + a + "'";
    cmd += " 2>'" + dir_ + "/.stderr'";
    const int status = std::system(cmd.c_str());
    const Bytes err = read(".stderr");
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(err.begin(), err.end())};
  }

  std::string dir_;
};

Surface sample() {
  Surface s(37, 21);  // an odd width: BMP rows are padded
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) {
      uint8_t* p = s.at(x, y);
      p[0] = uint8_t(x * 6);
      p[1] = uint8_t(y * 11);
      p[2] = uint8_t((x / 4 + y / 4) % 2 ? 250 : 5);
    }
  return s;
}

Bytes ppmOf(const Surface& s, const std::string& comment = "") {
  std::string head = "P6\n" + comment + std::to_string(s.width) + " " +
                     std::to_string(s.height) + "\n255\n";
  Bytes out(head.begin(), head.end());
  for (size_t i = 0; i < s.pixels.size(); i += 3)
    out.insert(out.end(), {s.pixels[i + 2], s.pixels[i + 1], s.pixels[i]});
  return out;
}

TEST_F(PictureTool, RoundTripsThroughEveryFileFormat) {
  const Surface in = sample();
  write("in.ppm", ppmOf(in, "# made by the test\n"));
  ASSERT_EQ(cvdtool({"picture", "encode", "in.ppm", "pic"}).exit, 0);
  Surface decoded;
  ASSERT_TRUE(decodePicture(read("pic"), decoded));
  EXPECT_EQ(decoded.pixels, in.pixels);
  // The tool keeps the smallest of the stage choices.
  Bytes smallest;
  ASSERT_TRUE(encodePicture(in, smallest));
  EXPECT_EQ(read("pic").size(), smallest.size());

  for (const char* out : {"out.png", "out.PPM", "out.bmp"}) {
    SCOPED_TRACE(out);
    Run r = cvdtool({"picture", "decode", "pic", out});
    ASSERT_EQ(r.exit, 0) << r.err;
  }
  EXPECT_EQ(read("out.PPM"), ppmOf(in));
  Surface bmp;
  ASSERT_TRUE(decodeBmp(read("out.bmp"), bmp));
  EXPECT_EQ(bmp.pixels, in.pixels);
  ASSERT_EQ(cvdtool({"picture", "encode", "out.png", "again"}).exit, 0);
  EXPECT_EQ(read("again"), read("pic"));
}

TEST_F(PictureTool, RefusesDamagedFilesAndWrongCommandLines) {
  write("short", Bytes{1, 2, 3});
  write("bad.ppm", {'P', '6', ' ', '2'});
  write("in.ppm", ppmOf(sample()));
  struct Case {
    std::vector<std::string> args;
    int exit;
    std::string error;
  };
  const Case cases[] = {
      {{"picture", "decode", "short", "o.png"}, 1, "short: the picture entry has 3 bytes"},
      {{"picture", "decode", "missing", "o.png"}, 1, "missing: cannot be read"},
      {{"picture", "encode", "bad.ppm", "o"}, 1, "bad.ppm: the PPM's header is damaged"},
      {{"picture", "decode", "short", "o.gif"}, 2, "o.gif: the output must be"},
      {{"picture", "encode", "in.gif", "o"}, 2, "in.gif: the input must be"},
      {{"picture", "decode", "short"}, 2, "usage"},
      {{"picture", "paint", "a", "b"}, 2, "usage"},
  };
  for (const Case& c : cases) {
    Run r = cvdtool(c.args);
    EXPECT_EQ(r.exit, c.exit) << c.args[1];
    EXPECT_THAT(r.err, HasSubstr(c.error));
  }
  EXPECT_FALSE(fs::exists(path("o.png")));
}

}  // namespace
}  // namespace corvid
