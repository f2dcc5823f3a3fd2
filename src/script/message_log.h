#pragma once
// MessageLog: the text the player has read, as the backlog shows it and save files keep it.
// 201 slots of 70 bytes; the slot index (0..200) counts the finished lines, and the write
// length is the byte offset, from the log's start, where the next character goes. A slot holds
// at most 69 bytes of text and its NUL; a slot whose text begins with "@" is a voice mark
// naming the voice after it.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvid {

struct VariableSpaces;

class MessageLog {
 public:
  static constexpr int32_t kSlots = 201;
  static constexpr int32_t kSlotBytes = 70;
  static constexpr int32_t kTextBytes = kSlotBytes - 1;  // a slot's text, without its NUL
  static constexpr int32_t kLastSlot = kSlots - 1;       // the slot index never passes it

  MessageLog() { clear(); }

  void clear();

  // Appends one character (`width` 1 or 2 bytes) at the write length. A character that no
  // longer fits the slot's 69 bytes is dropped whole, so a long line can neither run into the
  // next slot (nor past the last one) nor end in half a character.
  void appendCharacter(const char* bytes, int width);
  // Appends the characters of a Shift_JIS text (a speaker name, a voice mark).
  void appendText(std::string_view text);

  // Ends the line being written: a NUL at the write length; the next slot begins, or, with all
  // 200 finished slots in use, the oldest line is dropped and the others move down.
  void closeLine();

  int32_t slotIndex() const { return slotIndex_; }
  int32_t writeLength() const { return writeLength_; }
  // The text of slot `i` up to its NUL; finished lines are slots 0 .. slotIndex() - 1.
  std::string_view slot(int32_t i) const;
  // What has been written of the line not yet closed.
  std::string_view currentLine() const;
  // The finished lines, oldest first.
  std::vector<std::string> finishedLines() const;

 private:
  std::array<char, size_t(kSlots) * kSlotBytes> bytes_{};
  int32_t slotIndex_ = 0;
  int32_t writeLength_ = 0;
};

// closeLogLine: closes the log line and clears S38, the text cursor's wrapped flag.
void closeLogLine(MessageLog& log, VariableSpaces& vars);

}  // namespace corvid
