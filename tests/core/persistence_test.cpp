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

namespace corvid::testing {
namespace {

// Scripts set flags and global variables and count a completed game; the settings file holds
// the values under their names, and the next run (another program run) reads them back.
TEST(Persistence, ScriptValuesReachTheSettingsFileAndTheNextRun) {
  TitleFixture title;
  title.script("_config", kConfig)
      .script("main", {"!E005=1", "!G3=7", "!F010=1", "@gameclr", "終わり\\"});
  const std::string dir = title.write();
  Paths paths;
  TempDir out, runtime;
  const std::string input = out.path() + "/input.txt";
  std::ofstream(input) << "500 state " << out.path() << "/first.json\n600 quit\n";
  const std::vector<std::string> args = {"--headless", "--settings", paths.settings(),
                                         "--data-dir", paths.dataDir.path(), "--input", input, dir};
  ASSERT_EQ(runCorvid(args, runtime.path()).exitCode, 0);
  const std::string settings = readText(paths.settings());
  EXPECT_NE(settings.find("[Software\\Corvid\\PTEST]"), std::string::npos) << settings;
  EXPECT_NE(settings.find("GV03=7"), std::string::npos) << settings;
  EXPECT_NE(settings.find("[Software\\Vesperel\\tarn]"), std::string::npos) << settings;
  EXPECT_NE(settings.find("Clear=1"), std::string::npos) << settings;
  const std::string first = readText(out.path() + "/first.json");
  EXPECT_NE(first.find("\"E\":[5,999]"), std::string::npos) << first.substr(0, 200);

  // The second run starts with an empty script: only what persists is there.
  TitleFixture second;
  second.script("_config", kConfig).script("main", {"二回目\\"});
  std::ofstream(input) << "500 state " << out.path() << "/second.json\n600 quit\n";
  std::vector<std::string> args2 = args;
  args2.back() = second.write();
  ASSERT_EQ(runCorvid(args2, runtime.path()).exitCode, 0);
  const std::string next = readText(out.path() + "/second.json");
  EXPECT_NE(next.find("\"E\":[5,999]"), std::string::npos);
  EXPECT_NE(next.find("\"F\":[]"), std::string::npos);  // game flags do not carry over
  EXPECT_NE(next.find("\"G\":[0,0,0,7,"), std::string::npos);
  EXPECT_NE(next.find("\"globalDataPath\":\"" + paths.dataDir.path() + "\""), std::string::npos);
}

}  // namespace
}  // namespace corvid::testing
