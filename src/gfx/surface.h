#pragma once
// An off-screen 24-bit picture: three bytes a pixel in the order blue, green, red, rows from
// the top, rows packed without padding (stride = 3 * width). Surfaces are allocated once at
// start-up and reused; nothing on the hot path resizes them.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace corvid {

inline constexpr int kScreenWidth = 800;   // the picture every title is drawn for
inline constexpr int kScreenHeight = 600;

struct Surface {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // width * height * 3 bytes, BGR

  Surface() = default;
  Surface(int w, int h) : width(w), height(h), pixels(size_t(w) * size_t(h) * 3, 0) {}

  int stride() const { return width * 3; }
  uint8_t* row(int y) { return pixels.data() + size_t(y) * size_t(stride()); }
  const uint8_t* row(int y) const { return pixels.data() + size_t(y) * size_t(stride()); }
  uint8_t* at(int x, int y) { return row(y) + size_t(x) * 3; }
  const uint8_t* at(int x, int y) const { return row(y) + size_t(x) * 3; }
  bool empty() const { return width == 0 || height == 0; }

  // Fills the whole surface with one colour given as 0x00BBGGRR.
  void fill(uint32_t colour) {
    const uint8_t b = uint8_t(colour >> 16), g = uint8_t(colour >> 8), r = uint8_t(colour);
    for (size_t i = 0; i + 2 < pixels.size(); i += 3) {
      pixels[i] = b;
      pixels[i + 1] = g;
      pixels[i + 2] = r;
    }
  }
};

}  // namespace corvid
