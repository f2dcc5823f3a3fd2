// Bars, texts and highlights of the choices on the screen, highlight, backup and display
// surfaces.
//
// Sections: start-up; drawing; showing; click maps.

#include "gfx/choice_display.h"

#include <algorithm>

#include "gfx/blend.h"
#include "gfx/picture_draw.h"

namespace corvid {

// ---- Start-up ----------------------------------------------------------------------------------

void ChoiceDisplay::allocate() {
  backup_ = Surface(kScreenWidth, kScreenHeight);
  highlight_ = Surface(kScreenWidth, kScreenHeight);
}

void ChoiceDisplay::loadBars(PictureLoader& pictures, bool wideBars) {
  loadBar(pictures, ChoiceBar::Normal, "sys_sw");
  loadBar(pictures, ChoiceBar::NormalHighlighted, "sys_sw2");
  if (!wideBars) return;
  loadBar(pictures, ChoiceBar::Wide, "sys_sww");
  loadBar(pictures, ChoiceBar::WideHighlighted, "sys_sww2");
}

// A bar is a colour picture with its coverage below it; the halves are kept apart so that a
// bar reaching past the picture's edge is drawn clipped.
void ChoiceDisplay::loadBar(PictureLoader& pictures, ChoiceBar which, const char* name) {
  if (!pictures.loadPicture(name, loading_).ok()) loading_ = Surface();
  setBar(which, loading_);
}

void ChoiceDisplay::setBar(ChoiceBar which, const Surface& picture) {
  Bar& bar = bars_[size_t(which)];
  bar = Bar{};
  if (picture.width < 1 || picture.height < 2) return;
  bar.present = true;
  bar.width = picture.width;
  bar.height = picture.height;
  const int half = picture.height / 2;
  bar.colour = Surface(picture.width, half);
  bar.mask = Surface(picture.width, half);
  copyRect(picture, 0, 0, picture.width, half, bar.colour, 0, 0);
  copyRect(picture, 0, half, picture.width, half, bar.mask, 0, 0);
}

bool ChoiceDisplay::barSize(ChoiceBar which, int32_t& width, int32_t& height) const {
  const Bar& bar = bars_[size_t(which)];
  if (!bar.present) return false;
  width = bar.width;
  height = bar.height;
  return true;
}

// ---- Drawing ----------------------------------------------------------------------------------------

void ChoiceDisplay::keepBackup() { copyFrame(s_.screen, backup_); }

void ChoiceDisplay::startHighlight() { copyFrame(s_.screen, highlight_); }

void ChoiceDisplay::drawBar(ChoiceBar which, int32_t x, int32_t y, bool onHighlight) {
  Bar* bar = &bars_[size_t(which)];
  // Without the wide bars the normal ones stand in.
  if (!bar->present && which == ChoiceBar::Wide) bar = &bars_[size_t(ChoiceBar::Normal)];
  if (!bar->present && which == ChoiceBar::WideHighlighted)
    bar = &bars_[size_t(ChoiceBar::NormalHighlighted)];
  if (!bar->present) return;
  drawMasked(onHighlight ? highlight_ : s_.screen, bar->colour, bar->mask, x, y);
}

void ChoiceDisplay::drawCentredText(std::string_view text, int32_t x, int32_t y,
                                    int32_t colourCode, bool onHighlight) {
  if (!runs_) return;
  runs_->drawTextRunCentred(text, x, y, onHighlight ? highlight_ : s_.screen, colourCode);
}

// A run of no characters selects its colour and draws nothing.
void ChoiceDisplay::resetTextColour() {
  if (runs_) runs_->drawTextRun({}, 0, 0, s_.screen, 0);
}

// ---- Showing ------------------------------------------------------------------------------------------

void ChoiceDisplay::showScreen() {
  copyFrame(s_.screen, s_.display);
  presenter_.present(s_.display);
}

void ChoiceDisplay::showHighlight() {
  copyFrame(highlight_, s_.display);
  presenter_.present(s_.display);
}

void ChoiceDisplay::present(const ChoiceRect& r) {
  presenter_.presentRect(s_.display, r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void ChoiceDisplay::showRect(const ChoiceRect& r, bool fromHighlight) {
  copyRect(fromHighlight ? highlight_ : s_.screen, r.left, r.top, r.right - r.left,
           r.bottom - r.top, s_.display, r.left, r.top);
  present(r);
}

void ChoiceDisplay::restoreBackup() {
  copyFrame(backup_, s_.screen);
  copyFrame(backup_, s_.display);
  presenter_.present(s_.display);
}

// ---- Click maps ---------------------------------------------------------------------------------------

bool ChoiceDisplay::partsPixel(int32_t x, int32_t y, uint32_t& colour) const {
  const Surface& parts = s_.parts;
  if (x < 0 || y < 0 || x >= parts.width || y >= parts.height) return false;
  const uint8_t* p = parts.at(x, y);
  colour = uint32_t(p[2]) | uint32_t(p[1]) << 8 | uint32_t(p[0]) << 16;
  return true;
}

void ChoiceDisplay::partsToHighlight(const ChoiceRect& r, int32_t x, int32_t y) {
  copyRect(s_.parts, r.left, r.top, r.right - r.left, r.bottom - r.top, highlight_, x, y);
}

void ChoiceDisplay::showDecidedRegion(const ChoiceRect& r) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  copyRect(s_.partsSecond, r.left, r.top, w, h, s_.display, r.left, r.top);
  copyRect(s_.partsSecond, r.left, r.top, w, h, s_.screen, r.left, r.top);
  present(r);
}

}  // namespace corvid
