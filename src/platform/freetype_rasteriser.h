#pragma once
// The glyph rasteriser of the real program: FreeType over the font that fontconfig finds for
// the face name.

#include <memory>

#include "gfx/glyph_rasteriser.h"

namespace corvid {

std::unique_ptr<GlyphRasteriser> makeFreeTypeRasteriser();

}  // namespace corvid
