#pragma once
// The interpreter: runs the main script image one step per idle tick. A step reads lines and
// acts on them at once (statements, labels, commands, speaker names) until something must
// wait: a message character shown at reading speed, a click wait, a timed pause, or a command
// that ends the step. Message text is streamed a character at a time to the text window and
// the message log.
//
// Sections: limits; the engine state it shares; InterpreterState; the Interpreter (loading,
// the step, waits ended from outside, control flow used by other parts, state for saves and
// the state file).
//
// The step allocates nothing: lines are copied into the fixed line buffer, names and insertions
// live in fixed fields, the log is a fixed ring of slots. Implemented in interpreter.cpp (the
// step and line kinds), message_stream.cpp (streaming, marks, tags, name lines) and
// control_commands.cpp (the command table's commands).

#include <array>
#include <cstdint>
#include <string_view>

#include "script/command_owners.h"
#include "script/command_table.h"
#include "script/expression.h"
#include "script/message_log.h"
#include "script/random.h"
#include "script/script_image.h"
#include "script/script_text.h"
#include "script/text_sink.h"
#include "script/variables.h"
#include "script/wait_state.h"

namespace corvid {

struct GameConfig;

// ---- Limits --------------------------------------------------------------------------------

inline constexpr size_t kLineBufferBytes = 2048;  // a line of 2047 bytes and its NUL
inline constexpr size_t kInsertionBytes = 64;     // an insertion of 63 bytes and its NUL
inline constexpr size_t kNameBufferBytes = 100;   // a speaker name fills at most a grid row
inline constexpr int32_t kCallLevels = 9;
inline constexpr size_t kSceneTitleBytes = 64;
// A step that has acted on this many lines without waiting yields to the idle tick, so that a
// script looping without a wait (a label and a jump back, or endless skipping) cannot freeze
// the window: the next step goes on where this one stopped.
inline constexpr int32_t kLinesPerStep = 65536;

using ScriptName = FixedText<kScriptNameBytes + 1>;

// ---- The engine state it shares -------------------------------------------------------------

// Fields of the engine that the interpreter reads and writes, bound by reference.
struct PlayControl {
  bool& scriptRunning;             // the step may run; set by every load into the main image
  int32_t& skipLevel;              // 0 off; 1, 2, 3 the kinds of skipping
  int32_t& sleepCountdown;         // idle ticks of `sleep` left; -1 until a click
  int32_t& effectRequest;          // 0 none, 1 clicked during a transition, 2 close asked
  bool& quitRequested;             // the next idle tick closes the window without asking
  const bool& soundDevicePresent;  // wait_v_end waits only with a sound device
};

// ---- InterpreterState ---------------------------------------------------------------------------

struct CallStack {
  int32_t depth = 0;                               // 0 .. kCallLevels
  std::array<ScriptName, kCallLevels> names;       // the calling script of each level
  std::array<int32_t, kCallLevels> returnPositions{};  // the line after each `call`
};

struct InterpreterState {
  bool fetch = true;        // the next step begins by reading a new line
  int32_t lineStart = 0;    // main-image position of the line in the line buffer
  std::array<char, kLineBufferBytes> line{};  // the current line with its NUL
  int32_t column = 0;       // index in the line buffer of the next byte to stream
  // Text streamed before the rest of the line (a string slot, an expression's value).
  FixedText<kInsertionBytes> insertion;
  int32_t insertionPos = 0;  // next byte of the insertion; pending while it is not at its end
  FixedText<kNameBufferBytes> name;  // the speaker name of the last name line

  CallStack calls;
  ScriptName currentScriptName;  // the script the call stack regards as running
  FixedText<kSceneTitleBytes> sceneTitle;
  bool alreadyRead = false;  // set by `mark` for a mark read before
  int32_t replayKind = 0;    // 0 none, 1 started from the gallery viewer, 2 from the recollection list
  FixedText<64> lastVoice;   // the voice the player can replay
  ScriptName recollectionStartScript;  // remembered by `rec`

  bool insertionPending() const { return size_t(insertionPos) < insertion.size(); }
  std::string_view lineText() const { return untilNul({line.data(), line.size()}); }
};

struct InterpreterContext {
  VariableSpaces& vars;
  RandomGenerator& random;
  WaitState& wait;
  PlayControl play;
  const GameConfig& config;
  const ScriptSource& scripts;
  MessageLog& log;
  TextSink& text;
  CommandOwners& owners;
  InterpreterHost& host;
};

// ---- The Interpreter ------------------------------------------------------------------------------

class Interpreter final : private VariableObserver {
 public:
  explicit Interpreter(InterpreterContext context) : c_(context) {}
  Interpreter(const Interpreter&) = delete;
  Interpreter& operator=(const Interpreter&) = delete;

