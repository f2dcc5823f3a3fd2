#pragma once
// Bounds-checked cursor over a byte buffer. Every fixed file layout (archive directories,
// picture headers, save slots, global data) is read through this class.
//
// Failure is sticky: a read that would pass the end of the buffer reads nothing, returns 0 and
// leaves ok() false for good, so a parser can read a whole record and check once at the end.
// Integers are little-endian, as in every file the engine reads.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

namespace corvid {

class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  explicit ByteReader(std::span<const uint8_t> bytes) : ByteReader(bytes.data(), bytes.size()) {}

  bool ok() const { return ok_; }
  size_t pos() const { return pos_; }
  size_t size() const { return size_; }
  size_t remaining() const { return size_ - pos_; }
  bool atEnd() const { return pos_ >= size_; }

  // Moves to an absolute position; a position past the end fails the reader.
  bool seek(size_t pos) {
    if (!ok_ || pos > size_) return fail();
    pos_ = pos;
    return true;
  }
  bool skip(size_t n) { return n <= remaining() ? seek(pos_ + n) : fail(); }

  uint8_t u8() {
    if (!need(1)) return 0;
    return data_[pos_++];
  }
  uint16_t u16() {
    if (!need(2)) return 0;
    uint16_t v = uint16_t(data_[pos_] | data_[pos_ + 1] << 8);
    pos_ += 2;
    return v;
  }
  uint32_t u32() {
    if (!need(4)) return 0;
    uint32_t v = uint32_t(data_[pos_]) | uint32_t(data_[pos_ + 1]) << 8 |
                 uint32_t(data_[pos_ + 2]) << 16 | uint32_t(data_[pos_ + 3]) << 24;
    pos_ += 4;
    return v;
  }
  int16_t i16() { return int16_t(u16()); }
  int32_t i32() { return int32_t(u32()); }

  // Copies n bytes out; on failure the destination is left untouched.
  bool bytes(void* out, size_t n) {
    if (!need(n)) return false;
    if (n) std::memcpy(out, data_ + pos_, n);
    pos_ += n;
    return true;
  }
  // A view of the next n bytes (empty on failure); the view lives as long as the buffer.
  std::span<const uint8_t> take(size_t n) {
    if (!need(n)) return {};
    std::span<const uint8_t> s(data_ + pos_, n);
    pos_ += n;
    return s;
  }
  // A fixed-width text field: the bytes up to the first NUL. Fails when the field has no NUL,
  // since such a name would otherwise run into the next field.
  bool nulTerminatedField(size_t width, std::string& out) {
    std::span<const uint8_t> field = take(width);
    if (!ok_) return false;
    const void* nul = width ? std::memchr(field.data(), 0, width) : nullptr;
    if (!nul) return fail();
    out.assign(reinterpret_cast<const char*>(field.data()),
               static_cast<const uint8_t*>(nul) - field.data());
    return true;
  }

 private:
  bool need(size_t n) {
    if (!ok_ || n > size_ - pos_) return fail();
    return true;
  }
  bool fail() {
    ok_ = false;
    return false;
  }

  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace corvid
