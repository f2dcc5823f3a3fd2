#pragma once
// The drawing of choices: the four bar pictures ("sys_sw", "sys_sw2", and "sys_sww",
// "sys_sww2" when the title uses wide bars), the backup surface that keeps the screen as it
// was before a select, and the highlight surface that holds the highlighted look. Bars and
// texts are drawn once, onto the screen and the highlight surface; hovering only copies
// rectangles of them to the display.
//
// The texts go through the glyph renderer's text runs; without one (null) the bars are drawn
// and the texts left out.

#include <array>

#include "gfx/picture_loader.h"
#include "gfx/scene.h"
#include "gfx/surface.h"
#include "gfx/text_runs.h"
#include "script/choice_screen.h"

namespace corvid {

struct ChoiceSurfaces {
  Surface& screen;        // the finished frame
  Surface& display;       // what the player sees
  const Surface& parts;   // the parts picture of "partsload "
  const Surface& partsSecond;  // its second sheet: how a decided region looks
};

class ChoiceDisplay final : public ChoiceScreen {
 public:
  // `presenter` puts the display (or a rectangle of it) on the window.
  ChoiceDisplay(ChoiceSurfaces surfaces, SceneHost& presenter)
      : s_(surfaces), presenter_(presenter) {}

  // Start-up: the backup and highlight surfaces; the bar pictures (the wide ones only when
  // `wideBars`). A bar no archive holds stays missing and is never drawn.
  void allocate();
  void loadBars(PictureLoader& pictures, bool wideBars);
  // A bar from its picture (colour rows over coverage rows); an empty picture leaves it missing.
  void setBar(ChoiceBar bar, const Surface& picture);
  void setTextRuns(TextRuns* runs) { runs_ = runs; }

  const Surface& backup() const { return backup_; }
  const Surface& highlight() const { return highlight_; }

  // ---- ChoiceScreen ------------------------------------------------------------------------
  bool barSize(ChoiceBar bar, int32_t& width, int32_t& height) const override;
  void keepBackup() override;
  void startHighlight() override;
  void drawBar(ChoiceBar bar, int32_t x, int32_t y, bool onHighlight) override;
  void drawCentredText(std::string_view text, int32_t x, int32_t y, int32_t colourCode,
                       bool onHighlight) override;
  void resetTextColour() override;
  void showScreen() override;
  void showHighlight() override;
  void showRect(const ChoiceRect& rect, bool fromHighlight) override;
  void restoreBackup() override;
  bool partsPixel(int32_t x, int32_t y, uint32_t& colour) const override;
  void partsToHighlight(const ChoiceRect& source, int32_t x, int32_t y) override;
  void showDecidedRegion(const ChoiceRect& rect) override;

 private:
  struct Bar {
    bool present = false;
    int32_t width = 0, height = 0;  // as loaded: the coverage rows below the colour rows
    Surface colour, mask;           // the two halves, drawn with clipping
  };
  void loadBar(PictureLoader& pictures, ChoiceBar bar, const char* name);
  void present(const ChoiceRect& rect);

  ChoiceSurfaces s_;
  SceneHost& presenter_;
  TextRuns* runs_ = nullptr;
  Surface backup_;
  Surface highlight_;
  std::array<Bar, 4> bars_;
  Surface loading_;  // a bar picture as it is read
};

}  // namespace corvid
