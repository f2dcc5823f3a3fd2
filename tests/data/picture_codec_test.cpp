#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "data/byte_writer.h"
#include "data/picture_codec.h"
#include "data/picture_encoder.h"

namespace corvid {
namespace {

using Bytes = std::vector<uint8_t>;

// ---- Entries written by hand -----------------------------------------------------------------

// One LZ item: its flag bit and its bytes, as the item table gives them.
struct Item {
  bool coded;
  Bytes bytes;
};
Item lit(uint8_t b) { return {false, {b}}; }
Item coded(Bytes b) { return {true, std::move(b)}; }

// Packs items behind flag bytes, most significant bit first, eight items a flag byte.
Bytes lzStream(const std::vector<Item>& items) {
  Bytes out;
  size_t flagAt = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i % 8 == 0) {
      flagAt = out.size();
      out.push_back(0);
    }
    if (items[i].coded) out[flagAt] |= uint8_t(0x80 >> (i % 8));
    out.insert(out.end(), items[i].bytes.begin(), items[i].bytes.end());
  }
  return out;
}

// Bytes as plain literals (the LZ stage of the run-length and delta cases).
Bytes literalStream(const Bytes& bytes) {
  std::vector<Item> items;
  for (uint8_t b : bytes) items.push_back(lit(b));
  return lzStream(items);
}

Bytes entry(uint8_t flags, int32_t runLengthSize, uint16_t width, uint16_t height,
            const Bytes& stream, std::optional<int32_t> lzSize = {}, uint8_t bytesPerPixel = 3) {
  ByteWriter w;
  w.u16(0xBEEF);  // never interpreted
  w.u8(flags);
  w.u8(bytesPerPixel);
  w.i32(lzSize ? *lzSize : int32_t(stream.size()));
  w.i32(runLengthSize);
  w.u16(width);
  w.u16(height);
  w.bytes(stream);
  return w.take();
}

Bytes repeat(const Bytes& unit, size_t times) {
  Bytes out;
  for (size_t i = 0; i < times; ++i) out.insert(out.end(), unit.begin(), unit.end());
  return out;
}

Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes iota(size_t n, uint8_t from = 0) {
  Bytes out(n);
  for (size_t i = 0; i < n; ++i) out[i] = uint8_t(from + i * 7);
  return out;
}

struct DecodeCase {
  const char* what;
  Bytes entry;
  int width, height;
  Bytes pixels;
};

void expectDecodes(const DecodeCase& c) {
  SCOPED_TRACE(c.what);
  Surface out;
  std::string error;
  ASSERT_TRUE(decodePicture(c.entry, out, &error)) << error;
  EXPECT_EQ(out.width, c.width);
  EXPECT_EQ(out.height, c.height);
  EXPECT_EQ(out.pixels, c.pixels);
}

TEST(PictureCodec, LzItemsDecodeToTheirBytes) {
  const Bytes nine = iota(9, 1);
  const Bytes forty = iota(40, 100);
  const Bytes thirtyTwo = iota(32, 50);
  const DecodeCase cases[] = {
      {"flag byte 0x00 then eight literals; then the next flag byte",
       entry(0, 0, 3, 1, concat({{0x00}, Bytes(nine.begin(), nine.begin() + 8), {0x00, nine[8]}})),
       3, 1, nine},
      {"short match: distance 1, length 4 after 0x41",
       entry(0, 0, 2, 1, lzStream({lit(0x41), coded({0x02}), lit(0x42)})), 2, 1,
       {0x41, 0x41, 0x41, 0x41, 0x41, 0x42}},
      {"short match at its farthest: distance 32, length 2",
       entry(0, 0, 12, 1, lzStream({coded(concat({{0x5F}, thirtyTwo})), coded({0x7C}), lit(1), lit(2)})),
       12, 1, concat({thirtyTwo, {thirtyTwo[0], thirtyTwo[1], 1, 2}})},
      {"shortest literal run (9) and longest (40)",
       entry(0, 0, 17, 1, lzStream({coded(concat({{0x03}, nine})), coded(concat({{0x7F}, forty})), lit(7), lit(8)})),
       17, 1, concat({nine, forty, {7, 8}})},
      {"medium match, overlapping: distance 3, length 18",
       entry(0, 0, 7, 1, lzStream({lit('A'), lit('B'), lit('C'), coded({0x80, 0x2F})})), 7, 1,
       repeat({'A', 'B', 'C'}, 7)},
      {"medium match, shortest: distance 2, length 3",
       entry(0, 0, 2, 1, lzStream({lit(5), lit(6), coded({0x80, 0x10}), lit(9)})), 2, 1,
       {5, 6, 5, 6, 5, 9}},
  };
  for (const DecodeCase& c : cases) expectDecodes(c);
}

