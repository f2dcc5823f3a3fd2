#pragma once
// How texts of the settings file are written. The engine holds every text as Shift_JIS bytes;
// the file holds UTF-8 so that a player can read and edit it. Anything that would not survive
// that trip or the line format is written as %HH (the byte in hex):
//   - '%' itself, control characters (newline, tab, ...) and DEL;
//   - spaces and tabs at either end (the reader trims blanks around names and values);
//   - Shift_JIS bytes that have no UTF-8 form that converts back to the same bytes
//     (a cut double-byte character, codes outside code page 932);
//   - in value names also '=' and a leading '[', ';' or '#', which the line format uses.
// So every byte string round-trips exactly. When reading, a '%' not followed by two hex digits
// stays a literal '%' (friendlier to hand edits such as "100%").

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvid {

enum class SettingTextRole { Value, Name, Section };

// Shift_JIS bytes -> the file's text for a value, a value name or a section header.
std::string encodeSettingText(std::string_view sjis, SettingTextRole role);

// The file's text -> Shift_JIS bytes. False when the text holds invalid UTF-8 or a character
// that Shift_JIS cannot hold (such a value is ignored and takes its default).
bool decodeSettingText(std::string_view text, std::string& sjis);

// Integers are stored as decimal text with a minus sign for negative numbers.
std::string formatSettingInt(int32_t value);
// Nothing unless the whole text is an optional '-' and digits within the 32-bit range.
std::optional<int32_t> parseSettingInt(std::string_view text);

}  // namespace corvid
