// The interpreter step over text: line kinds, pacing, skipping, pauses, click waits, name
// lines, marks and tags, and what reaches the message log and the text grid.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "interpreter_rig.h"

namespace corvid {
namespace {

using testing::InterpreterRig;
using testing::sjis;
using Lines = std::vector<std::string>;

// What one step left: the log line being written and the finished lines.
struct AfterStep {
  std::string current;
  Lines finished;
  bool operator==(const AfterStep&) const = default;
};

std::vector<AfterStep> stepByStep(InterpreterRig& rig, int steps) {
  std::vector<AfterStep> out;
  for (int i = 0; i < steps; ++i) {
    rig.interpreter.step();
    out.push_back({rig.currentLogLine(), rig.logLines()});
  }
  return out;
}

TEST(MessageStream, PacedTextShowsOneCharacterPerStep) {
  InterpreterRig rig;
  rig.start({"ab", "\\"});
  EXPECT_EQ(stepByStep(rig, 3), (std::vector<AfterStep>{
                                    {"a", {}}, {"ab", {}}, {"", {"ab"}}}));
  EXPECT_EQ(rig.text.row(), 2);  // the line's end moved the cursor to the next row
  EXPECT_EQ(rig.text.column(), 0);
  rig.interpreter.step();
  EXPECT_EQ(rig.wait.waitKind, 1);
}

TEST(MessageStream, WhatEndsPacing) {
  struct Case {
    const char* name;
    int delay;
    bool textPaced;
    int32_t autoSpeed;
    bool instantPage;
    int stepsForTheLine;  // steps until the line "abc" is closed
  };
  const Case cases[] = {
      {"paced", 1, true, 0, false, 4},
      {"delay 0", 0, true, 0, false, 1},
      {"not paced, auto off", 1, false, 0, false, 1},
      {"not paced, auto on", 1, false, 3, false, 4},
      {"instant page", 1, true, 0, true, 1},
  };
  for (const Case& c : cases) {
    InterpreterRig rig;
    rig.host.scriptSettings.textPaced = c.textPaced;
    rig.vars.S[26] = c.autoSpeed;
    rig.start({"abc", "\\"});
    rig.wait.characterDelay = c.delay;
    rig.wait.instantPage = c.instantPage;
    int steps = 0;
    while (rig.log.slotIndex() == 0 && steps < 10) {
      rig.interpreter.step();
      ++steps;
    }
    EXPECT_EQ(steps, c.stepsForTheLine) << c.name;
  }
}

TEST(MessageStream, CharacterDelayWaitsTicksAfterEachCharacter) {
  InterpreterRig rig;
  rig.start({"[delay 3]ab"});
  rig.interpreter.step();
  EXPECT_EQ(rig.currentLogLine(), "a");
  EXPECT_EQ(rig.wait.waitTicks, 2);
}

TEST(MessageStream, SkippingStreamsLinesUntilSomethingEndsTheStep) {
  InterpreterRig rig;
  rig.skipLevel = 1;
  rig.start({"one", "two", "%5three", "four", "*wait_v_end", "five"});
  rig.interpreter.step();  // a pause ends the step, but takes no time while skipping
  EXPECT_EQ(rig.logLines(), (Lines{"one", "two"}));
  EXPECT_EQ(rig.wait.waitTicks, 0);
  rig.interpreter.step();
  EXPECT_EQ(rig.logLines(), (Lines{"one", "two", "three", "four"}));
  EXPECT_TRUE(rig.wait.voiceWait);
  EXPECT_EQ(rig.line(), 4);
}

TEST(MessageStream, Pauses) {
  struct Case {
    const char* line;
    int32_t ticks;
    std::string shownAfter;  // the log line once the text after the pause is out
  };
  const Case cases[] = {
      {"a%b", 10, "ab"},
      {"a%25b", 25, "ab"},
      {"a%0b", 10, "a0b"},  // "%0" pauses 10 ticks and then shows "0"
      {"a[wait 5]b", 5, "ab"},
      {"a[wait -5]b", 0, "ab"},  // a negative pause would never end
  };
  for (const Case& c : cases) {
    InterpreterRig rig;
    rig.start({c.line});
    rig.wait.characterDelay = 0;
    rig.interpreter.step();
    EXPECT_EQ(rig.currentLogLine(), "a") << c.line;
    EXPECT_EQ(rig.wait.waitTicks, c.ticks) << c.line;
    rig.wait.waitTicks = 0;
    rig.interpreter.step();
    EXPECT_EQ(rig.logLines(), Lines{c.shownAfter}) << c.line;
  }
}

TEST(MessageStream, ClickWaitLines) {
  struct Case {
    const char* line;
    int32_t waitKind;
    std::vector<std::string> events;
    int32_t s39;
    Lines log;  // the page-end waits close a (here empty) log line
  };
  const Case cases[] = {
      {"\\", 1, {"storePage"}, 0, {"text", ""}},
      {"~", 4, {"storePage"}, 0, {"text", ""}},
      {"+", 5, {}, 0, {"text", ""}},
      {"=", 2, {"storePage", "pageContinues"}, 1, {"text"}},
  };
  for (const Case& c : cases) {
    InterpreterRig rig;
    rig.start({"text", c.line, "after"});
    rig.wait.characterDelay = 0;
    rig.interpreter.step();  // the text line
    rig.host.events.clear();
    rig.interpreter.step();
    EXPECT_EQ(rig.wait.waitKind, c.waitKind) << c.line;
    EXPECT_EQ(rig.host.events, c.events) << c.line;
    EXPECT_EQ(rig.vars.S[39], c.s39) << c.line;
    EXPECT_EQ(rig.logLines(), c.log) << c.line;
  }
}

TEST(MessageStream, LineWaitWhileSkippingDoesNothing) {
  InterpreterRig rig;
  rig.skipLevel = 1;
  rig.start({"=", "after"});
  rig.interpreter.step();
  EXPECT_EQ(rig.wait.waitKind, 0);
  EXPECT_EQ(rig.host.events, (std::vector<std::string>{"gallery main", "recollection MAIN"}));
  rig.interpreter.step();
  EXPECT_EQ(rig.logLines(), Lines{"after"});
}

TEST(MessageStream, ClickEndsPageWaitWithANewPage) {
  InterpreterRig rig;
  rig.start({"あ\\", "い〓う", "え▼お", "か"});
  rig.wait.characterDelay = 0;
  rig.run();
  EXPECT_EQ(rig.wait.waitKind, 1);
  EXPECT_EQ(rig.logLines(), Lines{"あ"});
  rig.clickAndRun();  // a new page; "〓" waits with the page kept
  EXPECT_EQ(rig.wait.waitKind, 2);
  EXPECT_EQ(rig.text.charactersShown(), 1);
  rig.clickAndRun();  // the rest of the line on the same page; "▼" drops "お"
  EXPECT_EQ(rig.text.charactersShown(), 3);
  EXPECT_EQ(rig.wait.waitKind, 1);
  rig.clickAndRun();
  EXPECT_EQ(rig.logLines(), (Lines{"あ", "いう", "え", "か"}));
}

TEST(MessageStream, NewPageMarkAndEmptyLines) {
  InterpreterRig rig;
  rig.start({"あ", "", "い▽う", "え"});
  rig.wait.characterDelay = 0;
  rig.run(2);
  // "▽" closed the log line and began a new page at once.
  EXPECT_EQ(rig.logLines(), (Lines{"あ", "い"}));
  EXPECT_EQ(rig.text.charactersShown(), 0);
  rig.run(1);
  EXPECT_EQ(rig.text.rowText(1), sjis("え"));  // row 1 of the new page
  EXPECT_EQ(rig.logLines(), (Lines{"あ", "い", "え"}));
}

TEST(MessageStream, EmptyLineMovesTheRow) {
  InterpreterRig rig;
  rig.start({"あ", "", "い"});
  rig.wait.characterDelay = 0;
  rig.run(1);
  EXPECT_EQ(rig.text.row(), 2);
  rig.run(1);
  EXPECT_EQ(rig.text.rowText(3), sjis("い"));
  EXPECT_EQ(rig.text.rowText(2), "");
  EXPECT_EQ(rig.logLines(), (Lines{"あ", "い"}));
}

TEST(MessageStream, NameLines) {
  struct Case {
    const char* line;
    std::string name;
  };
  const Case cases[] = {
      {">春香", "春香"},
      {">＄０", "ゆう"},    // string slot 0, the player's name
      {">＄３", "三番"},
      {">＄", "＄"},        // no digit: the text itself
  };
  for (const Case& c : cases) {
    InterpreterRig rig;
    rig.vars.setString(0, sjis("ゆう"));
    rig.vars.setString(3, sjis("三番"));
    rig.start({c.line, "「やあ」"});
    rig.wait.characterDelay = 0;
    rig.interpreter.step();
    EXPECT_EQ(rig.logLines(), (Lines{c.name, "「やあ」"})) << c.line;
    EXPECT_EQ(testing::utf8(rig.text.rowText(0)), c.name) << c.line;
    EXPECT_EQ(testing::utf8(rig.interpreter.state().name.view()), c.name) << c.line;
  }
}

TEST(MessageStream, NameLineInFullScreenTextModeIsARowOfText) {
  InterpreterRig rig;
  rig.vars.S[160] = 1;
  rig.start({">春香", "やあ"});
  rig.interpreter.step();  // paced text, but the name streams at once
  EXPECT_EQ(rig.logLines(), (Lines{"春香"}));
  EXPECT_EQ(rig.text.rowText(0), sjis("春香"));
  EXPECT_EQ(rig.text.row(), 1);
}

TEST(MessageStream, TagsAndMarks) {
  struct Case {
    const char* line;
    std::string logged;
    std::vector<std::string> ownerCalls;
  };
  const Case cases[] = {
      {"合計[?V001+1]点", "合計8点", {}},
      {"[?v001]", "0", {}},  // lower case is no expression: 0
      {"君は[$1]", "君は佐倉", {}},
      {"[$a]x", "x", {}},
      {"a[1]b[2]c", "abc", {}},
      {"a[COL 2]b", "ab", {}},  // tag names without case
      {"a<るび>b", "ab", {}},   // ruby is not logged
      {"a<るび", "a", {}},      // ruby to the end of the line
      {"◆§√x", "x", {}},      // shown but not logged
      {"a[gra A001,3]b", "ab", {"pictures:tag gra|A001,3"}},
      {"[spr B01]", "", {"pictures:tag spr|B01"}},
      {"[bg A01][clrb 0]", "", {"pictures:tag bg|A01", "pictures:tag clrb|0"}},
      {"a[cv V001]b", "ab", {"sound:tag cv|V001"}},
      {"a[unknown]b", "ab", {}},
      {"a[col 2", "a", {}},     // a tag without "]" ends at the end of the line
      {"\\rest", "", {}},       // "\" drops the rest of the line
  };
  for (const Case& c : cases) {
    InterpreterRig rig;
    rig.vars.V[1] = 7;
    rig.vars.setString(1, sjis("佐倉"));
    rig.start({c.line, "\\"});
    rig.wait.characterDelay = 0;
    rig.run(5);
    const Lines logged = rig.logLines();
    EXPECT_EQ(logged.empty() ? "" : logged.front(), c.logged) << c.line;
    EXPECT_EQ(rig.owners.calls, c.ownerCalls) << c.line;
  }
}

TEST(MessageStream, TagEffects) {
  InterpreterRig rig;
  rig.vars.S[28] = 1;
  rig.text.openTextWindow();  // a page that has begun (a new page would clear the tags)
  rig.start({"[col 3][2][delay 0]a[cv V9]b"});
  rig.interpreter.step();
  EXPECT_EQ(rig.text.colourCode(), 3);
  EXPECT_EQ(rig.text.colourAt(1, 2), 3);  // "a" indented to column 2
  EXPECT_TRUE(rig.text.wideSpacing());
  EXPECT_EQ(rig.wait.characterDelay, 0);
  EXPECT_EQ(testing::utf8(rig.interpreter.state().lastVoice.view()), "V9");
  EXPECT_EQ(rig.host.events.back(), "voice V9");
}

TEST(MessageStream, InsertionStreamsAtTheCharacterPace) {
  InterpreterRig rig;
  rig.vars.setString(0, sjis("ゆう"));
  rig.start({"＄０さん"});
  EXPECT_EQ(stepByStep(rig, 4), (std::vector<AfterStep>{
                                    {"ゆ", {}}, {"ゆう", {}}, {"ゆうさ", {}}, {"ゆうさん", {}}}));
}

TEST(MessageStream, LineEndResetsS164) {
  InterpreterRig rig;
  rig.vars.S[164] = 5;
  rig.start({"a"});
  rig.wait.characterDelay = 0;
  rig.interpreter.step();
  EXPECT_EQ(rig.vars.S[164], 0);
}

TEST(MessageStream, MalformedTextStaysWithinTheLine) {
  InterpreterRig rig;
  rig.config.mojiMaxX = 0;  // one long row
  std::string longLine(3000, 'x');
  rig.scripts.entries["MAIN"] = testing::scriptBytes({longLine, "next"});
  // A first byte of a double-byte character as the last byte of a line, and a "＄" mark cut
  // off by the line's end.
  std::vector<uint8_t>& bytes = rig.scripts.entries["MAIN"];
  const std::vector<uint8_t> tail = {'a', 0x82, 0, 'b', 0x81, 0x90, 0, 'c', 0x81, 0x90, 0x82, 0};
  bytes.insert(bytes.end(), tail.begin(), tail.end());
  rig.interpreter.startMain();
  rig.skipLevel = 1;
  rig.interpreter.step();
  const Lines lines = rig.logLines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], std::string(69, 'x'));  // a log slot holds 69 bytes
  EXPECT_EQ(lines[1], "next");
  EXPECT_EQ(lines[2], "a");
  EXPECT_EQ(lines[3], "b");
  EXPECT_EQ(lines[4], "c");
  EXPECT_EQ(rig.host.errors.front(), "main:1: line longer than 2047 bytes, cut");
}

