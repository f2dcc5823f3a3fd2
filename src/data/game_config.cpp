#include "data/game_config.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "data/colour_code.h"
#include "data/sjis.h"

// Sections: the key table; value conversion; one line; the section walk.

namespace corvid {

namespace {

// ---------------------------------------------------------------------------------------------
// The key table, in the order the keys are matched.

enum class Form {
  WholeInt,        // the whole value is one integer
  IntFields,       // fields 0..n-1 are integers, n = the target's length
  WholeText,       // the whole value as it stands
  TextFields,      // fields 0..n-1 as texts
  VolumePosition,  // fields 0 and 1 into cfgVolX[index], cfgVolY[index]
  QuickButton,     // the quick-button column `index`
  SpeakerEntry,    // NAME
};

using IntTarget = std::span<int32_t> (*)(GameConfig&);
using TextTarget = std::span<std::string> (*)(GameConfig&);

std::span<int32_t> intSlots(int32_t& v) { return {&v, 1}; }
template <size_t N>
std::span<int32_t> intSlots(std::array<int32_t, N>& a) { return a; }
std::span<std::string> textSlots(std::string& s) { return {&s, 1}; }
template <size_t N>
std::span<std::string> textSlots(std::array<std::string, N>& a) { return a; }

struct KeyRule {
  std::string_view key;
  Form form;
  IntTarget ints = nullptr;
  TextTarget texts = nullptr;
  int index = 0;
};

#define CVD_INT(key, field) \
  KeyRule { key, Form::WholeInt, [](GameConfig& c) { return intSlots(c.field); } }
#define CVD_INTS(key, field) \
  KeyRule { key, Form::IntFields, [](GameConfig& c) { return intSlots(c.field); } }
#define CVD_TEXT(key, field) \
  KeyRule { key, Form::WholeText, nullptr, [](GameConfig& c) { return textSlots(c.field); } }
#define CVD_TEXTS(key, field) \
  KeyRule { key, Form::TextFields, nullptr, [](GameConfig& c) { return textSlots(c.field); } }
#define CVD_QB(key, column) \
  KeyRule { key, Form::QuickButton, nullptr, nullptr, column }

const KeyRule kRules[] = {
    CVD_TEXT("TITLE", title),
    CVD_TEXT("MAKER", maker),
    CVD_TEXT("MAKER_REG", makerReg),
    CVD_TEXT("GAME_ID", gameId),
    CVD_TEXT("DEFAULT_NAME", defaultName),
    CVD_TEXT("DEFAULT_NAME2", defaultName2),
    CVD_TEXT("DEFAULT_NAME3", defaultName3),
    CVD_TEXT("DEFAULT_NAME4", defaultName4),
    CVD_INT("TXW_OFS_X", txwOfsX),
    CVD_INT("TXW_OFS_Y", txwOfsY),
    CVD_INT("TXW_OFS_Y2", txwOfsY2),
    CVD_INT("TXW_SIZE_X", txwSizeX),
    CVD_INT("TXW_SIZE_Y", txwSizeY),
    CVD_INT("TXW_COLOR_R", txwColorR),
    CVD_INT("TXW_COLOR_G", txwColorG),
    CVD_INT("TXW_COLOR_B", txwColorB),
    CVD_INT("TXW_ALPHA", txwAlpha),
    CVD_INT("TXW_ALPHA2", txwAlpha2),
    CVD_TEXT("FONT_NAME", fontName),
    CVD_INT("FONT_SIZE", fontSize),
    CVD_INT("SELECT_Y_POS", selectYPos),
    CVD_INT("SELECT_Y_PITCH", selectYPitch),
    CVD_INT("SELECT_EXPAND", selectExpand),
    CVD_INT("SELECT_TXT_OY", selectTxtOy),
    CVD_INT("CLICK_WAIT_OFS_X", clickWaitOfsX),
    CVD_INT("CLICK_WAIT_OFS_Y", clickWaitOfsY),
    CVD_INT("CLICK_WAIT_SIZE_X", clickWaitSizeX),
    CVD_INT("CLICK_WAIT_SIZE_Y", clickWaitSizeY),
    CVD_INT("CLICK_WAIT_PAT", clickWaitPat),
    CVD_INT("CLICK_WAIT_TIMING", clickWaitTiming),
    CVD_INT("NP_OFS_X", npOfsX),
    CVD_INT("NP_OFS_Y", npOfsY),
    CVD_INT("NP_SZ_X", npSzX),
    CVD_INT("NP_SZ_Y", npSzY),
    CVD_INT("NP_TYPE", npType),
    CVD_INT("TX_OFS_X", txOfsX),
    CVD_INT("TX_OFS_Y", txOfsY),
    CVD_INT("TX_PITCH_X", txPitchX),
    CVD_INT("TX_PITCH_Y", txPitchY),
    CVD_INT("MOJI_MAX_X", mojiMaxX),
    CVD_INT("MOJI_MAX_Y", mojiMaxY),
    CVD_INT("TX2_OFS_X", tx2OfsX),
    CVD_INT("TX2_OFS_Y", tx2OfsY),
    CVD_INT("TX2_PITCH_X", tx2PitchX),
    CVD_INT("TX2_PITCH_Y", tx2PitchY),
    CVD_INT("MOJI_MAX2_X", mojiMax2X),
    CVD_INT("MOJI_MAX2_Y", mojiMax2Y),
    CVD_INT("QDD_GRA", qddGra),
    CVD_INT("QDD_GJP", qddGjp),
    CVD_INT("QDD_GDT", qddGdt),
    CVD_INT("QDD_WAV", qddWav),
    CVD_INT("QDD_OGG", qddOgg),
    CVD_INT("QDD_SE", qddSe),
    CVD_INT("QDD_ANIM", qddAnim),
    CVD_INT("VOLUME1", volume[0]),
    CVD_INT("VOLUME2", volume[1]),
    CVD_INT("VOLUME3", volume[2]),
    CVD_INT("VOLUME4", volume[3]),
    CVD_INT("TACHI_TYPE", tachiType),
    CVD_TEXTS("CFG_GRA", cfgGra),
    CVD_INTS("CFG_WM_WIN", cfgWmWin),
    CVD_INTS("CFG_WM_FULL", cfgWmFull),
    CVD_INTS("CFG_GM_NORMAL", cfgGmNormal),
    CVD_INTS("CFG_GM_FAST", cfgGmFast),
    CVD_INTS("CFG_TM_NORMAL", cfgTmNormal),
    CVD_INTS("CFG_TM_FAST", cfgTmFast),
    CVD_INTS("CFG_MS_STOP", cfgMsStop),
    CVD_INTS("CFG_MS_NONE", cfgMsNone),
    CVD_INTS("CFG_MW_SCENE", cfgMwScene),
    CVD_INTS("CFG_MW_LOG", cfgMwLog),
    CVD_INTS("CFG_CLOSE", cfgClose),
    CVD_INTS("CFG_DETAIL", cfgDetail),
    CVD_INTS("CFG_DEFAULT", cfgDefault),
    CVD_INTS("CFG_VOL_DEFAULT", cfgVolDefault),
    CVD_INTS("CFG_VOL_CVTEST", cfgVolCvtest),
    CVD_INTS("CFG_AUTO", cfgAuto),
    CVD_INTS("LOG_BAR", logBar),
    CVD_INTS("LOG_BAR_INSIDE", logBarInside),
    CVD_INTS("LOG_BAR_UP", logBarUp),
    CVD_INTS("LOG_BAR_DOWN", logBarDown),
    CVD_INTS("LOG_WINDOW", logWindow),
    CVD_INTS("CFG_VOL_BAR", cfgVolBar),
    CVD_TEXT("CFG_VOL_KNOB", cfgVolKnob),
    KeyRule{"CFG_VOL1", Form::VolumePosition, nullptr, nullptr, 0},
    KeyRule{"CFG_VOL2", Form::VolumePosition, nullptr, nullptr, 1},
    KeyRule{"CFG_VOL3", Form::VolumePosition, nullptr, nullptr, 2},
    KeyRule{"CFG_VOL4", Form::VolumePosition, nullptr, nullptr, 3},
    CVD_TEXT("CFG_AUTO_KNOB", cfgAutoKnob),
    CVD_INTS("CFG_RIGHT_CLICK", cfgRightClick),
    CVD_INTS("CFG_HSE", cfgHse),
    CVD_INTS("CFG_SOUND", cfgSound),
    CVD_INTS("CFG_SHASEL_SIZE", cfgShaselSize),
    CVD_INTS("CFG_SHASEL1", cfgShasel1),
    CVD_INTS("CFG_SHASEL2", cfgShasel2),
    CVD_INTS("CFG_SHASEL3", cfgShasel3),
    CVD_INT("PANEL_USE", panelUse),
    CVD_INTS("PANEL_BASE", panelBase),
    CVD_INTS("PANEL_YES", panelYes),
    CVD_INTS("PANEL_NO", panelNo),
    CVD_INT("SPD_OFS_X", spdOfsX),
    CVD_INT("SPD_OFS_Y", spdOfsY),
    CVD_INT("SPD_MAX", spdMax),
    CVD_INT("SPD_DIR", spdDir),
    CVD_INT("SPD_TW", spdTw),
    CVD_INT("SPD_DOT_OFS_X", spdDotOfsX),
    CVD_INT("SPD_DOT_OFS_Y", spdDotOfsY),
    CVD_INT("SPD_DOT_SIZE", spdDotSize),
    CVD_INTS("LOG_FONTSIZE", logFontsize),
    CVD_INTS("LOG_PITCH", logPitch),
    CVD_INTS("LOG_LINES", logLines),
    CVD_INTS("LOG_RV_OFS", logRvOfs),
    CVD_TEXTS("GAIJI", gaiji),
    CVD_QB("QB_MS", 0),
    CVD_QB("QB_AT", 1),
    CVD_QB("QB_WC", 2),
    CVD_QB("QB_QS", 3),
    CVD_QB("QB_QL", 4),
    CVD_QB("QB_BL", 5),
    CVD_QB("QB_VR", 6),
    CVD_QB("QB_CF", 7),
    CVD_QB("QB_M1", 8),
    CVD_QB("QB_M2", 9),
    CVD_QB("QB_A+", 10),
    CVD_QB("QB_A-", 11),
    CVD_QB("QB_S1", 12),
    CVD_QB("QB_S2", 13),
    CVD_QB("QB_S3", 14),
    CVD_QB("QB_S4", 15),
    CVD_QB("QB_S5", 16),
    CVD_QB("QB_S6", 17),
    CVD_QB("QB_S7", 18),
    KeyRule{"NAME", Form::SpeakerEntry},
};

#undef CVD_INT
#undef CVD_INTS
#undef CVD_TEXT
#undef CVD_TEXTS
#undef CVD_QB

const KeyRule* findRule(std::string_view key) {
  for (const KeyRule& rule : kRules)
    if (rule.key == key) return &rule;
  return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Values.

// The value split at every "," and ":"; field k past the end is empty.
class Fields {
 public:
  explicit Fields(std::string_view value) {
    size_t start = 0;
    for (size_t i = 0; i <= value.size(); ++i) {
      if (i < value.size() && value[i] != ',' && value[i] != ':') continue;
      fields_.push_back(value.substr(start, i - start));
      start = i + 1;
    }
  }
  std::string_view operator[](size_t k) const { return k < fields_.size() ? fields_[k] : ""; }

 private:
  std::vector<std::string_view> fields_;
};

// Converts fields first..first+out.size()-1 into `out`; false when any does not convert.
bool convertFields(const Fields& fields, size_t first, std::span<int32_t> out) {
  for (size_t k = 0; k < out.size(); ++k)
    if (!strictDecimalToInt32(fields[first + k], out[k])) return false;
  return true;
}

// Every form converts into temporaries first, so a line with an error stores nothing.

bool applyIntFields(const KeyRule& rule, std::string_view value, GameConfig& config) {
  std::span<int32_t> target = rule.ints(config);
  std::array<int32_t, 12> values{};  // the longest list
  std::span<int32_t> converted(values.data(), target.size());
  bool ok = rule.form == Form::WholeInt ? strictDecimalToInt32(value, converted[0])
                                         : convertFields(Fields(value), 0, converted);
  if (!ok) return false;
  std::copy(converted.begin(), converted.end(), target.begin());
  return true;
}

void applyTextFields(const KeyRule& rule, std::string_view value, GameConfig& config) {
  std::span<std::string> target = rule.texts(config);
  if (rule.form == Form::WholeText) {
    target[0].assign(value);
    return;
  }
  Fields fields(value);
  for (size_t k = 0; k < target.size(); ++k) target[k].assign(fields[k]);
}

bool applyVolumePosition(int bar, std::string_view value, GameConfig& config) {
  std::array<int32_t, 2> xy{};
  if (!convertFields(Fields(value), 0, xy)) return false;
  config.cfgVolX[size_t(bar)] = xy[0];
  config.cfgVolY[size_t(bar)] = xy[1];
  return true;
}

// Field 0 is the mode; a button with mode 0 keeps its other rows as they are.
bool applyQuickButton(int column, std::string_view value, GameConfig& config) {
  Fields fields(value);
  std::array<int32_t, GameConfig::kQuickButtonRows> rows{};
  if (!strictDecimalToInt32(fields[0], rows[0])) return false;
  size_t used = 1;
  if (rows[0] != 0) {
    if (!convertFields(fields, 1, std::span<int32_t>(rows).subspan(1))) return false;
    used = rows.size();
  }
  for (size_t row = 0; row < used; ++row) config.quickButtons[row][size_t(column)] = rows[row];
  return true;
}

bool applySpeaker(std::string_view value, GameConfig& config) {
  Fields fields(value);
  int32_t index = 0;
  if (!strictDecimalToInt32(fields[0], index)) return false;
  if (index < 0 || index >= GameConfig::kSpeakers) return false;
  int32_t colour = 0;
  if (!speakerColourFromCode(fields[2], colour)) return false;
  Speaker& speaker = config.speakers[size_t(index)];
  speaker.name.assign(fields[1]);
  speaker.colour = colour;
  return true;
}

bool applyRule(const KeyRule& rule, std::string_view value, GameConfig& config) {
  switch (rule.form) {
    case Form::WholeInt:
    case Form::IntFields:
      return applyIntFields(rule, value, config);
    case Form::WholeText:
    case Form::TextFields:
      applyTextFields(rule, value, config);
      return true;
    case Form::VolumePosition:
      return applyVolumePosition(rule.index, value, config);
    case Form::QuickButton:
      return applyQuickButton(rule.index, value, config);
    case Form::SpeakerEntry:
      return applySpeaker(value, config);
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// Lines.

bool isComment(std::string_view line) {
  return line.empty() || line[0] == ';' || line[0] == '*';
}

// False on a data error. Lines without ":" and unknown keys are not errors.
bool applyLine(std::string_view line, GameConfig& config) {
  size_t colon = line.find(':');
  if (colon == std::string_view::npos) return true;
  const KeyRule* rule = findRule(upperSjisName(line.substr(0, colon)));
  if (!rule) return true;
  return applyRule(*rule, line.substr(colon + 1), config);
}

// The line at `pos` up to its NUL (or the end of the section) and moves past it.
std::string_view nextLine(std::span<const uint8_t> section, size_t& pos) {
  const char* start = reinterpret_cast<const char*>(section.data()) + pos;
  size_t left = section.size() - pos;
  const void* nul = std::memchr(start, 0, left);
  size_t length = nul ? size_t(static_cast<const char*>(nul) - start) : left;
  pos += nul ? length + 1 : length;
  return {start, length};
}

}  // namespace

bool strictDecimalToInt32(std::string_view text, int32_t& out) {
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return false;
  // The magnitude is bounded by 2^31 while it is built, so it never overflows int64.
  constexpr int64_t kLimit = int64_t(std::numeric_limits<int32_t>::max()) + 1;
  int64_t magnitude = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > kLimit) return false;
  }
  int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<int32_t>::max()) return false;
  out = int32_t(value);
  return true;
}

bool speakerColourFromCode(std::string_view code, int32_t& colour) {
  if (code.empty()) {
    colour = 0xFFFFFF;
    return true;
  }
  if (code.size() < 3) return false;
  colour = int32_t(colourFromCodes(code[0], code[1], code[2]));
  return true;
}

bool parseGameConfig(std::span<const uint8_t> section, GameConfig& config,
                     std::string* errorLine) {
  config = GameConfig{};
  size_t pos = 0;
  while (pos < section.size()) {
    std::string_view line = nextLine(section, pos);
    if (line == "END") break;
    if (isComment(line)) continue;
    if (applyLine(line, config)) continue;
    if (errorLine) errorLine->assign(line);
    return false;
  }
  return true;
}

}  // namespace corvid
