#include "platform/sdl/sdl_platform.h"

#include "platform/sdl/sdl_keys.h"

#include <SDL.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>

extern char** environ;

namespace corvid {

namespace {

MouseButton buttonFromSdl(uint8_t button) {
  if (button == SDL_BUTTON_RIGHT) return MouseButton::Right;
  if (button == SDL_BUTTON_MIDDLE) return MouseButton::Middle;
  return MouseButton::Left;
}

// Menus enlarged on a dense screen that the desktop does not scale by itself (X11): by its
// density in quarter steps from 96 dpi when the display reports one, else by the desktop's
// GDK_SCALE; between 1 and 3. A desktop that scales (Wayland, a pixel ratio above 1) gets 1.
float menuScale(float pixelRatio) {
  if (pixelRatio > 1.01f) return 1;
  float scale = 1;
  float dpi = 0;
  if (SDL_GetDisplayDPI(0, nullptr, &dpi, nullptr) == 0 && dpi > 0) {
    scale = float(int(dpi / 96 * 4 + 0.5f)) / 4;
  } else if (const char* gdk = SDL_getenv("GDK_SCALE")) {
    scale = float(SDL_atoi(gdk));
  }
  return scale < 1 ? 1 : scale > 3 ? 3 : scale;
}

}  // namespace

SdlPlatform::SdlPlatform() = default;

SdlPlatform::~SdlPlatform() {
  audio_.close();
  if (handCursor_) SDL_FreeCursor(handCursor_);
  forceClose();
  if (videoReady_) SDL_Quit();
}

bool SdlPlatform::init(std::string& error) {
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0) {
    error = SDL_GetError();
    return false;
  }
  videoReady_ = true;
  startTicks_ = SDL_GetTicks64();
  return true;
}

bool SdlPlatform::supports(Feature feature) const {
  return feature == Feature::Window || feature == Feature::Fullscreen || feature == Feature::Menus ||
         feature == Feature::Audio || feature == Feature::Movies;
}

uint32_t SdlPlatform::millis() { return uint32_t(SDL_GetTicks64() - startTicks_); }

void SdlPlatform::sleep(uint32_t ms) { SDL_Delay(ms); }

bool SdlPlatform::openWindow(const std::string& caption) {
  caption_ = caption;
  window_ = SDL_CreateWindow(caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                             kScreenWidth, kScreenHeight + int(MenuLayer::kMenuBarHeight),
                             SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
  if (!window_) return false;
  renderer_ = SDL_CreateRenderer(window_, -1, 0);
  if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  if (!renderer_) {
    forceClose();
    return false;
  }
  texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_BGR24, SDL_TEXTUREACCESS_STREAMING,
                               kScreenWidth, kScreenHeight);
  if (!texture_) return false;
  layout();
  std::string error;
  menusReady_ = menus_.init(window_, renderer_, menuScale(pixelRatio_), error);
  if (!menusReady_) std::fprintf(stderr, "corvid: no menus: %s\n", error.c_str());
  // The window starts with the picture at a whole multiple of its size below the menu bar:
  // its own size, or as the menus are enlarged on a dense screen while the desktop has room
  // (a desktop that scales by itself doubles the points).
  int multiple = std::max(1, int(menuScale(pixelRatio_)));
  SDL_Rect usable{0, 0, kScreenWidth, kScreenHeight};
  SDL_GetDisplayUsableBounds(0, &usable);
  const int bar = int(menus_.menuBarHeight());
  while (multiple > 1 && (kScreenWidth * multiple > usable.w || kScreenHeight * multiple + bar > usable.h))
    --multiple;
  SDL_SetWindowSize(window_, kScreenWidth * multiple, kScreenHeight * multiple + bar);
  SDL_SetWindowMinimumSize(window_, kScreenWidth / 4, kScreenHeight / 4);
  SDL_StopTextInput();  // no input method window over the picture; the keys come as keys
  layout();
  return true;
}

