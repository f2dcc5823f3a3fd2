// The commands: labels and jumps, conditional lines, computed branches, chain, call and end,
// the play-state commands, and the hand-over of the owned commands.

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "interpreter_rig.h"

namespace corvid {
namespace {

using testing::InterpreterRig;
using testing::sjis;
using Lines = std::vector<std::string>;

// Runs a "main" of these lines with unpaced text and returns the log.
Lines runMain(InterpreterRig& rig, const Lines& lines, int steps = 50) {
  rig.host.scriptSettings.textPaced = false;
  rig.start(lines);
  rig.run(steps);
  return rig.logLines();
}

TEST(ControlCommands, GoFindsTheFirstColonFollowedByTheName) {
  struct Case {
    Lines script;
    Lines log;
  };
  const Case cases[] = {
      {{"*go B", "skipped", ":B", "b"}, {"b"}},
      {{"*go b", "skipped", ":B", "b"}, {"b"}},              // without case
      {{"*go B", "a", "text:B", "after"}, {"after"}},        // a label in the middle of a line
      {{"*go B", "a", ":BB", "b"}, {"a", "b"}},              // the whole rest of the line
      {{"*go NONE", "next"}, {"next"}},                      // a missing label goes on
      {{"x", "*go X2", ":X1", "one", ":X2", "two"}, {"x", "two"}},
  };
  for (const Case& c : cases) {
    InterpreterRig rig;
    EXPECT_EQ(runMain(rig, c.script), c.log) << c.script[0];
  }
}

TEST(ControlCommands, IfTargets) {
  struct Case {
    std::string line;
    int32_t v1;  // V1 after the first step
    std::string lineAfterStep;
    bool jumps;  // to the label L2, past "!V002=2"
  };
  const std::string longTarget = "!V001=1;" + std::string(200, ' ');
  const Case cases[] = {
      {"*if (V005=1) !V001=1", 1, "*wait_v_end", false},   // runs in this step, goes on
      {"*if (V005=0) !V001=1", 0, "*if (V005=0) !V001=1", false},  // false ends the step
      {"*if (V005=1) *calc V001=3", 3, "*wait_v_end", false},
      {"*if (V005=1)   @calc V001=4", 4, "*wait_v_end", false},
      {"*if (V005 = 1 & V001 = 0) !V001=5", 5, "*wait_v_end", false},
      {"*if (V005=1) L2", 0, "*if (V005=1) L2", true},      // a label: jump, end the step
      {"*if (V005=1)", 0, "*if (V005=1)", false},           // no target
      {"*if (V005=1) " + longTarget, 0, "*if (V005=1) " + longTarget, false},
  };
  for (const Case& c : cases) {
    InterpreterRig rig;
    rig.vars.V[5] = 1;
    rig.start({c.line, "*wait_v_end", "!V002=2", ":L2", "!V003=3"});
    rig.interpreter.step();
    EXPECT_EQ(rig.vars.V[1], c.v1) << c.line;
    EXPECT_EQ(rig.lineBuffer(), c.lineAfterStep) << c.line;
    for (int i = 0; i < 5; ++i) {
      rig.wait.voiceWait = false;
      rig.interpreter.step();
    }
    EXPECT_EQ(rig.vars.V[2], c.jumps ? 0 : 2) << c.line;
    EXPECT_EQ(rig.vars.V[3], 3) << c.line;
  }
}

TEST(ControlCommands, CjmpRunsOneCaseOrSkipsTheConstruct) {
  struct Case {
    std::string command;
    int32_t s6;
    Lines log;
  };
  const Case cases[] = {
      {"*cjmp 0", 0, {"zero", "after"}},
      {"*cjmp 1", 0, {"one", "after"}},
      {"*cjmp V001", 0, {"one", "after"}},  // V1 = 1
      {"*cjmp 2", 0, {"after"}},            // no case 2
      {"*cjmp 5", 0, {"after"}},
      {"*cjmp -1", 0, {"after"}},           // stays before the first "{", which skips it
      {"*cjmp", 1, {"one", "after"}},       // without an expression: S6
      {"*cjmp", 0, {"zero", "after"}},
      {"*cjmp v001", 0, {"zero", "after"}},  // lower case is no expression: 0
  };
  for (const Case& c : cases) {
    InterpreterRig rig;
    rig.vars.V[1] = 1;
    rig.vars.S[6] = c.s6;
    EXPECT_EQ(runMain(rig, {c.command, "{", "zero", "{", "one", "}", "after"}), c.log)
        << c.command << " S6=" << c.s6;
  }
}

TEST(ControlCommands, ChainSwitchesScriptAndDropsTheCallStack) {
  struct Case {
    std::string command;
    Lines log;
    std::string script;
  };
  const Case cases[] = {
      {"*chain second", {"first line", "labelled"}, "second"},
      {"*chain second:L", {"labelled"}, "second"},
      {"*chain second rest:L", {"first line", "labelled"}, "second"},  // after a blank: ignored
      {"*chain missing:HERE", {"here"}, "missing"},  // goes on in the current image
  };
  for (const Case& c : cases) {
    InterpreterRig rig;
    rig.scripts.add("second", {"first line", ":L", "labelled"});
    rig.scripts.add("sub", {c.command, ":HERE", "here"});
    EXPECT_EQ(runMain(rig, {"*call sub", "main after"}), c.log) << c.command;
    EXPECT_EQ(rig.interpreter.callDepth(), 0) << c.command;
    EXPECT_EQ(rig.currentScript(), c.script) << c.command;
  }
}

TEST(ControlCommands, CallNestsNineLevelsAndReturnsToEachCaller) {
  InterpreterRig rig;
  for (int level = 1; level <= 10; ++level) {
    const std::string next = "s" + std::to_string(level + 1);
    rig.scripts.add("s" + std::to_string(level),
                    {"in " + std::to_string(level), "*call " + next, "back " + std::to_string(level)});
  }
  runMain(rig, {"*call s1", "back main"}, 100);
  Lines expected;
  for (int level = 1; level <= 9; ++level) expected.push_back("in " + std::to_string(level));
  // The tenth call is refused: s9 goes on after it.
  for (int level = 9; level >= 1; --level) expected.push_back("back " + std::to_string(level));
  expected.push_back("back main");
  EXPECT_EQ(rig.logLines(), expected);
  EXPECT_EQ(rig.interpreter.callDepth(), 0);
  EXPECT_EQ(rig.currentScript(), "main");
  EXPECT_EQ(rig.interpreter.loadedScriptName(), "main");
}

TEST(ControlCommands, CallVariants) {
  struct Case {
    std::string command;
    Lines log;
  };
  const Case cases[] = {
      {"*call sub", {"sub", "sub end", "main after"}},
      {"*call sub:L", {"sub end", "main after"}},
      {"*call $4", {"sub", "sub end", "main after"}},  // string slot 4 names the script
      {"*call $4:L", {"sub end", "main after"}},
      {"*call missing", {"main after"}},
  };
  for (const Case& c : cases) {
    InterpreterRig rig;
    rig.vars.setString(4, "SUB");
    rig.scripts.add("sub", {"sub", ":L", "sub end", "*end", "not reached"});
    EXPECT_EQ(runMain(rig, {c.command, "main after"}), c.log) << c.command;
    EXPECT_EQ(rig.interpreter.callDepth(), 0) << c.command;
  }
}

TEST(ControlCommands, EndOfACalledImageReturnsToTheCaller) {
  InterpreterRig rig;
  rig.scripts.add("sub", {"in sub"});
  rig.host.scriptSettings.textPaced = false;
  rig.start({"*call sub", "back"});
  rig.run(2);
  EXPECT_EQ(rig.currentScript(), "sub");
  EXPECT_EQ(rig.interpreter.callDepth(), 1);
  rig.run(1);  // the end of the image
  EXPECT_EQ(rig.currentScript(), "main");
  EXPECT_EQ(rig.interpreter.callDepth(), 0);
  rig.run();
  EXPECT_EQ(rig.logLines(), (Lines{"in sub", "back"}));
}

TEST(ControlCommands, EndExitVend) {
  struct Case {
    const char* command;
    int32_t replayKind;
    Lines ownerCalls;
  };
  const Case cases[] = {
      {"*end", 0, {}},
      {"*end", 1, {"screens:end|"}},
      {"*exit", 2, {"screens:exit|"}},
      {"*vend", 1, {"screens:vend|"}},
      {"*exitgame", 1, {}},
  };
  for (const Case& c : cases) {
    InterpreterRig rig;
    rig.start({c.command, "next"});
    rig.interpreter.state().replayKind = c.replayKind;
    rig.interpreter.step();
    EXPECT_EQ(rig.owners.calls, c.ownerCalls) << c.command;
    EXPECT_EQ(rig.lineBuffer(), c.command) << c.command;  // each ends the step
  }
  InterpreterRig rig;
  rig.start({"*exitgame"});
  rig.interpreter.step();
  EXPECT_EQ(rig.host.events.back(), "closeWindow");
}

TEST(ControlCommands, MarkSetsReadMarksAndStopsSkippingAtNewText) {
  struct Case {
    bool seen;
    bool markedBefore;
    int32_t skipAfter;
    bool alreadyRead;
  };
  const Case cases[] = {
      {true, false, 0, false},
      {true, true, 1, true},
      {false, false, 1, false},
  };
  for (const Case& c : cases) {
    InterpreterRig rig;
    rig.host.scriptSettings.seen = c.seen;
    if (c.markedBefore) rig.vars.readMarks.set(80000);
    rig.skipLevel = 1;
    rig.vars.S[60] = 2;
    rig.start({"*mark 80000", "*mark 80001"});  // 80001 is beyond the read marks
    rig.interpreter.step();
    EXPECT_TRUE(rig.vars.readMarks.get(80000));
    EXPECT_EQ(rig.skipLevel, c.skipAfter);
    EXPECT_EQ(rig.interpreter.state().alreadyRead, c.alreadyRead);
    EXPECT_EQ(rig.vars.S[60], c.skipAfter == 0 ? 0 : 2);
  }
}

TEST(ControlCommands, Sleep) {
  struct Case {
    const char* command;
    int32_t skip;
    int32_t autoSpeed;
    int32_t countdown;
  };
  const Case cases[] = {
      {"*sleep 29", 0, 0, -1},  // until a click
      {"*sleep 60", 0, 0, 2},
      {"*sleep 95", 0, 0, 3},
      {"*sleep 60", 1, 0, 0},   // nothing while skipping
      {"*sleep 60", 0, 4, 0},   // or with auto-advance on
  };
  for (const Case& c : cases) {
    InterpreterRig rig;
    rig.skipLevel = c.skip;
    rig.vars.S[26] = c.autoSpeed;
    rig.start({c.command, "!V001=1"});
    rig.interpreter.step();
    EXPECT_EQ(rig.sleepCountdown, c.countdown) << c.command;
    EXPECT_EQ(rig.vars.V[1], c.countdown == 0 ? 1 : 0) << c.command;
  }
}

TEST(ControlCommands, PlayStateCommands) {
  InterpreterRig rig;
  rig.vars.G[6] = 6;
  rig.vars.G[7] = 7;
  rig.vars.G[8] = 8;
  rig.vars.V[1] = 5;
  rig.vars.F.set(3);
  rig.vars.T.set(4);
  rig.vars.E.set(5);
  const Lines lines = {"*title 春の章", "*string 3 三番目", "*string x bad", "*backto",
                       "*gameinit", "*wait_v_end"};
  rig.start(lines);
  const size_t backtoAt = sjis(lines[0]).size() + sjis(lines[1]).size() + sjis(lines[2]).size() + 3;
  rig.interpreter.step();
  EXPECT_EQ(testing::utf8(rig.interpreter.state().sceneTitle.view()), "春の章");
  EXPECT_EQ(testing::utf8(rig.vars.strings[3]), "三番目");
  EXPECT_EQ(rig.vars.S[10], int32_t(backtoAt));  // the position of the backto line
  EXPECT_EQ(rig.vars.V[1], 0);
  EXPECT_EQ(rig.vars.V[200], 6);
  EXPECT_EQ(rig.vars.V[202], 8);
  EXPECT_FALSE(rig.vars.F.get(3));
  EXPECT_FALSE(rig.vars.T.get(4));
  EXPECT_TRUE(rig.vars.E.get(5));  // kept across games
  EXPECT_EQ(rig.owners.calls, Lines{"effects:gameinit|"});
  EXPECT_TRUE(rig.wait.voiceWait);

  rig.soundDevicePresent = false;
  rig.wait.voiceWait = false;
  rig.scripts.add("two", {"*wait_v_end"});
  rig.interpreter.loadScript("two", ScriptTarget::Main);
  rig.interpreter.step();
  EXPECT_FALSE(rig.wait.voiceWait);  // without a sound device there is nothing to wait for
}

TEST(ControlCommands, StringSlotNamesTheSpeaker) {
  InterpreterRig rig;
  EXPECT_EQ(runMain(rig, {"*string 3 三番目", ">＄３", "やあ"}), (Lines{"三番目", "やあ"}));
}

TEST(ControlCommands, RecStartsRecording) {
  struct Case {
    int32_t s161;
    std::array<int32_t, 3> after;  // S161..S163
  };
  const Case cases[] = {{0, {1, 0, 0}}, {2, {2, 4, 0}}};
  for (const Case& c : cases) {
    InterpreterRig rig;
    rig.vars.S[161] = c.s161;
    rig.vars.S[162] = 4;
    rig.vars.S[163] = 3;
    rig.vars.V[9] = 9;
    rig.start({"*rec"});
    rig.interpreter.step();
    EXPECT_EQ((std::array<int32_t, 3>{rig.vars.S[161], rig.vars.S[162], rig.vars.S[163]}), c.after);
    EXPECT_EQ(rig.vars.V[9], 0);
    EXPECT_EQ(rig.interpreter.state().recollectionStartScript.view(), "main");
  }
}

TEST(ControlCommands, BreakStopsSkippingAndAutoAdvance) {
  InterpreterRig rig;
  rig.skipLevel = 3;
  rig.vars.S[26] = 4;
  rig.vars.S[60] = 2;
  rig.vars.S[61] = 2;
  rig.text.openTextWindow();
  rig.start({"*break"});
  rig.host.events.clear();
  rig.interpreter.step();
  EXPECT_EQ(rig.skipLevel, 0);
  EXPECT_EQ(rig.vars.S[26], 0);
  EXPECT_EQ(rig.vars.S[60], 0);
  EXPECT_EQ(rig.vars.S[61], 0);
  EXPECT_EQ(rig.host.events.front(), "redrawScene");  // fast skipping drew no pictures
}

TEST(ControlCommands, Web) {
  struct Case {
    const char* command;
    Lines events;
  };
  const Case cases[] = {
      {"*web https://example.org/", {"open https://example.org/"}},
      {"*web http://example.org/", {"open http://example.org/"}},
      {"*web file:///etc/passwd", {}},
      {"*web notepad.exe", {}},
  };
  for (const Case& c : cases) {
    InterpreterRig rig;
    rig.start({c.command});
    rig.host.events.clear();
    rig.interpreter.step();
    EXPECT_EQ(rig.host.events, c.events) << c.command;
  }
}

TEST(ControlCommands, GraSettlesTheTransitionsRequest) {
  struct Case {
    int32_t request;
    bool answer;
    bool quit;
    bool stepEnds;
  };
  const Case cases[] = {
      {0, true, false, false},
      {1, true, false, true},
      {2, true, true, true},
      {2, false, false, true},
  };
  for (const Case& c : cases) {
    InterpreterRig rig;
    rig.host.quitAnswer = c.answer;
    rig.owners.onPictures = [&rig, &c] { rig.effectRequest = c.request; };
    rig.start({"*gra A001,1", "!V001=1"});
    rig.interpreter.step();
    EXPECT_EQ(rig.effectRequest, 0);
    EXPECT_EQ(rig.quitRequested, c.quit);
    EXPECT_TRUE(rig.scriptRunning);
    EXPECT_EQ(rig.vars.V[1], c.stepEnds ? 0 : 1);
  }
}

TEST(ControlCommands, VoiceCommand) {
  struct Case {
    int32_t s6;
    int32_t s28;
    Lines log;
    Lines soundCalls;
  };
  const Case cases[] = {
      {0, 1, {"@V01"}, {"sound:cv|V01"}},
      {1, 1, {"@V01X"}, {"sound:cv|V01X"}},  // the take without the player's name
      {0, 0, {}, {}},                         // outside story play
  };
  for (const Case& c : cases) {
    InterpreterRig rig;
    rig.vars.S[6] = c.s6;
    rig.vars.S[28] = c.s28;
    rig.host.sounds.insert("V01X");
    EXPECT_EQ(runMain(rig, {"*cv V01"}), c.log);
    EXPECT_EQ(rig.owners.calls, c.soundCalls);
  }
}

TEST(ControlCommands, SetNameDecidesS6) {
  struct Case {
    std::string name0;
    int32_t s6;
  };
  const Case cases[] = {{"悠人", 0}, {"ゆう", 1}};
  for (const Case& c : cases) {
    InterpreterRig rig;
    rig.vars.setString(0, sjis(c.name0));
    rig.vars.setString(1, sjis("佐倉"));
    rig.start({"*setname"});
    rig.interpreter.step();
    EXPECT_EQ(rig.vars.S[6], c.s6);
    EXPECT_EQ(rig.owners.calls, Lines{"screens:setname|"});
  }
}

TEST(ControlCommands, OwnedCommandsGoToTheirOwners) {
  InterpreterRig rig;
  rig.start({"*music 3", "*grb B01", "*bg A02", "*fix", "*ptset 1,2", "*se bell",
             "*fadein 30", "*manpu 1", "*obj_set 1", "*gameclr", "*select", "*switch",
             "*select V001", "*anim clip", "*animq fast", "*movie op"});
  rig.vars.V[1] = 2;
  rig.run(30);
  EXPECT_EQ(rig.owners.calls,
            (Lines{"sound:music|3", "pictures:grb|B01", "pictures:bg|A02", "pictures:fix|",
                   "pictures:ptset|1,2", "sound:se|bell", "transitions:fadein|30",
                   "effects:manpu|1", "screens:obj_|set 1", "saves:gameclr|", "choices:select|=0",
                   "choices:switch|", "choices:select|V001=2", "effects:anim|clip",
                   "effects:anim|fast", "sound:movie|op"}));
}

TEST(ControlCommands, EffectsAreLeftOutWhileSkippingWithEffectCut) {
  struct Case {
    bool effectCut;
    int32_t skip;
    Lines calls;
  };
  const Case cases[] = {
      {true, 1, {}},
      {false, 1, {"effects:special|6", "transitions:shake|1", "effects:effect|x", "sound:se|a"}},
      {true, 0, {"effects:special|6", "transitions:shake|1", "effects:effect|x", "sound:se|a"}},
  };
  for (const Case& c : cases) {
    InterpreterRig rig;
    rig.host.scriptSettings.effectCut = c.effectCut;
    rig.skipLevel = c.skip;
    rig.start({"*special 6", "*shake 1", "*effect x", "*se a"});
    rig.run(6);
    EXPECT_EQ(rig.owners.calls, c.calls);
  }
}

TEST(ControlCommands, ScreensEndSkippingAsTheirRulesSay) {
  struct Case {
    const char* command;
    bool breakOnSelect;
    int32_t skipAfter;
  };
  const Case cases[] = {
      {"*viewer 1", false, 0},  // forced
      {"*roll a", false, 0},
      {"*load", false, 1},
      {"*load", true, 0},
      {"*select 2", true, 1},  // a decided choice does not stop skipping
      {"*select", true, 0},
      {"*switch", true, 1},
  };
  for (const Case& c : cases) {
    InterpreterRig rig;
    rig.host.scriptSettings.breakOnSelect = c.breakOnSelect;
    rig.text.openTextWindow();
    rig.skipLevel = 1;
    rig.start({c.command});
    rig.interpreter.step();
    EXPECT_EQ(rig.skipLevel, c.skipAfter) << c.command << " " << c.breakOnSelect;
  }
}

TEST(ControlCommands, TextWindowCommands) {
  InterpreterRig rig;
  rig.start({"*tw_set 1", "*win_close", "*win_open", "*mode 1", "*mode 0"});
  rig.interpreter.step();
  EXPECT_TRUE(rig.text.windowShown());
  EXPECT_EQ(rig.vars.S[160], 1);  // mode ends the step
  rig.interpreter.step();
  EXPECT_EQ(rig.vars.S[160], 0);
}

}  // namespace
}  // namespace corvid
