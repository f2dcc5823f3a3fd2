#pragma once
// SDL audio for SdlPlatform: one 44100 Hz stereo 16-bit device whose callback runs the
// engine's mixer. Without a sound card the default driver opens nothing; then SDL's "dummy"
// driver is used (said once on stderr) so the mixer still runs and time still passes.

#include <cstdint>

#include "platform/platform.h"

namespace corvid {

class SdlAudio {
 public:
  ~SdlAudio() { close(); }
  bool open(AudioRenderer* renderer);
  void close();

 private:
  static void callback(void* self, uint8_t* stream, int length);
  bool openDevice();

  AudioRenderer* renderer_ = nullptr;
  uint32_t device_ = 0;
};

}  // namespace corvid
