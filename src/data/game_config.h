#pragma once
// GameConfig: everything a title fixes in its "_config" section (window layout, fonts, the
// settings screen's pictures and rectangles, the registry location, how many archives may come
// from the secondary directory, quick buttons and speakers), and its parser.
//
// Section format: NUL-terminated Shift_JIS lines of KEY:VALUE. The key (before the first ":")
// is upper-cased, nothing is trimmed; the value keeps its case and blanks. Empty lines and lines
// starting with ";" or "*" are comments, a line exactly "END" ends the section, lines without
// ":" or with an unknown key are ignored, a repeated key takes its later value.
//
// Value forms: a whole-value integer; a text (the whole value, further ":" included); or
// fields, the value split at every "," and ":", of which the first n are used (later fields
// are ignored, a missing field is empty).
//
// Integers use a strict decimal conversion (see strictDecimalToInt32). A value that does not
// convert is a data error: reading stops at that line, everything before it stays.
//
// Every integer is 0 and every text empty until the section sets it. Field names are the keys
// in lowerCamelCase ("TXW_OFS_X" -> txwOfsX); numbered families are arrays.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace corvid {

struct Speaker {
  std::string name;    // Shift_JIS
  int32_t colour = 0;  // 0x00BBGGRR
};

struct GameConfig {
  static constexpr int kQuickButtons = 19;  // columns used of the 20
  static constexpr int kQuickButtonColumns = 20;
  static constexpr int kQuickButtonRows = 7;  // row 0: mode, rows 1..6: its values
  static constexpr int kSpeakers = 60;

  // Texts, all Shift_JIS.
  std::string title;         // window caption
  std::string maker;         // kept, read by nobody
  std::string makerReg;      // registry key of the player settings
  std::string gameId;        // section of that key for this title
  std::string defaultName;   // defaults of the player names
  std::string defaultName2;
  std::string defaultName3;
  std::string defaultName4;  // kept, read by nobody

  // Text window.
  int32_t txwOfsX = 0, txwOfsY = 0;  // position on the 800x600 screen
  int32_t txwOfsY2 = 0;              // second vertical position (the position toggle)
  int32_t txwSizeX = 0, txwSizeY = 0;
  int32_t txwColorR = 0, txwColorG = 0, txwColorB = 0;  // tint, 0..255 each
  int32_t txwAlpha = 0;
  int32_t txwAlpha2 = 0;

  std::string fontName;  // default of the player's font
  int32_t fontSize = 0;

  // Choices.
  int32_t selectYPos = 0;
  int32_t selectYPitch = 0;
  int32_t selectExpand = 0;  // in characters; 0: the wide choice pictures are not used
  int32_t selectTxtOy = 0;

  // Click-wait mark.
  int32_t clickWaitOfsX = 0, clickWaitOfsY = 0;  // relative to the text window
  int32_t clickWaitSizeX = 0, clickWaitSizeY = 0;
  int32_t clickWaitPat = 0;     // frames
  int32_t clickWaitTiming = 0;  // a shift count

  // Name plate.
  int32_t npOfsX = 0, npOfsY = 0;
  int32_t npSzX = 0, npSzY = 0;
  int32_t npType = 0;

  // Message text layouts.
  int32_t txOfsX = 0, txOfsY = 0;  // relative to the text window
  int32_t txPitchX = 0, txPitchY = 0;
  int32_t mojiMaxX = 0, mojiMaxY = 0;
  int32_t tx2OfsX = 0, tx2OfsY = 0;  // screen coordinates
  int32_t tx2PitchX = 0, tx2PitchY = 0;
  int32_t mojiMax2X = 0, mojiMax2Y = 0;

  // How many archives of each set may come from the secondary directory.
  int32_t qddGra = 0;
  int32_t qddGjp = 0;
  int32_t qddGdt = 0;  // kept, read by nobody
  int32_t qddWav = 0;
  int32_t qddOgg = 0;
  int32_t qddSe = 0;
  int32_t qddAnim = 0;  // 1: the first animation archive, 2: both

