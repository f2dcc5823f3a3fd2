#pragma once
// The one-character colour channel codes shared by solid-colour picture names ("S" and three
// codes) and the speaker colours of the "_config" section.

#include <cstdint>

namespace corvid {

// One channel value from its code: "0".."9" give the digit times 16, "A".."F" (either case)
// 10..15 times 16, "G" (either case) full 255, anything else 0. Callers that upper-case their
// text first get the same result.
inline int colourChannelFromCode(char code) {
  if (code >= '0' && code <= '9') return (code - '0') * 16;
  if (code >= 'A' && code <= 'F') return (code - 'A' + 10) * 16;
  if (code >= 'a' && code <= 'f') return (code - 'a' + 10) * 16;
  if (code == 'G' || code == 'g') return 255;
  return 0;
}

// A colour 0x00BBGGRR from three codes: red, green, blue in that order.
inline uint32_t colourFromCodes(char red, char green, char blue) {
  return uint32_t(colourChannelFromCode(red)) | uint32_t(colourChannelFromCode(green)) << 8 |
         uint32_t(colourChannelFromCode(blue)) << 16;
}

}  // namespace corvid
