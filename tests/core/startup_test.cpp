#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "title_fixture.h"

namespace corvid::testing {
namespace {

const std::vector<std::string> kConfig = {
    "; comment", "TITLE:春の庭", "DEFAULT_NAME:悠人", "DEFAULT_NAME2:佐倉", "DEFAULT_NAME3:ユウ",
};

TEST(Startup, CaptionStartValuesAndNamesAfterStartUp) {
  TitleFixture title;
  title.script("_config", kConfig).script("main", {"テスト\\"});
  HeadlessRun run(title.write(), "");
  run.runUntil(100);

  EXPECT_EQ(run.platform.caption(), "春の庭");
  const auto& S = run.engine.vars().S;
  std::vector<int> starts = {S[0], S[5], S[8], S[20], S[21], S[27], S[32], S[33], S[37], S[6], S[31]};
  EXPECT_EQ(starts, (std::vector<int>{3, 0, 8, 250, 550, 5, 520, 30, 0xFFFFFF, 0, 0}));
  EXPECT_EQ(sjisToUtf8(run.engine.vars().strings[0]), "悠人");
  EXPECT_EQ(sjisToUtf8(run.engine.vars().strings[2]), "ユウ");
  EXPECT_TRUE(run.engine.configError().empty());
  EXPECT_TRUE(run.platform.messageBoxes().empty());

  const std::string json = run.engine.stateJson();
  EXPECT_NE(json.find("\"caption\":\"春の庭\""), std::string::npos);
  EXPECT_NE(json.find("\"S\":[3,0,0,0,0,0,0,0,8,"), std::string::npos);
  EXPECT_NE(json.find("\"configError\":null"), std::string::npos);
}

TEST(Startup, WindowCentredOrBorderlessOnASmallScreen) {
  TitleFixture title;
  title.script("_config", kConfig);
  title.write();
  struct Case {
    ScreenSize screen;
    int mode, x, y;
  };
  for (Case c : {Case{{1024, 768}, 0, 108, 82}, Case{{600, 480}, 2, 0, 0}, Case{{601, 800}, 0, -103, 98}}) {
    TempDir settingsDir;
    HeadlessPlatform platform(HeadlessOptions{{}, 1000, c.screen});
    Engine engine(platform, testOptions(title.dir(), settingsDir));
    platform.setClient(&engine);
    engine.formCreate();
    EXPECT_EQ(platform.screenMode(), c.mode) << c.screen.width;
    EXPECT_EQ(platform.windowX(), c.x) << c.screen.width;
    EXPECT_EQ(platform.windowY(), c.y) << c.screen.width;
  }
}

TEST(Startup, ConfigErrorStopsReadingAndIsReported) {
  TitleFixture title;
  title.script("_config", {"TITLE:First", "TXW_OFS_X:12,99", "TITLE:Second"});
  HeadlessRun run(title.write(), "");
  EXPECT_EQ(run.platform.caption(), "First");
  EXPECT_EQ(run.engine.configError(), "TXW_OFS_X:12,99");
  EXPECT_NE(run.engine.stateJson().find("\"configError\":\"TXW_OFS_X:12,99\""), std::string::npos);
  EXPECT_FALSE(run.engine.startupFailed());
}

TEST(Startup, MissingArchivesShowTheErrorAndCloseWithoutTheQuitQuestion) {
  struct Case {
    const char* what;
    bool data;
    bool pictures;
  };
  for (Case c : {Case{"no qd_data.cvd", false, true}, Case{"no qd_gra.cvd", true, false},
                 Case{"neither", false, false}}) {
    SCOPED_TRACE(c.what);
    TitleFixture title;
    if (c.data) title.script("_config", kConfig);
    else title.entry("qd_gra2.cvd", "X", {1});  // something, so the folder is not empty
    if (!c.pictures) title.withoutPictures();
    HeadlessRun run(title.write(), "");
    run.run();
    EXPECT_TRUE(run.engine.startupFailed());
    EXPECT_EQ(run.platform.messageBoxes(), std::vector<std::string>{"ゲームデータを読み込めません。"});
    EXPECT_FALSE(run.platform.windowOpen());
    EXPECT_LT(run.platform.millis(), 100u);  // closed on the first idle ticks
  }
}

TEST(Startup, QuitAsksTheQuestionAndCloses) {
  TitleFixture title;
  title.script("_config", kConfig);
  HeadlessRun run(title.write(), "500 quit\n");
  run.run();
  EXPECT_EQ(run.platform.messageBoxes(), std::vector<std::string>{"ゲームを終了しますか？"});
  EXPECT_FALSE(run.platform.windowOpen());
  EXPECT_GE(run.platform.millis(), 500u);
  EXPECT_LT(run.platform.millis(), 600u);
}

TEST(Startup, CloseDuringAnEffectIsRecordedNotAsked) {
  TitleFixture title;
  title.script("_config", kConfig);
  HeadlessRun run(title.write(), "");
  run.runUntil(100);
  run.engine.flags().effectRunning = true;
  run.platform.requestClose();
  EXPECT_TRUE(run.platform.windowOpen());
  EXPECT_EQ(run.engine.flags().effectRequest, 2);
  EXPECT_TRUE(run.platform.messageBoxes().empty());

  run.engine.flags().effectRunning = false;
  run.engine.flags().busyCount = 1;  // a blocking step refuses closing without asking
  run.platform.requestClose();
  EXPECT_TRUE(run.platform.windowOpen());
  EXPECT_TRUE(run.platform.messageBoxes().empty());
}

// The idle tick lasts at least 20 ms; with auto-advance on it lasts 4 * S26 + 15 ms instead
// (so speed 1 gives 19 ms).
TEST(Clocks, IdleTickPacing) {
  TitleFixture title;
  title.script("_config", kConfig);
  HeadlessRun run(title.write(), "");
  run.runUntil(100);
  struct Case {
    int autoSpeed;
    uint32_t tickMs;
  };
  for (Case c : {Case{0, 20}, Case{5, 35}, Case{1, 19}, Case{20, 95}}) {
    run.engine.vars().S[26] = c.autoSpeed;
    const uint32_t before = run.platform.millis();
    run.engine.appIdle();
    EXPECT_EQ(run.platform.millis() - before, c.tickMs) << "S26 = " << c.autoSpeed;
  }
}

TEST(Clocks, TimerTicksEvery55msAndCountsDownWaits) {
  TitleFixture title;
  title.script("_config", kConfig);
  HeadlessRun run(title.write(), "");
  run.runUntil(1101);  // ticks at 55, 110, ..., 1100
  EXPECT_EQ(run.engine.flags().timerTickCount, 1100 / 55);
  run.engine.wait().waitTicks = 3;
  const int before = run.engine.flags().timerTickCount;
  while (run.engine.wait().waitTicks > 0 && run.platform.millis() < 5000) run.runUntil(run.platform.millis() + 1);
  EXPECT_EQ(run.engine.flags().timerTickCount - before, 3);
}

TEST(Clocks, AutoAdvanceEndsAClickWait) {
  TitleFixture title;
  title.script("_config", kConfig);
  HeadlessRun run(title.write(), "");
  run.runUntil(100);
  run.engine.vars().S[26] = 5;
  run.engine.wait().waitKind = 2;
  run.engine.wait().autoCountdown = 2;
  run.runUntil(100 + 2 * 55 + 20);
  EXPECT_EQ(run.engine.wait().waitKind, 0);
  EXPECT_EQ(run.engine.wait().autoCountdown, 0);
}

TEST(Clocks, SkipDropsAPendingClickWait) {
  TitleFixture title;
  title.script("_config", kConfig);
  HeadlessRun run(title.write(), "");
  run.runUntil(100);
  run.engine.wait().waitKind = 1;
  run.engine.flags().skipLevel = 1;
  run.engine.appIdle();
  EXPECT_EQ(run.engine.wait().waitKind, 0);
}

TEST(Program, ExitCodesAndTheSingleInstance) {
  TitleFixture title;
  title.script("_config", kConfig);
  const std::string dir = title.write();
  TempDir runtime;

  TempDir bad;
  EXPECT_EQ(runCorvid({"--headless", bad.path()}, runtime.path()).exitCode, 3);
  ProgramResult missing = runCorvid({"--headless", bad.path()}, runtime.path());
  EXPECT_NE(missing.stderrText.find("ゲームデータを読み込めません。"), std::string::npos);
  EXPECT_EQ(runCorvid({"--headless", "--run-ms", "x"}, runtime.path()).exitCode, 2);
  EXPECT_EQ(runCorvid({"--headless", "--bogus"}, runtime.path()).exitCode, 2);
  EXPECT_EQ(runCorvid({"--headless", "--run-ms", "1000", dir}, runtime.path()).exitCode, 0);

  // A first instance that runs for long; the second exits at once with 1.
  pid_t first = ::fork();
  ASSERT_GE(first, 0);
  if (first == 0) {
    ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    std::string bin = std::string(CORVID_BIN_DIR) + "/corvid";
    ::execl(bin.c_str(), bin.c_str(), "--headless", "--run-ms", "4000000000", dir.c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  const std::string lockPath = runtime.path() + "/CORVIDENGINE.lock";
  for (int i = 0; i < 200 && !std::filesystem::exists(lockPath); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(runCorvid({"--headless", dir}, runtime.path()).exitCode, 1);
  ::kill(first, SIGKILL);
  ::waitpid(first, nullptr, 0);
  // The lock went with the process that held it.
  EXPECT_EQ(runCorvid({"--headless", "--run-ms", "100", dir}, runtime.path()).exitCode, 0);
}

TEST(Program, StateAndShotEventsWriteFiles) {
  TitleFixture title;
  title.script("_config", kConfig);
  const std::string dir = title.write();
  TempDir out, runtime;
  const std::string input = out.path() + "/input.txt";
  std::ofstream(input) << "# a comment\n100 state " << out.path() << "/s.json\n"
                       << "120 shot " << out.path() << "/s.png  # trailing comment\n200 quit\n";
  EXPECT_EQ(runCorvid({"--headless", "--input", input, dir}, runtime.path()).exitCode, 0);
  const std::string json = readText(out.path() + "/s.json");
  EXPECT_NE(json.find("\"caption\":\"春の庭\""), std::string::npos);
  EXPECT_NE(json.find("\"strings\":[\"悠人\",\"佐倉\",\"ユウ\""), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(out.path() + "/s.png"));

  std::ofstream(input) << "100 click 1\n";
  ProgramResult bad = runCorvid({"--headless", "--input", input, dir}, runtime.path());
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_NE(bad.stderrText.find("line 1"), std::string::npos);
}

}  // namespace
}  // namespace corvid::testing
