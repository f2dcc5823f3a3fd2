#pragma once
// Single lines of text in the text font, for the screens that print whole lines: the name
// plate, the choices, the yes/no panel, the selection tree, the gallery. The glyph renderer
// implements them; a screen gets this interface passed in.
//
// Texts are Shift_JIS: a byte of 0x80 or above starts a two-byte character. The character whose
// first byte is at 1-based position p is drawn at x = p * pitch + x0 (plain), shifted left by
// (length * pitch) / 2 for the centred runs, at row y of the surface. Nothing reaches the display.

#include <cstdint>
#include <string_view>

#include "gfx/surface.h"

namespace corvid {

class TextRuns {
 public:
  virtual ~TextRuns() = default;
  // The pitch is TX_PITCH_X; the colour is that of `colourCode` (0: the default text colour S37,
  // others the palette entry code AND 7).
  virtual void drawTextRun(std::string_view text, int x0, int y, Surface& surface,
                           int32_t colourCode) = 0;
  virtual void drawTextRunCentred(std::string_view text, int x0, int y, Surface& surface,
                                  int32_t colourCode) = 0;
  // As drawTextRunCentred with the pitch given.
  virtual void drawTextRunCentredPitch(std::string_view text, int x0, int pitch, Surface& surface,
                                       int32_t colourCode, int y) = 0;
};

}  // namespace corvid
