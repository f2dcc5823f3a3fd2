#include "script/message_log.h"

#include <cstring>

#include "data/sjis.h"
#include "script/variables.h"

namespace corvid {

void MessageLog::clear() {
  bytes_.fill('\0');
  slotIndex_ = 0;
  writeLength_ = 0;
}

void MessageLog::appendCharacter(const char* bytes, int width) {
  const int32_t slotEnd = slotIndex_ * kSlotBytes + kTextBytes;
  if (width < 1 || writeLength_ + width > slotEnd) return;
  std::memcpy(bytes_.data() + writeLength_, bytes, size_t(width));
  writeLength_ += width;
}

void MessageLog::appendText(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const int width =
        isSjisLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    appendCharacter(text.data() + i, width);
    i += size_t(width);
  }
}

void MessageLog::closeLine() {
  bytes_[size_t(writeLength_)] = '\0';
  if (slotIndex_ < kLastSlot) {
    ++slotIndex_;
  } else {
    std::memmove(bytes_.data(), bytes_.data() + kSlotBytes, size_t(kLastSlot) * kSlotBytes);
  }
  writeLength_ = slotIndex_ * kSlotBytes;
  bytes_[size_t(writeLength_)] = '\0';
}

std::string_view MessageLog::slot(int32_t i) const {
  if (i < 0 || i >= kSlots) return {};
  const char* start = bytes_.data() + size_t(i) * kSlotBytes;
  return {start, strnlen(start, size_t(kSlotBytes))};
}

std::string_view MessageLog::currentLine() const {
  const size_t start = size_t(slotIndex_) * kSlotBytes;
  return {bytes_.data() + start, size_t(writeLength_) - start};
}

std::vector<std::string> MessageLog::finishedLines() const {
  std::vector<std::string> lines;
  lines.reserve(size_t(slotIndex_));
  for (int32_t i = 0; i < slotIndex_; ++i) lines.emplace_back(slot(i));
  return lines;
}

void closeLogLine(MessageLog& log, VariableSpaces& vars) {
  log.closeLine();
  vars.S[38] = 0;
}

}  // namespace corvid
