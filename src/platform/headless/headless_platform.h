#pragma once
// A real back end without a window: a virtual clock that moves on at once when the engine
// sleeps, input from a timed event list (the input file), the display kept in memory.
// Used by the tests, by `corvid --headless` and by title authors for automated playthroughs,
// so every behaviour that depends on time is deterministic.

#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "platform/headless/input_script.h"
#include "platform/platform.h"

namespace corvid {

struct HeadlessOptions {
  std::vector<ScriptedEvent> events;  // in time order
  uint32_t runMs = 600000;            // the window closes when the clock reaches this
  ScreenSize screen{1024, 768};       // the desktop size the engine sees
};

class HeadlessPlatform final : public Platform {
 public:
  explicit HeadlessPlatform(HeadlessOptions options);
  ~HeadlessPlatform() override;
  HeadlessPlatform(const HeadlessPlatform&) = delete;
  HeadlessPlatform& operator=(const HeadlessPlatform&) = delete;

  bool supports(Feature feature) const override;
  void setClient(PlatformClient* client) override { client_ = client; }

  uint32_t millis() override { return now_; }
  // The virtual clock moves on, and the mixer renders the frames of that time.
  void sleep(uint32_t ms) override;

  bool openWindow(const std::string& caption) override;
  void setCaption(const std::string& caption) override { caption_ = caption; }
  std::string caption() const override { return caption_; }
  bool windowOpen() const override { return open_ && now_ < options_.runMs; }
  void requestClose() override;
  void forceClose() override { open_ = false; }
  ScreenSize screenSize() const override { return options_.screen; }
  void setWindowPosition(int x, int y) override;
  bool setScreenMode(int mode) override;

  void pumpEvents() override;

  void present(const Surface& display) override { display_ = display; }
  void presentRect(const Surface& display, int x, int y, int w, int h) override;

  bool messageBox(const std::string& text, const std::string& caption,
                  MessageBoxButtons buttons, MessageBoxIcon icon) override;

  // A virtual sound device: present, and run on the virtual clock.
  int audioDeviceCount() override { return 1; }
  bool openAudio(AudioRenderer* renderer) override;
  void closeAudio() override;
  bool openAddress(const std::string& url) override;

  void setMenus(const std::vector<MenuItemState>& items) override { menus_ = items; }
  void openPopupMenu(int x, int y) override;
  void closePopupMenu() override { popupShown_ = false; }
  void showFullScreenBar(bool shown) override { fullScreenBarShown_ = shown; }
  void warpPointer(int x, int y) override;
  void setCursorShape(int shape) override { cursorShape_ = shape; }

  // ---- What the headless back end adds, for tests and the dialogs ------------------------
  const Surface& display() const { return display_; }
  // The answer the input file gave for the dialog that is open, oldest first; empty when
  // none is pending (the dialog then takes its default).
  std::vector<std::string> takeDialogAnswer();
  int windowX() const { return windowX_; }
  int windowY() const { return windowY_; }
  int screenMode() const { return screenMode_; }
  const std::vector<std::string>& messageBoxes() const { return messageBoxes_; }
  const std::vector<std::string>& openedAddresses() const { return openedAddresses_; }
  // Errors of the shot and state events (a file that cannot be written).
  const std::vector<std::string>& errors() const { return errors_; }
  const std::vector<MenuItemState>& menus() const { return menus_; }
  bool popupShown() const { return popupShown_; }
  int popupX() const { return popupX_; }
  int popupY() const { return popupY_; }
  bool fullScreenBarShown() const { return fullScreenBarShown_; }
  int cursorShape() const { return cursorShape_; }
  // --audio-out: from now on the mixer's output also goes to a WAV file (call before the run).
  bool startAudioOut(const std::string& path, std::string& error);
  // Renders up to the clock's time and completes the --audio-out file: 16-bit stereo at
  // 44100 Hz, one frame per 1/44100 s of virtual time from the start. False with `error`
  // when the file cannot be written.
  bool finishAudioOut(std::string& error);

 private:
  void deliver(const ScriptedEvent& event);
  void writeState(const std::string& path);
  void renderAudioTo(uint32_t ms);

  HeadlessOptions options_;
  PlatformClient* client_ = nullptr;
  uint32_t now_ = 0;
  uint32_t nextTimerMs_ = kTimerIntervalMs;
  size_t nextEvent_ = 0;
  bool open_ = false;
  std::string caption_;
  Surface display_{kScreenWidth, kScreenHeight};
  std::deque<std::vector<std::string>> dialogAnswers_;
  int windowX_ = 0, windowY_ = 0, screenMode_ = 0;
  std::vector<std::string> messageBoxes_;
  std::vector<std::string> openedAddresses_;
  std::vector<std::string> errors_;
  std::vector<MenuItemState> menus_;
  bool popupShown_ = false;
  int popupX_ = 0, popupY_ = 0;
  bool fullScreenBarShown_ = false;
  int cursorShape_ = 0;
  std::deque<InputEvent> pointerMoves_;  // warped pointer moves, delivered by the next pump
  AudioRenderer* audio_ = nullptr;
  uint64_t audioFrames_ = 0;            // frames rendered since the start
  std::vector<int16_t> audioBuffer_;
  std::string audioOutPath_;
  std::FILE* audioOut_ = nullptr;
  bool audioOutFailed_ = false;
};

}  // namespace corvid
