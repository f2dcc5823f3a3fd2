#include "persist/settings_text.h"

#include "data/sjis.h"

namespace corvid {

namespace {

bool isBlank(unsigned char c) { return c == ' ' || c == '\t'; }

void appendEscaped(std::string& out, unsigned char c) {
  static const char kHex[] = "0123456789ABCDEF";
  out.push_back('%');
  out.push_back(kHex[c >> 4]);
  out.push_back(kHex[c & 15]);
}

// Whether a single-byte character at index `i` must be escaped. [begin, end) is the text
// without its leading and trailing blanks.
bool mustEscapeAscii(unsigned char c, size_t i, size_t begin, size_t end, SettingTextRole role) {
  if (c == '%' || c < 0x20 || c == 0x7F) return true;
  if (isBlank(c) && (i < begin || i >= end)) return true;
  if (role != SettingTextRole::Name) return false;
  if (c == '=') return true;
  return i == 0 && (c == '[' || c == ';' || c == '#');
}

// The UTF-8 form of one Shift_JIS character, when converting it back gives the same bytes.
std::optional<std::string> roundTrippingUtf8(std::string_view sjisChar) {
  std::string utf8 = sjisToUtf8(sjisChar);
  std::string back;
  if (!utf8ToSjisStrict(utf8, back) || back != sjisChar) return std::nullopt;
  return utf8;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string encodeSettingText(std::string_view sjis, SettingTextRole role) {
  size_t begin = 0;
  while (begin < sjis.size() && isBlank(static_cast<unsigned char>(sjis[begin]))) ++begin;
  size_t end = sjis.size();
  while (end > begin && isBlank(static_cast<unsigned char>(sjis[end - 1]))) --end;

  std::string out;
  for (size_t i = 0; i < sjis.size();) {
    auto c = static_cast<unsigned char>(sjis[i]);
    if (c < 0x80) {
      if (mustEscapeAscii(c, i, begin, end, role))
        appendEscaped(out, c);
      else
        out.push_back(char(c));
      ++i;
      continue;
    }
    size_t width = isSjisLeadByte(c) && i + 1 < sjis.size() ? 2 : 1;
    if (auto utf8 = roundTrippingUtf8(sjis.substr(i, width))) {
      out += *utf8;
      i += width;
      continue;
    }
    // Only this byte is escaped; the next one is looked at afresh, so every byte survives.
    appendEscaped(out, c);
    ++i;
  }
  return out;
}

bool decodeSettingText(std::string_view text, std::string& sjis) {
  sjis.clear();
  std::string literal;  // UTF-8 waiting for conversion
  auto flush = [&]() {
    if (literal.empty()) return true;
    std::string converted;
    if (!utf8ToSjisStrict(literal, converted)) return false;
    sjis += converted;
    literal.clear();
    return true;
  };
  for (size_t i = 0; i < text.size(); ++i) {
    int hi = i + 2 < text.size() && text[i] == '%' ? hexValue(text[i + 1]) : -1;
    int lo = hi >= 0 ? hexValue(text[i + 2]) : -1;
    if (lo < 0) {
      literal.push_back(text[i]);
      continue;
    }
    if (!flush()) return false;
    sjis.push_back(char(hi * 16 + lo));
    i += 2;
  }
  return flush();
}

std::string formatSettingInt(int32_t value) { return std::to_string(value); }

std::optional<int32_t> parseSettingInt(std::string_view text) {
  bool negative = !text.empty() && text[0] == '-';
  std::string_view digits = negative ? text.substr(1) : text;
  if (digits.empty()) return std::nullopt;
  int64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > int64_t(INT32_MAX) + 1) return std::nullopt;
  }
  value = negative ? -value : value;
  if (value > INT32_MAX) return std::nullopt;
  return int32_t(value);
}

}  // namespace corvid
