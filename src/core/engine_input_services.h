#pragma once
// The engine's side of the input routing's calls. The engine's own (closing, the screen mode,
// the scene, the speed indicator's size) are carried out here; the calls whose owners are
// still to come (the sound, the backlog and page history, saving and loading, the settings
// screen, the quick buttons, the yes/no box, the screens of the play modes) write into the
// trace that they were not carried out yet, and do nothing.

#include <optional>

#include "core/input_services.h"

namespace corvid {

class Engine;

class EngineInputServices final : public InputServices {
 public:
  explicit EngineInputServices(Engine& engine) : engine_(engine) {}

  void closeWindow() override;
  void setScreenMode(int mode) override;
  int screenMode() const override;
  bool speedIndicatorSize(int& width, int& height) override;
  bool backgroundAnimationRunning() const override { return false; }  // none run yet

  void stopVoice() override;
  void replayLastVoice() override;
  void muteAll(bool muted) override;
  void stopVoiceAndSoundEffects() override {
    stillToCome("stop the voice and sound effects", "sound");
  }

  void openBacklog() override { stillToCome("open the backlog", "backlog"); }
  void closeBacklog() override { stillToCome("close the backlog", "backlog"); }
  void backlogClick(MouseButton, int, int) override { stillToCome("backlog click", "backlog"); }
  void backlogHover(int, int) override {}  // hover is too frequent to trace
  void backlogRelease() override { stillToCome("backlog release", "backlog"); }
  void scrollBacklog(int) override { stillToCome("scroll the backlog", "backlog"); }
  void openPageHistory() override { stillToCome("open the page history", "page history"); }
  void closePageHistory() override { stillToCome("close the page history", "page history"); }
  void stepPageHistory(bool forward) override {
    stillToCome(forward ? "page history forward" : "page history back", "page history");
  }

  void openLoadScreen() override { stillToCome("open the load screen", "save screens"); }
  void openSaveScreen() override { stillToCome("open the save screen", "save screens"); }
  void quickSave() override { stillToCome("quick save", "save screens"); }

  void openSettingsScreen() override { stillToCome("open the settings screen", "settings screen"); }
  void settingsHover(int, int) override {}
  void settingsClick(MouseButton, int, int) override {
    stillToCome("settings screen click", "settings screen");
  }
  void settingsRelease() override { stillToCome("settings screen release", "settings screen"); }

  void hoverQuickButtons(int, int) override {}
  bool pressQuickButton() override {
    stillToCome("press a quick button", "quick buttons");
    return false;
  }
  void pressQuickButtonKey(int number) override;
  void releaseQuickButtons() override {}
  void redrawQuickButtons() override {}  // nothing is drawn yet, so nothing to redraw

  void askYesNo(YesNoPurpose purpose) override;
  void yesNoHover(int, int) override {}
  void yesNoClick(MouseButton, int, int, bool) override { stillToCome("yes/no click", "yes/no box"); }

  void screenHover(PlayMode, int, int) override {}
  void screenClick(PlayMode mode, MouseButton, int, int) override;
  void screenRelease(PlayMode mode) override;
  void selectionTreeHover(int, int) override {}
  void nextRecollectionScene() override { stillToCome("next recollection scene", "recollection"); }
  void leaveReplay() override { stillToCome("leave the replay", "gallery and recollection"); }

 private:
  void stillToCome(const char* what, const char* owner);

  Engine& engine_;
  std::optional<bool> speedIndicatorKnown_;  // "sys_autobar" looked up once
  int speedWidth_ = 0, speedHeight_ = 0;
};

}  // namespace corvid
