// Expressions, statements and conditions on arbitrary text: each is read twice from the same
// random seed and must give the same result; a condition that is true or false is so again;
// statements never touch the variables a statement cannot name (the read marks, the gallery
// and recollection bits).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "script/expression.h"

namespace {

using namespace corvid;

void require(bool ok) {
  if (!ok) std::abort();
}

struct Observer final : VariableObserver {
  int assigned = 0, ignored = 0;
  void systemVariableAssigned(int index) override {
    require(index == 0 || index == 28);
    ++assigned;
  }
  void ignoredError(std::string_view, std::string_view) override { ++ignored; }
};

// Values that make P operands land inside and outside the V space, and some flags.
const VariableSpaces& startValues() {
  static const VariableSpaces vars = [] {
    VariableSpaces v;
    for (int i = 0; i < 1000; ++i) v.V[size_t(i)] = i % 3 == 0 ? 999 - i : i * 37 - 5000;
    for (int i = 0; i < 200; ++i) v.S[size_t(i)] = i - 100;
    for (int i = 0; i < 10; ++i) v.G[size_t(i)] = INT32_MIN + i;
    for (int i = 0; i < 1024; i += 3) v.E.set(i), v.F.set(i + 1);
    for (int i = 0; i < 10000; i += 7) v.T.set(i);
    return v;
  }();
  return vars;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const VariableSpaces& start = startValues();

  RandomGenerator r1(7), r2(7);
  ExpressionValue a = evaluateExpression(text, start, r1);
  ExpressionValue b = evaluateExpression(text, start, r2);
  require(a.value == b.value && a.valid == b.valid && r1.seed() == r2.seed());
  require(a.valid || a.value == 0);

  Observer observer;
  bool well = conditionWellFormed(text, &observer);
  bool c1 = evaluateCondition(text, start, r1, &observer);
  bool c2 = evaluateCondition(text, start, r2, nullptr);
  require(c1 == c2);
  require(well || observer.ignored > 0);

  VariableSpaces vars = start, again = start;
  runStatements(text, vars, r1, &observer);
  runStatements(text, again, r2, nullptr);
  require(vars.V == again.V && vars.S == again.S && vars.G == again.G && vars.E == again.E &&
          vars.F == again.F && vars.T == again.T);
  require(vars.readMarks == start.readMarks && vars.galleryBits == start.galleryBits &&
          vars.recollectionBits == start.recollectionBits);
  return 0;
}