TEST(PictureCodec, MediumMatchReachesBack1024) {
  // 1040 literal bytes in 26 runs of 40, then a medium match 1024 back: it copies bytes 16..18.
  std::vector<Item> items;
  Bytes prefix;
  for (int r = 0; r < 26; ++r) {
    const Bytes run = iota(40, uint8_t(r * 40));
    items.push_back(coded(concat({{0x7F}, run})));
    prefix = concat({prefix, run});
  }
  items.push_back(coded({0xBF, 0xF0}));  // distance (63 << 4) + 15 + 1 = 1024, length 3
  items.push_back(lit(0xEE));
  expectDecodes({"medium 1024", entry(0, 0, 348, 1, lzStream(items)), 348, 1,
                 concat({prefix, {prefix[16], prefix[17], prefix[18], 0xEE}})});
}

TEST(PictureCodec, LongMatchLengths) {
  struct Case {
    uint8_t c;
    size_t length;
    size_t trailing;  // 'X' literals after the match, to fill whole pixels
  };
  // The third byte gives the length: 0xFF 4096, 0xFE 1024, 0xFD 256, otherwise c + 3.
  for (const Case& k : {Case{0xFF, 4096, 3}, Case{0xFE, 1024, 3}, Case{0xFD, 256, 3},
                        Case{0xFC, 255, 1}, Case{0x00, 3, 1}}) {
    std::vector<Item> items{lit('Z'), lit('Y'), coded({0xC0, 0x01, k.c})};  // distance 2
    for (size_t i = 0; i < k.trailing; ++i) items.push_back(lit('X'));
    Bytes want = repeat({'Z', 'Y'}, (k.length + 3) / 2);
    want.resize(k.length + 2);
    want.insert(want.end(), k.trailing, 'X');
    const int width = int(want.size() / 3);
    SCOPED_TRACE(k.length);
    expectDecodes({"long match", entry(0, 0, uint16_t(width), 1, lzStream(items)), width, 1, want});
  }
}

TEST(PictureCodec, LongMatchReachesBack16384) {
  // 'B', then 16383 'A' (a literal and distance-1 matches), then a match 16384 back: it starts
  // at the 'B', which 16383 back would miss.
  std::vector<Item> items{lit('B'), lit('A')};
  for (int i = 0; i < 3; ++i) items.push_back(coded({0xC0, 0x00, 0xFF}));  // 4096
  for (int i = 0; i < 3; ++i) items.push_back(coded({0xC0, 0x00, 0xFE}));  // 1024
  for (int i = 0; i < 3; ++i) items.push_back(coded({0xC0, 0x00, 0xFD}));  // 256
  items.push_back(coded({0xC0, 0x00, 251}));                               // 254
  items.push_back(coded({0xFF, 0xFF, 0x00}));  // distance 16384, length 3
  items.push_back(lit('X'));
  items.push_back(lit('X'));
  Bytes want = concat({{'B'}, Bytes(16383, 'A'), {'B', 'A', 'A', 'X', 'X'}});
  expectDecodes({"long 16384", entry(0, 0, 5463, 1, lzStream(items)), 5463, 1, want});
}

TEST(PictureCodec, LastItemMayOvershootWithinTheSlack) {
  // A 1-pixel picture whose second item copies 256 bytes: the surplus is dropped.
  expectDecodes({"overshoot", entry(0, 0, 1, 1, lzStream({lit(9), coded({0xC0, 0x00, 0xFD})})),
                 1, 1, {9, 9, 9}});
  // The LZ output of a run-length picture overshoots M the same way; the run-length stage
  // reads only its M bytes.
  // Here the LZ output is 80 05 05 05 05 05 for M = 3: the run 80 05 05 is unit 1, count 6.
  expectDecodes({"overshoot into run-length",
                 entry(0x40, 3, 2, 1, lzStream({lit(0x80), lit(0x05), coded({0x02})})), 2, 1,
                 Bytes(6, 0x05)});
}

