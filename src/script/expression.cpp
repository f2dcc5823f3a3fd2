#include "script/expression.h"

#include <algorithm>
#include <string>
#include <utility>

#include "data/sjis.h"

// Sections: arithmetic; expressions; statements; conditions.

namespace corvid {

namespace {

// ---------------------------------------------------------------------------------------------
// Arithmetic on signed 32-bit values with wrap-around (done unsigned, where wrapping is defined).

enum class Op { Add, Subtract, Multiply, Divide, Remainder, And, Or, Xor };

int32_t apply(Op op, int32_t a, int32_t b) {
  const uint32_t ua = uint32_t(a), ub = uint32_t(b);
  switch (op) {
    case Op::Add: return int32_t(ua + ub);
    case Op::Subtract: return int32_t(ua - ub);
    case Op::Multiply: return int32_t(ua * ub);
    case Op::Divide:
      if (b == 0) return 0;
      if (b == -1) return int32_t(0u - ua);  // INT32_MIN / -1 wraps instead of trapping
      return a / b;                          // C++ truncates toward zero
    case Op::Remainder:
      if (b == 0 || b == -1) return 0;  // the sign follows a
      return a % b;
    case Op::And: return a & b;
    case Op::Or: return a | b;
    case Op::Xor: return a ^ b;
  }
  return 0;
}

bool arithmeticOperator(char c, Op& op) {
  switch (c) {
    case '+': op = Op::Add; return true;
    case '-': op = Op::Subtract; return true;
    case '*': op = Op::Multiply; return true;
    case '/': op = Op::Divide; return true;
    case '%': op = Op::Remainder; return true;
    default: return false;
  }
}

// ---------------------------------------------------------------------------------------------
// Expressions.

bool endsExpression(char c) {
  switch (c) {
    case '\0': case ',': case ';': case '<': case '=': case '>': case '!': case '&': case '|':
    case ']':
      return true;
    default:
      return false;
  }
}

// Digits an operand letter takes after it; 0 for a byte that is no operand.
size_t operandDigits(char letter) {
  switch (letter) {
    case 'V': case 'S': case 'P': case 'E': case 'F': return 3;
    case 'T': return 4;
    case 'G': return 1;
    default: return 0;
  }
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A cursor over the text that reads NUL past its end, as the NUL-terminated line would.
class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) {}
  char at(size_t k) const { return k < text_.size() ? text_[k] : '\0'; }
  char peek() const { return at(pos_); }
  void advance(size_t n = 1) { pos_ += n; }
  size_t pos() const { return pos_; }

