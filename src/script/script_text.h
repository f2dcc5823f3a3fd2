#pragma once
// Small text helpers of the scenario language: fixed-capacity texts for the interpreter's
// records (so that a step never allocates), keyword and label comparison under the name rule,
// and the number reading of command arguments.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "data/sjis.h"

namespace corvid {

// A Shift_JIS text of at most N - 1 bytes in a fixed N-byte field (the last byte holds the
// NUL the stored records keep). Longer texts are cut, never in the middle of a character.
template <size_t N>
class FixedText {
 public:
  static constexpr size_t kCapacity = N - 1;

  FixedText() = default;
  explicit FixedText(std::string_view text) { assign(text); }

  // Stores `text` cut to the capacity; false when it had to be cut.
  bool assign(std::string_view text) {
    const size_t n = sjisCutLength(text, kCapacity);
    if (n != 0) std::memcpy(bytes_.data(), text.data(), n);
    bytes_[n] = '\0';
    size_ = n;
    return n == text.size();
  }
  void clear() { assign({}); }

  std::string_view view() const { return {bytes_.data(), size_}; }
  const char* c_str() const { return bytes_.data(); }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  bool operator==(const FixedText& other) const { return view() == other.view(); }

 private:
  std::array<char, N> bytes_{};
  size_t size_ = 0;
};

inline char upperAscii(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

// Whether `text` begins with `keyword`, single-byte letters compared without regard to case.
// Keywords are single-byte; the comparison stops at the first difference, so a text that ends
// (at its NUL or its end) before the keyword does not match.
inline bool startsWithNoCase(std::string_view text, std::string_view keyword) {
  if (text.size() < keyword.size()) return false;
  for (size_t i = 0; i < keyword.size(); ++i)
    if (upperAscii(text[i]) != upperAscii(keyword[i])) return false;
  return true;
}

// Equality under the name rule: single-byte a-z compared without case, both bytes of a
// double-byte character exactly (its second byte may look like a letter).
inline bool namesEqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (isSjisLeadByte(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      ++i;
      continue;
    }
    if (upperAscii(a[i]) != upperAscii(b[i])) return false;
  }
  return true;
}

// The decimal number at the start of `text`: leading blanks and a sign allowed, reading stops
// at the first non-digit, no digits give 0. Values beyond 32 bits are held at the nearest end
// of the range instead of wrapping into a different number.
inline int32_t readArgumentNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > int64_t(INT32_MAX) + 1) value = int64_t(INT32_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) value = INT32_MAX;
  return int32_t(value);
}

// The text up to its first NUL (the line buffer and stored fields end there).
inline std::string_view untilNul(std::string_view text) {
  const size_t nul = text.find('\0');
  return nul == std::string_view::npos ? text : text.substr(0, nul);
}

}  // namespace corvid
