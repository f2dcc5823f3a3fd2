#pragma once
// What the interpreter hands on to the rest of the engine.
//
// CommandOwners: the commands (and inline tags) that other subsystems carry out, one entry
// point per family. Each gets the command, its argument text (without the line's NUL; for a
// tag, up to its "]") and returns the command's result code (kContinueStep, kEndStep).
//
// InterpreterHost: the engine services the interpreter's own commands use (the player
// settings they read, the window, the quick buttons, the page history, the trace) and the
// script source.

#include <cstdint>
#include <string_view>

#include "data/archive.h"
#include "script/command_table.h"
#include "script/script_image.h"

namespace corvid {

struct OwnedCommand {
  CommandId id = CommandId::Gra;
  std::string_view arguments;
  bool fromTag = false;  // the inline tag of the same name ("[gra ...]", "[bg ...]", ...)
  int32_t value = 0;     // select: its expression's value, already evaluated (0 when absent)
};

class CommandOwners {
 public:
  virtual ~CommandOwners() = default;
  // gra, grb, clrb, spr, ptset, partsload, bg, fix, direct, ovr, char; the tags gra, spr,
  // clrb, bg (with the layer selection the last gra or grb left).
  virtual int pictures(const OwnedCommand& command) = 0;
  // shake, scroll, wipeset, fadein, fadeout.
  virtual int transitions(const OwnedCommand& command) = 0;
  // bg_anim, anim, effect, manpu, sprmv, efxanim, special; GameInit: the sprite-motion reset
  // "INIT" that gameinit ends with.
  virtual int effects(const OwnedCommand& command) = 0;
  // music, se, seloop, seoff, movie; Cv: play a voice (the cv command and tag, not while
  // skipping: the interpreter has decided the name and does the log and page voices).
  virtual int sound(const OwnedCommand& command) = 0;
  // load, save, gameclr.
  virtual int saves(const OwnedCommand& command) = 0;
  // select, clickmap, switch.
  virtual int choices(const OwnedCommand& command) = 0;
  // The choice a click wait of kind 3 waits for advances and ends.
  virtual void advanceChoice() = 0;
  // seltree, map, roll, sroll, viewer, kaisou, chgprm, counter, config, setname (the name
  // entry dialog), cgfull, obj_; End, Exit, Vend: return to the gallery viewer (replay kind 1)
  // or the recollection list (2).
  virtual int screens(const OwnedCommand& command) = 0;
};

// Player settings the commands read (the settings store fills them).
struct ScriptSettings {
  bool textPaced = true;      // "Delay" is 0: one character per step
  bool seen = true;           // "Seen": skipping stops at text not read before
  bool breakOnSelect = true;  // "BreakonSelect": choices end skipping and auto-advance
  bool effectCut = true;      // "EFX_CUT": effects, shakes and sound effects left out while skipping
};

class InterpreterHost : public ScriptLoadObserver {
 public:
  virtual const ScriptSettings& settings() const = 0;
  virtual bool inPlayMode() const = 0;
  virtual bool soundExists(std::string_view name) const = 0;

  // S0 (menu state) or S28 (story play) was assigned.
  virtual void updateMenus() = 0;
  virtual void redrawQuickButtons() = 0;
  // Rebuild the scene from the picture state and show it (ending a fast skip).
  virtual void redrawScene() = 0;

  // The page history: store the page on screen; the page goes on after a "=" wait (the page
  // counter goes back by one, so that its next store replaces it); a voice the page plays.
  virtual void storePage() = 0;
  virtual void pageContinues() = 0;
  virtual void addPageVoice(std::string_view name) = 0;

  // exitgame: close the window (through the close question).
  virtual void closeWindow() = 0;
  // web: open an http:// or https:// address (Shift_JIS) with the desktop's handler.
  virtual bool openAddress(std::string_view address) = 0;
  // The quit question a picture command asks after a close was requested during its
  // transition: true for OK. The display is kept and put back around it.
  virtual bool askQuitQuestion() = 0;

  // The trace for title authors: each executed line and each ignored error, with the script's
  // name and the 1-based line number. Both cheap when no trace is written.
  virtual bool tracing() const { return false; }
  virtual void traceLine(std::string_view script, int32_t lineNumber, std::string_view text) {}
  virtual void traceError(std::string_view script, int32_t lineNumber, std::string_view what,
                          std::string_view text) {}
};

// ---- Scripts played alone -------------------------------------------------------------------
// Owners and a host with no engine behind them, for playing scripts by themselves (benchmarks,
// fuzzing): every owned command answers with its table's result code; nothing is shown,
// stored or opened, no sound exists, and the quit question answers No.

class DetachedOwners : public CommandOwners {
 public:
  int pictures(const OwnedCommand& c) override { return commandInfo(c.id).result; }
  int transitions(const OwnedCommand& c) override { return commandInfo(c.id).result; }
  int effects(const OwnedCommand& c) override { return commandInfo(c.id).result; }
  int sound(const OwnedCommand& c) override { return commandInfo(c.id).result; }
  int saves(const OwnedCommand& c) override { return commandInfo(c.id).result; }
  int choices(const OwnedCommand& c) override { return commandInfo(c.id).result; }
  void advanceChoice() override {}
  int screens(const OwnedCommand& c) override { return commandInfo(c.id).result; }
};

class DetachedHost : public InterpreterHost {
 public:
  ScriptSettings scriptSettings;
  const ScriptSettings& settings() const override { return scriptSettings; }
  bool inPlayMode() const override { return true; }
  bool soundExists(std::string_view) const override { return false; }
  void updateMenus() override {}
  void redrawQuickButtons() override {}
  void redrawScene() override {}
  void storePage() override {}
  void pageContinues() override {}
  void addPageVoice(std::string_view) override {}
  void closeWindow() override {}
  bool openAddress(std::string_view) override { return false; }
  bool askQuitQuestion() override { return false; }
  void galleryScriptLoading(std::string_view) override {}
  void recollectionScriptFound(std::string_view) override {}
};

}  // namespace corvid
