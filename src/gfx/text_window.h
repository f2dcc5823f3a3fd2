#pragma once
// The drawn text window: the layout of GridTextSink, with every placed character drawn through
// the glyph renderer, the window strip composed from the window picture over the stage, the
// darkened backdrop of full-screen text mode, the name plate, ruby, the animated click-wait
// mark, and the fades of win_open and win_close.
//
// Sections: construction and pictures; the message stream (TextSink); the scene (compose,
// restore, refresh, redraw); the click-wait mark; what tests read.
//
// The window's origin is (TXW_OFS_X, TXW_OFS_Y), or (TXW_OFS_X, TXW_OFS_Y2) while S79 is 1.

#include <cstdint>
#include <functional>
#include <string_view>

#include "data/game_config.h"
#include "gfx/glyph_renderer.h"
#include "gfx/picture_loader.h"
#include "gfx/scene.h"
#include "gfx/surface.h"
#include "script/text_sink.h"
#include "script/variables.h"

namespace corvid {

struct TextWindowSurfaces {
  Surface& stage;    // the scene without the window
  Surface& screen;   // the finished frame
  Surface& display;  // what the player sees; presented through the host
};

// The engine guards a window fade raises: a click while effectRunning sets effectRequest,
// which ends the fade at once.
struct TextWindowFlags {
  bool& effectRunning;
  int32_t& effectRequest;
};

// The player's window colour and opacity (TXBG_R, _G, _B, _A) and the darkening of the stage in
// full-screen text mode (TXBG_A2), 0..255 each.
struct WindowColours {
  int32_t r = 0, g = 0, b = 0, a = 0, a2 = 0;
};

class TextWindow final : public GridTextSink {
 public:
  TextWindow(const GameConfig& config, VariableSpaces& vars, MessageLog& log,
             const int32_t& skipLevel, GlyphRenderer& glyphs, PictureLoader& pictures,
             TextWindowSurfaces surfaces, SceneHost& host, TextWindowFlags flags);

  // ---- Construction and pictures -----------------------------------------------------------
  // The screen refresh with transition n (the scene change); the mode command and the position
  // toggle end with one.
  void setScreenRefresh(std::function<void(int)> refresh) { refreshScreen_ = std::move(refresh); }
  // Start-up: "sys_np" (NP_TYPE 1), the window surfaces in the configured sizes, the window
  // pictures (tinted), "sys_clickw".
  void loadPictures(const WindowColours& colours);
  // "sys_tw" and "sys_tw1" loaded again and, where the player's colour or opacity differ from
  // the configured ones, the picture blended towards them through "sys_tw1".
  void tintWindowPicture(const WindowColours& colours);

  // ---- The message stream and the window commands (TextSink) -----------------------------
  void drawNamePlate(std::string_view name) override;
  void drawRuby(std::string_view text) override;
  void openTextWindow() override;
  void closeTextWindow() override;
  void setTextMode(int32_t mode) override;

  // ---- The scene -----------------------------------------------------------------------------
  // The stage changed: the kept strip no longer matches it.
  void invalidateStrip() { stripValid_ = false; }
  // The window strip blended over the stage (window mode) or the darkened backdrop (full-screen
  // text mode), and the name plate's base captured.
  void composeTextWindow();
  // While shown: the strip (or the backdrop) pasted onto the screen surface and the text drawn
  // again.
  void restoreTextWindow();
  // The stage on the screen surface (window mode), composed and restored.
  void refreshTextWindow();
  // The page's characters (and the name plate) drawn again from the grid.
  void redrawText();
  // toggle: S79 0 <-> 1, the window moved and the screen refreshed; without, nothing to do (the
  // origin follows S79).
  void toggleWindowPosition(bool toggle);

  // ---- The click-wait mark -------------------------------------------------------------------
  // One 55 ms tick of the mark while a click is awaited.
  void animateClickWait();
  // The mark's rectangle put back from the screen surface (before a click or wheel acts).
  void eraseClickWait();

  // ---- What tests read -----------------------------------------------------------------------
  int originX() const { return config_.txwOfsX; }
  int originY() const { return vars_.S[79] == 1 ? config_.txwOfsY2 : config_.txwOfsY; }
  const Surface& strip() const { return strip_; }
  const Surface& windowPicture() const { return windowPicture_; }
  bool clickWaitShown() const { return iconShown_; }
  int32_t clickWaitCounter() const { return clickCounter_; }

 protected:
  void characterPlaced(const char* bytes, int width) override;
  void pageBegun(bool wasShown) override;
  void colourSelected(int32_t code) override { glyphs_.selectTextColour(code); }

 private:
  void drawCharacterAt(uint32_t code, int x, int y);
  void showGlyphAt(int x, int y);
  void drawCharacterRows(int firstRow, int rows, int columns, int baseX, int baseY, int pitchX,
                         int pitchY);
  void captureNamePlateBase();
  void pasteStrip(Surface& onto);
  void showRect(int x, int y, int w, int h);
  void showAll();
  // The display from `from` to `to`: `step` weight a period of `periodMs` until full.
  void fade(const Surface& from, const Surface& to, int step, uint32_t periodMs);

  GlyphRenderer& glyphs_;
  PictureLoader& pictures_;
  TextWindowSurfaces s_;
  SceneHost& host_;
  TextWindowFlags flags_;
  std::function<void(int)> refreshScreen_;

  Surface windowPicture_;  // "sys_tw": colour rows over coverage rows, tinted
  Surface tintMask_;       // "sys_tw1"
  Surface strip_;          // TXW_SIZE_X x TXW_SIZE_Y: the window over the stage
  Surface stripCopy_;      // the strip as last composed
  bool stripValid_ = false;
  Surface backdrop_;       // the darkened stage of full-screen text mode
  int32_t backdropDarkening_ = 0;  // TXBG_A2, 0..255
  Surface savedScreen_;    // the screen before a window fade
  Surface platePicture_;   // "sys_np"
  Surface plateBase_;      // NP_SZ_X x NP_SZ_Y: what lies under the plate
  Surface plateBuffer_;
  Surface clickFrames_;    // "sys_clickw": frames side by side over their coverage
  Surface clickScratch_;
  int32_t clickCounter_ = 0;  // timer ticks the mark has been animated
  bool iconShown_ = false;
  int iconX_ = 0, iconY_ = 0;
};

}  // namespace corvid
