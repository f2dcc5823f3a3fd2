#include "sound/stream_player.h"

#include <algorithm>
#include <atomic>

namespace corvid {

bool StreamPlayer::open(std::vector<uint8_t> entry, Source source, std::string& error) {
  close();
  WadyHeader header;
  if (!readWadyHeader(entry, header, error)) return false;
  if (!checkByteCodeStream(header, entry.size(), error)) return false;
  header_ = header;
  entry_ = std::move(entry);
  source_ = source;
  readPos_ = kWadyHeaderSize;
  end_ = kWadyHeaderSize + size_t(header.codeSize);
  loopStart_ = kWadyHeaderSize + size_t(header.loopStart);
  states_ = {0, 0};
  fillIndex_ = 0;
  return true;
}

void StreamPlayer::close() {
  source_ = Source::None;
  entry_.clear();
  entry_.shrink_to_fit();
}

std::shared_ptr<PcmClip> StreamPlayer::freeClip() {
  // A clip only this player still holds is one the mixer has finished with; the fence orders
  // the mixer's last reads of it before the samples are written again.
  for (std::shared_ptr<PcmClip>& clip : pool_) {
    if (!clip) clip = std::make_shared<PcmClip>();
    if (clip.use_count() != 1) continue;
    std::atomic_thread_fence(std::memory_order_acquire);
    return clip;
  }
  return std::make_shared<PcmClip>();
}

void StreamPlayer::decodeFrom(size_t frames, int16_t* out, bool silent) {
  const size_t channels = header_.channels;
  decodeBytes(entry_.data() + readPos_, out, header_.scale, states_, int(channels), frames, silent);
  readPos_ += frames * channels;
}

// One second of codes; where they run out, the rest comes from the loop start with the saved
// states. A loop shorter than a second wraps as often as it needs to.
ClipPtr StreamPlayer::nextSecond(int32_t& s57) {
  std::shared_ptr<PcmClip> clip = freeClip();
  const size_t channels = header_.channels;
  const size_t fps = size_t(header_.framesPerSecond);
  clip->channels = int(channels);
  clip->framesPerSecond = int(fps);
  clip->samples.resize(fps * channels);
  size_t done = 0;
  while (done < fps) {
    const size_t left = (end_ - readPos_) / channels;
    const size_t n = std::min(left, fps - done);
    decodeFrom(n, clip->samples.data() + done * channels, s57 >= 2);
    done += n;
    if (readPos_ < end_) continue;
    states_ = header_.loopStates;
    if (s57 == 1) s57 = 2;
    readPos_ = loopStart_;
  }
  return clip;
}

}  // namespace corvid
