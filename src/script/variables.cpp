#include "script/variables.h"

#include "data/sjis.h"

namespace corvid {

void VariableSpaces::setString(int slot, const std::string& text) {
  if (slot < 0 || slot >= kStringSlots) return;
  size_t n = 0;
  while (n < text.size()) {
    size_t width = isSjisLeadByte(static_cast<unsigned char>(text[n])) ? 2 : 1;
    if (n + width > size_t(kStringBytes - 1)) break;
    n += width;
  }
  strings[size_t(slot)] = text.substr(0, n);
}

}  // namespace corvid
