#include "platform/sdl/sdl_platform.h"

#include <SDL.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>

extern char** environ;

namespace corvid {

namespace {

Key keyFromSdl(SDL_Keycode code, char& character) {
  character = 0;
  switch (code) {
    case SDLK_RETURN: case SDLK_KP_ENTER: return Key::Return;
    case SDLK_ESCAPE: return Key::Escape;
    case SDLK_TAB: return Key::Tab;
    case SDLK_SPACE: return Key::Space;
    case SDLK_BACKSPACE: return Key::BackSpace;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return Key::Shift;
    case SDLK_LCTRL: case SDLK_RCTRL: return Key::Control;
    case SDLK_LEFT: return Key::Left;
    case SDLK_RIGHT: return Key::Right;
    case SDLK_UP: return Key::Up;
    case SDLK_DOWN: return Key::Down;
    default: break;
  }
  if (code > 0x20 && code < 0x7F) {
    character = char(code);
    return Key::Character;
  }
  return Key::None;
}

MouseButton buttonFromSdl(uint8_t button) {
  if (button == SDL_BUTTON_RIGHT) return MouseButton::Right;
  if (button == SDL_BUTTON_MIDDLE) return MouseButton::Middle;
  return MouseButton::Left;
}

}  // namespace

SdlPlatform::SdlPlatform() = default;

SdlPlatform::~SdlPlatform() {
  audio_.close();
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
  return feature == Feature::Window || feature == Feature::Fullscreen ||
         feature == Feature::Audio || feature == Feature::Movies;
}

uint32_t SdlPlatform::millis() { return uint32_t(SDL_GetTicks64() - startTicks_); }

void SdlPlatform::sleep(uint32_t ms) { SDL_Delay(ms); }

bool SdlPlatform::openWindow(const std::string& caption) {
  caption_ = caption;
  window_ = SDL_CreateWindow(caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                             kScreenWidth, kScreenHeight, SDL_WINDOW_RESIZABLE);
  if (!window_) return false;
  renderer_ = SDL_CreateRenderer(window_, -1, 0);
  if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  if (!renderer_) {
    forceClose();
    return false;
  }
  SDL_RenderSetLogicalSize(renderer_, kScreenWidth, kScreenHeight);  // keeps 4:3, letter-boxed
  texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_BGR24, SDL_TEXTUREACCESS_STREAMING,
                               kScreenWidth, kScreenHeight);
  return texture_ != nullptr;
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

void SdlPlatform::setWindowPosition(int x, int y) {
  if (window_) SDL_SetWindowPosition(window_, x, y);
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
  return true;
}

bool SdlPlatform::windowToPicture(int wx, int wy, int& px, int& py) const {
  float lx = 0, ly = 0;
  SDL_RenderWindowToLogical(renderer_, wx, wy, &lx, &ly);
  px = int(lx);
  py = int(ly);
  return px >= 0 && py >= 0 && px < kScreenWidth && py < kScreenHeight;
}

void SdlPlatform::pumpEvents() {
  SDL_Event e;
  while (window_ && SDL_PollEvent(&e)) {
    InputEvent in;
    switch (e.type) {
      case SDL_QUIT:
        requestClose();
        continue;
      case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) requestClose();
        else if (e.window.event == SDL_WINDOWEVENT_EXPOSED ||
                 e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
          render();
        continue;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        windowToPicture(e.button.x, e.button.y, in.x, in.y);
        in.type = e.type == SDL_MOUSEBUTTONDOWN ? InputEvent::Type::MouseDown
                                                 : InputEvent::Type::MouseUp;
        in.button = buttonFromSdl(e.button.button);
        break;
      case SDL_MOUSEMOTION:
        windowToPicture(e.motion.x, e.motion.y, in.x, in.y);
        in.type = InputEvent::Type::MouseMove;
        break;
      case SDL_MOUSEWHEEL:
        if (e.wheel.y == 0) continue;
        in.type = InputEvent::Type::Wheel;
        in.wheel = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        in.key = keyFromSdl(e.key.keysym.sym, in.character);
        if (in.key == Key::None) continue;
        in.type = e.type == SDL_KEYDOWN ? InputEvent::Type::KeyDown : InputEvent::Type::KeyUp;
        break;
      default:
        continue;
    }
    if (client_) client_->onInput(in);
  }
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

void SdlPlatform::render() {
  if (!renderer_) return;
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
  SDL_RenderPresent(renderer_);
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
