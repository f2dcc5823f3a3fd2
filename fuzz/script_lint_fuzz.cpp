// The script linter (cvdtool lint) on arbitrary script bytes: the other scripts that `chain`
// and `call` name exist when their names have an even length, and the reference check finds
// a problem in every argument that holds a digit, so both sides of those checks run. The
// findings come in line order, each on a line the script has.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "script/script_lint.h"

namespace {

using namespace corvid;

struct NoScripts final : ScriptSource {
  EntryRead readScript(std::string_view, uint64_t) const override { return {}; }
  bool hasScript(std::string_view name) const override { return name.size() % 2 == 0; }
};

struct DigitsAreMissing final : ReferenceCheck {
  std::vector<std::string> check(CommandId, std::string_view arguments) const override {
    if (arguments.find_first_of("0123456789") == std::string_view::npos) return {};
    return {"names a missing picture"};
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const NoScripts scripts;
  static const DigitsAreMissing references;
  const std::span<const uint8_t> bytes(data, size);
  std::vector<LintFinding> findings = lintScript(bytes, scripts, size % 2 ? &references : nullptr);
  // A last line without its NUL is a line too.
  const int32_t lines = int32_t(std::count(bytes.begin(), bytes.end(), 0)) + 1;
  int32_t previous = 1;
  for (const LintFinding& f : findings) {
    if (f.line < previous || f.line > lines || f.message.empty()) std::abort();
    previous = f.line;
  }
  return 0;
}
