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

inline constexpr int kGlyphMaskStride = kGlyphCellWidth * 3;  // bytes of a mask row

// A cell made ready to draw: the glyph mask (its drawn rows) and the shadow mask, each coverage
// byte three times (once per colour byte, as the masked blend takes them), and which rows have
// any coverage at all (a row without leaves the surface as it is, so drawing skips it).
struct PreparedGlyph {
  std::array<uint8_t, kGlyphMaskStride * kGlyphCellRows> glyph{};
  std::array<uint8_t, kGlyphMaskStride * kGlyphCellRows> shadow{};
  uint64_t glyphRows = 0;   // bit r: row r of the glyph mask has coverage
  uint64_t shadowRows = 0;
};

// The masks of a cell: rows 0 to 35 spread; the shadow pixel at column j, row i + 1 the
// truncated mean of the four neighbours of (j, i), for rows 1 to 34 and columns 1 to 30.
void prepareGlyph(const GlyphCell& cell, PreparedGlyph& out);

// Up to 1000 cells in insertion order, looked up from the first; no eviction. Each entry keeps
// its cell made ready to draw too, so a cached character costs a lookup and the blend.
class GlyphCache {
 public:
  GlyphCache();
  void clear() { count_ = 0; }
  int size() const { return count_; }
  bool full() const { return count_ >= kGlyphCacheEntries; }
  // The first entry stored for the code, or -1.
  int find(uint32_t code) const;
  const GlyphCell& cell(int entry) const { return cells_[size_t(entry)]; }
  const PreparedGlyph& prepared(int entry) const { return prepared_[size_t(entry)]; }
  // False (nothing stored) once full.
  bool append(uint32_t code, const GlyphCell& cell);

 private:
  std::vector<uint32_t> codes_;
  std::vector<GlyphCell> cells_;
  std::vector<PreparedGlyph> prepared_;
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
  uint8_t glyphCoverage(int x, int y) const { return current_->glyph[size_t(y * kMaskStride + x * 3)]; }
  uint8_t shadowCoverage(int x, int y) const { return current_->shadow[size_t(y * kMaskStride + x * 3)]; }

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
  void drawRun(std::string_view text, int64_t x0, int pitch, int y, Surface& surface,
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
  static constexpr int kMaskStride = kGlyphMaskStride;
  static constexpr int kLargeMaskStride = kLargeCellWidth * 3;
  // What rasteriseGlyph prepared: a cache entry, `uncached_`, or a blank.
  const PreparedGlyph* current_;
  PreparedGlyph uncached_;
  std::array<uint8_t, kLargeMaskStride> colourRow_{};  // the text colour, BGR per pixel
  uint32_t textColour_ = 0xFFFFFFFF;                    // none selected yet
  std::array<uint8_t, kLargeCellBytes> largeScratch_{};
  std::array<uint8_t, kLargeMaskStride * kLargeCellRows> largeMask_{};
  std::array<uint8_t, kLargeMaskStride * kLargeCellRows> largeShadow_{};
};

}  // namespace corvid
