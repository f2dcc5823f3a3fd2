#pragma once
// The WADY encoder of `cvdtool sound encode`: the packed variant for sound effects, the
// byte-code variant for music and long animation sounds. Both encoders follow the decoder step
// by step, so every code is chosen against the value the decoder will really hold.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace corvid {

struct PcmSound {
  int channels = 0;              // 1 or 2
  int framesPerSecond = 0;
  std::vector<int16_t> samples;  // interleaved, channel 1 first
};

// Packed: one block per channel, runs where a straight line fits, offsets 12 and 16 written 0.
bool encodePackedWady(const PcmSound& pcm, std::vector<uint8_t>& out, std::string& error);

// Byte codes; `loopFrame` is the frame the stream goes back to at its end (0: the start).
bool encodeByteCodeWady(const PcmSound& pcm, int32_t loopFrame, std::vector<uint8_t>& out,
                        std::string& error);

}  // namespace corvid
