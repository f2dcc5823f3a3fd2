// Lint findings of single scripts: each kind of fault once, and the look-alikes that are not
// faults (labels in the middle of a line, "ー" whose second byte is "[", calls by string slot).

#include "script/script_lint.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "interpreter_rig.h"

namespace corvid {

void PrintTo(const LintFinding& f, std::ostream* os) { *os << f.line << ": " << f.message; }

namespace {

using testing::MemoryScripts;
using testing::scriptBytes;
using Findings = std::vector<LintFinding>;

Findings lint(const std::vector<std::string>& lines, const MemoryScripts& scripts = {}) {
  return lintScript(scriptBytes(lines), scripts);
}

TEST(ScriptLint, CleanScriptHasNoFindings) {
  MemoryScripts scripts;
  scripts.add("sub", {":ENTRY", "x"});
  const std::vector<std::string> lines = {
      "!V001=1;S028=V001*2", "*go MID", "text:MID", "*call sub:entry", "*call $3",
      "*chain SUB", "*if (V001=1&V002!=3) *go MID", "*if (V001>0) MID",
      "ラーメン[?V001+1]ー", "*select V001", "{(V002=1)選ぶ", "{違う", "}", "*cjmp", "{", "{",
      "}", "*switch name", "{:name(V001=2)", "}:name", ">名前", "\\"};
  EXPECT_EQ(lint(lines, scripts), Findings{});
}

TEST(ScriptLint, EachFaultOnItsLine) {
  struct Case {
    std::vector<std::string> lines;
    Findings findings;
  };
  MemoryScripts scripts;
  scripts.add("sub", {":ENTRY"});
  scripts.add("map", {":m", "1", "a,0,0,1,1", ":two", "2", "a,0,0,1,1", "b,0,0,2,2"});
  std::vector<std::string> many = {"*select"};
  for (int i = 0; i < 33; ++i) many.push_back("{c");
  many.push_back("}");
  const Case cases[] = {
      {{"ok", "*nosuch 1"}, {{2, "unknown command \"*nosuch 1\""}}},
      {{"*go NOWHERE"}, {{1, "go to a missing label \"NOWHERE\""}}},
      {{"*if (V001=1) NOWHERE"}, {{1, "if to a missing label \"NOWHERE\""}}},
      {{"*if (V001=1) *go NOWHERE"}, {{1, "go to a missing label \"NOWHERE\""}}},
      {{"*chain gone"}, {{1, "chain to a missing script \"gone\""}}},
      {{"*call sub:NONE"}, {{1, "call to a missing label \"NONE\" in \"sub\""}}},
      {{"*call a_name_of_thirty_bytes_long_xx"},
       {{1, "call to a script name longer than 29 bytes: the engine refuses it"}}},
      {{"!V001=V0x2"}, {{1, "malformed statement \"V001=V0x2\": invalid expression"}}},
      {{"*calc V001=R0"}, {{1, "malformed statement \"V001=R0\": invalid expression"}}},
      {{"*if (V001=1|V0x1=2) *go L", ":L"},
       {{1, "malformed condition \"(V001=1|V0x1=2)\": invalid expression in condition"}}},
      {{"*if (V001) *go L", ":L"},
       {{1, "malformed condition \"(V001)\": condition without a comparison"}}},
      {{"*cjmp v001", "{", "}"}, {{1, "malformed expression \"v001\""}}},
      {{"値は[?V001 + 1]"}, {{1, "malformed expression \"V001 + 1\""}}},
      {{"*select", "{one", "{two"}, {{1, "select without the closing \"}\" of its choice blocks"}}},
      {{"*clickmap m", "{a"}, {{1, "clickmap without the closing \"}\" of its choice blocks"}}},
      {{"*cjmp 1", "{", "{"}, {{1, "cjmp without the closing \"}\" of its construct"}}},
      {{"*switch sw", "{:sw(V001=1)", "}:other"}, {{1, "switch without its closing \"}:sw\""}}},
      {{"*select", "{(V0x1=1)a", "}"},
       {{2, "malformed condition \"(V0x1=1)\": invalid expression in condition"}}},
      {many, {{1, "more than 32 choice blocks: the engine reads only the first 32"}}},
      {{"*select", "{" + std::string(64, 'x'), "}"},
       {{1, "choice text longer than 63 bytes: the engine cuts it"}}},
      {{"*clickmap gone", "{", "}"},
       {{1, "clickmap \"gone\" that the section \"map\" does not hold: the engine refuses it"}}},
      {{"*clickmap two", "{", "}"},
       {{1, "clickmap \"two\": regions without a block cannot be picked"}}},
      {{"*clickmap m", "{", "{", "}"},
       {{1, "clickmap \"m\": more blocks than regions; the extra ones never run"}}},
  };
  for (const Case& c : cases) EXPECT_EQ(lint(c.lines, scripts), c.findings) << c.lines[0];
  EXPECT_EQ(lint({"*clickmap m", "{", "}"}),
            (Findings{{1, "clickmap \"m\" without the section \"map\": the engine refuses it"}}));
}

TEST(ScriptLint, MalformedEntries) {
  MemoryScripts none;
  std::vector<uint8_t> noNul = scriptBytes({"a"});
  noNul.push_back('b');
  EXPECT_EQ(lintScript(noNul, none), (Findings{{2, "last line without its NUL"}}));
  EXPECT_EQ(lintScript(scriptBytes({std::string(2048, 'x')}), none),
            (Findings{{1, "line longer than 2047 bytes: the engine cuts it"}}));
  EXPECT_EQ(lintScript(std::vector<uint8_t>(size_t(kScriptImageBytes) + 1, 0), none),
            (Findings{{1, "script larger than 262144 bytes: the engine refuses it"}}));
}

TEST(ScriptLint, DefinitionSections) {
  for (const char* name : {"_CONFIG", "_BGSET", "VIEW_1", "VIEW_2", "MAP"})
    EXPECT_TRUE(isDefinitionSection(name)) << name;
  for (const char* name : {"MAIN", "STITLE", "VIEW_3", "MAPS"})
    EXPECT_FALSE(isDefinitionSection(name)) << name;
}

}  // namespace
}  // namespace corvid
