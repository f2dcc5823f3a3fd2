// Pictures through the decoder and back through the encoder: an entry that decodes is encoded
// again with every choice of stages and must decode to the same pixels.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "data/picture_codec.h"
#include "data/picture_encoder.h"

namespace {

// Larger pictures are skipped: the encoder's match finder would make each input slow.
constexpr size_t kMaxPixelBytes = size_t(1) << 14;

void require(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static corvid::PictureDecoder decoder;
  corvid::Surface picture;
  if (!decoder.decode(std::span<const uint8_t>(data, size), picture)) return 0;
  if (picture.pixels.empty() || picture.pixels.size() > kMaxPixelBytes) return 0;
  std::vector<uint8_t> entry;
  for (corvid::PictureStages stages :
       {corvid::PictureStages::Lz, corvid::PictureStages::RunLength, corvid::PictureStages::Delta,
        corvid::PictureStages::DeltaRunLength}) {
    require(corvid::encodePicture(picture, entry, nullptr, {stages, 4}));
    corvid::Surface again;
    require(decoder.decode(entry, again));
    require(again.width == picture.width && again.height == picture.height &&
            again.pixels == picture.pixels);
  }
  return 0;
}
