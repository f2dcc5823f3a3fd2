// cvdtool build with pictures: picture files of the picture archive folders become compressed
// entries named without their extension, JPEG files of "qd_gjp" are stored as they are, and a
// picture file that cannot be read stops the build with its name.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

#include "data/archive.h"
#include "data/file_io.h"
#include "data/picture_codec.h"

namespace corvid {
namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

class BuildPictures : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = fs::temp_directory_path() / "corvid-build-XXXXXX";
    dir_ = ::mkdtemp(pattern.data());
    for (const char* folder : {"src/qd_data", "src/qd_gra", "src/qd_gra2", "src/qd_gjp"})
      fs::create_directories(dir_ + "/" + folder);
    write("src/qd_data/main.txt", {'a', '\n'});
  }
  void TearDown() override { fs::remove_all(dir_); }

  void write(const std::string& name, const Bytes& bytes) {
    ASSERT_TRUE(writeFileAtomic(dir_ + "/" + name, bytes));
  }
  int build(std::string* err = nullptr) {
    const std::string cmd = "'" CORVID_BIN_DIR "/cvdtool' build '" + dir_ + "/src' '" + dir_ +
                            "/out' 2>'" + dir_ + "/stderr'";
    const int status = std::system(cmd.c_str());
    if (err) {
      const Bytes e = readWholeFile(dir_ + "/stderr").value_or(Bytes{});
      err->assign(e.begin(), e.end());
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string dir_;
};

// A binary PPM of 2x1 pixels: red (10, 20, 30) then (40, 50, 60), RGB order.
Bytes ppm() {
  const std::string head = "P6\n2 1\n255\n";
  Bytes b(head.begin(), head.end());
  for (uint8_t v : {10, 20, 30, 40, 50, 60}) b.push_back(v);
  return b;
}

TEST_F(BuildPictures, PicturesAreEncodedAndJpegsKept) {
  write("src/qd_gra/Abg01.ppm", ppm());
  write("src/qd_gra2/Bchr.PPM", ppm());
  write("src/qd_gra/notes.dat", {1, 2, 3});  // anything else is packed as it is
  const Bytes jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 1, 2, 3};
  write("src/qd_gjp/Photo.jpg", jpeg);
  ASSERT_EQ(build(), 0);

  Archives archives;
  archives.openMediaArchives(dir_ + "/out", {}, "NULL", false);
  for (const char* name : {"ABG01", "BCHR"}) {
    SCOPED_TRACE(name);
    const auto ref = archives.findPicture(name);
    ASSERT_TRUE(ref.has_value());
    const EntryRead read = readEntry(*ref);
    ASSERT_TRUE(read.ok()) << read.error;
    Surface picture;
    std::string error;
    ASSERT_TRUE(decodePicture(read.bytes, picture, &error)) << error;
    EXPECT_EQ(picture.width, 2);
    EXPECT_EQ(picture.pixels, (Bytes{30, 20, 10, 60, 50, 40}));  // stored blue, green, red
  }
  const auto photo = archives.findPicture("photo");
  ASSERT_TRUE(photo.has_value());
  EXPECT_EQ(photo->kind, ArchiveSetKind::JpegPictures);
  EXPECT_EQ(readEntry(*photo).bytes, jpeg);
  EXPECT_TRUE(archives.findInSet(ArchiveSetKind::Pictures, "notes.dat").has_value());
}

TEST_F(BuildPictures, AnUnreadablePictureStopsTheBuild) {
  write("src/qd_gra/Broken.png", {0x89, 'P', 'N', 'G', 0});
  std::string err;
  EXPECT_EQ(build(&err), 1);
  EXPECT_THAT(err, ::testing::HasSubstr("Broken.png"));
}

}  // namespace
}  // namespace corvid
