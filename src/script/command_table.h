#pragma once
// The command table: the 71 keywords of command lines ("*" or "@" and a keyword), in the fixed
// order in which they are matched, who owns each, the result each gives by default, and where
// its arguments begin.
//
// A keyword matches when the text after the line's first byte begins with it, single-byte
// letters compared without case; the first match in table order wins. Several keywords end in
// a blank, which is part of the match ("se " does not match "select"), and "exitgame" comes
// before "exit" so that it is not taken for it.

#include <cstdint>
#include <optional>
#include <string_view>

namespace corvid {

enum class CommandId : uint8_t {
  Gra, Music, Cv, Go, Clrb, Select, ClickMap, Switch, Chain, WaitVEnd,        // 0-9
  Spr, Calc, If, PtSet, Call, End, Mode, Load, GameInit, Grb,                 // 10-19
  WinClose, Special, GameClr, PartsLoad, Movie, Mark, Bg, Fix, Sleep, SelTree,  // 20-29
  String, Direct, Save, Break, WinOpen, Title, BackTo, Map, BgAnim, Roll,     // 30-39
  Anim, Shake, Cjmp, SetName, Ovr, Viewer, Se, SeLoop, SeOff, ExitGame,       // 40-49
  Rec, TwSet, Exit, Obj, SRoll, Scroll, Kaisou, ChgPrm, CgFull, Effect,       // 50-59
  Vend, Manpu, SprMv, EfxAnim, WipeSet, Config, Web, Char, FadeIn, FadeOut,   // 60-69
  Counter,                                                                    // 70
};
inline constexpr int kCommandCount = 71;

// Who carries a command out.
enum class CommandOwner : uint8_t {
  Interpreter,  // control flow and play state
  Pictures,     // layers and picture commands
  Transitions,  // transitions, shake, scroll
  Effects,      // scripted effects, background animation, clips, cartoon mark
  TextWindow,   // the text window commands
  Sound,        // music, sound effects, voices, movies
  Saves,        // save and load screens, the completed-game count
  Choices,      // select, clickmap, switch
  Screens,      // the screens of the player conveniences and the extras
};

// Result codes of a command.
inline constexpr int kContinueStep = 0;  // go on with the next line in the same step
inline constexpr int kEndStep = 1;       // the step ends; the next step reads the next line
inline constexpr int kActOnLine = 2;     // act on the line buffer again (only `if`)

struct CommandInfo {
  std::string_view keyword;  // with its trailing blank where it has one
  CommandOwner owner;
  int result;  // the result a command gives when its owner does nothing else
};

const CommandInfo& commandInfo(CommandId id);

// The command whose keyword the text after the line's first byte begins with.
std::optional<CommandId> matchCommand(std::string_view text);

// Where the arguments of `id` begin in `text` (the text after the line's first byte, up to the
// line's end, which matchCommand matched). By the general rule they begin right after a keyword
// that ends in a blank, and one separating byte after any other keyword; the exceptions are
// "select", "switch", "cjmp", "string ", "animq" and "obj_". Never past the end of the line.
std::string_view commandArguments(CommandId id, std::string_view text);

// Whether `select` or `cjmp` were given an expression (see commandArguments).
bool commandHasExpression(CommandId id, std::string_view text);

// The argument of `chain` and `call`, "name[:label]": the name ends at the first blank (the
// rest is ignored) or ":" (the rest of the line is the label), within the first `examined`
// bytes (kChainExamined, kCallExamined).
struct ScriptArgument {
  std::string_view name;
  std::string_view label;
  bool hasLabel = false;
};
inline constexpr size_t kChainExamined = 120;
inline constexpr size_t kCallExamined = 93;
ScriptArgument splitScriptArgument(std::string_view text, size_t examined);

}  // namespace corvid
