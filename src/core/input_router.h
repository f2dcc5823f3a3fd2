#pragma once
// InputRouter: every mouse, wheel, key and menu event goes through here to whoever owns it at
// that moment (the special click states, a blocking effect, the yes/no box, the cover screen,
// the settings screen, the backlog, the screen of the play mode) and, in Play, to the speed
// indicator, text pacing, sleeping, skipping, the quick buttons, choices and click waits. It
// also holds the player conveniences that belong to no screen: skipping, auto-advance,
// hiding the text window, the cover screen, the popup menu and the menus' lock.
//
// Sections: the context it works on; the router (events, the actions menus and screens call,
// state for the state file); the speed indicator's hit test.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/engine_flags.h"
#include "core/input_services.h"
#include "core/menus.h"
#include "core/play_mode.h"
#include "data/game_config.h"
#include "gfx/surface.h"
#include "persist/player_settings.h"
#include "platform/platform.h"
#include "script/choice_input.h"
#include "script/interpreter.h"
#include "script/text_sink.h"
#include "script/variables.h"
#include "script/wait_state.h"

namespace corvid {

// The engine state the routing reads and changes, bound by reference.
struct InputContext {
  Platform& platform;
  EngineFlags& flags;
  WaitState& wait;
  VariableSpaces& vars;
  PlayMode& playMode;
  const GameConfig& config;
  const PlayerSettings& settings;
  Interpreter& interpreter;
  const TextSink& text;
  Surface& screen;       // the finished frame
  const Surface& stage;  // the scene without the text window
  Surface& display;      // what the player sees
  InputServices& services;
};

class InputRouter {
 public:
  explicit InputRouter(InputContext context) : c_(context) {}

  // The open choice's input (the choices own it); null while there is none to route to.
  void setChoiceInput(ChoiceInput* choices) { choices_ = choices; }
  // Where "panic.bmp" is looked for, in order (the title folder, then the data folder).
  void setCoverPictureFolders(std::vector<std::string> folders) { coverFolders_ = std::move(folders); }

  // ---- Events ------------------------------------------------------------------------------
  void handle(const InputEvent& event);
  void pbMouseMove(int x, int y);
  void pbMouseDown(MouseButton button, int x, int y);
  void pbMouseUp(MouseButton button, int x, int y);
  void formMouseWheel(int delta);
  void formKeyDown(Key key);
  void formKeyUp(Key key);
  void formKeyPress(char character);
  // A menu item picked by its id; a disabled or hidden item (or one under such a menu) does
  // nothing.
  void pickMenu(const std::string& id);

  // ---- Actions -------------------------------------------------------------------------------
  void rightClickAction();
  void hideTextWindow();
  void showTextWindow();
  void coverScreen();
  void startSkipping();          // the popup's "スキップ"
  void switchAutoAdvanceOn(int32_t defaultSpeed);  // "自動送り": S27 = default when 0
  void toggleAutoAdvance();      // Space
  void openSettings();           // the menu bar's "設定" and C: skipping and auto-advance end first
  // updateMenus with the lock and S0, S28; the platform gets the new states.
  void updateMenus();
  void lockMenus(bool locked);

  // ---- State -----------------------------------------------------------------------------
  const Menus& menus() const { return menus_; }
  Menus& menus() { return menus_; }
  bool popupOpen() const { return popupOpen_; }
  bool coverShown() const { return coverShown_; }
  int mouseX() const { return mouseX_; }
  int mouseY() const { return mouseY_; }
  // The pointer moved since the last call (the quick buttons' leave tracking).
  bool takeMouseMoved() { return std::exchange(mouseMoved_, false); }

 private:
  bool specialClickState(MouseButton button);
  void playMouseDown(MouseButton button, int x, int y);
  void pointAtChoice(int x, int y);
  void modeMouseDown(MouseButton button, int x, int y);
  bool speedIndicatorClick(int x, int y);
  void endClickWait();
  void clearPopup();
  void takeCoverAway();
  bool loadCoverPicture(Surface& out);
  void playKeyDown(Key key);
  void moveToChoiceBar(bool up);
  bool swapShiftAndControl() const { return c_.settings.csSwap != 0; }
  Key swapped(Key key) const;
  bool inPlay() const { return c_.playMode == PlayMode::Play; }
  int32_t& S(int i) { return c_.vars.S[size_t(i)]; }
  void show(const Surface& picture);
  void pushMenus();

  InputContext c_;
  ChoiceInput* choices_ = nullptr;
  Menus menus_;
  std::vector<MenuItemState> shownMenus_;  // what the platform was last given
  std::vector<std::string> coverFolders_;
  int mouseX_ = 0, mouseY_ = 0;  // the last position seen, for keyboard clicks and choices
  bool mouseMoved_ = false;      // for the quick buttons' leave tracking
  bool popupOpen_ = false;
  bool coverShown_ = false;
  bool wheelRunning_ = false;    // the wheel handler's own re-entry guard
  bool controlHeld_ = false;     // Ctrl held: letters make no characters
  Surface keptScreen_;           // the screen under the hidden window or the cover
};

// ---- The speed indicator's hit test ----------------------------------------------------------

// Where a click at (x, y) falls on the auto-advance speed indicator of size w x h: -1 outside;
// 0 the faster end (speed + 1), n + 1 the slower end (speed - 1), otherwise the speed itself.
// The origin is ("SPD_OFS_X", "SPD_OFS_Y"), plus the text window's for "SPD_TW" 1 and 2.
int speedIndicatorHit(const GameConfig& config, int w, int h, int x, int y);

}  // namespace corvid
