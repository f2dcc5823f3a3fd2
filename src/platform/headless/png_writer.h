#pragma once
// Writes a surface as an 8-bit RGB PNG (screenshots of the headless platform, cvdtool).

#include <string>

#include "gfx/surface.h"

namespace corvid {

bool writePng(const std::string& path, const Surface& surface, std::string* error = nullptr);

}  // namespace corvid
