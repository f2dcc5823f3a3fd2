#pragma once
// The choices a recollection scene records and replays. S161 says what happens (1 records,
// 2 replays), S162 counts the recorded choices, S163 is the replay's index; the choice numbers
// themselves are kept here, one byte each. The recollection mode owns the record.

#include <array>
#include <cstdint>

namespace corvid {

class ChoiceRecord {
 public:
  static constexpr int32_t kCapacity = 256;  // choices of one scene; later ones are not recorded

  // Stores `choice` (1-based) at `index`; false (nothing stored) beyond the capacity.
  bool store(int32_t index, int32_t choice) {
    if (index < 0 || index >= kCapacity) return false;
    bytes_[size_t(index)] = uint8_t(choice);
    return true;
  }
  // The choice at `index`; 0 (none) outside the record.
  int32_t at(int32_t index) const {
    return index >= 0 && index < kCapacity ? bytes_[size_t(index)] : 0;
  }
  void clear() { bytes_.fill(0); }

 private:
  std::array<uint8_t, kCapacity> bytes_{};
};

}  // namespace corvid
