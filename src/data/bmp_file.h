#pragma once
// Windows bitmap files: the "$DEBUG_OUT" dump of the composite backgrounds writes them, the
// cover-screen picture "panic.bmp" is one, and cvdtool reads and writes them.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "gfx/surface.h"

namespace corvid {

// A 24-bit uncompressed bitmap, rows bottom-up, each padded to a multiple of 4 bytes.
std::vector<uint8_t> encodeBmp(const Surface& picture);

// Reads an uncompressed bitmap of 8 (with palette), 24 or 32 bits a pixel, bottom-up or
// top-down, into a BGR surface. Anything else (compression, other depths, a size that does not
// fit the file, a palette index past the palette) is refused with `error` saying why, and `out`
// is left as it was.
bool decodeBmp(std::span<const uint8_t> bytes, Surface& out, std::string* error = nullptr);

}  // namespace corvid
