#pragma once
// What the choices draw with and what they ask of the engine. The presentation implements
// ChoiceScreen over the screen, backup, highlight and display surfaces and the bar pictures
// (gfx/choice_display.h); the engine implements ChoiceHost.

#include <cstdint>
#include <string_view>

#include "script/choice_blocks.h"

namespace corvid {

// The four bar pictures, each a colour picture with its coverage below it (height 2 h).
enum class ChoiceBar { Normal, NormalHighlighted, Wide, WideHighlighted };  // sys_sw, sys_sw2, sys_sww, sys_sww2

class ChoiceScreen {
 public:
  virtual ~ChoiceScreen() = default;

  // The size of a bar picture as loaded (the coverage rows included); false when it is missing.
  virtual bool barSize(ChoiceBar bar, int32_t& width, int32_t& height) const = 0;

  // The screen surface copied to the backup surface / to the highlight surface.
  virtual void keepBackup() = 0;
  virtual void startHighlight() = 0;
  // A bar with its coverage at (x, y) of the screen surface or of the highlight surface. A
  // missing bar draws nothing.
  virtual void drawBar(ChoiceBar bar, int32_t x, int32_t y, bool onHighlight) = 0;
  // A text centred on x (the glyph renderer's centred run) at row y, with a colour code.
  virtual void drawCentredText(std::string_view text, int32_t x, int32_t y, int32_t colourCode,
                               bool onHighlight) = 0;
  // The text colour of colour code 0 selected again for the text that follows.
  virtual void resetTextColour() = 0;

  // To the display: the whole screen surface, the whole highlight surface, or one rectangle of
  // either.
  virtual void showScreen() = 0;
  virtual void showHighlight() = 0;
  virtual void showRect(const ChoiceRect& rect, bool fromHighlight) = 0;
  // The backup surface back onto the screen surface and the display.
  virtual void restoreBackup() = 0;

  // Click maps: the parts picture's pixel (0x00BBGGRR; false outside it); a rectangle of the
  // parts picture onto the highlight surface at (x, y); a decided region's rectangle from the
  // second parts sheet onto the display and the screen surface.
  virtual bool partsPixel(int32_t x, int32_t y, uint32_t& colour) const = 0;
  virtual void partsToHighlight(const ChoiceRect& source, int32_t x, int32_t y) = 0;
  virtual void showDecidedRegion(const ChoiceRect& rect) = 0;
};

class ChoiceHost {
 public:
  virtual ~ChoiceHost() = default;
  // busyCount: raised while the bars are drawn and a decided bar blinks.
  virtual void raiseBusy() = 0;
  virtual void lowerBusy() = 0;
  virtual bool skipping() const = 0;
  // A system sound ("SSE02") through the voice channel; the decision sound by
  // playVoiceOrSound (a voice, else a sound effect of that name).
  virtual void playSystemSound(std::string_view name) = 0;
  virtual void playVoiceOrSound(std::string_view name) = 0;
  // The last mouse position seen on the picture.
  virtual void mousePosition(int32_t& x, int32_t& y) const = 0;
  // The text cursor's row (full-screen choices are placed from it).
  virtual int32_t textCursorRow() const = 0;
  // The bar's blink waits this long between copies.
  virtual void sleep(uint32_t ms) = 0;
  // The mouse-cursor shape over the click map (0 the default, else c + 29 of a colour region).
  virtual void setCursorShape(int32_t shape) {}
  // A malformed construct that was handled silently (for the trace of title authors).
  virtual void problem(std::string_view what, std::string_view text) {}
};

}  // namespace corvid
