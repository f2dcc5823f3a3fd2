#include "platform/letterbox.h"

#include <cmath>
#include <cstdint>

namespace corvid {

PixelRect fitPicture(const PixelRect& area, int pictureWidth, int pictureHeight) {
  if (area.w <= 0 || area.h <= 0 || pictureWidth <= 0 || pictureHeight <= 0)
    return {area.x, area.y, 0, 0};
  PixelRect r;
  // Width-bound when the area is relatively wider than the picture is not.
  if (int64_t(area.w) * pictureHeight <= int64_t(area.h) * pictureWidth) {
    r.w = area.w;
    r.h = int(int64_t(area.w) * pictureHeight / pictureWidth);
  } else {
    r.h = area.h;
    r.w = int(int64_t(area.h) * pictureWidth / pictureHeight);
  }
  r.x = area.x + (area.w - r.w) / 2;
  r.y = area.y + (area.h - r.h) / 2;
  return r;
}

bool outputToPicture(const PixelRect& shown, int pictureWidth, int pictureHeight, double ox,
                     double oy, int& px, int& py) {
  if (shown.w <= 0 || shown.h <= 0) {
    px = py = -1;
    return false;
  }
  px = int(std::floor((ox - shown.x) * pictureWidth / shown.w));
  py = int(std::floor((oy - shown.y) * pictureHeight / shown.h));
  return px >= 0 && py >= 0 && px < pictureWidth && py < pictureHeight;
}

void pictureToOutput(const PixelRect& shown, int pictureWidth, int pictureHeight, int px, int py,
                     double& ox, double& oy) {
  ox = shown.x + (px + 0.5) * shown.w / pictureWidth;
  oy = shown.y + (py + 0.5) * shown.h / pictureHeight;
}

}  // namespace corvid
