#pragma once
// What the glyph renderer asks of a font rasteriser: the coverage of one character in the text
// font, 65 levels (0 transparent .. 64 fully covered), with its black box and its origin. The
// real one (FreeType over a font found by face name) lives with the platform; tests give a fake.

#include <cstdint>
#include <string>
#include <vector>

namespace corvid {

struct GlyphBitmap {
  int width = 0;    // black box, pixels
  int height = 0;
  int originX = 0;  // left edge of the black box right of the pen position, pixels
  int originY = 0;  // top edge of the black box above the baseline, pixels (upwards)
  std::vector<uint8_t> coverage;  // width * height values 0..64, rows `width` apart
};

class GlyphRasteriser {
 public:
  virtual ~GlyphRasteriser() = default;
  // The text font by face name (UTF-8) and weight; a face no installed font has falls back to
  // a Japanese font. False when no font at all could be opened (then nothing is drawn).
  virtual bool setFace(const std::string& face, bool bold) = 0;
  // The font size in points, as the settings store it (FONTSIZE, the staff roll's sizes).
  virtual void setPointSize(int points) = 0;
  // Pixels from the top of the font's cell to the baseline, at the current size.
  virtual int ascent() const = 0;
  // The character of a code page 932 character code (lead byte * 256 + second byte, or the
  // byte of a single-byte character). False when the rasteriser delivers nothing for it (no
  // such character, no font); a blank character gives a black box of 0 x 0.
  virtual bool rasterise(uint32_t code, GlyphBitmap& out) = 0;
};

}  // namespace corvid
