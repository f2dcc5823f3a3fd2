#pragma once
// The mirror of ByteReader: appends little-endian integers and raw bytes to a growing buffer.
// Every fixed file layout the engine writes goes through this class.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace corvid {

class ByteWriter {
 public:
  void u8(uint8_t v) { out_.push_back(v); }
  void u16(uint16_t v) {
    u8(uint8_t(v));
    u8(uint8_t(v >> 8));
  }
  void u32(uint32_t v) {
    for (int i = 0; i < 4; ++i) u8(uint8_t(v >> (8 * i)));
  }
  void i16(int16_t v) { u16(uint16_t(v)); }
  void i32(int32_t v) { u32(uint32_t(v)); }
  void bytes(std::span<const uint8_t> b) { out_.insert(out_.end(), b.begin(), b.end()); }
  void bytes(const void* p, size_t n) {
    auto b = static_cast<const uint8_t*>(p);
    out_.insert(out_.end(), b, b + n);
  }
  // A fixed-width text field: the text, then NULs up to the width. Text longer than width - 1
  // is cut so that the field always holds its NUL.
  void nulTerminatedField(std::string_view text, size_t width) {
    if (width == 0) return;
    size_t n = text.size() < width ? text.size() : width - 1;
    bytes(text.data(), n);
    out_.insert(out_.end(), width - n, 0);
  }
  void zeros(size_t n) { out_.insert(out_.end(), n, 0); }
  // Overwrites a 32-bit value written earlier (for counts and offsets known only later).
  void patchU32(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out_.at(at + i) = uint8_t(v >> (8 * i));
  }

  size_t size() const { return out_.size(); }
  const std::vector<uint8_t>& data() const { return out_; }
  std::vector<uint8_t> take() { return std::move(out_); }

 private:
  std::vector<uint8_t> out_;
};

}  // namespace corvid
