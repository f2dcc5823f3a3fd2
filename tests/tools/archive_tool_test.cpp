// cvdtool list / extract / pack, run as the built program: listings of archives laid out by
// hand, plain bytes on extraction, pack round trips in both layouts, and the exit codes.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "data/byte_writer.h"
#include "data/file_io.h"

namespace corvid {
namespace {

using Bytes = std::vector<uint8_t>;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

struct Stored {
  std::string name;  // Shift_JIS
  Bytes bytes;       // as they lie in the file
};

// Laid out by hand from the directory tables: data records of 64 bytes with a 56-byte name;
// media records of W + 8 bytes after N and W.
Bytes handArchive(bool data, int32_t width, const std::vector<Stored>& entries) {
  ByteWriter w;
  w.i32(int32_t(entries.size()));
  if (!data) w.i32(width);
  int32_t field = data ? 56 : width;
  int32_t offset = (data ? 4 : 8) + (field + 8) * int32_t(entries.size());
  for (const Stored& e : entries) {
    w.nulTerminatedField(e.name, size_t(field));
    w.i32(offset);
    w.i32(int32_t(e.bytes.size()));
    offset += int32_t(e.bytes.size());
  }
  for (const Stored& e : entries) w.bytes(e.bytes);
  return w.take();
}

std::string quote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

class ArchiveTool : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = fs::temp_directory_path() / "corvid-cvdtool-XXXXXX";
    dir_ = ::mkdtemp(pattern.data());
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  void write(const std::string& name, const Bytes& bytes) {
    fs::create_directories(fs::path(path(name)).parent_path());
    ASSERT_TRUE(writeFileAtomic(path(name), bytes));
  }
  Bytes read(const std::string& name) const { return readWholeFile(path(name)).value_or(Bytes{9, 9, 9}); }
  std::string text(const std::string& name) const {
    Bytes b = read(name);
    return std::string(b.begin(), b.end());
  }

  struct Run {
    int exit = -1;
    std::string out, err;
  };
  // Runs cvdtool in the test's folder, so relative names stay inside it.
  Run cvdtool(const std::vector<std::string>& args) {
    std::string cmd = "cd " + quote(dir_) + " && " + quote(CORVID_BIN_DIR "/cvdtool");
    for (const std::string& a : args) cmd += " " + quote(a);
    cmd += " >" + quote(dir_ + "/.stdout") + " 2>" + quote(dir_ + "/.stderr");
    int status = std::system(cmd.c_str());
    Run r;
    r.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = text(".stdout");
    r.err = text(".stderr");
    return r;
  }

