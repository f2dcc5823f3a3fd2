#pragma once
// The compressed picture format of the picture archives, and its decoder.
//
// Sections: the entry layout; the decoder; the stages on their own (used by the encoder and
// the tests).
//
// An entry is a 16-byte header followed by an LZ stream. The LZ stage yields either the pixel
// data or, when flag 0x40 is set, a run-length stream that yields the pixel data; with flag
// 0x80 the colour bytes are then delta-coded per channel. Pixel data is BGR, 3 bytes a pixel,
// rows from the top, packed.
//
// A malformed entry is refused with a text that says what is wrong; the decoder never reads or
// writes outside its buffers, whatever the input, and leaves the surface untouched on failure.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "data/byte_writer.h"
#include "gfx/surface.h"

namespace corvid {

// ---- The entry layout ------------------------------------------------------------------------

inline constexpr size_t kPictureHeaderSize = 16;
inline constexpr uint8_t kPictureRunLengthFlag = 0x40;  // a run-length stage follows the LZ stage
inline constexpr uint8_t kPictureDeltaFlag = 0x80;      // colour channels are delta-coded
inline constexpr size_t kPictureSlack = 256;  // bytes the last item of a stage may overshoot by

// The largest pixel data accepted: far above any picture a title shows (an 800x600 screen is
// 1.4 MB; long scroll pictures a few times that), low enough that a damaged size cannot make
// the decoder ask for gigabytes.
inline constexpr size_t kMaxPictureBytes = size_t(128) << 20;

struct PictureHeader {
  uint16_t reserved = 0;      // offset 0: never interpreted
  uint8_t flags = 0;          // offset 2: kPictureRunLengthFlag | kPictureDeltaFlag
  uint8_t bytesPerPixel = 3;  // offset 3: always 3
  int32_t lzSize = 0;         // offset 4: L, bytes of LZ stream after the header
  int32_t runLengthSize = 0;  // offset 8: M, the LZ output's length when flag 0x40 is set
  uint16_t width = 0;         // offset 12: pixels
  uint16_t height = 0;        // offset 14: pixels

  bool runLength() const { return flags & kPictureRunLengthFlag; }
  bool delta() const { return flags & kPictureDeltaFlag; }
  // P: bytes of the finished pixel data.
  size_t pixelBytes() const { return size_t(width) * height * bytesPerPixel; }
  // T: bytes the LZ stage produces.
  size_t lzOutputBytes() const { return runLength() ? size_t(runLengthSize) : pixelBytes(); }
};

// Reads the header at the start of `entry`; false when the entry is shorter than a header.
bool readPictureHeader(std::span<const uint8_t> entry, PictureHeader& out);
// Writes the 16 header bytes.
void writePictureHeader(ByteWriter& out, const PictureHeader& header);

// ---- The decoder -----------------------------------------------------------------------------

// Decodes entries into surfaces, keeping its stage buffers from one picture to the next so that
// loading pictures allocates nothing once the largest has been seen.
class PictureDecoder {
 public:
  PictureDecoder();
  ~PictureDecoder();

  // Decodes the entry whose first byte is entry[0] (the bytes after the header's L bytes are
  // ignored) into `out`: the surface takes the header's width and height, and its rows the
  // pixels. On failure `error` says what is wrong and `out` is left as it was.
  bool decode(std::span<const uint8_t> entry, Surface& out, std::string* error = nullptr);

 private:
  struct Buffer {
    std::unique_ptr<uint8_t[]> bytes;  // left uninitialised: every byte read is written first
    size_t capacity = 0;
    uint8_t* reserve(size_t n);
  };
  Buffer lz_, runLength_;
};

// One picture with a decoder of its own (tools and tests; the engine keeps a PictureDecoder).
bool decodePicture(std::span<const uint8_t> entry, Surface& out, std::string* error = nullptr);

// ---- The stages on their own -----------------------------------------------------------------

// Runs the LZ stage over `stream` until at least `target` bytes are out. `out` must hold
// target + kPictureSlack + kStageMargin bytes; the last item may write up to kPictureSlack bytes
// past `target`, and the bytes after that may be scribbled on. Refused: a stream that ends early,
// a distance before the start of the output, an item overshooting the slack.
inline constexpr size_t kStageMargin = 32;
bool lzDecode(std::span<const uint8_t> stream, size_t target, uint8_t* out, std::string* error);

// Runs the run-length stage over `stream` until `target` bytes are out (runs cut to the whole
// units that fit). `out` must hold target + kPictureSlack bytes. Refused: a stream that ends
// early.
bool runLengthDecode(std::span<const uint8_t> stream, size_t target, uint8_t* out,
                     std::string* error);

// Undoes the delta coding: each channel is a running sum over the whole picture, from one row
// into the next. In place, or from `coded` into `out` (coded.size() bytes; `out` may also be
// coded.data()).
void deltaDecode(std::span<uint8_t> pixels);
void deltaDecode(std::span<const uint8_t> coded, uint8_t* out);

}  // namespace corvid
