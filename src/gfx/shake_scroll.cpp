// The shake, the scroll of a large picture and the wipe pattern. Sections: shake; scroll;
// wipeset.

#include <algorithm>

#include "gfx/picture_arguments.h"
#include "gfx/picture_draw.h"
#include "gfx/transitions.h"

namespace corvid {

namespace {

inline constexpr size_t kShakeCommaSearch = 50;  // the commas are looked for this far
inline constexpr int kShakeAmplitudeMax = 800;   // beyond this every frame is black anyway

struct Offset {
  int x, y;
};

// Type 2's eight directions by rand() mod 8, for amplitude a.
Offset shakeDirection(int direction, int a) {
  static constexpr Offset kUnit[8] = {{0, -1}, {1, -1}, {1, 0}, {1, 1},
                                      {0, 1},  {-1, 1}, {-1, 0}, {-1, -1}};
  return {kUnit[direction].x * a, kUnit[direction].y * a};
}

// The field after the n-th "," of `text` that lies within the first `limit` bytes; empty and
// false when there is none.
bool fieldAfterComma(std::string_view text, int n, size_t limit, std::string_view& field) {
  size_t at = 0;
  for (int i = 0; i < n; ++i) {
    const size_t comma = text.substr(0, limit).find(',', at);
    if (comma == std::string_view::npos) return false;
    at = comma + 1;
  }
  field = text.substr(at);
  return true;
}

}  // namespace

// ---- Shake -----------------------------------------------------------------------------------

void Transitions::shake(std::string_view arguments) {
  if (host_.shakesCut()) return;
  const int32_t type = leadingNumber(arguments);
  std::string_view field;
  int amplitude = 20, delay = 50;
  if (fieldAfterComma(arguments, 1, kShakeCommaSearch, field)) amplitude = leadingNumber(field, 20);
  if (fieldAfterComma(arguments, 2, kShakeCommaSearch, field)) delay = leadingNumber(field, 50);
  amplitude = std::min(amplitude, kShakeAmplitudeMax);
  pacer_.pacerStart();
  for (int a = amplitude; a > 0;) {
    const int o = (a & 2) ? a : -a;
    Offset d{0, 0};
    if (type == 0) d = {0, o};
    else if (type == 1) d = {o, 0};
    else if (type == 2) d = shakeDirection(random_.randomValue() % 8, a);
    drawShifted(d.x, d.y);
    presentDisplay();
    a -= 2 * pacer_.pacerWait(delay);
  }
  drawShifted(0, 0);
  presentDisplay();
}

// The screen surface on the display moved by (x, y); the strips it uncovers are black.
void Transitions::drawShifted(int x, int y) {
  if (x != 0 || y != 0) s_.display.fill(0);
  copyRect(s_.screen, 0, 0, kScreenWidth, kScreenHeight, s_.display, x, y);
}

// ---- Scroll ----------------------------------------------------------------------------------

// The 800x600 window at (x, y) of the picture; what lies outside the picture is black.
void Transitions::copyWindow(const Surface& picture, int x, int y, Surface& to) {
  const bool inside = x >= 0 && y >= 0 && x + kScreenWidth <= picture.width &&
                      y + kScreenHeight <= picture.height;
  if (!inside) to.fill(0);
  copyRect(picture, x, y, kScreenWidth, kScreenHeight, to, 0, 0);
}

// A direction outside 0 to 3 has no distance: the picture's top-left window is shown with the
// transition and nothing moves, as for a picture of exactly 800x600.
void Transitions::scroll(std::string_view arguments) {
  const size_t comma = arguments.find(',');
  const std::string_view name = arguments.substr(0, comma);
  std::string_view field;
  const int32_t direction =
      fieldAfterComma(arguments, 1, arguments.size(), field) ? leadingNumber(field) : 0;
  const int32_t period =
      fieldAfterComma(arguments, 2, arguments.size(), field) ? leadingNumber(field) : 0;
  const int32_t transition =
      fieldAfterComma(arguments, 3, arguments.size(), field) ? leadingNumber(field) : 0;

  std::string upper(name);
  upperNameInPlace(upper);
  host_.pictureShown(upper);
  if (!pictures_.loadPicture(name, picture_).ok()) return;
  host_.setScrolling(true);

  const int overW = picture_.width - kScreenWidth, overH = picture_.height - kScreenHeight;
  int x0 = 0, y0 = 0, dx = 0, dy = 0, distance = 0;
  switch (direction) {
    case 0: y0 = overH; dy = -1; distance = overH; break;  // from the bottom up
    case 1: dx = 1; distance = overW; break;               // from the left to the right
    case 2: dy = 1; distance = overH; break;               // from the top down
    case 3: x0 = overW; dx = -1; distance = overW; break;  // from the right to the left
    default: break;
  }
  distance = std::max(distance, 0);

  copyFrame(s_.screen, s_.work);
  copyWindow(picture_, x0, y0, s_.screen);
  runTransition(transition);

  pacer_.pacerStart();
  host_.raiseEffectFlags();
  for (int i = 0; i < distance;) {
    copyWindow(picture_, x0 + i * dx, y0 + i * dy, s_.display);
    presentDisplay();
    if (!host_.pumpMessages() || host_.effectRequest() != 0) break;
    i += pacer_.pacerWait(period);
  }
  host_.lowerEffectFlags();
  host_.setScrolling(false);
  copyWindow(picture_, x0 + distance * dx, y0 + distance * dy, s_.screen);
  showScreen();
  host_.refreshMenus();
  host_.redrawSpeedIndicator();
}

// ---- Wipeset ---------------------------------------------------------------------------------

// A pattern of another size is laid at the top left of the 800x600 pattern, black elsewhere;
// a picture no archive holds leaves the pattern as it was.
void Transitions::wipeset(std::string_view name) {
  if (!pictures_.loadPicture(name, picture_).ok()) return;
  if (s_.wipePattern.width != kScreenWidth || s_.wipePattern.height != kScreenHeight)
    s_.wipePattern = Surface(kScreenWidth, kScreenHeight);
  copyFrame(picture_, s_.wipePattern);
}

}  // namespace corvid
