#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "data/jpeg_decoder.h"
#include "data/jpeg_fixture.h"

namespace corvid {
namespace {

using Bytes = std::vector<uint8_t>;
using testing::encodeJpeg;
using testing::JpegOptions;

// A smooth picture (JPEG keeps it within a few levels): blue rises to the right, red downwards.
Surface smooth(int w, int h) {
  Surface s(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = s.at(x, y);
      p[0] = uint8_t(40 + x * 4);
      p[1] = 128;
      p[2] = uint8_t(30 + y * 6);
    }
  return s;
}

int largestDifference(const Bytes& a, const Bytes& b) {
  if (a.size() != b.size()) return 1000;
  int d = 0;
  for (size_t i = 0; i < a.size(); ++i) d = std::max(d, std::abs(int(a[i]) - int(b[i])));
  return d;
}

TEST(JpegDecoder, DecodesColourGreyAndProgressiveIntoBgr) {
  const Surface in = smooth(24, 16);
  Surface greyIn = in;
  for (size_t i = 0; i < greyIn.pixels.size(); i += 3)
    greyIn.pixels[i + 1] = greyIn.pixels[i + 2] = greyIn.pixels[i];
  struct Case {
    const char* what;
    JpegOptions options;
    const Surface& want;
  };
  for (const Case& c : {Case{"colour", {}, in}, Case{"grey", {true, false}, greyIn},
                        Case{"progressive", {false, true}, in}}) {
    SCOPED_TRACE(c.what);
    Surface out(3, 3);
    std::string error;
    ASSERT_TRUE(decodeJpeg(encodeJpeg(in, c.options), out, &error)) << error;
    EXPECT_EQ(out.width, 24);
    EXPECT_EQ(out.height, 16);
    EXPECT_LE(largestDifference(out.pixels, c.want.pixels), 6);
  }
}

TEST(JpegDecoder, RefusesWhatLibjpegRejects) {
  const Bytes good = encodeJpeg(smooth(16, 16));
  // The frame header (SOF0, FF C0) with a sample precision of 7 bits, which no decoder takes.
  Bytes badPrecision = good;
  for (size_t i = 0; i + 4 < badPrecision.size(); ++i)
    if (badPrecision[i] == 0xFF && badPrecision[i + 1] == 0xC0) {
      badPrecision[i + 4] = 7;
      break;
    }
  struct Case {
    const char* what;
    Bytes bytes;
  };
  const Case cases[] = {
      {"empty", {}},
      {"not a JPEG", {'P', 'N', 'G', 0, 1, 2, 3, 4}},
      {"nothing after SOI", {0xFF, 0xD8}},
      {"cut in its header", Bytes(good.begin(), good.begin() + 30)},
      {"an unsupported precision", badPrecision},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Surface out(2, 2);
    out.fill(0x445566);
    const Bytes before = out.pixels;
    std::string error;
    EXPECT_FALSE(decodeJpeg(c.bytes, out, &error));
    EXPECT_NE(error, "");
    EXPECT_EQ(out.pixels, before);
    EXPECT_EQ(out.width, 2);
  }
}

TEST(JpegDecoder, AStreamThatEndsInItsPixelsDecodesAsFarAsItGoes) {
  const Bytes good = encodeJpeg(smooth(64, 64));
  const Bytes cut(good.begin(), good.begin() + long(good.size() * 3 / 4));
  Surface out;
  std::string error;
  EXPECT_TRUE(decodeJpeg(cut, out, &error)) << error;
  EXPECT_EQ(out.width, 64);
  EXPECT_EQ(out.height, 64);
}

TEST(JpegDecoder, LooksLikeJpeg) {
  struct Case {
    Bytes bytes;
    bool jpeg;
  };
  for (const Case& c : {Case{{0xFF, 0xD8, 0xFF, 0xE0}, true}, Case{{0xFF, 0xD8, 0xFF}, true},
                        Case{{0xFF, 0xD8}, false}, Case{{0x00, 0x00, 0x40, 0x03}, false}})
    EXPECT_EQ(looksLikeJpeg(c.bytes), c.jpeg);
}

}  // namespace
}  // namespace corvid