TEST(PictureCodec, RunLengthRecords) {
  struct Case {
    const char* what;
    Bytes runs;  // the run-length stream, carried by the LZ stage as literals
    int width;
    Bytes pixels;
  };
  const Bytes fiftyTwo = iota(52, 3);
  const Case cases[] = {
      {"literal record of 3", {0x02, 1, 2, 3}, 1, {1, 2, 3}},
      {"literal records of 128 and 1", concat({{0x7F}, iota(128), {0x00, 0xAA}}), 43,
       concat({iota(128), {0xAA}})},
      {"unit 2, count 1: the next record starts at the byte after the unit",
       concat({{0xA0, 0x00, 0x11, 0x22, 0x33}, fiftyTwo}), 18, concat({{0x11, 0x22}, fiftyTwo})},
      {"unit 1, count 300", {0x81, 0x2B, 0x07}, 100, Bytes(300, 0x07)},
      {"unit 3, count 4", {0xC0, 0x03, 1, 2, 3}, 4, repeat({1, 2, 3}, 4)},
      {"unit 4, count 3", {0xE0, 0x02, 1, 2, 3, 4}, 4, repeat({1, 2, 3, 4}, 3)},
      {"a run past the picture is cut to the whole units that fit, then records go on",
       {0xE0, 0x01, 9, 8, 7, 6, 0x01, 5, 4}, 2, {9, 8, 7, 6, 5, 4}},
      {"unit 1, count 8192, cut to the picture", {0x9F, 0xFF, 0x33}, 3, Bytes(9, 0x33)},
  };
  for (const Case& c : cases)
    expectDecodes({c.what,
                   entry(0x40, int32_t(c.runs.size()), uint16_t(c.width), 1, literalStream(c.runs)),
                   c.width, 1, c.pixels});
}

TEST(PictureCodec, DeltaRunsThroughRows) {
  const DecodeCase cases[] = {
      {"two rows of one pixel", entry(0x80, 0, 1, 2, literalStream({10, 5, 5, 1, 1, 1})), 1, 2,
       {10, 5, 5, 11, 6, 6}},
      {"the sums do not restart at a row and wrap at 256",
       entry(0x80, 0, 2, 2, literalStream({10, 5, 5, 1, 1, 1, 1, 1, 1, 255, 0, 0})), 2, 2,
       {10, 5, 5, 11, 6, 6, 12, 7, 7, 11, 7, 7}},
      {"run-length, then delta", entry(0xC0, 3, 3, 1, literalStream({0x80, 0x08, 1})), 3, 1,
       {1, 1, 1, 2, 2, 2, 3, 3, 3}},
      {"other flag bits are ignored", entry(0x3F, 0, 1, 1, literalStream({1, 2, 3})), 1, 1, {1, 2, 3}},
  };
  for (const DecodeCase& c : cases) expectDecodes(c);
}

// Plain versions of the stages, to hold the decoder's chunked copies against: one byte at a
// time, straight from the tables.
Bytes plainLz(const Bytes& stream, size_t target) {
  Bytes out;
  size_t i = 0;
  int bit = 8;
  uint8_t flags = 0;
  while (out.size() < target) {
    if (bit == 8) {
      flags = stream.at(i++);
      bit = 0;
    }
    const bool isCoded = flags & (0x80 >> bit++);
    const uint8_t u = stream.at(i++);
    if (!isCoded) {
      out.push_back(u);
      continue;
    }
    size_t distance, length;
    if (u < 0x80 && (u & 3) == 3) {
      for (int k = 0; k < (u >> 2) + 9; ++k) out.push_back(stream.at(i++));
      continue;
    }
    if (u < 0x80) {
      distance = (u >> 2) + 1, length = (u & 3) + 2;
    } else if (u < 0xC0) {
      const uint8_t b = stream.at(i++);
      distance = ((u & 0x3F) << 4) + (b >> 4) + 1, length = (b & 0x0F) + 3;
    } else {
      const uint8_t b = stream.at(i++), c = stream.at(i++);
      distance = ((u & 0x3F) << 8) + b + 1;
      length = c == 0xFF ? 4096 : c == 0xFE ? 1024 : c == 0xFD ? 256 : c + 3;
    }
    for (size_t k = 0; k < length; ++k) out.push_back(out[out.size() - distance]);
  }
  out.resize(target);
  return out;
}

