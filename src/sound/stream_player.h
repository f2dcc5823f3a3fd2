#pragma once
// The stream player: a byte-code WADY stream (music, or a long animation sound) decoded one
// second at a time, four seconds ahead, looping forever from its loop start with the decoder
// states the header saved for it.
//
// The entry's bytes are held whole; the read position walks the codes and, at their end, goes
// on from the loop start. The decoded seconds go to the mixer's stream slot as clips taken from
// a small pool, so playback allocates nothing once the pool is warm.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "sound/mixer.h"
#include "sound/wady.h"

namespace corvid {

class StreamPlayer {
 public:
  inline static constexpr int kRingSeconds = 4;

  enum class Source { None = 0, Music = 1, Anim = 2 };

  // Takes the entry (header and codes). False with `error` for a header the player refuses.
  bool open(std::vector<uint8_t> entry, Source source, std::string& error);
  void close();

  Source source() const { return source_; }
  bool isOpen() const { return source_ != Source::None; }
  int framesPerSecond() const { return header_.framesPerSecond; }
  int channels() const { return header_.channels; }
  // The segment of the ring to refill next, 0 to 3.
  int fillIndex() const { return fillIndex_; }
  void advanceFillIndex() { fillIndex_ = (fillIndex_ + 1) & (kRingSeconds - 1); }

  // Decodes the next second. `s57` is the system variable: 2 or more decodes silence, and 1
  // becomes 2 when the stream goes back to its loop start.
  ClipPtr nextSecond(int32_t& s57);

 private:
  void decodeFrom(size_t frames, int16_t* out, bool silent);
  std::shared_ptr<PcmClip> freeClip();

  Source source_ = Source::None;
  std::vector<uint8_t> entry_;
  WadyHeader header_;
  size_t readPos_ = 0;    // offset in the entry of the next code
  size_t end_ = 0;        // offset just past the last code
  size_t loopStart_ = 0;  // offset of the first loop code
  std::array<int16_t, 2> states_{};
  int fillIndex_ = 0;
  std::array<std::shared_ptr<PcmClip>, Mixer::kQueuedClips + 2> pool_;
};

}  // namespace corvid
