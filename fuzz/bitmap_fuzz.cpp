// Bitmap files (read by cvdtool when it builds picture archives) on arbitrary bytes: a bitmap
// that decodes has a pixel buffer of its size and writes out as a bitmap that decodes to the
// same pixels.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "data/bmp_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  corvid::Surface picture;
  if (!corvid::decodeBmp(std::span<const uint8_t>(data, size), picture)) return 0;
  if (picture.pixels.size() != size_t(picture.width) * size_t(picture.height) * 3) std::abort();
  if (picture.pixels.size() > (size_t(1) << 16)) return 0;
  corvid::Surface again;
  if (!corvid::decodeBmp(corvid::encodeBmp(picture), again) || again.pixels != picture.pixels)
    std::abort();
  return 0;
}