  // ---- Loading -------------------------------------------------------------------------
  // Start-up: the two image buffers, once.
  void allocateImages() { images_.allocate(); }
  // loadScript: reads a script into the main or the auxiliary image. False when no data
  // archive holds it (or it cannot be used); the image is then unchanged, but a pending
  // insertion is dropped all the same. A main load starts the script from its first line,
  // sets scriptRunning and clears S10.
  bool loadScript(std::string_view name, ScriptTarget target);
  // The first idle tick's start of "main": call depth 0, current script "main".
  void startMain();

  // ---- The step ------------------------------------------------------------------------
  // `lineBudget`: the lines after which the step yields (the fuzz target bounds a looping
  // script's work with a smaller one).
  void step(int32_t lineBudget = kLinesPerStep);

  // ---- Waits and the text window, from the clocks and the input --------------------------
  // resetWaitState: character delay 1, instant page off, no wait, no choice, cursor to 0, 0.
  void resetWaitState();
  // A click (or wheel-down) ends the click wait when no choice is active: kinds 1, 4, 5 begin
  // a new page, kind 2 keeps the page, kind 3 advances the choice.
  void endClickWait();
  // The idle tick while skipping: a pending page-end wait begins a new page; any wait is
  // dropped.
  void skipClickWait();
  // The timer's auto-advance: kinds 1, 4, 5 begin a new page when the window is shown, kind 3
  // advances the choice; the wait ends.
  void autoAdvanceClickWait();
  // autoCountdown for the wait that begins now.
  void computeAutoCountdown();
  void closeLogLine() { corvid::closeLogLine(c_.log, c_.vars); }

  // ---- Control flow used by other parts ----------------------------------------------------
  // gotoLabel: the first ":" in the main image followed by `name` up to the end of its line
  // (without case); the script goes on at the line after it. False (nothing moved) when absent.
  bool gotoLabel(std::string_view name);
  // stopSkipAndAuto: with `force`, or when "BreakonSelect" is on, skipping and auto-advance end.
  void stopSkipAndAuto(bool force);
  // The first part of `break`: the quick-button states and the skip level.
  void stopSkipping();

  // ---- State -----------------------------------------------------------------------------
  InterpreterState& state() { return s_; }
  const InterpreterState& state() const { return s_; }
  ScriptImages& images() { return images_; }
  const ScriptImages& images() const { return images_; }
  std::string_view loadedScriptName() const { return images_.loadedScriptName.view(); }
  // 0-based index of the current line in the main image.
  int32_t currentLineIndex() const { return images_.main.lineIndexAt(s_.lineStart); }
  int32_t callDepth() const { return s_.calls.depth; }
  bool skipping() const { return c_.play.skipLevel != 0; }

 private:
  enum class Next { Continue, EndStep, Stream };

  // interpreter.cpp
  bool fetchLine();
  Next actOnLine();
  Next blockStart();
  Next clickWaitLine(char kind);
  void returnFromCall();
  void pageEndWait(int32_t kind, bool storePage);
  void traceLine();
  void traceError(std::string_view what, std::string_view text);
  void systemVariableAssigned(int index) override;
  void ignoredError(std::string_view what, std::string_view text) override;

  // message_stream.cpp
  Next nameLine();
  bool stream();  // true: the step goes on with the next line
  enum class Mark { Character, GoOn, EndStep, NextLine };
  Mark streamMark(char bytes[2], int& width);
  Mark tag();
  Mark ruby();
  void setInsertion(std::string_view text);
  bool paced() const;
  void setNameInline(bool on) {
    nameInline_ = on;
    c_.text.setNameInline(on);
  }

  // control_commands.cpp
  int executeCommand(CommandId id, std::string_view text);
  int ownedCommand(CommandId id, std::string_view arguments);
  int commandIf(std::string_view arguments);
  int commandCjmp(std::string_view text);
  int commandChain(std::string_view arguments);
  int commandCall(std::string_view arguments);
  int commandEnd(CommandId id);
  int commandMark(std::string_view arguments);
  int commandSleep(std::string_view arguments);
  int commandBreak();
  int commandString(std::string_view arguments);
  int commandGameInit();
  int commandRec();
  int commandWeb(std::string_view arguments);
  int commandGra(std::string_view arguments);
  int commandCv(std::string_view arguments);
  int commandSetName();
  int openScreen(CommandId id, std::string_view arguments, bool force, bool fastSkipAfter,
                 bool redrawFastSkip);

  InterpreterContext c_;
  ScriptImages images_;
  InterpreterState s_;
  bool nameInline_ = false;  // a speaker name streams as text (full-screen text mode)
};

}  // namespace corvid
