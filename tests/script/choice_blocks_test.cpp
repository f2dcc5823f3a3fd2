// Reading choice blocks, switch cases and click-map definitions from script images.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "interpreter_rig.h"
#include "script/choice_blocks.h"
#include "script/expression.h"

namespace corvid {
namespace {

using testing::scriptBytes;
using testing::sjis;
using testing::utf8;
using Lines = std::vector<std::string>;

struct Image {
  ScriptImage image;
  explicit Image(const Lines& lines) {
    image.allocate();
    image.assign(scriptBytes(lines));
  }
  // The position of line `index` (0-based).
  int32_t lineStart(int index) const {
    int32_t pos = 0;
    for (int i = 0; i < index; ++i) image.lineAt(pos, &pos);
    return pos;
  }
};

struct VariableConditions final : BlockConditions {
  VariableSpaces& vars;
  RandomGenerator random{1};
  explicit VariableConditions(VariableSpaces& v) : vars(v) {}
  bool holds(std::string_view text) override { return evaluateCondition(text, vars, random); }
};

struct Read {
  Lines texts;
  std::vector<int> targetLines;  // 0-based line of each block's first line
  std::vector<bool> enabled;
  int endLine = -1;
};

Read read(const Lines& lines, ChoiceBlockKind kind, VariableSpaces& vars, ChoiceBlocks& blocks) {
  Image img(lines);
  VariableConditions conditions(vars);
  readChoiceBlocks(img.image, img.lineStart(1), kind, vars, conditions, blocks);
  Read r;
  for (int i = 0; i < blocks.count; ++i) {
    r.texts.push_back(utf8(blocks.blocks[size_t(i)].text.view()));
    r.targetLines.push_back(img.image.lineIndexAt(blocks.blocks[size_t(i)].target));
    r.enabled.push_back(blocks.blocks[size_t(i)].enabled);
  }
  r.endLine = img.image.lineIndexAt(blocks.constructEnd);
  return r;
}

TEST(ChoiceBlocks, SelectBlocksTextsTargetsAndEnd) {
  struct Case {
    const char* name;
    Lines lines;
    Lines texts;
    std::vector<int> targets;
    int end;
  };
  const Case cases[] = {
      {"two", {"*select", "{北へ", "!V001=1", "{南へ", "!V001=2", "}", "after"},
       {"北へ", "南へ"}, {2, 4}, 5},
      {"false condition drops", {"*select", "{A", "{(V001=1)B", "x", "{C", "}"}, {"A", "C"}, {2, 5}, 5},
      {"true condition keeps the text around it", {"*select", "{go (V002=0)north", "}"},
       {"go north"}, {2}, 2},
      {"string slot", {"*select", "{$0", "{$x", "}"}, {"悠人", "悠人"}, {2, 3}, 3},
      {"@ is text in a select", {"*select", "{@5", "}"}, {"@5"}, {2}, 2},
      {"lines before the first block", {"*select", ";c", "{A", "}"}, {"A"}, {3}, 3},
      {"no blocks", {"*select", "}", "{A"}, {}, {}, 1},
      {"missing close ends at the image end", {"*select", "{A", "a", "{B", "b"}, {"A", "B"}, {2, 4}, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VariableSpaces vars;
    vars.setString(0, sjis("悠人"));
    vars.V[2] = 0;
    ChoiceBlocks blocks;
    const Read r = read(c.lines, ChoiceBlockKind::Select, vars, blocks);
    EXPECT_EQ(r.texts, c.texts);
    EXPECT_EQ(r.targetLines, c.targets);
    EXPECT_EQ(r.endLine, c.end);
    EXPECT_EQ(blocks.closed, std::string(c.name) != "missing close ends at the image end");
  }
}

TEST(ChoiceBlocks, ClickMapBlocksCountDisabledAndTimed) {
  VariableSpaces vars;
  ChoiceBlocks blocks;
  const Read r = read({"*clickmap m", "{(V001=1)Door", "{", "{Win@5", "{$0", "}"},
                      ChoiceBlockKind::ClickMap, vars, blocks);
  EXPECT_EQ(r.texts, (Lines{"Door", "", "Win", "$0"}));
  EXPECT_EQ(r.enabled, (std::vector<bool>{false, true, true, true}));
  EXPECT_TRUE(blocks.blocks[2].timed);
  EXPECT_EQ(blocks.blocks[2].timedTicks, 100);
  EXPECT_FALSE(blocks.blocks[0].timed);
}

TEST(ChoiceBlocks, LimitsOf32BlocksAnd63Bytes) {
  Lines lines = {"*select"};
  for (int i = 0; i < 34; ++i) lines.push_back("{c" + std::to_string(i));
  lines.push_back("}");
  VariableSpaces vars;
  ChoiceBlocks blocks;
  Read r = read(lines, ChoiceBlockKind::Select, vars, blocks);
  EXPECT_EQ(blocks.count, 32);
  EXPECT_TRUE(blocks.overflow);
  EXPECT_EQ(r.texts.back(), "c31");
  EXPECT_EQ(r.endLine, 35);

  // 40 double-byte characters: cut after 31 of them (62 bytes), never inside one.
  std::string long_text;
  for (int i = 0; i < 40; ++i) long_text += "あ";
  r = read({"*select", "{" + long_text, "}"}, ChoiceBlockKind::Select, vars, blocks);
  EXPECT_TRUE(blocks.textCut);
  EXPECT_EQ(blocks.blocks[0].text.size(), 62u);
  // A second byte that looks like "@" (0x40) or "(" is part of its character.
  r = read({"*clickmap m", "{" + utf8(std::string("\x83\x40", 2)) + "x", "}"},
           ChoiceBlockKind::ClickMap, vars, blocks);
  EXPECT_FALSE(blocks.blocks[0].timed);
  EXPECT_EQ(blocks.blocks[0].text.size(), 3u);
}

TEST(ChoiceBlocks, SwitchTakesTheFirstCaseThatHolds) {
  struct Case {
    const char* name;
    Lines lines;
    std::string argument;
    int line;  // where the script goes on
    bool taken;
  };
  const Case cases[] = {
      {"plain, second true", {"*switch", "{(V001=0)", "a", "{(V001=1)", "b", "}", "c"}, "", 4, true},
      {"plain default", {"*switch", "{(V001=0)", "a", "{", "d", "}"}, "", 4, true},
      {"plain none", {"*switch", "{(V001=0)", "a", "}", "c"}, "", 3, false},
      {"named", {"*switch s", "{:s(V001=0)", "a", "{:s(V001=1)", "b", "}:s", "c"}, "s", 4, true},
      {"named default", {"*switch s", "{:s(V001=0)", "a", "{:S", "d", "}:s"}, "s", 4, true},
      {"named longer name passed over", {"*switch s", "{:ss", "a", "{:s", "d", "}:s"}, "s", 4, true},
      {"named none", {"*switch s", "{:s(V001=0)", "a", "}:s", "c"}, "s", 3, false},
      // A case of a later construct of the same name is not taken.
      {"named stops at its end", {"*switch s", "}:s", "{:s", "x", "}:s"}, "s", 1, false},
      {"named without close", {"*switch s", "{:s(V001=0)", "a"}, "s", 3, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VariableSpaces vars;
    vars.V[1] = 1;
    VariableConditions conditions(vars);
    Image img(c.lines);
    const SwitchCase s = findSwitchCase(img.image, img.lineStart(1), sjis(c.argument), conditions);
    EXPECT_EQ(img.image.lineIndexAt(s.position), c.line);
    EXPECT_EQ(s.taken, c.taken);
  }
}

TEST(ChoiceBlocks, ClickMapDefinitions) {
  Image img({":other", "1", "x,0,0,1,1", ":Room", "4", "door,300,200,100,50",
             "*lamp,10,20,30,40", "#box,0,0,50,50,100,0,150,50,200,300", "$F8A3,0,0,800,600",
             ":Hall", "3", "a,0,0,10,10"});
  ClickMapDefinition d;
  ASSERT_TRUE(readClickMap(img.image, "ROOM", d));
  ASSERT_EQ(d.count, 4);
  EXPECT_EQ(d.regions[0].rect, (ChoiceRect{100, 50, 300, 200}));  // swapped into order
  EXPECT_EQ(utf8(d.regions[0].caption.view()), "door");
  // 4 characters of 8 pixels and 16 either side: 64 wide, centred.
  EXPECT_EQ(d.regions[0].label, (ChoiceRect{168, 113, 232, 137}));
  EXPECT_EQ(d.regions[1].kind, RegionKind::Picture);
  EXPECT_EQ(d.regions[2].kind, RegionKind::Pair);
  EXPECT_EQ(d.regions[2].second, (ChoiceRect{100, 0, 150, 50}));
  EXPECT_EQ(d.regions[2].secondX, 200);
  EXPECT_EQ(d.regions[2].secondY, 300);
  EXPECT_EQ(d.regions[3].kind, RegionKind::Colour);
  EXPECT_EQ(d.regions[3].colour, 0xA080F0u);
  EXPECT_EQ(d.regions[3].cursor, 32);

  // A definition with fewer lines than its count ends at the end; without a5, a6 the second
  // rectangle is drawn where it is.
  Image short_map({":m", "5", "#b,0,0,5,5,7,8,9,10"});
  ASSERT_TRUE(readClickMap(short_map.image, "m", d));
  EXPECT_EQ(d.count, 1);
  EXPECT_EQ(d.declared, 5);
  EXPECT_EQ(d.regions[0].secondX, 7);
  EXPECT_EQ(d.regions[0].secondY, 8);
  EXPECT_FALSE(readClickMap(img.image, "cellar", d));
  // The name is compared over its own length.
  EXPECT_TRUE(readClickMap(img.image, "Ha", d));
  EXPECT_EQ(d.count, 1);
}

}  // namespace
}  // namespace corvid
