// Makes the demo title's sounds at build time, so no recorded file is needed:
//   make_sounds OUT_WAV_DIR OUT_TITLE_SRC
// writes SE01.wav (a chime), SEL01.wav (a wind loop) and M01.wav (the music, looping from its
// third second) into OUT_WAV_DIR, for `cvdtool sound encode`, and the voiced lines
// OUT_TITLE_SRC/qd_ogg1/V0001 and V0002 as Ogg Vorbis. Everything is synthesised from fixed
// formulas and a fixed noise seed, so every build makes the same bytes.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "demo/ogg_writer.h"
#include "sound/wav_file.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kRate = 22050;

int16_t clip16(double v) { return int16_t(std::lround(std::fmax(-32767.0, std::fmin(32767.0, v)))); }

// A bell: two partials with an exponential decay.
corvid::PcmSound chime() {
  corvid::PcmSound pcm{1, kRate, {}};
  const int frames = kRate * 6 / 10;
  for (int f = 0; f < frames; ++f) {
    const double t = double(f) / kRate;
    const double env = std::exp(-6.0 * t) * std::fmin(1.0, t * 400);
    pcm.samples.push_back(clip16(14000 * env * (std::sin(2 * kPi * 880 * t) + 0.5 * std::sin(2 * kPi * 1320 * t))));
  }
  return pcm;
}

// Wind: low-passed noise swelling twice in two seconds, so that the loop joins smoothly.
corvid::PcmSound wind() {
  corvid::PcmSound pcm{1, kRate, {}};
  uint32_t seed = 12345;
  double low = 0;
  for (int f = 0; f < 2 * kRate; ++f) {
    seed = seed * 1664525u + 1013904223u;
    const double noise = double(int32_t(seed >> 8) - (1 << 23)) / double(1 << 23);
    low += (noise - low) * 0.05;
    const double swell = 0.6 + 0.4 * std::sin(2 * kPi * f / kRate);
    pcm.samples.push_back(clip16(22000 * low * swell));
  }
  return pcm;
}

// Eight seconds of a pentatonic tune over a drone, in stereo; the loop starts at second 2.
corvid::PcmSound tune() {
  static const int notes[] = {0, 2, 4, 7, 9, 7, 4, 2, 0, 4, 7, 12, 9, 7, 4, 2};
  corvid::PcmSound pcm{2, kRate, {}};
  const int beat = kRate / 2;
  for (int f = 0; f < 8 * kRate; ++f) {
    const double t = double(f) / kRate;
    const int n = notes[(f / beat) % 16];
    const double freq = 440.0 * std::pow(2.0, n / 12.0);
    const double inBeat = double(f % beat) / beat;
    const double env = std::exp(-3.0 * inBeat) * std::fmin(1.0, inBeat * 50);
    const double lead = 7000 * env * std::sin(2 * kPi * freq * t);
    const double drone = 2500 * std::sin(2 * kPi * 110 * t);
    pcm.samples.push_back(clip16(lead * 0.8 + drone));
    pcm.samples.push_back(clip16(lead * 0.5 + drone));
  }
  return pcm;
}

// A "voice": a buzz through two vowel formants with a falling pitch, about a second long.
std::vector<int16_t> voiceLine(double pitch, double seconds) {
  std::vector<int16_t> out;
  const int frames = int(seconds * kRate);
  double phase = 0;
  for (int f = 0; f < frames; ++f) {
    const double t = double(f) / kRate;
    const double p = pitch * (1.15 - 0.3 * t / seconds);
    phase += p / kRate;
    const double saw = 2 * (phase - std::floor(phase)) - 1;
    const double vowel = std::sin(2 * kPi * (t < seconds / 2 ? 700 : 400) * t);
    const double env = std::sin(kPi * t / seconds) * (0.7 + 0.3 * std::sin(2 * kPi * 5 * t));
    out.push_back(clip16(9000 * env * saw * (0.6 + 0.4 * vowel)));
  }
  return out;
}

bool write(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  const bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (f && std::fclose(f) != 0) return false;
  if (!ok) std::fprintf(stderr, "make_sounds: %s: cannot write\n", path.c_str());
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_sounds OUT_WAV_DIR OUT_TITLE_SRC\n");
    return 2;
  }
  const std::string wavDir = argv[1], title = argv[2];
  std::filesystem::create_directories(wavDir);
  std::filesystem::create_directories(title + "/qd_ogg1");
  bool ok = write(wavDir + "/SE01.wav", corvid::writeWav(chime()));
  ok &= write(wavDir + "/SEL01.wav", corvid::writeWav(wind()));
  ok &= write(wavDir + "/M01.wav", corvid::writeWav(tune()));
  ok &= write(title + "/qd_ogg1/V0001", corvid::oggwriter::encodeOggVorbis(voiceLine(220, 1.2), 1, kRate));
  ok &= write(title + "/qd_ogg1/V0002", corvid::oggwriter::encodeOggVorbis(voiceLine(180, 1.0), 1, kRate));
  return ok ? 0 : 1;
}
