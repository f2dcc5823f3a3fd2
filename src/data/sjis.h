#pragma once
// Shift_JIS (code page 932) text helpers. Inside the engine every text is kept as the
// Shift_JIS bytes the title stores; conversion to UTF-8 happens only at the edges (window
// caption, message boxes, dialogs, tools, logs and the headless state file).

#include <cstdint>
#include <string>
#include <string_view>

namespace corvid {

// A byte of 0x80 or above starts a two-byte character, except the single-byte katakana
// 0xA1..0xDF, which stand alone.
inline bool isSjisLeadByte(unsigned char b) { return b >= 0x80 && !(b >= 0xA1 && b <= 0xDF); }

// The engine's name rule: upper-case the single-byte letters a-z only, leaving both bytes of a
// double-byte character as they are even when the second byte is an ASCII letter.
std::string upperSjisName(std::string_view name);

// The length of the longest prefix of `text` of at most `maxBytes` bytes that does not end in
// the middle of a double-byte character.
size_t sjisCutLength(std::string_view text, size_t maxBytes);

// Whether the last character of `text` is the single byte `c` (not the second byte of a
// double-byte character, as the 0x5C of "ソ" is).
bool sjisEndsWithByte(std::string_view text, char c);

// Names equal under upperSjisName.
bool sjisNamesEqual(std::string_view a, std::string_view b);

// Conversions; bytes that do not convert become '?' (never fails, never throws).
std::string sjisToUtf8(std::string_view sjis);
std::string utf8ToSjis(std::string_view utf8);

// Strict conversion: false when any character has no Shift_JIS form.
bool utf8ToSjisStrict(std::string_view utf8, std::string& out);

// The Unicode character of a code page 932 character code (lead byte * 256 + second byte, or
// the byte of a single-byte character), as a Windows player shows it: the NEC and IBM extension
// rows, half-width katakana, 0x8160 as U+FF5E. False for a code that is no character.
bool cp932CodeToUnicode(uint32_t code, char32_t& out);

}  // namespace corvid
