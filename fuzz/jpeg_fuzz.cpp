// JPEG entries (the JPEG picture archive, the frames of clips) on arbitrary bytes: one decoder
// keeps its buffer from input to input, as the engine's does; a picture it accepts fills its
// surface, and a refused one leaves the surface as it was.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "data/jpeg_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static corvid::JpegDecoder decoder;
  const std::span<const uint8_t> bytes(data, size);
  if (!corvid::looksLikeJpeg(bytes)) return 0;
  corvid::Surface picture(2, 1);
  if (decoder.decode(bytes, picture)) {
    if (picture.pixels.size() != size_t(picture.width) * size_t(picture.height) * 3) std::abort();
  } else if (picture.width != 2 || picture.height != 1 || picture.pixels.size() != 6) {
    std::abort();
  }
  return 0;
}
