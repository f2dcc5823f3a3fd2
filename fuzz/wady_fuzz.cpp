// Fuzzes the WADY decoders: the input is decoded as a file of either variant, as a packed
// channel block on its own, and played through the stream player for a few seconds (wrapping
// at the loop start). A file that decodes must give exactly its header's PCM size; PCM that
// the encoders write must decode again to the same number of samples.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "sound/stream_player.h"
#include "sound/wady.h"
#include "sound/wady_encoder.h"

namespace {

void require(bool ok) {
  if (!ok) __builtin_trap();
}

void wholeFile(std::span<const uint8_t> bytes) {
  corvid::DecodedSound sound;
  std::string error;
  corvid::WadyHeader header;
  if (!corvid::decodeWadyFile(bytes, sound, error)) {
    require(!error.empty());
    return;
  }
  require(corvid::readWadyHeader(bytes, header, error));
  require(sound.samples.size() * 2 == size_t(header.pcmSize));
  require(sound.channels == 1 || sound.channels == 2);
}

void packedBlock(std::span<const uint8_t> bytes) {
  std::vector<int16_t> out(4096 * 2);
  std::string error;
  const int64_t n = corvid::decodePacked(bytes, out.data() + 1, 2, 4096, error);
  require(n <= 4096);
  require(n >= 0 || !error.empty());
}

void stream(std::span<const uint8_t> bytes) {
  corvid::StreamPlayer player;
  std::string error;
  if (!player.open(std::vector<uint8_t>(bytes.begin(), bytes.end()), corvid::StreamPlayer::Source::Music, error))
    return;
  if (player.framesPerSecond() > 8000) return;  // keep each input fast
  int32_t s57 = bytes.size() % 3 == 0 ? 1 : 0;
  for (int second = 0; second < 6; ++second) {
    const corvid::ClipPtr clip = player.nextSecond(s57);
    require(clip->samples.size() == size_t(player.framesPerSecond() * player.channels()));
  }
}

void reencode(std::span<const uint8_t> bytes) {
  if (bytes.size() < 4 || bytes.size() > 4096) return;
  corvid::PcmSound pcm{1 + (bytes[0] & 1), 8000, {}};
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) pcm.samples.push_back(int16_t(bytes[i] | bytes[i + 1] << 8));
  pcm.samples.resize(pcm.samples.size() / size_t(pcm.channels) * size_t(pcm.channels));
  if (pcm.samples.empty()) return;
  std::vector<uint8_t> file;
  std::string error;
  corvid::DecodedSound sound;
  require(corvid::encodePackedWady(pcm, file, error));
  require(corvid::decodeWadyFile(file, sound, error) && sound.samples.size() == pcm.samples.size());
  require(corvid::encodeByteCodeWady(pcm, int32_t(bytes[1] % (pcm.samples.size() / size_t(pcm.channels))), file, error));
  require(corvid::decodeWadyFile(file, sound, error) && sound.samples.size() == pcm.samples.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  wholeFile(bytes);
  packedBlock(bytes);
  stream(bytes);
  reencode(bytes);
  return 0;
}
