// The glyph renderer. Sections: the cache; codes; font and cache building; colours; one
// character (rasterising, the shadow, drawing); text runs; large glyphs; plain text.

#include "gfx/glyph_renderer.h"

#include <algorithm>
#include <cstring>

#include "data/sjis.h"
#include "gfx/blend.h"

namespace corvid {

namespace {

constexpr int kLowestGlyphRow = 550;  // a glyph whose top lies below this is not drawn
constexpr std::array<uint8_t, 168> kBlack{};  // the shadow's colour, a large cell row of it

// A rasteriser value 0..64 as cell opacity: any covered pixel at least 93, 55 and up opaque.
uint8_t cellOpacity(uint8_t v) { return v == 0 ? 0 : uint8_t(std::min(255, 3 * v + 90)); }

// Cell rows (one byte a pixel) spread to mask rows of three equal bytes a pixel.
void spreadRows(const uint8_t* cell, int width, int rows, uint8_t* mask) {
  for (int i = 0; i < width * rows; ++i) std::memset(mask + 3 * i, cell[i], 3);
}

// The shadow of a cell: pixel (j, i + 1) = (up + left + right + down) / 4 around (j, i) for the
// inner rows and columns, written as a mask; all else 0.
void shadowOf(const uint8_t* cell, int width, int rows, uint8_t* mask) {
  std::memset(mask, 0, size_t(width * rows * 3));
  for (int i = 1; i <= rows - 2; ++i) {
    const uint8_t* up = cell + (i - 1) * width;
    const uint8_t* mid = cell + i * width;
    const uint8_t* down = cell + (i + 1) * width;
    uint8_t* out = mask + (i + 1) * width * 3;
    for (int j = 1; j <= width - 2; ++j)
      std::memset(out + 3 * j, (up[j] + mid[j - 1] + mid[j + 1] + down[j]) / 4, 3);
  }
}

// The masked blend of one cell row into a surface row at x: the row's groups of 8 bytes through
// the masked-blend primitive (a group whose coverage is all 0 stays as it is); a row reaching
// past either edge of the surface is blended byte by byte over its visible part, by the same
// rule.
void blendCellRow(Surface& surface, int x, int y, const uint8_t* colour, const uint8_t* mask,
                  int bytes) {
  uint8_t* row = surface.row(y);
  const int64_t start = int64_t(x) * 3, end = start + bytes, width = surface.stride();
  if (start >= 0 && end <= width) {
    maskRow(row + start, colour, bytes / 8, mask, row + start);
    return;
  }
  for (int g = 0; g < bytes; g += 8) {
    if (std::all_of(mask + g, mask + g + 8, [](uint8_t m) { return m == 0; })) continue;
    for (int i = g; i < g + 8; ++i) {
      const int64_t at = start + i;
      if (at < 0 || at >= width) continue;
      const int m = mask[i];
      row[at] = uint8_t(std::min(255, row[at] * (255 - m) / 256 + colour[i] * m / 256));
    }
  }
}

void blendCell(Surface& surface, int x, int y, const uint8_t* colour, const uint8_t* mask,
               int stride, int rows) {
  for (int r = 0; r < rows; ++r) {
    if (int64_t(y) + r < 0) continue;
    if (int64_t(y) + r >= surface.height) break;
    blendCellRow(surface, x, y + r, colour, mask + r * stride, stride);
  }
}

// The same over the rows whose bit is set (the others have no coverage and change nothing),
// with the shadow row drawn before the glyph row of each surface row (each surface row takes
// only those two, so the order of the rows does not change a byte). A row wholly inside the
// surface goes straight to the masked-blend kernel.
void blendGlyphRows(Surface& surface, int x, int y, const PreparedGlyph& g, const uint8_t* colour) {
  static const BlendKernels& k = blendKernels();
  const int64_t start = int64_t(x) * 3;
  const bool inside = start >= 0 && start + 3 + kGlyphMaskStride <= surface.stride();
  for (uint64_t rows = g.glyphRows | g.shadowRows; rows != 0; rows &= rows - 1) {
    const int r = __builtin_ctzll(rows);
    if (int64_t(y) + r < 0) continue;
    if (int64_t(y) + r >= surface.height) break;
    const uint8_t* shadow = g.shadow.data() + r * kGlyphMaskStride;
    const uint8_t* glyph = g.glyph.data() + r * kGlyphMaskStride;
    const uint64_t bit = uint64_t(1) << r;
    if (!inside) {
      if (g.shadowRows & bit) blendCellRow(surface, x + 1, y + r, kBlack.data(), shadow, kGlyphMaskStride);
      if (g.glyphRows & bit) blendCellRow(surface, x, y + r, colour, glyph, kGlyphMaskStride);
      continue;
    }
    uint8_t* row = surface.row(y + r) + start;
    if (g.shadowRows & bit) k.maskGroups(row + 3, kBlack.data(), shadow, kGlyphMaskStride / 8, row + 3);
    if (g.glyphRows & bit) k.maskGroups(row, colour, glyph, kGlyphMaskStride / 8, row);
  }
}

uint64_t rowsWithCoverage(const uint8_t* mask, int stride, int rows) {
  uint64_t bits = 0;
  for (int r = 0; r < rows; ++r)
    if (std::any_of(mask + r * stride, mask + (r + 1) * stride, [](uint8_t m) { return m != 0; }))
      bits |= uint64_t(1) << r;
  return bits;
}

const PreparedGlyph kBlankGlyph{};

std::array<uint8_t, 168> whiteRow() {
  std::array<uint8_t, 168> row;
  row.fill(255);
  return row;
}

}  // namespace

// ---- The cache -------------------------------------------------------------------------------

void prepareGlyph(const GlyphCell& cell, PreparedGlyph& out) {
  spreadRows(cell.data(), kGlyphCellWidth, kGlyphCellRows, out.glyph.data());
  shadowOf(cell.data(), kGlyphCellWidth, kGlyphCellRows, out.shadow.data());
  out.glyphRows = rowsWithCoverage(out.glyph.data(), kGlyphMaskStride, kGlyphCellRows);
  out.shadowRows = rowsWithCoverage(out.shadow.data(), kGlyphMaskStride, kGlyphCellRows);
}

GlyphCache::GlyphCache()
    : codes_(kGlyphCacheEntries), cells_(kGlyphCacheEntries), prepared_(kGlyphCacheEntries) {}

int GlyphCache::find(uint32_t code) const {
  for (int i = 0; i < count_; ++i)
    if (codes_[size_t(i)] == code) return i;
  return -1;
}

bool GlyphCache::append(uint32_t code, const GlyphCell& cell) {
  if (full()) return false;
  codes_[size_t(count_)] = code;
  cells_[size_t(count_)] = cell;
  prepareGlyph(cell, prepared_[size_t(count_)]);
  ++count_;
  return true;
}

// ---- Codes -----------------------------------------------------------------------------------

uint32_t glyphCode(const char* bytes) {
  const unsigned char first = static_cast<unsigned char>(bytes[0]);
  if (!isSjisLeadByte(first)) return first;
  return uint32_t(first) << 8 | static_cast<unsigned char>(bytes[1]);
}

bool runTakesSecondByte(unsigned char b) { return isSjisLeadByte(b); }

std::vector<uint32_t> glyphPreloadCodes() {
  std::vector<uint32_t> codes;
  for (uint32_t c = 0x829F; c <= 0x82F1; ++c) codes.push_back(c);  // hiragana
  for (uint32_t c = 0x8340; c <= 0x8396; ++c) codes.push_back(c);  // katakana
  for (uint32_t c = 0x824F; c <= 0x8258; ++c) codes.push_back(c);  // full-width digits
  for (uint32_t c : {0x8140u, 0x8175u, 0x8176u, 0x8169u, 0x816Au, 0x8163u, 0x8142u, 0x8141u,
                     0x8145u, 0x8149u, 0x8148u, 0x93FAu, 0x8177u, 0x8178u})
    codes.push_back(c);
  return codes;
}

// ---- Font and cache building -----------------------------------------------------------------

const std::array<uint32_t, 8> GlyphRenderer::kPalette = {
    0xFFFFFF,  // white
    0x008000,  // green (0, 128, 0)
    0x0000FF,  // red (255, 0, 0)
    0x800080,  // purple (128, 0, 128)
    0x00FFFF,  // yellow (255, 255, 0)
    0xFF0000,  // blue (0, 0, 255)
    0xFFFF00,  // cyan (0, 255, 255)
    0xC0C0C0,  // silver (192, 192, 192)
};

GlyphRenderer::GlyphRenderer(GlyphRasteriser& rasteriser, GlyphContext context)
    : rasteriser_(rasteriser), c_(context), current_(&kBlankGlyph) {}

void GlyphRenderer::setFont(const std::string& face, int points, bool bold) {
  rasteriser_.setFace(face, bold);
  fontPoints_ = points;
}

void GlyphRenderer::setExternalCharacters(const std::string* gaiji, const Surface* picture) {
  gaiji_ = gaiji;
  gaijiPicture_ = picture;
}

void GlyphRenderer::rebuildGlyphCache() {
  cache_.clear();
  const size_t external = gaiji_ ? gaiji_->size() / 2 : 0;
  for (size_t i = 0; i < external; ++i) {
    scratch_.fill(0);
    const Surface* p = gaijiPicture_;
    for (int r = 0; p && r < kGaijiSize && r < p->height; ++r)
      for (int c = 0; c < kGaijiSize && int64_t(kGaijiSize) * int64_t(i) + c < p->width; ++c)
        scratch_[size_t((2 + r) * kGlyphCellWidth + 2 + c)] = *p->at(int(kGaijiSize * i) + c, r);
    cache_.append(glyphCode(gaiji_->data() + 2 * i), scratch_);
  }
  // The preload always rasterises, even while skipping would hold the renderer back.
  for (uint32_t code : glyphPreloadCodes()) {
    if (cache_.find(code) >= 0) continue;
    rasteriser_.setPointSize(fontPoints_);
    if (rasteriseInto(code, scratch_.data(), kGlyphCellWidth, kGlyphCellBytes))
      cache_.append(code, scratch_);
  }
}

// ---- Colours ---------------------------------------------------------------------------------

void GlyphRenderer::selectTextColour(int32_t code) {
  const uint32_t colour = code == 0 ? uint32_t(c_.defaultColour) & 0xFFFFFF : kPalette[size_t(code & 7)];
  if (colour == textColour_) return;
  textColour_ = colour;
  for (size_t i = 0; i < colourRow_.size(); i += 3) {
    colourRow_[i] = uint8_t(colour >> 16);  // blue
    colourRow_[i + 1] = uint8_t(colour >> 8);
    colourRow_[i + 2] = uint8_t(colour);
  }
}

// ---- One character ---------------------------------------------------------------------------

// Rasterises a code into a cleared cell of `cellWidth` bytes a row: the rasteriser's coverage
// at row (ascent - originY + 2 + r), column (originX + c). False when the rasteriser gives
// nothing or its bitmap (rows padded to 4 bytes) would take `cellBytes` or more: the character
// then draws nothing. Parts of a glyph outside the cell are left out.
bool GlyphRenderer::rasteriseInto(uint32_t code, uint8_t* cell, int cellWidth, int cellBytes) {
  std::memset(cell, 0, size_t(cellBytes));
  if (!rasteriser_.rasterise(code, bitmap_)) return false;
  const int64_t size = int64_t((bitmap_.width + 3) & ~3) * bitmap_.height;
  if (size <= 0 || size >= cellBytes) return false;
  const int rows = cellBytes / cellWidth;
  const int top = rasteriser_.ascent() - bitmap_.originY + 2;
  for (int r = 0; r < bitmap_.height; ++r) {
    const int y = top + r;
    if (y < 0 || y >= rows) continue;
    for (int c = 0; c < bitmap_.width; ++c) {
      const int x = bitmap_.originX + c;
      if (x < 0 || x >= cellWidth) continue;
      cell[y * cellWidth + x] = cellOpacity(bitmap_.coverage[size_t(r * bitmap_.width + c)]);
    }
  }
  return true;
}

void GlyphRenderer::rasteriseGlyph(uint32_t code) {
  if (c_.skipLevel == 2) return;
  const int entry = cache_.find(code);
  if (entry >= 0) {
    current_ = &cache_.prepared(entry);
    return;
  }
  rasteriser_.setPointSize(fontPoints_);
  if (!rasteriseInto(code, scratch_.data(), kGlyphCellWidth, kGlyphCellBytes)) {
    current_ = &kBlankGlyph;
    return;
  }
  if (cache_.append(code, scratch_)) {
    current_ = &cache_.prepared(cache_.size() - 1);
    return;
  }
  prepareGlyph(scratch_, uncached_);
  current_ = &uncached_;
}

void GlyphRenderer::drawGlyph(Surface& surface, int x, int y) const {
  if (c_.skipLevel == 2 || y > kLowestGlyphRow || surface.empty()) return;
  blendGlyphRows(surface, x, y, *current_, colourRow_.data());
}

// ---- Text runs -------------------------------------------------------------------------------

// The character whose first byte is at 1-based position p goes to x = p * pitch + x0.
void GlyphRenderer::drawRun(std::string_view text, int64_t x0, int pitch, int y, Surface& surface,
                            int32_t colourCode) {
  selectTextColour(colourCode);
  for (size_t i = 0; i < text.size(); ++i) {
    char bytes[2] = {text[i], 0};
    const int64_t x = int64_t(i + 1) * pitch + x0;
    if (runTakesSecondByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size())
      bytes[1] = text[++i];
    rasteriseGlyph(glyphCode(bytes));
    drawGlyph(surface, int(std::clamp<int64_t>(x, -1000000, 1000000)), y);  // off screen beyond
  }
}

void GlyphRenderer::drawTextRun(std::string_view text, int x0, int y, Surface& surface,
                                int32_t colourCode) {
  drawRun(text, x0, c_.pitchX, y, surface, colourCode);
}

void GlyphRenderer::drawTextRunCentred(std::string_view text, int x0, int y, Surface& surface,
                                       int32_t colourCode) {
  drawTextRunCentredPitch(text, x0, c_.pitchX, surface, colourCode, y);
}

void GlyphRenderer::drawTextRunCentredPitch(std::string_view text, int x0, int pitch,
                                            Surface& surface, int32_t colourCode, int y) {
  const int64_t shift = int64_t(text.size()) * pitch / 2;  // truncates towards zero
  drawRun(text, x0 - shift, pitch, y, surface, colourCode);
}

// ---- Large glyphs ----------------------------------------------------------------------------

void GlyphRenderer::rasteriseLargeGlyph(const char* bytes, int points) {
  if (c_.skipLevel == 2) return;
  rasteriser_.setPointSize(points);
  if (!rasteriseInto(glyphCode(bytes), largeScratch_.data(), kLargeCellWidth, kLargeCellBytes)) {
    largeMask_.fill(0);
    largeShadow_.fill(0);
    return;
  }
  spreadRows(largeScratch_.data(), kLargeCellWidth, kLargeCellRows, largeMask_.data());
  shadowOf(largeScratch_.data(), kLargeCellWidth, kLargeCellRows, largeShadow_.data());
}

void GlyphRenderer::drawLargeGlyph(Surface& surface, int x, int y) const {
  if (c_.skipLevel == 2 || y > kLowestGlyphRow || surface.empty()) return;
  static const std::array<uint8_t, 168> kWhite = whiteRow();
  blendCell(surface, x + 1, y, kBlack.data(), largeShadow_.data(), kLargeMaskStride, kLargeCellRows);
  blendCell(surface, x, y, kWhite.data(), largeMask_.data(), kLargeMaskStride, kLargeCellRows);
}

// ---- Plain text ------------------------------------------------------------------------------

// The system's plain text output: each character's coverage blended straight in, the pen moving
// by the black box's right edge plus one pixel (the font is proportional here, as the system's
// own text output is). The point size is the pixel height at 96 dpi.
int GlyphRenderer::drawPlainText(Surface& surface, std::string_view text, int x, int y,
                                  int pixelHeight, uint32_t colour) {
  rasteriser_.setPointSize((pixelHeight * 72 + 48) / 96);
  const int baseline = y + rasteriser_.ascent();
  const uint8_t rgb[3] = {uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour)};
  int pen = x;
  for (size_t i = 0; i < text.size(); ++i) {
    char bytes[2] = {text[i], 0};
    if (runTakesSecondByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size())
      bytes[1] = text[++i];
    if (!rasteriser_.rasterise(glyphCode(bytes), bitmap_)) continue;
    for (int r = 0; r < bitmap_.height; ++r) {
      const int py = baseline - bitmap_.originY + r;
      if (py < 0 || py >= surface.height) continue;
      for (int c = 0; c < bitmap_.width; ++c) {
        const int px = pen + bitmap_.originX + c;
        if (px < 0 || px >= surface.width) continue;
        const int a = bitmap_.coverage[size_t(r * bitmap_.width + c)] * 4;  // 0..256
        uint8_t* p = surface.at(px, py);
        for (int k = 0; k < 3; ++k) p[k] = uint8_t((p[k] * (256 - a) + rgb[k] * a) >> 8);
      }
    }
    pen += std::max(bitmap_.originX + bitmap_.width, pixelHeight / 2) + 1;
  }
  rasteriser_.setPointSize(fontPoints_);
  return pen;
}

}  // namespace corvid
