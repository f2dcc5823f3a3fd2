// Small titles played through the engine on the headless clock with timed clicks: the values
// the state holds afterwards for expressions, conditions, branches, calls and chains, the
// random sequence, message text with its tags, and the trace.

#include <sstream>

#include "script/random.h"
#include "title_fixture.h"

namespace corvid::testing {
namespace {

const std::vector<std::string> kConfig = {"TITLE:Scripts", "MAKER_REG:Software\\Corvid",
                                          "GAME_ID:STEST", "DEFAULT_NAME:悠人",
                                          "DEFAULT_NAME2:佐倉", "MOJI_MAX_X:40", "SPD_MAX:5"};

// The engine on the headless platform with its own settings file and data folder.
struct ScriptRun {
  TempDir settingsDir, dataDir;
  HeadlessPlatform platform;
  Engine engine;

  ScriptRun(const std::string& title, const std::string& events, uint32_t runMs = 20000)
      : platform(HeadlessOptions{parseEvents(events), runMs, {1024, 768}}),
        engine(platform, EngineOptions{title, true, 0, settingsDir.path() + "/settings.ini",
                                       dataDir.path(), "", ""}) {
    platform.setClient(&engine);
    engine.formCreate();
  }
  ~ScriptRun() { platform.setClient(nullptr); }
  void runUntil(uint32_t ms) {
    while (platform.windowOpen() && platform.millis() < ms) {
      platform.pumpEvents();
      if (!platform.windowOpen()) break;
      engine.appIdle();
    }
  }
  std::vector<std::string> log() const {
    std::vector<std::string> out;
    for (const std::string& line : engine.messageLog().finishedLines()) out.push_back(sjisToUtf8(line));
    return out;
  }
  int32_t V(int i) { return engine.vars().V[size_t(i)]; }
};

// A title of "main" and the other scripts given.
std::string writeTitle(TitleFixture& title, const std::vector<std::string>& main,
                       const std::map<std::string, std::vector<std::string>>& others = {}) {
  title.script("_config", kConfig).script("main", main);
  for (const auto& [name, lines] : others) title.script(name, lines);
  return title.write();
}

std::vector<int32_t> values(ScriptRun& run, std::initializer_list<int> indices) {
  std::vector<int32_t> out;
  for (int i : indices) out.push_back(run.V(i));
  return out;
}

TEST(ScriptRun, ExpressionsAndStatements) {
  TitleFixture title;
  const std::string dir = writeTitle(title, {
      "!V001=2+3*4",          // left to right: 20
      "!V002=-7/2",           // -3
      "!V003=-7%2",           // -1
      "!V004=10/0;V005=10%0",  // 0, 0
      "!V006=12_&10;V007=12_|3;V008=12_X10",  // 8, 15, 6
      "!V009=V001-25*2",      // -10
      "!v010 = v001 + 1",     // blanks and lower case are fine in a statement
      "!V011=5;V012=V011+1",  // statements run in order
      "!V013=2147483647+1",   // wraps
      "!V014=V001+x",         // an invalid byte: 0
      "!F010=2;F011=1;T0042=1;E005=1;G3=7;S026=0",
      "*calc P013=9",         // V[V13] = V[-2^31]: no such variable, nothing changes
      "*calc V015=G3*S008",   // S8 starts at 8
  });
  ScriptRun run(dir, "");
  run.runUntil(500);
  EXPECT_EQ(values(run, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}),
            (std::vector<int32_t>{20, -3, -1, 0, 0, 8, 15, 6, -10, 21, 5, 6, INT32_MIN, 0, 56}));
  EXPECT_FALSE(run.engine.vars().F.get(10));
  EXPECT_TRUE(run.engine.vars().F.get(11));
  EXPECT_TRUE(run.engine.vars().T.get(42));
  EXPECT_TRUE(run.engine.vars().E.get(5));
  EXPECT_EQ(run.engine.vars().G[3], 7);
}

TEST(ScriptRun, ConditionsAndIfTargets) {
  TitleFixture title;
  const std::string dir = writeTitle(title, {
      "!V001=1;V002=0;V003=0",
      "*if (V001=1|V002=1&V003=1) !V010=1",     // true as soon as V1 is 1
      "*if (V001>=1) *calc V011=1",
      "*if (V001>0 & V002!=0) !V012=1",          // false: the step ends here
      "*if (V001<=0) !V012=2",
      "*if (V002==0) GOT",
      "!V013=1",                                  // jumped over
      "text:GOT",                                 // a label in the middle of a line
      "*if (V001!1) !V014=1",
      "*if (V001=1) @calc V015=V001+1",
      "*if (V001) !V016=1",                       // no comparison: false
  });
  ScriptRun run(dir, "");
  run.runUntil(500);
  EXPECT_EQ(values(run, {10, 11, 12, 13, 14, 15, 16}),
            (std::vector<int32_t>{1, 1, 0, 0, 0, 2, 0}));
}

TEST(ScriptRun, ComputedBranches) {
  struct Case {
    std::string expression;
    int32_t taken;  // V1 after the construct: 10 + the case, or 99 when none ran
  };
  const Case cases[] = {{"0", 10}, {"1", 11}, {"2", 12}, {"3", 99}, {"V005", 12},
                        {"-1", 99}, {"", 11}};  // without an expression: S6 (set to 1 here)
  for (const Case& c : cases) {
    TitleFixture title;
    const std::string dir = writeTitle(title, {
        "!V001=99;V005=2;S006=1",
        c.expression.empty() ? "*cjmp" : "*cjmp " + c.expression,
        "{", "!V001=10", "{", "!V001=11", "{", "!V001=12", "}",
        "!V002=1",
    });
    ScriptRun run(dir, "");
    run.runUntil(300);
    EXPECT_EQ(run.V(1), c.taken) << c.expression;
    EXPECT_EQ(run.V(2), 1) << c.expression;
  }
}

TEST(ScriptRun, CallsNestNineDeepAndReturnWithClicks) {
  std::map<std::string, std::vector<std::string>> scripts;
  for (int level = 1; level <= 9; ++level) {
    const std::string n = std::to_string(level);
    scripts["level" + n] = {"!V" + std::string(level < 10 ? "00" : "0") + n + "=1", "深さ" + n + "\\",
                            level < 9 ? "*call level" + std::to_string(level + 1) : ";",
                            "戻り" + n + "\\", "*end", "!V100=1"};
  }
  TitleFixture title;
  const std::string dir = writeTitle(title, {"*call level1", "おわり\\"}, scripts);
  std::ostringstream events;
  for (int i = 1; i <= 18; ++i) events << i * 500 << " click 400 300\n";
  ScriptRun run(dir, events.str());
  run.runUntil(4400);  // eight clicks: on the page of level 9
  EXPECT_EQ(run.engine.interpreter().callDepth(), 9);
  EXPECT_EQ(sjisToUtf8(run.engine.interpreter().state().currentScriptName.view()), "level9");
  run.runUntil(10000);
  std::vector<std::string> expected;
  for (int level = 1; level <= 9; ++level) expected.push_back("深さ" + std::to_string(level));
  for (int level = 9; level >= 1; --level) expected.push_back("戻り" + std::to_string(level));
  expected.push_back("おわり");
  EXPECT_EQ(run.log(), expected);
  EXPECT_EQ(run.engine.interpreter().callDepth(), 0);
  EXPECT_EQ(run.engine.interpreter().loadedScriptName(), "main");
  EXPECT_EQ(values(run, {1, 5, 9, 100}), (std::vector<int32_t>{1, 1, 1, 0}));
}

TEST(ScriptRun, ChainWithALabel) {
  TitleFixture title;
  const std::string dir = writeTitle(
      title, {"*call sub", "!V009=1"},
      {{"sub", {"*chain second:PART2"}},
       {"second", {"!V001=1", ":PART2", "!V002=1", "*title 第二章"}}});
  ScriptRun run(dir, "");
  run.runUntil(500);
  EXPECT_EQ(values(run, {1, 2, 9}), (std::vector<int32_t>{0, 1, 0}));
  EXPECT_EQ(run.engine.interpreter().callDepth(), 0);
  EXPECT_EQ(run.engine.interpreter().loadedScriptName(), "second");
  EXPECT_EQ(sjisToUtf8(run.engine.interpreter().state().sceneTitle.view()), "第二章");
}

// Start-up draws nothing; every idle tick in play draws one value before its step, so a script
// whose first line draws three values sees the second to the fourth of the sequence.
TEST(ScriptRun, RandomSequenceForTheSeed) {
  TitleFixture title;
  const std::string dir = writeTitle(title, {"!V001=R100;V002=R100;V003=R32767"});
  ScriptRun run(dir, "");
  run.runUntil(300);
  RandomGenerator expected(0);
  expected.randomValue();
  const int32_t a = expected.randomValue() % 100, b = expected.randomValue() % 100,
                c = expected.randomValue() % 32767;
  EXPECT_EQ(values(run, {1, 2, 3}), (std::vector<int32_t>{a, b, c}));
}

TEST(ScriptRun, MessageTextWithItsTagsReachesTheLog) {
  TitleFixture title;
  const std::string dir = writeTitle(title, {
      "!V001=7",
      ">＄０",
      "「[$1]さん、[?V001*2]点[wait 3]です」\\",
      ">春香",
      "<はるか>春香%10です。[col 2]色[col 0]と[2]広い[1]文字◆〓そして[delay 0]速い。",
      "[cv V001]声と[gra A001,1]絵▼捨てる",
      "ここ▽捨てる",      // a new page at once; the rest of the line is dropped
      "次のページ",
      "",
      "最後",
      "+",
  });
  std::ostringstream events;
  for (int i = 1; i <= 4; ++i) events << i * 1500 << " click 400 300\n";
  ScriptRun run(dir, events.str());
  run.runUntil(1400);
  EXPECT_EQ(run.log(), (std::vector<std::string>{"悠人", "「佐倉さん、14点です」"}));
  EXPECT_EQ(run.engine.wait().waitKind, 1);
  run.runUntil(2900);
  EXPECT_EQ(run.engine.wait().waitKind, 2);  // "〓"
  run.runUntil(5900);
  EXPECT_EQ(run.engine.wait().waitKind, 5);  // "+"
  run.runUntil(8000);
  EXPECT_EQ(run.log(), (std::vector<std::string>{
                           "悠人", "「佐倉さん、14点です」", "春香",
                           "春香です。色と広い文字そして速い。", "声と絵", "ここ", "次のページ",
                           "最後", ""}));
  EXPECT_EQ(run.engine.wait().waitKind, 0);
}

TEST(ScriptRun, SleepEndsWithAClickAndSetsS19) {
  TitleFixture title;
  const std::string dir = writeTitle(title, {"*sleep 10", "!V001=1"});
  ScriptRun run(dir, "1000 click 10 10\n");
  run.runUntil(900);
  EXPECT_EQ(run.V(1), 0);
  EXPECT_EQ(run.engine.flags().sleepCountdown, -1);
  run.runUntil(1200);
  EXPECT_EQ(run.V(1), 1);
  EXPECT_EQ(run.engine.vars().S[19], 1);
}

TEST(ScriptRun, SkippingStartsEachPageByItself) {
  TitleFixture title;
  const std::string dir = writeTitle(title, {"一\\", "二\\", "三\\", "!V001=1"});
  ScriptRun run(dir, "");
  run.runUntil(100);
  run.engine.flags().skipLevel = 1;
  run.runUntil(400);
  EXPECT_EQ(run.log(), (std::vector<std::string>{"一", "二", "三"}));
  EXPECT_EQ(run.V(1), 1);
}

TEST(ScriptRun, GameClrCountsACompletedGame) {
  TitleFixture title;
  const std::string dir = writeTitle(title, {"*gameclr", "*gameclr"});
  ScriptRun run(dir, "");
  run.runUntil(300);
  EXPECT_EQ(run.engine.vars().S[100], 2);
  EXPECT_TRUE(run.engine.vars().E.get(999));
}

// The program: the state file's script fields and the trace of executed lines and errors.
TEST(ScriptRun, StateFileAndTrace) {
  TitleFixture title;
  const std::string dir = writeTitle(title, {
      "*title はじめ",
      "*nosuch command",
      "*call sub",
      "!V001=V002+",
      "こんにちは\\",
  }, {{"sub", {"*go NOWHERE", "!V002=5"}}});
  TempDir out, runtime, data;
  const std::string input = out.path() + "/input.txt";
  const std::string state = out.path() + "/state.json";
  const std::string trace = out.path() + "/trace.txt";
  std::ofstream(input) << "2000 state " << state << "\n2100 quit\n";
  ASSERT_EQ(runCorvid({"--headless", "--input", input, "--trace", trace, "--data-dir", data.path(),
                       dir},
                      runtime.path())
                .exitCode,
            0);
  const std::string json = readText(state);
  for (const char* field : {"\"script\":\"main\"", "\"line\":4", "\"waitKind\":1",
                            "\"log\":[\"こんにちは\"]", "\"callDepth\":0", "\"title\":\"はじめ\""})
    EXPECT_NE(json.find(field), std::string::npos) << field << " in " << json.substr(0, 120);
  EXPECT_NE(json.find("\"V\":[0,5,"), std::string::npos);
  EXPECT_EQ(readText(trace),
            "main:1: *title はじめ\n"
            "main:2: *nosuch command\n"
            "main:2: ignored: unknown command: *nosuch command\n"
            "main:3: *call sub\n"
            "sub:1: *go NOWHERE\n"
            "sub:1: ignored: label not found: NOWHERE\n"
            "sub:2: !V002=5\n"
            "main:4: !V001=V002+\n"
            "main:5: こんにちは\\\n");
}

// The bundled demo: variables, a condition, a call into "garden" and a chain to "evening".
TEST(ScriptRun, DemoTitlePlaysThroughItsScripts) {
  TempDir out, runtime, data;
  const std::string input = out.path() + "/input.txt";
  const std::string state = out.path() + "/state.json";
  // Six pages, the first choice bar (the pond), a page, the pond on the garden's map, a page.
  std::ofstream(input) << "1500 click 400 300\n3000 click 400 300\n4500 click 400 300\n"
                       << "6000 click 400 300\n7500 click 400 300\n9000 click 400 300\n"
                       << "10500 click 400 220\n12000 click 400 300\n13500 click 200 410\n"
                       << "15000 click 400 300\n16500 state " << state << "\n";
  ASSERT_EQ(runCorvid({"--headless", "--input", input, "--run-ms", "17000", "--data-dir",
                       data.path(), std::string(CORVID_BIN_DIR) + "/demo"},
                      runtime.path())
                .exitCode,
            0);
  const std::string json = readText(state);
  for (const char* field : {"\"script\":\"evening\"", "\"callDepth\":0", "\"title\":\"春の庭\"",
                            "\"V\":[0,3,0,1,1,", "\"春の庭へようこそ。\",\"佐倉\"",
                            "\"花びらが一枚、肩に落ちる。\",\"花を一本植えた。\"",
                            "\"池では鯉がゆったりと泳いでいた。\"",
                            "\"夕暮れの庭に風が吹く。\""})
    EXPECT_NE(json.find(field), std::string::npos) << field;
}

}  // namespace
}  // namespace corvid::testing
