// The grid text sink's layout: the name row, the indent of continued rows, hanging
// punctuation, automatic breaks that close the log line, the dropped space after a break, wide
// spacing and the window commands.

#include "script/text_sink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/game_config.h"
#include "data/sjis.h"
#include "script/message_log.h"
#include "script/variables.h"

namespace corvid {
namespace {

struct Sink {
  GameConfig config;
  VariableSpaces vars;
  MessageLog log;
  int32_t skipLevel = 0;
  GridTextSink text{config, vars, log, skipLevel};

  explicit Sink(int mojiMaxX = 40) { config.mojiMaxX = mojiMaxX; }
  // Places the characters of a UTF-8 text; returns the (column, row) of each.
  std::vector<std::pair<int, int>> place(const std::string& utf8) {
    const std::string s = utf8ToSjis(utf8);
    std::vector<std::pair<int, int>> at;
    for (size_t i = 0; i < s.size();) {
      const int width = static_cast<unsigned char>(s[i]) >= 0x80 ? 2 : 1;
      text.placeCharacter(s.data() + i, width);
      at.emplace_back(text.column(), text.row());
      i += size_t(width);
    }
    return at;
  }
};

using Cells = std::vector<std::pair<int, int>>;

TEST(GridTextSink, FirstCharacterGoesToRowOneAndContinuedRowsIndent) {
  Sink s;
  // The cursor after each character: rows below the name row begin in column 2.
  EXPECT_EQ(s.place("あい"), (Cells{{4, 1}, {6, 1}}));
  EXPECT_TRUE(s.text.windowShown());
  s.text.newLine();
  EXPECT_EQ(s.place("う"), (Cells{{4, 2}}));
  s.text.newLine();
  EXPECT_EQ(s.place("「"), (Cells{{2, 3}}));   // an opening bracket keeps column 0
  EXPECT_EQ(utf8ToSjis("「"), s.text.rowText(3));
  EXPECT_EQ(s.text.charactersShown(), 4);
}

TEST(GridTextSink, BreaksAtTheRowMaximumUnlessTheCharacterMayHang) {
  struct Case {
    const char* character;
    std::pair<int, int> after;  // column and row after placing it at column 40
    int logLines;
  };
  const Case cases[] = {
      {"。", {42, 1}, 0},  // hangs into the two columns after the maximum
      {"っ", {42, 1}, 0},
      {"あ", {4, 2}, 1},   // column 0 of the next row plus the indent
      {"「", {2, 2}, 1},
      {"a", {3, 2}, 1},
  };
  for (const Case& c : cases) {
    Sink s;
    s.place(std::string(38, 'x'));  // from column 2
    ASSERT_EQ(s.text.column(), 40);
    EXPECT_EQ(s.place(c.character), Cells{c.after}) << c.character;
    EXPECT_EQ(s.log.slotIndex(), c.logLines) << c.character;
    EXPECT_EQ(s.vars.S[38], c.logLines) << c.character;  // wrapped
  }
}

TEST(GridTextSink, FullWidthSpaceAfterAnAutomaticBreakIsDropped) {
  Sink s(6);
  s.place("ああ。");                     // "。" hangs in column 6
  EXPECT_EQ(s.place("　う"), (Cells{{2, 2}, {4, 2}}));  // the space breaks and is dropped
  s.text.newLine();
  s.vars.S[38] = 0;                       // an explicit new line closed the log line
  EXPECT_EQ(s.place("　"), (Cells{{4, 3}}));
}

TEST(GridTextSink, WideSpacingAdvancesThreeColumns) {
  Sink s;
  s.text.openTextWindow();  // a new page would turn wide spacing off again
  s.text.setWideSpacing(true);
  EXPECT_EQ(s.place("「あa"), (Cells{{3, 1}, {6, 1}, {9, 1}}));
}

TEST(GridTextSink, NoBreakWithoutARowMaximum) {
  Sink s(0);
  s.place(std::string(60, 'x'));
  EXPECT_EQ(s.text.column(), 62);
  EXPECT_EQ(s.log.slotIndex(), 0);
}

TEST(GridTextSink, WindowCommands) {
  Sink s;
  s.place("あ");
  s.text.closeTextWindow();
  EXPECT_FALSE(s.text.windowShown());
  EXPECT_EQ(s.text.column(), 0);
  s.text.openTextWindow();
  EXPECT_TRUE(s.text.windowShown());
  EXPECT_TRUE(s.text.gridEmpty());

  s.text.setTextMode(1);
  EXPECT_EQ(s.vars.S[160], 1);
  s.place("あ");  // full-screen text mode has no name row and no indent
  EXPECT_EQ(s.text.row(), 0);
  s.text.setTextMode(0);
  EXPECT_EQ(s.vars.S[160], 0);

  s.text.declareWindowShown(false);
  EXPECT_FALSE(s.text.windowShown());
  EXPECT_EQ(s.text.charactersShown(), 0);
}

TEST(GridTextSink, NamePlateTakesTheSpeakersColour) {
  Sink s;
  s.config.speakers[3] = {utf8ToSjis("春"), 0x0000FF};
  s.text.drawNamePlate(utf8ToSjis("春"));
  EXPECT_EQ(s.vars.S[37], 0x0000FF);
  s.text.drawNamePlate(utf8ToSjis("誰か"));
  EXPECT_EQ(s.vars.S[37], 0xFFFFFF);
}

}  // namespace
}  // namespace corvid
