#include "script/variables.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace corvid {
namespace {

TEST(VariableSpaces, OperandsReadAndAssignWithinTheirSpaces) {
  struct Case {
    char letter;
    int index;
    int32_t assigned;
    int32_t readBack;
  };
  const Case cases[] = {
      {'V', 0, -5, -5},
      {'V', 999, 7, 7},
      {'V', 1000, 7, 0},   // outside: no write, reads 0
      {'S', 199, 3, 3},
      {'S', 200, 3, 0},    // no system variable above 199
      {'S', 999, 3, 0},
      {'G', 9, 11, 11},
      {'G', 10, 11, 0},
      {'E', 999, 1, 1},
      {'F', 1023, 1, 1},
      {'T', 9999, 1, 1},
      {'T', 10000, 1, 0},
      {'F', 5, 2, 0},      // flags take only 0 and 1
      {'Q', 1, 5, 0},      // no such space
  };
  for (const Case& c : cases) {
    VariableSpaces vars;
    vars.assignOperand(c.letter, c.index, c.assigned);
    EXPECT_EQ(vars.operandValue(c.letter, c.index), c.readBack) << c.letter << c.index;
    VariableSpaces untouched;
    untouched.assignOperand(c.letter, c.index, c.assigned);
    EXPECT_EQ(untouched.V, vars.V);
  }
}

TEST(FlagSpace, BitsLiveInTheStoredByteLayout) {
  FlagSpace<13> flags;  // a last byte with 5 bits held
  flags.set(0);
  flags.set(9);
  flags.set(12);
  flags.set(13);  // outside: ignored
  flags.set(-1);
  EXPECT_EQ(flags.byte(0), 0x01);
  EXPECT_EQ(flags.byte(1), 0x12);
  EXPECT_EQ(flags.byte(2), 0);  // past the last byte
  flags.setByte(1, 0xFF);       // the bits past 12 are not held
  EXPECT_EQ(flags.byte(1), 0x1F);
  EXPECT_TRUE(flags.get(11) && !flags.get(13));
  flags.set(9, false);
  EXPECT_FALSE(flags.get(9));
  FlagSpace<13> other;
  EXPECT_FALSE(other == flags);
  other.setByte(0, 0x01);
  other.setByte(1, 0x1D);
  EXPECT_TRUE(other == flags);
  flags.clear();
  EXPECT_FALSE(flags.any());

  // ORed in from bytes, eight at a time and then one by one; the bits past 76 stay clear.
  FlagSpace<77> wide;  // ten bytes, the last with 5 bits held
  std::vector<uint8_t> in(12, 0xFF);
  in[3] = 0x0F;
  wide.set(4);
  wide.orBytes(in);
  EXPECT_EQ(wide.byte(3), 0x0F);
  EXPECT_EQ(wide.byte(0), 0xFF);
  EXPECT_EQ(wide.byte(9), 0x1F);
  EXPECT_TRUE(wide.get(76) && !wide.get(77));
  FlagSpace<77> part;
  part.orBytes(std::vector<uint8_t>{0x01, 0x80});  // shorter than the space
  EXPECT_TRUE(part.get(0) && part.get(15) && !part.get(16));
}

TEST(VariableSpaces, FlagValuesOtherThanZeroOrOneLeaveTheFlag) {
  VariableSpaces vars;
  vars.F.set(10);
  vars.assignOperand('F', 10, 2);
  vars.assignOperand('F', 11, -1);
  EXPECT_EQ(vars.operandValue('F', 10), 1);
  EXPECT_EQ(vars.operandValue('F', 11), 0);
  vars.assignOperand('F', 10, 0);
  EXPECT_EQ(vars.operandValue('F', 10), 0);
}

TEST(VariableSpaces, IndirectOperandFollowsV) {
  VariableSpaces vars;
  vars.V[2] = 3;
  vars.V[3] = 42;
  vars.V[4] = 1000;   // no V index
  vars.V[5] = -1;
  EXPECT_EQ(vars.operandValue('P', 2), 42);
  EXPECT_EQ(vars.operandValue('P', 4), 0);
  vars.assignOperand('P', 2, 9);
  EXPECT_EQ(vars.V[3], 9);

  VariableSpaces before = vars;
  vars.assignOperand('P', 4, 9);
  vars.assignOperand('P', 5, 9);
  vars.assignOperand('P', 1000, 9);
  EXPECT_EQ(vars.V, before.V);
  EXPECT_EQ(vars.S, before.S);
}

TEST(VariableSpaces, SystemStartValues) {
  VariableSpaces vars;
  vars.setSystemStartValues();
  std::array<int32_t, 200> expected{};
  expected[0] = 3;
  expected[8] = 8;
  expected[20] = 250;
  expected[21] = 550;
  expected[27] = 5;
  expected[32] = 520;
  expected[33] = 30;
  expected[37] = 0xFFFFFF;
  EXPECT_EQ(vars.S, expected);
}

}  // namespace
}  // namespace corvid
