// cvdtool lint on a title with planted faults: each reported on its script and line, nothing
// else; a clean title exits 0; definition sections are not taken for scripts; pictures the
// scripts, "_bgset" and "_sprset" name are looked for in the picture archives.

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

// Only the directory matters to the check, so the pictures' bytes are not pictures.
TitleFixture& withPictures(TitleFixture& title, const std::vector<std::string>& names) {
  for (const std::string& name : names) title.entry("qd_gra.cvd", name, {0});
  return title;
}

TEST(LintTool, ReportsPicturesNoArchiveHolds) {
  TitleFixture title;
  withPictures(title, {"AGARDEN", "BYUTO", "MYUTO", "BSAKURA", "OPETALS", "PLANTERN"})
      .script("_bgset", {
          "; composites",
          ":GARDEN", "Agarden", "Plantern,560,300",
          "Amissing",                           // 5
          ":BIG", "Agarden", "Agarden", "Agarden", "Agarden", "Agarden", "Agarden", "Agarden",
          "Agarden", "Agarden",                 // 15: the ninth line of BIG
          ":END", "Anever",                     // after the end: not read
      })
      .script("_sprset", {":PAIR", "Byuto", "Bnone,10,0", ":END"})  // 3
      .script("main", {
          "*gra Agarden",
          "*gra Anone",                         // 2
          "*gra Bsakura,L",                     // 3: no mask
          "*gra ByutoR",                        // the side letter written onto the name
          "*bg #garden",
          "*bg #nowhere",                       // 6
          "*bg S1",                             // 7
          "*spr Byuto,#pair,#lost,-,2",         // 8
          "*ovr OFF",
          "*ovr Ogone,1",                       // 10
          "*partsload Agarden,Pnone",           // 11
          "*direct Dnone,100,0,0",              // 12
          "花が[gra Bghost]咲いた。\\",        // 13
          "*if (V001=0) *bg Anope",             // 14
          "*clrb 1",
          "*bg Sfff",
      });
  const LintResult r = runLint(title.write());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.lines, (std::vector<std::string>{
      "MAIN:2: picture \"Anone\" is in no archive",
      "MAIN:3: mask \"Msakura\" of standing picture \"Bsakura\" is in no archive",
      "MAIN:6: composite \"#nowhere\" has no label in \"_bgset\"",
      "MAIN:7: solid colour \"S1\" needs three colour codes",
      "MAIN:8: sprite set \"#LOST\" has no label in \"_sprset\"",
      "MAIN:10: picture \"Ogone\" is in no archive",
      "MAIN:11: picture \"Pnone\" is in no archive",
      "MAIN:12: picture \"Dnone\" is in no archive",
      "MAIN:13: standing picture \"Bghost\" is in no archive",
      "MAIN:14: picture \"Anope\" is in no archive",
      "_BGSET:5: picture \"AMISSING\" is in no archive",
      "_BGSET:15: set \":BIG\" has more than 8 lines: the engine reads the first 8",
      "_SPRSET:3: standing picture \"BNONE\" is in no archive",
  }));
}

TEST(LintTool, SideBySideStandingPicturesNeedNoMask) {
  TitleFixture title;
  withPictures(title, {"BSAKURA"})
      .script("_config", {"TACHI_TYPE:1"})
      .script("main", {"*gra Bsakura", "*spr Bsakura,Bsakura"});
  const LintResult r = runLint(title.write());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.lines, std::vector<std::string>{});
}

}  // namespace
}  // namespace corvid::testing
