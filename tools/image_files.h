#pragma once
// Picture files on the authors' side: PNG, PPM (binary P6) and BMP, read into and written from
// BGR surfaces. The format is the file name's extension, in any case.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "gfx/surface.h"

namespace corvid::tool {

enum class ImageFormat { Unknown, Png, Ppm, Bmp };

ImageFormat imageFormatOf(const std::string& path);

// A PNG of any colour type and depth, as 8-bit BGR; transparent pixels are laid on black (the
// picture format has no alpha: masks are pictures of their own).
bool decodePng(std::span<const uint8_t> bytes, Surface& out, std::string& error);

// A binary PPM ("P6"), with comments, and any maximum value up to 65535 scaled to 0..255.
bool decodePpm(std::span<const uint8_t> bytes, Surface& out, std::string& error);
std::vector<uint8_t> encodePpm(const Surface& picture);

// Reads or writes the file in the format of its extension. `error` is "PATH: what is wrong".
bool readImageFile(const std::string& path, Surface& out, std::string& error);
bool writeImageFile(const std::string& path, const Surface& picture, std::string& error);

}  // namespace corvid::tool
