// Script images and loading: line reads that stop at the image's size, the load with its
// search order and name rule (through real data archives), what a main load does, refusals.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "data/archive.h"
#include "data/archive_writer.h"
#include "interpreter_rig.h"

namespace corvid {
namespace {

using testing::InterpreterRig;
using testing::scriptBytes;

std::vector<std::string> readAllAuxLines(const ScriptImage& image) {
  std::vector<std::string> lines;
  for (int32_t pos = 0; pos < image.size();) lines.emplace_back(readAuxLine(image, pos));
  return lines;
}

TEST(ScriptImage, ReadsEachLineOnceAndStopsAtItsSize) {
  struct Case {
    std::vector<uint8_t> bytes;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {scriptBytes({"a", "", "bc"}), {"a", "", "bc"}},
      {{}, {}},
      {{0}, {""}},
      {{'a', 0, 'b', 'c'}, {"a", "bc"}},  // a last line without its NUL ends at the size
  };
  for (const Case& c : cases) {
    ScriptImage image;
    image.allocate();
    ASSERT_TRUE(image.assign(c.bytes));
    EXPECT_EQ(readAllAuxLines(image), c.lines);
  }
}

TEST(ScriptImage, RefusesMoreThanItsBuffer) {
  ScriptImage image;
  image.allocate();
  ASSERT_TRUE(image.assign(scriptBytes({"keep"})));
  const std::vector<uint8_t> big(size_t(kScriptImageBytes) + 1, 'x');
  EXPECT_FALSE(image.assign(big));
  EXPECT_EQ(readAllAuxLines(image), std::vector<std::string>{"keep"});
  EXPECT_TRUE(image.assign(std::vector<uint8_t>(size_t(kScriptImageBytes), 0)));
}

TEST(ScriptImage, LineIndexAndSearches) {
  ScriptImage image;
  image.allocate();
  image.assign(scriptBytes({"*go X", "{", "}:Name", "}", ":x"}));
  EXPECT_EQ(image.lineIndexAt(0), 0);
  EXPECT_EQ(image.lineIndexAt(6), 1);
  EXPECT_EQ(image.lineIndexAt(9), 2);
  EXPECT_EQ(image.lineIndexAt(3), 0);  // going back counts again
  EXPECT_EQ(image.nextLineStartingWith(0, '}'), 8);
  EXPECT_EQ(image.nextLineStartingWith(9, '}'), 15);
  EXPECT_EQ(image.nextLineStartingWith(0, '!'), -1);
  EXPECT_EQ(image.findMarkedName(0, "}:", "NAME"), 8);
  EXPECT_EQ(image.findMarkedName(0, ":", "X"), 17);  // "*go X" has no ":"
  EXPECT_EQ(image.findMarkedName(0, ":", "Nam"), -1);  // the whole rest of the line
}

// A title folder with both data archives, written through the archive writer.
class DataArchives : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("corvid-script-loading-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  void write(const std::string& file, const std::vector<ArchiveSource>& sources) {
    std::string error;
    ASSERT_TRUE(writeArchiveFile((dir_ / file).string(), ArchiveLayout::Data, sources, error))
        << error;
  }
  std::filesystem::path dir_;
};

TEST_F(DataArchives, MainLoadFollowsTheSearchOrderAndKeepsTheGivenName) {
  write("qd_data.cvd", {{"MAIN", scriptBytes({"from qd_data"})},
                        {"ONLY1", scriptBytes({"one"})}});
  write("qd_data2.cvd", {{"MAIN", scriptBytes({"from qd_data2"})}});
  Archives archives;
  ASSERT_TRUE(archives.openDataArchives(dir_.string()).empty());
  ArchiveScriptSource source(archives);

  ScriptImages images;
  images.allocate();
  ScriptLoadResult r = images.load("Main", ScriptTarget::Main, source, nullptr);
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(images.loadedScriptName.view(), "Main");
  EXPECT_EQ(readAllAuxLines(images.main), std::vector<std::string>{"from qd_data2"});

  ASSERT_TRUE(images.load("only1", ScriptTarget::Aux, source, nullptr).ok());
  EXPECT_EQ(readAllAuxLines(images.aux), std::vector<std::string>{"one"});
  EXPECT_EQ(images.loadedScriptName.view(), "Main");  // an auxiliary load names nothing
  EXPECT_EQ(images.load("none", ScriptTarget::Main, source, nullptr).status,
            ScriptLoadStatus::NotFound);
}

TEST(ScriptLoading, MainLoadStartsTheScript) {
  InterpreterRig rig;
  rig.scripts.add("main", {"!V001=1", "text"});
  rig.vars.S[10] = 99;
  ASSERT_TRUE(rig.interpreter.loadScript("main", ScriptTarget::Main));
  EXPECT_TRUE(rig.scriptRunning);
  EXPECT_EQ(rig.vars.S[10], 0);
  EXPECT_EQ(rig.host.events, (std::vector<std::string>{"gallery main", "recollection MAIN"}));
  rig.interpreter.step();
  EXPECT_EQ(rig.vars.V[1], 1);
  EXPECT_EQ(rig.lineBuffer(), "text");
}

TEST(ScriptLoading, UnknownNameLeavesThePlayButDropsTheInsertion) {
  InterpreterRig rig;
  rig.vars.setString(0, testing::sjis("ゆう"));
  rig.config.mojiMaxX = 40;
  rig.start({"＄０の家", "next"});
  rig.interpreter.step();  // the insertion begins: "ゆ" shown
  ASSERT_TRUE(rig.interpreter.state().insertionPending());
  const int32_t position = rig.interpreter.images().main.position;
  rig.host.events.clear();

  EXPECT_FALSE(rig.interpreter.loadScript("missing", ScriptTarget::Main));
  EXPECT_EQ(rig.host.events, std::vector<std::string>{"gallery missing"});
  EXPECT_FALSE(rig.interpreter.state().insertionPending());
  EXPECT_EQ(rig.interpreter.images().main.position, position);
  EXPECT_EQ(rig.interpreter.loadedScriptName(), "main");
  rig.run();
  EXPECT_EQ(rig.logLines(), (std::vector<std::string>{"ゆの家", "next"}));
}

TEST(ScriptLoading, RefusedEntriesLeaveTheImage) {
  InterpreterRig rig;
  rig.start({"keep"});
  rig.scripts.entries["BIG"] = std::vector<uint8_t>(size_t(kScriptImageBytes) + 1, 0);
  rig.scripts.add("a_name_of_thirty_bytes_long_xx", {"x"});
  EXPECT_FALSE(rig.interpreter.loadScript("big", ScriptTarget::Main));
  EXPECT_FALSE(rig.interpreter.loadScript("a_name_of_thirty_bytes_long_xx", ScriptTarget::Main));
  EXPECT_TRUE(rig.interpreter.loadScript("a_name_of_thirty_bytes_long_xx", ScriptTarget::Aux));
  EXPECT_EQ(rig.interpreter.loadedScriptName(), "main");
  rig.run();
  EXPECT_EQ(rig.logLines(), std::vector<std::string>{"keep"});
}

TEST(ScriptLoading, EmptyScriptEndsAtOnce) {
  InterpreterRig rig;
  rig.scripts.entries["MAIN"] = {};
  rig.interpreter.startMain();
  rig.interpreter.step();
  EXPECT_TRUE(rig.scriptRunning);
  EXPECT_EQ(rig.line(), 0);
}

}  // namespace
}  // namespace corvid
