// The drawn text window. Sections: drawing helpers; construction and pictures; the message
// stream; the window commands and fades; the scene; the click-wait mark.

#include "gfx/text_window.h"

#include <algorithm>

#include "gfx/blend.h"
#include "gfx/picture_draw.h"
#include "script/variables.h"

namespace corvid {

namespace {

constexpr uint32_t kHistoryNameColour = 0x00FFFF;  // (255, 255, 0): a past page's speaker
constexpr int kRubyHeight = 9;                      // pixels
constexpr uint32_t kWindowFadePeriodMs = 10;
constexpr int kWindowFadeStep = 8;
constexpr int kBackdropFadeStep = 24;  // the full-screen backdrop's cross-fade
constexpr uint32_t kBackdropFadePeriodMs = 40;
constexpr int kLowestMarkRow = 599;  // the full-screen mark must end above this row

// ---- Drawing helpers -------------------------------------------------------------------------

// The masked blend of `bytes` bytes: whole groups of 8 by the masked-blend primitive (a group
// of zero coverage stays as it is), the bytes after the last group by
// (dest * (255 - m) + colour * m) >> 8, as the masked picture draw does.
void blendBytes(uint8_t* dest, const uint8_t* colour, const uint8_t* mask, int bytes) {
  const int groups = bytes / 8;
  if (groups) maskRow(dest, colour, groups, mask, dest);
  for (int i = groups * 8; i < bytes; ++i)
    dest[i] = uint8_t((dest[i] * (255 - mask[i]) + colour[i] * mask[i]) >> 8);
}

// A row of one colour, `pixels` wide.
void fillColourRow(std::vector<uint8_t>& row, int pixels, uint8_t r, uint8_t g, uint8_t b) {
  row.resize(size_t(std::max(pixels, 0)) * 3);
  for (size_t i = 0; i + 2 < row.size(); i += 3) {
    row[i] = b;
    row[i + 1] = g;
    row[i + 2] = r;
  }
}

bool holdsRect(const Surface& s, int64_t x, int64_t y, int64_t w, int64_t h) {
  return x >= 0 && y >= 0 && w > 0 && h > 0 && x + w <= s.width && y + h <= s.height;
}

// A position from configured values, which a title may give out of all proportion: worked out
// wide and held to a range that cannot overflow the drawing (anything there is off screen).
int at(int64_t v) { return int(std::clamp<int64_t>(v, -1000000, 1000000)); }

// The window surfaces are at most the screen's size.
int widthOf(int32_t w) { return std::clamp(w, 0, kScreenWidth); }
int heightOf(int32_t h) { return std::clamp(h, 0, kScreenHeight); }

}  // namespace

// ---- Construction and pictures -------------------------------------------------------------

TextWindow::TextWindow(const GameConfig& config, VariableSpaces& vars, MessageLog& log,
                       const int32_t& skipLevel, GlyphRenderer& glyphs, PictureLoader& pictures,
                       TextWindowSurfaces surfaces, SceneHost& host, TextWindowFlags flags)
    : GridTextSink(config, vars, log, skipLevel),
      glyphs_(glyphs),
      pictures_(pictures),
      s_(surfaces),
      host_(host),
      flags_(flags) {}

void TextWindow::loadPictures(const WindowColours& colours) {
  if (config_.npType == 1) pictures_.loadPicture("sys_np", platePicture_);
  const int w = widthOf(config_.txwSizeX), h = heightOf(config_.txwSizeY);
  strip_ = Surface(w, h);
  stripCopy_ = Surface(w, h);
  backdrop_ = Surface(kScreenWidth, kScreenHeight);
  savedScreen_ = Surface(kScreenWidth, kScreenHeight);
  plateBase_ = Surface(widthOf(config_.npSzX), heightOf(config_.npSzY));
  plateBuffer_ = plateBase_;
  clickScratch_ = Surface(widthOf(config_.clickWaitSizeX), heightOf(config_.clickWaitSizeY));
  tintWindowPicture(colours);
  pictures_.loadPicture("sys_clickw", clickFrames_);
}

void TextWindow::tintWindowPicture(const WindowColours& colours) {
  pictures_.loadPicture("sys_tw", windowPicture_);
  pictures_.loadPicture("sys_tw1", tintMask_);
  stripValid_ = false;
  const int h = heightOf(config_.txwSizeY);
  const Surface& pic = windowPicture_;
  // The tint applies where picture and mask both have the rows and columns it needs.
  if (h <= 0 || pic.height < 2 * h || tintMask_.height < h || tintMask_.width < pic.width) return;
  std::vector<uint8_t> towards;
  const bool recolour = colours.r != config_.txwColorR || colours.g != config_.txwColorG ||
                        colours.b != config_.txwColorB;
  if (recolour) {
    fillColourRow(towards, pic.width, uint8_t(colours.r), uint8_t(colours.g), uint8_t(colours.b));
    for (int r = 0; r < h; ++r)
      blendBytes(windowPicture_.row(r), towards.data(), tintMask_.row(r), pic.stride());
  }
  if (colours.a != config_.txwAlpha) {
    const uint8_t a = uint8_t(colours.a);
    fillColourRow(towards, pic.width, a, a, a);
    for (int r = 0; r < h; ++r)
      blendBytes(windowPicture_.row(h + r), towards.data(), tintMask_.row(r), pic.stride());
  }
  backdropDarkening_ = colours.a2;
}

// ---- The message stream ----------------------------------------------------------------------

void TextWindow::characterPlaced(const char* bytes, int width) {
  const bool fullScreen = fullScreenText();
  const int x = fullScreen ? at(int64_t(cursor_.column) * config_.tx2PitchX + config_.tx2OfsX)
                           : at(int64_t(cursor_.column) * config_.txPitchX);
  const int y = fullScreen ? at(int64_t(cursor_.row) * config_.tx2PitchY + config_.tx2OfsY)
                           : at(int64_t(cursor_.row) * config_.txPitchY);
  // The renderer's colour may have been taken by another screen's text since the last tag.
  glyphs_.selectTextColour(cursor_.colourCode);
  const char pair[2] = {bytes[0], width == 2 ? bytes[1] : '\0'};
  drawCharacterAt(glyphCode(pair), x, y);
}

void TextWindow::drawCharacterAt(uint32_t code, int x, int y) {
  glyphs_.rasteriseGlyph(code);
  grid_.empty = false;
  if (!fullScreenText()) {
    x = at(int64_t(x) + originX() + config_.txOfsX);
    y = at(int64_t(y) + originY() + config_.txOfsY);
  }
  showGlyphAt(x, y);
}

// Only the character's own 32x36 rectangle reaches the display.
void TextWindow::showGlyphAt(int x, int y) {
  glyphs_.drawGlyph(s_.screen, x, y);
  copyRect(s_.screen, x, y, kGlyphCellWidth, kGlyphCellRows, s_.display, x, y);
  showRect(x, y, kGlyphCellWidth, kGlyphCellRows);
}

void TextWindow::pageBegun(bool wasShown) {
  eraseClickWait();
  if (fullScreenText()) {
    if (!wasShown) {
      copyFrame(s_.screen, savedScreen_);
      copyFrame(backdrop_, s_.screen);
      if (skipLevel_ == 0) fade(savedScreen_, s_.screen, kBackdropFadeStep, kBackdropFadePeriodMs);
    } else {
      copyFrame(backdrop_, s_.screen);
    }
    copyFrame(s_.screen, s_.display);
    showAll();
    return;
  }
  // A page before any scene change has no strip yet: it is composed over the stage as it is.
  if (!stripValid_) composeTextWindow();
  if (!wasShown) {
    restoreTextWindow();
    copyFrame(s_.screen, s_.display);
    showAll();
    return;
  }
  pasteStrip(s_.display);
  pasteStrip(s_.screen);
  showRect(originX(), originY(), strip_.width, strip_.height);
  if (config_.npType != 1) return;
  const int px = at(int64_t(originX()) + config_.npOfsX), py = at(int64_t(originY()) + config_.npOfsY);
  copyRect(plateBase_, 0, 0, plateBase_.width, plateBase_.height, s_.display, px, py);
  copyRect(plateBase_, 0, 0, plateBase_.width, plateBase_.height, s_.screen, px, py);
  showRect(px, py, plateBase_.width, plateBase_.height);
}

void TextWindow::drawNamePlate(std::string_view name) {
  GridTextSink::drawNamePlate(name);
  if (host_.historyOpen()) vars_.S[37] = int32_t(kHistoryNameColour);
  if (skipLevel_ == 2 || plateBuffer_.empty() || (config_.npType != 0 && config_.npType != 1)) return;
  copyFrame(plateBase_, plateBuffer_);
  // A page without a speaker keeps the bare base: no empty plate is shown.
  if (!name.empty()) {
    if (config_.npType == 1) {
      if (!platePicture_.empty()) drawStacked(plateBuffer_, platePicture_, 0, 0);
      glyphs_.drawTextRun(name, 32, 6, plateBuffer_, 0);
    } else {
      glyphs_.drawTextRun(name, 4, 6, plateBuffer_, 0);
    }
  }
  const int px = at(int64_t(originX()) + config_.npOfsX), py = at(int64_t(originY()) + config_.npOfsY);
  copyRect(plateBuffer_, 0, 0, plateBuffer_.width, plateBuffer_.height, s_.screen, px, py);
  copyRect(plateBuffer_, 0, 0, plateBuffer_.width, plateBuffer_.height, s_.display, px, py);
  showRect(px, py, plateBuffer_.width, plateBuffer_.height);
}

// Ruby in white at 9 pixels, by the plain text output, over the character that follows it.
void TextWindow::drawRuby(std::string_view text) {
  GridTextSink::drawRuby(text);
  const bool fullScreen = fullScreenText();
  const int maximum = fullScreen ? config_.mojiMax2X : config_.mojiMaxX;
  int column = cursor_.column, row = cursor_.row;
  if (column == 0) column = 2;
  if (column == maximum) {
    column = 2;
    ++row;
  }
  const int x = at(int64_t(column) * (fullScreen ? config_.tx2PitchX : config_.txPitchX) +
                   (fullScreen ? int64_t(config_.tx2OfsX) : int64_t(config_.txOfsX) + originX()) + 3);
  const int y = at(int64_t(row) * (fullScreen ? config_.tx2PitchY : config_.txPitchY) +
                   (fullScreen ? int64_t(config_.tx2OfsY) : int64_t(config_.txOfsY) + originY()) - 7);
  if (skipLevel_ == 2 || text.empty()) return;
  const int right = glyphs_.drawPlainText(s_.screen, text, x, y, kRubyHeight, 0xFFFFFF);
  copyRect(s_.screen, x, y, right - x, kRubyHeight + 4, s_.display, x, y);
  showRect(x, y, right - x, kRubyHeight + 4);
}

// ---- The window commands and fades -------------------------------------------------------------

void TextWindow::fade(const Surface& from, const Surface& to, int step, uint32_t periodMs) {
  host_.raiseBusy();
  flags_.effectRunning = true;
  flags_.effectRequest = 0;
  FramePacer pacer(host_);
  pacer.pacerStart();
  for (int level = 0; level < 256;) {
    blendSurfaces(to, from, level, s_.display);
    showAll();
    if (flags_.effectRequest != 0) break;
    const int periods = pacer.pacerWait(int32_t(periodMs));
    if (!pacer.windowOpen()) break;
    level += step * periods;
  }
  flags_.effectRunning = false;
  host_.lowerBusy();
}

void TextWindow::openTextWindow() {
  if (shown_) return;
  copyFrame(s_.screen, savedScreen_);
  shown_ = true;
  refreshTextWindow();
  if (skipLevel_ == 0) fade(savedScreen_, s_.screen, kWindowFadeStep, kWindowFadePeriodMs);
  copyFrame(s_.screen, s_.display);
  showAll();
  grid_.empty = true;
}

void TextWindow::closeTextWindow() {
  if (shown_) {
    if (skipLevel_ == 0) fade(s_.screen, s_.stage, kWindowFadeStep, kWindowFadePeriodMs);
    copyFrame(s_.stage, s_.display);
    copyFrame(s_.stage, s_.screen);
    showAll();
    iconShown_ = false;
  }
  GridTextSink::closeTextWindow();
}

void TextWindow::setTextMode(int32_t mode) {
  stripValid_ = false;
  const int32_t before = vars_.S[160];
  GridTextSink::setTextMode(mode);
  if (vars_.S[160] == before) return;
  if (vars_.S[160] == 1) refreshTextWindow();
  if (refreshScreen_) refreshScreen_(6);
}

void TextWindow::toggleWindowPosition(bool toggle) {
  if (!toggle) return;
  vars_.S[79] = vars_.S[79] == 0 ? 1 : 0;
  stripValid_ = false;
  refreshTextWindow();
  if (refreshScreen_) refreshScreen_(1);
}

// ---- The scene -------------------------------------------------------------------------------

void TextWindow::composeTextWindow() {
  if (!fullScreenText() && stripValid_) {
    copyFrame(stripCopy_, strip_);
    return;
  }
  if (fullScreenText()) {
    darkenSurface(s_.stage, backdrop_, 255 - std::clamp(backdropDarkening_, 0, 255));
    return;
  }
  if (strip_.empty()) return;
  copyRect(s_.stage, originX(), originY(), strip_.width, strip_.height, strip_, 0, 0);
  if (!windowPicture_.empty()) drawStacked(strip_, windowPicture_, 0, 0);
  copyFrame(strip_, stripCopy_);
  captureNamePlateBase();
  stripValid_ = true;
}

// NP_TYPE 0 plates lie inside the window: their base comes from the strip. NP_TYPE 1 plates may
// lie outside it: their base is the stage with the strip over it.
void TextWindow::captureNamePlateBase() {
  if (plateBase_.empty()) return;
  const int x = config_.npOfsX, y = config_.npOfsY;
  if (config_.npType == 0) {
    copyRect(strip_, x, y, plateBase_.width, plateBase_.height, plateBase_, 0, 0);
    return;
  }
  copyRect(s_.stage, at(int64_t(originX()) + x), at(int64_t(originY()) + y), plateBase_.width, plateBase_.height, plateBase_,
           0, 0);
  copyRect(strip_, 0, 0, strip_.width, strip_.height, plateBase_, at(-int64_t(x)), at(-int64_t(y)));
}

void TextWindow::pasteStrip(Surface& onto) {
  copyRect(strip_, 0, 0, strip_.width, strip_.height, onto, originX(), originY());
}

void TextWindow::restoreTextWindow() {
  if (!shown_) return;
  if (fullScreenText()) copyFrame(backdrop_, s_.screen);
  else pasteStrip(s_.screen);
  redrawText();
}

void TextWindow::refreshTextWindow() {
  if (!fullScreenText()) copyFrame(s_.stage, s_.screen);
  composeTextWindow();
  restoreTextWindow();
}

void TextWindow::redrawText() {
  if (grid_.empty) return;
  glyphs_.selectTextColour(0);
  if (fullScreenText()) {
    drawCharacterRows(0, config_.mojiMax2Y, config_.mojiMax2X + 2, config_.tx2OfsX,
                      config_.tx2OfsY, config_.tx2PitchX, config_.tx2PitchY);
  } else {
    drawNamePlate(grid_.rowText(0));
    drawCharacterRows(1, config_.mojiMaxY - 1, config_.mojiMaxX + 2,
                      at(int64_t(originX()) + config_.txOfsX), at(int64_t(originY()) + config_.txOfsY), config_.txPitchX,
                      config_.txPitchY);
  }
  glyphs_.selectTextColour(cursor_.colourCode);
}

// Rows from `firstRow`, `columns` columns each, clamped to the grid.
void TextWindow::drawCharacterRows(int firstRow, int rows, int columns, int baseX, int baseY,
                                   int pitchX, int pitchY) {
  int32_t previous = 0;
  const int lastRow = std::min(firstRow + rows, kRows);
  columns = std::clamp(columns, 0, kColumns);
  for (int r = firstRow; r < lastRow; ++r) {
    const auto& row = grid_.characters[size_t(r)];
    for (int c = 0; c < columns; ++c) {
      const unsigned char b = static_cast<unsigned char>(row[size_t(c)]);
      if (b == 0) continue;
      const char pair[2] = {char(b), runTakesSecondByte(b) && c + 1 < kColumns ? row[size_t(c) + 1] : '\0'};
      const int32_t colour = grid_.colours[size_t(r)][size_t(c)];
      if (colour != previous) glyphs_.selectTextColour(colour);
      previous = colour;
      const int x = at(int64_t(c) * pitchX + baseX), y = at(int64_t(r) * pitchY + baseY);
      glyphs_.rasteriseGlyph(glyphCode(pair));
      showGlyphAt(x, y);
      if (runTakesSecondByte(b)) ++c;
    }
  }
}

void TextWindow::showRect(int x, int y, int w, int h) { host_.presentRect(s_.display, x, y, w, h); }

void TextWindow::showAll() { host_.present(s_.display); }

// ---- The click-wait mark ---------------------------------------------------------------------

void TextWindow::animateClickWait() {
  if (skipLevel_ != 0) return;
  eraseClickWait();
  ++clickCounter_;
  const int w = clickScratch_.width, h = clickScratch_.height;
  if (config_.clickWaitPat <= 0 || clickScratch_.empty()) return;
  const int shift = std::clamp(config_.clickWaitTiming, 0, 31);
  const int frame = int((uint32_t(clickCounter_) >> shift) % uint32_t(config_.clickWaitPat));
  int x = at(int64_t(originX()) + config_.clickWaitOfsX);
  int y = at(int64_t(originY()) + config_.clickWaitOfsY);
  if (fullScreenText()) {
    x = at(int64_t(cursor_.column) * config_.tx2PitchX + config_.tx2OfsX);
    y = at(int64_t(cursor_.row) * config_.tx2PitchY + config_.tx2OfsY);
    if (y + h > kLowestMarkRow) return;
  }
  copyRect(s_.screen, x, y, w, h, clickScratch_, 0, 0);
  // The frame's colour at (frame * w, 0), its coverage h rows below.
  if (holdsRect(clickFrames_, int64_t(frame) * w, 0, w, 2 * int64_t(h)))
    for (int r = 0; r < h; ++r)
      blendBytes(clickScratch_.row(r), clickFrames_.at(frame * w, r),
                 clickFrames_.at(frame * w, h + r), w * 3);
  copyRect(clickScratch_, 0, 0, w, h, s_.display, x, y);
  showRect(x, y, w, h);
  iconShown_ = true;
  iconX_ = x;
  iconY_ = y;
}

void TextWindow::eraseClickWait() {
  if (!iconShown_) return;
  const int w = clickScratch_.width, h = clickScratch_.height;
  copyRect(s_.screen, iconX_, iconY_, w, h, s_.display, iconX_, iconY_);
  showRect(iconX_, iconY_, w, h);
  iconShown_ = false;
}

}  // namespace corvid
