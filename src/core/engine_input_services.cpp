#include "core/engine_input_services.h"

#include <string>

#include "core/engine.h"

namespace corvid {

void EngineInputServices::stillToCome(const char* what, const char* owner) {
  engine_.traceStillToCome(what, owner);
}

void EngineInputServices::stopVoice() { engine_.sound().stopVoice(); }

void EngineInputServices::replayLastVoice() { engine_.sound().replayLastVoice(); }

void EngineInputServices::muteAll(bool muted) { engine_.sound().setMuted(muted); }

void EngineInputServices::closeWindow() { engine_.closeWindow(); }

void EngineInputServices::setScreenMode(int mode) { engine_.setScreenMode(mode); }

int EngineInputServices::screenMode() const { return engine_.screenMode(); }

// "sys_autobar" holds the indicator beside its mask, so the indicator is half its width.
bool EngineInputServices::speedIndicatorSize(int& width, int& height) {
  if (!speedIndicatorKnown_) {
    Surface bar;
    speedIndicatorKnown_ = engine_.pictures().loadPicture("sys_autobar", bar).ok();
    speedWidth_ = bar.width / 2;
    speedHeight_ = bar.height;
  }
  width = speedWidth_;
  height = speedHeight_;
  return *speedIndicatorKnown_;
}

void EngineInputServices::pressQuickButtonKey(int number) {
  const std::string what = "quick button key " + std::to_string(number);
  stillToCome(what.c_str(), "quick buttons");
}

void EngineInputServices::askYesNo(YesNoPurpose purpose) {
  stillToCome(purpose == YesNoPurpose::QuickLoad ? "ask クイックロードしますか？"
                                                 : "ask タイトルへ戻りますか？",
              "yes/no box");
}

void EngineInputServices::screenClick(PlayMode mode, MouseButton, int, int) {
  const std::string what = std::string(playModeName(mode)) + " click";
  stillToCome(what.c_str(), "play-mode screens");
}

void EngineInputServices::screenRelease(PlayMode mode) {
  const std::string what = std::string(playModeName(mode)) + " release";
  stillToCome(what.c_str(), "play-mode screens");
}

}  // namespace corvid