TEST(PictureCodec, LzCopiesMatchTheByteByByteRule) {
  // Random streams of every item kind, at every distance class and overlap.
  std::mt19937 rng(21);
  for (int round = 0; round < 200; ++round) {
    std::vector<Item> items{lit(uint8_t(rng()))};
    size_t written = 1;
    while (written < 3000) {
      const size_t reach = std::min<size_t>(written, 16384);
      switch (rng() % 5) {
        case 0: items.push_back(lit(uint8_t(rng()))); written += 1; break;
        case 1: {
          const size_t n = 9 + rng() % 32;
          Bytes run{uint8_t(((n - 9) << 2) | 3)};
          for (size_t k = 0; k < n; ++k) run.push_back(uint8_t(rng()));
          items.push_back(coded(run));
          written += n;
          break;
        }
        case 2: {
          const size_t d = 1 + rng() % std::min<size_t>(reach, 32), len = 2 + rng() % 3;
          items.push_back(coded({uint8_t(((d - 1) << 2) | (len - 2))}));
          written += len;
          break;
        }
        case 3: {
          const size_t d = 1 + rng() % std::min<size_t>(reach, 1024), len = 3 + rng() % 16;
          items.push_back(coded({uint8_t(0x80 | ((d - 1) >> 4)), uint8_t(((d - 1) & 15) << 4 | (len - 3))}));
          written += len;
          break;
        }
        default: {
          const size_t d = 1 + rng() % reach;
          const uint8_t c = uint8_t(rng() % 8 == 0 ? 0xFD : rng() % 253);
          items.push_back(coded({uint8_t(0xC0 | ((d - 1) >> 8)), uint8_t((d - 1) & 0xFF), c}));
          written += c == 0xFD ? 256 : c + 3;
          break;
        }
      }
    }
    const Bytes stream = lzStream(items);
    Bytes out(written + kPictureSlack + kStageMargin);
    std::string error;
    ASSERT_TRUE(lzDecode(stream, written, out.data(), &error)) << error;
    out.resize(written);
    ASSERT_EQ(out, plainLz(stream, written)) << round;
  }
}

TEST(PictureCodec, DeltaMatchesTheRunningSumsAtEveryLength) {
  std::mt19937 rng(5);
  for (size_t n = 0; n <= 100; ++n) {
    Bytes coded(n);
    for (auto& b : coded) b = uint8_t(rng());
    Bytes want = coded;
    for (size_t k = 3; k < n; ++k) want[k] = uint8_t(want[k] + want[k - 3]);
    Bytes inPlace = coded;
    deltaDecode(inPlace);
    ASSERT_EQ(inPlace, want) << n;
    Bytes apart(n, 0xEE);
    deltaDecode(coded, apart.data());
    ASSERT_EQ(apart, want) << n;
  }
}

// ---- Malformed entries -----------------------------------------------------------------------

