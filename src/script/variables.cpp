#include "script/variables.h"

#include "data/sjis.h"

namespace corvid {

void VariableSpaces::setString(int slot, std::string_view text) {
  if (slot < 0 || slot >= kStringSlots) return;
  size_t n = 0;
  while (n < text.size()) {
    size_t width = isSjisLeadByte(static_cast<unsigned char>(text[n])) ? 2 : 1;
    if (n + width > size_t(kStringBytes - 1)) break;
    n += width;
  }
  strings[size_t(slot)] = text.substr(0, n);
}

namespace {

template <size_t N>
int32_t element(const std::array<int32_t, N>& a, int index) {
  return index >= 0 && size_t(index) < N ? a[size_t(index)] : 0;
}

template <size_t N>
void setElement(std::array<int32_t, N>& a, int index, int32_t value) {
  if (index >= 0 && size_t(index) < N) a[size_t(index)] = value;
}

// Flags take only 0 and 1; other values leave the flag alone.
template <size_t N>
void assignFlag(FlagSpace<N>& flags, int index, int32_t value) {
  if (value == 0 || value == 1) flags.set(index, value == 1);
}

}  // namespace

int32_t VariableSpaces::operandValue(char letter, int index) const {
  switch (letter) {
    case 'V': return element(V, index);
    case 'P': return element(V, element(V, index));
    case 'S': return element(S, index);
    case 'G': return element(G, index);
    case 'E': return E.get(index) ? 1 : 0;
    case 'F': return F.get(index) ? 1 : 0;
    case 'T': return T.get(index) ? 1 : 0;
    default: return 0;
  }
}

void VariableSpaces::assignOperand(char letter, int index, int32_t value) {
  switch (letter) {
    case 'V': setElement(V, index, value); break;
    case 'P':
      // The inner index must itself be a V index, or the write would go anywhere.
      if (index >= 0 && size_t(index) < V.size()) setElement(V, V[size_t(index)], value);
      break;
    case 'S': setElement(S, index, value); break;
    case 'G': setElement(G, index, value); break;
    case 'E': assignFlag(E, index, value); break;
    case 'F': assignFlag(F, index, value); break;
    case 'T': assignFlag(T, index, value); break;
    default: break;
  }
}

void VariableSpaces::setSystemStartValues() {
  S[0] = 3;
  S[5] = 0;
  S[8] = 8;
  S[20] = 250;
  S[21] = 550;
  S[27] = 5;
  S[32] = 520;
  S[33] = 30;
  S[37] = 0xFFFFFF;
}

}  // namespace corvid
