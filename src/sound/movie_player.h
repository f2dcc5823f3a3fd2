#pragma once
// The movie command's player: frames shown on the display at their time on the engine's
// clock, the sound queued to the mixer's movie slot, a countdown of timer ticks before a click
// may end it (20, counted down to 1), and its end when the file is over.

#include <cstdint>
#include <memory>

#include "gfx/surface.h"
#include "platform/movie_decoder.h"
#include "sound/mixer.h"

namespace corvid {

class MoviePlayer {
 public:
  inline static constexpr int kStartTag = 20;  // timer ticks; a click ends the movie at 1

  explicit MoviePlayer(Mixer& mixer) : mixer_(mixer) {}

  void start(std::unique_ptr<MovieDecoder> decoder, uint32_t nowMs, int32_t volume);
  bool active() const { return tag_ != 0; }
  int tag() const { return tag_; }
  // Whether the file still has something to show or play at `nowMs`.
  bool playing(uint32_t nowMs) const;
  // Shows what is due by `nowMs`; true when a new frame went to `display`.
  bool frameTick(uint32_t nowMs, Surface& display);
  // The timer tick: the countdown; true when the movie is over and should end now.
  bool timerTick(uint32_t nowMs);
  // A click on the movie ends it once the countdown reached 1.
  bool clickEnds() const { return tag_ == 1; }
  void stop();

 private:
  void queueAudio(bool flush);

  Mixer& mixer_;
  std::unique_ptr<MovieDecoder> decoder_;
  MoviePiece piece_;
  bool pending_ = false;  // piece_ (and frame_ for video) waits for its time
  bool ended_ = false;    // the decoder has nothing more
  uint32_t startMs_ = 0;
  uint32_t lastMs_ = 0;   // when the last piece is due
  int tag_ = 0;
  int32_t volume_ = 0;
  bool audioStarted_ = false;
  Surface frame_;
  std::vector<int16_t> audio_;  // sound gathered for the next clip
};

}  // namespace corvid
