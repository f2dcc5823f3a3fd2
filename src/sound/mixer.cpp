#include "sound/mixer.h"

#include <algorithm>
#include <cmath>

namespace corvid {

float attenuationGain(int32_t attenuation) {
  if (attenuation <= kSilentVolume) return 0.0f;
  if (attenuation >= 0) return 1.0f;
  return float(std::pow(10.0, double(attenuation) / 2000.0));
}

// ---- The command side --------------------------------------------------------------------------

void Mixer::post(Command command) {
  std::lock_guard<std::mutex> guard(lock_);
  pending_.push_back(std::move(command));
}

void Mixer::start(int slot, ClipPtr clip, bool loop, int32_t volume) {
  post({Command::Kind::Start, slot, std::move(clip), loop, volume});
}
void Mixer::append(int slot, ClipPtr clip) { post({Command::Kind::Append, slot, std::move(clip), false, 0}); }
void Mixer::stop(int slot) { post({Command::Kind::Stop, slot, nullptr, false, 0}); }
void Mixer::setVolume(int slot, int32_t volume) {
  post({Command::Kind::Volume, slot, nullptr, false, volume});
}
void Mixer::setMaster(int32_t volume) { post({Command::Kind::Master, 0, nullptr, false, volume}); }

// ---- The render side ---------------------------------------------------------------------------

void Mixer::updateGain(Voice& v) const {
  v.gain = attenuationGain(std::max(v.volume, kSilentVolume) + std::max(master_, kSilentVolume));
}

void Mixer::apply(Command& c) {
  if (c.kind == Command::Kind::Master) {
    master_ = c.volume;
    for (Voice& v : voices_) updateGain(v);
    return;
  }
  if (c.slot < 0 || c.slot > kMovieSlot) return;
  Voice& v = voices_[size_t(c.slot)];
  switch (c.kind) {
    case Command::Kind::Start:
      v.queue = {};
      v.queue[0] = std::move(c.clip);
      v.queued = v.queue[0] ? 1 : 0;
      v.loop = c.loop;
      v.position = 0;
      v.volume = c.volume;
      updateGain(v);
      break;
    case Command::Kind::Append:
      if (v.queued < kQueuedClips && c.clip) v.queue[size_t(v.queued++)] = std::move(c.clip);
      break;
    case Command::Kind::Stop:
      v.queue = {};
      v.queued = 0;
      break;
    case Command::Kind::Volume:
      v.volume = c.volume;
      updateGain(v);
      break;
    case Command::Kind::Master: break;
  }
}

void Mixer::popClip(Voice& v) {
  for (int i = 1; i < v.queued; ++i) v.queue[size_t(i - 1)] = std::move(v.queue[size_t(i)]);
  v.queue[size_t(--v.queued)].reset();
}

// Linear interpolation between neighbouring frames of the clip at the slot's own rate.
void Mixer::mixVoice(Voice& v, float* acc, size_t frames) {
  for (size_t f = 0; f < frames && v.queued > 0;) {
    const PcmClip& clip = *v.queue[0];
    const size_t clipFrames = clip.frames();
    if (clipFrames == 0) {
      popClip(v);
      continue;
    }
    const uint64_t step = (uint64_t(clip.framesPerSecond) << 32) / kOutputRate;
    const int16_t* s = clip.samples.data();
    const bool stereo = clip.channels == 2;
    for (; f < frames; ++f) {
      const size_t i = size_t(v.position >> 32);
      if (i >= clipFrames) break;
      const float t = float(v.position & 0xFFFFFFFFu) * (1.0f / 4294967296.0f);
      const size_t j = i + 1 < clipFrames ? i + 1 : i;
      float left, right;
      if (stereo) {
        left = s[2 * i] + (s[2 * j] - s[2 * i]) * t;
        right = s[2 * i + 1] + (s[2 * j + 1] - s[2 * i + 1]) * t;
      } else {
        left = right = s[i] + (s[j] - s[i]) * t;
      }
      acc[2 * f] += left * v.gain;
      acc[2 * f + 1] += right * v.gain;
      v.position += step;
    }
    if (size_t(v.position >> 32) < clipFrames) continue;
    v.position -= uint64_t(clipFrames) << 32;
    if (v.loop && v.queued == 1) continue;
    popClip(v);
  }
}

void Mixer::render(int16_t* out, size_t frames) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    taken_.swap(pending_);
  }
  for (Command& c : taken_) apply(c);
  taken_.clear();
  if (acc_.size() < 2 * frames) acc_.resize(2 * frames);
  std::fill(acc_.begin(), acc_.begin() + std::ptrdiff_t(2 * frames), 0.0f);
  // A silent slot is mixed too, so that its time passes as the engine counts it.
  for (Voice& v : voices_)
    if (v.queued > 0) mixVoice(v, acc_.data(), frames);
  for (size_t i = 0; i < 2 * frames; ++i)
    out[i] = int16_t(std::lround(std::clamp(acc_[i], -32768.0f, 32767.0f)));
}

}  // namespace corvid
