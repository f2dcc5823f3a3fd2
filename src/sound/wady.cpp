#include "sound/wady.h"

#include <algorithm>
#include <cstring>

#include "data/byte_reader.h"
#include "data/byte_writer.h"

namespace corvid {

namespace {

constexpr std::array<int16_t, 64> kT1 = {
    0,   2,   4,   6,   8,   10,  12,  15,  18,  21,  24,  28,  32,  36,  40,  44,
    49,  54,  59,  64,  70,  76,  82,  88,  95,  102, 109, 116, 124, 132, 140, 148,
    160, 170, 180, 190, 200, 210, 220, 230, 240, 255, 270, 285, 300, 320, 340, 360,
    380, 400, 425, 450, 475, 500, 525, 550, 580, 610, 650, 700, 750, 800, 900, 1000};
constexpr std::array<int16_t, 32> kT2 = {
    0,    4,    8,    12,   19,   24,   30,   38,   47,   59,   74,   92,   115,  144,  180,  225,
    281,  352,  440,  550,  687,  859,  1073, 1342, 1678, 2097, 2621, 3277, 4096, 5120, 6400, 8000};

// The code that resets the running value to 0, counted back from the end of a channel.
constexpr int64_t kPackedResetFromEnd = 300;

int16_t wrap16(int32_t v) { return int16_t(uint16_t(uint32_t(v))); }

}  // namespace

const WadyTables& wadyTables() {
  static const WadyTables tables = [] {
    WadyTables t{};
    for (int b = 0; b < 128; ++b) t.byteDelta[size_t(b)] = b < 64 ? kT1[size_t(b)] : int16_t(-kT1[size_t(b - 64)]);
    for (int c = 0; c < 64; ++c) t.packedDelta[size_t(c)] = c < 32 ? kT2[size_t(c)] : int16_t(-kT2[size_t(c - 32)]);
    t.runLength = {3, 4, 5, 6, 8, 16, 32, 256};
    return t;
  }();
  return tables;
}

// ---- The header -----------------------------------------------------------------------------

bool readWadyHeader(std::span<const uint8_t> bytes, WadyHeader& out, std::string& error) {
  ByteReader r(bytes);
  char magic[4] = {};
  r.bytes(magic, 4);
  if (!r.ok()) {
    error = "shorter than a WADY header";
    return false;
  }
  if (std::memcmp(magic, "WADY", 4) != 0) {
    error = "not a WADY sound (no \"WADY\" at its start)";
    return false;
  }
  r.skip(1);
  out.scale = r.u8();
  out.channels = r.u16();
  out.framesPerSecond = r.i32();
  out.codeSize = r.i32();
  out.frames = r.i32();
  out.pcmSize = r.i32();
  out.loopStart = r.i32();
  out.loopStates[0] = r.i16();
  out.loopStates[1] = r.i16();
  out.format.formatTag = r.u16();
  out.format.channels = r.u16();
  out.format.framesPerSecond = r.u32();
  out.format.bytesPerSecond = r.u32();
  out.format.blockAlign = r.u16();
  out.format.bitsPerSample = r.u16();
  if (!r.ok()) {
    error = "shorter than a WADY header";
    return false;
  }
  return true;
}

std::vector<uint8_t> writeWadyHeader(const WadyHeader& h) {
  ByteWriter w;
  w.bytes("WADY", 4);
  w.u8(0);
  w.u8(h.scale);
  w.u16(h.channels);
  w.i32(h.framesPerSecond);
  w.i32(h.codeSize);
  w.i32(h.frames);
  w.i32(h.pcmSize);
  w.i32(h.loopStart);
  w.i16(h.loopStates[0]);
  w.i16(h.loopStates[1]);
  w.u16(h.format.formatTag);
  w.u16(h.format.channels);
  w.u32(h.format.framesPerSecond);
  w.u32(h.format.bytesPerSecond);
  w.u16(h.format.blockAlign);
  w.u16(h.format.bitsPerSample);
  return w.take();
}

bool isByteCodeHeader(const WadyHeader& h) {
  const int64_t codes = int64_t(h.frames) * h.channels;
  return h.codeSize > 0 && h.codeSize == codes && int64_t(h.pcmSize) == 2 * codes;
}

// ---- The packed variant -----------------------------------------------------------------------

int64_t decodePacked(std::span<const uint8_t> block, int16_t* out, size_t stride, size_t capacity,
                     std::string& error) {
  const WadyTables& t = wadyTables();
  ByteReader r(block);
  r.skip(4);
  const int32_t count = r.i32();
  int16_t cur = r.i16();
  if (!r.ok() || count < 0) {
    error = "a packed channel block is cut short or has a negative code count";
    return -1;
  }
  size_t n = 0;
  auto emit = [&](int16_t v) {
    if (n >= capacity) return false;
    out[n++ * stride] = v;
    return true;
  };
  const auto overrun = [&] {
    error = "a packed channel decodes to more samples than the PCM size allows";
    return -1;
  };
  if (!emit(cur)) return overrun();
  for (int64_t i = 0; i < count; ++i) {
    if (i == int64_t(count) - kPackedResetFromEnd) cur = 0;
    const uint8_t b = r.u8();
    if (!r.ok()) break;
    if (b & 1) {
      const int c = (b >> 1) & 0x7F;
      cur = c >= 64 ? wrap16((c - 64) * 1024) : wrap16(cur + t.packedDelta[size_t(c)]);
      if (!emit(cur)) return overrun();
      continue;
    }
    const uint16_t w = uint16_t(b | r.u8() << 8);
    if (!r.ok()) break;
    const int runs = t.runLength[(w >> 1) & 7];
    const int16_t target = int16_t(w & 0xFFF0);
    const float step = float(target - cur) / float(runs);
    float x = cur;
    for (int k = 0; k < runs; ++k) {
      x += step;
      if (!emit(int16_t(x))) return overrun();
    }
    cur = target;
  }
  if (!r.ok()) {
    error = "a packed channel's codes run past the end of the file";
    return -1;
  }
  return int64_t(n);
}

// ---- The byte-code variant ----------------------------------------------------------------------

void decodeBytes(const uint8_t* codes, int16_t* out, int scale, std::array<int16_t, 2>& states,
                 int channels, size_t frames, bool silent) {
  const std::array<int16_t, 128>& delta = wadyTables().byteDelta;
  for (size_t f = 0; f < frames; ++f) {
    for (int ch = 0; ch < channels; ++ch) {
      const uint8_t b = *codes++;
      int16_t& state = states[size_t(ch)];
      state = b >= 128 ? wrap16((b - 128) * 512) : wrap16(state + scale * delta[b]);
      *out++ = silent ? 0 : state;
    }
  }
}

// ---- Whole files ------------------------------------------------------------------------------

bool decodePackedFile(std::span<const uint8_t> bytes, DecodedSound& out, std::string& error) {
  WadyHeader h;
  if (!readWadyHeader(bytes, h, error)) return false;
  const int channels = h.format.channels;
  if (channels != 1 && channels != 2) {
    error = "a channel count of " + std::to_string(channels) + " (1 or 2 are played)";
    return false;
  }
  if (h.pcmSize < 0 || h.pcmSize % (2 * channels) != 0) {
    error = "a PCM size that is not a whole number of frames";
    return false;
  }
  // A packed file is at most a few hundred kilobytes of codes, each giving at most 256 samples.
  if (uint64_t(h.pcmSize) > uint64_t(bytes.size()) * 512 + 4) {
    error = "a PCM size far beyond what its codes can give";
    return false;
  }
  const size_t perChannel = size_t(h.pcmSize) / 2 / size_t(channels);
  out.channels = channels;
  out.framesPerSecond = int(h.format.framesPerSecond);
  out.byteCodes = false;
  out.loopStartFrame = 0;
  out.samples.assign(perChannel * size_t(channels), 0);
  std::vector<std::span<const uint8_t>> blocks;
  const std::span<const uint8_t> data = bytes.subspan(kWadyHeaderSize);
  if (channels == 1) {
    blocks.push_back(data);
  } else {
    ByteReader r(data);
    const int32_t firstLength = r.i32();
    // The second block lies at 56 + L from the start of the file.
    if (!r.ok() || firstLength < 0 || uint64_t(firstLength) + 8 > data.size()) {
      error = "the second channel's block lies past the end of the file";
      return false;
    }
    blocks.push_back(data.subspan(4));
    blocks.push_back(data.subspan(8 + size_t(firstLength)));
  }
  for (size_t ch = 0; ch < blocks.size(); ++ch) {
    const int64_t n = decodePacked(blocks[ch], out.samples.data() + ch, size_t(channels),
                                   perChannel, error);
    if (n < 0) return false;
    if (size_t(n) != perChannel) {
      error = "channel " + std::to_string(ch + 1) + " decodes to " + std::to_string(n) +
              " samples where the PCM size gives " + std::to_string(perChannel);
      return false;
    }
  }
  return true;
}

bool checkByteCodeStream(const WadyHeader& h, size_t entrySize, std::string& error) {
  if (h.channels != 1 && h.channels != 2) {
    error = "a channel count of " + std::to_string(h.channels) + " (1 or 2 are played)";
    return false;
  }
  if (h.framesPerSecond <= 0 || int64_t(h.framesPerSecond) * h.channels > 88200) {
    error = "a rate of " + std::to_string(h.framesPerSecond) +
            " frames per second (at most 88200 samples per second over all channels)";
    return false;
  }
  if (h.codeSize <= 0 || uint64_t(h.codeSize) + kWadyHeaderSize > entrySize) {
    error = "a code size past the end of the file";
    return false;
  }
  if (h.codeSize % h.channels != 0) {
    error = "a code size that is not a whole number of frames";
    return false;
  }
  if (h.loopStart < 0 || h.loopStart >= h.codeSize || h.loopStart % h.channels != 0) {
    error = "a loop start outside the codes or inside a frame";
    return false;
  }
  return true;
}

bool decodeByteCodeFile(std::span<const uint8_t> bytes, DecodedSound& out, std::string& error) {
  WadyHeader h;
  if (!readWadyHeader(bytes, h, error)) return false;
  if (h.channels != 1 && h.channels != 2) {
    error = "a channel count of " + std::to_string(h.channels) + " (1 or 2 are played)";
    return false;
  }
  const uint64_t codes = uint64_t(std::max(h.frames, 0)) * h.channels;
  if (h.frames < 0 || codes + kWadyHeaderSize > bytes.size()) {
    error = "the codes of " + std::to_string(h.frames) + " frames run past the end of the file";
    return false;
  }
  if (int64_t(h.pcmSize) != int64_t(2 * codes)) {
    error = "a PCM size of " + std::to_string(h.pcmSize) + " bytes where the frames give " +
            std::to_string(2 * codes);
    return false;
  }
  out.channels = h.channels;
  out.framesPerSecond = h.framesPerSecond > 0 ? h.framesPerSecond : int(h.format.framesPerSecond);
  out.byteCodes = true;
  out.loopStartFrame = h.loopStart / h.channels;
  out.samples.assign(size_t(codes), 0);
  std::array<int16_t, 2> states{};
  decodeBytes(bytes.data() + kWadyHeaderSize, out.samples.data(), h.scale, states, h.channels,
              size_t(h.frames), false);
  return true;
}

bool decodeWadyFile(std::span<const uint8_t> bytes, DecodedSound& out, std::string& error) {
  WadyHeader h;
  if (!readWadyHeader(bytes, h, error)) return false;
  return isByteCodeHeader(h) ? decodeByteCodeFile(bytes, out, error)
                             : decodePackedFile(bytes, out, error);
}

}  // namespace corvid
