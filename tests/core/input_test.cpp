// Input on the headless engine: clicks, the wheel, keys (down, up, press) and menu picks
// against small titles, and the state after each: the wait, skipping, auto-advance, the
// special click states, the play mode, the menus with their locking, the popup menu and the
// cover screen. Then the speed indicator's hit test as a table, the Up and Down keys on a
// window-mode choice, and a recorded session played back.

#include <fstream>

#include "core/menus.h"
#include "data/bmp_file.h"
#include "title_fixture.h"

namespace corvid::testing {
namespace {

const std::vector<std::string> kConfig = {
    "TITLE:Input", "MAKER_REG:Software\\Corvid", "GAME_ID:ITEST", "MOJI_MAX_X:40", "SPD_MAX:5",
    "TXW_OFS_X:20", "TXW_OFS_Y:430", "SPD_TW:1", "SPD_OFS_X:600", "SPD_OFS_Y:10", "SPD_DIR:1",
    "SPD_DOT_OFS_X:10", "SPD_DOT_SIZE:8"};

// Pages that wait for a click each.
const std::vector<std::string> kPages = {
    "!S028=1;S000=0", "一ページ目。\\", "二ページ目。\\", "三ページ目。\\", "四ページ目。\\",
    "五ページ目。\\", "六ページ目。\\", "七ページ目。\\", "八ページ目。\\", ":END", "終わり。\\", "*go END"};

// The engine on the headless clock with player settings of its own and a trace.
struct InputRun {
  TempDir settingsDir, dataDir;
  HeadlessPlatform platform;
  Engine engine;

