#pragma once
// JPEG pictures (the JPEG picture archive and the frames of animation clips), decoded through
// libjpeg into 24-bit BGR surfaces.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "gfx/surface.h"

namespace corvid {

// True when the bytes start like a JPEG file (the SOI marker and the next marker's 0xFF).
bool looksLikeJpeg(std::span<const uint8_t> bytes);

// Decodes JPEG images, keeping its pixel buffer from one picture to the next.
class JpegDecoder {
 public:
  // Decodes `bytes` into `out`, which takes the image's width and height. Grey images come out
  // as grey BGR. A JPEG the decoder rejects (damaged, unsupported colour space, absurdly large,
  // too many scans) is refused with `error` saying why, and `out` is left as it was. A stream
  // that merely ends early is decoded as far as it goes, as libjpeg does.
  bool decode(std::span<const uint8_t> bytes, Surface& out, std::string* error = nullptr);

 private:
  std::vector<uint8_t> pixels_;
};

// One picture with a decoder of its own.
bool decodeJpeg(std::span<const uint8_t> bytes, Surface& out, std::string* error = nullptr);

}  // namespace corvid
