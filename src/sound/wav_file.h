#pragma once
// RIFF WAVE files of 16-bit PCM, for `cvdtool sound` and the tests: read (mono or stereo,
// chunks other than "fmt " and "data" skipped) and write.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "sound/wady_encoder.h"

namespace corvid {

// False with `error` for anything but 16-bit PCM with one or two channels.
bool parseWav(std::span<const uint8_t> bytes, PcmSound& out, std::string& error);
std::vector<uint8_t> writeWav(const PcmSound& pcm);

}  // namespace corvid
