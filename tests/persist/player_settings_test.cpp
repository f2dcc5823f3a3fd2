#include <gtest/gtest.h>

#include "persist/player_settings.h"
#include "persist/temp_folder.h"
#include "script/variables.h"

namespace corvid {
namespace {

const SettingsSection kTitle{"Software\\Maker", "GAME01"};
const ScreenFacts kDesktop{1920, 1080, 808, 650};

SettingDefaults titleDefaults() {
  SettingDefaults d;
  d.fontName = "\x82\x6C\x82\x72 Gothic";
  d.fontSize = 22;
  d.volume = {-300, -200, -100, 0};
  d.txwColorR = 10, d.txwColorG = 20, d.txwColorB = 30;
  d.txwAlpha = 200, d.txwAlpha2 = 100;
  d.defaultName = {"\x8E\x52\x93\x63", "\x91\xBE\x98\x59", "Hero"};
  return d;
}

// What an empty store gives, written out field by field from the table of settings.
PlayerSettings tableDefaults() {
  PlayerSettings p;
  p.cdDir = "NULL";
  p.left = (1920 - 808) / 2, p.top = (1080 - 650) / 2;
  p.bgmEna = 1, p.seEna = 1, p.textPaced = true, p.gMode = 0, p.screenMode = 0, p.clear = 0;
  p.seen = true, p.breakOnSelect = true, p.memorySaveMode = false;
  p.fontName = "\x82\x6C\x82\x72 Gothic";
  p.directSoundGlobal = 0, p.animQuality = false, p.rcMode = 0, p.wheelMode = 0, p.csSwap = 0;
  p.efxCut = 1, p.configMode = 0, p.datePanel = 1, p.txwStyle = 1, p.cvThrough = false;
  p.cv1 = 1, p.cv2 = 1, p.se = {1, 1, 1, 1, 1};
  p.volSlider = {-300, -200, -100, 0};
  p.volAttenuation = {-750, -500, -250, 0};
  p.fontAa = 0, p.fontSize = 22, p.fontBold = 0;
  p.playerName = {"\x8E\x52\x93\x63", "\x91\xBE\x98\x59", "Hero"};
  p.lastSaveSlot = 0, p.gv = {};
  p.txbgR = 10, p.txbgG = 20, p.txbgB = 30, p.txbgA = 200, p.txbgA2 = 100;
  return p;
}

TEST(PlayerSettings, AnEmptyStoreGivesEveryDefault) {
  TempFolder dir;
  SettingsStore store(dir.file("settings.ini"));
  EXPECT_EQ(loadPlayerSettings(store, kTitle, titleDefaults(), kDesktop), tableDefaults());
  // A window larger than the screen is centred too (negative position, halved toward zero).
  PlayerSettings small = loadPlayerSettings(store, kTitle, titleDefaults(), {801, 601, 808, 650});
  EXPECT_EQ(std::make_pair(small.left, small.top), std::make_pair(-3, -24));
}

TEST(PlayerSettings, StoredValuesAreHeldWithTheirConversions) {
  TempFolder dir;
  writeText(dir.file("settings.ini"),
            "[Software\\Maker\\GAME01]\n"
            "CDDir=D:\\Games\\\n"
            "Left=-20\nTop=40\nBGM_ENA=0\nDelay=1\nGMode=1\nSMode=1\nClear=3\n"
            "Seen=5\nBreakonSelect=0\nMemorySaveMode=1\nFontName=Mincho\nAnimQuality=2\n"
            "RC_MODE=4\nDatePanel=9\nTXWStyle=-1\nCV_THROUGH=1\nSE3=0\n"
            "Vol1=-1000\nvol4=-1\nFONTSIZE=30\nfontbold=1\n"
            "PlayerName=Taro\nPlayerName3=\nLastSaveSlot=60\nGV03=7\nGV09=-2\n"
            "TXBG_A=0\n"
            "Vol2=abc\n");
  SettingsStore store(dir.file("settings.ini"));
  PlayerSettings expected = tableDefaults();
  expected.cdDir = "D:\\Games";
  expected.left = -20, expected.top = 40, expected.bgmEna = 0, expected.textPaced = false;
  expected.gMode = 1, expected.screenMode = 1, expected.clear = 3, expected.seen = true;
  expected.breakOnSelect = false, expected.memorySaveMode = true, expected.fontName = "Mincho";
  expected.animQuality = true, expected.rcMode = 4, expected.datePanel = 9;
  expected.txwStyle = -1, expected.cvThrough = true, expected.se[3] = 0;
  expected.volSlider = {-1000, -200, -100, -1};  // Vol2 is not a number: its default
  expected.volAttenuation = {-2500, -500, -250, -2};
  expected.fontSize = 30;  // used unchanged; only the dialog limits it
  expected.fontBold = 1;
  expected.playerName = {"Taro", "\x91\xBE\x98\x59", ""};
  expected.lastSaveSlot = 60, expected.gv[3] = 7, expected.gv[9] = -2, expected.txbgA = 0;
  EXPECT_EQ(loadPlayerSettings(store, kTitle, titleDefaults(), kDesktop), expected);
  EXPECT_EQ(store.takeWarnings().size(), 1u);  // the Vol2 line
}

TEST(PlayerSettings, SmallScreensHoldWindowModeAsBorderless) {
  struct Case {
    const char* stored;  // nullptr: no value
    int screenWidth;
    int32_t held;
  };
  const Case cases[] = {
      {nullptr, 600, 2}, {"0", 600, 2}, {"0", 601, 0}, {"1", 600, 1}, {"2", 1024, 2},
      {nullptr, 1024, 0},
  };
  for (const Case& c : cases) {
    TempFolder dir;
    std::string file = "[Software\\Maker\\GAME01]\n";
    if (c.stored) file += std::string("SMode=") + c.stored + "\n";
    writeText(dir.file("settings.ini"), file);
    SettingsStore store(dir.file("settings.ini"));
    ScreenFacts screen{c.screenWidth, 480, 808, 650};
    EXPECT_EQ(loadPlayerSettings(store, kTitle, titleDefaults(), screen).screenMode, c.held)
        << (c.stored ? c.stored : "none") << " at width " << c.screenWidth;
    EXPECT_EQ(readText(dir.file("settings.ini")), file);  // the stored value is not changed
  }
}

TEST(PlayerSettings, OneTrailingBackslashIsRemovedFromCdDir) {
  const std::pair<std::string, std::string> cases[] = {
      {"D:\\", "D:"},
      {"D:\\\\", "D:\\"},
      {"E:\\\x83\x5C", "E:\\\x83\x5C"},  // ends in ソ, whose second byte is 0x5C
      {"NULL", "NULL"},
  };
  for (const auto& [stored, held] : cases) {
    PlayerSettings p;
    holdSetting(p, TextSetting::CdDir, stored);
    EXPECT_EQ(p.cdDir, held) << stored;
  }
}

TEST(PlayerSettings, VolumesAreFiveHalvesOfTheSliderTruncatedTowardZero) {
  const std::pair<int32_t, int32_t> cases[] = {
      {-3000, -7500}, {-1000, -2500}, {-1, -2}, {-3, -7}, {0, 0}, {1, 2},
      {INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX},
  };
  for (auto [slider, attenuation] : cases) EXPECT_EQ(volumeAttenuation(slider), attenuation);
}

TEST(PlayerSettings, ScreensWriteTheSliderScaleSoValuesSurviveARestart) {
  TempFolder dir;
  writeText(dir.file("settings.ini"), "[Software\\Maker\\GAME01]\nVol1=-1000\n");
  {
    SettingsStore store(dir.file("settings.ini"));
    PlayerSettings p = loadPlayerSettings(store, kTitle, titleDefaults(), kDesktop);
    EXPECT_EQ(p.volAttenuation[0], -2500);
    // The in-engine settings screen closes after the player turned the music off.
    p.bgmEna = 0;
    const IntSetting written[] = {IntSetting::GMode, IntSetting::SMode, IntSetting::Seen,
                                  IntSetting::Delay, IntSetting::Vol1,  IntSetting::BgmEna};
    EXPECT_TRUE(writeHeldSettings(store, kTitle, p, written));
    EXPECT_TRUE(writeSetting(store, kTitle, p, TextSetting::PlayerName, "Jiro"));
    EXPECT_TRUE(writeSetting(store, kTitle, p, IntSetting::Delay, 1));
    EXPECT_FALSE(p.textPaced);
  }
  SettingsStore store(dir.file("settings.ini"));
  PlayerSettings p = loadPlayerSettings(store, kTitle, titleDefaults(), kDesktop);
  EXPECT_EQ(store.readInt(kTitle, "Vol1", 0), -1000);
  EXPECT_EQ(p.volAttenuation[0], -2500);
  EXPECT_EQ(p.bgmEna, 0);
  EXPECT_EQ(p.playerName[0], "Jiro");
  EXPECT_EQ(store.readInt(kTitle, "Delay", 0), 1);
  EXPECT_EQ(readText(dir.file("settings.ini")),
            "[Software\\Maker\\GAME01]\nVol1=-1000\nGMode=0\nSMode=0\nSeen=1\nDelay=1\n"
            "BGM_ENA=0\nPlayerName=Jiro\n");
}

TEST(PlayerSettings, FeedTheVariableSpaces) {
  struct Case {
    std::array<std::string, 3> names;
    int32_t s6;
  };
  const SettingDefaults d = titleDefaults();
  const Case cases[] = {
      {d.defaultName, 0},
      {{"Taro", d.defaultName[1], d.defaultName[2]}, 1},
      {{d.defaultName[0], d.defaultName[1], "Other"}, 1},
  };
  for (const Case& c : cases) {
    PlayerSettings p = tableDefaults();
    p.playerName = c.names;
    p.datePanel = 4, p.txwStyle = 5, p.clear = 6, p.gv = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    VariableSpaces vars;
    applyPlayerSettings(p, d, vars);
    EXPECT_EQ((std::array<int32_t, 4>{vars.S[6], vars.S[50], vars.S[51], vars.S[100]}),
              (std::array<int32_t, 4>{c.s6, 4, 5, 6}));
    EXPECT_EQ(vars.G, p.gv);
    EXPECT_EQ((std::array<std::string, 3>{vars.strings[0], vars.strings[1], vars.strings[2]}),
              c.names);
  }
}

}  // namespace
}  // namespace corvid
