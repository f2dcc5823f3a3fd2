#include "sound/wav_file.h"

#include <cstring>

#include "data/byte_reader.h"
#include "data/byte_writer.h"

namespace corvid {

namespace {

bool tagIs(const char* tag, const char* want) { return std::memcmp(tag, want, 4) == 0; }

}  // namespace

bool parseWav(std::span<const uint8_t> bytes, PcmSound& out, std::string& error) {
  ByteReader r(bytes);
  char riff[4] = {}, wave[4] = {};
  r.bytes(riff, 4);
  r.u32();
  r.bytes(wave, 4);
  if (!r.ok() || !tagIs(riff, "RIFF") || !tagIs(wave, "WAVE")) {
    error = "not a RIFF WAVE file";
    return false;
  }
  bool haveFormat = false;
  uint16_t format = 0, channels = 0, bits = 0;
  uint32_t rate = 0;
  while (r.remaining() >= 8) {
    char tag[4];
    r.bytes(tag, 4);
    const uint32_t size = r.u32();
    if (!r.ok() || size > r.remaining()) break;
    std::span<const uint8_t> body = r.take(size);
    if (size & 1) r.skip(std::min<size_t>(1, r.remaining()));
    if (tagIs(tag, "fmt ")) {
      ByteReader f(body);
      format = f.u16();
      channels = f.u16();
      rate = f.u32();
      f.u32();
      f.u16();
      bits = f.u16();
      haveFormat = f.ok();
      continue;
    }
    if (!tagIs(tag, "data")) continue;
    if (!haveFormat || format != 1 || bits != 16 || (channels != 1 && channels != 2) || rate == 0) {
      error = "only 16-bit PCM WAV files with one or two channels can be read";
      return false;
    }
    out.channels = channels;
    out.framesPerSecond = int(rate);
    const size_t frames = body.size() / (2u * channels);
    out.samples.resize(frames * channels);
    for (size_t i = 0; i < out.samples.size(); ++i)
      out.samples[i] = int16_t(body[2 * i] | body[2 * i + 1] << 8);
    return true;
  }
  error = "a WAV file without its format or data chunk";
  return false;
}

std::vector<uint8_t> writeWav(const PcmSound& pcm) {
  const uint32_t dataBytes = uint32_t(pcm.samples.size() * 2);
  ByteWriter w;
  w.bytes("RIFF", 4);
  w.u32(36 + dataBytes);
  w.bytes("WAVEfmt ", 8);
  w.u32(16);
  w.u16(1);
  w.u16(uint16_t(pcm.channels));
  w.u32(uint32_t(pcm.framesPerSecond));
  w.u32(uint32_t(pcm.framesPerSecond * pcm.channels * 2));
  w.u16(uint16_t(pcm.channels * 2));
  w.u16(16);
  w.bytes("data", 4);
  w.u32(dataBytes);
  for (int16_t s : pcm.samples) w.i16(s);
  return w.take();
}

}  // namespace corvid
