// The memory file system behaves as the disk does for what the player's files need, and the
// settings store and the global data on it handle a full disk and folders without links.

#include <gtest/gtest.h>

#include "data/byte_writer.h"
#include "persist/file_system.h"
#include "persist/global_data.h"
#include "persist/temp_folder.h"
#include "script/variables.h"

namespace corvid {
namespace {

using Bytes = std::vector<uint8_t>;
const SettingsSection kTitle{"Software\\Maker", "GAME01"};

// One script of operations, run on the disk under a temporary folder and in memory under
// "/m": every result must agree.
std::vector<std::string> runOperations(FileSystem& fs, const std::string& root) {
  std::vector<std::string> log;
  auto note = [&](const std::string& what, bool ok) { log.push_back(what + (ok ? " ok" : " no")); };
  auto kindName = [&](const std::string& path) {
    PathKind k = fs.kind(root + path);
    return path + (k == PathKind::Missing ? " missing" : k == PathKind::File ? " file" : " other");
  };
  note("write into a missing folder", fs.writeFileAtomic(root + "/a/f", {1}));
  note("make a/b", fs.makeDirectories(root + "/a/b"));
  note("write a/f", fs.writeFileAtomic(root + "/a/f", {1, 2, 3}));
  note("write a/f again", fs.writeFileAtomic(root + "/a/f", {4, 5}));
  note("write over the folder a/b", fs.writeFileAtomic(root + "/a/b", {1}));
  note("make a folder through the file a/f", fs.makeDirectories(root + "/a/f/g"));
  log.push_back(kindName("/a") + " " + kindName("/a/f") + " " + kindName("/a/none"));
  log.push_back("size " + std::to_string(fs.fileSize(root + "/a/f").value_or(99)));
  log.push_back("size of a folder " + std::to_string(fs.fileSize(root + "/a/b").value_or(99)));
  note("read a/f as written", fs.readFile(root + "/a/f") == Bytes{4, 5});
  note("read a folder", fs.readFile(root + "/a/b").has_value());
  note("read nothing", fs.readFile(root + "/a/none").has_value());
  note("link a/f to a/g", fs.link(root + "/a/f", root + "/a/g") == LinkResult::Linked);
  note("link a/f to a/g again", fs.link(root + "/a/f", root + "/a/g") == LinkResult::Exists);
  note("link a/f onto the folder", fs.link(root + "/a/f", root + "/a/b") == LinkResult::Exists);
  note("link nothing", fs.link(root + "/a/none", root + "/a/h") == LinkResult::Failed);
  note("the link keeps the old bytes after a write",
       fs.writeFileAtomic(root + "/a/f", {6}) && fs.readFile(root + "/a/g") == Bytes{4, 5});
  return log;
}

TEST(FileSystem, MemoryAndDiskAgree) {
  TempFolder dir;
  MemoryFileSystem memory;
  memory.putFolder("/m");
  std::vector<std::string> disk = runOperations(realFileSystem(), dir.path());
  EXPECT_EQ(runOperations(memory, "/m"), disk);
  EXPECT_EQ(disk.front(), "write into a missing folder no");
  EXPECT_EQ(memory.writes, 3);
}

TEST(FileSystem, AFullDiskKeepsTheSettingsWrittenLaterAndTheOldFile) {
  MemoryFileSystem fs;
  const std::string path = "/cfg/settings.ini";
  fs.putFile(path, Bytes{'[', 'x', ']', '\n'});
  SettingsStore store(path, fs);
  fs.writesFail = true;
  EXPECT_FALSE(store.writeInt(kTitle, "Vol1", -5));
  EXPECT_EQ(store.readInt(kTitle, "Vol1", 0), -5);
  EXPECT_EQ(fs.files().at(path), (Bytes{'[', 'x', ']', '\n'}));
  std::vector<std::string> warnings = store.takeWarnings();
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find("No space left on device"), std::string::npos);

  fs.writesFail = false;
  EXPECT_TRUE(store.writeInt(kTitle, "Vol2", 1));
  std::string text(fs.files().at(path).begin(), fs.files().at(path).end());
  EXPECT_EQ(text, "[x]\n\n[Software\\Maker\\GAME01]\nVol1=-5\nVol2=1\n");
}

TEST(FileSystem, GlobalDataOnAFullDiskOrWithoutLinks) {
  struct Case {
    const char* what;
    bool writesFail, linksFail;
    bool save0Replaced, damagedKept;
  };
  const Case cases[] = {
      {"a full disk: nothing is written, a link still keeps the damage", true, false, false, true},
      {"a full disk without links: nothing is written or kept", true, true, false, false},
      {"no links: the damaged file is copied", false, true, true, true},
      {"links", false, false, true, true},
  };
  const Bytes damaged(100, 7);
  for (const Case& c : cases) {
    MemoryFileSystem fs;
    fs.putFile("/d/save0.dat", damaged);
    fs.putFile("/d/kaiso.dat", Bytes(GlobalData::kKaisoSize, 0));
    SettingsStore store("/d/settings.ini", fs);
    fs.writesFail = c.writesFail;
    fs.linksFail = c.linksFail;
    VariableSpaces vars;
    vars.E.set(3);
    GlobalData data("/d", store, kTitle, fs);
    data.startUp(vars, 0);

    const Bytes& save0 = fs.files().at("/d/save0.dat");
    EXPECT_EQ(save0 != damaged, c.save0Replaced) << c.what;
    EXPECT_EQ(save0.size(), c.save0Replaced ? GlobalData::kSave0Size : damaged.size()) << c.what;
    EXPECT_EQ(fs.files().count("/d/save0.dat.damaged") == 1, c.damagedKept) << c.what;
    if (c.damagedKept) {
      EXPECT_EQ(fs.files().at("/d/save0.dat.damaged"), damaged) << c.what;
    }
    EXPECT_TRUE(vars.E.get(3)) << c.what;
    std::vector<std::string> warnings = data.takeWarnings();
    EXPECT_FALSE(warnings.empty()) << c.what;
    if (c.writesFail) {
      EXPECT_EQ(fs.writes, 0) << c.what;
    }
  }
}

}  // namespace
}  // namespace corvid
