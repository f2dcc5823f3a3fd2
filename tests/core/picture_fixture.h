#pragma once
// Pictures for the engine tests: a surface as a picture-archive entry, and a pixel read back
// from a shot's PNG file.

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "data/picture_encoder.h"
#include "gfx/surface.h"

namespace corvid::testing {

// The entry of a picture archive holding the surface (run-length stage only).
inline std::vector<uint8_t> entryOf(const Surface& s) {
  std::vector<uint8_t> e;
  EXPECT_TRUE(encodePicture(s, e, nullptr, {PictureStages::RunLength}));
  return e;
}

// A pixel (B, G, R) of a shot, read back from its PNG file; empty when it cannot be read.
inline std::vector<uint8_t> pngPixel(const std::string& path, int x, int y) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  image.format = PNG_FORMAT_BGR;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
  if (x < 0 || y < 0 || x >= int(image.width) || y >= int(image.height)) return {};
  const size_t at = (size_t(y) * image.width + size_t(x)) * 3;
  return std::vector<uint8_t>(pixels.begin() + long(at), pixels.begin() + long(at) + 3);
}

}  // namespace corvid::testing
