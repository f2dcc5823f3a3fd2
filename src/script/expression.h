#pragma once
// Integer expressions, the assignment statements of "!" lines and `calc`, and the conditions
// of `if`. Everything is evaluated straight from the line's Shift_JIS text on every use: no
// parse tree, nothing kept between calls.
//
// Expressions have no precedence and no parentheses: operators apply strictly from left to
// right (2+3*4 is 20), a leading "-" negates, and an operand or a number replaces the value
// being built, so "5V001" is V001. Operators: + - * / % and the two-byte _& _| _X (and, or,
// exclusive or). Operands: V, S, P with three digits, E and F with three, T with four, G with
// one, and R followed by a number n (a random value mod n). A byte from , ; < = > ! & | ] or the
// end of the text ends the expression; any other byte (blank, lower-case letter, ":", a
// double-byte character) makes the whole expression 0. Arithmetic wraps at 32 bits; division
// and remainder by 0 give 0.

#include <cstdint>
#include <string_view>

#include "script/random.h"
#include "script/variables.h"

namespace corvid {

// What the engine is told about while statements and conditions run.
struct VariableObserver {
  virtual ~VariableObserver() = default;
  // Called after a statement has assigned S0 (menu state) or S28 (story play); the menus
  // depend on both and must be updated.
  virtual void systemVariableAssigned(int index) = 0;
  // A malformed expression, statement or condition that was ignored as scripts' errors are
  // (for the trace of title authors). `text` is the part that was refused.
  virtual void ignoredError(std::string_view what, std::string_view text) {}
};

struct ExpressionValue {
  int32_t value = 0;
  bool valid = true;  // false: a byte or operand that cannot be read made the value 0
};

// The value of the expression at the start of `text` (see above). Draws from `random` for
// every R operand it reaches, in order.
ExpressionValue evaluateExpression(std::string_view text, const VariableSpaces& vars,
                                   RandomGenerator& random);
inline int32_t evaluate(std::string_view text, const VariableSpaces& vars,
                        RandomGenerator& random) {
  return evaluateExpression(text, vars, random).value;
}

// Runs the ";"-separated assignments of a "!" line (the text after "!") or of `calc`. The text
// is first upper-cased and cleared of blanks, tabs and full-width spaces. Each statement is a
// target (letter and its digits: four for T, one for G, three otherwise), one byte taken as
// "=", and an expression. Flags take only 0 and 1. A statement whose index digits are not
// digits, or that ends before its expression, assigns nothing.
void runStatements(std::string_view text, VariableSpaces& vars, RandomGenerator& random,
                   VariableObserver* observer);

// The condition of `if`: one leading "(" skipped, the text up to ")" (at most 400 bytes,
// upper-cased, blanks dropped), comparisons ! != < <= = == > >= joined by & and |, read strictly
// from left to right and stopping as soon as the outcome is known. A condition that reaches no
// comparison operator is false.
bool evaluateCondition(std::string_view text, const VariableSpaces& vars, RandomGenerator& random,
                       VariableObserver* observer = nullptr);

// Whether every comparison of a condition can be read: the same walk as evaluateCondition, but
// through all comparisons (nothing stops early), reporting each problem to `observer`. For
// checking scripts without running them.
bool conditionWellFormed(std::string_view text, VariableObserver* observer = nullptr);

}  // namespace corvid
