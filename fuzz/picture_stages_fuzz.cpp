// The LZ and run-length stages of the picture decoder on their own, so that they are reached
// without a valid header first. The first byte picks the stage (bit 0) and how long an output
// the stream must give (bits 1-3: 1 to 8 times the stream's length); a stream that gives it is
// then delta-decoded, as a picture with the delta flag would be.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "data/picture_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::span<const uint8_t> stream(data + 1, size - 1);
  const size_t scale = 1 + ((data[0] >> 1) & 7);
  const size_t target = std::min<size_t>(stream.size() * scale + 1, size_t(1) << 17);
  static std::vector<uint8_t> out;
  out.resize(target + corvid::kPictureSlack + corvid::kStageMargin);
  bool ok = data[0] & 1 ? corvid::runLengthDecode(stream, target, out.data(), nullptr)
                        : corvid::lzDecode(stream, target, out.data(), nullptr);
  if (ok) corvid::deltaDecode(std::span(out).first(target - target % 3));
  return 0;
}
