// Bitmap files through the byte reader and writer: a 14-byte file header, a 40-byte (or longer)
// info header, an optional palette and the rows.

#include "data/bmp_file.h"

#include <cstring>

#include "data/byte_reader.h"
#include "data/byte_writer.h"
#include "data/picture_codec.h"

namespace corvid {

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kUncompressed = 0;  // BI_RGB

size_t paddedRow(size_t bytes) { return (bytes + 3) & ~size_t(3); }

bool fail(std::string* error, std::string message) {
  if (error) *error = std::move(message);
  return false;
}

}  // namespace

std::vector<uint8_t> encodeBmp(const Surface& picture) {
  const size_t rowBytes = size_t(picture.width) * 3, stride = paddedRow(rowBytes);
  const uint32_t imageSize = uint32_t(stride * size_t(picture.height));
  ByteWriter w;
  w.u8('B');
  w.u8('M');
  w.u32(kFileHeaderSize + kInfoHeaderSize + imageSize);
  w.u32(0);  // reserved
  w.u32(kFileHeaderSize + kInfoHeaderSize);
  w.u32(kInfoHeaderSize);
  w.i32(picture.width);
  w.i32(picture.height);  // positive: bottom-up
  w.u16(1);               // planes
  w.u16(24);              // bits a pixel
  w.u32(kUncompressed);
  w.u32(imageSize);
  w.i32(2835);  // 72 dpi, in pixels a metre
  w.i32(2835);
  w.u32(0);  // colours used
  w.u32(0);  // important colours
  for (int y = picture.height - 1; y >= 0; --y) {
    w.bytes(picture.row(y), rowBytes);
    w.zeros(stride - rowBytes);
  }
  return w.take();
}

bool decodeBmp(std::span<const uint8_t> bytes, Surface& out, std::string* error) {
  ByteReader r(bytes);
  if (r.u8() != 'B' || r.u8() != 'M') return fail(error, "not a bitmap file (no \"BM\")");
  r.skip(8);  // file size and reserved: often wrong, never needed
  const uint32_t pixelsAt = r.u32();
  const uint32_t infoSize = r.u32();
  const int32_t width = r.i32(), rawHeight = r.i32();
  r.u16();  // planes
  const uint16_t bits = r.u16();
  const uint32_t compression = r.u32();
  r.skip(12);
  const uint32_t coloursUsed = r.u32();
  if (!r.ok() || infoSize < kInfoHeaderSize) return fail(error, "the bitmap's header is cut short");
  if (compression != kUncompressed)
    return fail(error, "the bitmap is compressed (method " + std::to_string(compression) + ")");
  if (bits != 8 && bits != 24 && bits != 32)
    return fail(error, "the bitmap has " + std::to_string(bits) + " bits a pixel; 8, 24 or 32 are read");
  const bool topDown = rawHeight < 0;
  const int64_t height = topDown ? -int64_t(rawHeight) : rawHeight;
  if (width <= 0 || height <= 0 || width > 65535 || height > 65535 ||
      size_t(width) * size_t(height) * 3 > kMaxPictureBytes)
    return fail(error, "the bitmap's size " + std::to_string(width) + "x" +
                           std::to_string(rawHeight) + " is not a picture size");

  // The palette follows the info header: 4 bytes (B, G, R, unused) a colour.
  std::vector<uint8_t> palette;
  if (bits == 8) {
    const uint32_t colours = coloursUsed ? coloursUsed : 256;
    if (colours > 256) return fail(error, "the bitmap's palette has more than 256 colours");
    palette.resize(size_t(colours) * 4);
    if (!r.seek(kFileHeaderSize + infoSize) || !r.bytes(palette.data(), palette.size()))
      return fail(error, "the bitmap's palette is cut short");
  }
  const size_t stride = paddedRow(size_t(width) * bits / 8);
  // The last row needs only its own bytes, not its padding.
  const size_t needed = stride * size_t(height - 1) + size_t(width) * bits / 8;
  if (pixelsAt > bytes.size() || bytes.size() - pixelsAt < needed)
    return fail(error, "the bitmap's pixels are cut short");

  Surface picture(width, int(height));
  for (int64_t y = 0; y < height; ++y) {
    const uint8_t* src = bytes.data() + pixelsAt + size_t(topDown ? y : height - 1 - y) * stride;
    uint8_t* dst = picture.row(int(y));
    for (int32_t x = 0; x < width; ++x, dst += 3) {
      if (bits == 24) {
        std::memcpy(dst, src + size_t(x) * 3, 3);
      } else if (bits == 32) {
        std::memcpy(dst, src + size_t(x) * 4, 3);
      } else {
        const size_t at = size_t(src[x]) * 4;
        if (at >= palette.size()) return fail(error, "a bitmap pixel names a colour past its palette");
        std::memcpy(dst, palette.data() + at, 3);
      }
    }
  }
  out = std::move(picture);
  return true;
}

}  // namespace corvid
