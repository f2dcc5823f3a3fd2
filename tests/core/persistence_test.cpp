#include "title_fixture.h"

namespace corvid::testing {
namespace {

const std::vector<std::string> kConfig = {
    "TITLE:Persist", "MAKER_REG:Software\\Corvid", "GAME_ID:PTEST", "DEFAULT_NAME:悠人",
    "VOLUME1:-500",
};

struct Paths {
  TempDir settingsDir, dataDir;
  std::string settings() const { return settingsDir.path() + "/settings.ini"; }
};


EngineOptions options(const std::string& title, const Paths& paths) {
  EngineOptions o;
  o.titleDir = title;
  o.seedGiven = true;
  o.settingsPath = paths.settings();
  o.dataDir = paths.dataDir.path();
  return o;
}

// Runs the engine on the title with the given settings file and data folder.
struct PersistRun {
  HeadlessPlatform platform;
  Engine engine;
  PersistRun(const std::string& title, const Paths& paths)
      : platform(HeadlessOptions{{}, 2000, {1024, 768}}),
        engine(platform, options(title, paths)) {
    platform.setClient(&engine);
    engine.formCreate();
  }
  ~PersistRun() { platform.setClient(nullptr); }
  void finish() {
    runMessageLoop(platform, engine);
    engine.formDestroy();
  }
};

TEST(Persistence, SettingsAndGlobalDataCarryToTheNextRun) {
  TitleFixture title;
  title.script("_config", kConfig);
  const std::string dir = title.write();
  Paths paths;
  {
    PersistRun first(dir, paths);
    EXPECT_EQ(first.engine.settings().volSlider[0], -500);  // the configured default
    EXPECT_EQ(first.engine.globalData()->dataDir(), paths.dataDir.path());
    first.engine.vars().E.set(7);
    first.engine.vars().G[3] = 42;
    first.engine.vars().readMarks.set(1234);
    EXPECT_TRUE(first.engine.writePlayerSetting(TextSetting::PlayerName, utf8ToSjis("美咲")));
    first.finish();
  }
  EXPECT_TRUE(std::filesystem::exists(paths.dataDir.path() + "/save0.dat"));
  EXPECT_TRUE(std::filesystem::exists(paths.dataDir.path() + "/kaiso.dat"));

  // Another run writes its own flag in between; the merge keeps both.
  {
    PersistRun other(dir, paths);
    other.engine.vars().E.set(9);
    other.finish();
  }
  PersistRun next(dir, paths);
  EXPECT_TRUE(next.engine.vars().E.get(7));
  EXPECT_TRUE(next.engine.vars().E.get(9));
  EXPECT_EQ(next.engine.vars().G[3], 42);
  EXPECT_TRUE(next.engine.vars().readMarks.get(1234));
  EXPECT_EQ(sjisToUtf8(next.engine.vars().strings[0]), "美咲");
  EXPECT_EQ(next.engine.vars().S[6], 1);  // a name differs from its default

  const std::string json = next.engine.stateJson();
  EXPECT_NE(json.find("\"Software\\\\Corvid\\\\PTEST\":{"), std::string::npos) << json.substr(json.find("\"settings\""), 300);
  EXPECT_NE(json.find("\"PlayerName\":\"美咲\""), std::string::npos);
  EXPECT_NE(json.find("\"globalDataPath\":\"" + paths.dataDir.path() + "\""), std::string::npos);
}

TEST(Persistence, ADamagedGlobalDataFileIsKeptBesideItsNewCopy) {
  TitleFixture title;
  title.script("_config", kConfig);
  const std::string dir = title.write();
  Paths paths;
  std::ofstream(paths.dataDir.path() + "/save0.dat") << "not a global data file";
  PersistRun run(dir, paths);
  run.finish();
  EXPECT_EQ(readText(paths.dataDir.path() + "/save0.dat.damaged"), "not a global data file");
  EXPECT_EQ(std::filesystem::file_size(paths.dataDir.path() + "/save0.dat"), GlobalData::kSave0Size);
}

}  // namespace
}  // namespace corvid::testing
