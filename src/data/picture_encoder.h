#pragma once
// The encoder of the compressed picture format (see picture_codec.h for the layout): an LZ
// stage with a hash-chain match finder, and the run-length and delta stages, each used when it
// makes the entry smaller. What it writes, decodePicture reads back exactly.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "gfx/surface.h"

namespace corvid {

enum class PictureStages {
  Smallest,        // try the four below and keep the smallest entry
  Lz,              // LZ only
  RunLength,       // run-length, then LZ
  Delta,           // delta, then LZ
  DeltaRunLength,  // delta, run-length, then LZ
};

struct PictureEncodeOptions {
  PictureStages stages = PictureStages::Smallest;
  int chainDepth = 64;  // match candidates tried at each position: more is smaller and slower
};

// Encodes the surface as one picture entry. Refused (with `error` saying why): a surface that
// is empty, wider or taller than 65535 pixels, larger than the decoder accepts, or whose pixel
// buffer does not match its size.
bool encodePicture(const Surface& picture, std::vector<uint8_t>& out, std::string* error = nullptr,
                   const PictureEncodeOptions& options = {});

// ---- The stages on their own -----------------------------------------------------------------

// An LZ stream that lzDecode turns back into exactly `data`.
std::vector<uint8_t> lzEncode(std::span<const uint8_t> data, int chainDepth = 64);
// A run-length stream that runLengthDecode turns back into exactly `data`.
std::vector<uint8_t> runLengthEncode(std::span<const uint8_t> data);
// The inverse of deltaDecode, in place.
void deltaEncode(std::span<uint8_t> pixels);

}  // namespace corvid