TEST(PictureCodec, MalformedEntriesAreRefused) {
  struct Case {
    const char* what;
    Bytes entry;
    std::string error;
  };
  const Bytes six = literalStream({1, 2, 3, 4, 5, 6});
  const Case cases[] = {
      {"shorter than the header", Bytes(10, 0),
       "the picture entry has 10 bytes, less than its 16-byte header"},
      {"4 bytes a pixel", entry(0, 0, 1, 1, six, {}, 4),
       "the picture claims 4 bytes a pixel; pictures have 3"},
      {"no width", entry(0, 0, 0, 5, six), "the picture is 0x5 pixels"},
      {"absurd size", entry(0, 0, 65535, 65535, six),
       "the picture is 65535x65535 pixels, too large to be a picture"},
      {"negative L", entry(0, 0, 2, 1, six, -5), "the picture's LZ stream size -5 is negative"},
      {"file ends before L bytes", entry(0, 0, 2, 1, six, 100),
       "the picture entry ends 7 bytes into its LZ stream of 100"},
      {"no run-length size", entry(0x40, 0, 2, 1, six),
       "the picture's run-length size 0 does not fit its 2x1 pixels"},
      {"run-length size beyond 3 bytes a pixel byte", entry(0x40, 19, 2, 1, six),
       "the picture's run-length size 19 does not fit its 2x1 pixels"},
      {"stream far too short for its size", entry(0, 0, 1000, 1000, six),
       "the LZ stream of 7 bytes cannot yield the 3000000 it must"},
      {"run-length stream far too short for its size", entry(0x40, 1, 2000, 1000, literalStream({0x9F})),
       "the run-length stream of 1 bytes cannot yield the 6000000 it must"},
      {"only a flag byte", entry(0, 0, 1, 1, {0x00}), "the LZ stream ends after 0 of 3 bytes"},
      {"literals end early", entry(0, 0, 3, 1, six), "the LZ stream ends after 6 of 9 bytes"},
      {"flag byte missing after eight items", entry(0, 0, 3, 1, {0x00, 1, 2, 3, 4, 5, 6, 7, 8}),
       "the LZ stream ends after 8 of 9 bytes"},
      {"literal run cut short", entry(0, 0, 3, 1, {0x80, 0x03, 1, 2, 3}),
       "the LZ stream ends after 0 of 9 bytes"},
      {"medium match without its second byte", entry(0, 0, 1, 1, {0x40, 7, 0x80}),
       "the LZ stream ends after 1 of 3 bytes"},
      {"long match without its third byte", entry(0, 0, 1, 1, {0x40, 7, 0xC0, 0x00}),
       "the LZ stream ends after 1 of 3 bytes"},
      {"a match before the start", entry(0, 0, 1, 1, lzStream({lit(1), coded({0x04})})),
       "an LZ match at output byte 1 reaches 2 bytes back, before the start"},
      {"a match with nothing written", entry(0, 0, 1, 1, lzStream({coded({0x00})})),
       "an LZ match at output byte 0 reaches 1 bytes back, before the start"},
      {"overshoot past the slack", entry(0, 0, 2, 1, lzStream({lit(1), coded({0xC0, 0x00, 0xFE})})),
       "an LZ match of 1024 bytes at output byte 1 overshoots the 6 bytes by more than 256"},
      {"run-length literal cut short", entry(0x40, 3, 2, 1, literalStream({0x05, 1, 2})),
       "the run-length stream ends after 0 of 6 bytes"},
      {"run without its unit", entry(0x40, 3, 2, 1, literalStream({0xE0, 0x00, 1})),
       "the run-length stream ends after 0 of 6 bytes"},
      {"run-length stream ends early", entry(0x40, 3, 2, 1, literalStream({0x80, 0x02, 1})),
       "the run-length stream ends after 3 of 6 bytes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Surface out(2, 2);
    out.fill(0x123456);
    const Surface before = out;
    std::string error;
    EXPECT_FALSE(decodePicture(c.entry, out, &error));
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(out.pixels, before.pixels);
    EXPECT_EQ(out.width, 2);
  }
}

// ---- The encoder -----------------------------------------------------------------------------

Surface picture(int w, int h, uint32_t seed, int kind) {
  Surface s(w, h);
  std::mt19937 rng(seed);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = s.at(x, y);
      for (int c = 0; c < 3; ++c) {
        switch (kind) {
          case 0: p[c] = uint8_t(rng()); break;                                   // noise
          case 1: p[c] = uint8_t(40 * c + 7); break;                              // one colour
          case 2: p[c] = uint8_t(x + 2 * y + c); break;                           // gradient
          case 3: p[c] = uint8_t((x / 5 + y / 3) % 2 ? 200 : 30); break;          // blocks
          default: p[c] = uint8_t(x * 3 + y + c * 50 + int(rng() % 5)); break;   // photo-like
        }
      }
    }
  return s;
}

TEST(PictureEncoder, RoundTripsExactlyWithEveryStageChoice) {
  struct Size {
    int w, h;
  };
  const PictureStages stages[] = {PictureStages::Smallest, PictureStages::Lz, PictureStages::RunLength,
                                  PictureStages::Delta, PictureStages::DeltaRunLength};
  for (Size size : {Size{1, 1}, Size{3, 1}, Size{7, 5}, Size{64, 64}, Size{201, 37}})
    for (int kind = 0; kind < 5; ++kind)
      for (PictureStages st : stages) {
        SCOPED_TRACE(testing::Message() << size.w << "x" << size.h << " kind " << kind
                                        << " stages " << int(st));
        const Surface in = picture(size.w, size.h, uint32_t(kind * 31 + size.w), kind);
        Bytes encoded;
        std::string error;
        ASSERT_TRUE(encodePicture(in, encoded, &error, {st, 16})) << error;
        Surface out;
        ASSERT_TRUE(decodePicture(encoded, out, &error)) << error;
        EXPECT_EQ(out.width, in.width);
        EXPECT_EQ(out.height, in.height);
        EXPECT_EQ(out.pixels, in.pixels);
      }
}

