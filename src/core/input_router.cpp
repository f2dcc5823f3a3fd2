#include "core/input_router.h"

#include <cstdio>
#include <optional>

#include "data/bmp_file.h"
#include "data/file_io.h"

// Sections: events; the mouse; the wheel; keys; menus; the player conveniences (skipping,
// auto-advance, hiding the window, the cover screen); the speed indicator.

namespace corvid {

namespace {

constexpr int kClickGuardTicks = 5;      // idle ticks after a click during which repeats are ignored
constexpr int32_t kDefaultAutoSpeed = 4;  // auto-advance speed when S27 holds none
constexpr int32_t kRightClickAutoSpeed = 5;  // the same for the right-click action 3
constexpr int kFullScreenBarZone = 30;    // the full-screen bar shows while the pointer is above this
const char* const kCoverPicture = "panic.bmp";

// The character a key makes when it is pressed (0: none).
char characterOf(Key key, char character) {
  switch (key) {
    case Key::Return: return '\r';
    case Key::Escape: return 27;
    case Key::Tab: return '\t';
    case Key::Space: return ' ';
    case Key::BackSpace: return 8;
    case Key::Character: return character;
    default: return 0;
  }
}

bool isLetter(char c, char lower) { return c == lower || c == lower - 'a' + 'A'; }

// A picture of any size drawn over the whole 800x600 frame (nearest pixel).
void stretchInto(const Surface& from, Surface& to) {
  for (int y = 0; y < to.height; ++y) {
    const uint8_t* src = from.row(int(int64_t(y) * from.height / to.height));
    uint8_t* dst = to.row(y);
    for (int x = 0; x < to.width; ++x) {
      const uint8_t* p = src + size_t(int64_t(x) * from.width / to.width) * 3;
      dst[size_t(x) * 3] = p[0];
      dst[size_t(x) * 3 + 1] = p[1];
      dst[size_t(x) * 3 + 2] = p[2];
    }
  }
}

}  // namespace

// ---- Events -----------------------------------------------------------------------------------

void InputRouter::handle(const InputEvent& e) {
  switch (e.type) {
    case InputEvent::Type::MouseMove: pbMouseMove(e.x, e.y); return;
    case InputEvent::Type::MouseDown: pbMouseDown(e.button, e.x, e.y); return;
    case InputEvent::Type::MouseUp: pbMouseUp(e.button, e.x, e.y); return;
    case InputEvent::Type::Wheel: formMouseWheel(e.wheel); return;
    case InputEvent::Type::KeyDown: {
      formKeyDown(e.key);
      // As on the desktop, a pressed key that makes a character also delivers it; with Ctrl
      // held letters make control characters, which nothing takes.
      const char ch = characterOf(e.key, e.character);
      if (ch != 0 && !(controlHeld_ && e.key == Key::Character)) formKeyPress(ch);
      return;
    }
    case InputEvent::Type::KeyUp: formKeyUp(e.key); return;
    case InputEvent::Type::Menu: pickMenu(e.menuId); return;
  }
}

void InputRouter::show(const Surface& picture) {
  c_.display = picture;
  c_.platform.present(c_.display);
}

// ---- The mouse --------------------------------------------------------------------------------

void InputRouter::pbMouseMove(int x, int y) {
  mouseX_ = x;
  mouseY_ = y;
  mouseMoved_ = true;
  EngineFlags& f = c_.flags;
  if (f.busyCount != 0 || f.effectRunning) return;
  if (f.settingsScreenOpen) {
    c_.services.settingsHover(x, y);
    return;
  }
  if (c_.services.screenMode() == 1) c_.platform.showFullScreenBar(y < kFullScreenBarZone);
  if (f.systemDialogOpen != 0) {
    c_.services.yesNoHover(x, y);
    return;
  }
  if (f.backlogOpen) {
    c_.services.backlogHover(x, y);
    return;
  }
  switch (c_.playMode) {
    case PlayMode::MapScreen:
    case PlayMode::Viewer:
    case PlayMode::Recollection: c_.services.screenHover(c_.playMode, x, y); return;
    case PlayMode::Play: break;
    default: return;
  }
  switch (c_.wait.choiceActive) {
    case 0:
      if (c_.flags.skipLevel == 0) c_.services.hoverQuickButtons(x, y);
      return;
    case 1:
    case 2:
      c_.services.hoverQuickButtons(x, y);
      if (choices_) choices_->hoverChoice(x, y);
      return;
    case 4:
      if (choices_) choices_->hoverChoice(x, y);
      return;
    case 6: c_.services.selectionTreeHover(x, y); return;
    default: return;
  }
}

// S56 = 56 and 66: a click only ends a sleep (56) and unlocks the menus; 57: the click jumps
// to the label named in $8. A right click does nothing in 56 and 66. True when the click was
// taken so.
bool InputRouter::specialClickState(MouseButton button) {
  const int32_t state = S(56);
  if (state == 57) {
    c_.interpreter.gotoLabel(c_.vars.strings[8]);
    S(56) = 0;
    return true;
  }
  if (state != 56 && state != 66) return false;
  if (button == MouseButton::Right) return true;
  if (state == 56) {
    c_.flags.sleepCountdown = 0;
    c_.services.stopVoice();
    if (c_.flags.effectRunning) c_.flags.effectRequest = 1;
  }
  lockMenus(false);
  c_.services.redrawQuickButtons();
  c_.services.yesNoClick(button, mouseX_, mouseY_, true);
  if (state == 56) S(56) = 0;
  return true;
}

void InputRouter::pbMouseDown(MouseButton button, int x, int y) {
  mouseX_ = x;
  mouseY_ = y;
  if (specialClickState(button)) return;
  EngineFlags& f = c_.flags;
  if (f.effectRunning) {
    if (!c_.settings.cvThrough) c_.services.stopVoice();
    f.effectRequest = 1;  // the effect finishes at once
    return;
  }
  if (f.systemDialogOpen != 0) {
    c_.services.yesNoClick(button, x, y, false);
    return;
  }
  if (coverShown_) {
    takeCoverAway();
    return;
  }
  if (button == MouseButton::Left) clearPopup();
  if (f.busyCount != 0) return;
  if (f.settingsScreenOpen) {
    c_.services.settingsClick(button, x, y);
    return;
  }
  if (button == MouseButton::Left && c_.wait.waitKind != 4 && f.clickGuard < 3 &&
      !c_.settings.cvThrough)
    c_.services.stopVoice();
  if (f.backlogOpen) {
    if (button == MouseButton::Right) c_.services.closeBacklog();
    else c_.services.backlogClick(button, x, y);
    return;
  }
  if (inPlay()) playMouseDown(button, x, y);
  else modeMouseDown(button, x, y);
}

void InputRouter::modeMouseDown(MouseButton button, int x, int y) {
  switch (c_.playMode) {
    case PlayMode::WindowHidden: showTextWindow(); return;
    case PlayMode::StaffRoll:
    case PlayMode::MapScreen:
    case PlayMode::Viewer:
    case PlayMode::Recollection: c_.services.screenClick(c_.playMode, button, x, y); return;
    case PlayMode::History:
      if (button == MouseButton::Right) c_.services.closePageHistory();
      else if (button == MouseButton::Left) c_.services.pressQuickButton();  // steps the history
      return;
    default: return;
  }
}

void InputRouter::playMouseDown(MouseButton button, int x, int y) {
  WaitState& w = c_.wait;
  EngineFlags& f = c_.flags;
  if (c_.text.windowShown() && f.skipLevel == 0 && S(26) != 0 && speedIndicatorClick(x, y)) return;
  // A click while text streams shows the rest of the page at once.
  if (c_.settings.textPaced && w.waitKind == 0 && w.choiceActive == 0) w.instantPage = true;
  if (f.sleepCountdown != 0) {
    f.sleepCountdown = 0;
    S(19) = 1;
    return;
  }
  if (f.skipLevel != 0 && w.choiceActive == 0) {
    c_.interpreter.stopSkipping();
    return;
  }
  if (button == MouseButton::Left && w.choiceActive == 0) {
    c_.services.hoverQuickButtons(x, y);
    if (c_.services.pressQuickButton()) return;
  }
  if (button == MouseButton::Left) {
    if (w.choiceActive == 0) {
      endClickWait();
    } else if (f.clickGuard == 0) {
      const int32_t kind = w.choiceActive;
      pointAtChoice(x, y);
      if (choices_) choices_->decideChoice(false);
      if (kind != 6) c_.services.pressQuickButton();
    }
  } else if (button == MouseButton::Right) {
    if ((w.choiceActive == 4 || w.choiceActive == 6) && choices_) {
      pointAtChoice(x, y);
      choices_->decideChoice(true);
    }
    else rightClickAction();
    return;
  }
  f.clickGuard = kClickGuardTicks;
}

// A click decides what lies under it: a real pointer has always moved there first, a scripted
// click may come without a move, so the place is highlighted before the choice is decided.
void InputRouter::pointAtChoice(int x, int y) {
  const int32_t kind = c_.wait.choiceActive;
  if (choices_ && (kind == 1 || kind == 2 || kind == 4)) choices_->hoverChoice(x, y);
}

void InputRouter::pbMouseUp(MouseButton button, int x, int y) {
  if (c_.flags.settingsScreenOpen) {
    c_.services.settingsRelease();
  } else if (c_.flags.backlogOpen) {
    c_.services.backlogRelease();
  } else if (inPlay()) {
    c_.services.releaseQuickButtons();  // any pressed button (S63 to S65), redrawn
  } else if (c_.playMode == PlayMode::Recollection) {
    c_.services.screenRelease(c_.playMode);
  }
}

// A click and wheel-down end the click wait the same way.
void InputRouter::endClickWait() { c_.interpreter.endClickWait(); }

// ---- The wheel ----------------------------------------------------------------------------------

void InputRouter::formMouseWheel(int delta) {
  EngineFlags& f = c_.flags;
  if (wheelRunning_ || f.systemDialogOpen != 0 || f.busyCount != 0 ||
      c_.services.backgroundAnimationRunning())
    return;
  wheelRunning_ = true;
  if (f.backlogOpen) {
    c_.services.scrollBacklog(delta);
  } else if (c_.playMode == PlayMode::History) {
    c_.services.stepPageHistory(delta < 0);
  } else if (inPlay() && c_.wait.choiceActive == 0) {
    if (delta > 0 && c_.settings.wheelMode != 0) {
      S(65) = 2;  // the backlog's quick button is shown pressed while it opens
      c_.services.openBacklog();
      S(65) = 1;
    } else if (delta > 0) {
      c_.services.openPageHistory();
    } else {
      if (!c_.settings.cvThrough) c_.services.stopVoice();
      endClickWait();
    }
  }
  wheelRunning_ = false;
}

// ---- Keys -------------------------------------------------------------------------------------

Key InputRouter::swapped(Key key) const {
  if (!swapShiftAndControl()) return key;
  if (key == Key::Shift) return Key::Control;
  if (key == Key::Control) return Key::Shift;
  return key;
}

void InputRouter::formKeyDown(Key key) {
  if (key == Key::Control) controlHeld_ = true;
  EngineFlags& f = c_.flags;
  if (f.systemDialogOpen != 0 || f.backlogOpen || f.effectRunning || f.busyCount != 0) return;
  if (key == Key::F11) {
    c_.services.setScreenMode(c_.services.screenMode() == 1 ? 0 : 1);
    return;
  }
  if (c_.wait.choiceActive == 1) {
    if (key == Key::Up || key == Key::Down) moveToChoiceBar(key == Key::Up);
    return;
  }
  if (c_.playMode == PlayMode::History) {
    if ((key == Key::Left || key == Key::Right) && c_.wait.choiceActive == 0 &&
        !c_.services.backgroundAnimationRunning())
      c_.services.stepPageHistory(key == Key::Right);
    return;
  }
  if (inPlay()) playKeyDown(swapped(key));
}

void InputRouter::playKeyDown(Key key) {
  switch (key) {
    case Key::Tab: rightClickAction(); return;
    case Key::Shift:
      if (c_.flags.skipLevel != 0) c_.interpreter.stopSkipping();
      if (S(26) != 0) {
        S(26) = 0;
      } else {
        if (S(27) == 0) S(27) = kDefaultAutoSpeed;
        S(26) = S(27);
      }
      c_.services.redrawQuickButtons();
      return;
    case Key::Control:
      if (c_.flags.skipLevel != 0) {
        c_.interpreter.stopSkipping();
        return;
      }
      S(26) = 0;
      S(60) = S(61) = 0;
      c_.services.stopVoice();
      S(60) = 2;
      c_.services.redrawQuickButtons();
      c_.flags.skipLevel = 1;  // until Ctrl is released
      return;
    case Key::Left:
      if (c_.wait.choiceActive == 0 && !c_.services.backgroundAnimationRunning())
        c_.services.openPageHistory();
      return;
    case Key::Up: c_.services.pressQuickButtonKey(9); return;
    case Key::Down: c_.services.pressQuickButtonKey(10); return;
    default: return;
  }
}

// Up: the bar before the highlighted one, the first when none or the first is highlighted.
// Down: the next one, the last when none or the last is highlighted.
void InputRouter::moveToChoiceBar(bool up) {
  if (!choices_) return;
  const int32_t count = choices_->choiceCount();
  if (count <= 0) return;
  const int32_t lit = choices_->highlightedChoice();  // 1-based, 0 or -1 none
  int index;
  if (up) index = lit <= 1 ? 0 : lit - 2;
  else index = (lit <= 0 || lit >= count) ? count - 1 : lit;
  int x, y;
  if (choices_->keyboardPointFor(index, x, y)) c_.platform.warpPointer(x, y);
}

void InputRouter::formKeyUp(Key key) {
  if (key == Key::Control) controlHeld_ = false;
  if (c_.flags.backlogOpen) return;
  if (swapped(key) != Key::Control) return;
  S(60) = 0;
  c_.flags.skipLevel = 0;
  if (inPlay() && c_.flags.busyCount == 0) c_.services.redrawQuickButtons();
}

void InputRouter::formKeyPress(char ch) {
  EngineFlags& f = c_.flags;
  if (f.systemDialogOpen != 0) return;
  if (f.backlogOpen) {
    if (ch == 8) c_.services.closeBacklog();
    return;
  }
  if (ch == '\r' || isLetter(ch, 'z')) {
    pbMouseDown(MouseButton::Left, mouseX_, mouseY_);
    pbMouseUp(MouseButton::Left, mouseX_, mouseY_);
    return;
  }
  if (isLetter(ch, 'x')) {
    pbMouseDown(MouseButton::Right, mouseX_, mouseY_);
    pbMouseUp(MouseButton::Right, mouseX_, mouseY_);
    return;
  }
  if (isLetter(ch, 'v')) {
    c_.services.replayLastVoice();
    return;
  }
  if (f.effectRunning || f.busyCount != 0) return;
  const bool playNoAnimation = inPlay() && !c_.services.backgroundAnimationRunning();
  if (ch == 8) {
    if (!playNoAnimation) return;
    S(65) = 2;  // the backlog's quick button is shown pressed while it opens
    c_.services.openBacklog();
    S(65) = 1;
  } else if (ch == 27) {
    clearPopup();
  } else if (ch == ' ') {
    toggleAutoAdvance();
  } else if (isLetter(ch, 'c')) {
    openSettings();
  } else if (isLetter(ch, 'l')) {
    if (playNoAnimation && S(0) <= 1) c_.services.openLoadScreen();
  } else if (isLetter(ch, 'q')) {
    if (playNoAnimation && S(0) <= 0) c_.services.quickSave();
  } else if (isLetter(ch, 's')) {
    if (playNoAnimation && S(0) <= 0) c_.services.openSaveScreen();
  } else if (isLetter(ch, 'w')) {
    if (inPlay()) hideTextWindow();
    else if (c_.playMode == PlayMode::WindowHidden) showTextWindow();
  }
}

// ---- Menus ------------------------------------------------------------------------------------

void InputRouter::clearPopup() {
  if (popupOpen_) c_.platform.closePopupMenu();
  popupOpen_ = false;
}

void InputRouter::pickMenu(const std::string& id) {
  if (!menus_.pickable(id)) return;
  const MenuItemState* item = menus_.find(id);
  if (item->place == MenuPlace::Popup) clearPopup();
  InputServices& s = c_.services;
  const bool effect = c_.flags.effectRunning;
  if (id == "SM01" || id == "bar:制御/オート") switchAutoAdvanceOn(kDefaultAutoSpeed);
  else if (id == "SM02" || id == "bar:制御/スキップ") startSkipping();
  else if (id == "N4" || id == "bar:制御/バックログ") s.openBacklog();
  else if (id == "SM04" || id == "bar:制御/ウィンドウ消去") hideTextWindow();
  else if (id == "SM05") s.replayLastVoice();
  else if (id == "N5") s.askYesNo(YesNoPurpose::QuickLoad);
  else if (id == "N8") s.quickSave();
  else if (id == "N9") s.openLoadScreen();
  else if (id == "N10") s.openSaveScreen();
  else if (id == "N13") s.openSettingsScreen();
  else if (id == "bar:設定" || id == "fsbar:設定") openSettings();
  else if (id == "N17" || id == "bar:終了/タイトルへ" || id == "fsbar:終了/タイトルへ戻る")
    s.askYesNo(YesNoPurpose::ReturnToTitle);
  else if (id == "N18" || id == "bar:終了/ゲーム終了" || id == "fsbar:終了/終了") s.closeWindow();
  else if (id == "bar:終了/次シーンへ") {
    s.stopVoiceAndSoundEffects();
    s.nextRecollectionScene();
  } else if (id == "bar:終了/回想終了" || id == "fsbar:終了/回想終了") s.leaveReplay();
  else if (id == "bar:ロード" || id == "fsbar:ロード") {
    if (!effect) s.openLoadScreen();
  } else if (id == "bar:セーブ" || id == "fsbar:セーブ") {
    if (!effect) s.openSaveScreen();
  } else if (id == "fsbar:終了") {
    c_.interpreter.stopSkipAndAuto(true);  // its small menu opens on the platform's side
  } else if (id == "fsbar:Window モード") {
    s.setScreenMode(0);
  }
  // "bar:終了" and "bar:制御" only open their menus.
}

void InputRouter::pushMenus() {
  if (menus_.items() == shownMenus_) return;
  shownMenus_ = menus_.items();
  c_.platform.setMenus(shownMenus_);
}

void InputRouter::updateMenus() {
  MenuConditions conditions;
  conditions.s0 = S(0);
  conditions.s28 = S(28);
  conditions.backgroundAnimation = c_.services.backgroundAnimationRunning();
  menus_.updateMenus(conditions);
  pushMenus();
}

// Unlocking also brings every item up to date, so that nothing stays disabled after the lock.
void InputRouter::lockMenus(bool locked) {
  menus_.setLocked(locked);
  updateMenus();
}

void InputRouter::rightClickAction() {
  if (popupOpen_) {
    clearPopup();
    return;
  }
  switch (c_.settings.rcMode) {
    case 0:
      for (const char* id : {"SM01", "SM02", "SM04", "SM05"}) menus_.setEnabled(id, true);
      pushMenus();
      popupOpen_ = true;
      c_.platform.openPopupMenu(mouseX_, mouseY_);
      return;
    case 1: hideTextWindow(); return;
    case 2: startSkipping(); return;
    case 3: switchAutoAdvanceOn(kRightClickAutoSpeed); return;
    case 4: coverScreen(); return;
    default: return;
  }
}

// ---- The player conveniences -----------------------------------------------------------------

void InputRouter::startSkipping() {
  c_.services.stopVoice();
  S(60) = 2;
  c_.services.redrawQuickButtons();
  c_.flags.skipLevel = 1;
}

void InputRouter::switchAutoAdvanceOn(int32_t defaultSpeed) {
  if (S(27) == 0) S(27) = defaultSpeed;
  S(26) = S(27);
  c_.services.redrawQuickButtons();
}

void InputRouter::toggleAutoAdvance() {
  if (S(26) != 0) {
    S(61) = 0;
    S(27) = S(26);
    S(26) = 0;
  } else {
    S(61) = 2;
    if (S(27) < 1 || S(27) > c_.config.spdMax) S(27) = kDefaultAutoSpeed;
    S(26) = S(27);
  }
  S(60) = 0;
  c_.services.redrawQuickButtons();
}

void InputRouter::openSettings() {
  c_.interpreter.stopSkipAndAuto(true);
  c_.services.openSettingsScreen();
}

// Only while the story is under way (S28).
void InputRouter::hideTextWindow() {
  if (S(28) == 0 || !inPlay() || coverShown_) return;
  lockMenus(true);
  keptScreen_ = c_.screen;
  show(c_.stage);
  c_.playMode = PlayMode::WindowHidden;
}

void InputRouter::showTextWindow() {
  if (!keptScreen_.empty()) show(keptScreen_);
  keptScreen_ = Surface();
  c_.playMode = PlayMode::Play;
  c_.services.redrawQuickButtons();
  lockMenus(false);
}

// The cover picture is read before anything changes, so a missing or unreadable file leaves
// the engine as it was: neither covered nor muted.
void InputRouter::coverScreen() {
  if (coverShown_) return;
  Surface picture;
  if (!loadCoverPicture(picture)) return;
  c_.services.muteAll(true);
  keptScreen_ = c_.screen;
  stretchInto(picture, c_.screen);
  lockMenus(true);
  show(c_.screen);
  coverShown_ = true;
  ++c_.flags.busyCount;
  c_.services.stopVoice();
}

bool InputRouter::loadCoverPicture(Surface& out) {
  for (const std::string& folder : coverFolders_) {
    const std::string path = folder + "/" + kCoverPicture;
    if (!fileExists(path)) continue;
    std::optional<std::vector<uint8_t>> bytes = readWholeFile(path);
    std::string error = "cannot read the file";
    if (bytes && decodeBmp(*bytes, out, &error)) return true;
    std::fprintf(stderr, "corvid: %s: %s; the screen is not covered\n", path.c_str(), error.c_str());
    return false;
  }
  std::fprintf(stderr, "corvid: %s not found; the screen is not covered\n", kCoverPicture);
  return false;
}

void InputRouter::takeCoverAway() {
  c_.screen = keptScreen_;
  keptScreen_ = Surface();
  show(c_.screen);
  c_.services.muteAll(false);
  coverShown_ = false;
  if (c_.flags.busyCount > 0) --c_.flags.busyCount;
  lockMenus(false);
}

// ---- The speed indicator ------------------------------------------------------------------------

bool InputRouter::speedIndicatorClick(int x, int y) {
  int w = 0, h = 0;
  if (!c_.services.speedIndicatorSize(w, h)) return false;
  const int hit = speedIndicatorHit(c_.config, w, h, x, y);
  if (hit < 0) return false;
  const int32_t n = c_.config.spdMax;
  if (hit == 0) {
    if (S(26) < n) ++S(26);
  } else if (hit == n + 1) {
    if (S(26) > 1) --S(26);
  } else {
    S(26) = hit;
  }
  S(27) = S(26);
  c_.services.redrawQuickButtons();
  return true;
}

int speedIndicatorHit(const GameConfig& config, int w, int h, int x, int y) {
  if (config.spdTw <= 0 || config.spdTw > 3) return -1;
  int ox = config.spdOfsX, oy = config.spdOfsY;
  if (config.spdTw == 1 || config.spdTw == 2) {
    ox += config.txwOfsX;
    oy += config.txwOfsY;
  }
  const int n = config.spdMax, s = config.spdDotSize;
  if (config.spdDir != 0) {
    if (y < oy || y >= oy + h) return -1;
    const int d = ox + config.spdDotOfsX;
    if (x >= ox && x < d) return 0;
    if (x >= d + n * s && x < ox + w) return n + 1;
    if (s > 0 && x >= d && x < d + n * s) return n - (x - d) / s;
    return -1;
  }
  if (x < ox || x >= ox + w) return -1;
  const int d = oy + config.spdDotOfsY;
  if (y >= oy && y < d) return n + 1;
  if (y >= d + n * s && y < oy + h) return 0;
  if (s > 0 && y >= d && y < d + n * s) return (y - d) / s + 1;
  return -1;
}

}  // namespace corvid
