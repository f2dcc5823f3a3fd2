#pragma once
// Checking scripts without running them, for title authors (`cvdtool lint`): unknown
// commands, jumps and calls to labels or scripts that do not exist, expressions and conditions
// that cannot be read, choice constructs and computed branches without their closing line,
// and lines the engine would cut or refuse.
//
// Labels are looked up as the engine looks them up (the first ":" followed by the name up to
// the end of its line, anywhere in the script), so a finding is exactly a jump that would go
// nowhere when played.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "script/script_image.h"

namespace corvid {

struct LintFinding {
  int32_t line = 0;     // 1-based
  std::string message;  // UTF-8
  bool operator==(const LintFinding&) const = default;
};

// The findings of one script, given its stored bytes (un-negated), in line order. `scripts`
// answers for the scripts that `chain` and `call` name.
std::vector<LintFinding> lintScript(std::span<const uint8_t> bytes, const ScriptSource& scripts);

// Whether a data-archive entry is a definition section read by the engine's parsers rather
// than a script the interpreter runs ("_config", "_bgset", "_sprset", the gallery pages
// "VIEW_1" and "VIEW_2", the click-map section "map"). `upperName` as the directory holds it.
bool isDefinitionSection(std::string_view upperName);

}  // namespace corvid
