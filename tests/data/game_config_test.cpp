#include "data/game_config.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "data/colour_code.h"

namespace corvid {
namespace {

// A section as the archive holds it once un-negated: every line ends with a NUL.
std::vector<uint8_t> section(const std::vector<std::string>& lines) {
  std::vector<uint8_t> bytes;
  for (const std::string& line : lines) {
    bytes.insert(bytes.end(), line.begin(), line.end());
    bytes.push_back(0);
  }
  return bytes;
}

struct Parsed {
  bool ok = false;
  std::string errorLine;
  GameConfig config;
};

Parsed parse(const std::vector<std::string>& lines) {
  Parsed p;
  std::vector<uint8_t> bytes = section(lines);
  p.ok = parseGameConfig(bytes, p.config, &p.errorLine);
  return p;
}

TEST(GameConfig, LineSyntaxAndTextValues) {
  struct Case {
    std::vector<std::string> lines;
    std::string title;
  };
  const Case cases[] = {
      {{"TITLE:My Game"}, "My Game"},
      {{"title:My Game"}, "My Game"},         // keys are case-insensitive
      {{"Title: My Game"}, " My Game"},       // the value keeps its blanks
      {{"TITLE:a:b"}, "a:b"},                 // a text takes the whole value
      {{"TITLE :x"}, ""},                     // a blank makes the key unknown
      {{"TITLE:one", "TITLE:two"}, "two"},    // the later line wins
      {{"TITLE:"}, ""},
      {{";TITLE:x", "*TITLE:y", ""}, ""},     // comments and an empty line
      {{"TITLE", "NOSUCHKEY:1"}, ""},         // no ":" / unknown key: ignored, not errors
      {{"TITLE:a", "end", "TITLE:b"}, "b"},   // only "END" ends the section
      {{"TITLE:a", "END", "TITLE:b"}, "a"},
      {{"TITLE:a", "END ", "TITLE:b"}, "b"},
      {{"TITLE:\x83\x5C\x83\x74\x83\x67"}, "\x83\x5C\x83\x74\x83\x67"},  // Shift_JIS kept as is
  };
  for (const Case& c : cases) {
    Parsed p = parse(c.lines);
    EXPECT_TRUE(p.ok) << c.lines[0];
    EXPECT_EQ(p.config.title, c.title) << c.lines[0];
  }
}

TEST(GameConfig, StrictDecimalConversion) {
  struct Case {
    const char* text;
    bool ok;
    int32_t value;
  };
  const Case cases[] = {
      {"0", true, 0},
      {"12", true, 12},
      {"-7", true, -7},
      {"+5", true, 5},
      {"007", true, 7},
      {"2147483647", true, 2147483647},
      {"-2147483648", true, INT32_MIN},
      {"2147483648", false, 0},  // out of range: refused, not wrapped
      {"-2147483649", false, 0},
      {"99999999999999999999999", false, 0},
      {"", false, 0},
      {"-", false, 0},
      {"+-1", false, 0},
      {" 12", false, 0},
      {"12 ", false, 0},
      {"1a", false, 0},
      {"0x10", false, 0},
      {"1.5", false, 0},
  };
  for (const Case& c : cases) {
    int32_t value = 0;
    EXPECT_EQ(strictDecimalToInt32(c.text, value), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

TEST(GameConfig, IntegerAndFieldForms) {
  Parsed p = parse({
      "TXW_OFS_X:12",
      "txw_alpha2:-3",
      "VOLUME3:70",
      "LOG_LINES:12,99",            // field 0 only
      "CFG_WM_WIN:1,2,3,4,5",       // later fields ignored
      "CFG_WM_FULL:1:2,3:4",        // ":" splits as "," does
      "CFG_VOL_BAR:100,8,junk",
      "CFG_VOL2:10,20",             // x and y go to two arrays
      "CFG_SOUND:1,2,3,4,5,6,7,8,9,10",
      "CFG_GRA:cfg_a,cfg_b",
      "CFG_VOL_KNOB:knob:1",        // a text keeps its ":"
      "GAIJI:\x81\x9A\x81\x9B,rest",
      "PANEL_YES:5,6",
  });
  ASSERT_TRUE(p.ok) << p.errorLine;
  const GameConfig& c = p.config;
  EXPECT_EQ(c.txwOfsX, 12);
  EXPECT_EQ(c.txwAlpha2, -3);
  EXPECT_EQ(c.volume, (std::array<int32_t, 4>{0, 0, 70, 0}));
  EXPECT_EQ(c.logLines, 12);
  EXPECT_EQ(c.cfgWmWin, (std::array<int32_t, 4>{1, 2, 3, 4}));
  EXPECT_EQ(c.cfgWmFull, (std::array<int32_t, 4>{1, 2, 3, 4}));
  EXPECT_EQ(c.cfgVolBar, (std::array<int32_t, 2>{100, 8}));
  EXPECT_EQ(c.cfgVolX, (std::array<int32_t, 4>{0, 10, 0, 0}));
  EXPECT_EQ(c.cfgVolY, (std::array<int32_t, 4>{0, 20, 0, 0}));
  EXPECT_EQ(c.cfgSound, (std::array<int32_t, 10>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(c.cfgGra, (std::array<std::string, 2>{"cfg_a", "cfg_b"}));
  EXPECT_EQ(c.cfgVolKnob, "knob:1");
  EXPECT_EQ(c.gaiji, "\x81\x9A\x81\x9B");
  EXPECT_EQ(c.panelYes, (std::array<int32_t, 2>{5, 6}));
  EXPECT_EQ(c.txwOfsY, 0);  // not given: stays 0
}

TEST(GameConfig, MissingTextFieldIsEmpty) {
  Parsed p = parse({"CFG_GRA:only"});
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.config.cfgGra, (std::array<std::string, 2>{"only", ""}));
}

TEST(GameConfig, ConversionErrorsStopAtTheirLine) {
  struct Case {
    std::string bad;
  };
  const Case cases[] = {
      {"TXW_OFS_X:12,99"},  // a whole-value integer with a field separator
      {"TXW_OFS_X:"},
      {"TXW_OFS_X: 12"},
      {"LOG_LINES:,5"},
      {"CFG_WM_WIN:1,2,3"},  // the fourth field is missing
      {"CFG_WM_WIN:1,2,,4"},
      {"CFG_VOL1:10"},
      {"QB_MS:x"},
      {"QB_AT:1,2,3"},
      {"NAME:6,Rin,8"},
      {"NAME:6,Rin,8A"},
      {"NAME:60,Rin,FFF"},  // outside the speaker table
      {"NAME:-1,Rin,FFF"},
      {"NAME:,Rin,FFF"},
      {"VOLUME1:99999999999"},
  };
  for (const Case& c : cases) {
    Parsed p = parse({"TITLE:before", "CFG_WM_WIN:9,9,9,9", c.bad, "TITLE:after"});
    EXPECT_FALSE(p.ok) << c.bad;
    EXPECT_EQ(p.errorLine, c.bad);
    EXPECT_EQ(p.config.title, "before") << c.bad;  // what came before stays, nothing after
    // The failing line stores nothing, not even the fields that did convert.
    EXPECT_EQ(p.config.cfgWmWin, (std::array<int32_t, 4>{9, 9, 9, 9})) << c.bad;
    EXPECT_EQ(p.config.txwOfsX, 0) << c.bad;
    EXPECT_EQ(p.config.quickButtons[0][1], 0) << c.bad;
    EXPECT_EQ(p.config.speakers[6].name, "") << c.bad;
  }
}

TEST(GameConfig, LastLineWithoutNulIsReadToTheEnd) {
  const std::string text = std::string("FONT_SIZE:22", 12) + '\0' + "TITLE:tail";
  std::vector<uint8_t> bytes(text.begin(), text.end());
  GameConfig config;
  std::string error;
  EXPECT_TRUE(parseGameConfig(bytes, config, &error));
  EXPECT_EQ(config.fontSize, 22);
  EXPECT_EQ(config.title, "tail");

  // An integer at the very end, without NUL, converts from exactly its bytes.
  const std::string cut = "TXW_SIZE_X:64";
  EXPECT_TRUE(parseGameConfig(std::vector<uint8_t>(cut.begin(), cut.end()), config, nullptr));
  EXPECT_EQ(config.txwSizeX, 64);
  EXPECT_EQ(config.fontSize, 0);  // every parse starts from the zero state

  EXPECT_TRUE(parseGameConfig({}, config, nullptr));
  EXPECT_EQ(config.txwSizeX, 0);
}

TEST(GameConfig, QuickButtons) {
  Parsed p = parse({
      "QB_MS:0,5,5,5,5,5,5",    // mode 0: the other rows are not touched
      "QB_AT:2,10,11,12,13,14,15,99",
      "QB_S7:1,1,2,3,4,5,6",
      "QB_A-:1,7,7,7,7,7,7",
      "QB_WC:1,1,1,1,1,1,1",
      "QB_WC:0",                // a later mode 0 keeps the earlier values of rows 1..6
  });
  ASSERT_TRUE(p.ok) << p.errorLine;
  auto column = [&](int b) {
    std::array<int32_t, 7> rows{};
    for (int r = 0; r < 7; ++r) rows[r] = p.config.quickButtons[r][b - 1];
    return rows;
  };
  EXPECT_EQ(column(1), (std::array<int32_t, 7>{0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(column(2), (std::array<int32_t, 7>{2, 10, 11, 12, 13, 14, 15}));
  EXPECT_EQ(column(3), (std::array<int32_t, 7>{0, 1, 1, 1, 1, 1, 1}));
  EXPECT_EQ(column(12), (std::array<int32_t, 7>{1, 7, 7, 7, 7, 7, 7}));
  EXPECT_EQ(column(19), (std::array<int32_t, 7>{1, 1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(column(20), (std::array<int32_t, 7>{}));  // the unused column
}

TEST(GameConfig, Speakers) {
  struct Case {
    std::string line;
    int index;
    std::string name;
    int32_t colour;
  };
  const Case cases[] = {
      {"NAME:3,Aki,G80", 3, "Aki", 0x0080FF},
      {"NAME:3,Aki,g80", 3, "Aki", 0x0080FF},  // the code is upper-cased
      {"NAME:4,Ken,", 4, "Ken", 0xFFFFFF},
      {"NAME:4,Ken", 4, "Ken", 0xFFFFFF},      // no code at all: white
      {"NAME:5,Mio,80Z", 5, "Mio", 0x000080},
      {"NAME:0,A,0F9X", 0, "A", 0x90F000},     // only the first three count
      {"NAME:59,\x88\xa2,FFF", 59, "\x88\xa2", 0xF0F0F0},
  };
  for (const Case& c : cases) {
    Parsed p = parse({c.line});
    ASSERT_TRUE(p.ok) << c.line;
    EXPECT_EQ(p.config.speakers[c.index].name, c.name) << c.line;
    EXPECT_EQ(p.config.speakers[c.index].colour, c.colour) << c.line;
  }
}

TEST(GameConfig, ColourChannelCodes) {
  struct Case {
    char code;
    int value;
  };
  const Case cases[] = {{'0', 0},   {'1', 16},  {'9', 144}, {'A', 160}, {'F', 240},
                        {'a', 160}, {'f', 240}, {'G', 255}, {'g', 255}, {'H', 0},
                        {'Z', 0},   {' ', 0},   {'/', 0},   {':', 0},   {'\x82', 0}};
  for (const Case& c : cases) EXPECT_EQ(colourChannelFromCode(c.code), c.value) << c.code;
  EXPECT_EQ(colourFromCodes('G', '8', '0'), 0x0080FFu);
}

}  // namespace
}  // namespace corvid
