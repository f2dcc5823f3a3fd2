// The interpreter step and the line kinds; loading, waits and the jumps other parts use.
//
// Sections: loading; the step; line kinds; waits; control flow; trace.

#include "script/interpreter.h"

#include <algorithm>
#include <cstring>

#include "data/game_config.h"

namespace corvid {

// ---- Loading ----------------------------------------------------------------------------------

bool Interpreter::loadScript(std::string_view name, ScriptTarget target) {
  // A pending insertion (a player name being streamed) belongs to the text being left.
  s_.insertion.clear();
  s_.insertionPos = 0;
  const ScriptLoadResult result = images_.load(name, target, c_.scripts, &c_.host);
  if (!result.ok()) {
    if (result.status == ScriptLoadStatus::NotFound) traceError("script not found", name);
    else traceError(result.error, name);
    return false;
  }
  if (target == ScriptTarget::Main) {
    s_.fetch = true;
    s_.lineStart = 0;  // the line buffer's line belonged to the image just replaced
    c_.play.scriptRunning = true;
    c_.vars.S[10] = 0;  // a resume point belongs to the script it was set in
  }
  return true;
}

void Interpreter::startMain() {
  s_.calls.depth = 0;
  s_.currentScriptName.assign("main");
  loadScript("main", ScriptTarget::Main);
}

// ---- The step -------------------------------------------------------------------------------------

void Interpreter::step(int32_t lineBudget) {
  int32_t lines = 0;
  for (;;) {
    if (s_.fetch) {
      if (++lines > lineBudget) return;
      if (!fetchLine()) return;
      const Next next = actOnLine();
      if (next == Next::Continue) continue;
      if (next == Next::EndStep) return;
    }
    if (!stream()) return;
  }
}

// Reads the next line into the line buffer. At the end of the image a called script returns
// to its caller; with no caller every step ends here until something loads a script.
bool Interpreter::fetchLine() {
  setNameInline(false);
  ScriptImage& image = images_.main;
  image.position = std::max(image.position, 0);
  s_.lineStart = image.position;
  s_.column = 0;
  if (image.position >= image.size()) {
    if (s_.calls.depth > 0) returnFromCall();
    return false;
  }
  const std::string_view text = image.lineAt(image.position, &image.position);
  const size_t n = sjisCutLength(text, kLineBufferBytes - 1);
  std::memcpy(s_.line.data(), text.data(), n);
  s_.line[n] = '\0';
  traceLine();
  if (n < text.size()) traceError("line longer than 2047 bytes, cut", {});
  return true;
}

// ---- Line kinds -------------------------------------------------------------------------------------

Interpreter::Next Interpreter::actOnLine() {
  for (;;) {
    const std::string_view line = s_.lineText();
    switch (line.empty() ? '\0' : line[0]) {
      case '\0':
        c_.text.lineBreak();
        return Next::Continue;
      case '!':
        runStatements(line.substr(1), c_.vars, c_.random, this);
        return Next::Continue;
      case ':':
      case ';':
      case '}':
        return Next::Continue;
      case '{':
        return blockStart();
      case '=':
      case '\\':
      case '~':
      case '+':
        return clickWaitLine(line[0]);
      case '>':
        return nameLine();
      case '*':
      case '@': {
        const std::optional<CommandId> id = matchCommand(line.substr(1));
        if (!id) {
          traceError("unknown command", line);
          return Next::Continue;
        }
        const int result = executeCommand(*id, line.substr(1));
        if (result == kContinueStep) return Next::Continue;
        if (result != kActOnLine) return Next::EndStep;
        traceLine();  // the `if` target, now in the line buffer
        continue;
      }
      default:
        s_.fetch = false;
        s_.column = 0;
        return Next::Stream;
    }
  }
}

// A block start reached in the flow: the block before it has run, so the rest of the construct
// is skipped, to its "}" line or, for a named block "{:name", to the "}:name" that closes it.
Interpreter::Next Interpreter::blockStart() {
  ScriptImage& image = images_.main;
  const std::string_view line = s_.lineText();
  int32_t to = -1;
  if (line.size() >= 2 && line[1] == ':') {
    std::string_view name = line.substr(2);
    name = name.substr(0, std::min(name.find('('), name.size()));
    to = image.findMarkedName(image.position, "}:", name);
  } else {
    to = image.nextLineStartingWith(image.position, '}');
  }
  if (to < 0) traceError("block without its closing line", line);
  image.position = to < 0 ? image.size() : to;
  return Next::Continue;
}

Interpreter::Next Interpreter::clickWaitLine(char kind) {
  switch (kind) {
    case '=':
      // The page is not finished: it is stored now and replaced by its next store.
      if (skipping()) return Next::EndStep;
      c_.wait.waitKind = 2;
      computeAutoCountdown();
      c_.wait.instantPage = false;
      c_.host.storePage();
      c_.vars.S[39] = 1;
      c_.host.pageContinues();
      return Next::EndStep;
    case '\\': pageEndWait(1, true); return Next::EndStep;
    case '~': pageEndWait(4, true); return Next::EndStep;
    default: pageEndWait(5, false); return Next::EndStep;  // "+": no click-wait mark
  }
}

// ---- Waits -------------------------------------------------------------------------------------------

void Interpreter::pageEndWait(int32_t kind, bool storePage) {
  closeLogLine();
  c_.wait.waitKind = kind;
  computeAutoCountdown();
  c_.wait.instantPage = false;
  if (storePage) c_.host.storePage();
}

void Interpreter::resetWaitState() {
  c_.wait.reset();
  c_.text.resetCursor();
}

void Interpreter::computeAutoCountdown() {
  const int32_t speed = c_.vars.S[26];
  // S26 = SPD_MAX + 12 would divide by 0; such a speed counts as the fastest pace instead.
  int64_t divisor = int64_t(c_.config.spdMax) - speed + 12;
  if (divisor == 0) divisor = 1;
  const int64_t ticks = c_.text.charactersShown() / divisor + 2 * int64_t(speed) + 2;
  c_.wait.autoCountdown = int32_t(std::clamp<int64_t>(ticks, INT32_MIN, INT32_MAX));
}

namespace {

bool endsPage(int32_t waitKind) { return waitKind == 1 || waitKind == 4 || waitKind == 5; }

}  // namespace

void Interpreter::endClickWait() {
  if (c_.wait.choiceActive) return;
  if (endsPage(c_.wait.waitKind)) c_.text.beginMessage();
  // Kind 2 keeps the page; the text window erases its click-wait mark.
  if (c_.wait.waitKind == 3) c_.owners.advanceChoice();
  c_.wait.waitKind = 0;
}

void Interpreter::skipClickWait() {
  if (endsPage(c_.wait.waitKind)) c_.text.beginMessage();
  c_.wait.waitKind = 0;
}

void Interpreter::autoAdvanceClickWait() {
  if (endsPage(c_.wait.waitKind) && c_.text.windowShown()) c_.text.beginMessage();
  if (c_.wait.waitKind == 3) c_.owners.advanceChoice();
  c_.wait.waitKind = 0;
}

// ---- Control flow -------------------------------------------------------------------------------------

bool Interpreter::gotoLabel(std::string_view name) {
  ScriptImage& image = images_.main;
  const int32_t at = image.findMarkedName(0, ":", name);
  if (at < 0) {
    traceError("label not found", name);
    return false;
  }
  image.lineAt(at, &image.position);
  s_.fetch = true;
  return true;
}

// Back to the caller: its script is loaded again and goes on at the line after its `call`.
void Interpreter::returnFromCall() {
  if (s_.calls.depth <= 0) return;
  --s_.calls.depth;
  const ScriptName caller = s_.calls.names[size_t(s_.calls.depth)];
  if (!loadScript(caller.view(), ScriptTarget::Main)) return;
  s_.currentScriptName = caller;
  images_.main.position =
      std::clamp(s_.calls.returnPositions[size_t(s_.calls.depth)], 0, images_.main.size());
  s_.fetch = true;
}

void Interpreter::stopSkipping() {
  c_.vars.S[60] = 0;
  c_.vars.S[61] = 0;
  if (c_.text.windowShown() && c_.host.inPlayMode()) {
    if (c_.play.skipLevel > 2) c_.host.redrawScene();  // fast skipping drew no pictures
    c_.play.skipLevel = 0;
    c_.host.redrawQuickButtons();
  }
  c_.play.skipLevel = 0;
}

void Interpreter::stopSkipAndAuto(bool force) {
  if (!force && !c_.host.settings().breakOnSelect) return;
  stopSkipping();
  c_.vars.S[26] = 0;
  if (c_.host.inPlayMode()) c_.host.redrawQuickButtons();
}

// ---- Trace ---------------------------------------------------------------------------------------------

void Interpreter::traceLine() {
  if (!c_.host.tracing()) return;
  c_.host.traceLine(loadedScriptName(), currentLineIndex() + 1, s_.lineText());
}

void Interpreter::traceError(std::string_view what, std::string_view text) {
  if (!c_.host.tracing()) return;
  c_.host.traceError(loadedScriptName(), currentLineIndex() + 1, what, text);
}

void Interpreter::systemVariableAssigned(int) { c_.host.updateMenus(); }

void Interpreter::ignoredError(std::string_view what, std::string_view text) {
  traceError(what, text);
}

}  // namespace corvid
