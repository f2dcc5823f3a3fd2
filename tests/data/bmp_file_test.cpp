#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "data/bmp_file.h"
#include "data/byte_writer.h"

namespace corvid {
namespace {

using Bytes = std::vector<uint8_t>;

Surface numbered(int w, int h) {
  Surface s(w, h);
  for (size_t i = 0; i < s.pixels.size(); ++i) s.pixels[i] = uint8_t(i * 5 + 1);
  return s;
}

// A bitmap laid out by hand: file header, 40-byte info header, palette, rows as given.
Bytes handBmp(int32_t w, int32_t h, uint16_t bits, uint32_t compression, const Bytes& palette,
              const Bytes& rows) {
  ByteWriter b;
  b.u8('B');
  b.u8('M');
  b.u32(0);
  b.u32(0);
  b.u32(uint32_t(54 + palette.size()));
  b.u32(40);
  b.i32(w);
  b.i32(h);
  b.u16(1);
  b.u16(bits);
  b.u32(compression);
  b.zeros(12);
  b.u32(uint32_t(palette.size() / 4));
  b.u32(0);
  b.bytes(palette);
  b.bytes(rows);
  return b.take();
}

TEST(BmpFile, RoundTripsEveryRowPadding) {
  for (int w : {1, 2, 3, 4, 5}) {
    const Surface in = numbered(w, 3);
    const Bytes file = encodeBmp(in);
    EXPECT_EQ(file.size(), 54 + size_t((w * 3 + 3) / 4 * 4) * 3) << w;
    Surface out;
    std::string error;
    ASSERT_TRUE(decodeBmp(file, out, &error)) << error;
    EXPECT_EQ(out.width, w);
    EXPECT_EQ(out.pixels, in.pixels) << w;
  }
}

TEST(BmpFile, ReadsPaletteTopDownAnd32Bit) {
  struct Case {
    const char* what;
    Bytes file;
    Bytes pixels;  // 2x2, BGR, top row first
  };
  const Bytes palette{10, 20, 30, 0, 40, 50, 60, 0};
  const Case cases[] = {
      {"8-bit, bottom-up", handBmp(2, 2, 8, 0, palette, {1, 0, 0, 0, 0, 1, 0, 0}),
       {10, 20, 30, 40, 50, 60, 40, 50, 60, 10, 20, 30}},
      {"24-bit, top-down", handBmp(2, -2, 24, 0, {}, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0}),
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
      {"32-bit, bottom-up", handBmp(2, 2, 32, 0, {}, {7, 8, 9, 0, 10, 11, 12, 0, 1, 2, 3, 0, 4, 5, 6, 0}),
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
  };
  for (const Case& c : cases) {
    Surface out;
    std::string error;
    ASSERT_TRUE(decodeBmp(c.file, out, &error)) << c.what << ": " << error;
    EXPECT_EQ(out.pixels, c.pixels) << c.what;
  }
}

TEST(BmpFile, RefusesWhatItCannotRead) {
  struct Case {
    Bytes file;
    std::string error;
  };
  const Case cases[] = {
      {{'B', 'M', 0}, "the bitmap's header is cut short"},
      {{'P', 'K', 0, 0}, "not a bitmap file (no \"BM\")"},
      {handBmp(2, 2, 24, 1, {}, Bytes(16, 0)), "the bitmap is compressed (method 1)"},
      {handBmp(2, 2, 16, 0, {}, Bytes(16, 0)), "the bitmap has 16 bits a pixel; 8, 24 or 32 are read"},
      {handBmp(0, 2, 24, 0, {}, Bytes(16, 0)), "the bitmap's size 0x2 is not a picture size"},
      {handBmp(40000, 40000, 24, 0, {}, {}), "the bitmap's size 40000x40000 is not a picture size"},
      {handBmp(2, 2, 24, 0, {}, Bytes(13, 0)), "the bitmap's pixels are cut short"},
      {handBmp(2, 1, 8, 0, {1, 2, 3, 0}, {0, 1, 0, 0}), "a bitmap pixel names a colour past its palette"},
  };
  for (const Case& c : cases) {
    Surface out(1, 1);
    std::string error;
    EXPECT_FALSE(decodeBmp(c.file, out, &error));
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(out.width, 1);
  }
}

}  // namespace
}  // namespace corvid
