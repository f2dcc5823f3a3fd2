// cvdtool lint on a title with planted faults: each reported on its script and line, nothing
// else; a clean title exits 0; definition sections are not taken for scripts.

#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "core/title_fixture.h"

namespace corvid::testing {
namespace {

struct LintResult {
  int exitCode = -1;
  std::vector<std::string> lines;
};

LintResult runLint(const std::string& dir) {
  const std::string cmd = std::string("'") + CORVID_BIN_DIR + "/cvdtool' lint '" + dir + "' 2>&1";
  LintResult r;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  while (std::fgets(buf, sizeof buf, p)) {
    std::string line = buf;
    if (!line.empty() && line.back() == '\n') line.pop_back();
    r.lines.push_back(line);
  }
  const int status = ::pclose(p);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

TEST(LintTool, ReportsEachPlantedFaultAndNothingElse) {
  TitleFixture title;
  title.script("_config", {"TITLE:Lint", "*not a command, a comment of the section"})
      .script("VIEW_1", {"*also not a script"})
      .script("main", {
          "; planted faults on lines 3, 5, 7, 9 and 11",
          ":START",
          "*gp START",                 // 3: unknown command
          "!V001=1",
          "*go STRAT",                 // 5: missing label
          "*call chapter1:SCENE",
          "*chain chapter9",           // 7: missing script
          "*if (V001=1) *go START",
          "!V002=V001+",               // (a trailing operator is an expression: fine)
          "*if (V001=) *go START",     // 10: clean: "=" then an empty right side reads 0
          "*cjmp V00",                 // 11: malformed expression
          "{", "}",
      })
      .script("chapter1", {
          ":SCENE",
          "*call main:NOPE",           // 2: label missing in the called script
          "*select",                   // 3: choice blocks never closed
          "{はい",
          "{いいえ",
      });
  const LintResult r = runLint(title.write());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.lines, (std::vector<std::string>{
                         "MAIN:3: unknown command \"*gp START\"",
                         "MAIN:5: go to a missing label \"STRAT\"",
                         "MAIN:7: chain to a missing script \"chapter9\"",
                         "MAIN:11: malformed expression \"V00\"",
                         "CHAPTER1:2: call to a missing label \"NOPE\" in \"main\"",
                         "CHAPTER1:3: select without the closing \"}\" of its choice blocks",
                     }));
}

TEST(LintTool, CleanTitleAndBadFolder) {
  TitleFixture title;
  title.script("main", {"*call sub", "やあ\\"}).script("sub", {"*end"});
  const LintResult clean = runLint(title.write());
  EXPECT_EQ(clean.exitCode, 0);
  EXPECT_EQ(clean.lines, std::vector<std::string>{});

  TempDir empty;
  const LintResult missing = runLint(empty.path());
  EXPECT_EQ(missing.exitCode, 1);
  ASSERT_EQ(missing.lines.size(), 1u);
  EXPECT_NE(missing.lines[0].find("no qd_data.cvd"), std::string::npos);
}

}  // namespace
}  // namespace corvid::testing