  // Reads exactly `count` digits from the current place; false (and nothing consumed) when
  // any is missing.
  bool fixedDigits(size_t count, int& value) {
    int v = 0;
    for (size_t k = 0; k < count; ++k) {
      char c = at(pos_ + k);
      if (!isDigit(c)) return false;
      v = v * 10 + (c - '0');
    }
    value = v;
    pos_ += count;
    return true;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

// The number after "R": its first byte, which must be a digit, and up to six more digits.
bool randomBound(Cursor& cursor, int32_t& bound) {
  if (!isDigit(cursor.peek())) return false;
  int32_t n = 0;
  for (int k = 0; k < 7 && isDigit(cursor.peek()); ++k) {
    n = n * 10 + (cursor.peek() - '0');
    cursor.advance();
  }
  bound = n;
  return n != 0;
}

}  // namespace

ExpressionValue evaluateExpression(std::string_view text, const VariableSpaces& vars,
                                   RandomGenerator& random) {
  const ExpressionValue invalid{0, false};
  int32_t accumulator = 0;
  int32_t current = 0;
  Op pending = Op::Add;
  Cursor cursor(text);
  auto take = [&](Op next) {
    accumulator = apply(pending, accumulator, current);
    current = 0;
    pending = next;
  };

  for (;;) {
    const char c = cursor.peek();
    if (endsExpression(c)) break;
    Op op;
    if (isDigit(c)) {
      current = int32_t(uint32_t(current) * 10u + uint32_t(c - '0'));
      cursor.advance();
    } else if (arithmeticOperator(c, op)) {
      take(op);
      cursor.advance();
    } else if (c == '_') {
      // Each of the three is tried in turn on the byte after what was consumed so far, so
      // "_&|" applies and, then or. A lone "_" has no effect.
      cursor.advance();
      const std::pair<char, Op> bitwise[] = {{'&', Op::And}, {'|', Op::Or}, {'X', Op::Xor}};
      for (const auto& [byte, next] : bitwise) {
        if (cursor.peek() != byte) continue;
        take(next);
        cursor.advance();
      }
    } else if (size_t digits = operandDigits(c)) {
      cursor.advance();
      int index = 0;
      if (!cursor.fixedDigits(digits, index)) return invalid;
      current = vars.operandValue(c, index);
    } else if (c == 'R') {
      cursor.advance();
      int32_t bound = 0;
      if (!randomBound(cursor, bound)) return invalid;  // no number, or R0
      current = random.randomValue() % bound;
    } else {
      return invalid;
    }
  }
  return {apply(pending, accumulator, current), true};
}

// ---------------------------------------------------------------------------------------------
// Statements.

namespace {

// Upper-cases the single-byte letters and drops blanks, tabs and full-width spaces; the text
// ends at its first NUL. Double-byte characters are kept whole, so a second byte that happens
// to be a letter is not changed.
std::string normaliseStatements(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size() && text[i] != '\0'; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (isSjisLeadByte(c) && i + 1 < text.size() && text[i + 1] != '\0') {
      const unsigned char second = static_cast<unsigned char>(text[i + 1]);
      if (!(c == 0x81 && second == 0x40)) out.append(text.substr(i, 2));
      ++i;
      continue;
    }
    if (c == ' ' || c == '\t') continue;
    out.push_back(c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : char(c));
  }
  return out;
}

void runStatement(std::string_view statement, VariableSpaces& vars, RandomGenerator& random,
                  VariableObserver* observer) {
  if (statement.empty()) return;
  const char letter = statement[0];
  const size_t digits = letter == 'T' ? 4 : letter == 'G' ? 1 : 3;
  const size_t expressionStart = 1 + digits + 1;  // letter, digits, the byte taken as "="
  if (statement.size() < expressionStart) {
    if (observer) observer->ignoredError("statement cut short", statement);
    return;
  }
  // The expression is evaluated even when the target turns out to be unusable, so that the
  // random sequence advances the same way whatever the target.
  ExpressionValue value = evaluateExpression(statement.substr(expressionStart), vars, random);
  if (!value.valid && observer) observer->ignoredError("invalid expression", statement);

  Cursor target(statement.substr(1));
  int index = 0;
  if (!target.fixedDigits(digits, index)) {
    if (observer) observer->ignoredError("statement target without its digits", statement);
    return;
  }
  if (!operandDigits(letter)) {
    if (observer) observer->ignoredError("unknown statement target", statement);
    return;
  }
  vars.assignOperand(letter, index, value.value);
  if (letter == 'S' && (index == 0 || index == 28) && observer)
    observer->systemVariableAssigned(index);
}

}  // namespace

void runStatements(std::string_view text, VariableSpaces& vars, RandomGenerator& random,
                   VariableObserver* observer) {
  const std::string normalised = normaliseStatements(text);
  std::string_view rest = normalised;
  for (;;) {
    runStatement(rest, vars, random, observer);
    const size_t semicolon = rest.find(';');
    if (semicolon == std::string_view::npos) return;
    rest.remove_prefix(semicolon + 1);
  }
}

// ---------------------------------------------------------------------------------------------
// Conditions.

namespace {

constexpr size_t kConditionBytes = 400;

// The text of the condition: after one "(", up to the NUL or the first ")", upper-cased, blanks
// dropped, at most 400 bytes kept.
std::string conditionText(std::string_view text) {
  if (!text.empty() && text[0] == '(') text.remove_prefix(1);
  std::string out;
  for (size_t i = 0; i < text.size() && out.size() < kConditionBytes; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\0' || c == ')') break;
    if (isSjisLeadByte(c) && i + 1 < text.size() && text[i + 1] != '\0') {
      out.append(text.substr(i, 2));
      ++i;
      continue;
    }
    if (c == ' ') continue;
    out.push_back(c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : char(c));
  }
  return out;
}

bool endsOperand(char c) {
  switch (c) {
    case '\0': case ',': case '!': case '&': case '<': case '=': case '>': case '|':
      return true;
    default:
      return false;
  }
}

// The place of the first byte after `from`, not counting the byte at `from` itself, that ends
// an operand; the end of the text when there is none.
size_t nextOperandEnd(std::string_view text, size_t from) {
  for (size_t k = from + 1; k < text.size(); ++k)
    if (endsOperand(text[k])) return k;
  return text.size();
}

// Compares by the operator's first byte; `withEqual` when "=" followed it.
bool compare(char op, bool withEqual, int32_t left, int32_t right) {
  switch (op) {
    case '!': return left != right;
    case '<': return withEqual ? left <= right : left < right;
    case '>': return withEqual ? left >= right : left > right;
    default: return left == right;  // "=" and "=="
  }
}

bool isComparison(char c) { return c == '!' || c == '<' || c == '=' || c == '>'; }

}  // namespace

