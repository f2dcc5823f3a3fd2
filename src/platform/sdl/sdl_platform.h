#pragma once
// The real back end: an SDL2 window whose 800×600 picture is scaled into the window with its
// 4:3 aspect kept, mouse, wheel and keys, the 55 ms timer delivered on the engine's thread,
// message boxes. Menus, dialogs, sound and movies are added by their own files.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/sdl/sdl_audio.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

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

 private:
  bool windowToPicture(int wx, int wy, int& px, int& py) const;
  void render();

  PlatformClient* client_ = nullptr;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  std::string caption_;
  uint64_t startTicks_ = 0;
  uint32_t nextTimerMs_ = kTimerIntervalMs;
  int screenMode_ = 0;
  bool videoReady_ = false;
  SdlAudio audio_;
  mutable bool focusSeen_ = false;  // the window has had the input focus once
};

}  // namespace corvid