void SdlPlatform::setCaption(const std::string& caption) {
  caption_ = caption;
  if (window_) SDL_SetWindowTitle(window_, caption.c_str());
}

void SdlPlatform::requestClose() {
  if (!window_) return;
  if (!client_ || client_->onCloseRequest()) forceClose();
}

void SdlPlatform::forceClose() {
  if (menusReady_) menus_.shutdown();
  menusReady_ = false;
  if (texture_) SDL_DestroyTexture(texture_);
  if (renderer_) SDL_DestroyRenderer(renderer_);
  if (window_) SDL_DestroyWindow(window_);
  texture_ = nullptr;
  renderer_ = nullptr;
  window_ = nullptr;
}

ScreenSize SdlPlatform::screenSize() const {
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return {kScreenWidth, kScreenHeight};
  return {mode.w, mode.h};
}

// The stored position was made for the window at the picture's own size; a larger window is
// kept on the desktop.
void SdlPlatform::setWindowPosition(int x, int y) {
  if (!window_) return;
  SDL_Rect usable;
  int w = 0, h = 0;
  SDL_GetWindowSize(window_, &w, &h);
  if (SDL_GetDisplayUsableBounds(0, &usable) == 0) {
    x = std::max(usable.x, std::min(x, usable.x + usable.w - w));
    y = std::max(usable.y, std::min(y, usable.y + usable.h - h));
  }
  SDL_SetWindowPosition(window_, x, y);
}

// Full screen is the desktop's full screen with the picture scaled and letter-boxed: the
// display mode itself is never changed.
bool SdlPlatform::setScreenMode(int mode) {
  if (!window_ || mode < 0 || mode > 2) return false;
  if (mode == 1) {
    if (SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) return false;
  } else {
    SDL_SetWindowFullscreen(window_, 0);
    SDL_SetWindowBordered(window_, mode == 0 ? SDL_TRUE : SDL_FALSE);
    if (mode == 2) SDL_SetWindowPosition(window_, 0, 0);
  }
  screenMode_ = mode;
  if (mode != 1) fullScreenBarShown_ = false;
  layout();
  menus_.refresh();
  render();
  return true;
}

// The picture fills what the menu bar leaves of the window, letter-boxed. The menu bar stands
// only in the normal window; full screen and the borderless window have none.
void SdlPlatform::layout() {
  if (!renderer_) return;
  int ow = 0, oh = 0, ww = 0, wh = 0;
  SDL_GetRendererOutputSize(renderer_, &ow, &oh);
  SDL_GetWindowSize(window_, &ww, &wh);
  pixelRatio_ = ww > 0 ? float(ow) / float(ww) : 1;
  const int bar = menuBarShown() && menusReady_ ? int(menus_.menuBarHeight() * pixelRatio_ + 0.5f) : 0;
  shown_ = fitPicture(PixelRect{0, bar, ow, oh - bar}, kScreenWidth, kScreenHeight);
  // Whole multiples of the picture stay crisp; other sizes are smoothed.
  const bool whole = shown_.w % kScreenWidth == 0 && shown_.h % kScreenHeight == 0;
  if (texture_) SDL_SetTextureScaleMode(texture_, whole ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
}

bool SdlPlatform::windowToPicture(int wx, int wy, int& px, int& py) const {
  return outputToPicture(shown_, kScreenWidth, kScreenHeight, wx * pixelRatio_, wy * pixelRatio_,
                         px, py);
}

void SdlPlatform::setMenus(const std::vector<MenuItemState>& items) {
  menus_.setItems(items);
  render();
}

void SdlPlatform::openPopupMenu(int x, int y) {
  double ox, oy;
  pictureToOutput(shown_, kScreenWidth, kScreenHeight, x, y, ox, oy);
  menus_.openPopup(float(ox / pixelRatio_), float(oy / pixelRatio_));
}

void SdlPlatform::showFullScreenBar(bool shown) {
  if (shown == fullScreenBarShown_) return;
  fullScreenBarShown_ = shown;
  menus_.refresh();
  render();
}

void SdlPlatform::setCursorShape(int shape) {
  if (!videoReady_) return;
  if (shape == 0) {
    SDL_SetCursor(SDL_GetDefaultCursor());
    return;
  }
  if (!handCursor_) handCursor_ = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_HAND);
  if (handCursor_) SDL_SetCursor(handCursor_);
}

