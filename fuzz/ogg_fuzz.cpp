// Fuzzes the Ogg Vorbis voice path: arbitrary bytes go through vorbisfile's memory callbacks
// and the trimming of the voice slot. A voice that decodes has one or two channels, a rate,
// and at least half of its (channels + 2) x frames buffer once it is larger than 30000 bytes.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "sound/ogg_voice.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  corvid::PcmClip clip;
  std::string error;
  if (!corvid::decodeOggVoice(std::span<const uint8_t>(data, size), clip, error)) {
    if (error.empty()) __builtin_trap();
    return 0;
  }
  if (clip.channels < 1 || clip.channels > 2 || clip.framesPerSecond <= 0) __builtin_trap();
  if (clip.samples.size() % size_t(clip.channels) != 0) __builtin_trap();
  return 0;
}