TEST(PictureEncoder, ChoosesTheSmallestEncodingAndCompresses) {
  struct Case {
    int kind;
    size_t atMost;  // bytes of the entry for a 320x240 picture (230400 bytes of pixels)
  };
  for (Case c : {Case{1, 600}, Case{2, 20000}, Case{3, 20000}, Case{4, 200000}}) {
    SCOPED_TRACE(c.kind);
    const Surface in = picture(320, 240, 5, c.kind);
    Bytes smallest;
    ASSERT_TRUE(encodePicture(in, smallest));
    EXPECT_LE(smallest.size(), c.atMost);
    for (PictureStages st : {PictureStages::Lz, PictureStages::RunLength, PictureStages::Delta,
                             PictureStages::DeltaRunLength}) {
      Bytes one;
      ASSERT_TRUE(encodePicture(in, one, nullptr, {st, 64}));
      EXPECT_LE(smallest.size(), one.size()) << int(st);
    }
  }
}

TEST(PictureEncoder, StagesRoundTripOnLongRunsAndMatches) {
  // Runs and repeats longer than one item carries, at every distance class.
  std::mt19937 rng(3);
  Bytes data = concat({Bytes(20000, 0x11), iota(3000), iota(3000), Bytes(5, 0x22), iota(700, 9)});
  for (int i = 0; i < 20000; ++i) data.push_back(data[data.size() - 1 - rng() % 16000]);
  const Bytes lz = lzEncode(data, 32);
  Bytes out(data.size() + kPictureSlack + kStageMargin);
  std::string error;
  ASSERT_TRUE(lzDecode(lz, data.size(), out.data(), &error)) << error;
  EXPECT_EQ(Bytes(out.begin(), out.begin() + long(data.size())), data);

  const Bytes runs = runLengthEncode(data);
  Bytes back(data.size() + kPictureSlack);
  ASSERT_TRUE(runLengthDecode(runs, data.size(), back.data(), &error)) << error;
  EXPECT_EQ(Bytes(back.begin(), back.begin() + long(data.size())), data);
  EXPECT_LT(runs.size(), data.size());
}

TEST(PictureEncoder, RefusesWhatThePictureFormatCannotHold) {
  struct Case {
    Surface in;
    std::string error;
  };
  Surface broken(2, 2);
  broken.pixels.resize(5);
  const Case cases[] = {
      {Surface(0, 3), "a 0x3 picture is empty"},
      {Surface(70000, 1), "a 70000x1 picture is wider or taller than 65535 pixels"},
      {broken, "the 2x2 picture holds 5 bytes, not 12"},
  };
  for (const Case& c : cases) {
    Bytes out;
    std::string error;
    EXPECT_FALSE(encodePicture(c.in, out, &error));
    EXPECT_EQ(error, c.error);
  }
}

TEST(PictureCodec, EveryTruncationOfAnEntryIsRefused) {
  // Cut anywhere, an encoded picture is refused, never read past: once with the header's L as
  // it was (the entry ends before L bytes), once with L cut too (the stream itself ends early;
  // only a cut that drops bytes the picture does not need may still decode, and exactly).
  const Surface in = picture(24, 8, 9, 4);
  for (PictureStages st : {PictureStages::Lz, PictureStages::DeltaRunLength}) {
    Bytes encoded;
    ASSERT_TRUE(encodePicture(in, encoded, nullptr, {st, 16}));
    for (size_t n = 0; n < encoded.size(); ++n) {
      SCOPED_TRACE(n);
      Bytes cut(encoded.begin(), encoded.begin() + long(n));
      Surface out;
      EXPECT_FALSE(decodePicture(cut, out));
      if (n < kPictureHeaderSize) continue;
      const uint32_t lz = uint32_t(n - kPictureHeaderSize);
      for (int i = 0; i < 4; ++i) cut[4 + i] = uint8_t(lz >> (8 * i));
      if (decodePicture(cut, out)) {
        EXPECT_EQ(out.pixels, in.pixels);
      }
    }
  }
}

}  // namespace
}  // namespace corvid