void SdlPlatform::warpPointer(int x, int y) {
  if (!window_) return;
  double ox, oy;
  pictureToOutput(shown_, kScreenWidth, kScreenHeight, x, y, ox, oy);
  SDL_WarpMouseInWindow(window_, int(ox / pixelRatio_), int(oy / pixelRatio_));
}

// SDL's event as the engine's; false for one the engine does not take.
bool SdlPlatform::translate(const SDL_Event& e, InputEvent& in) {
  switch (e.type) {
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      // The paint box gets only the clicks on the picture, not those on the black bars.
      if (!windowToPicture(e.button.x, e.button.y, in.x, in.y)) return false;
      in.type = e.type == SDL_MOUSEBUTTONDOWN ? InputEvent::Type::MouseDown : InputEvent::Type::MouseUp;
      in.button = buttonFromSdl(e.button.button);
      return true;
    case SDL_MOUSEMOTION:
      // Moves outside the picture still count: the full-screen bar shows above it.
      windowToPicture(e.motion.x, e.motion.y, in.x, in.y);
      in.type = InputEvent::Type::MouseMove;
      return true;
    case SDL_MOUSEWHEEL:
      if (e.wheel.y == 0) return false;
      in.type = InputEvent::Type::Wheel;
      in.wheel = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
      return true;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      SDL_Keycode code = e.key.keysym.sym;
      // Alt+Enter switches full screen as F11 does.
      if ((code == SDLK_RETURN || code == SDLK_KP_ENTER) && (e.key.keysym.mod & KMOD_ALT))
        code = SDLK_F11;
      if (!keyFromSdl(code, in.key, in.character)) return false;
      // A held Shift or Ctrl repeats nothing: skipping lasts while Ctrl is held.
      if (e.key.repeat && (in.key == Key::Shift || in.key == Key::Control || in.key == Key::F11))
        return false;
      in.type = e.type == SDL_KEYDOWN ? InputEvent::Type::KeyDown : InputEvent::Type::KeyUp;
      return true;
    }
    default:
      return false;
  }
}

void SdlPlatform::deliver(const InputEvent& in) {
  if (client_) client_->onInput(in);
}

// Picks of the frames drawn since the last pump; a popup closed without a pick is the
// Escape key, as the desktop's popup menus take it.
void SdlPlatform::deliverMenuResults() {
  std::vector<std::string> picks;
  picks.swap(picks_);
  for (std::string& id : picks) {
    InputEvent in;
    in.type = InputEvent::Type::Menu;
    in.menuId = std::move(id);
    deliver(in);
  }
  if (!popupDismissed_) return;
  popupDismissed_ = false;
  InputEvent escape;
  escape.key = Key::Escape;
  escape.type = InputEvent::Type::KeyDown;
  deliver(escape);
  escape.type = InputEvent::Type::KeyUp;
  deliver(escape);
}

void SdlPlatform::pumpEvents() {
  SDL_Event e;
  while (window_ && SDL_PollEvent(&e)) {
    if (e.type == SDL_QUIT) {
      requestClose();
      continue;
    }
    if (e.type == SDL_WINDOWEVENT) {
      if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
        requestClose();
      } else if (e.window.event == SDL_WINDOWEVENT_EXPOSED ||
                 e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
        layout();
        if (client_) client_->onPaint();
        render();
      }
      continue;
    }
    const float barBottom = !menusReady_                                ? 0
                            : menuBarShown()                            ? menus_.menuBarHeight()
                            : screenMode_ == 1 && fullScreenBarShown_ ? menus_.fullScreenBarHeight()
                                                                        : 0;
    if (menusReady_ && menus_.processEvent(e, barBottom)) continue;
    InputEvent in;
    if (translate(e, in)) deliver(in);
  }
  // The menus draw only while they follow the pointer or a change settles.
  if (window_ && menusReady_ && menus_.active()) render();
  deliverMenuResults();
  // The timer is delivered here, on the engine's thread; periods that passed while the engine
  // was busy are coalesced into one tick, as a windowing system's timer does.
  const uint32_t now = millis();
  if (window_ && nextTimerMs_ <= now) {
    while (nextTimerMs_ <= now) nextTimerMs_ += kTimerIntervalMs;
    if (client_) client_->onTimerTick();
  }
}

