// A writer killed at any moment leaves every file old or new, never broken: a child process
// writes the settings file and the global data in a loop and is killed with SIGKILL at random
// moments; after each kill the files must read back whole.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <random>

#include "data/byte_reader.h"
#include "persist/global_data.h"
#include "persist/settings_text.h"
#include "persist/temp_folder.h"
#include "script/variables.h"

namespace corvid {
namespace {

const SettingsSection kTitle{"Software\\Maker", "GAME01"};
const SettingsSection kOther{"Software\\Other", "X"};

// A value large enough that writing it takes a while: the number i repeated.
std::string blob(int i) {
  std::string one = std::to_string(i) + ",";
  std::string out;
  while (out.size() < 16384) out += one;
  return out;
}

[[noreturn]] void writeUntilKilled(const std::string& dir) {
  SettingsStore store(dir + "/settings.ini");
  VariableSpaces vars;
  GlobalData data(dir, store, kTitle);
  data.loadKaisoData();
  for (int i = 1;; ++i) {
    store.writeText(kTitle, "Blob", blob(i));
    vars.E.set(i % 1024);
    vars.G[0] = i;
    data.recordSlots[0].scenes[0] = i;
    data.syncGlobalData(SyncDirection::Save, vars);
  }
}

// The Blob index the settings file holds, or -1 when the file is not whole.
int checkSettings(const std::string& path) {
  auto bytes = readWholeFile(path);
  if (!bytes) return -1;
  std::vector<SettingsIssue> issues;
  SettingsDocument doc =
      SettingsDocument::parse(std::string(bytes->begin(), bytes->end()), &issues);
  auto keep = doc.find(settingsSectionName(kOther), "Keep");
  auto value = doc.find(settingsSectionName(kTitle), "Blob");
  if (!issues.empty() || !keep || keep->value != "kept" || !value) return -1;
  auto index = parseSettingInt(value->value.substr(0, value->value.find(',')));
  return index && value->value == blob(*index) ? *index : -1;
}

bool save0IsWhole(const std::string& path) {
  auto bytes = readWholeFile(path);
  if (!bytes || bytes->size() != GlobalData::kSave0Size) return false;
  ByteReader r(*bytes);
  auto blocks = r.take(GlobalData::kBlockBytes);
  return globalDataChecksum(blocks) == r.u32();
}

TEST(CrashSafety, AWriterKilledAtAnyMomentLeavesEveryFileOldOrNew) {
  TempFolder dir;
  {
    SettingsStore store(dir.file("settings.ini"));
    store.writeText(kOther, "Keep", "kept");
    store.writeText(kTitle, "Blob", blob(0));
    VariableSpaces vars;
    GlobalData(dir.path(), store, kTitle).startUp(vars, 0);
  }
  std::mt19937 random(20240601);
  int highest = 0;
  for (int round = 0; round < 25; ++round) {
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) writeUntilKilled(dir.path());
    // One pass of the loop takes some tens of milliseconds (every write is flushed to disk).
    ::usleep(useconds_t(1000 + random() % 150000));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself";

    int index = checkSettings(dir.file("settings.ini"));
    ASSERT_GE(index, 0) << "settings file broken after round " << round;
    highest = std::max(highest, index);
    ASSERT_TRUE(save0IsWhole(dir.file("save0.dat"))) << "save0.dat broken after round " << round;
    ASSERT_EQ(fileSize(dir.file("kaiso.dat")), GlobalData::kKaisoSize) << round;
  }
  EXPECT_GT(highest, 1) << "the writer never got to write: the test proved nothing";
}

}  // namespace
}  // namespace corvid
