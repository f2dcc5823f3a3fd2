#pragma once
// The script side of choices, read straight from the script images: the choice blocks that
// follow a `select` or `clickmap` line, the case a `switch` takes, and a click map's regions
// in the definition section "map". Nothing here draws or keeps state between calls; the
// choices (choices.h) and `cvdtool lint` both read constructs through these functions, so
// what lint reports is what play does.
//
// Sections: limits and shapes; the choice blocks; switch; click-map definitions.

#include <array>
#include <cstdint>
#include <string_view>

#include "script/script_image.h"
#include "script/script_text.h"

namespace corvid {

struct VariableSpaces;

// ---- Limits and shapes ----------------------------------------------------------------------

inline constexpr int32_t kMaxChoices = 32;
inline constexpr size_t kChoiceTextBytes = 64;  // a text of 63 bytes and its NUL
inline constexpr int32_t kTimedChoiceTicksPerUnit = 20;  // "@n" waits n * 20 timer ticks

using ChoiceText = FixedText<kChoiceTextBytes>;

// Right and bottom are exclusive: the rectangle covers right - left columns.
struct ChoiceRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const ChoiceRect&) const = default;
};

// How the conditions of "{(" lines are decided: the variables when played, a fixed answer when
// checked by lint.
class BlockConditions {
 public:
  virtual ~BlockConditions() = default;
  // `text` starts at the "(" and runs to the end of the line; the condition ends at ")".
  virtual bool holds(std::string_view text) = 0;
};

// ---- The choice blocks ------------------------------------------------------------------------

enum class ChoiceBlockKind { Select, ClickMap };

struct ChoiceBlock {
  ChoiceText text;
  int32_t target = 0;       // main-image position of the line after the "{" line
  bool enabled = true;      // a click-map block whose condition was false
  int32_t timedTicks = 0;   // "@n" of a click map: n * 20 timer ticks; 0 none
  bool timed = false;
};

struct ChoiceBlocks {
  std::array<ChoiceBlock, kMaxChoices> blocks;
  int32_t count = 0;          // blocks counted (a select leaves out the false ones)
  int32_t constructEnd = 0;   // the closing "}" line; the image's size when it is missing
  bool closed = true;         // a "}" line ends the construct
  bool overflow = false;      // a 33rd block was left unread
  bool textCut = false;       // a text longer than 63 bytes was cut
};

// Reads the blocks from `from` (the line after the command): each line beginning with "{"
// that comes before the next line beginning with "}" opens a block. In a block's line, "("
// starts a condition up to ")" (false: a select drops the block, a click map counts it
// disabled), "$d" (select) makes string slot d the text, "@n" (click map) a timed choice;
// everything else is the text. At most 32 blocks are counted.
void readChoiceBlocks(const ScriptImage& image, int32_t from, ChoiceBlockKind kind,
                      const VariableSpaces& vars, BlockConditions& conditions,
                      ChoiceBlocks& out);

// ---- switch -------------------------------------------------------------------------------------

struct SwitchCase {
  int32_t position = 0;       // where the script goes on: the taken case, or the construct end
  bool taken = false;         // a case was taken
  bool closed = true;         // the closing "}" (or "}:name") line exists
};

// With a name: the cases are "{:name(condition)" and "{:name" (the default) lines before the
// closing "}:name"; without one, "{(condition)" and "{" lines before the first "}" line. The
// first case that holds is taken in order; none: the construct end (the image's end when the
// closing line is missing).
SwitchCase findSwitchCase(const ScriptImage& image, int32_t from, std::string_view name,
                          BlockConditions& conditions);

// ---- Click-map definitions ------------------------------------------------------------------------

enum class RegionKind : char {
  Rectangle = ' ',
  Picture = '*',  // highlighted by its rectangle of the parts picture
  Pair = '#',     // and a second rectangle of the parts picture
  Colour = '$',   // the pixels of one colour of the parts picture
};

struct ClickRegion {
  RegionKind kind = RegionKind::Rectangle;
  ChoiceText caption;         // the name, or the text of its block
  ChoiceRect rect;            // x1 <= x2, y1 <= y2
  ChoiceRect second;          // "#": the second rectangle of the parts picture
  int32_t secondX = 0, secondY = 0;  // "#": where it is drawn (a5, a6; else a1, a2)
  uint32_t colour = 0;        // "$": 0x00BBGGRR with the three high nibbles of the name
  int32_t cursor = 0;         // "$": the cursor shape c + 29 while over it
  ChoiceRect label;           // where the caption sits (left, top, right; bottom = top + 24)
};

struct ClickMapDefinition {
  std::array<ClickRegion, kMaxChoices> regions;
  int32_t count = 0;
  int32_t declared = 0;   // the count the first line gives
};

// Finds ":" + name (compared over the name's length, without case) in the section and reads
// the definition after it. False when the name is not there.
bool readClickMap(const ScriptImage& section, std::string_view name, ClickMapDefinition& out);

// The caption box of a region: the caption in the 16-pixel font (half-width characters 8
// pixels, double-byte ones 16) and 16 pixels either side, centred on the rectangle.
ChoiceRect captionBox(const ChoiceRect& rect, std::string_view caption);

}  // namespace corvid
