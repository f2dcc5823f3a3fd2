#include "script/expression.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace corvid {
namespace {

// V1 = 7, V2 = 3, V3 = 42, V4 = INT32_MIN, V5 = -1, S26 = 5, G3 = 9, E5, F123 and T42 set.
VariableSpaces sampleVariables() {
  VariableSpaces vars;
  vars.V[1] = 7;
  vars.V[2] = 3;
  vars.V[3] = 42;
  vars.V[4] = INT32_MIN;
  vars.V[5] = -1;
  vars.S[26] = 5;
  vars.G[3] = 9;
  vars.E.set(5);
  vars.F.set(123);
  vars.T.set(42);
  return vars;
}

struct RecordingObserver : VariableObserver {
  std::vector<int> assigned;
  std::vector<std::string> errors;
  void systemVariableAssigned(int index) override { assigned.push_back(index); }
  void ignoredError(std::string_view what, std::string_view) override {
    errors.emplace_back(what);
  }
};

TEST(Expression, Values) {
  struct Case {
    const char* text;
    int32_t value;
    bool valid;
  };
  const Case cases[] = {
      // Strictly left to right, no precedence.
      {"2+3*4", 20, true},
      {"2*3+4", 10, true},
      {"10-2-3", 5, true},
      {"-5", -5, true},
      {"-7/2", -3, true},    // truncated toward zero
      {"-7%2", -1, true},    // the remainder has the sign of the left side
      {"7%-2", -2, true},    // "-" is an operator too: (7 % 0) - 2
      {"10/0", 0, true},
      {"10%0", 0, true},
      {"", 0, true},
      {"007", 7, true},
      // Operands.
      {"V001", 7, true},
      {"V001+V002", 10, true},
      {"P002", 42, true},    // V[V2] = V3
      {"S026", 5, true},
      {"S250", 0, true},     // no system variable: reads 0
      {"G3", 9, true},
      {"E005", 1, true},
      {"E006", 0, true},
      {"F123", 1, true},
      {"T0042", 1, true},
      {"T0043", 0, true},
      {"5V001", 7, true},    // an operand replaces the number before it
      {"V0015", 75, true},   // digits after an operand extend it
      {"V004/V005", INT32_MIN, true},  // wraps rather than trapping
      {"V004%V005", 0, true},
      {"V004-1", INT32_MAX, true},
      {"2147483647+1", INT32_MIN, true},
      {"4294967297", 1, true},  // a long number wraps at 32 bits
      // Bitwise pairs.
      {"12_&10", 8, true},
      {"12_|3", 15, true},
      {"12_X10", 6, true},
      {"5_&|3", 3, true},    // and with 0, then or with 3
      {"5_3", 53, true},     // a lone "_" has no effect
      // Bytes that end the expression.
      {"3,4", 3, true},
      {"3;V001=1", 3, true},
      {"3<4", 3, true},
      {"3=4", 3, true},
      {"3>4", 3, true},
      {"3!4", 3, true},
      {"3&4", 3, true},
      {"3|4", 3, true},
      {"3]4", 3, true},
      // Bytes and operands that make the whole expression 0.
      {"3 + 4", 0, false},
      {"v001", 0, false},
      {"3:4", 0, false},
      {"3X4", 0, false},
      {"V01", 0, false},
      {"V", 0, false},
      {"G", 0, false},
      {"T004", 0, false},
      {"R", 0, false},
      {"RX", 0, false},
      {"R0", 0, false},
      {"1+\x82\xa0", 0, false},
  };
  for (const Case& c : cases) {
    VariableSpaces vars = sampleVariables();
    RandomGenerator random(0);
    ExpressionValue v = evaluateExpression(c.text, vars, random);
    EXPECT_EQ(v.value, c.value) << c.text;
    EXPECT_EQ(v.valid, c.valid) << c.text;
  }
}

TEST(Expression, TextEndsAtEmbeddedNul) {
  VariableSpaces vars;
  RandomGenerator random(0);
  EXPECT_EQ(evaluate(std::string_view("12\0+5", 5), vars, random), 12);
}

TEST(Expression, RandomOperands) {
  struct Case {
    const char* text;
    int32_t value;
  };
  // Seed 12345 draws 15301, 24996, ...
  const Case cases[] = {
      {"R6", 15301 % 6},
      {"R1000", 15301 % 1000},
      {"R100+R100", 15301 % 100 + 24996 % 100},  // drawn in order
      {"R12345678", (15301 % 1234567) * 10 + 8},  // at most seven digits belong to R
      {"R40000", 15301},
  };
  for (const Case& c : cases) {
    VariableSpaces vars;
    RandomGenerator random(12345);
    EXPECT_EQ(evaluate(c.text, vars, random), c.value) << c.text;
  }
}

TEST(Statements, Assignments) {
  struct Case {
    const char* text;
    char letter;
    int index;
    int32_t value;
  };
  const Case cases[] = {
      {"V001=2+3*4", 'V', 1, 20},
      {"v001 = 2 + 3", 'V', 1, 5},                 // normalised first
      {"V001\x81\x40=\t\x81\x40" "5", 'V', 1, 5},  // tabs and full-width spaces
      {"V001=5;V002=V001+1", 'V', 2, 6},           // in order
      {"V001=10/0", 'V', 1, 0},
      {"V001=-7/2", 'V', 1, -3},
      {"V001=-7%2", 'V', 1, -1},
      {"V001=", 'V', 1, 0},
      {"V001=v002*2", 'V', 1, 6},                  // lower case works in a statement
      {"V001=3:4", 'V', 1, 0},                     // a bad expression assigns 0
      {"V001+9", 'V', 1, 9},                       // the "=" place is not looked at
      {"P002=11", 'V', 3, 11},
      {"S026=0", 'S', 26, 0},
      {"G3=7", 'G', 3, 7},
      {"F010=1", 'F', 10, 1},
      {"F123=0", 'F', 123, 0},
      {"F010=2", 'F', 10, 0},                      // flags take only 0 and 1
      {"F123=2", 'F', 123, 1},
      {"E999=1", 'E', 999, 1},
      {"T0042=0", 'T', 42, 0},
      {"T9999=1", 'T', 9999, 1},
      {"V001=1;;V002=2;", 'V', 2, 2},
      {"V001=1;junk;V002=2", 'V', 2, 2},
      {"V01=5", 'V', 1, 7},                        // digits missing: nothing assigned
      {"V0X1=5", 'V', 1, 7},
      {"V001", 'V', 1, 7},                         // cut short: nothing assigned
      {"X001=5;V001=8", 'V', 1, 8},
  };
  for (const Case& c : cases) {
    VariableSpaces vars = sampleVariables();
    RandomGenerator random(0);
    runStatements(c.text, vars, random, nullptr);
    EXPECT_EQ(vars.operandValue(c.letter, c.index), c.value) << c.text;
  }
}

TEST(Statements, TargetsOutsideTheirSpacesChangeNothing) {
  for (const char* text : {"S200=5", "S999=5", "X001=5", "P004=5", "V0X1=5", "V001"}) {
    VariableSpaces vars = sampleVariables();
    const VariableSpaces before = vars;
    RandomGenerator random(0);
    runStatements(text, vars, random, nullptr);
    EXPECT_EQ(vars.V, before.V) << text;
    EXPECT_EQ(vars.S, before.S) << text;
    EXPECT_EQ(vars.G, before.G) << text;
  }
}

TEST(Statements, MenuStateAndStoryPlayAreReported) {
  VariableSpaces vars;
  RandomGenerator random(0);
  RecordingObserver observer;
  runStatements("S000=1;S026=0;s028=1;S001=4;V000=2", vars, random, &observer);
  EXPECT_EQ(observer.assigned, (std::vector<int>{0, 28}));
  EXPECT_EQ(vars.S[0], 1);
  EXPECT_EQ(vars.S[28], 1);
  EXPECT_EQ(observer.errors, std::vector<std::string>{});
}

TEST(Statements, IgnoredErrorsAreReported) {
  VariableSpaces vars;
  RandomGenerator random(0);
  RecordingObserver observer;
  runStatements("V001=3:4;V01=1;Q001=1;V001", vars, random, &observer);
  EXPECT_EQ(observer.errors,
            (std::vector<std::string>{"invalid expression", "statement target without its digits",
                                      "unknown statement target", "statement cut short"}));
}

TEST(Statements, RandomAdvancesEvenForAnUnusableTarget) {
  VariableSpaces vars;
  RandomGenerator random(12345);
  runStatements("S500=R10;V001=R30000", vars, random, nullptr);
  EXPECT_EQ(vars.V[1], 24996);  // the second value of the sequence
}

TEST(Condition, Values) {
  struct Case {
    const char* text;
    bool value;
  };
  // V1 = 7, V2 = 3, V3 = 42.
  const Case cases[] = {
      {"(V001=7)", true},
      {"(V001==7)", true},
      {"(V001!=7)", false},
      {"(V001!7)", false},
      {"(V001<8)", true},
      {"(V001<=7)", true},
      {"(V001>7)", false},
      {"(V001>=7)", true},
      {"(V001>-1)", true},
      {"(-1<V001)", true},
      {"(V001+1=8)", true},
      {"(v001 = 7)", true},            // upper-cased, blanks dropped
      {"V001=7", true},                // the parenthesis is optional
      {"(V001=7) go LABEL", true},     // what follows ")" is not read
      {"(V001=7&V002=3)", true},
      {"(V001=7&V002=4)", false},
      {"(V001=0|V002=3)", true},
      {"(V001=7|V002=1&V003=1)", true},   // true as soon as the first holds
      {"(V001=0&V002=3|V003=42)", false}, // false as soon as an "&" fails: no precedence
      {"(V001=0|V002=0|V003=42)", true},
      {"(V001)", false},               // no comparison
      {"()", false},
      {"", false},
      {"(V001=7&)", false},
      {"(V001=7,V002=3)", true},       // another connector: go on with the next comparison
  };
  for (const Case& c : cases) {
    VariableSpaces vars = sampleVariables();
    RandomGenerator random(0);
    EXPECT_EQ(evaluateCondition(c.text, vars, random), c.value) << c.text;
  }
}

TEST(Condition, GreaterOrEqualAgreesWithGreaterThanOneLess) {
  for (int32_t v = -3; v <= 6; ++v) {
    VariableSpaces vars;
    vars.V[1] = v;
    RandomGenerator random(0);
    EXPECT_EQ(evaluateCondition("(V001>=3)", vars, random),
              evaluateCondition("(V001>2)", vars, random))
        << v;
  }
}

TEST(Condition, StopsEarlyWithoutDrawingLaterRandomValues) {
  VariableSpaces vars = sampleVariables();
  RandomGenerator random(12345);
  EXPECT_TRUE(evaluateCondition("(V001=7|R10=3)", vars, random));
  EXPECT_EQ(random.seed(), 12345u);
}

TEST(Condition, OnlyFourHundredBytesAreKept) {
  // 57 false comparisons fill 399 bytes; the true one after them is cut to its first byte.
  std::string condition = "(";
  for (int i = 0; i < 57; ++i) condition += "V001=0|";
  VariableSpaces vars = sampleVariables();
  RandomGenerator random(0);
  EXPECT_FALSE(evaluateCondition(condition + "V001=7", vars, random));
  EXPECT_TRUE(evaluateCondition(condition.substr(0, 393) + "V001=7", vars, random));
}

}  // namespace
}  // namespace corvid
