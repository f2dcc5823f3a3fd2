#pragma once
// The marks and tags of message text.
//
// Marks (double-byte characters, lead byte × 256 + second byte): "▼" waits for a click and
// drops the rest of the line, "▽" begins a new page at once, "〓" waits for a click and goes on
// on the same page, "＄" with a full-width digit streams a string slot. "◆", "§" and "√" are
// shown but kept out of the log. Single bytes: "%" and digits pause, "\" ends the page, "["
// opens a tag, "<" ruby up to ">".
//
// Tags, after "[", are matched without case in the order of MessageTag, each over its own
// length; the first match wins.

#include <optional>
#include <string_view>

namespace corvid {

inline constexpr int kMarkPageEnd = 0x81A5;      // ▼
inline constexpr int kMarkNewPage = 0x81A4;      // ▽
inline constexpr int kMarkLineWait = 0x81AC;     // 〓
inline constexpr int kMarkStringSlot = 0x8190;   // ＄, followed by ０ .. ９ (0x824F .. 0x8258)
inline constexpr int kUnloggedMarks[] = {0x819F, 0x8198, 0x81E3};  // ◆ § √

enum class MessageTag {
  Gra, WideOff, WideOn, Colour, Wait, Voice, Clrb, Delay, Expression, StringSlot, Spr, Bg,
};

struct MessageTagMatch {
  MessageTag tag;
  size_t nameLength;
  bool argumentRightAfter;  // "cv ", "?" and "$"; the others skip the byte after their name
};

// The tag whose name `text` (the bytes after "[") begins with.
std::optional<MessageTagMatch> matchMessageTag(std::string_view text);

}  // namespace corvid