bool evaluateCondition(std::string_view text, const VariableSpaces& vars, RandomGenerator& random,
                       VariableObserver* observer) {
  const std::string condition = conditionText(text);
  const std::string_view view = condition;
  auto at = [&](size_t k) { return k < view.size() ? view[k] : '\0'; };
  auto operand = [&](size_t from) {
    ExpressionValue v = evaluateExpression(view.substr(std::min(from, view.size())), vars, random);
    if (!v.valid && observer) observer->ignoredError("invalid expression in condition", view);
    return v.value;
  };

  size_t pos = 0;
  for (;;) {
    const int32_t left = operand(pos);
    const size_t op = nextOperandEnd(view, pos);
    if (!isComparison(at(op))) {
      if (observer) observer->ignoredError("condition without a comparison", view);
      return false;
    }
    size_t rightStart = op + 1;
    const bool withEqual = at(rightStart) == '=';
    if (withEqual) ++rightStart;
    const int32_t right = operand(rightStart);
    const bool result = compare(at(op), withEqual, left, right);

    const size_t connectorPlace = nextOperandEnd(view, rightStart);
    const char connector = at(connectorPlace);
    if (connector == '\0') return result;
    if (connector == '&' && !result) return false;
    if (connector == '|' && result) return true;
    pos = connectorPlace + 1;
  }
}

bool conditionWellFormed(std::string_view text, VariableObserver* observer) {
  static const VariableSpaces kNoVariables;
  RandomGenerator random;
  const std::string condition = conditionText(text);
  const std::string_view view = condition;
  auto at = [&](size_t k) { return k < view.size() ? view[k] : '\0'; };
  bool ok = true;
  auto operand = [&](size_t from) {
    const std::string_view part = view.substr(std::min(from, view.size()));
    if (evaluateExpression(part, kNoVariables, random).valid) return;
    ok = false;
    if (observer) observer->ignoredError("invalid expression in condition", view);
  };
  for (size_t pos = 0;;) {
    operand(pos);
    const size_t op = nextOperandEnd(view, pos);
    if (!isComparison(at(op))) {
      if (observer) observer->ignoredError("condition without a comparison", view);
      return false;
    }
    size_t rightStart = op + 1;
    if (at(rightStart) == '=') ++rightStart;
    operand(rightStart);
    const size_t connectorPlace = nextOperandEnd(view, rightStart);
    if (at(connectorPlace) == '\0') return ok;
    pos = connectorPlace + 1;
  }
}

}  // namespace corvid