  std::string dir_;
};

TEST_F(ArchiveTool, ListsBothLayouts) {
  write("qd_data.cvd", handArchive(true, 0, {{"main", {1, 2, 3}}, {"Sub", {}}, {"\x83\x61" "b", {4}}}));
  write("qd_gra.cvd",
        handArchive(false, 10, {{"bg01", {1, 2}}, {"BG01", {3}}, {"\x83\x61\x83\x41", {}}}));
  Run data = cvdtool({"list", "qd_data.cvd"});
  EXPECT_EQ(data.exit, 0) << data.err;
  EXPECT_EQ(data.out, "MAIN\t196\t3\nSUB\t199\t0\nヂB\t199\t1\n");
  Run media = cvdtool({"list", "qd_gra.cvd"});
  EXPECT_EQ(media.exit, 0) << media.err;
  EXPECT_EQ(media.out, "BG01\t62\t2\nBG01\t64\t1\nヂア\t65\t0\n");
  // The layout comes from --layout when given: read as media, the data archive's first
  // record makes no sense.
  EXPECT_EQ(cvdtool({"list", "--layout", "media", "qd_data.cvd"}).exit, 1);
  EXPECT_EQ(cvdtool({"list", "--layout=data", "qd_data.cvd"}).out, data.out);
}

TEST_F(ArchiveTool, ExtractsPlainBytesAndKeepsDuplicates) {
  write("QD_DATA2.cvd", handArchive(true, 0, {{"main", {0x00, 0xFF, 0x80, 0x01}}, {"MAIN", {0xFF}},
                                              {"MAIN~2", {0xFE}}}));
  Run r = cvdtool({"extract", "QD_DATA2.cvd", "out"});
  EXPECT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(read("out/MAIN"), (Bytes{0x00, 0x01, 0x80, 0xFF}));
  EXPECT_EQ(read("out/MAIN~2"), Bytes{0x02});  // the entry of that name keeps it ...
  EXPECT_EQ(read("out/MAIN~3"), Bytes{0x01});  // ... and the second "MAIN" takes the next
  EXPECT_THAT(r.err, HasSubstr("entry 1 \"MAIN\" occurs again"));
  EXPECT_THAT(r.err, HasSubstr("written as MAIN~3"));
}

TEST_F(ArchiveTool, ExtractNeverWritesOutsideItsFolder) {
  write("qd_gra.cvd", handArchive(false, 16, {{"../evil", {1}}, {"a/b", {2}}, {"..", {3}},
                                              {".", {4}}, {"", {5}}, {"ok", {6}}}));
  fs::create_directories(path("out/a"));
  Run r = cvdtool({"extract", "qd_gra.cvd", "out"});
  EXPECT_EQ(r.exit, 1);
  EXPECT_THAT(r.err, HasSubstr("entry 0 \"../EVIL\": the name is not a file name inside out"));
  EXPECT_THAT(r.err, HasSubstr("entry 4 \"\""));
  std::vector<std::string> written;
  for (const auto& e : fs::recursive_directory_iterator(dir_))
    if (e.is_regular_file() && e.path().filename().string()[0] != '.')
      written.push_back(fs::relative(e.path(), dir_).string());
  std::sort(written.begin(), written.end());
  EXPECT_EQ(written, (std::vector<std::string>{"out/OK", "qd_gra.cvd"}));
}

TEST_F(ArchiveTool, PackRoundTripsInBothLayouts) {
  write("src/main", {0x00, 0x01, 0x80, 0xFF, 'a'});
  write("src/背景ｱ.txt", {});
  write("src/bg01", {7, 8, 9});
  struct Case {
    std::vector<std::string> command;
    std::string archive;
    std::string listing;
    bool negated;
  };
  const Case cases[] = {
      {{"pack", "qd_data.cvd"}, "qd_data.cvd",
       "MAIN\t196\t5\n背景ｱ.TXT\t201\t0\nBG01\t201\t3\n", true},
      // "背景ｱ.txt" is 9 bytes in Shift_JIS (two of them 'w' and 'i', which stay lower-case
      // as second bytes): the media name width is 10.
      {{"pack", "qd_gra.cvd"}, "qd_gra.cvd",
       "MAIN\t62\t5\n背景ｱ.TXT\t67\t0\nBG01\t67\t3\n", false},
      {{"pack", "--layout", "media", "qd_data_media.cvd"}, "qd_data_media.cvd",
       "MAIN\t62\t5\n背景ｱ.TXT\t67\t0\nBG01\t67\t3\n", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.archive);
    std::vector<std::string> args = c.command;
    args.insert(args.end(), {"src/main", "src/背景ｱ.txt", path("src/bg01")});
    Run pack = cvdtool(args);
    ASSERT_EQ(pack.exit, 0) << pack.err;
    std::vector<std::string> list = {"list", c.archive};
    if (c.archive == "qd_data_media.cvd") list = {"list", "--layout", "media", c.archive};
    EXPECT_EQ(cvdtool(list).out, c.listing);

    Bytes file = read(c.archive);
    size_t mainAt = c.negated ? 196 : 62;
    Bytes stored(file.begin() + mainAt, file.begin() + mainAt + 5);
    const Bytes expected = c.negated ? Bytes{0x00, 0xFF, 0x80, 0x01, 0x9F}
                                     : Bytes{0x00, 0x01, 0x80, 0xFF, 'a'};
    EXPECT_EQ(stored, expected);

    list[0] = "extract";
    list.push_back("x_" + c.archive);
    EXPECT_EQ(cvdtool(list).exit, 0);
    EXPECT_EQ(read("x_" + c.archive + "/MAIN"), read("src/main"));
    EXPECT_EQ(read("x_" + c.archive + "/背景ｱ.TXT"), Bytes{});
    EXPECT_EQ(read("x_" + c.archive + "/BG01"), read("src/bg01"));
  }
}

TEST_F(ArchiveTool, FailuresExitWithOne) {
  write("bad_name.cvd", handArchive(false, 4, {}));
  Bytes noNul = handArchive(false, 4, {{"ABC", {}}});
  noNul[8 + 3] = 'D';
  write("no_nul.cvd", noNul);
  Bytes past = handArchive(false, 8, {{"FIRST", {1}}, {"PAST", {2}}});
  past[8 + 16 + 12] = 50;  // PAST's size
  write("past.cvd", past);
  write("src/a", {1});
  write("src/b/a", {2});
  write(std::string(56, 'n'), {1});
  write("😀.txt", {1});
  write("plain_file", {1});

  struct Case {
    std::vector<std::string> args;
    std::string error;
  };
  const Case cases[] = {
      {{"list", "missing.cvd"}, "cvdtool: missing.cvd: cannot be opened"},
      {{"list", "no_nul.cvd"}, "cvdtool: no_nul.cvd: the name of entry 0 has no NUL within its 4 bytes"},
      {{"extract", "no_nul.cvd", "out"}, "no NUL"},
      {{"extract", "past.cvd", "out"}, "entry \"PAST\" (offset 41, size 50) runs past the end"},
      {{"extract", "bad_name.cvd", "plain_file"}, "plain_file: cannot create the folder"},
      {{"pack", "qd_data.cvd", std::string(56, 'n')}, "at most 55 fit"},
      {{"pack", "x.cvd", "😀.txt"}, "😀.txt: the name \"😀.txt\" cannot be written in Shift_JIS"},
      {{"pack", "x.cvd", "src/missing"}, "src/missing: cannot be read as a file"},
      {{"pack", "x.cvd", "src/b"}, "src/b: cannot be read as a file"},
      {{"pack", "x.cvd", "src/a", "src/b/a"}, "x.cvd: entry \"a\": the name occurs twice"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    Run r = cvdtool(c.args);
    EXPECT_EQ(r.exit, 1);
    EXPECT_THAT(r.err, HasSubstr(c.error));
  }
  // A refused pack leaves no archive behind; a partial extract still wrote the good entry.
  EXPECT_FALSE(fs::exists(path("x.cvd")));
  EXPECT_EQ(read("out/FIRST"), Bytes{1});
}

TEST_F(ArchiveTool, UsageErrorsExitWithTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"list"},
      {"list", "a.cvd", "b.cvd"},
      {"extract", "a.cvd"},
      {"pack", "a.cvd"},
      {"list", "--layout"},
      {"list", "--layout", "zip", "a.cvd"},
      {"list", "--layout=", "a.cvd"},
      {"extract", "--bogus", "a.cvd", "out"},
  };
  for (const auto& args : cases) {
    Run r = cvdtool(args);
    EXPECT_EQ(r.exit, 2) << (args.empty() ? "" : args[0]);
    EXPECT_THAT(r.err, HasSubstr("usage"));
  }
  // "--" lets a name that starts with "-" through.
  write("-odd.cvd", handArchive(false, 4, {{"A", {}}}));
  EXPECT_EQ(cvdtool({"list", "--", "-odd.cvd"}).out, "A\t20\t0\n");
}

}  // namespace
}  // namespace corvid
