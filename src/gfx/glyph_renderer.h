#pragma once
// The glyph renderer: every character the engine shows in its own look goes through here. The
// rasteriser's 65-level coverage becomes an alpha cell, a soft shadow is derived from it (the
// cell blurred and moved one row down), cells are cached, and shadow and glyph are blended into
// a surface, the shadow one pixel right of the glyph.
//
// Sections: cells and the cache; the renderer (font, colours, one character, text runs, large
// glyphs, plain text).

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "gfx/glyph_rasteriser.h"
#include "gfx/surface.h"
#include "gfx/text_runs.h"

namespace corvid {

// ---- Cells and the cache ---------------------------------------------------------------------

inline constexpr int kGlyphCellWidth = 32;   // pixels, one byte each
inline constexpr int kGlyphCellRows = 36;    // the drawn rows
inline constexpr int kGlyphCellBytes = 2304; // drawn rows and, below, the rows of an oversized
                                             // glyph that are never drawn
inline constexpr int kLargeCellWidth = 56;
inline constexpr int kLargeCellRows = 64;
inline constexpr int kLargeCellBytes = kLargeCellWidth * kLargeCellRows;  // 3584
inline constexpr int kGlyphCacheEntries = 1000;
inline constexpr int kGaijiSize = 24;  // an external character's square in "sys_gaiji"

// A coverage image 32 pixels wide, one byte a pixel (0 transparent .. 255 opaque).
using GlyphCell = std::array<uint8_t, kGlyphCellBytes>;

// Up to 1000 cells in insertion order, looked up from the first; no eviction.
class GlyphCache {
 public:
  GlyphCache();
  void clear() { count_ = 0; }
  int size() const { return count_; }
  bool full() const { return count_ >= kGlyphCacheEntries; }
  // The first cell stored for the code, or nullptr.
  const GlyphCell* find(uint32_t code) const;
  // False (nothing stored) once full.
  bool append(uint32_t code, const GlyphCell& cell);

 private:
  std::vector<uint32_t> codes_;
  std::vector<GlyphCell> cells_;
  int count_ = 0;
};

// The character code of a byte sequence: lead byte * 256 + second byte for a double-byte
// character, else the first byte.
uint32_t glyphCode(const char* bytes);

// Whether a text run or the grid's redraw takes a second byte after `b`. A Windows player shows
// half-width katakana as one byte each; so does this (every other byte of 0x80 and above leads).
bool runTakesSecondByte(unsigned char b);

// The codes cached at start-up, after the external characters: hiragana, katakana, full-width
// digits, then 14 common punctuation marks and 日.
std::vector<uint32_t> glyphPreloadCodes();

// ---- The renderer ----------------------------------------------------------------------------

struct GlyphContext {
  const int32_t& skipLevel;     // 2: nothing is rasterised or drawn
  const int32_t& defaultColour; // S37: the colour of colour code 0 (0x00BBGGRR)
  const int32_t& pitchX;        // TX_PITCH_X: the plain and centred runs' pitch per byte
};

class GlyphRenderer final : public TextRuns {
 public:
  // The palette of colour codes 1..: entry (code AND 7), 0x00BBGGRR.
  static const std::array<uint32_t, 8> kPalette;

  GlyphRenderer(GlyphRasteriser& rasteriser, GlyphContext context);

  // ---- The font ----------------------------------------------------------------------------
  // The text font (face UTF-8, size in points, bold); takes effect for cells rasterised from
  // now on. Call rebuildGlyphCache after a change.
  void setFont(const std::string& face, int points, bool bold);
  // The external characters: GAIJI (the codes they replace, two bytes each) and the picture
  // "sys_gaiji" (24x24 cells side by side, the blue byte the coverage). Both are kept by the
  // caller for the renderer's life.
  void setExternalCharacters(const std::string* gaiji, const Surface* picture);
  // Cache emptied, the external characters entered, then the preload list rasterised.
  void rebuildGlyphCache();
  const GlyphCache& cache() const { return cache_; }

  // ---- Colours -----------------------------------------------------------------------------
  // Code 0: the default colour (S37); others: kPalette[code AND 7].
  void selectTextColour(int32_t code);
  uint32_t textColour() const { return textColour_; }

  // ---- One character -----------------------------------------------------------------------
  // Prepares the masks of one character (from the cache, else the rasteriser).
  void rasteriseGlyph(uint32_t code);
  // Blends what rasteriseGlyph prepared into the surface: the shadow at (x + 1, y), the glyph
  // at (x, y). Nothing below y = 550; rows outside the surface are left out.
  void drawGlyph(Surface& surface, int x, int y) const;
  // The coverage rasteriseGlyph left at pixel (x, y) of the 32x36 cell (for tests).
  uint8_t glyphCoverage(int x, int y) const { return glyphMask_[size_t(y * kMaskStride + x * 3)]; }
  uint8_t shadowCoverage(int x, int y) const { return shadowMask_[size_t(y * kMaskStride + x * 3)]; }

  // ---- Text runs (TextRuns) ------------------------------------------------------------------
  void drawTextRun(std::string_view text, int x0, int y, Surface& surface,
                   int32_t colourCode) override;
  void drawTextRunCentred(std::string_view text, int x0, int y, Surface& surface,
                          int32_t colourCode) override;
  void drawTextRunCentredPitch(std::string_view text, int x0, int pitch, Surface& surface,
                               int32_t colourCode, int y) override;

  // ---- Large glyphs (the staff roll) ---------------------------------------------------------
  // 56x64 cells at the given point size, never cached, drawn in white.
  void rasteriseLargeGlyph(const char* bytes, int points);
  void drawLargeGlyph(Surface& surface, int x, int y) const;

  // ---- Plain text (ruby) ---------------------------------------------------------------------
  // The text in one colour without shadow or cache, at a pixel height (the font's em), `y`
  // being the top of its line. The text font's size is put back afterwards. Returns the x
  // after the text.
  int drawPlainText(Surface& surface, std::string_view text, int x, int y, int pixelHeight,
                     uint32_t colour);

 private:
  bool rasteriseInto(uint32_t code, uint8_t* cell, int cellWidth, int cellBytes);
  void drawRun(std::string_view text, int x0, int pitch, int y, Surface& surface,
               int32_t colourCode);

  GlyphRasteriser& rasteriser_;
  GlyphContext c_;
  int fontPoints_ = 22;  // FONTSIZE
  const std::string* gaiji_ = nullptr;
  const Surface* gaijiPicture_ = nullptr;

  GlyphCache cache_;
  GlyphBitmap bitmap_;  // the rasteriser's output, reused
  GlyphCell scratch_{};
  // The masks hold each coverage byte three times, once per colour byte, as the masked blend
  // takes them.
  static constexpr int kMaskStride = kGlyphCellWidth * 3;
  static constexpr int kLargeMaskStride = kLargeCellWidth * 3;
  std::array<uint8_t, kMaskStride * kGlyphCellRows> glyphMask_{};
  std::array<uint8_t, kMaskStride * kGlyphCellRows> shadowMask_{};
  std::array<uint8_t, kLargeMaskStride> colourRow_{};  // the text colour, BGR per pixel
  uint32_t textColour_ = 0xFFFFFFFF;                    // none selected yet
  std::array<uint8_t, kLargeCellBytes> largeScratch_{};
  std::array<uint8_t, kLargeMaskStride * kLargeCellRows> largeMask_{};
  std::array<uint8_t, kLargeMaskStride * kLargeCellRows> largeShadow_{};
};

}  // namespace corvid
