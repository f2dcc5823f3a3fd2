#pragma once
// ScriptHost: the engine's side of the interpreter. It hands the owned commands to their
// subsystems, answers the interpreter's questions about settings and play mode, and writes the
// trace that `--trace FILE` asks for.
//
// Subsystems still to come (pictures, transitions, effects, sound, saves, choices, the screens)
// are entry points here that write the command into the trace and give the command's table
// result, so that scripts play through unchanged until their owners arrive.

#include <cstdio>
#include <string>
#include <string_view>

#include "script/command_owners.h"

namespace corvid {

class Engine;

class ScriptHost final : public CommandOwners, public InterpreterHost {
 public:
  explicit ScriptHost(Engine& engine) : engine_(engine) {}
  ~ScriptHost() override;
  ScriptHost(const ScriptHost&) = delete;
  ScriptHost& operator=(const ScriptHost&) = delete;

  // Opens the trace file (truncated); false with `error` when it cannot be written.
  bool openTrace(const std::string& path, std::string& error);

  // ---- CommandOwners --------------------------------------------------------------------
  int pictures(const OwnedCommand& command) override;
  // shake, scroll, wipeset, fadein, fadeout.
  int transitions(const OwnedCommand& command) override;
  int effects(const OwnedCommand& command) override;
  // music, cv (the name the interpreter chose), se, seloop, seoff, movie.
  int sound(const OwnedCommand& command) override;
  // gameclr counts a completed game in the global data; the save and load screens come later.
  int saves(const OwnedCommand& command) override;
  // select, clickmap and switch go to the choices.
  int choices(const OwnedCommand& command) override;
  void advanceChoice() override;
  int screens(const OwnedCommand& command) override { return stillToCome("screens", command); }

  // ---- InterpreterHost --------------------------------------------------------------------
  const ScriptSettings& settings() const override;
  bool inPlayMode() const override;
  bool soundExists(std::string_view name) const override;
  void updateMenus() override;
  void redrawQuickButtons() override {}  // the quick buttons arrive with their screen
  void redrawScene() override;
  // The page history arrives with the backlog.
  void storePage() override {}
  void pageContinues() override {}
  void addPageVoice(std::string_view) override {}
  void closeWindow() override;
  bool openAddress(std::string_view address) override;
  bool askQuitQuestion() override;
  // The gallery's script-to-flag table and the recollection list mark scripts here once they
  // are read at start-up; until then no title has anything to mark.
  void galleryScriptLoading(std::string_view) override {}
  void recollectionScriptFound(std::string_view) override {}

  bool tracing() const override { return trace_ != nullptr; }
  // An engine call whose owner is still to come (input routed to a screen not built yet).
  void traceStillToCome(std::string_view what, const char* owner);
  void traceLine(std::string_view script, int32_t lineNumber, std::string_view text) override;
  void traceError(std::string_view script, int32_t lineNumber, std::string_view what,
                  std::string_view text) override;

 private:
  int stillToCome(const char* owner, const OwnedCommand& command);
  void askAfterCloseRequest();

  Engine& engine_;
  std::FILE* trace_ = nullptr;
  mutable ScriptSettings settings_;
};

}  // namespace corvid
