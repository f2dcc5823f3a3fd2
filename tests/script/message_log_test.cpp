// The message log: slots of 69 bytes of text, 200 finished lines kept, the oldest dropped.

#include "script/message_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/sjis.h"
#include "script/variables.h"

namespace corvid {
namespace {

void appendLine(MessageLog& log, const std::string& text) {
  log.appendText(text);
  log.closeLine();
}

TEST(MessageLog, SlotHoldsSixtyNineBytesAndNeverHalfACharacter) {
  struct Case {
    std::string text;
    std::string kept;
  };
  const std::string a69(69, 'a');
  const std::string kana = utf8ToSjis("あ");
  std::string kanaRun;
  for (int i = 0; i < 35; ++i) kanaRun += kana;  // 70 bytes
  const Case cases[] = {
      {"", ""},
      {a69, a69},
      {a69 + "b", a69},
      {kanaRun, kanaRun.substr(0, 68)},  // the 35th would end at byte 70
      {std::string(68, 'a') + kana, std::string(68, 'a')},
  };
  for (const Case& c : cases) {
    MessageLog log;
    appendLine(log, c.text);
    EXPECT_EQ(log.finishedLines(), std::vector<std::string>{c.kept});
    EXPECT_EQ(log.writeLength(), MessageLog::kSlotBytes);
  }
}

TEST(MessageLog, KeepsTheLastTwoHundredLines) {
  MessageLog log;
  for (int i = 0; i < 203; ++i) appendLine(log, "line" + std::to_string(i));
  EXPECT_EQ(log.slotIndex(), 200);
  EXPECT_EQ(log.writeLength(), 200 * MessageLog::kSlotBytes);
  const std::vector<std::string> lines = log.finishedLines();
  ASSERT_EQ(lines.size(), 200u);
  EXPECT_EQ(lines.front(), "line3");
  EXPECT_EQ(lines.back(), "line202");
  log.appendText("open");
  EXPECT_EQ(log.currentLine(), "open");
}

TEST(MessageLog, CloseLogLineClearsTheWrappedFlag) {
  MessageLog log;
  VariableSpaces vars;
  vars.S[38] = 1;
  log.appendText("x");
  closeLogLine(log, vars);
  EXPECT_EQ(vars.S[38], 0);
  EXPECT_EQ(log.slotIndex(), 1);
  EXPECT_EQ(log.currentLine(), "");
}

}  // namespace
}  // namespace corvid
