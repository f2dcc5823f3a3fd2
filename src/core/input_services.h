#pragma once
// What the input routing calls in the rest of the engine: one call each. The engine implements
// them (engine_input_services.h); those whose owners are still to come write that into the
// trace and do nothing.
//
// Sections: the engine's own; sound; the backlog and page history; saving and loading; the
// settings screen; the quick buttons; the yes/no box; the screens of the play modes.

#include <cstdint>

#include "core/play_mode.h"
#include "platform/platform.h"

namespace corvid {

// What the yes/no box asks.
enum class YesNoPurpose { QuickLoad, ReturnToTitle };

class InputServices {
 public:
  virtual ~InputServices() = default;

  // ---- The engine's own ---------------------------------------------------------------
  virtual void closeWindow() = 0;  // through the quit question
  // Screen mode 0 window, 1 full screen, 2 borderless; entered and stored as "SMode".
  virtual void setScreenMode(int mode) = 0;
  virtual int screenMode() const = 0;
  // The auto-advance speed indicator's size (W x H, half the width of "sys_autobar"); false
  // when the title has none.
  virtual bool speedIndicatorSize(int& width, int& height) = 0;
  // A background animation runs (it keeps the wheel, some keys and menus out).
  virtual bool backgroundAnimationRunning() const = 0;

  // ---- Sound ----------------------------------------------------------------------------
  virtual void stopVoice() = 0;
  virtual void replayLastVoice() = 0;
  virtual void muteAll(bool muted) = 0;
  // The recollection scene's "次シーンへ": voice and sound effects stop first.
  virtual void stopVoiceAndSoundEffects() = 0;

  // ---- The backlog and the page history ------------------------------------------------
  virtual void openBacklog() = 0;
  virtual void closeBacklog() = 0;
  virtual void backlogClick(MouseButton button, int x, int y) = 0;
  virtual void backlogHover(int x, int y) = 0;
  virtual void backlogRelease() = 0;
  virtual void scrollBacklog(int wheel) = 0;
  virtual void openPageHistory() = 0;
  virtual void closePageHistory() = 0;
  virtual void stepPageHistory(bool forward) = 0;

  // ---- Saving and loading ---------------------------------------------------------------
  virtual void openLoadScreen() = 0;
  virtual void openSaveScreen() = 0;
  virtual void quickSave() = 0;

  // ---- The settings screen --------------------------------------------------------------
  virtual void openSettingsScreen() = 0;
  virtual void settingsHover(int x, int y) = 0;
  virtual void settingsClick(MouseButton button, int x, int y) = 0;
  virtual void settingsRelease() = 0;

  // ---- The quick buttons ----------------------------------------------------------------
  virtual void hoverQuickButtons(int x, int y) = 0;
  // True when a button took the click.
  virtual bool pressQuickButton() = 0;
  virtual void pressQuickButtonKey(int number) = 0;
  virtual void releaseQuickButtons() = 0;
  virtual void redrawQuickButtons() = 0;

  // ---- The yes/no box -------------------------------------------------------------------
  // Asks; a yes carries out what the purpose names (the quick load, the return to the title).
  virtual void askYesNo(YesNoPurpose purpose) = 0;
  virtual void yesNoHover(int x, int y) = 0;
  // keep: the box's state is cleared and the box kept (the special click states).
  virtual void yesNoClick(MouseButton button, int x, int y, bool keep) = 0;

  // ---- The screens of the play modes ----------------------------------------------------
  virtual void screenHover(PlayMode mode, int x, int y) = 0;
  virtual void screenClick(PlayMode mode, MouseButton button, int x, int y) = 0;
  virtual void screenRelease(PlayMode mode) = 0;
  virtual void selectionTreeHover(int x, int y) = 0;
  // The menu bar's hidden "次シーンへ" and "回想終了".
  virtual void nextRecollectionScene() = 0;
  virtual void leaveReplay() = 0;
};

}  // namespace corvid
