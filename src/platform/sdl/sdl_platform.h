#pragma once
// The real back end: a resizable SDL2 window with the menu bar above the 800×600 picture, the
// picture scaled into the rest with its 4:3 aspect kept (letter-boxed) and the mouse mapped
// back to it; desktop full screen for the screen modes (F11 and Alt+Enter too); HiDPI screens
// (the picture at the output's pixels, the menus enlarged); mouse, wheel and keys, the 55 ms
// timer delivered on the engine's thread, message boxes. It draws only when something changed,
// so an idle window costs next to no processor time. Dialogs, sound and movies are added by
// their own files.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/letterbox.h"
#include "platform/platform.h"
#include "platform/sdl/menu_layer.h"
#include "platform/sdl/sdl_audio.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Cursor;

namespace corvid {

class SdlPlatform final : public Platform {
 public:
  SdlPlatform();
  ~SdlPlatform() override;

  // False (with `error`) when no video device can be opened.
  bool init(std::string& error);

  bool supports(Feature feature) const override;
  void setClient(PlatformClient* client) override { client_ = client; }

  uint32_t millis() override;
  void sleep(uint32_t ms) override;

  bool openWindow(const std::string& caption) override;
  void setCaption(const std::string& caption) override;
  std::string caption() const override { return caption_; }
  bool windowOpen() const override { return window_ != nullptr; }
  void requestClose() override;
  void forceClose() override;
  ScreenSize screenSize() const override;
  void setWindowPosition(int x, int y) override;
  bool setScreenMode(int mode) override;

  void pumpEvents() override;

  void present(const Surface& display) override;
  void presentRect(const Surface& display, int x, int y, int w, int h) override;

  bool messageBox(const std::string& text, const std::string& caption,
                  MessageBoxButtons buttons, MessageBoxIcon icon) override;

  int audioDeviceCount() override;
  bool openAudio(AudioRenderer* renderer) override { return audio_.open(renderer); }
  void closeAudio() override { audio_.close(); }
  bool windowActive() const override;
  bool openAddress(const std::string& url) override;

  void setMenus(const std::vector<MenuItemState>& items) override;
  void openPopupMenu(int x, int y) override;
  void closePopupMenu() override { menus_.closePopup(); }
  void showFullScreenBar(bool shown) override;
  void warpPointer(int x, int y) override;
  void setCursorShape(int shape) override;

  // Where the picture stands in the window, in output pixels (for tests and tools).
  PixelRect pictureRect() const { return shown_; }

 private:
  bool windowToPicture(int wx, int wy, int& px, int& py) const;
  void layout();
  void render();
  bool translate(const SDL_Event& e, InputEvent& in);
  bool menuBarShown() const { return screenMode_ == 0; }
  void deliver(const InputEvent& in);
  void deliverMenuResults();

  PlatformClient* client_ = nullptr;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  std::string caption_;
  uint64_t startTicks_ = 0;
  uint32_t nextTimerMs_ = kTimerIntervalMs;
  int screenMode_ = 0;
  bool videoReady_ = false;
  MenuLayer menus_;
  bool menusReady_ = false;
  bool fullScreenBarShown_ = false;
  bool rendering_ = false;
  float pixelRatio_ = 1;  // output pixels per window point
  PixelRect shown_{0, 0, kScreenWidth, kScreenHeight};  // the picture, in output pixels
  std::vector<std::string> picks_;  // menu picks of the last frame, delivered by pumpEvents
  bool popupDismissed_ = false;
  SdlAudio audio_;
  SDL_Cursor* handCursor_ = nullptr;  // made on first use
  mutable bool focusSeen_ = false;  // the window has had the input focus once
};

}  // namespace corvid
