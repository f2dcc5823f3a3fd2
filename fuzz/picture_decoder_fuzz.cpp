// Fuzzes every picture format the engine reads: the input is decoded as a compressed picture
// entry, as a JPEG and as a bitmap, and its bytes are fed straight to the LZ and run-length
// stages (so they are reached without a valid header first). A picture entry that decodes is
// encoded again and must decode to the same pixels.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "data/bmp_file.h"
#include "data/jpeg_decoder.h"
#include "data/picture_codec.h"
#include "data/picture_encoder.h"

namespace {

void roundTrip(const corvid::Surface& picture) {
  if (picture.pixels.size() > (size_t(1) << 16)) return;  // keep each input fast
  std::vector<uint8_t> entry;
  if (!corvid::encodePicture(picture, entry, nullptr, {corvid::PictureStages::Smallest, 8}))
    __builtin_trap();
  corvid::Surface again;
  if (!corvid::decodePicture(entry, again) || again.pixels != picture.pixels ||
      again.width != picture.width || again.height != picture.height)
    __builtin_trap();
}

void stages(std::span<const uint8_t> bytes) {
  // The output length the stages aim for comes from the input's size, so both short and long
  // targets are met.
  const size_t target = std::min<size_t>(bytes.size() * 5 + 1, size_t(1) << 17);
  static std::vector<uint8_t> out;
  out.resize(target + corvid::kPictureSlack + corvid::kStageMargin);
  corvid::lzDecode(bytes, target, out.data(), nullptr);
  corvid::runLengthDecode(bytes, target, out.data(), nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  static corvid::PictureDecoder decoder;
  static corvid::JpegDecoder jpeg;
  corvid::Surface picture;
  if (decoder.decode(bytes, picture)) roundTrip(picture);
  if (corvid::looksLikeJpeg(bytes)) jpeg.decode(bytes, picture);
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') corvid::decodeBmp(bytes, picture);
  stages(bytes);
  return 0;
}
