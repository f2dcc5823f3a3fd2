// The picture decoder: header checks, then the LZ, run-length and delta stages into the
// decoder's own buffers, then one copy into the surface.
//
// Every stage checks, before each item, that the stream holds the item's bytes and that the
// output has room for its length; the output buffers are sized from the header before a stage
// starts and never grow during it.

#include "data/picture_codec.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "data/byte_reader.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace corvid {

namespace {

bool fail(std::string* error, std::string message) {
  if (error) *error = std::move(message);
  return false;
}

// The most one byte of LZ stream can yield: a long match of 4096 bytes takes 3 bytes (its flag
// bit not counted), so a stream of L bytes never gives more than 1366 * L.
constexpr size_t kLzMaxExpansion = 1366;
// A run of 8192 units of 4 bytes takes 6 bytes of run-length stream.
constexpr size_t kRunLengthMaxExpansion = 5462;

// ---- LZ copies -------------------------------------------------------------------------------

// Copies `len` bytes from `distance` bytes back, with the meaning of a byte-by-byte copy (the
// source may overlap what is being written). Whole 8- or 16-byte chunks are copied, so up to 15
// bytes past out + len are scribbled on: the caller keeps kStageMargin bytes of room there.
void copyMatch(uint8_t* out, size_t distance, size_t len) {
  if (distance >= 16) {
    // Each chunk reads only bytes before the ones it writes.
    const uint8_t* from = out - distance;
    for (size_t i = 0; i < len; i += 16) std::memcpy(out + i, from + i, 16);
    return;
  }
  if (len <= distance) {
    // The short matches of most pictures: the whole source lies before the output. The chunk
    // is read whole before it is written, so the bytes past len are the only ones that differ.
    uint64_t chunk;
    std::memcpy(&chunk, out - distance, 8);
    std::memcpy(out, &chunk, 8);
    if (len > 8) {
      std::memcpy(&chunk, out + 8 - distance, 8);
      std::memcpy(out + 8, &chunk, 8);
    }
    return;
  }
  // A short period repeated: write the first bytes one at a time until a whole number of
  // periods of at least 16 bytes lies behind the output, then copy from that far back, where
  // the repeating pattern is the same.
  const size_t far = distance * ((16 + distance - 1) / distance);
  const size_t head = std::min(len, far);
  const uint8_t* back = out - distance;
  for (size_t i = 0; i < head; ++i) out[i] = back[i];
  if (head == len) return;
  const uint8_t* from = out + head - far;
  for (size_t i = head; i < len; i += 16) std::memcpy(out + i, from + i - head, 16);
}

// The length a long match's third byte gives.
size_t longMatchLength(uint8_t c) {
  switch (c) {
    case 0xFF: return 4096;
    case 0xFE: return 1024;
    case 0xFD: return 256;
    default: return size_t(c) + 3;
  }
}

}  // namespace

// ---- The entry layout ------------------------------------------------------------------------

bool readPictureHeader(std::span<const uint8_t> entry, PictureHeader& out) {
  ByteReader r(entry);
  PictureHeader h;
  h.reserved = r.u16();
  h.flags = r.u8();
  h.bytesPerPixel = r.u8();
  h.lzSize = r.i32();
  h.runLengthSize = r.i32();
  h.width = r.u16();
  h.height = r.u16();
  if (!r.ok()) return false;
  out = h;
  return true;
}

void writePictureHeader(ByteWriter& out, const PictureHeader& header) {
  out.u16(header.reserved);
  out.u8(header.flags);
  out.u8(header.bytesPerPixel);
  out.i32(header.lzSize);
  out.i32(header.runLengthSize);
  out.u16(header.width);
  out.u16(header.height);
}

// ---- The stages ------------------------------------------------------------------------------

