// The stream player's seconds across the end of the codes (loop start, saved states, S57) and
// Ogg Vorbis voices decoded from memory with their trimming.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "demo/ogg_writer.h"
#include "sound/ogg_voice.h"
#include "sound/stream_player.h"
#include "sound/wady.h"
#include "sound/wady_encoder.h"

namespace corvid {
namespace {

// 1.5 s of a 1000 Hz stream looping from frame 300.
std::vector<uint8_t> loopingStream(int channels, std::vector<int16_t>* decoded) {
  PcmSound pcm{channels, 1000, {}};
  for (int f = 0; f < 1500; ++f)
    for (int c = 0; c < channels; ++c) pcm.samples.push_back(int16_t(f * 20 * (c ? -1 : 1)));
  std::vector<uint8_t> file;
  std::string error;
  EXPECT_TRUE(encodeByteCodeWady(pcm, 300, file, error)) << error;
  DecodedSound whole;
  EXPECT_TRUE(decodeWadyFile(file, whole, error)) << error;
  *decoded = whole.samples;
  return file;
}

TEST(StreamPlayer, GoesOnFromTheLoopStartWithTheSavedStates) {
  for (int channels : {1, 2}) {
    std::vector<int16_t> whole;
    StreamPlayer stream;
    std::string error;
    ASSERT_TRUE(stream.open(loopingStream(channels, &whole), StreamPlayer::Source::Music, error)) << error;
    int32_t s57 = 0;
    const size_t c = size_t(channels);
    EXPECT_EQ(stream.nextSecond(s57)->samples, std::vector<int16_t>(whole.begin(), whole.begin() + 1000 * c));
    // The second second: frames 1000..1499, then 300..799 from the loop start.
    std::vector<int16_t> want(whole.begin() + 1000 * c, whole.end());
    want.insert(want.end(), whole.begin() + 300 * c, whole.begin() + 800 * c);
    EXPECT_EQ(stream.nextSecond(s57)->samples, want) << channels;
    // The third: 800..1499, then 300..599.
    want.assign(whole.begin() + 800 * c, whole.end());
    want.insert(want.end(), whole.begin() + 300 * c, whole.begin() + 600 * c);
    EXPECT_EQ(stream.nextSecond(s57)->samples, want) << channels;
  }
}

TEST(StreamPlayer, S57TurnsTheStreamSilentAfterItsFirstPass) {
  std::vector<int16_t> whole;
  StreamPlayer stream;
  std::string error;
  ASSERT_TRUE(stream.open(loopingStream(1, &whole), StreamPlayer::Source::Music, error));
  int32_t s57 = 1;
  stream.nextSecond(s57);
  EXPECT_EQ(s57, 1);
  const ClipPtr second = stream.nextSecond(s57);
  EXPECT_EQ(s57, 2);
  EXPECT_EQ(std::vector<int16_t>(second->samples.begin(), second->samples.begin() + 500),
            std::vector<int16_t>(whole.begin() + 1000, whole.end()));
  EXPECT_EQ(std::vector<int16_t>(second->samples.begin() + 500, second->samples.end()),
            std::vector<int16_t>(500, 0));
}

TEST(StreamPlayer, RefusesStreamsItCannotPlay) {
  std::vector<int16_t> whole;
  const std::vector<uint8_t> good = loopingStream(2, &whole);
  auto with = [&](size_t at, std::vector<uint8_t> bytes) {
    std::vector<uint8_t> b = good;
    for (size_t i = 0; i < bytes.size(); ++i) b[at + i] = bytes[i];
    return b;
  };
  const std::vector<uint8_t> cases[] = {
      with(0, {'X'}),                       // magic
      with(6, {3, 0}),                      // channels
      with(8, {0, 0, 0, 0}),                // no rate
      with(8, {0x89, 0x59, 0x01, 0}),       // 88457 frames a second in stereo
      with(12, {0xFF, 0xFF, 0, 0}),         // codes past the end
      with(12, {0xB9, 0x0B, 0, 0}),         // an odd code size in stereo
      with(24, {0xB8, 0x0B, 0, 0}),         // loop start at the end
      with(24, {0x01, 0, 0, 0}),            // loop start inside a frame
      std::vector<uint8_t>(good.begin(), good.begin() + 40),
  };
  for (const auto& bytes : cases) {
    StreamPlayer stream;
    std::string error;
    EXPECT_FALSE(stream.open(bytes, StreamPlayer::Source::Music, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(stream.isOpen());
  }
}

std::vector<int16_t> tone(int channels, int frames, int rate) {
  std::vector<int16_t> s;
  for (int f = 0; f < frames; ++f)
    for (int c = 0; c < channels; ++c) s.push_back(int16_t(12000 * std::sin(2 * M_PI * 440 * f / rate)));
  return s;
}

TEST(OggVoice, DecodesFromMemoryAndTrimsTheZeroTail) {
  // Mono, 20000 frames: a buffer of 3 x 20000 bytes whose zero last third is trimmed.
  PcmClip clip;
  std::string error;
  ASSERT_TRUE(decodeOggVoice(oggwriter::encodeOggVorbis(tone(1, 20000, 22050), 1, 22050), clip, error)) << error;
  EXPECT_EQ(clip.channels, 1);
  EXPECT_EQ(clip.framesPerSecond, 22050);
  EXPECT_GE(clip.frames(), 19900u);
  EXPECT_LE(clip.frames(), 20000u);
  // Stereo: the buffer is exactly the samples; a silent voice keeps at least half of it.
  ASSERT_TRUE(decodeOggVoice(oggwriter::encodeOggVorbis(std::vector<int16_t>(2 * 30000, 0), 2, 44100), clip, error));
  EXPECT_EQ(clip.channels, 2);
  EXPECT_EQ(clip.frames(), 15000u);
  // Small voices keep their whole buffer: 5000 mono frames are 15000 bytes, 7500 frames.
  ASSERT_TRUE(decodeOggVoice(oggwriter::encodeOggVorbis(tone(1, 5000, 22050), 1, 22050), clip, error));
  EXPECT_EQ(clip.frames(), 7500u);
}

TEST(OggVoice, RefusesWhatVorbisfileCannotOpen) {
  PcmClip clip;
  std::string error;
  std::vector<uint8_t> ogg = oggwriter::encodeOggVorbis(tone(1, 4000, 22050), 1, 22050);
  const std::vector<uint8_t> cases[] = {
      {}, std::vector<uint8_t>(100, 0x4F), std::vector<uint8_t>(ogg.begin(), ogg.begin() + 40)};
  for (const auto& bytes : cases) EXPECT_FALSE(decodeOggVoice(bytes, clip, error));
}

}  // namespace
}  // namespace corvid
