#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <random>

#include "data/byte_reader.h"
#include "data/byte_writer.h"
#include "persist/global_data.h"
#include "persist/persist_paths.h"
#include "persist/temp_folder.h"
#include "script/variables.h"

namespace corvid {
namespace {

using Bytes = std::vector<uint8_t>;
const SettingsSection kTitle{"Software\\Maker", "GAME01"};

template <size_t N>
std::vector<int> setBits(const FlagSpace<N>& flags) {
  std::vector<int> out;
  for (int n = 0; n < int(N); ++n)
    if (flags.get(n)) out.push_back(n);
  return out;
}

void setBit(Bytes& block, size_t at, int n) { block[at + size_t(n) / 8] |= uint8_t(1u << (n % 8)); }

// The four blocks of "save0.dat", laid out by hand.
Bytes handMadeBlocks() {
  Bytes b(11136, 0);
  setBit(b, 0, 5);        // E5
  setBit(b, 0, 999);      // E999
  setBit(b, 128, 0);      // gallery picture 0
  setBit(b, 128, 3999);   // gallery picture 3999, the last
  b[128 + 500] = 0x81;    // spare bytes of the picture block, which no gallery bit holds
  b[128 + 508] = 42;      // display counter 42
  setBit(b, 640, 1999);   // scene 1999, the last
  setBit(b, 896, 0);      // read mark 0
  setBit(b, 896, 80000);  // read mark 80000, the last
  setBit(b, 896, 80001);  // beyond the marks: kept as the file has it
  b[896 + 10239] = 0x80;
  return b;
}

Bytes save0File(const Bytes& blocks) {
  ByteWriter w;
  w.bytes(blocks);
  w.u32(globalDataChecksum(blocks));
  return w.take();
}

bool isValidSave0(const std::string& path) {
  auto bytes = readWholeFile(path);
  if (!bytes || bytes->size() != 11140) return false;
  ByteReader r(*bytes);
  auto blocks = r.take(11136);
  return globalDataChecksum(blocks) == r.u32();
}

void writeBytes(const std::string& path, const Bytes& bytes) { writeFileAtomic(path, bytes); }

TEST(GlobalData, TheChecksumIsTheCommonCrc32StartedFrom1234) {
  const std::string check = "123456789";
  std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(check.data()), check.size());
  EXPECT_EQ(globalDataChecksum(bytes, 0xFFFFFFFFu) ^ 0xFFFFFFFFu, 0xCBF43926u);
  EXPECT_EQ(globalDataChecksum({}), 1234u);
  EXPECT_EQ(globalDataChecksum(bytes.subspan(4), globalDataChecksum(bytes.first(4))),
            globalDataChecksum(bytes));
}

TEST(GlobalData, TheChecksumMatchesTheBitByBitCrcAtEveryLengthAndStart) {
  auto bitByBit = [](std::span<const uint8_t> bytes, uint32_t crc) {
    for (uint8_t b : bytes) {
      crc ^= b;
      for (int k = 0; k < 8; ++k) crc = crc & 1 ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    return crc;
  };
  Bytes data(100);
  std::mt19937 random(3);
  for (uint8_t& b : data) b = uint8_t(random());
  for (size_t start = 0; start < 9; ++start)
    for (size_t n = 0; start + n <= data.size(); n += 7)
      ASSERT_EQ(globalDataChecksum(std::span(data).subspan(start, n)),
                bitByBit(std::span(data).subspan(start, n), 1234))
          << start << " " << n;
}

TEST(GlobalData, ReadsFilesWrittenFromTheLayout) {
  TempFolder dir;
  const Bytes save0 = save0File(handMadeBlocks());
  writeBytes(dir.file("save0.dat"), save0);

  ByteWriter kaiso;
  std::array<RecordSlot, 10> slots{};
  slots[0].scenes[0] = 5, slots[0].scenes[1] = 7;
  for (int i = 0; i < 50; ++i) slots[9].scenes[size_t(i)] = 100 + i;
  for (const RecordSlot& s : slots)
    for (int32_t scene : s.scenes) kaiso.i32(scene);
  slots[0].name = "My list";
  slots[1].name = "\x8E\x52\x93\x63";
  for (int i = 0; i < 10; ++i) {
    if (i == 3) {
      kaiso.bytes(std::string(64, 'A').data(), 64);  // no NUL: the first 63 bytes are the name
      slots[3].name = std::string(63, 'A');
    } else {
      kaiso.nulTerminatedField(slots[size_t(i)].name, 64);
    }
  }
  Bytes kaisoBytes = kaiso.take();
  ASSERT_EQ(kaisoBytes.size(), 2640u);
  writeBytes(dir.file("kaiso.dat"), kaisoBytes);

  SettingsStore store(dir.file("settings.ini"));
  VariableSpaces vars;
  vars.G = {1, 2, 3, 4, 5, 6, 7, 8, 9, -10};
  GlobalData data(dir.path(), store, kTitle);
  data.startUp(vars, 2);

  EXPECT_EQ(setBits(vars.E), (std::vector<int>{5, 999}));
  EXPECT_EQ(setBits(vars.galleryBits), (std::vector<int>{0, 3999}));
  EXPECT_EQ(setBits(vars.recollectionBits), (std::vector<int>{1999}));
  EXPECT_EQ(setBits(vars.readMarks), (std::vector<int>{0, 80000}));
  EXPECT_EQ(data.displayCounter, 42);
  EXPECT_EQ(data.completedGames, 2);
  EXPECT_EQ(data.recordSlots, slots);
  EXPECT_TRUE(data.takeWarnings().empty());

  // Written back byte for byte, spare bits and all; the cut name now has its NUL.
  EXPECT_EQ(readWholeFile(dir.file("save0.dat")), save0);
  kaisoBytes[2000 + 3 * 64 + 63] = 0;
  EXPECT_EQ(readWholeFile(dir.file("kaiso.dat")), kaisoBytes);
  EXPECT_EQ(readText(dir.file("settings.ini")),
            "[Software\\Maker\\GAME01]\nGV00=1\nGV01=2\nGV02=3\nGV03=4\nGV04=5\nGV05=6\n"
            "GV06=7\nGV07=8\nGV08=9\nGV09=-10\n");
}

TEST(GlobalData, MissingFilesAreCreatedEmpty) {
  TempFolder dir;
  SettingsStore store(dir.file("settings.ini"));
  VariableSpaces vars;
  GlobalData data(dir.file("new/folder"), store, kTitle);
  data.startUp(vars, 0);
  EXPECT_EQ(readWholeFile(dir.file("new/folder/kaiso.dat")), Bytes(2640, 0));
  EXPECT_EQ(readWholeFile(dir.file("new/folder/save0.dat")), save0File(Bytes(11136, 0)));
  EXPECT_TRUE(data.takeWarnings().empty());
}

TEST(GlobalData, ADamagedSave0IsKeptAsideAndStartsOver) {
  const Bytes good = save0File(handMadeBlocks());
  Bytes flipped = good;
  flipped[100] ^= 0x10;
  Bytes garbage(11140);
  std::mt19937 random(7);
  for (uint8_t& b : garbage) b = uint8_t(random());
  struct Case {
    const char* what;
    Bytes file;
  };
  const Case cases[] = {
      {"truncated", Bytes(good.begin(), good.end() - 1)},
      {"one byte longer", [&] { Bytes b = good; b.push_back(0); return b; }()},
      {"one byte changed", flipped},
      {"garbage", garbage},
      {"empty", {}},
      {"blocks without checksum", Bytes(11136, 0)},
  };
  for (const Case& c : cases) {
    TempFolder dir;
    writeBytes(dir.file("save0.dat"), c.file);
    SettingsStore store(dir.file("settings.ini"));
    VariableSpaces vars;
    vars.E.set(7);
    vars.galleryBits.set(3);
    vars.readMarks.set(12);
    GlobalData data(dir.path(), store, kTitle);
    data.syncGlobalData(SyncDirection::Save, vars);

    EXPECT_EQ(setBits(vars.E), (std::vector<int>{7})) << c.what;  // the file's flags dropped
    EXPECT_EQ(setBits(vars.galleryBits), (std::vector<int>{3})) << c.what;
    EXPECT_EQ(setBits(vars.readMarks), (std::vector<int>{})) << c.what;  // cleared
    EXPECT_TRUE(isValidSave0(dir.file("save0.dat"))) << c.what;
    EXPECT_EQ(readWholeFile(dir.file("save0.dat.damaged")), c.file) << c.what;
    auto warnings = data.takeWarnings();
    ASSERT_EQ(warnings.size(), 1u) << c.what;
    EXPECT_NE(warnings[0].find("kept as " + dir.file("save0.dat.damaged")), std::string::npos);
  }
}

TEST(GlobalData, EveryNewDamageIsKeptOnceUnderItsOwnNumber) {
  TempFolder dir;
  SettingsStore store(dir.file("settings.ini"));
  VariableSpaces vars;
  GlobalData data(dir.path(), store, kTitle);
  const Bytes first(10, 1), second(20, 2);
  for (const Bytes& damage : {first, second, first}) {
    writeBytes(dir.file("save0.dat"), damage);
    data.syncGlobalData(SyncDirection::Save, vars);
    EXPECT_TRUE(isValidSave0(dir.file("save0.dat")));
  }
  EXPECT_EQ(readWholeFile(dir.file("save0.dat.damaged")), first);
  EXPECT_EQ(readWholeFile(dir.file("save0.dat.damaged.2")), second);
  EXPECT_FALSE(fileExists(dir.file("save0.dat.damaged.3")));
}

TEST(GlobalData, FilesThatCannotBeKeptAreLeftAsTheyAre) {
  TempFolder dir;
  for (const char* name : {"save0.dat", "kaiso.dat"}) {
    ::mkdir(dir.file(name).c_str(), 0755);  // neither readable nor linkable as a file
    writeText(dir.file(name) + "/inside", "evidence");
  }
  SettingsStore store(dir.file("settings.ini"));
  VariableSpaces vars;
  vars.E.set(1);
  GlobalData data(dir.path(), store, kTitle);
  data.startUp(vars, 0);
  data.syncGlobalData(SyncDirection::Save, vars);
  EXPECT_EQ(readText(dir.file("save0.dat/inside")), "evidence");
  EXPECT_EQ(readText(dir.file("kaiso.dat/inside")), "evidence");
  EXPECT_EQ(setBits(vars.E), (std::vector<int>{1}));
  EXPECT_EQ(data.takeWarnings().size(), 2u);  // each reported once
  EXPECT_EQ(store.readInt(kTitle, "GV00", -1), 0);  // the rest of the synchronisation goes on
}

TEST(GlobalData, AKaisoOfTheWrongSizeIsKeptAsideAndStartsEmpty) {
  TempFolder dir;
  const Bytes shortFile(2639, 0x11);
  writeBytes(dir.file("kaiso.dat"), shortFile);
  SettingsStore store(dir.file("settings.ini"));
  GlobalData data(dir.path(), store, kTitle);
  data.loadKaisoData();
  EXPECT_EQ(data.recordSlots, (std::array<RecordSlot, 10>{}));
  EXPECT_EQ(readWholeFile(dir.file("kaiso.dat.damaged")), shortFile);
  EXPECT_EQ(readWholeFile(dir.file("kaiso.dat")), Bytes(2640, 0));
}

TEST(GlobalData, PlaylistsAreNotWrittenOverBeforeTheyAreRead) {
  TempFolder dir;
  const Bytes playlists(2640, 3);
  writeBytes(dir.file("kaiso.dat"), playlists);
  SettingsStore store(dir.file("settings.ini"));
  VariableSpaces vars;
  GlobalData data(dir.path(), store, kTitle);
  data.syncGlobalData(SyncDirection::Save, vars);
  EXPECT_EQ(readWholeFile(dir.file("kaiso.dat")), playlists);
  data.loadKaisoData();
  data.recordSlots[2].name = "Mine";
  data.syncGlobalData(SyncDirection::Save, vars);
  Bytes expected = playlists;
  std::fill(expected.begin() + 2000 + 2 * 64, expected.begin() + 2000 + 3 * 64, 0);
  std::copy_n("Mine", 4, expected.begin() + 2000 + 2 * 64);
  for (int i = 0; i < 10; ++i) expected[size_t(2000 + i * 64 + 63)] = 0;  // names without NUL cut
  EXPECT_EQ(readWholeFile(dir.file("kaiso.dat")), expected);
}

TEST(GlobalData, DeletingSave0WhileRunningClearsOnlyTheReadMarks) {
  TempFolder dir;
  writeBytes(dir.file("save0.dat"), save0File(handMadeBlocks()));
  SettingsStore store(dir.file("settings.ini"));
  VariableSpaces vars;
  GlobalData data(dir.path(), store, kTitle);
  data.startUp(vars, 0);
  std::filesystem::remove(dir.file("save0.dat"));
  data.syncGlobalData(SyncDirection::Save, vars);

  EXPECT_EQ(setBits(vars.readMarks), (std::vector<int>{}));
  EXPECT_EQ(setBits(vars.E), (std::vector<int>{5, 999}));
  EXPECT_EQ(setBits(vars.galleryBits), (std::vector<int>{0, 3999}));
  Bytes expected = handMadeBlocks();
  std::fill(expected.begin() + 896, expected.end(), 0);
  EXPECT_EQ(readWholeFile(dir.file("save0.dat")), save0File(expected));
  EXPECT_FALSE(fileExists(dir.file("save0.dat.damaged")));  // missing is not damaged
}

TEST(GlobalData, TwoRunsKeepTheUnionOfTheirFlags) {
  TempFolder dir;
  SettingsStore storeA(dir.file("settings.ini")), storeB(dir.file("settings.ini"));
  VariableSpaces a, b;
  GlobalData runA(dir.path(), storeA, kTitle), runB(dir.path(), storeB, kTitle);
  runA.startUp(a, 0);
  runB.startUp(b, 0);
  a.E.set(1), a.readMarks.set(10), a.recollectionBits.set(4);
  runA.syncGlobalData(SyncDirection::Save, a);
  b.E.set(2), b.readMarks.set(20), b.galleryBits.set(8);
  runB.syncGlobalData(SyncDirection::Save, b);
  runA.syncGlobalData(SyncDirection::Save, a);

  for (VariableSpaces* vars : {&a, &b}) {
    EXPECT_EQ(setBits(vars->E), (std::vector<int>{1, 2}));
    EXPECT_EQ(setBits(vars->readMarks), (std::vector<int>{10, 20}));
    EXPECT_EQ(setBits(vars->galleryBits), (std::vector<int>{8}));
    EXPECT_EQ(setBits(vars->recollectionBits), (std::vector<int>{4}));
  }
  EXPECT_TRUE(isValidSave0(dir.file("save0.dat")));
}

TEST(GlobalData, TheDisplayCounterTakesTheFileOnlyAtStartUp) {
  TempFolder dir;
  writeBytes(dir.file("save0.dat"), save0File(handMadeBlocks()));  // counter 42
  SettingsStore store(dir.file("settings.ini"));
  VariableSpaces vars;
  GlobalData data(dir.path(), store, kTitle);
  data.startUp(vars, 0);
  EXPECT_EQ(data.displayCounter, 42);

  Bytes other = handMadeBlocks();
  other[128 + 508] = 99;  // another run wrote its own count meanwhile
  writeBytes(dir.file("save0.dat"), save0File(other));
  data.displayCounter = 7;
  data.syncGlobalData(SyncDirection::Save, vars);
  EXPECT_EQ(data.displayCounter, 7);
  Bytes written = *readWholeFile(dir.file("save0.dat"));
  ByteReader r(written);
  r.seek(128 + 508);
  EXPECT_EQ(r.i32(), 7);
}

TEST(GlobalData, GameclrCountsCompletedGames) {
  struct Case {
    const char* what;
    SettingsSection title;
    std::string before;  // the settings file
    int32_t fixedAfter, titleAfter;
  };
  const Case cases[] = {
      {"the title uses the fixed section", {"Software\\Vesperel", "tarn"}, "", 2, 2},
      {"another section", kTitle,
       "[Software\\Vesperel\\tarn]\nClear=5\n[Software\\Maker\\GAME01]\nClear=1\n", 7, 3},
  };
  for (const Case& c : cases) {
    TempFolder dir;
    writeText(dir.file("settings.ini"), c.before);
    SettingsStore store(dir.file("settings.ini"));
    VariableSpaces vars;
    GlobalData data(dir.path(), store, c.title);
    data.startUp(vars, store.readInt(c.title, "Clear", 0));
    data.gameclr(vars);
    EXPECT_EQ(data.gameclr(vars), c.titleAfter) << c.what;

    EXPECT_EQ(store.readInt(kCompletedGamesSection, "Clear", 0), c.fixedAfter) << c.what;
    EXPECT_EQ(store.readInt(c.title, "Clear", 0), c.titleAfter) << c.what;
    EXPECT_EQ(vars.S[100], c.titleAfter) << c.what;
    EXPECT_EQ(data.completedGames, c.titleAfter) << c.what;
    EXPECT_EQ(setBits(vars.E), (std::vector<int>{999})) << c.what;
    VariableSpaces fresh;  // and E999 is in the file
    GlobalData(dir.path(), store, c.title).syncGlobalData(SyncDirection::Load, fresh);
    EXPECT_TRUE(fresh.E.get(999)) << c.what;
  }
}

TEST(PersistPaths, DataFolderAndSettingsFile) {
  TempFolder dir;
  std::string titleDir = dir.file("title");
  ::mkdir(titleDir.c_str(), 0755);
  const char* home = std::getenv("HOME");
  std::string oldHome = home ? home : "";
  ::setenv("XDG_DATA_HOME", dir.file("data").c_str(), 1);
  ::setenv("HOME", dir.path().c_str(), 1);
  struct Case {
    std::string option, title, gameId, chosen;
  };
  const Case cases[] = {
      {"/given", titleDir, "G", "/given"},
      {"", titleDir, "G", titleDir},
      {"", dir.file("missing"), "GAME01", dir.file("data/corvid/GAME01")},
      {"", titleDir + "/../title/x", "\x8E\x52\x93\x63", dir.file("data/corvid/山田")},
      {"", "", "a/b", dir.file("data/corvid/a_b")},
      {"", "", "..", dir.file("data/corvid/_")},
  };
  for (const Case& c : cases) EXPECT_EQ(chooseDataDir(c.option, c.title, c.gameId), c.chosen);

  ::setenv("XDG_DATA_HOME", "relative", 1);  // not absolute: ignored
  EXPECT_EQ(chooseDataDir("", "", "G"), dir.file(".local/share/corvid/G"));
  ::setenv("XDG_CONFIG_HOME", dir.file("cfg").c_str(), 1);
  EXPECT_EQ(defaultSettingsPath(), dir.file("cfg/corvid/settings.ini"));
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(defaultSettingsPath(), dir.file(".config/corvid/settings.ini"));
  ::unsetenv("XDG_DATA_HOME");
  ::setenv("HOME", oldHome.c_str(), 1);
}

}  // namespace
}  // namespace corvid