bool lzDecode(std::span<const uint8_t> stream, size_t target, uint8_t* out, std::string* error) {
  const uint8_t* in = stream.data();
  const uint8_t* const inEnd = in + stream.size();
  uint8_t* const start = out;
  uint8_t* const outTarget = out + target;
  uint8_t* const outLimit = outTarget + kPictureSlack;
  unsigned flags = 0;
  int flagBitsLeft = 0;
  auto endsEarly = [&] {
    return fail(error, "the LZ stream ends after " + std::to_string(out - start) + " of " +
                           std::to_string(target) + " bytes");
  };
  while (out < outTarget) {
    // The next flag byte is fetched only when another item is needed, so a stream whose last
    // group holds exactly eight items is complete without a further byte.
    if (flagBitsLeft == 0) {
      if (in == inEnd) return endsEarly();
      flags = *in++;
      flagBitsLeft = 8;
    }
    if (!(flags & 0x80)) {
      // Literal items: as many as the flag byte's next clear bits say, copied at once (most
      // of a photo-like picture is literals).
      size_t n = std::min<size_t>({size_t(std::countl_zero(uint8_t(flags))), size_t(flagBitsLeft),
                                   size_t(outTarget - out)});
      const size_t available = size_t(inEnd - in);
      if (available >= 8) {
        std::memcpy(out, in, 8);  // within the margin past the slack
      } else {
        n = std::min(n, available);
        std::memcpy(out, in, n);
      }
      in += n;
      out += n;
      flags = (flags << n) & 0xFF;
      flagBitsLeft -= int(n);
      if (n == 0) return endsEarly();
      continue;
    }
    flags = (flags << 1) & 0xFF;
    --flagBitsLeft;
    if (in == inEnd) return endsEarly();
    const unsigned u = *in++;
    size_t distance, length;
    if (u < 0x80 && (u & 3) == 3) {
      // A literal run of 9 to 40 bytes: within the slack, since the output is below target.
      const size_t n = (u >> 2) + 9;
      if (size_t(inEnd - in) < n) return endsEarly();
      std::memcpy(out, in, n);
      in += n;
      out += n;
      continue;
    }
    if (u < 0x80) {
      distance = (u >> 2) + 1;
      length = (u & 3) + 2;
    } else if (u < 0xC0) {
      if (in == inEnd) return endsEarly();
      const unsigned b = *in++;
      distance = ((u & 0x3F) << 4) + (b >> 4) + 1;
      length = (b & 0x0F) + 3;
    } else {
      if (inEnd - in < 2) return endsEarly();
      distance = ((u & 0x3F) << 8) + in[0] + 1;
      length = longMatchLength(in[1]);
      in += 2;
    }
    const size_t written = size_t(out - start);
    if (distance > written)
      return fail(error, "an LZ match at output byte " + std::to_string(written) + " reaches " +
                             std::to_string(distance) + " bytes back, before the start");
    if (length > size_t(outLimit - out))
      return fail(error, "an LZ match of " + std::to_string(length) + " bytes at output byte " +
                             std::to_string(written) + " overshoots the " +
                             std::to_string(target) + " bytes by more than " +
                             std::to_string(kPictureSlack));
    copyMatch(out, distance, length);
    out += length;
  }
  return true;
}

bool runLengthDecode(std::span<const uint8_t> stream, size_t target, uint8_t* out,
                     std::string* error) {
  ByteReader in(stream);
  size_t written = 0;
  while (written < target) {
    const uint8_t h = in.u8();
    if (!in.ok()) break;
    if (h < 0x80) {
      // A literal of 1 to 128 bytes: within the slack, since the output is below target.
      const size_t n = size_t(h) + 1;
      if (!in.bytes(out + written, n)) break;
      written += n;
      continue;
    }
    const size_t unit = ((h >> 5) & 3) + 1;
    size_t count = (size_t(h & 0x1F) << 8) + in.u8() + 1;
    const std::span<const uint8_t> pattern = in.take(unit);
    if (!in.ok()) break;
    // A run that would pass the picture is cut to the whole units that fit.
    count = std::min(count, (target - written) / unit);
    uint8_t* run = out + written;
    if (unit == 1) {
      std::memset(run, pattern[0], count);
    } else if (count > 0) {
      std::memcpy(run, pattern.data(), unit);
      // Doubling copies: each one repeats everything written so far.
      for (size_t done = unit, total = unit * count; done < total;) {
        const size_t n = std::min(done, total - done);
        std::memcpy(run + done, run, n);
        done += n;
      }
    }
    written += unit * count;
  }
  if (written >= target) return true;
  return fail(error, "the run-length stream ends after " + std::to_string(written) + " of " +
                         std::to_string(target) + " bytes");
}

namespace {

#ifdef __SSE2__
// The delta stage four pixels (12 bytes) at a time, from `in` to `out` (the same buffer or
// separate ones); returns how many leading bytes it decoded. Within a block the running sums
// come from two shifted adds; the sums carried in from the blocks before are kept as the last
// pixel's three bytes repeated over the block, and each block adds its own total to them, so
// blocks depend on each other through one add only.
size_t deltaDecodeBlocks(const uint8_t* in, uint8_t* out, size_t n) {
  if (n < 28) return 0;
  const __m128i firstPixel = _mm_setr_epi8(-1, -1, -1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  __m128i carry = _mm_setzero_si128();
  __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
  size_t k = 0;
  for (; k + 12 + 16 <= n; k += 12) {
    // Read before the store below, which may write over these bytes when in == out.
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + k + 12));
    v = _mm_add_epi8(v, _mm_slli_si128(v, 3));
    v = _mm_add_epi8(v, _mm_slli_si128(v, 6));
    // Bytes 12..15 are scribbled on here and written again by the next block.
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), _mm_add_epi8(v, carry));
    __m128i total = _mm_and_si128(_mm_srli_si128(v, 9), firstPixel);
    total = _mm_or_si128(total, _mm_slli_si128(total, 3));
    total = _mm_or_si128(total, _mm_slli_si128(total, 6));
    carry = _mm_add_epi8(carry, total);
    v = next;
  }
  // Puts back the coded bytes the last block scribbled on, for the byte loop that follows.
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), v);
  return k;
}
#else
size_t deltaDecodeBlocks(const uint8_t*, uint8_t*, size_t) { return 0; }
#endif

}  // namespace