  static EngineOptions options(const std::string& title, const TempDir& settingsDir,
                               const TempDir& dataDir, const std::string& settings,
                               const std::string& record) {
    std::ofstream(settingsDir.path() + "/settings.ini")
        << "[Software\\Corvid\\ITEST]\n" << settings;
    EngineOptions o = testOptions(title, settingsDir);
    o.dataDir = dataDir.path();
    o.traceFile = settingsDir.path() + "/trace.txt";
    o.recordFile = record;
    return o;
  }
  InputRun(const std::string& title, const std::string& events, const std::string& settings = "",
           const std::string& record = "")
      : platform(HeadlessOptions{parseEvents(events), 60000, {1024, 768}}),
        engine(platform, options(title, settingsDir, dataDir, settings, record)) {
    platform.setClient(&engine);
    engine.formCreate();
  }
  ~InputRun() { platform.setClient(nullptr); }
  void runUntil(uint32_t ms) {
    while (platform.windowOpen() && platform.millis() < ms) {
      platform.pumpEvents();
      if (!platform.windowOpen()) break;
      engine.appIdle();
    }
  }
  int32_t S(int i) { return engine.vars().S[size_t(i)]; }
  int pages() const { return int(engine.messageLog().finishedLines().size()); }
  std::string trace() const { return readText(settingsDir.path() + "/trace.txt"); }
  bool enabled(const std::string& id) const { return engine.input().menus().find(id)->enabled; }
};

std::string writeTitle(TitleFixture& title, const std::vector<std::string>& main = kPages) {
  return title.script("_config", kConfig).script("main", main).write();
}

// ---- Clicks and the wheel ----------------------------------------------------------------------

TEST(Input, ClickShowsThePageAtOnceThenEndsTheWait) {
  TitleFixture title;
  const std::string dir = writeTitle(title, {"!S028=1", "長い一行目の文章がゆっくり流れていく。\\",
                                             "二ページ目。\\"});
  InputRun run(dir, "200 click 10 10\n1000 click 10 10\n");
  run.runUntil(260);
  EXPECT_EQ(run.engine.wait().waitKind, 1) << "the rest of the page appeared at once";
  run.runUntil(990);
  EXPECT_EQ(run.pages(), 1);
  run.runUntil(1030);
  EXPECT_EQ(run.engine.wait().waitKind, 0) << "the second click ended the wait";
  run.runUntil(1400);
  EXPECT_EQ(run.pages(), 2);
}

TEST(Input, WheelDownEndsTheWaitAndWheelUpOpensHistoryOrBacklog) {
  TitleFixture title;
  const std::string dir = writeTitle(title);
  {
    InputRun run(dir, "500 wheel -1\n900 wheel 1\n");
    run.runUntil(800);
    EXPECT_EQ(run.pages(), 2);
    run.runUntil(1000);
    EXPECT_NE(run.trace().find("input open the page history: not carried out yet"), std::string::npos)
        << run.trace();
  }
  InputRun run(dir, "900 wheel 1\n", "WHEEL_MODE=1\n");
  run.runUntil(1000);
  EXPECT_NE(run.trace().find("input open the backlog"), std::string::npos);
  EXPECT_EQ(run.pages(), 1);
  EXPECT_EQ(run.engine.wait().waitKind, 1);
}

TEST(Input, ClickEndsSleepAndSetsS19) {
  TitleFixture title;
  const std::string dir = writeTitle(title, {"!S019=0", "*sleep 0", "!V001=1", "*go END", ":END", "終わり。\\", "*go END"});
  InputRun run(dir, "400 rclick 10 10\n");
  run.runUntil(390);
  EXPECT_EQ(run.engine.flags().sleepCountdown, -1);
  EXPECT_EQ(run.engine.vars().V[1], 0);
  run.runUntil(500);
  EXPECT_EQ(run.engine.flags().sleepCountdown, 0);
  EXPECT_EQ(run.S(19), 1);
  EXPECT_EQ(run.engine.vars().V[1], 1);
  EXPECT_FALSE(run.engine.input().popupOpen()) << "the click only ended the sleep";
}

TEST(Input, SpecialClickStates) {
  TitleFixture title;
  {  // 56: the click ends the sleep, unlocks the menus, and S56 goes back to 0; no wait ends.
    const std::string dir = writeTitle(title, {"!S028=1;S056=56", "一ページ目。\\", "*sleep 0", "*go END", ":END", "終わり。\\", "*go END"});
    InputRun run(dir, "400 rclick 10 10\n500 click 10 10\n");
    run.runUntil(450);
    EXPECT_EQ(run.S(56), 56) << "a right click does nothing";
    EXPECT_FALSE(run.engine.input().popupOpen());
    run.runUntil(600);
    EXPECT_EQ(run.S(56), 0);
    EXPECT_EQ(run.engine.wait().waitKind, 1) << "the page wait is still there";
  }
  {  // 57: any button jumps to the label in $8.
    TitleFixture t57;
    const std::string dir = writeTitle(t57, {"*string 8 THERE", "!S056=57", "一ページ目。\\",
                                             ":THERE", "!V002=7", "*go END", ":END", "終わり。\\", "*go END"});
    // The page wait stays; the click after it goes on from the label.
    InputRun run(dir, "400 mclick 10 10\n600 click 10 10\n");
    run.runUntil(500);
    EXPECT_EQ(run.S(56), 0);
    EXPECT_EQ(run.engine.wait().waitKind, 1);
    run.runUntil(700);
    EXPECT_EQ(run.engine.vars().V[2], 7);
  }
  TitleFixture t66;  // 66: every click is taken so, and S56 stays.
  const std::string dir = writeTitle(t66, {"!S028=1;S056=66", "一ページ目。\\", "二ページ目。\\"});
  InputRun run(dir, "400 click 10 10\n500 click 10 10\n");
  run.runUntil(600);
  EXPECT_EQ(run.S(56), 66);
  EXPECT_EQ(run.pages(), 1);
  EXPECT_EQ(run.engine.wait().waitKind, 1);
}

TEST(Input, LettersAndKeysActAsTheirMenusWhereS0AllowsIt) {
  TitleFixture title;
  const std::string dir = writeTitle(title);
  struct Case {
    const char* key;
    const char* traced;  // empty: nothing traced
    int32_t s0;
  };
  const Case cases[] = {
      {"BackSpace", "open the backlog", 0}, {"l", "open the load screen", 1},
      {"L", "open the load screen", 0},     {"l", "", 2},
      {"s", "open the save screen", 0},     {"s", "", 1},
      {"q", "quick save", 0},               {"q", "", 1},
      {"c", "open the settings screen", 3}, {"v", "", 3},  // the voice replays: nothing to come
      {"Left", "open the page history", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.key << " S0=" << c.s0);
    InputRun run(dir, std::string("400 key ") + c.key + "\n");
    run.runUntil(390);
    run.engine.vars().S[0] = c.s0;
    run.runUntil(450);
    const std::string trace = run.trace();
    const bool traced = trace.find(std::string("input ") + c.traced) != std::string::npos;
    if (*c.traced) EXPECT_TRUE(traced) << trace;
    else EXPECT_EQ(trace.find(": input "), std::string::npos) << trace;
  }
  InputRun run(dir, "400 key z\n500 key X\n");
  run.runUntil(450);
  EXPECT_EQ(run.engine.wait().waitKind, 0) << "z clicks";
  run.runUntil(550);
  EXPECT_TRUE(run.engine.input().popupOpen()) << "X right-clicks";
}

TEST(Input, AClickDuringABlockingEffectOnlyAsksItToFinish) {
  TitleFixture title;
  const std::string dir = writeTitle(title);
  InputRun run(dir, "");
  run.runUntil(400);
  run.engine.flags().effectRunning = true;
  InputEvent click;
  click.type = InputEvent::Type::MouseDown;
  run.engine.onInput(click);
  EXPECT_EQ(run.engine.flags().effectRequest, 1);
  EXPECT_EQ(run.engine.wait().waitKind, 1);
  InputEvent key;
  key.type = InputEvent::Type::KeyDown;
  key.key = Key::Space;
  run.engine.onInput(key);
  EXPECT_EQ(run.S(26), 0) << "keys wait for the effect";
  run.engine.flags().effectRunning = false;
  run.engine.flags().busyCount = 1;
  InputEvent wheel;
  wheel.type = InputEvent::Type::Wheel;
  wheel.wheel = -1;
  run.engine.onInput(wheel);
  EXPECT_EQ(run.engine.wait().waitKind, 1) << "the wheel waits while the engine is busy";
  run.engine.flags().busyCount = 0;
}

// ---- Skipping and auto-advance ------------------------------------------------------------------

TEST(Input, ControlHeldSkipsAndShiftDoesWithCsSwap) {
  TitleFixture title;
  const std::string dir = writeTitle(title);
  struct Case {
    const char* settings;
    const char* key;
  };
  for (const Case& c : {Case{"", "Control"}, Case{"CS_SWAP=1\n", "Shift"}}) {
    SCOPED_TRACE(c.key);
    const std::string k = c.key;
    InputRun run(dir, "400 keydown " + k + "\n700 keyup " + k + "\n", c.settings);
    run.runUntil(500);
    EXPECT_EQ(run.engine.flags().skipLevel, 1);
    EXPECT_EQ(run.S(60), 2);
    EXPECT_EQ(run.S(26), 0);
    run.runUntil(690);
    const int skipped = run.pages();
    EXPECT_GE(skipped, 3) << "pages flip by themselves";
    run.runUntil(900);
    EXPECT_EQ(run.engine.flags().skipLevel, 0);
    EXPECT_EQ(run.S(60), 0);
    EXPECT_LE(run.pages(), skipped + 1) << "skipping stopped with the release";
  }
}

TEST(Input, ClickStopsSkippingFromThePopupMenu) {
  TitleFixture title;
  const std::string dir = writeTitle(title);
  InputRun run(dir, "400 rclick 100 100\n450 menu SM02\n600 click 10 10\n");
  run.runUntil(440);
  EXPECT_TRUE(run.engine.input().popupOpen());
  EXPECT_TRUE(run.platform.popupShown());
  EXPECT_EQ(run.platform.popupX(), 100);
  run.runUntil(500);
  EXPECT_FALSE(run.engine.input().popupOpen()) << "a pick closes the popup";
  EXPECT_EQ(run.engine.flags().skipLevel, 1);
  run.runUntil(700);
  EXPECT_EQ(run.engine.flags().skipLevel, 0);
  EXPECT_EQ(run.S(60), 0);
}

TEST(Input, SpaceTogglesAutoAdvanceAndKeepsTheSpeed) {
  TitleFixture title;
  const std::string dir = writeTitle(title);
  InputRun run(dir, "300 key Space\n400 key Space\n500 keydown Shift\n550 keyup Shift\n"
                    "600 keydown Shift\n");
  run.runUntil(350);
  EXPECT_EQ(run.S(26), 5) << "S27 starts at 5";
  EXPECT_EQ(run.S(61), 2);
  run.runUntil(450);
  EXPECT_EQ(run.S(26), 0);
  EXPECT_EQ(run.S(27), 5);
  EXPECT_EQ(run.S(61), 0);
  run.runUntil(560);
  EXPECT_EQ(run.S(26), 5) << "Shift switches it on again";
  run.runUntil(650);
  EXPECT_EQ(run.S(26), 0);
}

TEST(Input, AutoAdvanceEndsPagesWithoutClicks) {
  TitleFixture title;
  const std::string dir = writeTitle(title);
  InputRun run(dir, "100 menu SM01\n");
  run.runUntil(5000);
  EXPECT_EQ(run.S(26), 5);
  EXPECT_GE(run.pages(), 2);
}

// ---- The right-click actions -------------------------------------------------------------------

TEST(Input, RightClickActionsByRcMode) {
  TitleFixture title;
  const std::string dir = writeTitle(title);
  struct Case {
    int rcMode;
    int32_t skipLevel, s26;
    PlayMode mode;
    bool popup, locked;
  };
  const Case cases[] = {
      {0, 0, 0, PlayMode::Play, true, false},
      {1, 0, 0, PlayMode::WindowHidden, false, true},
      {2, 1, 0, PlayMode::Play, false, false},
      {3, 0, 5, PlayMode::Play, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rcMode);
    InputRun run(dir, "400 rclick 50 60\n", "RC_MODE=" + std::to_string(c.rcMode) + "\n");
    run.runUntil(450);
    EXPECT_EQ(run.engine.flags().skipLevel, c.skipLevel);
    EXPECT_EQ(run.S(26), c.s26);
    EXPECT_EQ(run.engine.playMode(), c.mode);
    EXPECT_EQ(run.engine.input().popupOpen(), c.popup);
    EXPECT_EQ(run.engine.input().menus().locked(), c.locked);
  }
}

TEST(Input, RightClickTwiceOpensAndClosesThePopup) {
  TitleFixture title;
  const std::string dir = writeTitle(title);
  InputRun run(dir, "400 rclick 50 60\n450 rclick 50 60\n500 key Tab\n550 key Escape\n");
  run.runUntil(420);
  EXPECT_TRUE(run.engine.input().popupOpen());
  run.runUntil(470);
  EXPECT_FALSE(run.engine.input().popupOpen());
  EXPECT_FALSE(run.platform.popupShown());
  run.runUntil(520);
  EXPECT_TRUE(run.engine.input().popupOpen()) << "Tab is the right-click action";
  run.runUntil(570);
  EXPECT_FALSE(run.engine.input().popupOpen()) << "Escape closes it";
  EXPECT_EQ(run.engine.wait().waitKind, 1) << "no click wait ended";
}

TEST(Input, HidingTheWindowShowsTheStageUntilTheNextClickOrW) {
  TitleFixture title;
  const std::string dir =
      writeTitle(title, {"!S028=0", "一ページ目。\\", "!S028=1", "二ページ目。\\"});
  InputRun run(dir, "400 key w\n600 click 1 1\n700 key w\n800 key w\n900 menu SM04\n1000 click 5 5\n");
  run.runUntil(450);
  EXPECT_EQ(run.engine.playMode(), PlayMode::Play) << "S28 = 0: the window is not hidden";
  run.runUntil(750);
  EXPECT_EQ(run.engine.playMode(), PlayMode::WindowHidden);
  EXPECT_TRUE(run.engine.input().menus().locked());
  EXPECT_FALSE(run.enabled("bar:終了"));
  run.runUntil(850);
  EXPECT_EQ(run.engine.playMode(), PlayMode::Play) << "W again";
  EXPECT_FALSE(run.engine.input().menus().locked());
  EXPECT_TRUE(run.enabled("bar:終了"));
  run.runUntil(950);
  EXPECT_EQ(run.engine.playMode(), PlayMode::WindowHidden) << "the popup's ウィンドウ消去";
  run.runUntil(1050);
  EXPECT_EQ(run.engine.playMode(), PlayMode::Play);
  run.runUntil(1400);
  EXPECT_EQ(run.pages(), 2);
}

TEST(Input, CoverScreenWithPanicBmp) {
  TitleFixture title;
  const std::string dir = writeTitle(title);
  Surface picture(40, 30);
  picture.fill(0x0000FF);  // red
  const std::vector<uint8_t> bmp = encodeBmp(picture);
  std::ofstream(dir + "/panic.bmp", std::ios::binary)
      .write(reinterpret_cast<const char*>(bmp.data()), std::streamsize(bmp.size()));
  InputRun run(dir, "400 rclick 10 10\n450 key Space\n500 click 10 10\n", "RC_MODE=4\n");
  run.runUntil(420);
  EXPECT_TRUE(run.engine.input().coverShown());
  EXPECT_EQ(run.engine.flags().busyCount, 1);
  EXPECT_TRUE(run.engine.input().menus().locked());
  const uint8_t* p = run.platform.display().at(799, 599);
  EXPECT_EQ((std::vector<uint8_t>{p[0], p[1], p[2]}), (std::vector<uint8_t>{0, 0, 255}))
      << "the picture fills the 800x600 frame";
  EXPECT_TRUE(run.engine.sound().muted());
  run.runUntil(470);
  EXPECT_EQ(run.S(26), 0) << "keys are ignored while covered";
  run.runUntil(520);
  EXPECT_FALSE(run.engine.input().coverShown());
  EXPECT_EQ(run.engine.flags().busyCount, 0);
  EXPECT_FALSE(run.engine.input().menus().locked());
  EXPECT_FALSE(run.engine.sound().muted());
  p = run.platform.display().at(799, 599);
  EXPECT_EQ(p[2], 0) << "the screen is back";
  EXPECT_EQ(run.engine.wait().waitKind, 1) << "the click only took the cover away";
}

TEST(Input, CoverScreenWithoutAReadablePictureChangesNothing) {
  for (const bool present : {false, true}) {
    SCOPED_TRACE(present);
    TitleFixture title;
    const std::string dir = writeTitle(title);
    if (present) std::ofstream(dir + "/panic.bmp") << "not a bitmap";
    InputRun run(dir, "400 rclick 10 10\n", "RC_MODE=4\n");
    ::testing::internal::CaptureStderr();
    run.runUntil(450);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(run.engine.input().coverShown());
    EXPECT_EQ(run.engine.flags().busyCount, 0);
    EXPECT_FALSE(run.engine.input().menus().locked());
    EXPECT_FALSE(run.engine.sound().muted()) << "nothing was muted";
    EXPECT_NE(err.find("panic.bmp"), std::string::npos) << err;
  }
}

// ---- Menus -------------------------------------------------------------------------------------

TEST(Menus, UpdateMenusByS0AndS28AndTheLock) {
  struct Case {
    int32_t s0, s28;
    bool locked;
    bool barLoad, barSave, quickLoad, quickSave, fsLoad, fsSave, barSettings, log;
  };
  const Case cases[] = {
      {0, 1, false, true, true, true, true, true, true, true, true},
      {1, 1, false, true, false, true, false, true, false, true, true},
      {2, 1, false, false, false, false, false, false, false, true, true},
      {3, 1, false, false, false, false, false, false, false, true, true},
      {0, 0, false, true, false, true, false, true, false, true, true},
      {0, 1, true, false, false, false, false, false, false, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "S0=" << c.s0 << " S28=" << c.s28 << " locked=" << c.locked);
    Menus menus;
    menus.setLocked(c.locked);
    menus.updateMenus({c.s0, c.s28, false});
    auto on = [&](const char* id) { return menus.find(id)->enabled; };
    EXPECT_EQ(on("bar:ロード"), c.barLoad);
    EXPECT_EQ(on("bar:セーブ"), c.barSave);
    EXPECT_EQ(on("N5"), c.quickLoad);
    EXPECT_EQ(on("N9"), c.quickLoad);
    EXPECT_EQ(on("N8"), c.quickSave);
    EXPECT_EQ(on("N10"), c.quickSave);
    EXPECT_EQ(on("fsbar:ロード"), c.fsLoad);
    EXPECT_EQ(on("fsbar:セーブ"), c.fsSave);
    EXPECT_EQ(on("bar:設定"), c.barSettings);
    EXPECT_EQ(on("fsbar:Window モード"), c.barSettings);
    EXPECT_EQ(on("N4"), c.log);
    EXPECT_TRUE(on("N18"));
  }
}

TEST(Menus, OtherS0ValuesKeepLoadingAndSaving) {
  Menus menus;
  menus.updateMenus({1, 1, false});
  menus.updateMenus({7, 1, false});
  EXPECT_TRUE(menus.find("bar:ロード")->enabled);
  EXPECT_FALSE(menus.find("bar:セーブ")->enabled);
  menus.updateMenus({0, 1, true});
  EXPECT_FALSE(menus.find("bar:制御")->enabled) << "a background animation";
  EXPECT_FALSE(menus.find("N4")->enabled);
  EXPECT_TRUE(menus.find("bar:終了")->enabled);
}

TEST(Menus, CaptionsSeparatorsAndHiddenItems) {
  Menus menus;
  std::vector<std::string> popup, separators, hidden;
  for (const MenuItemState& i : menus.items()) {
    if (i.place == MenuPlace::Popup) popup.push_back(i.caption);
    if (i.separatorAfter) separators.push_back(i.id);
    if (!i.visible) hidden.push_back(i.id);
  }
  EXPECT_EQ(popup, (std::vector<std::string>{"自動送り", "スキップ", "ログ", "ウィンドウ消去",
                                             "直前の音声を再生", "クイックロード", "クイックセーブ",
                                             "ロード", "セーブ", "設定", "タイトルへ戻る", "終了"}));
  EXPECT_EQ(separators, (std::vector<std::string>{"SM05", "N10", "N13"}));
  EXPECT_EQ(hidden, (std::vector<std::string>{"bar:終了/次シーンへ", "bar:終了/回想終了", "bar:制御",
                                              "fsbar:終了/回想終了"}));
  EXPECT_FALSE(menus.pickable("bar:制御/スキップ")) << "under a hidden menu";
  EXPECT_TRUE(menus.pickable("bar:終了/ゲーム終了"));
  EXPECT_FALSE(menus.pickable("nothing"));
}

TEST(Input, MenusFollowS0AndS28AsScriptsAssignThem) {
  TitleFixture title;
  const std::string dir = writeTitle(title, {"一ページ目。\\", "!S000=1;S028=1", "二ページ目。\\",
                                             "!S000=0", "三ページ目。\\", "!S028=0", "四ページ目。\\"});
  InputRun run(dir, "600 click 1 1\n1200 click 1 1\n1800 click 1 1\n");
  struct Step {
    uint32_t at;
    bool load, save;
  };
  for (const Step& s : {Step{500, false, false}, Step{1100, true, false}, Step{1700, true, true},
                        Step{2300, true, false}}) {
    run.runUntil(s.at);
    SCOPED_TRACE(s.at);
    EXPECT_EQ(run.enabled("bar:ロード"), s.load);
    EXPECT_EQ(run.enabled("bar:セーブ"), s.save);
  }
  EXPECT_EQ(run.platform.menus().size(), run.engine.input().menus().items().size())
      << "the platform has the menus";
}

TEST(Input, MenuPicksDoNothingWhenDisabledOrHidden) {
  TitleFixture title;
  const std::string dir = writeTitle(title);
  // S0 = 0 and S28 = 1 allow saving; then S0 = 3 by the script forbids it.
  InputRun run(dir, "300 menu bar:制御/スキップ\n350 menu N10\n400 menu bar:セーブ\n"
                    "450 menu fsbar:Window モード\n500 menu bar:設定\n");
  run.engine.vars().S[26] = 3;
  run.runUntil(370);
  EXPECT_EQ(run.engine.flags().skipLevel, 0) << "bar:制御 is hidden";
  EXPECT_NE(run.trace().find("input open the save screen"), std::string::npos);
  run.runUntil(520);
  EXPECT_NE(run.trace().find("input open the settings screen"), std::string::npos);
  EXPECT_EQ(run.S(26), 0) << "the settings menu stops auto-advance";
  EXPECT_EQ(run.engine.screenMode(), 0);
}

TEST(Input, FullScreenByF11AndTheBarsWindowButton) {
  TitleFixture title;
  const std::string dir = writeTitle(title);
  InputRun run(dir, "300 key F11\n350 move 100 10\n400 move 100 200\n450 menu fsbar:Window モード\n");
  run.runUntil(320);
  EXPECT_EQ(run.platform.screenMode(), 1);
  EXPECT_EQ(run.engine.settings().screenMode, 1) << "stored as SMode";
  run.runUntil(370);
  EXPECT_TRUE(run.platform.fullScreenBarShown());
  run.runUntil(420);
  EXPECT_FALSE(run.platform.fullScreenBarShown());
  run.runUntil(470);
  EXPECT_EQ(run.platform.screenMode(), 0);
  EXPECT_EQ(run.engine.settings().screenMode, 0);
}

TEST(Input, StateFileHasTheInputFields) {
  TitleFixture title;
  const std::string dir = writeTitle(title);
  InputRun run(dir, "400 rclick 1 1\n");
  run.runUntil(450);
  const std::string json = run.engine.stateJson();
  EXPECT_NE(json.find("\"menusLocked\":false"), std::string::npos);
  EXPECT_NE(json.find("\"popupOpen\":true"), std::string::npos);
  EXPECT_NE(json.find("\"coverShown\":false"), std::string::npos);
  EXPECT_NE(json.find("\"bar:制御\":{\"enabled\":true,\"visible\":false}"), std::string::npos) << json;
  EXPECT_NE(json.find("\"fsbar:Window モード\":{"), std::string::npos);
}

// ---- The speed indicator -------------------------------------------------------------------------

TEST(SpeedIndicator, HitTestTable) {
  GameConfig horizontal;
  horizontal.spdTw = 3;  // on the screen, no text-window origin
  horizontal.spdOfsX = 100;
  horizontal.spdOfsY = 50;
  horizontal.spdMax = 5;
  horizontal.spdDir = 1;
  horizontal.spdDotOfsX = 10;
  horizontal.spdDotSize = 8;
  GameConfig vertical = horizontal;
  vertical.spdDir = 0;
  vertical.spdDotOfsY = 10;
  GameConfig windowed = horizontal;
  windowed.spdTw = 1;
  windowed.txwOfsX = 20;
  windowed.txwOfsY = 430;
  GameConfig none = horizontal;
  none.spdTw = 0;
  struct Case {
    const GameConfig* config;
    int x, y, hit;
  };
  // W x H = 70 x 20 horizontal, 20 x 70 vertical. Dots from d = 110 (x) or 60 (y), 5 of 8 px.
  const Case cases[] = {
      {&horizontal, 100, 50, 0},  {&horizontal, 109, 69, 0},  {&horizontal, 110, 60, 5},
      {&horizontal, 117, 60, 5},  {&horizontal, 118, 60, 4},  {&horizontal, 149, 60, 1},
      {&horizontal, 150, 60, 6},  {&horizontal, 169, 60, 6},  {&horizontal, 170, 60, -1},
      {&horizontal, 120, 49, -1}, {&horizontal, 120, 70, -1}, {&horizontal, 99, 60, -1},
      {&vertical, 105, 50, 6},    {&vertical, 105, 59, 6},    {&vertical, 105, 60, 1},
      {&vertical, 105, 99, 5},    {&vertical, 105, 100, 0},   {&vertical, 105, 119, 0},
      {&vertical, 105, 120, -1},  {&vertical, 120, 80, -1},
      {&windowed, 120, 480, 0},   {&windowed, 130, 490, 5},   {&windowed, 100, 50, -1},
      {&none, 100, 50, -1},
  };
  for (const Case& c : cases) {
    const bool isVertical = c.config->spdDir == 0;
    EXPECT_EQ(speedIndicatorHit(*c.config, isVertical ? 20 : 70, isVertical ? 70 : 20, c.x, c.y), c.hit)
        << (isVertical ? "vertical" : "horizontal") << " spdTw " << c.config->spdTw << " at " << c.x
        << "," << c.y;
  }
}

// ---- Choices and the keys -------------------------------------------------------------------------

class FakeChoices final : public ChoiceInput {
 public:
  void hoverChoice(int x, int y) override { hovers.push_back({x, y}); }
  void decideChoice(bool right) override { decisions.push_back(right); }
  int32_t highlightedChoice() const override { return highlighted; }
  int32_t choiceCount() const override { return 3; }
  bool keyboardPointFor(int index, int& x, int& y) const override {
    if (index < 0 || index >= 3) return false;
    x = 500;
    y = 100 + 40 * index;
    return true;
  }
  std::vector<std::pair<int, int>> hovers;
  std::vector<bool> decisions;
  int32_t highlighted = 0;
};

TEST(Input, UpAndDownPutThePointerOnTheChoiceBars) {
  TitleFixture title;
  const std::string dir = writeTitle(title, {"!S028=1", "*go END", ":END", "終わり。\\", "*go END"});
  InputRun run(dir, "");
  FakeChoices choices;
  run.engine.setChoiceInput(&choices);
  run.runUntil(200);
  run.engine.wait().choiceActive = 1;
  struct Case {
    int32_t highlighted;
    Key key;
    int y;
  };
  const Case cases[] = {{0, Key::Up, 100},   {1, Key::Up, 100},   {3, Key::Up, 140},
                        {0, Key::Down, 180}, {1, Key::Down, 140}, {3, Key::Down, 180},
                        {-1, Key::Up, 100}};
  for (const Case& c : cases) {
    choices.hovers.clear();
    choices.highlighted = c.highlighted;
    InputEvent key;
    key.type = InputEvent::Type::KeyDown;
    key.key = c.key;
    run.engine.onInput(key);
    run.platform.pumpEvents();  // the warped pointer's move
    ASSERT_EQ(choices.hovers.size(), 1u);
    EXPECT_EQ(choices.hovers[0], (std::pair<int, int>{500, c.y}))
        << c.highlighted << (c.key == Key::Up ? " up" : " down");
  }
  InputEvent space;
  space.type = InputEvent::Type::KeyDown;
  space.key = Key::Tab;
  run.engine.onInput(space);
  EXPECT_FALSE(run.engine.input().popupOpen()) << "other keys are ignored on a window-mode select";
  // A click decides once the click guard has run out; a right click on a select opens the popup.
  InputEvent click;
  click.type = InputEvent::Type::MouseDown;
  run.engine.onInput(click);
  run.engine.onInput(click);
  EXPECT_EQ(choices.decisions, (std::vector<bool>{false})) << "the second click met the guard";
  run.engine.wait().choiceActive = 4;
  click.button = MouseButton::Right;
  run.runUntil(600);
  run.engine.onInput(click);
  EXPECT_EQ(choices.decisions, (std::vector<bool>{false, true})) << "a click map takes the right button";
}

// S[i] of a state file's text.
int32_t stateS(const std::string& json, int i) {
  size_t at = json.find("\"S\":[");
  if (at == std::string::npos) return INT32_MIN;
  at += 5;
  for (int k = 0; k < i; ++k) at = json.find(',', at) + 1;
  return std::stoi(json.substr(at, 12));
}

// ---- The demo title ------------------------------------------------------------------------------

TEST(Input, DemoPlaysWithWheelKeysSkippingAutoAndTheHiddenWindow) {
  TempDir out, runtime, data;
  const std::string input = out.path() + "/input.txt";
  const std::string p = out.path() + "/";
  std::ofstream(input) << "1500 wheel -1\n2500 key w\n2600 state " << p << "hidden.json\n"
                       << "2700 click 400 300\n3000 keydown Control\n4000 state " << p << "skip.json\n"
                       << "4100 keyup Control\n4200 key Space\n4300 state " << p << "auto.json\n";
  ASSERT_EQ(runCorvid({"--headless", "--input", input, "--run-ms", "4400", "--data-dir",
                       data.path(), std::string(CORVID_BIN_DIR) + "/demo"},
                      runtime.path())
                .exitCode,
            0);
  const std::string hidden = readText(p + "hidden.json");
  EXPECT_NE(hidden.find("\"playMode\":1"), std::string::npos);
  EXPECT_NE(hidden.find("\"menusLocked\":true"), std::string::npos);
  const std::string skip = readText(p + "skip.json");
  // Ctrl held skips the pages up to the demo's first choice, which ends skipping by itself.
  EXPECT_NE(skip.find("\"choiceActive\":1"), std::string::npos);
  EXPECT_NE(skip.find("\"さて、どこへ行こうか。\"]"), std::string::npos) << "skipped to the choice";
  EXPECT_NE(skip.find("\"skipLevel\":0"), std::string::npos);
  const std::string autoOn = readText(p + "auto.json");
  EXPECT_NE(autoOn.find("\"skipLevel\":0"), std::string::npos);
  EXPECT_EQ(stateS(autoOn, 26), 4) << "Space switched auto-advance on (the demo has no SPD_MAX)";
  EXPECT_NE(autoOn.find("\"menusLocked\":false"), std::string::npos);
}

// ---- Recording ---------------------------------------------------------------------------------

std::string withoutRunPaths(std::string json) {
  const size_t at = json.find("\"globalDataPath\"");
  const size_t end = json.find(',', at);
  if (at != std::string::npos && end != std::string::npos) json.erase(at, end - at);
  return json;
}

TEST(Input, RecordedSessionPlaysBackToTheSameState) {
  TitleFixture title;
  const std::string dir = writeTitle(title);
  TempDir recordDir;
  const std::string record = recordDir.path() + "/session.txt";
  std::string first;
  {
    InputRun run(dir, "300 move 40 50\n305 click 40 50\n700 wheel -1\n900 keydown Control\n"
                      "1100 keyup Control\n1200 key Space\n1500 key Space\n1600 rclick 5 5\n"
                      "1700 menu SM01\n2000 key w\n2100 key z\n2500 menu fsbar:Window モード\n",
                 "", record);
    run.runUntil(3000);
    first = withoutRunPaths(run.engine.stateJson());
  }
  const std::string recorded = readText(record);
  EXPECT_NE(recorded.find("320 down left 40 50\n320 up left 40 50\n"), std::string::npos) << recorded;
  EXPECT_NE(recorded.find(" menu fsbar:Window モード\n"), std::string::npos);
  InputRun replay(dir, recorded);
  replay.runUntil(3000);
  const std::string second = withoutRunPaths(replay.engine.stateJson());
  EXPECT_TRUE(second == first) << "the states differ";  // (not EXPECT_EQ: its diff of such texts is slow)
}

}  // namespace
}  // namespace corvid::testing
