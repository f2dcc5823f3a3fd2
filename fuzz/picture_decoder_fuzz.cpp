// The compressed picture decoder on arbitrary bytes, decode only (the round trip through the
// encoder is picture_round_trip_fuzz.cpp): one decoder keeps its buffers from input to input,
// as the engine's does, and a picture it accepts has the header's size.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "data/picture_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static corvid::PictureDecoder decoder;
  const std::span<const uint8_t> bytes(data, size);
  corvid::Surface picture;
  if (!decoder.decode(bytes, picture)) return 0;
  corvid::PictureHeader header;
  if (!corvid::readPictureHeader(bytes, header) || picture.width != header.width ||
      picture.height != header.height || picture.pixels.size() != header.pixelBytes())
    std::abort();
  return 0;
}