  std::array<int32_t, 4> volume{};  // VOLUME1..VOLUME4
  int32_t tachiType = 0;

  // Settings screen.
  std::array<std::string, 2> cfgGra;  // its two pictures
  std::array<int32_t, 4> cfgWmWin{}, cfgWmFull{}, cfgGmNormal{}, cfgGmFast{}, cfgTmNormal{},
      cfgTmFast{}, cfgMsStop{}, cfgMsNone{}, cfgMwScene{}, cfgMwLog{}, cfgClose{}, cfgDetail{},
      cfgDefault{}, cfgVolDefault{}, cfgVolCvtest{}, cfgAuto{};  // rectangles
  std::array<int32_t, 2> cfgVolBar{};
  std::string cfgVolKnob;
  std::array<int32_t, 4> cfgVolX{}, cfgVolY{};  // CFG_VOL1..CFG_VOL4: x values, y values
  std::string cfgAutoKnob;
  std::array<int32_t, 12> cfgRightClick{}, cfgHse{};
  std::array<int32_t, 10> cfgSound{};
  std::array<int32_t, 2> cfgShaselSize{};
  std::array<int32_t, 6> cfgShasel1{}, cfgShasel2{}, cfgShasel3{};

  // Backlog screen rectangles.
  std::array<int32_t, 4> logBar{}, logBarInside{}, logBarUp{}, logBarDown{}, logWindow{};

  // Confirmation panel.
  int32_t panelUse = 0;
  std::array<int32_t, 2> panelBase{}, panelYes{}, panelNo{};  // x, y

  // Speed gauge.
  int32_t spdOfsX = 0, spdOfsY = 0;
  int32_t spdMax = 0;
  int32_t spdDir = 0;
  int32_t spdTw = 0;  // 0: not drawn
  int32_t spdDotOfsX = 0, spdDotOfsY = 0, spdDotSize = 0;

  // Backlog.
  int32_t logFontsize = 0, logPitch = 0, logLines = 0, logRvOfs = 0;

  // The character codes the title's own extra characters replace, one double-byte character
  // each, in the order of their cells in the picture "sys_gaiji".
  std::string gaiji;

  // quickButtons[row][column]: column b - 1 for button b (1..19, in the order QB_MS, QB_AT,
  // QB_WC, QB_QS, QB_QL, QB_BL, QB_VR, QB_CF, QB_M1, QB_M2, QB_A+, QB_A-, QB_S1..QB_S7).
  // Row 0 is the mode (0 none, 1 relative to the text window, 2 on the screen); rows 1..6
  // width, height, x, y and two drawing values.
  std::array<std::array<int32_t, kQuickButtonColumns>, kQuickButtonRows> quickButtons{};

  std::array<Speaker, kSpeakers> speakers;  // NAME:index,name,colour code
};

// Parses an un-negated "_config" section into `config` (which starts from the zero state).
// Returns false on a data error: the line that could not be converted (an integer field that
// is not a number or is missing, a speaker index outside 0..59, a speaker colour code of one or
// two characters) ends reading, everything before it is kept, that line applies nothing, and
// its text goes to *errorLine when given. A last line without its NUL is read up to the end.
bool parseGameConfig(std::span<const uint8_t> section, GameConfig& config,
                     std::string* errorLine);

// The strict decimal conversion of configuration integers: an optional "-" or "+", then one
// or more digits 0-9, and nothing else (no blanks, no hex). Values outside signed 32 bits are
// refused rather than wrapped, so a typo cannot turn into a huge negative size.
bool strictDecimalToInt32(std::string_view text, int32_t& out);

// The colour of a speaker colour code: empty gives white 0xFFFFFF; otherwise the first three
// characters are the red, green and blue codes (see colourChannelFromCode). A code of one or
// two characters has no complete colour: false.
bool speakerColourFromCode(std::string_view code, int32_t& colour);

}  // namespace corvid
