// The commands of the command table: control flow and the play state the interpreter keeps
// are carried out here; every other command goes to its owner (CommandOwners) with its
// arguments.
//
// Sections: dispatch; conditional and computed branches; scripts (chain, call, end); play
// state; commands with an owner.

#include <algorithm>
#include <cstring>

#include "data/game_config.h"
#include "script/interpreter.h"

namespace corvid {

namespace {

constexpr size_t kIfTargetBytes = 200;   // the target must begin within the line's first 200 bytes
constexpr size_t kIfLineBytes = 199;     // a target line longer than this is not run
constexpr int32_t kMaxReadMark = 80000;

}  // namespace

// ---- Dispatch ---------------------------------------------------------------------------------

int Interpreter::executeCommand(CommandId id, std::string_view text) {
  const std::string_view arguments = commandArguments(id, text);
  const bool effectCut = skipping() && c_.host.settings().effectCut;
  switch (id) {
    case CommandId::Go:
      gotoLabel(arguments);
      return kContinueStep;
    case CommandId::Calc:
      runStatements(arguments, c_.vars, c_.random, this);
      return kContinueStep;
    case CommandId::If: return commandIf(arguments);
    case CommandId::Cjmp: return commandCjmp(text);
    case CommandId::Chain: return commandChain(arguments);
    case CommandId::Call: return commandCall(arguments);
    case CommandId::End:
    case CommandId::Exit:
    case CommandId::Vend:
      return commandEnd(id);
    case CommandId::ExitGame:
      c_.host.closeWindow();
      return kEndStep;
    case CommandId::Mark: return commandMark(arguments);
    case CommandId::BackTo:
      c_.vars.S[10] = s_.lineStart;
      return kContinueStep;
    case CommandId::Sleep: return commandSleep(arguments);
    case CommandId::WaitVEnd:
      if (c_.play.soundDevicePresent) c_.wait.voiceWait = true;
      return kEndStep;
    case CommandId::Break: return commandBreak();
    case CommandId::String: return commandString(arguments);
    case CommandId::Title:
      s_.sceneTitle.assign(arguments);
      return kContinueStep;
    case CommandId::GameInit: return commandGameInit();
    case CommandId::Rec: return commandRec();
    case CommandId::Web: return commandWeb(arguments);
    case CommandId::Gra: return commandGra(arguments);
    case CommandId::Cv: return commandCv(arguments);
    case CommandId::SetName: return commandSetName();

    case CommandId::Mode:
      c_.text.setTextMode(readArgumentNumber(arguments));
      s_.fetch = true;
      return kEndStep;
    case CommandId::TwSet:
      c_.text.declareWindowShown(readArgumentNumber(arguments) != 0);
      return kContinueStep;
    case CommandId::WinOpen:
      c_.text.openTextWindow();
      return kContinueStep;
    case CommandId::WinClose:
      if (c_.vars.S[160] == 0) c_.text.closeTextWindow();  // only in window mode
      return kContinueStep;

    // Left out while skipping when the player cut effects.
    case CommandId::Special:
    case CommandId::Shake:
    case CommandId::Effect:
      if (effectCut) return kEndStep;
      return ownedCommand(id, arguments);
    case CommandId::Se:
      if (effectCut) return kContinueStep;
      return ownedCommand(id, arguments);

    // Screens and choices end skipping and auto-advance.
    case CommandId::Select: {
      OwnedCommand command{id, arguments};
      if (commandHasExpression(id, text)) {
        const ExpressionValue value = evaluateExpression(arguments, c_.vars, c_.random);
        if (!value.valid) traceError("invalid expression", arguments);
        command.value = value.value;
      }
      if (command.value == 0) {
        stopSkipAndAuto(false);
        if (c_.play.skipLevel == 3) c_.host.redrawScene();
      }
      return c_.owners.choices(command);
    }
    case CommandId::ClickMap:
    case CommandId::Load:
    case CommandId::SelTree:
      return openScreen(id, arguments, false, false, true);
    case CommandId::Map:
    case CommandId::Counter:
      return openScreen(id, arguments, false, true, true);
    case CommandId::Save:
      return openScreen(id, arguments, false, false, false);
    case CommandId::Viewer:
    case CommandId::Roll:
      return openScreen(id, arguments, true, false, true);

    default:
      return ownedCommand(id, arguments);
  }
}

int Interpreter::ownedCommand(CommandId id, std::string_view arguments) {
  const OwnedCommand command{id, arguments};
  switch (commandInfo(id).owner) {
    case CommandOwner::Pictures: return c_.owners.pictures(command);
    case CommandOwner::Transitions: return c_.owners.transitions(command);
    case CommandOwner::Effects: return c_.owners.effects(command);
    case CommandOwner::Sound: return c_.owners.sound(command);
    case CommandOwner::Saves: return c_.owners.saves(command);
    case CommandOwner::Choices: return c_.owners.choices(command);
    case CommandOwner::Screens: return c_.owners.screens(command);
    case CommandOwner::Interpreter:
    case CommandOwner::TextWindow:
      break;  // carried out in executeCommand
  }
  return commandInfo(id).result;
}

// A command that opens a screen: skipping and auto-advance end (`force`, or as "BreakonSelect"
// says), and a fast skip, which drew no pictures, has the scene redrawn first, or, for the map
// and the counter, once the screen is open.
int Interpreter::openScreen(CommandId id, std::string_view arguments, bool force,
                            bool fastSkipAfter, bool redrawFastSkip) {
  stopSkipAndAuto(force);
  if (redrawFastSkip && !fastSkipAfter && c_.play.skipLevel == 3) c_.host.redrawScene();
  const int result = ownedCommand(id, arguments);
  if (redrawFastSkip && fastSkipAfter && c_.play.skipLevel == 3) c_.host.redrawScene();
  return result;
}

// ---- Conditional and computed branches ------------------------------------------------------------

int Interpreter::commandIf(std::string_view arguments) {
  if (!evaluateCondition(arguments, c_.vars, c_.random, this)) return kEndStep;
  // The target follows the first ")" (and any blanks) within the line's first 200 bytes.
  const std::string_view line = s_.lineText();
  const size_t limit = std::min(line.size(), kIfTargetBytes);
  size_t i = 0;
  while (i < limit && line[i] != ')') ++i;
  if (i >= limit) return kEndStep;
  ++i;
  while (i < limit && line[i] == ' ') ++i;
  if (i >= limit) return kEndStep;
  const std::string_view target = line.substr(i);
  if (target[0] != '*' && target[0] != '@' && target[0] != '!') {
    gotoLabel(target);
    return kEndStep;
  }
  if (target.size() > kIfLineBytes) {
    traceError("if target longer than 199 bytes", target);
    return kEndStep;
  }
  // The target runs in this step as a line of its own.
  const size_t n = target.size();
  std::memmove(s_.line.data(), target.data(), n);
  s_.line[n] = '\0';
  return kActOnLine;
}

int Interpreter::commandCjmp(std::string_view text) {
  int32_t n = c_.vars.S[6];  // without an expression: whether a player name was changed
  if (commandHasExpression(CommandId::Cjmp, text)) {
    const std::string_view expression = commandArguments(CommandId::Cjmp, text);
    const ExpressionValue value = evaluateExpression(expression, c_.vars, c_.random);
    if (!value.valid) traceError("invalid expression", expression);
    n = value.value;
  }
  // The construct: "{", the lines of case 0, "{", the lines of case 1, ..., "}". A case starts
  // two bytes after its "{" line's start, the construct's end two bytes after its "}" line's.
  ScriptImage& image = images_.main;
  const int32_t after = image.position;
  const int32_t closing = image.nextLineStartingWith(after, '}');
  const int32_t end = closing < 0 ? image.size() : std::min(closing + 2, image.size());
  if (closing < 0) traceError("cjmp without the closing line of its construct", {});
  if (n >= 0) {
    int32_t p = after;
    for (int32_t i = 0;; ++i) {
      const int32_t open = image.nextLineStartingWith(p, '{');
      p = open < 0 ? image.size() + 1 : open + 2;
      if (p > end) {
        image.position = end;  // there is no case n: the construct is skipped
        break;
      }
      if (i == n) {
        image.position = p;
        break;
      }
    }
  }
  // A negative value stays before the first "{", which skips the construct when it is reached.
  s_.fetch = true;
  return kContinueStep;
}

// ---- Scripts ---------------------------------------------------------------------------------------

int Interpreter::commandChain(std::string_view arguments) {
  s_.calls.depth = 0;
  const ScriptArgument argument = splitScriptArgument(arguments, kChainExamined);
  s_.currentScriptName.assign(argument.name);
  resetWaitState();
  loadScript(argument.name, ScriptTarget::Main);
  if (argument.hasLabel) gotoLabel(argument.label);
  return kEndStep;
}

int Interpreter::commandCall(std::string_view arguments) {
  // Nine levels are all the stack and the save files hold.
  if (s_.calls.depth >= kCallLevels) {
    traceError("call nested deeper than 9 levels, refused", arguments);
    return kEndStep;
  }
  const ScriptArgument argument = splitScriptArgument(arguments, kCallExamined);
  const size_t level = size_t(s_.calls.depth);
  s_.calls.returnPositions[level] = images_.main.position;
  s_.calls.names[level] = s_.currentScriptName;

  std::string_view name = argument.name;
  if (!name.empty() && name[0] == '$') {
    // "$d": the script named by string slot d (anything but a digit means slot 0).
    const char d = name.size() > 1 ? name[1] : '0';
    name = c_.vars.strings[size_t(d >= '0' && d <= '9' ? d - '0' : 0)];
  }
  const ScriptName called(name);
  if (loadScript(called.view(), ScriptTarget::Main)) {
    s_.currentScriptName = called;
    resetWaitState();
    ++s_.calls.depth;
  }
  if (argument.hasLabel) gotoLabel(argument.label);
  return kEndStep;
}

// `end` returns from a call; at depth 0, and for `exit` and `vend` at any depth, a scene
// replayed from the gallery viewer or the recollection list goes back to it.
int Interpreter::commandEnd(CommandId id) {
  if (id == CommandId::End && s_.calls.depth > 0) {
    returnFromCall();
    return kEndStep;
  }
  if (s_.replayKind == 1 || s_.replayKind == 2) c_.owners.screens({id, {}});
  return kEndStep;
}

// ---- Play state --------------------------------------------------------------------------------------

int Interpreter::commandMark(std::string_view arguments) {
  const int32_t n = readArgumentNumber(arguments);
  if (n < 0 || n > kMaxReadMark) return kContinueStep;
  if (c_.vars.readMarks.get(n)) {
    s_.alreadyRead = true;
    return kContinueStep;
  }
  c_.vars.readMarks.set(n);
  if (c_.host.settings().seen) {
    // Only what was read before is skipped.
    s_.alreadyRead = false;
    c_.play.skipLevel = 0;
    c_.vars.S[60] = 0;
    c_.host.redrawQuickButtons();
  }
  return kContinueStep;
}

int Interpreter::commandSleep(std::string_view arguments) {
  if (skipping() || c_.vars.S[26] != 0) return kContinueStep;
  const int32_t ticks = readArgumentNumber(arguments) / 30;
  c_.play.sleepCountdown = ticks == 0 ? -1 : ticks;  // -1: until a click
  return kEndStep;
}

int Interpreter::commandBreak() {
  stopSkipping();
  stopSkipAndAuto(true);
  return kEndStep;
}

int Interpreter::commandString(std::string_view arguments) {
  if (arguments.empty() || arguments[0] < '0' || arguments[0] > '9') {
    traceError("string slot is not a digit 0-9", arguments);
    return kContinueStep;
  }
  c_.vars.setString(arguments[0] - '0', arguments.size() > 2 ? arguments.substr(2) : std::string_view{});
  return kContinueStep;
}

int Interpreter::commandGameInit() {
  c_.vars.F.clear();
  c_.vars.T.clear();
  c_.vars.V.fill(0);
  c_.vars.V[200] = c_.vars.G[6];
  c_.vars.V[201] = c_.vars.G[7];
  c_.vars.V[202] = c_.vars.G[8];
  c_.owners.effects({CommandId::GameInit, {}});  // the sprite-motion reset "INIT"
  return kContinueStep;
}

int Interpreter::commandRec() {
  c_.vars.F.clear();
  c_.vars.V.fill(0);
  s_.recollectionStartScript.assign(loadedScriptName());
  if (c_.vars.S[161] == 2) {
    c_.vars.S[163] = 0;  // replaying: from the first recorded choice
  } else {
    c_.vars.S[161] = 1;
    c_.vars.S[162] = 0;
    c_.vars.S[163] = 0;
  }
  return kContinueStep;
}

int Interpreter::commandWeb(std::string_view arguments) {
  // Only web addresses are opened: a script must not start programs or open files.
  if (!startsWithNoCase(arguments, "http://") && !startsWithNoCase(arguments, "https://")) {
    traceError("web opens only http:// and https:// addresses", arguments);
    return kEndStep;
  }
  c_.host.openAddress(arguments);
  return kEndStep;
}

int Interpreter::commandSetName() {
  stopSkipAndAuto(false);
  c_.owners.screens({CommandId::SetName, {}});
  const bool changed = c_.vars.strings[0] != c_.config.defaultName ||
                       c_.vars.strings[1] != c_.config.defaultName2;
  c_.vars.S[6] = changed ? 1 : 0;
  return kEndStep;
}

// ---- Commands with an owner ------------------------------------------------------------------------

// The picture command also settles what happened during its transition: a click ends the step;
// a close asked for meanwhile gets its question now.
int Interpreter::commandGra(std::string_view arguments) {
  const int result = c_.owners.pictures({CommandId::Gra, arguments});
  const int32_t request = c_.play.effectRequest;
  c_.play.effectRequest = 0;
  if (request == 1) return kEndStep;
  if (request == 2) {
    c_.play.scriptRunning = false;
    if (c_.host.askQuitQuestion()) c_.play.quitRequested = true;
    c_.play.scriptRunning = true;
    return kEndStep;
  }
  return result;
}

int Interpreter::commandCv(std::string_view arguments) {
  FixedText<64> name(arguments);
  if (c_.vars.S[6] == 1) {
    // The take recorded without the player's name, for a player who changed it.
    char alternative[66];
    std::memcpy(alternative, name.c_str(), name.size());
    alternative[name.size()] = 'X';
    const std::string_view x(alternative, name.size() + 1);
    if (c_.host.soundExists(x)) name.assign(x);
  }
  if (c_.vars.S[28] == 0) return kContinueStep;  // voices play only in story play
  c_.host.addPageVoice(name.view());
  if (!skipping()) c_.owners.sound({CommandId::Cv, name.view()});
  s_.lastVoice.assign(name.view());
  const char at = '@';
  c_.log.appendCharacter(&at, 1);
  c_.log.appendText(name.view());
  closeLogLine();
  return kContinueStep;
}

}  // namespace corvid
