#include "gfx/picture_draw.h"

#include <algorithm>
#include <cstring>

namespace corvid {

namespace {

// The part of a w x h rectangle from (sx, sy) of `from` that lands inside `to` at (x, y) and
// lies inside `from`. False when nothing remains.
struct Clip {
  int64_t sx, sy, x, y, w, h;
};

bool clipRect(const Surface& from, const Surface& to, Clip& c) {
  if (c.sx < 0) { c.x -= c.sx; c.w += c.sx; c.sx = 0; }
  if (c.sy < 0) { c.y -= c.sy; c.h += c.sy; c.sy = 0; }
  if (c.x < 0) { c.sx -= c.x; c.w += c.x; c.x = 0; }
  if (c.y < 0) { c.sy -= c.y; c.h += c.y; c.y = 0; }
  c.w = std::min({c.w, int64_t(from.width) - c.sx, int64_t(to.width) - c.x});
  c.h = std::min({c.h, int64_t(from.height) - c.sy, int64_t(to.height) - c.y});
  return c.w > 0 && c.h > 0;
}

bool wellFormed(const Surface& s) {
  return s.width >= 0 && s.height >= 0 &&
         s.pixels.size() == size_t(s.width) * size_t(s.height) * 3;
}

}  // namespace

void resizeSurface(Surface& s, int width, int height) {
  s.width = width;
  s.height = height;
  s.pixels.resize(size_t(width) * size_t(height) * 3);
}

void copyFrame(const Surface& from, Surface& to) {
  if (!wellFormed(from) || !wellFormed(to)) return;
  if (from.width == to.width && from.height == to.height) {
    std::copy(from.pixels.begin(), from.pixels.end(), to.pixels.begin());
    return;
  }
  const int rows = std::min(from.height, to.height);
  const size_t bytes = size_t(std::min(from.width, to.width)) * 3;
  for (int y = 0; y < to.height; ++y) {
    uint8_t* d = to.row(y);
    size_t copied = 0;
    if (y < rows && bytes > 0) {
      std::memcpy(d, from.row(y), bytes);
      copied = bytes;
    }
    std::memset(d + copied, 0, size_t(to.stride()) - copied);
  }
}

void copyRect(const Surface& from, int sx, int sy, int w, int h, Surface& to, int x, int y) {
  Clip c{sx, sy, x, y, w, h};
  if (!wellFormed(from) || !wellFormed(to) || !clipRect(from, to, c)) return;
  for (int64_t r = 0; r < c.h; ++r)
    std::memcpy(to.at(int(c.x), int(c.y + r)), from.at(int(c.sx), int(c.sy + r)), size_t(c.w) * 3);
}

void copyRectKeyed(const Surface& from, int sx, int sy, int w, int h, Surface& to, int x,
                   int y, uint32_t key) {
  Clip c{sx, sy, x, y, w, h};
  if (!wellFormed(from) || !wellFormed(to) || !clipRect(from, to, c)) return;
  const uint8_t kb = uint8_t(key >> 16), kg = uint8_t(key >> 8), kr = uint8_t(key);
  for (int64_t r = 0; r < c.h; ++r) {
    const uint8_t* s = from.at(int(c.sx), int(c.sy + r));
    uint8_t* d = to.at(int(c.x), int(c.y + r));
    for (int64_t i = 0; i < c.w; ++i, s += 3, d += 3) {
      if (s[0] == kb && s[1] == kg && s[2] == kr) continue;
      d[0] = s[0];
      d[1] = s[1];
      d[2] = s[2];
    }
  }
}

void splitSideBySide(const Surface& picture, Surface& colour, Surface& mask) {
  if (!wellFormed(picture)) return;
  const int half = picture.width / 2;
  resizeSurface(colour, half, picture.height);
  resizeSurface(mask, half, picture.height);
  const size_t bytes = size_t(half) * 3;
  if (bytes == 0) return;
  for (int y = 0; y < picture.height; ++y) {
    std::memcpy(colour.row(y), picture.row(y), bytes);
    std::memcpy(mask.row(y), picture.row(y) + bytes, bytes);
  }
}

}  // namespace corvid