// Half-width katakana are characters of one byte each, in the text and in insertions.
TEST(MessageStream, HalfWidthKatakanaTakeOneColumnEach) {
  InterpreterRig rig;
  rig.start({"ｱｲ[$3]ｳ"});
  rig.vars.setString(3, "\xb4\xb5");  // ｴｵ
  rig.wait.characterDelay = 0;
  rig.interpreter.step();
  EXPECT_EQ(rig.logLines().back(), "ｱｲｴｵｳ");
  EXPECT_EQ(rig.text.rowText(1), "\xb1\xb2\xb4\xb5\xb3");
  EXPECT_EQ(rig.text.charactersShown(), 5);
}

TEST(MessageStream, BlocksReachedInTheFlowAreSkipped) {
  InterpreterRig rig;
  rig.start({"{", "!V001=1", "}", "{:Case(V002=0)", "!V002=1", "{:Other", "!V003=1", "}:case",
             "!V004=1"});
  rig.interpreter.step();
  EXPECT_EQ(rig.vars.V[1], 0);
  EXPECT_EQ(rig.vars.V[2], 0);
  EXPECT_EQ(rig.vars.V[3], 0);
  EXPECT_EQ(rig.vars.V[4], 1);
}

TEST(MessageStream, BlockWithoutItsCloseEndsTheScript) {
  InterpreterRig rig;
  rig.start({"{", "!V001=1"});
  rig.interpreter.step();
  EXPECT_EQ(rig.vars.V[1], 0);
  EXPECT_EQ(rig.interpreter.images().main.position, rig.interpreter.images().main.size());
}

