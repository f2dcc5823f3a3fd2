// The command table: keywords matched in table order with their trailing blanks, without case;
// where each command's arguments begin.

#include "script/command_table.h"

#include <gtest/gtest.h>

#include <string>

namespace corvid {
namespace {

std::string matched(std::string_view text) {
  const std::optional<CommandId> id = matchCommand(text);
  return id ? std::string(commandInfo(*id).keyword) : "none";
}

TEST(CommandTable, KeywordsMatchInTableOrder) {
  struct Case {
    const char* text;  // after the line's "*" or "@"
    const char* keyword;
  };
  const Case cases[] = {
      {"exitgame", "exitgame"},  // before "exit"
      {"exit", "exit"},
      {"select 2", "select"},
      {"se bell", "se "},
      {"seloop rain", "seloop "},
      {"seoff", "seoff"},
      {"seltree 1", "seltree"},
      {"setname", "setname"},
      {"GO start", "go "},       // capitals match as lower case
      {"Chain b", "chain "},
      {"go", "none"},            // the keyword's blank is part of it
      {"gra", "none"},
      {"spr a", "spr "},
      {"sprmv a", "sprmv "},
      {"bg_anim 1", "bg_anim"},
      {"bg a", "bg "},
      {"endless", "end"},        // a keyword matches over its own length
      {"map 1", "map"},
      {"manpu 1", "manpu "},
      {"animq a", "anim"},
      {"obj_set 1", "obj_"},
      {"wait_v_end", "wait_v_end"},
      {"unknown", "none"},
      {"", "none"},
  };
  for (const Case& c : cases) EXPECT_EQ(matched(c.text), c.keyword) << c.text;
}

TEST(CommandTable, TableHoldsAllKeywordsInOrder) {
  EXPECT_EQ(commandInfo(CommandId::Gra).keyword, "gra ");
  EXPECT_EQ(commandInfo(CommandId::WaitVEnd).keyword, "wait_v_end");
  EXPECT_EQ(commandInfo(CommandId::ExitGame).keyword, "exitgame");
  EXPECT_EQ(commandInfo(CommandId::Web).keyword, "web ");
  EXPECT_EQ(commandInfo(CommandId::Counter).keyword, "counter");
  EXPECT_EQ(int(CommandId::Counter), kCommandCount - 1);
}

TEST(CommandTable, ArgumentsBegin) {
  struct Case {
    CommandId id;
    const char* text;
    const char* arguments;
  };
  const Case cases[] = {
      {CommandId::Go, "go LABEL", "LABEL"},
      {CommandId::Mark, "mark 12", "12"},
      {CommandId::Cjmp, "cjmp V001", "V001"},
      {CommandId::Cjmp, "cjmp", ""},
      {CommandId::Select, "select 2", "2"},
      {CommandId::Select, "select", ""},
      {CommandId::Switch, "switch name", "name"},
      {CommandId::Switch, "switch", ""},
      {CommandId::String, "string 3 text", "3 text"},
      {CommandId::Anim, "animq clip", "clip"},
      {CommandId::Anim, "anim clip", "clip"},
      {CommandId::Obj, "obj_set 1", "set 1"},
      {CommandId::End, "end", ""},
      {CommandId::Shake, "shake 1,2", "1,2"},
      {CommandId::FadeIn, "fadein 30", "30"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(commandArguments(c.id, c.text), c.arguments) << c.text;
  EXPECT_FALSE(commandHasExpression(CommandId::Select, "select"));
  EXPECT_FALSE(commandHasExpression(CommandId::Select, "select2"));
  EXPECT_TRUE(commandHasExpression(CommandId::Cjmp, "cjmp "));
}

}  // namespace
}  // namespace corvid
