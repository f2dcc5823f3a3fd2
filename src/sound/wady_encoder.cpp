#include "sound/wady_encoder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "data/byte_writer.h"
#include "sound/wady.h"

namespace corvid {

namespace {

constexpr int kRunTolerance = 48;        // largest error a run may leave on any sample
constexpr size_t kTailCodes = 300;       // the last codes, after the decoder's reset to 0

int16_t wrap16(int32_t v) { return int16_t(uint16_t(uint32_t(v))); }

WadyHeader baseHeader(const PcmSound& pcm) {
  WadyHeader h;
  h.channels = uint16_t(pcm.channels);
  h.framesPerSecond = pcm.framesPerSecond;
  h.format.channels = uint16_t(pcm.channels);
  h.format.framesPerSecond = uint32_t(pcm.framesPerSecond);
  h.format.blockAlign = uint16_t(2 * pcm.channels);
  h.format.bytesPerSecond = uint32_t(pcm.framesPerSecond) * h.format.blockAlign;
  return h;
}

bool checkPcm(const PcmSound& pcm, std::string& error) {
  if (pcm.channels != 1 && pcm.channels != 2) {
    error = "only mono and stereo sounds can be encoded";
    return false;
  }
  if (pcm.framesPerSecond <= 0) {
    error = "the sound has no sample rate";
    return false;
  }
  if (pcm.samples.empty()) {
    error = "the sound holds no samples";
    return false;
  }
  return true;
}

// ---- Packed ------------------------------------------------------------------------------------

// The one-byte code whose decoded value lies closest to `want`, and that value.
uint8_t bestOneByteCode(int16_t cur, int want, int16_t& value) {
  const WadyTables& t = wadyTables();
  int bestErr = INT32_MAX;
  uint8_t best = 1;
  for (int c = 0; c < 128; ++c) {
    const int16_t v = c >= 64 ? wrap16((c - 64) * 1024) : wrap16(cur + t.packedDelta[size_t(c)]);
    const int err = std::abs(v - want);
    if (err < bestErr) {
      bestErr = err;
      best = uint8_t(c << 1 | 1);
      value = v;
    }
  }
  return best;
}

// Whether the run of `n` samples from `cur` to `target` lies within the tolerance of s[0..n).
bool runFits(const int16_t* s, size_t stride, int16_t cur, int16_t target, int n) {
  const float step = float(target - cur) / float(n);
  float x = cur;
  for (int k = 0; k < n; ++k) {
    x += step;
    if (std::abs(int(int16_t(x)) - s[size_t(k) * stride]) > kRunTolerance) return false;
  }
  return true;
}

int16_t runTarget(int sample) { return int16_t(std::clamp(sample + 8, -32768, 32767) & ~0xF); }

// One channel's block: 4 zero bytes, the code count, the first sample, the codes. Codes
// before the last 300 may be runs; the last 300 give one sample each, so that the decoder's
// reset to 0 before code count - 300 falls on the first of them.
std::vector<uint8_t> packChannel(const int16_t* s, size_t stride, size_t n) {
  const WadyTables& t = wadyTables();
  std::vector<uint8_t> codes;
  size_t count = 0;
  int16_t cur = s[0];
  const size_t rest = n - 1;
  const size_t head = rest >= kTailCodes ? rest - kTailCodes : rest;
  size_t i = 1;
  while (i <= head) {
    int chosen = -1;
    for (int r = 0; r < 8; ++r) {
      const int len = t.runLength[size_t(r)];
      if (i + size_t(len) - 1 > head) break;
      const int16_t target = runTarget(s[(i + size_t(len) - 1) * stride]);
      if (!runFits(s + i * stride, stride, cur, target, len)) break;
      chosen = r;
    }
    if (chosen >= 0) {
      const int len = t.runLength[size_t(chosen)];
      const int16_t target = runTarget(s[(i + size_t(len) - 1) * stride]);
      const uint16_t w = uint16_t(uint16_t(target) & 0xFFF0) | uint16_t(chosen << 1);
      codes.push_back(uint8_t(w));
      codes.push_back(uint8_t(w >> 8));
      cur = target;
      i += size_t(len);
    } else {
      codes.push_back(bestOneByteCode(cur, s[i * stride], cur));
      ++i;
    }
    ++count;
  }
  if (rest >= kTailCodes) cur = 0;
  for (; i <= rest; ++i, ++count) codes.push_back(bestOneByteCode(cur, s[i * stride], cur));
  ByteWriter w;
  w.u32(0);
  w.i32(int32_t(count));
  w.i16(s[0]);
  w.bytes(codes);
  return w.take();
}

// ---- Byte codes --------------------------------------------------------------------------------

uint8_t bestByteCode(int16_t state, int want, int scale, int16_t& value) {
  const std::array<int16_t, 128>& delta = wadyTables().byteDelta;
  int bestErr = INT32_MAX;
  uint8_t best = 64;
  for (int b = 0; b < 256; ++b) {
    const int16_t v = b >= 128 ? wrap16((b - 128) * 512) : wrap16(state + scale * delta[size_t(b)]);
    const int err = std::abs(v - want);
    if (err < bestErr) {
      bestErr = err;
      best = uint8_t(b);
      value = v;
    }
  }
  return best;
}

// The smallest scale whose largest delta (1000 x scale) follows the steepest step of the sound.
int chooseScale(const PcmSound& pcm) {
  int steepest = 0;
  const size_t c = size_t(pcm.channels);
  for (size_t i = c; i < pcm.samples.size(); ++i)
    steepest = std::max(steepest, std::abs(pcm.samples[i] - pcm.samples[i - c]));
  return std::clamp((steepest + 999) / 1000, 1, 255);
}

}  // namespace

bool encodePackedWady(const PcmSound& pcm, std::vector<uint8_t>& out, std::string& error) {
  if (!checkPcm(pcm, error)) return false;
  const size_t frames = pcm.samples.size() / size_t(pcm.channels);
  WadyHeader h = baseHeader(pcm);
  h.pcmSize = int32_t(frames * size_t(pcm.channels) * 2);
  ByteWriter w;
  w.bytes(writeWadyHeader(h));
  if (pcm.channels == 1) {
    w.bytes(packChannel(pcm.samples.data(), 1, frames));
  } else {
    const std::vector<uint8_t> first = packChannel(pcm.samples.data(), 2, frames);
    const std::vector<uint8_t> second = packChannel(pcm.samples.data() + 1, 2, frames);
    // The second block starts at 56 + L, right after the first one (which starts at 52).
    w.i32(int32_t(first.size()) - 4);
    w.bytes(first);
    w.bytes(second);
  }
  out = w.take();
  return true;
}

bool encodeByteCodeWady(const PcmSound& pcm, int32_t loopFrame, std::vector<uint8_t>& out,
                        std::string& error) {
  if (!checkPcm(pcm, error)) return false;
  const size_t channels = size_t(pcm.channels);
  const size_t frames = pcm.samples.size() / channels;
  if (loopFrame < 0 || size_t(loopFrame) >= frames) {
    error = "the loop start lies outside the sound's " + std::to_string(frames) + " frames";
    return false;
  }
  if (int64_t(pcm.framesPerSecond) * pcm.channels > 88200) {
    error = "the stream player takes at most 88200 samples per second over all channels";
    return false;
  }
  WadyHeader h = baseHeader(pcm);
  h.scale = uint8_t(chooseScale(pcm));
  h.codeSize = int32_t(frames * channels);
  h.frames = int32_t(frames);
  h.pcmSize = 2 * h.codeSize;
  h.loopStart = int32_t(size_t(loopFrame) * channels);
  std::vector<uint8_t> codes(frames * channels);
  std::array<int16_t, 2> states{};
  for (size_t f = 0; f < frames; ++f) {
    if (f == size_t(loopFrame)) h.loopStates = states;
    for (size_t ch = 0; ch < channels; ++ch) {
      int16_t& state = states[ch];
      codes[f * channels + ch] = bestByteCode(state, pcm.samples[f * channels + ch], h.scale, state);
    }
  }
  ByteWriter w;
  w.bytes(writeWadyHeader(h));
  w.bytes(codes);
  out = w.take();
  return true;
}

}  // namespace corvid
