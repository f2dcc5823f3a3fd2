// The WADY decoders on files written from the format's tables, the encoder's round trips, and
// the files the decoders refuse.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "sound/wady.h"
#include "sound/wady_encoder.h"
#include "sound/wav_file.h"
#include "sound/wady_fixture.h"

namespace corvid {
namespace {

using testing::byteCodeFile;
using testing::packedBlock;
using testing::packedMono;
using testing::wadyBytes;
using testing::WadyFields;

uint8_t one(int c) { return uint8_t(c << 1 | 1); }
std::vector<uint8_t> run(int16_t target, int runIndex) {
  const uint16_t w = uint16_t(uint16_t(target) & 0xFFF0) | uint16_t(runIndex << 1);
  return {uint8_t(w), uint8_t(w >> 8)};
}
std::vector<uint8_t> cat(std::vector<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

std::vector<int16_t> decodeOk(const std::vector<uint8_t>& file) {
  DecodedSound sound;
  std::string error;
  EXPECT_TRUE(decodeWadyFile(file, sound, error)) << error;
  return sound.samples;
}

TEST(WadyPacked, OneByteCodesSetOrMoveTheRunningValue) {
  struct Case {
    int16_t first;
    std::vector<uint8_t> codes;
    std::vector<int16_t> samples;
  } cases[] = {
      {500, {0x81}, {500, 0}},                       // c = 64: absolute 0
      {500, {0xC1}, {500, -32768}},                  // c = 96
      {500, {0xFF}, {500, -1024}},                   // c = 127
      {500, {one(95)}, {500, 31744}},                // c = 95
      {500, {one(3), one(35), one(0)}, {500, 512, 500, 500}},  // +12, -12, +0
      {32000, {one(31)}, {32000, -25536}},           // +8000 wraps to 16 bits
      {-32000, {one(63)}, {-32000, 25536}},          // -8000 wraps
  };
  for (const Case& c : cases)
    EXPECT_EQ(decodeOk(packedMono(int32_t(c.codes.size()), c.first, c.codes, c.samples.size())),
              c.samples);
}

TEST(WadyPacked, RunCodesInterpolateTowardsTheirTarget) {
  // Run index 7: 256 samples from 0 ending exactly at 4096.
  std::vector<int16_t> want{0};
  for (int k = 1; k <= 256; ++k) want.push_back(int16_t(16 * k));
  EXPECT_EQ(decodeOk(packedMono(1, 0, run(4096, 7), 257)), want);
  // Every run length, each from the target of the one before, then a delta from the target.
  const int lengths[8] = {3, 4, 5, 6, 8, 16, 32, 256};
  for (int r = 0; r < 8; ++r) {
    const int n = lengths[r];
    const std::vector<int16_t> s = decodeOk(packedMono(2, 0, cat({run(int16_t(-32 * n), r), {one(3)}}), size_t(n) + 2));
    ASSERT_EQ(s.size(), size_t(n) + 2) << "run index " << r;
    EXPECT_EQ(s[1], -32) << r;
    EXPECT_EQ(s[size_t(n)], -32 * n) << r;
    EXPECT_EQ(s[size_t(n) + 1], -32 * n + 12) << r;
  }
  // The count counts codes: one run code is one code however many samples it gives.
  EXPECT_EQ(decodeOk(packedMono(2, 0, cat({run(96, 0), run(0, 0)}), 7)),
            (std::vector<int16_t>{0, 32, 64, 96, 64, 32, 0}));
}

TEST(WadyPacked, TheRunningValueResetsBeforeCodeCountMinus300) {
  std::vector<uint8_t> codes(301, one(3));  // +12 each
  const std::vector<int16_t> s = decodeOk(packedMono(301, 1000, codes, 302));
  EXPECT_EQ(s[1], 1012);
  EXPECT_EQ(s[2], 12);  // code 1 = 301 - 300 starts from 0
  EXPECT_EQ(s[301], 300 * 12);
  // With fewer than 300 codes nothing resets.
  std::vector<uint8_t> few(299, one(3));
  EXPECT_EQ(decodeOk(packedMono(299, 1000, few, 300)).back(), 1000 + 299 * 12);
}

TEST(WadyPacked, StereoBlocksLieAt52And56PlusL) {
  const std::vector<uint8_t> left = packedBlock(3, 100, {one(3), 0x81, one(0)});  // 100 112 0 0
  const std::vector<uint8_t> right = packedBlock(1, 0, run(-96, 0));              // 0 -32 -64 -96
  for (int gap : {0, 4, 9}) {
    WadyFields f;
    f.formatChannels = 2;
    f.pcmSize = 4 * 2 * 2;
    ByteWriter l;
    l.i32(int32_t(left.size()) - 4 + gap);
    const std::vector<uint8_t> data =
        cat({l.take(), left, std::vector<uint8_t>(size_t(gap), 0x55), right});
    EXPECT_EQ(decodeOk(wadyBytes(f, data)),
              (std::vector<int16_t>{100, 0, 112, -32, 0, -64, 0, -96}))
        << "gap " << gap;
  }
}

TEST(WadyByteCodes, CodesAreScaledDeltasOrAbsoluteValues) {
  // Scale 2: 0x80 -> 0, +B[1] = +4, B[64] = 0 leaves it, B[65] = -2 -> -4, 0xBF, 0xC0, +2000.
  EXPECT_EQ(decodeOk(byteCodeFile(2, 1, 8000, {0x80, 1, 64, 65, 0xBF, 0xC0, 63, 0xFF})),
            (std::vector<int16_t>{0, 4, 4, 0, 32256, -32768, -30768, -512}));
  // Stereo: interleaved, each channel with its own state; scale 40 deltas wrap to 16 bits.
  EXPECT_EQ(decodeOk(byteCodeFile(40, 2, 8000, {0xBF, 0xC0, 63, 127, 63, 127})),
            (std::vector<int16_t>{32256, -32768, 6720, -7232, -18816, 18304}));
}

TEST(WadyByteCodes, DecodeBytesTurnsSilentButKeepsItsStates) {
  const uint8_t codes[] = {0x90, 5, 5};
  std::array<int16_t, 2> states{};
  int16_t out[3];
  decodeBytes(codes, out, 1, states, 1, 3, true);
  EXPECT_EQ(std::vector<int16_t>(out, out + 3), (std::vector<int16_t>{0, 0, 0}));
  EXPECT_EQ(states[0], 16 * 512 + 20);
}

TEST(WadyHeaderRule, ByteCodesOnlyWhenTheSizesAgree) {
  WadyHeader h;
  h.channels = 2;
  h.frames = 10;
  h.codeSize = 20;
  h.pcmSize = 40;
  EXPECT_TRUE(isByteCodeHeader(h));
  h.pcmSize = 41;
  EXPECT_FALSE(isByteCodeHeader(h));
  h = WadyHeader{};
  h.channels = 1;
  h.pcmSize = 400;  // packed files carry 0 at offsets 12 and 16
  EXPECT_FALSE(isByteCodeHeader(h));
}

TEST(WadyMalformed, FilesThatAreRefused) {
  const std::vector<uint8_t> good = packedMono(1, 0, {one(3)}, 2);
  auto with = [](std::vector<uint8_t> b, size_t at, std::vector<uint8_t> bytes) {
    for (size_t i = 0; i < bytes.size(); ++i) b[at + i] = bytes[i];
    return b;
  };
  const std::vector<uint8_t> codes = byteCodeFile(1, 1, 8000, {1, 2, 3, 4});
  WadyFields stereo;
  stereo.formatChannels = 2;
  stereo.pcmSize = 8;
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"empty", {}},
      {"header cut short", std::vector<uint8_t>(good.begin(), good.begin() + 30)},
      {"bad magic", with(good, 0, {'W', 'A', 'V', 'E'})},
      {"three channels", with(good, 34, {3, 0})},
      {"no channels", with(good, 34, {0, 0})},
      {"PCM size larger than the codes give", with(good, 20, {6, 0, 0, 0})},
      {"PCM size smaller than the codes give", with(good, 20, {2, 0, 0, 0})},
      {"odd PCM size", with(good, 20, {3, 0, 0, 0})},
      {"negative PCM size", with(good, 20, {0xFE, 0xFF, 0xFF, 0xFF})},
      {"code count past the end", with(good, 52, {50, 0, 0, 0})},
      {"block cut short", std::vector<uint8_t>(good.begin(), good.begin() + 54)},
      {"run code cut in half", packedMono(1, 0, {0x00}, 4)},
      {"negative code count", with(good, 52, {0xFF, 0xFF, 0xFF, 0xFF})},
      {"second block past the end", wadyBytes(stereo, {0x40, 0, 0, 0, 1, 2, 3})},
      {"byte codes past the end", std::vector<uint8_t>(codes.begin(), codes.end() - 1)},
  };
  for (const Case& c : cases) {
    DecodedSound sound;
    std::string error;
    EXPECT_FALSE(decodeWadyFile(c.bytes, sound, error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
  }
  // A byte-code file with three channels reads as byte codes and is refused.
  DecodedSound sound;
  std::string error;
  std::vector<uint8_t> three = byteCodeFile(1, 1, 8000, {1, 2, 3, 4, 5, 6});
  three[6] = 3;
  three[12] = 6;
  three[16] = 2;
  three[20] = 12;
  EXPECT_FALSE(decodeWadyFile(three, sound, error));
}

// ---- The encoder -------------------------------------------------------------------------------

PcmSound testSound(int channels, int rate, size_t frames) {
  PcmSound pcm{channels, rate, {}};
  for (size_t f = 0; f < frames; ++f)
    for (int c = 0; c < channels; ++c) {
      const double t = double(f) / rate;
      const double v = f < frames * 2 / 3 ? 9000 * std::sin(2 * M_PI * (330 + 110 * c) * t) : 0;
      pcm.samples.push_back(int16_t(std::lround(v)));
    }
  return pcm;
}

int maxError(const std::vector<int16_t>& a, const std::vector<int16_t>& b) {
  int worst = 0;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
  return worst;
}

TEST(WadyEncoder, PackedAndByteCodeFilesDecodeCloseToTheirSource) {
  for (int channels : {1, 2}) {
    for (size_t frames : {size_t(1), size_t(250), size_t(301), size_t(9000)}) {
      const PcmSound pcm = testSound(channels, 22050, frames);
      std::vector<uint8_t> packed, codes;
      std::string error;
      ASSERT_TRUE(encodePackedWady(pcm, packed, error)) << error;
      ASSERT_TRUE(encodeByteCodeWady(pcm, 0, codes, error)) << error;
      WadyHeader h;
      ASSERT_TRUE(readWadyHeader(packed, h, error));
      EXPECT_EQ(h.codeSize, 0);
      EXPECT_EQ(h.frames, 0);
      EXPECT_FALSE(isByteCodeHeader(h));
      ASSERT_TRUE(readWadyHeader(codes, h, error));
      EXPECT_TRUE(isByteCodeHeader(h));
      const std::vector<int16_t> a = decodeOk(packed), b = decodeOk(codes);
      ASSERT_EQ(a.size(), pcm.samples.size()) << channels << " " << frames;
      ASSERT_EQ(b.size(), pcm.samples.size());
      EXPECT_LE(maxError(a, pcm.samples), 300) << channels << " " << frames;
      EXPECT_LE(maxError(b, pcm.samples), 300) << channels << " " << frames;
    }
  }
  // Silence packs into runs.
  PcmSound quiet{1, 22050, std::vector<int16_t>(22050, 0)};
  std::vector<uint8_t> packed;
  std::string error;
  ASSERT_TRUE(encodePackedWady(quiet, packed, error));
  EXPECT_LT(packed.size(), 1000u);
  EXPECT_EQ(decodeOk(packed), quiet.samples);
}

TEST(WadyEncoder, RefusesWhatCannotBeEncoded) {
  std::vector<uint8_t> out;
  std::string error;
  EXPECT_FALSE(encodePackedWady(PcmSound{3, 22050, {1, 2, 3}}, out, error));
  EXPECT_FALSE(encodePackedWady(PcmSound{1, 22050, {}}, out, error));
  EXPECT_FALSE(encodeByteCodeWady(PcmSound{1, 22050, {1, 2, 3}}, 3, out, error));
  EXPECT_FALSE(encodeByteCodeWady(PcmSound{2, 48000, {1, 2}}, 0, out, error));
}

TEST(WavFile, RoundTripsAndRefusesOtherFormats) {
  const PcmSound pcm = testSound(2, 11025, 100);
  PcmSound back;
  std::string error;
  ASSERT_TRUE(parseWav(writeWav(pcm), back, error)) << error;
  EXPECT_EQ(back.samples, pcm.samples);
  EXPECT_EQ(back.channels, 2);
  EXPECT_EQ(back.framesPerSecond, 11025);
  std::vector<uint8_t> eightBit = writeWav(pcm);
  eightBit[34] = 8;
  EXPECT_FALSE(parseWav(eightBit, back, error));
  EXPECT_FALSE(parseWav(std::vector<uint8_t>(20, 0), back, error));
}

}  // namespace
}  // namespace corvid
