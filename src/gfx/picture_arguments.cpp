#include "gfx/picture_arguments.h"

#include <algorithm>

#include "data/sjis.h"

namespace corvid {

namespace {

// Bytes of the character that starts at text[i]: 2 for a Shift_JIS lead byte with its second
// byte present, else 1. Walking by characters keeps a second byte that happens to be "]", "L"
// or "R" from being taken for one.
size_t characterBytes(std::string_view text, size_t i) {
  return isSjisLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

// The end of a name that stops at any of `stops`.
size_t nameEnd(std::string_view text, std::string_view stops) {
  size_t i = 0;
  while (i < text.size() && stops.find(text[i]) == std::string_view::npos)
    i += characterBytes(text, i);
  return std::min(i, text.size());
}

std::string_view cutName(std::string_view name, size_t maxBytes) {
  return name.substr(0, sjisCutLength(name, maxBytes));
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

void upperNameInPlace(std::string& name) {
  for (size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (isSjisLeadByte(c)) {
      ++i;  // the second byte stays as it is
      continue;
    }
    if (c >= 'a' && c <= 'z') name[i] = char(c - 'a' + 'A');
  }
}

int32_t leadingNumber(std::string_view text, int32_t fallback) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  if (i >= text.size() || !isDigit(text[i])) return fallback;
  int64_t value = 0;
  for (; i < text.size() && isDigit(text[i]); ++i)
    value = std::min<int64_t>(value * 10 + (text[i] - '0'), int64_t(INT32_MAX) + 1);
  if (negative) value = -value;
  return int32_t(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

GraArguments parseGraArguments(std::string_view text) {
  GraArguments a;
  const size_t end = nameEnd(text, " ,]");
  a.name = cutName(text.substr(0, end), kPictureNameMax);
  size_t i = end;
  while (i < text.size() && text[i] != ']') {
    const char c = text[i];
    if (isDigit(c)) {
      size_t j = i;
      while (j < text.size() && isDigit(text[j])) ++j;
      a.transition = leadingNumber(text.substr(i, j - i));
      i = j;
      continue;
    }
    if (c == 'L' || c == 'l') a.side = 'L';
    if (c == 'R' || c == 'r') a.side = 'R';
    i += characterBytes(text, i);
  }
  return a;
}

ClrbArguments parseClrbArguments(std::string_view text) {
  ClrbArguments a;
  a.transition = leadingNumber(text, 0);
  if (sjisEndsWithByte(text, 'L') || sjisEndsWithByte(text, 'l')) a.side = 'L';
  if (sjisEndsWithByte(text, 'R') || sjisEndsWithByte(text, 'r')) a.side = 'R';
  return a;
}

OvrArguments parseOvrArguments(std::string_view text) {
  OvrArguments a;
  const size_t end = nameEnd(text, ", ");
  a.name = cutName(text.substr(0, end), kPictureNameMax);
  std::string_view rest = text.substr(std::min(end + 1, text.size()));
  if (end < text.size()) a.transition = leadingNumber(rest, 1);
  // x and y: each field begins after the next "," within the search distance.
  auto nextField = [&](int32_t& value) {
    const size_t comma = rest.substr(0, kOvrFieldSearch).find(',');
    if (comma == std::string_view::npos) return false;
    rest.remove_prefix(comma + 1);
    value = leadingNumber(rest, 0);
    return true;
  };
  a.hasX = nextField(a.x);
  a.hasY = a.hasX && nextField(a.y);
  return a;
}

DirectArguments parseDirectArguments(std::string_view text) {
  DirectArguments a;
  const size_t end = nameEnd(text, ",");
  a.name = cutName(text.substr(0, end), kDirectNameMax);
  std::string_view rest = text.substr(end);
  for (int32_t* field : {&a.ms, &a.x, &a.y}) {
    const size_t comma = rest.find(',');
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
    *field = leadingNumber(rest, 0);
  }
  return a;
}

PartsloadArguments parsePartsloadArguments(std::string_view text) {
  PartsloadArguments a;
  const size_t comma = nameEnd(text, ",");
  a.name = text.substr(0, comma);
  if (comma < text.size()) {
    a.second = text.substr(comma + 1);
    a.hasSecond = true;
  }
  return a;
}

std::array<std::string_view, kSpriteLineFields> spriteFields(std::string_view line) {
  std::array<std::string_view, kSpriteLineFields> fields{};
  size_t start = 0;
  for (int k = 0; k < kSpriteLineFields && start <= line.size(); ++k) {
    size_t end = line.find_first_of(",:", start);
    if (end == std::string_view::npos) end = line.size();
    fields[size_t(k)] = line.substr(start, end - start);
    start = end + 1;
  }
  return fields;
}

void maskNameInto(std::string_view name, std::string& out) {
  const size_t first =
      !name.empty() && isSjisLeadByte(static_cast<unsigned char>(name[0])) ? 2 : 1;
  const std::string_view rest = name.substr(std::min(first, name.size()));
  out.resize(1 + rest.size());
  out[0] = 'M';
  std::copy(rest.begin(), rest.end(), out.begin() + 1);
}

}  // namespace corvid
