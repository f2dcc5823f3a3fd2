#include "platform/headless/headless_platform.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "data/byte_writer.h"
#include "platform/headless/png_writer.h"

namespace corvid {

HeadlessPlatform::HeadlessPlatform(HeadlessOptions options) : options_(std::move(options)) {}

HeadlessPlatform::~HeadlessPlatform() {
  if (audioOut_) std::fclose(audioOut_);
}

// ---- The virtual sound device ------------------------------------------------------------------

void HeadlessPlatform::sleep(uint32_t ms) {
  now_ += ms;
  renderAudioTo(now_);
}

bool HeadlessPlatform::openAudio(AudioRenderer* renderer) {
  renderAudioTo(now_);  // the time before the device opened is silence
  audio_ = renderer;
  return true;
}

void HeadlessPlatform::closeAudio() {
  renderAudioTo(now_);
  audio_ = nullptr;
}

// Frames are rendered in blocks of at most 10 ms, as a sound card's callback would ask.
void HeadlessPlatform::renderAudioTo(uint32_t ms) {
  const uint64_t target = uint64_t(ms) * AudioRenderer::kAudioRate / 1000;
  constexpr size_t kBlock = AudioRenderer::kAudioRate / 100;
  while (audioFrames_ < target) {
    const size_t n = size_t(std::min<uint64_t>(target - audioFrames_, kBlock));
    audioBuffer_.assign(2 * n, 0);
    if (audio_) audio_->render(audioBuffer_.data(), n);
    audioFrames_ += n;
    if (!audioOut_ || audioOutFailed_) continue;
    uint8_t bytes[4 * kBlock];
    for (size_t i = 0; i < 2 * n; ++i) {
      bytes[2 * i] = uint8_t(audioBuffer_[i]);
      bytes[2 * i + 1] = uint8_t(uint16_t(audioBuffer_[i]) >> 8);
    }
    if (std::fwrite(bytes, 1, 4 * n, audioOut_) != 4 * n) audioOutFailed_ = true;
  }
}

// The header is written last, once the length is known; until then 44 bytes are kept for it.
bool HeadlessPlatform::startAudioOut(const std::string& path, std::string& error) {
  audioOutPath_ = path;
  audioOut_ = std::fopen(path.c_str(), "wb");
  const uint8_t header[44] = {};
  if (!audioOut_ || std::fwrite(header, 1, sizeof header, audioOut_) != sizeof header) {
    audioOutFailed_ = true;
    error = path + ": cannot write the audio file";
    return false;
  }
  return true;
}

bool HeadlessPlatform::finishAudioOut(std::string& error) {
  if (audioOutPath_.empty()) return true;
  renderAudioTo(now_);
  const uint64_t dataBytes = audioFrames_ * 4;
  ByteWriter w;
  w.bytes("RIFF", 4);
  w.u32(uint32_t(36 + dataBytes));
  w.bytes("WAVEfmt ", 8);
  w.u32(16);
  w.u16(1);  // PCM
  w.u16(2);
  w.u32(AudioRenderer::kAudioRate);
  w.u32(AudioRenderer::kAudioRate * 4);
  w.u16(4);
  w.u16(16);
  w.bytes("data", 4);
  w.u32(uint32_t(dataBytes));
  const std::vector<uint8_t> header = w.take();
  bool ok = audioOut_ && !audioOutFailed_ && std::fseek(audioOut_, 0, SEEK_SET) == 0 &&
            std::fwrite(header.data(), 1, header.size(), audioOut_) == header.size();
  if (audioOut_ && std::fclose(audioOut_) != 0) ok = false;
  audioOut_ = nullptr;
  if (!ok) error = audioOutPath_ + ": cannot write the audio file";
  return ok;
}

bool HeadlessPlatform::supports(Feature feature) const {
  return feature == Feature::Window || feature == Feature::Dialogs || feature == Feature::Menus ||
         feature == Feature::Audio || feature == Feature::Movies;
}

bool HeadlessPlatform::openWindow(const std::string& caption) {
  caption_ = caption;
  open_ = true;
  return true;
}

void HeadlessPlatform::requestClose() {
  if (!open_) return;
  if (!client_ || client_->onCloseRequest()) open_ = false;
}

void HeadlessPlatform::setWindowPosition(int x, int y) {
  windowX_ = x;
  windowY_ = y;
}

bool HeadlessPlatform::setScreenMode(int mode) {
  if (mode < 0 || mode > 2) return false;
  screenMode_ = mode;
  if (mode == 2) setWindowPosition(0, 0);  // the borderless window sits at the screen's corner
  return true;
}

void HeadlessPlatform::presentRect(const Surface& display, int x, int y, int w, int h) {
  if (display.width != display_.width || display.height != display_.height) {
    present(display);
    return;
  }
  const int x0 = std::max(x, 0), y0 = std::max(y, 0);
  const int x1 = std::min(x + w, display.width), y1 = std::min(y + h, display.height);
  for (int row = y0; row < y1 && x0 < x1; ++row)
    std::memcpy(display_.at(x0, row), display.at(x0, row), size_t(x1 - x0) * 3);
}

// Delivers, in time order, every scripted event and timer tick that is due. Re-entrant calls
// (a handler running a blocking loop that pumps again) go on from where the outer call was.
void HeadlessPlatform::pumpEvents() {
  for (;;) {
    if (!windowOpen()) return;
    if (!pointerMoves_.empty()) {
      InputEvent move = pointerMoves_.front();
      pointerMoves_.pop_front();
      if (client_) client_->onInput(move);
      continue;
    }
    const bool eventDue = nextEvent_ < options_.events.size() &&
                          options_.events[nextEvent_].ms <= now_;
    const bool timerDue = nextTimerMs_ <= now_;
    if (!eventDue && !timerDue) return;
    if (eventDue && (!timerDue || options_.events[nextEvent_].ms <= nextTimerMs_)) {
      deliver(options_.events[nextEvent_++]);
      continue;
    }
    // One tick for however many periods passed, as a windowing system's timer does; the
    // period stays on the 55 ms grid.
    while (nextTimerMs_ <= now_) nextTimerMs_ += kTimerIntervalMs;
    if (client_) client_->onTimerTick();
  }
}

void HeadlessPlatform::deliver(const ScriptedEvent& event) {
  switch (event.action) {
    case ScriptedEvent::Action::Input:
      if (client_) client_->onInput(event.input);
      return;
    case ScriptedEvent::Action::Dialog:
      dialogAnswers_.push_back(event.words);
      return;
    case ScriptedEvent::Action::Shot: {
      std::string error;
      if (!writePng(event.path, display_, &error)) errors_.push_back(error);
      return;
    }
    case ScriptedEvent::Action::State:
      writeState(event.path);
      return;
    case ScriptedEvent::Action::Quit:
      requestClose();
      return;
  }
}

void HeadlessPlatform::writeState(const std::string& path) {
  std::string json = client_ ? client_->stateJson() : "{}";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f || std::fwrite(json.data(), 1, json.size(), f) != json.size()) {
    errors_.push_back(path + ": cannot write the state file");
    if (f) std::fclose(f);
    return;
  }
  std::fputc('\n', f);
  if (std::fclose(f) != 0) errors_.push_back(path + ": cannot write the state file");
}

std::vector<std::string> HeadlessPlatform::takeDialogAnswer() {
  if (dialogAnswers_.empty()) return {};
  std::vector<std::string> answer = std::move(dialogAnswers_.front());
  dialogAnswers_.pop_front();
  return answer;
}

bool HeadlessPlatform::messageBox(const std::string& text, const std::string& caption,
                                  MessageBoxButtons, MessageBoxIcon) {
  std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
  messageBoxes_.push_back(text);
  return true;  // every box is answered OK
}

void HeadlessPlatform::openPopupMenu(int x, int y) {
  popupShown_ = true;
  popupX_ = x;
  popupY_ = y;
}

// As on a desktop, moving the pointer makes a mouse-move event of its own.
void HeadlessPlatform::warpPointer(int x, int y) {
  InputEvent move;
  move.type = InputEvent::Type::MouseMove;
  move.x = x;
  move.y = y;
  pointerMoves_.push_back(move);
}

bool HeadlessPlatform::openAddress(const std::string& url) {
  if (url.rfind("http://", 0) != 0 && url.rfind("https://", 0) != 0) return false;
  openedAddresses_.push_back(url);
  return true;
}

}  // namespace corvid
