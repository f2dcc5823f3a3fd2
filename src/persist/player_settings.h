#pragma once
// PlayerSettings: the player's own choices as the engine holds them after start-up, read from
// the settings store in a fixed order (loadPlayerSettings) and written back one value at a
// time, at the moment a screen changes them (writeSetting and friends).
//
// Held versus stored: booleans are held as stored != 0 and written as 0 or 1; "Delay" 0 means
// text is paced; the four volumes are stored on the -3000..0 slider scale and also held as
// attenuations in 1/100 dB (slider x 2.5, truncated toward zero); "SMode" 0 on a screen at most
// 600 pixels wide is held as 2 without changing what is stored.
//
// Sections: defaults and screen facts; the record; the writable settings; load and write.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "persist/settings_store.h"

namespace corvid {

struct VariableSpaces;

// The defaults that come from the title's configuration (the engine fills them from
// GameConfig). Texts are Shift_JIS.
struct SettingDefaults {
  std::string fontName;                    // FONT_NAME
  int32_t fontSize = 0;                    // FONT_SIZE
  std::array<int32_t, 4> volume{};         // VOLUME1..VOLUME4, slider scale
  int32_t txwColorR = 0, txwColorG = 0, txwColorB = 0;  // TXW_COLOR_R/G/B
  int32_t txwAlpha = 0;                    // TXW_ALPHA
  int32_t txwAlpha2 = 0;                   // TXW_ALPHA2
  std::array<std::string, 3> defaultName;  // DEFAULT_NAME, DEFAULT_NAME2, DEFAULT_NAME3
};

// What start-up knows about the display when it reads the settings.
struct ScreenFacts {
  int screenWidth = 0, screenHeight = 0;  // the desktop, pixels
  int windowWidth = 0, windowHeight = 0;  // the main window's outer size, pixels
};

struct PlayerSettings {
  std::string cdDir = "NULL";  // "CDDir": secondary archive folder, one trailing '\' removed
  int32_t left = 0, top = 0;   // "Left", "Top": main window position (default: centred)
  int32_t bgmEna = 1;          // music on
  int32_t seEna = 1;           // sound effects on
  bool textPaced = true;       // "Delay" == 0
  int32_t gMode = 0;           // != 0: every transition is instant
  int32_t screenMode = 0;      // "SMode": 0 window, 1 full screen, 2 borderless at (0, 0)
  int32_t clear = 0;           // completed games, as read from the title's section
  bool seen = true;            // skipping stops at unread text
  bool breakOnSelect = true;   // "BreakonSelect": choices end skipping and auto-advance
  bool memorySaveMode = false; // effect surfaces are released after use
  std::string fontName;        // "FontName", Shift_JIS
  int32_t directSoundGlobal = 0;  // sound goes on while another program has the focus
  bool animQuality = false;
  int32_t rcMode = 0;          // "RC_MODE": right-click action 0..4
  int32_t wheelMode = 0;       // "WHEEL_MODE": 0 page history, 1 backlog
  int32_t csSwap = 0;          // "CS_SWAP": Ctrl and Shift exchanged
  int32_t efxCut = 1;          // "EFX_CUT": effects left out while skipping
  int32_t configMode = 0;      // "CONFIG_MODE": 0 in-engine settings screen, else the dialog
  int32_t datePanel = 1;       // copied into S50
  int32_t txwStyle = 1;        // "TXWStyle": copied into S51
  bool cvThrough = false;      // "CV_THROUGH": a click does not stop the voice
  int32_t cv1 = 1, cv2 = 1;    // voices on; voices of the second voice archive on
  std::array<int32_t, 5> se{1, 1, 1, 1, 1};  // "SE0".."SE4": effect categories on
  std::array<int32_t, 4> volSlider{};        // "Vol1".."Vol4" as stored, -3000..0
  std::array<int32_t, 4> volAttenuation{};   // the same in 1/100 dB (0 full, -10000 silent)
  int32_t fontAa = 0;          // "FONTAA": kept and shown only
  int32_t fontSize = 0;        // "FONTSIZE": point size, used unchanged
  int32_t fontBold = 0;        // "FONTBold"
  std::array<std::string, 3> playerName;  // "PlayerName", "PlayerName2", "PlayerName3"
  int32_t lastSaveSlot = 0;
  std::array<int32_t, 10> gv{};  // "GV00".."GV09"
  int32_t txbgR = 0, txbgG = 0, txbgB = 0;  // text-window colour 0..255
  int32_t txbgA = 0;                        // text-window opacity 0..255
  int32_t txbgA2 = 0;                       // stage darkening in full-screen text mode

