#include "sound/movie_player.h"

#include <algorithm>
#include <cmath>

namespace corvid {

namespace {
constexpr size_t kAudioClipFrames = Mixer::kOutputRate / 10;  // 100 ms a clip
}

void MoviePlayer::start(std::unique_ptr<MovieDecoder> decoder, uint32_t nowMs, int32_t volume) {
  stop();
  decoder_ = std::move(decoder);
  startMs_ = lastMs_ = nowMs;
  tag_ = kStartTag;
  volume_ = volume;
  ended_ = pending_ = audioStarted_ = false;
}

void MoviePlayer::queueAudio(bool flush) {
  if (audio_.empty() || (!flush && audio_.size() < 2 * kAudioClipFrames)) return;
  auto clip = std::make_shared<PcmClip>();
  clip->channels = 2;
  clip->framesPerSecond = Mixer::kOutputRate;
  clip->samples.swap(audio_);
  audio_.clear();
  if (audioStarted_) {
    mixer_.append(Mixer::kMovieSlot, std::move(clip));
    return;
  }
  mixer_.start(Mixer::kMovieSlot, std::move(clip), false, volume_);
  audioStarted_ = true;
}

bool MoviePlayer::frameTick(uint32_t nowMs, Surface& display) {
  if (!decoder_) return false;
  const double elapsed = double(uint32_t(nowMs - startMs_)) / 1000.0;
  bool shown = false;
  while (!ended_) {
    if (!pending_) {
      if (!decoder_->next(piece_, frame_)) {
        ended_ = true;
        break;
      }
      pending_ = true;
      const uint32_t due = startMs_ + uint32_t(std::max(0.0, piece_.seconds) * 1000.0);
      lastMs_ = std::max(lastMs_, due);
    }
    if (piece_.kind == MoviePiece::Kind::Audio) {
      audio_.insert(audio_.end(), piece_.audio.begin(), piece_.audio.end());
      lastMs_ = std::max(lastMs_, startMs_ + uint32_t(piece_.seconds * 1000.0 +
                                                      1000.0 * double(piece_.audio.size() / 2) / Mixer::kOutputRate));
      pending_ = false;
      queueAudio(false);
      continue;
    }
    if (piece_.seconds > elapsed) break;
    display = frame_;
    shown = true;
    pending_ = false;
  }
  if (ended_) queueAudio(true);
  return shown;
}

bool MoviePlayer::playing(uint32_t nowMs) const {
  return decoder_ && (!ended_ || pending_ || int32_t(nowMs - lastMs_) < 0);
}

bool MoviePlayer::timerTick(uint32_t nowMs) {
  if (tag_ > 1) {
    --tag_;
    return false;
  }
  return tag_ == 1 && !playing(nowMs);
}

void MoviePlayer::stop() {
  if (decoder_) mixer_.stop(Mixer::kMovieSlot);
  decoder_.reset();
  tag_ = 0;
  pending_ = false;
  audio_.clear();
}

}  // namespace corvid
