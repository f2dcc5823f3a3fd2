#pragma once
// WADY files written byte by byte from the format's layout, independently of the engine's
// header writer, for the decoder tests and the engine tests.

#include <cstdint>
#include <vector>

#include "data/byte_writer.h"

namespace corvid::testing {

struct WadyFields {
  uint8_t scale = 0;
  uint16_t channels = 1;
  int32_t framesPerSecond = 22050;
  int32_t codeSize = 0;
  int32_t frames = 0;
  int32_t pcmSize = 0;
  int32_t loopStart = 0;
  int16_t loop1 = 0, loop2 = 0;
  uint16_t formatChannels = 1;
  uint32_t formatRate = 22050;
};

inline std::vector<uint8_t> wadyBytes(const WadyFields& f, const std::vector<uint8_t>& codes) {
  ByteWriter w;
  w.bytes("WADY", 4);
  w.u8(0x77);  // not read
  w.u8(f.scale);
  w.u16(f.channels);
  w.i32(f.framesPerSecond);
  w.i32(f.codeSize);
  w.i32(f.frames);
  w.i32(f.pcmSize);
  w.i32(f.loopStart);
  w.i16(f.loop1);
  w.i16(f.loop2);
  w.u16(1);
  w.u16(f.formatChannels);
  w.u32(f.formatRate);
  w.u32(f.formatRate * f.formatChannels * 2);
  w.u16(uint16_t(f.formatChannels * 2));
  w.u16(16);
  w.bytes(codes);
  return w.take();
}

// A packed channel block: 4 unread bytes, the code count, the first sample, the codes.
inline std::vector<uint8_t> packedBlock(int32_t count, int16_t first, const std::vector<uint8_t>& codes) {
  ByteWriter w;
  w.u32(0xDEADBEEF);
  w.i32(count);
  w.i16(first);
  w.bytes(codes);
  return w.take();
}

// A mono packed file of `samples` decoded samples.
inline std::vector<uint8_t> packedMono(int32_t count, int16_t first, const std::vector<uint8_t>& codes,
                                       size_t samples, uint32_t rate = 22050) {
  WadyFields f;
  f.pcmSize = int32_t(samples * 2);
  f.formatRate = rate;
  return wadyBytes(f, packedBlock(count, first, codes));
}

// A byte-code file: one pass of `codes` (interleaved), frames = codes / channels.
inline std::vector<uint8_t> byteCodeFile(uint8_t scale, uint16_t channels, int32_t rate,
                                         const std::vector<uint8_t>& codes, int32_t loopStart = 0,
                                         int16_t loop1 = 0, int16_t loop2 = 0) {
  WadyFields f;
  f.scale = scale;
  f.channels = channels;
  f.framesPerSecond = rate;
  f.codeSize = int32_t(codes.size());
  f.frames = int32_t(codes.size() / channels);
  f.pcmSize = int32_t(codes.size() * 2);
  f.loopStart = loopStart;
  f.loop1 = loop1;
  f.loop2 = loop2;
  f.formatChannels = channels;
  f.formatRate = uint32_t(rate);
  return wadyBytes(f, codes);
}

}  // namespace corvid::testing