  bool operator==(const PlayerSettings&) const = default;
};

// The integer settings the engine writes back (and "Left"/"Top", which nothing writes but a
// host may). Gv00..Gv09 are normally written by the global-data synchronisation.
enum class IntSetting {
  Left, Top, BgmEna, SeEna, Delay, GMode, SMode, Clear, Seen, BreakonSelect, MemorySaveMode,
  DirectSoundGlobal, AnimQuality, RcMode, WheelMode, CsSwap, EfxCut, ConfigMode, DatePanel,
  TxwStyle, CvThrough, Cv1, Cv2, Se0, Se1, Se2, Se3, Se4, Vol1, Vol2, Vol3, Vol4, FontAa,
  FontSize, FontBold, LastSaveSlot, Gv00, Gv01, Gv02, Gv03, Gv04, Gv05, Gv06, Gv07, Gv08, Gv09,
  TxbgR, TxbgG, TxbgB, TxbgA, TxbgA2,
};
enum class TextSetting { CdDir, FontName, PlayerName, PlayerName2, PlayerName3 };

// The value names in the store ("BGM_ENA", "GV07", "PlayerName2", ...).
std::string_view settingName(IntSetting setting);
std::string_view settingName(TextSetting setting);

// slider x 2.5, truncated toward zero (-3000 -> -7500, -1 -> -2).
int32_t volumeAttenuation(int32_t slider);

// Reads every setting in the order start-up reads them. `title` is the configured key and
// section (MAKER_REG, GAME_ID).
PlayerSettings loadPlayerSettings(SettingsStore& store, const SettingsSection& title,
                                  const SettingDefaults& defaults, const ScreenFacts& screen);

// The engine places the settings feed at start-up: S6 (1 when a player name differs from its
// default), S50, S51, S100, GV0..GV9 and the string slots $0..$2. Call it once the variable
// spaces have their start values (after S is zeroed and the string slots are cleared) and
// before the global data is read, whose synchronisation writes GV0..GV9 back to the store.
void applyPlayerSettings(const PlayerSettings& settings, const SettingDefaults& defaults,
                         VariableSpaces& vars);

// The stored form of a held setting (what a screen writes for the value in effect).
int32_t storedSetting(const PlayerSettings& settings, IntSetting setting);

// Take a stored value into the held settings (the conversions above, without the small-screen
// rule: a written screen mode is held as written).
void holdSetting(PlayerSettings& settings, IntSetting setting, int32_t stored);
void holdSetting(PlayerSettings& settings, TextSetting setting, std::string_view text);

// Hold and write at once, in the title's section. False when the file could not be written
// (the value is held anyway and the store tries again with its next write).
bool writeSetting(SettingsStore& store, const SettingsSection& title, PlayerSettings& settings,
                  IntSetting setting, int32_t stored);
bool writeSetting(SettingsStore& store, const SettingsSection& title, PlayerSettings& settings,
                  TextSetting setting, std::string_view text);
// Several values with one rewrite of the file, in the given order (a settings screen closing).
bool writeSettings(SettingsStore& store, const SettingsSection& title, PlayerSettings& settings,
                   std::span<const std::pair<IntSetting, int32_t>> stored);
// Writes the stored form of the held values of `which`, in that order.
bool writeHeldSettings(SettingsStore& store, const SettingsSection& title,
                       const PlayerSettings& settings, std::span<const IntSetting> which);

}  // namespace corvid
