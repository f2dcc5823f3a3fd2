#include "data/sjis.h"

#include <iconv.h>

#include <cerrno>

namespace corvid {

std::string upperSjisName(std::string_view name) {
  std::string out(name);
  for (size_t i = 0; i < out.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(out[i]);
    if (isSjisLeadByte(c)) {
      ++i;  // the second byte stays as it is
      continue;
    }
    if (c >= 'a' && c <= 'z') out[i] = char(c - 'a' + 'A');
  }
  return out;
}

size_t sjisCutLength(std::string_view text, size_t maxBytes) {
  size_t n = 0;
  while (n < text.size()) {
    size_t width = isSjisLeadByte(static_cast<unsigned char>(text[n])) ? 2 : 1;
    if (n + width > maxBytes) break;
    n += width;
  }
  return n < text.size() ? n : text.size();
}

bool sjisEndsWithByte(std::string_view text, char c) {
  size_t i = 0, last = std::string_view::npos;
  while (i < text.size()) {
    last = i;
    i += isSjisLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
  }
  return last != std::string_view::npos && last == text.size() - 1 && text[last] == c;
}

bool sjisNamesEqual(std::string_view a, std::string_view b) {
  return a.size() == b.size() && upperSjisName(a) == upperSjisName(b);
}

namespace {

// Converts with iconv; when `strict`, fails on the first byte sequence that does not convert,
// else replaces it by '?' and goes on.
bool convert(const char* to, const char* from, std::string_view in, bool strict, std::string& out) {
  out.clear();
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    out.assign(in);
    return false;
  }
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char buf[1024];
  bool ok = true;
  while (srcLeft > 0) {
    char* dst = buf;
    size_t dstLeft = sizeof buf;
    size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buf, dst - buf);
    if (r != size_t(-1)) continue;
    if (errno == E2BIG) continue;
    ok = false;
    if (strict) break;
    // EILSEQ or EINVAL (cut sequence at the end): skip one byte.
    out.push_back('?');
    ++src;
    --srcLeft;
  }
  iconv_close(cd);
  return ok;
}

}  // namespace

std::string sjisToUtf8(std::string_view sjis) {
  std::string out;
  convert("UTF-8", "CP932", sjis, false, out);
  return out;
}

std::string utf8ToSjis(std::string_view utf8) {
  std::string out;
  convert("CP932", "UTF-8", utf8, false, out);
  return out;
}

bool utf8ToSjisStrict(std::string_view utf8, std::string& out) {
  return convert("CP932", "UTF-8", utf8, true, out);
}

bool cp932CodeToUnicode(uint32_t code, char32_t& out) {
  if (code > 0xFFFF) return false;
  char in[2];
  size_t inLeft = 0;
  if (code > 0xFF) in[inLeft++] = char(code >> 8);
  in[inLeft++] = char(code);
  // One converter for the program's life: glyphs missing from the cache come through here.
  static thread_local iconv_t cd = iconv_open("UTF-32LE", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  unsigned char buf[8];
  char* src = in;
  char* dst = reinterpret_cast<char*>(buf);
  size_t dstLeft = sizeof buf;
  // A lead byte alone, a second byte that does not belong to it, or two characters: no code.
  if (iconv(cd, &src, &inLeft, &dst, &dstLeft) == size_t(-1) || inLeft != 0) return false;
  if (sizeof buf - dstLeft != 4) return false;
  out = char32_t(buf[0] | buf[1] << 8 | buf[2] << 16 | uint32_t(buf[3]) << 24);
  return true;
}

}  // namespace corvid
