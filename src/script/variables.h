#pragma once
// The variable spaces scripts address: V0-V999, S0-S199, G0-G9, the flag bit spaces E, F and
// T, and the ten string slots $0-$9. Flags are single bits, bit n in byte n / 8 at bit n % 8
// (the layout save files keep).

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

namespace corvid {

// A packed bit space of `N` flags; out-of-range indices read as 0 and ignore writes. Held in
// the stored layout (bit n in byte n / 8 at bit position n % 8), so that the global data's
// merge of 80001 read marks is a byte copy rather than a walk over every bit.
template <size_t N>
class FlagSpace {
 public:
  static constexpr size_t kSize = N;
  static constexpr size_t kBytes = (N + 7) / 8;

  bool get(int n) const {
    return n >= 0 && size_t(n) < N && (bytes_[size_t(n) / 8] >> (size_t(n) % 8)) & 1;
  }
  void set(int n, bool on = true) {
    if (n < 0 || size_t(n) >= N) return;
    const uint8_t bit = uint8_t(1u << (size_t(n) % 8));
    uint8_t& b = bytes_[size_t(n) / 8];
    b = on ? uint8_t(b | bit) : uint8_t(b & ~bit);
  }
  void clear() { bytes_.fill(0); }
  bool any() const {
    for (uint8_t b : bytes_)
      if (b) return true;
    return false;
  }
  bool operator==(const FlagSpace&) const = default;

  // Byte access in the stored layout; the bits of the last byte past N read 0 and ignore
  // writes.
  uint8_t byte(size_t i) const { return i < kBytes ? bytes_[i] : 0; }
  void setByte(size_t i, uint8_t b) {
    if (i < kBytes) bytes_[i] = uint8_t(b & heldBits(i));
  }
  // All the bytes; and ORing bytes of the stored layout in from byte 0 (those past the space
  // and the bits past N are ignored).
  std::span<const uint8_t, kBytes> bytes() const { return bytes_; }
  void orBytes(std::span<const uint8_t> from) {
    const size_t n = std::min(from.size(), kBytes);
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {  // eight at a time: the read marks are 10001 bytes
      uint64_t mine, theirs;
      std::memcpy(&mine, bytes_.data() + i, 8);
      std::memcpy(&theirs, from.data() + i, 8);
      mine |= theirs;
      std::memcpy(bytes_.data() + i, &mine, 8);
    }
    for (; i < n; ++i) bytes_[i] |= from[i];
    if (n == kBytes) bytes_[kBytes - 1] &= heldBits(kBytes - 1);
  }

 private:
  static constexpr uint8_t heldBits(size_t i) {
    return (i + 1) * 8 <= N ? 0xFF : uint8_t((1u << (N - i * 8)) - 1);
  }
  std::array<uint8_t, kBytes> bytes_{};
};

struct VariableSpaces {
  static constexpr int kStringSlots = 10;
  static constexpr int kStringBytes = 64;  // 63 bytes of text and a NUL

  std::array<int32_t, 1000> V{};  // game variables, per game
  std::array<int32_t, 200> S{};   // system variables (many have engine meanings)
  std::array<int32_t, 10> G{};    // global variables GV0-GV9, kept across games
  FlagSpace<1024> E;              // event flags, kept across games
  FlagSpace<1024> F;              // game flags, per game
  FlagSpace<10000> T;             // flags T0-T9999, per game
  FlagSpace<80001> readMarks;     // read marks 0-80000, kept per game and across games
  FlagSpace<4000> galleryBits;    // gallery pictures seen, kept across games
  FlagSpace<2000> recollectionBits;  // recollection scenes seen, kept across games
  std::array<std::string, kStringSlots> strings;  // Shift_JIS, at most 63 bytes each

  // Stores a string slot, cut to 63 bytes (never in the middle of a double-byte character).
  void setString(int slot, std::string_view text);

  // The value of a script operand: "V", "P" (V[V[index]]), "S", "G", and the flags "E", "F",
  // "T" as 0 or 1. An index outside its space (S200 and up, a P whose V[index] is no V index)
  // and any other letter read 0.
  int32_t operandValue(char letter, int index) const;

  // Assigns as a statement does: "V", "P", "S", "G" take the value; "E", "F", "T" are cleared
  // by 0, set by 1 and left as they are by any other value. An index outside its space and any
  // other letter change nothing (S200 and up are no system variables, so a write there must
  // not land in some other variable).
  void assignOperand(char letter, int index, int32_t value);

  // The system variables that have fixed start values: S0 = 3 (menu state), S5 = 0, S8 = 8,
  // S20 = 250 (overlay depth), S21 = 550 (overlay x), S27 = 5 (auto-advance speed when switched
  // on), S32 = 520, S33 = 30 (cartoon mark), S37 = 0xFFFFFF (text colour). Start-up updates the
  // menus afterwards.
  void setSystemStartValues();
};

}  // namespace corvid
