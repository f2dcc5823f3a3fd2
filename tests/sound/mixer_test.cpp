// The mixer's arithmetic: the attenuation curve, slot and master volumes, mute, mono and
// stereo clips, rates, looping and queued clips.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "sound/mixer.h"

namespace corvid {
namespace {

ClipPtr constantClip(int16_t value, size_t frames, int channels = 1, int rate = 44100) {
  auto clip = std::make_shared<PcmClip>();
  clip->channels = channels;
  clip->framesPerSecond = rate;
  clip->samples.assign(frames * size_t(channels), value);
  return clip;
}

std::vector<int16_t> render(Mixer& mixer, size_t frames) {
  std::vector<int16_t> out(2 * frames, 0x5555);
  mixer.render(out.data(), frames);
  return out;
}

TEST(Attenuation, FollowsTenToTheAttenuationOver2000) {
  struct Case {
    int32_t attenuation;
    float gain;
  } cases[] = {{0, 1.0f},     {100, 1.0f},      {-600, 0.50119f}, {-2000, 0.1f},
               {-4000, 0.01f}, {-7500, 0.000178f}, {-9999, 0.0000100115f}, {-10000, 0.0f},
               {-20000, 0.0f}};
  for (const Case& c : cases)
    EXPECT_NEAR(attenuationGain(c.attenuation), c.gain, c.gain * 1e-3 + 1e-9) << c.attenuation;
}

TEST(Mixer, SlotVolumeMasterAndMuteMultiply) {
  struct Case {
    int32_t slot, master;
    int16_t out;
  } cases[] = {{0, 0, 10000},      {-600, 0, 5012},   {-600, -600, 2512}, {-2000, 0, 1000},
               {0, -9999, 0},      {-10000, 0, 0},    {-6000, -6000, 0},  {-3000, -1000, 100}};
  for (const Case& c : cases) {
    Mixer mixer;
    mixer.setMaster(c.master);
    mixer.start(1, constantClip(10000, 1000), false, c.slot);
    const std::vector<int16_t> out = render(mixer, 4);
    EXPECT_EQ(out, std::vector<int16_t>(8, c.out)) << c.slot << " " << c.master;
  }
}

TEST(Mixer, SlotsAddUpAndClipAtSixteenBits) {
  Mixer mixer;
  mixer.start(0, constantClip(20000, 100), false, 0);
  mixer.start(1, constantClip(20000, 100), false, 0);
  mixer.start(2, constantClip(-1000, 100), false, 0);
  EXPECT_EQ(render(mixer, 2), std::vector<int16_t>(4, 32767));
  mixer.stop(0);
  mixer.stop(1);
  EXPECT_EQ(render(mixer, 2), std::vector<int16_t>(4, -1000));
}

TEST(Mixer, StereoClipsKeepTheirSidesAndOneShotsEnd) {
  auto clip = std::make_shared<PcmClip>();
  clip->channels = 2;
  clip->framesPerSecond = 44100;
  clip->samples = {100, -100, 200, -200, 300, -300};
  Mixer mixer;
  mixer.start(1, clip, false, 0);
  EXPECT_EQ(render(mixer, 4), (std::vector<int16_t>{100, -100, 200, -200, 300, -300, 0, 0}));
  mixer.start(2, clip, true, 0);  // looping
  EXPECT_EQ(render(mixer, 4), (std::vector<int16_t>{100, -100, 200, -200, 300, -300, 100, -100}));
}

TEST(Mixer, LowerRatesAreInterpolatedAndQueuedClipsFollow) {
  Mixer mixer;
  auto ramp = std::make_shared<PcmClip>();
  ramp->framesPerSecond = 22050;
  ramp->samples = {0, 1000, 2000};
  mixer.start(3, ramp, false, 0);
  mixer.append(3, constantClip(-500, 2, 1, 22050));
  EXPECT_EQ(render(mixer, 10), (std::vector<int16_t>{0, 0, 500, 500, 1000, 1000, 1500, 1500, 2000,
                                                     2000, 2000, 2000, -500, -500, -500, -500,
                                                     -500, -500, -500, -500}));
  EXPECT_EQ(render(mixer, 1), (std::vector<int16_t>{0, 0}));
}

}  // namespace
}  // namespace corvid
