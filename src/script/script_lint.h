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

#include "script/command_table.h"
#include "script/script_image.h"

namespace corvid {

struct LintFinding {
  int32_t line = 0;     // 1-based
  std::string message;  // UTF-8
  bool operator==(const LintFinding&) const = default;
};

// What a command or inline tag names besides scripts and labels (pictures, sounds), checked by
// a caller that sees the media archives. Called for every known command with its argument text
// and for the tags that carry one ("gra", "spr", "bg", "clrb" as their commands, "cv" as Cv),
// including the commands of "if" targets; it returns one message per problem.
class ReferenceCheck {
 public:
  virtual ~ReferenceCheck() = default;
  virtual std::vector<std::string> check(CommandId id, std::string_view arguments) const = 0;
};

// The findings of one script, given its stored bytes (un-negated), in line order. `scripts`
// answers for the scripts that `chain` and `call` name; `references`, when given, for the rest.
std::vector<LintFinding> lintScript(std::span<const uint8_t> bytes, const ScriptSource& scripts,
                                    const ReferenceCheck* references = nullptr);

// Whether a data-archive entry is a definition section read by the engine's parsers rather
// than a script the interpreter runs ("_config", "_bgset", "_sprset", the gallery pages
// "VIEW_1" and "VIEW_2", the click-map section "map"). `upperName` as the directory holds it.
bool isDefinitionSection(std::string_view upperName);

}  // namespace corvid
