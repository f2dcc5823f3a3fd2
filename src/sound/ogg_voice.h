#pragma once
// Ogg Vorbis voices decoded whole from memory through libvorbisfile (ov_open_callbacks over the
// entry's bytes), with the trimming of trailing silence the voice slot applies.

#include <cstdint>
#include <span>
#include <string>

#include "sound/mixer.h"

namespace corvid {

// Decodes an Ogg Vorbis entry into 16-bit PCM. The buffer is (channels + 2) x total bytes,
// zero-filled and filled from the start; above 30000 bytes, trailing all-zero 4-byte groups
// are dropped, never below half the buffer. False with `error` when vorbisfile refuses it.
bool decodeOggVoice(std::span<const uint8_t> bytes, PcmClip& out, std::string& error);

}  // namespace corvid