void SdlPlatform::present(const Surface& display) {
  presentRect(display, 0, 0, display.width, display.height);
}

void SdlPlatform::presentRect(const Surface& display, int x, int y, int w, int h) {
  if (!texture_ || display.width != kScreenWidth || display.height != kScreenHeight) return;
  const int x0 = std::max(x, 0), y0 = std::max(y, 0);
  const int x1 = std::min(x + w, kScreenWidth), y1 = std::min(y + h, kScreenHeight);
  if (x0 >= x1 || y0 >= y1) return;
  SDL_Rect rect{x0, y0, x1 - x0, y1 - y0};
  SDL_UpdateTexture(texture_, &rect, display.at(x0, y0), display.stride());
  render();
}

// The picture, then the menus over the window. Picks found while drawing are delivered by the
// next pump, never from inside a present.
void SdlPlatform::render() {
  if (!renderer_ || rendering_) return;
  rendering_ = true;
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  const SDL_Rect target{shown_.x, shown_.y, shown_.w, shown_.h};
  SDL_RenderCopy(renderer_, texture_, nullptr, &target);
  if (menusReady_)
    menus_.frame(menuBarShown(), screenMode_ == 1 && fullScreenBarShown_, pixelRatio_, picks_,
                 popupDismissed_);
  SDL_RenderPresent(renderer_);
  rendering_ = false;
}

bool SdlPlatform::messageBox(const std::string& text, const std::string& caption,
                             MessageBoxButtons buttons, MessageBoxIcon icon) {
  SDL_MessageBoxButtonData buttonData[2] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "OK"},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "キャンセル"},
  };
  uint32_t flags = icon == MessageBoxIcon::Stop      ? SDL_MESSAGEBOX_ERROR
                   : icon == MessageBoxIcon::Warning ? SDL_MESSAGEBOX_WARNING
                                                     : SDL_MESSAGEBOX_INFORMATION;
  SDL_MessageBoxData data{flags, window_, caption.c_str(), text.c_str(),
                          buttons == MessageBoxButtons::Ok ? 1 : 2, buttonData, nullptr};
  int pressed = 0;
  if (SDL_ShowMessageBox(&data, &pressed) != 0) {
    // No way to ask (no display server for a box): say it on stderr and take OK.
    std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
    return true;
  }
  return pressed == 1;
}

int SdlPlatform::audioDeviceCount() {
  if (SDL_WasInit(SDL_INIT_AUDIO) == 0 && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 0;
  int n = SDL_GetNumAudioDevices(0);
  return n > 0 ? n : 0;
}

// The engine counts as active while its window has the input focus. A window that never had
// it (a dummy video driver, a window manager that gives none) counts as active.
bool SdlPlatform::windowActive() const {
  if (!window_) return false;
  if (SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS) focusSeen_ = true;
  else if (focusSeen_) return false;
  return true;
}

bool SdlPlatform::openAddress(const std::string& url) {
  if (url.rfind("http://", 0) != 0 && url.rfind("https://", 0) != 0) return false;
  const char* argv[] = {"xdg-open", url.c_str(), nullptr};
  pid_t pid;
  if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
    return false;
  // xdg-open hands the address on and returns; reap it without holding up the engine.
  int status;
  waitpid(pid, &status, WNOHANG);
  return true;
}

}  // namespace corvid
