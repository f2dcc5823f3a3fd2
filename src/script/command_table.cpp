#include "script/command_table.h"

#include <algorithm>
#include <array>

#include "script/script_text.h"

namespace corvid {

namespace {

using O = CommandOwner;

constexpr std::array<CommandInfo, kCommandCount> kCommands = {{
    {"gra ", O::Pictures, 0},        {"music ", O::Sound, 0},       {"cv ", O::Sound, 0},
    {"go ", O::Interpreter, 0},      {"clrb", O::Pictures, 0},      {"select", O::Choices, 1},
    {"clickmap ", O::Choices, 1},    {"switch", O::Choices, 1},     {"chain ", O::Interpreter, 1},
    {"wait_v_end", O::Interpreter, 1},
    {"spr ", O::Pictures, 0},        {"calc ", O::Interpreter, 0},  {"if ", O::Interpreter, 1},
    {"ptset ", O::Pictures, 0},      {"call ", O::Interpreter, 1},  {"end", O::Interpreter, 1},
    {"mode ", O::TextWindow, 1},     {"load", O::Saves, 1},         {"gameinit", O::Interpreter, 0},
    {"grb ", O::Pictures, 0},
    {"win_close", O::TextWindow, 0}, {"special ", O::Effects, 1},   {"gameclr", O::Saves, 0},
    {"partsload ", O::Pictures, 0},  {"movie ", O::Sound, 0},       {"mark ", O::Interpreter, 0},
    {"bg ", O::Pictures, 0},         {"fix", O::Pictures, 0},       {"sleep ", O::Interpreter, 0},
    {"seltree", O::Screens, 1},
    {"string ", O::Interpreter, 0},  {"direct ", O::Pictures, 0},   {"save", O::Saves, 1},
    {"break", O::Interpreter, 1},    {"win_open", O::TextWindow, 0}, {"title ", O::Interpreter, 0},
    {"backto", O::Interpreter, 0},   {"map", O::Screens, 1},        {"bg_anim", O::Effects, 0},
    {"roll ", O::Screens, 1},
    {"anim", O::Effects, 1},         {"shake", O::Transitions, 1},  {"cjmp", O::Interpreter, 0},
    {"setname", O::Screens, 1},      {"ovr", O::Pictures, 1},       {"viewer", O::Screens, 1},
    {"se ", O::Sound, 0},            {"seloop ", O::Sound, 0},      {"seoff", O::Sound, 0},
    {"exitgame", O::Interpreter, 1},
    {"rec", O::Interpreter, 0},      {"tw_set ", O::TextWindow, 0}, {"exit", O::Interpreter, 1},
    {"obj_", O::Screens, 0},         {"sroll", O::Screens, 1},      {"scroll ", O::Transitions, 1},
    {"kaisou", O::Screens, 1},       {"chgprm", O::Screens, 1},     {"cgfull", O::Screens, 1},
    {"effect", O::Effects, 1},
    {"vend", O::Interpreter, 1},     {"manpu ", O::Effects, 0},     {"sprmv ", O::Effects, 1},
    {"efxanim ", O::Effects, 1},     {"wipeset ", O::Transitions, 1}, {"config", O::Screens, 1},
    {"web ", O::Interpreter, 1},     {"char ", O::Pictures, 0},     {"fadein", O::Transitions, 0},
    {"fadeout", O::Transitions, 0},
    {"counter", O::Screens, 1},
}};

// The text from `offset` on, or the empty end of the line when it is past it.
std::string_view from(std::string_view text, size_t offset) {
  return offset <= text.size() ? text.substr(offset) : text.substr(text.size());
}

}  // namespace

const CommandInfo& commandInfo(CommandId id) { return kCommands[size_t(id)]; }

std::optional<CommandId> matchCommand(std::string_view text) {
  text = untilNul(text);
  for (size_t i = 0; i < kCommands.size(); ++i)
    if (startsWithNoCase(text, kCommands[i].keyword)) return CommandId(i);
  return std::nullopt;
}

bool commandHasExpression(CommandId id, std::string_view text) {
  text = untilNul(text);
  const size_t k = commandInfo(id).keyword.size();
  if (id == CommandId::Select) return k < text.size() && text[k] == ' ';
  if (id == CommandId::Cjmp) return k < text.size();
  return true;
}

ScriptArgument splitScriptArgument(std::string_view text, size_t examined) {
  const size_t limit = std::min(text.size(), examined);
  for (size_t i = 0; i < limit; ++i) {
    if (text[i] == ' ') return {text.substr(0, i), {}, false};
    if (text[i] == ':') return {text.substr(0, i), text.substr(i + 1), true};
  }
  return {text.substr(0, limit), {}, false};
}

std::string_view commandArguments(CommandId id, std::string_view text) {
  text = untilNul(text);
  const std::string_view keyword = commandInfo(id).keyword;
  const size_t k = keyword.size();
  switch (id) {
    case CommandId::Select:
    case CommandId::Cjmp:
      return commandHasExpression(id, text) ? from(text, k + 1) : from(text, text.size());
    case CommandId::String:
      return from(text, k);  // the digit right after the keyword; the text two bytes later
    case CommandId::Anim:
      if (k < text.size() && upperAscii(text[k]) == 'Q') return from(text, k + 2);  // animq
      return from(text, k + 1);
    case CommandId::Obj:
      return from(text, k);  // the sub-command follows "obj_" directly
    default:
      return keyword.back() == ' ' ? from(text, k) : from(text, k + 1);
  }
}

}  // namespace corvid