TEST(MessageStream, StatementsUpdateTheMenusForS0AndS28) {
  InterpreterRig rig;
  rig.start({"!S000=1;S028=1", "!s026 = 2", "*calc V001=2+3*4"});
  rig.host.events.clear();
  rig.interpreter.step();
  EXPECT_EQ(rig.host.events, (std::vector<std::string>{"updateMenus", "updateMenus"}));
  EXPECT_EQ(rig.vars.S[26], 2);
  EXPECT_EQ(rig.vars.V[1], 20);
}

TEST(MessageStream, AutoCountdown) {
  struct Case {
    int32_t speed;
    int32_t spdMax;
    int32_t expected;  // characters / (SPD_MAX - S26 + 12) + 2 * S26 + 2 for 30 characters
  };
  const Case cases[] = {{0, 5, 30 / 17 + 2}, {5, 5, 30 / 12 + 12}, {17, 5, 30 + 36}};
  for (const Case& c : cases) {
    InterpreterRig rig;
    rig.config.spdMax = c.spdMax;
    rig.vars.S[26] = c.speed;
    rig.start({std::string(30, 'a') + "\\"});
    rig.wait.characterDelay = 0;
    rig.run();
    EXPECT_EQ(rig.wait.autoCountdown, c.expected) << c.speed;
  }
}

TEST(MessageStream, ALoopWithoutAWaitYieldsTheStep) {
  InterpreterRig rig;
  rig.start({":LOOP", "!V001=V001+1", "*go LOOP"});
  rig.interpreter.step();
  EXPECT_GT(rig.vars.V[1], 0);
  EXPECT_LE(rig.vars.V[1], kLinesPerStep);
}

TEST(MessageStream, TraceNamesScriptAndLine) {
  InterpreterRig rig;
  rig.start({";c", "*nosuch", "a"});
  rig.interpreter.step();
  EXPECT_EQ(rig.host.traced, (Lines{"main:1: ;c", "main:2: *nosuch", "main:3: a"}));
  EXPECT_EQ(rig.host.errors, (Lines{"main:2: unknown command"}));
}

}  // namespace
}  // namespace corvid
