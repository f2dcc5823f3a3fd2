// Sound: WADY decode of each variant in samples per second against a plain copy of the same
// PCM; the mixer's cost for one 10 ms callback with all eight slots playing (the callback's
// real-time budget is 10 ms: the share is 441 frames / (frames per second)); Vorbis voice
// decode against real time (frames per second / 22050).

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "demo/ogg_writer.h"
#include "sound/mixer.h"
#include "sound/ogg_voice.h"
#include "sound/wady.h"
#include "sound/wady_encoder.h"

namespace {

using namespace corvid;

PcmSound music(int channels, int rate, int seconds) {
  PcmSound pcm{channels, rate, {}};
  for (int f = 0; f < rate * seconds; ++f)
    for (int c = 0; c < channels; ++c) {
      const double t = double(f) / rate;
      pcm.samples.push_back(int16_t(9000 * std::sin(2 * M_PI * (220 + 110 * c) * t) *
                                    (0.6 + 0.4 * std::sin(2 * M_PI * 0.5 * t))));
    }
  return pcm;
}

const std::vector<uint8_t>& packedFile() {
  static const std::vector<uint8_t> file = [] {
    std::vector<uint8_t> out;
    std::string error;
    encodePackedWady(music(2, 22050, 5), out, error);
    return out;
  }();
  return file;
}

const std::vector<uint8_t>& byteCodeFile() {
  static const std::vector<uint8_t> file = [] {
    std::vector<uint8_t> out;
    std::string error;
    encodeByteCodeWady(music(2, 44100, 5), 0, out, error);
    return out;
  }();
  return file;
}

void BM_WadyDecodePacked(benchmark::State& state) {
  DecodedSound sound;
  std::string error;
  for (auto _ : state) {
    decodePackedFile(packedFile(), sound, error);
    benchmark::DoNotOptimize(sound.samples.data());
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(sound.samples.size()));
}
BENCHMARK(BM_WadyDecodePacked);

void BM_WadyDecodeByteCodes(benchmark::State& state) {
  const std::vector<uint8_t>& file = byteCodeFile();
  const size_t samples = file.size() - kWadyHeaderSize;
  std::vector<int16_t> out(samples);
  for (auto _ : state) {
    std::array<int16_t, 2> states{};
    decodeBytes(file.data() + kWadyHeaderSize, out.data(), 8, states, 2, samples / 2, false);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(samples));
}
BENCHMARK(BM_WadyDecodeByteCodes);

// The anchor: copying the decoded PCM of the byte-code file.
void BM_CopyDecodedPcm(benchmark::State& state) {
  const size_t samples = byteCodeFile().size() - kWadyHeaderSize;
  std::vector<int16_t> from(samples, 1), to(samples);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), samples * 2);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(samples));
}
BENCHMARK(BM_CopyDecodedPcm);

// Eight slots: stereo and mono clips at 44100 and 22050 Hz, looping, at various volumes.
void BM_MixerTenMsCallback(benchmark::State& state) {
  Mixer mixer;
  for (int slot = 0; slot < Mixer::kSlots; ++slot) {
    auto clip = std::make_shared<PcmClip>();
    const PcmSound pcm = music(slot % 2 ? 1 : 2, slot % 3 ? 44100 : 22050, 2);
    clip->channels = pcm.channels;
    clip->framesPerSecond = pcm.framesPerSecond;
    clip->samples = pcm.samples;
    mixer.start(slot, clip, true, -300 * slot);
  }
  mixer.setMaster(-200);
  constexpr size_t kFrames = 441;  // 10 ms at 44100 Hz
  std::vector<int16_t> out(2 * kFrames);
  for (auto _ : state) {
    mixer.render(out.data(), kFrames);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kFrames));
}
BENCHMARK(BM_MixerTenMsCallback);

void BM_VorbisVoiceDecode(benchmark::State& state) {
  const PcmSound pcm = music(1, 22050, 5);
  const std::vector<uint8_t> ogg = oggwriter::encodeOggVorbis(pcm.samples, 1, 22050);
  PcmClip clip;
  std::string error;
  for (auto _ : state) {
    decodeOggVoice(ogg, clip, error);
    benchmark::DoNotOptimize(clip.samples.data());
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(pcm.samples.size()));
}
BENCHMARK(BM_VorbisVoiceDecode);

}  // namespace
