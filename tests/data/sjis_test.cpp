// Code page 932 character codes as a Windows player shows them.

#include "data/sjis.h"

#include <gtest/gtest.h>

namespace corvid {
namespace {

TEST(Cp932, CodesMapToTheCharactersWindowsShows) {
  const std::pair<uint32_t, char32_t> cases[] = {
      {0x41, U'A'},        {0xB1, U'\uFF71'},  // half-width katakana ｱ
      {0x82A0, U'あ'},     {0x8160, U'\uFF5E'},  // the wave dash of Windows: full-width tilde
      {0x815C, U'\u2015'}, {0x817C, U'\uFF0D'},  // horizontal bar, full-width minus
      {0x8740, U'①'},      {0x878A, U'㈱'},     // NEC extension row 13
      {0xFA40, U'ⅰ'},      {0xED40, U'纊'},     // IBM extension, NEC-selected IBM extension
      {0x8140, U'\u3000'},
  };
  for (const auto& [code, expected] : cases) {
    char32_t out = 0;
    EXPECT_TRUE(cp932CodeToUnicode(code, out)) << std::hex << code;
    EXPECT_EQ(uint32_t(out), uint32_t(expected)) << std::hex << code;
  }
}

TEST(Cp932, BytePairsThatAreNoCharacterHaveNoCode) {
  for (uint32_t code : {0x80u, 0xA0u, 0x81u, 0x857Fu, 0x8200u, 0xFFFFu, 0x10000u}) {
    char32_t out = 0;
    EXPECT_FALSE(cp932CodeToUnicode(code, out)) << std::hex << code;
  }
}

}  // namespace
}  // namespace corvid
