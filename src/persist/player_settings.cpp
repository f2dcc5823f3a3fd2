#include "persist/player_settings.h"

#include <variant>
#include <vector>

#include "data/sjis.h"
#include "persist/settings_text.h"
#include "script/variables.h"

namespace corvid {

namespace {

constexpr std::string_view kIntNames[] = {
    "Left",     "Top",           "BGM_ENA",        "SE_ENA",      "Delay",      "GMode",
    "SMode",    "Clear",         "Seen",           "BreakonSelect", "MemorySaveMode",
    "DirectSoundGlobal", "AnimQuality", "RC_MODE", "WHEEL_MODE", "CS_SWAP",    "EFX_CUT",
    "CONFIG_MODE", "DatePanel",  "TXWStyle",       "CV_THROUGH",  "CV1",        "CV2",
    "SE0",      "SE1",           "SE2",            "SE3",         "SE4",        "Vol1",
    "Vol2",     "Vol3",          "Vol4",           "FONTAA",      "FONTSIZE",   "FONTBold",
    "LastSaveSlot", "GV00",      "GV01",           "GV02",        "GV03",       "GV04",
    "GV05",     "GV06",          "GV07",           "GV08",        "GV09",       "TXBG_R",
    "TXBG_G",   "TXBG_B",        "TXBG_A",         "TXBG_A2",
};
static_assert(std::size(kIntNames) == size_t(IntSetting::TxbgA2) + 1);

constexpr std::string_view kTextNames[] = {"CDDir", "FontName", "PlayerName", "PlayerName2",
                                           "PlayerName3"};
static_assert(std::size(kTextNames) == size_t(TextSetting::PlayerName3) + 1);

using Row = std::variant<IntSetting, TextSetting>;

// The order start-up reads the store in.
const std::vector<Row>& loadOrder() {
  using I = IntSetting;
  using T = TextSetting;
  static const std::vector<Row> order = {
      T::CdDir,     I::Left,      I::Top,         I::BgmEna,     I::SeEna,    I::Delay,
      I::GMode,     I::SMode,     I::Clear,       I::Seen,       I::BreakonSelect,
      I::MemorySaveMode, T::FontName, I::DirectSoundGlobal, I::AnimQuality, I::RcMode,
      I::WheelMode, I::CsSwap,    I::EfxCut,      I::ConfigMode, I::DatePanel, I::TxwStyle,
      I::CvThrough, I::Cv1,       I::Cv2,         I::Se0,        I::Se1,      I::Se2,
      I::Se3,       I::Se4,       I::Vol1,        I::Vol2,       I::Vol3,     I::Vol4,
      I::FontAa,    I::FontSize,  I::FontBold,    T::PlayerName, T::PlayerName2,
      T::PlayerName3, I::LastSaveSlot, I::Gv00,   I::Gv01,       I::Gv02,     I::Gv03,
      I::Gv04,      I::Gv05,      I::Gv06,        I::Gv07,       I::Gv08,     I::Gv09,
      I::TxbgR,     I::TxbgG,     I::TxbgB,       I::TxbgA,      I::TxbgA2,
  };
  return order;
}

int index(IntSetting s) { return int(s); }

int32_t defaultStored(IntSetting s, const SettingDefaults& d, const ScreenFacts& screen) {
  using I = IntSetting;
  switch (s) {
    case I::Left: return (screen.screenWidth - screen.windowWidth) / 2;
    case I::Top: return (screen.screenHeight - screen.windowHeight) / 2;
    case I::BgmEna: case I::SeEna: case I::Seen: case I::BreakonSelect: case I::EfxCut:
    case I::DatePanel: case I::TxwStyle: case I::Cv1: case I::Cv2: case I::Se0: case I::Se1:
    case I::Se2: case I::Se3: case I::Se4:
      return 1;
    case I::Vol1: case I::Vol2: case I::Vol3: case I::Vol4:
      return d.volume[size_t(index(s) - index(I::Vol1))];
    case I::FontSize: return d.fontSize;
    case I::TxbgR: return d.txwColorR;
    case I::TxbgG: return d.txwColorG;
    case I::TxbgB: return d.txwColorB;
    case I::TxbgA: return d.txwAlpha;
    case I::TxbgA2: return d.txwAlpha2;
    default: return 0;
  }
}

std::string defaultText(TextSetting s, const SettingDefaults& d) {
  switch (s) {
    case TextSetting::CdDir: return "NULL";
    case TextSetting::FontName: return d.fontName;
    case TextSetting::PlayerName: return d.defaultName[0];
    case TextSetting::PlayerName2: return d.defaultName[1];
    case TextSetting::PlayerName3: return d.defaultName[2];
  }
  return {};
}

}  // namespace

std::string_view settingName(IntSetting setting) { return kIntNames[size_t(setting)]; }
std::string_view settingName(TextSetting setting) { return kTextNames[size_t(setting)]; }

int32_t volumeAttenuation(int32_t slider) {
  // Five halves in 64 bits: a hand-edited value of any size cannot overflow; the result is
  // clamped to the 32-bit range (the mixer clamps it further to its own range).
  int64_t v = int64_t(slider) * 5 / 2;
  if (v < INT32_MIN) return INT32_MIN;
  if (v > INT32_MAX) return INT32_MAX;
  return int32_t(v);
}

void holdSetting(PlayerSettings& p, IntSetting setting, int32_t v) {
  using I = IntSetting;
  int i = index(setting);
  switch (setting) {
    case I::Left: p.left = v; break;
    case I::Top: p.top = v; break;
    case I::BgmEna: p.bgmEna = v; break;
    case I::SeEna: p.seEna = v; break;
    case I::Delay: p.textPaced = v == 0; break;
    case I::GMode: p.gMode = v; break;
    case I::SMode: p.screenMode = v; break;
    case I::Clear: p.clear = v; break;
    case I::Seen: p.seen = v != 0; break;
    case I::BreakonSelect: p.breakOnSelect = v != 0; break;
    case I::MemorySaveMode: p.memorySaveMode = v != 0; break;
    case I::DirectSoundGlobal: p.directSoundGlobal = v; break;
    case I::AnimQuality: p.animQuality = v != 0; break;
    case I::RcMode: p.rcMode = v; break;
    case I::WheelMode: p.wheelMode = v; break;
    case I::CsSwap: p.csSwap = v; break;
    case I::EfxCut: p.efxCut = v; break;
    case I::ConfigMode: p.configMode = v; break;
    case I::DatePanel: p.datePanel = v; break;
    case I::TxwStyle: p.txwStyle = v; break;
    case I::CvThrough: p.cvThrough = v != 0; break;
    case I::Cv1: p.cv1 = v; break;
    case I::Cv2: p.cv2 = v; break;
    case I::Se0: case I::Se1: case I::Se2: case I::Se3: case I::Se4:
      p.se[size_t(i - index(I::Se0))] = v;
      break;
    case I::Vol1: case I::Vol2: case I::Vol3: case I::Vol4:
      p.volSlider[size_t(i - index(I::Vol1))] = v;
      p.volAttenuation[size_t(i - index(I::Vol1))] = volumeAttenuation(v);
      break;
    case I::FontAa: p.fontAa = v; break;
    case I::FontSize: p.fontSize = v; break;
    case I::FontBold: p.fontBold = v; break;
    case I::LastSaveSlot: p.lastSaveSlot = v; break;
    case I::Gv00: case I::Gv01: case I::Gv02: case I::Gv03: case I::Gv04: case I::Gv05:
    case I::Gv06: case I::Gv07: case I::Gv08: case I::Gv09:
      p.gv[size_t(i - index(I::Gv00))] = v;
      break;
    case I::TxbgR: p.txbgR = v; break;
    case I::TxbgG: p.txbgG = v; break;
    case I::TxbgB: p.txbgB = v; break;
    case I::TxbgA: p.txbgA = v; break;
    case I::TxbgA2: p.txbgA2 = v; break;
  }
}

void holdSetting(PlayerSettings& p, TextSetting setting, std::string_view text) {
  switch (setting) {
    case TextSetting::CdDir:
      p.cdDir = std::string(text);
      if (sjisEndsWithByte(p.cdDir, '\\')) p.cdDir.pop_back();  // one trailing '\' only
      break;
    case TextSetting::FontName: p.fontName = std::string(text); break;
    case TextSetting::PlayerName: p.playerName[0] = std::string(text); break;
    case TextSetting::PlayerName2: p.playerName[1] = std::string(text); break;
    case TextSetting::PlayerName3: p.playerName[2] = std::string(text); break;
  }
}

int32_t storedSetting(const PlayerSettings& p, IntSetting setting) {
  using I = IntSetting;
  int i = index(setting);
  switch (setting) {
    case I::Left: return p.left;
    case I::Top: return p.top;
    case I::BgmEna: return p.bgmEna;
    case I::SeEna: return p.seEna;
    case I::Delay: return p.textPaced ? 0 : 1;
    case I::GMode: return p.gMode;
    case I::SMode: return p.screenMode;
    case I::Clear: return p.clear;
    case I::Seen: return p.seen;
    case I::BreakonSelect: return p.breakOnSelect;
    case I::MemorySaveMode: return p.memorySaveMode;
    case I::DirectSoundGlobal: return p.directSoundGlobal;
    case I::AnimQuality: return p.animQuality;
    case I::RcMode: return p.rcMode;
    case I::WheelMode: return p.wheelMode;
    case I::CsSwap: return p.csSwap;
    case I::EfxCut: return p.efxCut;
    case I::ConfigMode: return p.configMode;
    case I::DatePanel: return p.datePanel;
    case I::TxwStyle: return p.txwStyle;
    case I::CvThrough: return p.cvThrough;
    case I::Cv1: return p.cv1;
    case I::Cv2: return p.cv2;
    case I::Se0: case I::Se1: case I::Se2: case I::Se3: case I::Se4:
      return p.se[size_t(i - index(I::Se0))];
    case I::Vol1: case I::Vol2: case I::Vol3: case I::Vol4:
      return p.volSlider[size_t(i - index(I::Vol1))];
    case I::FontAa: return p.fontAa;
    case I::FontSize: return p.fontSize;
    case I::FontBold: return p.fontBold;
    case I::LastSaveSlot: return p.lastSaveSlot;
    case I::Gv00: case I::Gv01: case I::Gv02: case I::Gv03: case I::Gv04: case I::Gv05:
    case I::Gv06: case I::Gv07: case I::Gv08: case I::Gv09:
      return p.gv[size_t(i - index(I::Gv00))];
    case I::TxbgR: return p.txbgR;
    case I::TxbgG: return p.txbgG;
    case I::TxbgB: return p.txbgB;
    case I::TxbgA: return p.txbgA;
    case I::TxbgA2: return p.txbgA2;
  }
  return 0;
}

PlayerSettings loadPlayerSettings(SettingsStore& store, const SettingsSection& title,
                                  const SettingDefaults& defaults, const ScreenFacts& screen) {
  PlayerSettings p;
  for (const Row& row : loadOrder()) {
    if (auto* s = std::get_if<IntSetting>(&row))
      holdSetting(p, *s, store.readInt(title, settingName(*s), defaultStored(*s, defaults, screen)));
    else {
      TextSetting t = std::get<TextSetting>(row);
      holdSetting(p, t, store.readText(title, settingName(t), defaultText(t, defaults)));
    }
  }
  // Small screens cannot hold the window with its frame: a stored 0 is held as the borderless
  // mode; the store keeps the 0.
  if (p.screenMode == 0 && screen.screenWidth <= 600) p.screenMode = 2;
  return p;
}

void applyPlayerSettings(const PlayerSettings& p, const SettingDefaults& defaults,
                         VariableSpaces& vars) {
  bool namesChanged = false;
  for (size_t i = 0; i < 3; ++i) namesChanged |= p.playerName[i] != defaults.defaultName[i];
  vars.S[6] = namesChanged ? 1 : 0;
  vars.S[50] = p.datePanel;
  vars.S[51] = p.txwStyle;
  vars.S[100] = p.clear;
  vars.G = p.gv;
  for (int i = 0; i < 3; ++i) vars.setString(i, p.playerName[size_t(i)]);
}

bool writeSetting(SettingsStore& store, const SettingsSection& title, PlayerSettings& settings,
                  IntSetting setting, int32_t stored) {
  std::pair<IntSetting, int32_t> one{setting, stored};
  return writeSettings(store, title, settings, std::span(&one, 1));
}

bool writeSetting(SettingsStore& store, const SettingsSection& title, PlayerSettings& settings,
                  TextSetting setting, std::string_view text) {
  holdSetting(settings, setting, text);
  return store.writeText(title, settingName(setting), text);
}

bool writeSettings(SettingsStore& store, const SettingsSection& title, PlayerSettings& settings,
                   std::span<const std::pair<IntSetting, int32_t>> stored) {
  std::vector<SettingChange> changes;
  for (auto [setting, value] : stored) {
    holdSetting(settings, setting, value);
    changes.push_back({std::string(settingName(setting)), formatSettingInt(value)});
  }
  return store.write(title, changes);
}

bool writeHeldSettings(SettingsStore& store, const SettingsSection& title,
                       const PlayerSettings& settings, std::span<const IntSetting> which) {
  std::vector<SettingChange> changes;
  for (IntSetting setting : which)
    changes.push_back(
        {std::string(settingName(setting)), formatSettingInt(storedSetting(settings, setting))});
  return store.write(title, changes);
}

}  // namespace corvid
