#pragma once
// The argument texts of the picture commands, taken apart. Each reader works on the text after
// the command word (for an inline tag, the text up to its "]") and never fails: what a script
// leaves out takes its default, what it adds is ignored.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "data/sjis.h"

namespace corvid {

inline constexpr size_t kPictureNameMax = 63;  // a command's picture name: fewer than 64 bytes
inline constexpr size_t kDirectNameMax = 31;   // "direct ": fewer than 32 bytes
inline constexpr size_t kOvrFieldSearch = 16;  // "ovr ": each "," is looked for this far
inline constexpr int kSpriteLineFields = 5;     // a sprite line fills at most five slots

// The engine's name rule (upperSjisName) applied in place, so that a command's names are
// upper-cased in buffers kept from one command to the next.
void upperNameInPlace(std::string& name);

// A decimal number at the start of `text` after blanks and tabs, with an optional sign; no
// digits give `fallback`. Limited to the 32-bit range.
int32_t leadingNumber(std::string_view text, int32_t fallback = 0);

// "gra ", "grb " and "bg " NAME...: NAME runs to the first blank, ",", "]" or the end (cut to
// kPictureNameMax bytes). The rest up to "]" is scanned: each run of digits sets the transition
// (a later run replaces an earlier one), "L"/"l" selects the left slot, "R"/"r" the right one
// (the later letter wins); other bytes are ignored.
struct GraArguments {
  std::string_view name;
  int32_t transition = -1;  // -1 when no number was given
  char side = 0;            // 'L', 'R' or 0
  bool operator==(const GraArguments&) const = default;
};
GraArguments parseGraArguments(std::string_view text);

// "clrb " TEXT: the transition is the number at its start (0 when none: no show); a last byte
// "L"/"l" empties the left slot, "R"/"r" the right one, anything else every slot.
struct ClrbArguments {
  int32_t transition = 0;
  char side = 0;  // 'L', 'R' or 0
  bool operator==(const ClrbArguments&) const = default;
};
ClrbArguments parseClrbArguments(std::string_view text);

// "ovr " NAME,n,x,y: NAME up to the first "," or blank (cut to kPictureNameMax bytes); n right
// after it (1 when absent); x and y in the next two fields, each found by its "," within
// kOvrFieldSearch bytes. A field that is not found is absent (the overlay keeps its position).
struct OvrArguments {
  std::string_view name;
  int32_t transition = 1;
  bool hasX = false, hasY = false;
  int32_t x = 0, y = 0;
  bool operator==(const OvrArguments&) const = default;
};
OvrArguments parseOvrArguments(std::string_view text);

// "direct " NAME,MS,X,Y: NAME up to "," (cut to kDirectNameMax bytes), then three numbers, each
// after the next ","; a missing one is 0.
struct DirectArguments {
  std::string_view name;
  int32_t ms = 0, x = 0, y = 0;
  bool operator==(const DirectArguments&) const = default;
};
DirectArguments parseDirectArguments(std::string_view text);

// "partsload " NAME[,NAME2]: the names either side of the first ",".
struct PartsloadArguments {
  std::string_view name;
  std::string_view second;
  bool hasSecond = false;
  bool operator==(const PartsloadArguments&) const = default;
};
PartsloadArguments parsePartsloadArguments(std::string_view text);

// The first five fields of a sprite line, split at "," and ":" (neither is ever the second byte
// of a double-byte character). Missing fields are empty.
std::array<std::string_view, kSpriteLineFields> spriteFields(std::string_view line);

// "gra Bchr01L" written without a separator before the side letter: when no picture has the
// whole name but one has it without its last letter, that letter ("L" or "R", either case) is
// taken off `name` and returned, upper-cased. A picture whose name does end in "L" or "R" is
// always taken as named: 0, `name` unchanged. `exists` says whether a picture has a name.
template <typename Exists>
char takeSideWrittenIntoName(std::string_view& name, const Exists& exists) {
  if (name.size() < 2) return 0;
  const char last = name.back() == 'l' ? 'L' : name.back() == 'r' ? 'R' : name.back();
  if (last != 'L' && last != 'R') return 0;
  if (!sjisEndsWithByte(name, name.back())) return 0;
  const std::string_view shorter = name.substr(0, name.size() - 1);
  if (exists(name) || !exists(shorter)) return 0;
  name = shorter;
  return last;
}

// The mask of a standing picture: NAME with "M" in place of its first character (a double-byte
// first character is replaced whole). Written into `out`, a buffer the caller keeps.
void maskNameInto(std::string_view name, std::string& out);

}  // namespace corvid
