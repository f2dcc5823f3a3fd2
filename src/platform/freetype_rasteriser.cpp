// FreeType over a font file fontconfig found. Sections: the font size; the rasteriser.

#include "platform/freetype_rasteriser.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cstdio>
#include <string>

#include "data/sjis.h"
#include "platform/font_lookup.h"

namespace corvid {

namespace {

// ---- The font size ---------------------------------------------------------------------------
// FONTSIZE is a size in points, as the settings dialog offers it (18 to 23), and the font's em
// in pixels is that size at 96 dots per inch, rounded: 22 points give 29 pixels. A Windows player
// creates its text font from the same point size on a 96 dpi screen, so its glyphs have this em.
// The 32x36 cell fits it: the largest size offered, 23 points, is 31 pixels wide, and the cell's
// rows take the ascent and descent below the two-row top margin.
int pixelsForPoints(int points) { return (points * 96 + 36) / 72; }

// The rasteriser's 8-bit coverage as the 65 levels the renderer takes.
uint8_t coverageLevel(uint8_t c) { return uint8_t((c * 64 + 127) / 255); }

// ---- The rasteriser --------------------------------------------------------------------------

class FreeTypeRasteriser final : public GlyphRasteriser {
 public:
  FreeTypeRasteriser() {
    if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
  }
  ~FreeTypeRasteriser() override {
    if (face_) FT_Done_Face(face_);
    if (library_) FT_Done_FreeType(library_);
  }

  bool setFace(const std::string& name, bool bold) override {
    if (!library_) return false;
    std::string path = findFontFile(name, bold);
    if (path.empty()) path = findFontFile("IPAGothic", bold);
    if (path.empty()) {
      std::fprintf(stderr, "corvid: no font found for \"%s\"; text is not drawn\n", name.c_str());
      return false;
    }
    if (path != path_ || !face_) {
      FT_Face face = nullptr;
      if (FT_New_Face(library_, path.c_str(), 0, &face) != 0) {
        std::fprintf(stderr, "corvid: %s: cannot open the font\n", path.c_str());
        return face_ != nullptr;
      }
      if (face_) FT_Done_Face(face_);
      face_ = face;
      path_ = path;
      pixels_ = 0;
    }
    // A face without a bold cut is made bold the way a Windows player does: outlines widened.
    emboldened_ = bold && !(face_->style_flags & FT_STYLE_FLAG_BOLD);
    if (points_ > 0) applySize();
    return true;
  }

  void setPointSize(int points) override {
    if (points == points_ && pixels_ != 0) return;
    points_ = points;
    applySize();
  }

  int ascent() const override { return ascent_; }

  bool rasterise(uint32_t code, GlyphBitmap& out) override {
    char32_t unicode = 0;
    if (!face_ || pixels_ == 0 || !cp932CodeToUnicode(code, unicode)) return false;
    const FT_UInt index = FT_Get_Char_Index(face_, FT_ULong(unicode));
    if (FT_Load_Glyph(face_, index, FT_LOAD_NO_BITMAP) != 0) return false;
    FT_GlyphSlot slot = face_->glyph;
    if (emboldened_ && slot->format == FT_GLYPH_FORMAT_OUTLINE)
      FT_Outline_EmboldenXY(&slot->outline, std::max(64, pixels_ * 64 / 24), 0);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return false;
    const FT_Bitmap& bitmap = slot->bitmap;
    out.width = int(bitmap.width);
    out.height = int(bitmap.rows);
    out.originX = slot->bitmap_left;
    out.originY = slot->bitmap_top;
    out.coverage.resize(size_t(out.width) * size_t(out.height));
    for (int r = 0; r < out.height; ++r) {
      const unsigned char* src = bitmap.buffer + r * bitmap.pitch;
      for (int c = 0; c < out.width; ++c)
        out.coverage[size_t(r * out.width + c)] = coverageLevel(src[c]);
    }
    return true;
  }

 private:
  void applySize() {
    if (!face_ || points_ <= 0) return;
    pixels_ = pixelsForPoints(points_);
    if (FT_Set_Pixel_Sizes(face_, 0, FT_UInt(pixels_)) != 0) {
      pixels_ = 0;
      return;
    }
    ascent_ = int((face_->size->metrics.ascender + 63) >> 6);
  }

  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
  std::string path_;
  bool emboldened_ = false;
  int points_ = 0;  // the size asked for
  int pixels_ = 0;  // its em in pixels; 0: no size set
  int ascent_ = 0;
};

}  // namespace

std::unique_ptr<GlyphRasteriser> makeFreeTypeRasteriser() {
  return std::make_unique<FreeTypeRasteriser>();
}

}  // namespace corvid