void deltaDecode(std::span<const uint8_t> coded, uint8_t* out) {
  // out[k] = coded[k] + out[k - 3]: three running sums, one a channel, through the whole
  // picture.
  const uint8_t* in = coded.data();
  const size_t n = coded.size();
  size_t k = deltaDecodeBlocks(in, out, n);
  for (; k < std::min<size_t>(n, 3); ++k) out[k] = in[k];
  for (; k < n; ++k) out[k] = uint8_t(in[k] + out[k - 3]);
}

void deltaDecode(std::span<uint8_t> pixels) { deltaDecode(pixels, pixels.data()); }

// ---- The decoder -----------------------------------------------------------------------------

PictureDecoder::PictureDecoder() = default;
PictureDecoder::~PictureDecoder() = default;

uint8_t* PictureDecoder::Buffer::reserve(size_t n) {
  if (n > capacity) {
    bytes.reset(new uint8_t[n]);
    capacity = n;
  }
  return bytes.get();
}

bool PictureDecoder::decode(std::span<const uint8_t> entry, Surface& out, std::string* error) {
  PictureHeader h;
  if (!readPictureHeader(entry, h))
    return fail(error, "the picture entry has " + std::to_string(entry.size()) +
                           " bytes, less than its 16-byte header");
  if (h.bytesPerPixel != 3)
    return fail(error, "the picture claims " + std::to_string(h.bytesPerPixel) +
                           " bytes a pixel; pictures have 3");
  const std::string size = std::to_string(h.width) + "x" + std::to_string(h.height);
  if (h.width == 0 || h.height == 0) return fail(error, "the picture is " + size + " pixels");
  const size_t pixelBytes = h.pixelBytes();
  if (pixelBytes > kMaxPictureBytes)
    return fail(error, "the picture is " + size + " pixels, too large to be a picture");
  if (h.lzSize < 0)
    return fail(error, "the picture's LZ stream size " + std::to_string(h.lzSize) +
                           " is negative");
  const size_t lzSize = size_t(h.lzSize);
  if (lzSize > entry.size() - kPictureHeaderSize)
    return fail(error, "the picture entry ends " +
                           std::to_string(entry.size() - kPictureHeaderSize) +
                           " bytes into its LZ stream of " + std::to_string(lzSize));
  // A run-length stream never needs more than 3 bytes a picture byte (a run of one unit of
  // one byte each time); a larger size is damage, not a picture.
  if (h.runLength() && (h.runLengthSize <= 0 || size_t(h.runLengthSize) > 3 * pixelBytes))
    return fail(error, "the picture's run-length size " + std::to_string(h.runLengthSize) +
                           " does not fit its " + size + " pixels");
  const size_t lzTarget = h.lzOutputBytes();
  // Cheap checks first: a stream too short to yield its output needs no buffer.
  if (lzTarget > lzSize * kLzMaxExpansion)
    return fail(error, "the LZ stream of " + std::to_string(lzSize) +
                           " bytes cannot yield the " + std::to_string(lzTarget) + " it must");
  if (h.runLength() && pixelBytes > lzTarget * kRunLengthMaxExpansion)
    return fail(error, "the run-length stream of " + std::to_string(lzTarget) +
                           " bytes cannot yield the " + std::to_string(pixelBytes) + " it must");

  uint8_t* pixels = lz_.reserve(lzTarget + kPictureSlack + kStageMargin);
  if (!lzDecode(entry.subspan(kPictureHeaderSize, lzSize), lzTarget, pixels, error)) return false;
  if (h.runLength()) {
    uint8_t* rle = runLength_.reserve(pixelBytes + kPictureSlack + kStageMargin);
    if (!runLengthDecode({pixels, lzTarget}, pixelBytes, rle, error)) return false;
    pixels = rle;
  }

  // Rows are packed in both the pixel data and the surface, so row r at r * width * 3 is one
  // copy of the whole picture; the delta stage, which cannot fail, makes that copy itself.
  if (out.width != h.width || out.height != h.height || out.pixels.size() != pixelBytes) {
    out.width = h.width;
    out.height = h.height;
    out.pixels.resize(pixelBytes);
  }
  if (h.delta())
    deltaDecode({pixels, pixelBytes}, out.pixels.data());
  else
    std::memcpy(out.pixels.data(), pixels, pixelBytes);
  return true;
}

bool decodePicture(std::span<const uint8_t> entry, Surface& out, std::string* error) {
  PictureDecoder decoder;
  return decoder.decode(entry, out, error);
}

}  // namespace corvid
