#include "sound/ogg_voice.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace corvid {

namespace {

constexpr size_t kUntrimmedBytes = 30000;      // voices this small keep their whole buffer
constexpr int64_t kMaxVoiceFrames = 1 << 26;   // about 25 minutes at 44100 Hz: refused above

// The readable, seekable memory stream behind the callbacks.
struct MemoryStream {
  std::span<const uint8_t> bytes;
  size_t pos = 0;
};

size_t readCallback(void* out, size_t size, size_t count, void* source) {
  auto* s = static_cast<MemoryStream*>(source);
  if (size == 0) return 0;
  const size_t n = std::min(size * count, s->bytes.size() - s->pos);
  if (n == 0) return 0;
  std::memcpy(out, s->bytes.data() + s->pos, n);
  s->pos += n;
  return n / size;
}

int seekCallback(void* source, ogg_int64_t offset, int whence) {
  auto* s = static_cast<MemoryStream*>(source);
  ogg_int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? ogg_int64_t(s->pos)
                                                                 : ogg_int64_t(s->bytes.size());
  const ogg_int64_t to = base + offset;
  if (to < 0 || to > ogg_int64_t(s->bytes.size())) return -1;
  s->pos = size_t(to);
  return 0;
}

int closeCallback(void*) { return 0; }  // the stream lives on the caller's stack

long tellCallback(void* source) { return long(static_cast<MemoryStream*>(source)->pos); }

// The bytes kept of a filled buffer: all of a small one; else up to the last non-zero 4-byte
// group, never below half.
size_t keptLength(const std::vector<uint8_t>& buffer) {
  if (buffer.size() <= kUntrimmedBytes) return buffer.size();
  size_t end = buffer.size() - buffer.size() % 4;
  const size_t floor = buffer.size() / 2;
  while (end >= floor + 4 && end >= 4) {
    const uint8_t* g = buffer.data() + end - 4;
    if (g[0] | g[1] | g[2] | g[3]) break;
    end -= 4;
  }
  return std::max(end, floor);
}

}  // namespace

bool decodeOggVoice(std::span<const uint8_t> bytes, PcmClip& out, std::string& error) {
  MemoryStream stream{bytes, 0};
  OggVorbis_File file;
  const ov_callbacks callbacks{readCallback, seekCallback, closeCallback, tellCallback};
  if (ov_open_callbacks(&stream, &file, nullptr, 0, callbacks) != 0) {
    error = "not an Ogg Vorbis stream that vorbisfile can open";
    return false;
  }
  const ogg_int64_t total = ov_pcm_total(&file, -1);
  const vorbis_info* info = ov_info(&file, -1);
  if (!info || total <= 0 || total > kMaxVoiceFrames || info->channels < 1 || info->channels > 2 ||
      info->rate <= 0) {
    ov_clear(&file);
    error = "an Ogg Vorbis voice without a usable length, channel count or rate";
    return false;
  }
  const int channels = info->channels;
  std::vector<uint8_t> buffer(size_t(channels + 2) * size_t(total), 0);
  size_t filled = 0;
  int section = 0;
  while (filled < buffer.size()) {
    const long n = ov_read(&file, reinterpret_cast<char*>(buffer.data() + filled),
                           int(std::min<size_t>(buffer.size() - filled, 1 << 16)), 0, 2, 1, &section);
    if (n <= 0) break;
    filled += size_t(n);
  }
  out.channels = channels;
  out.framesPerSecond = int(info->rate);
  ov_clear(&file);
  const size_t frames = keptLength(buffer) / size_t(2 * channels);
  out.samples.resize(frames * size_t(channels));
  for (size_t i = 0; i < out.samples.size(); ++i)
    out.samples[i] = int16_t(buffer[2 * i] | buffer[2 * i + 1] << 8);
  return true;
}

}  // namespace corvid
