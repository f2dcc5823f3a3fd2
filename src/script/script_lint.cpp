// Checking one script line by line, by the rules the interpreter plays it with.
//
// Sections: what is reported; the linter (lines, commands, text, targets).

#include "script/script_lint.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>

#include "data/sjis.h"
#include "script/choice_blocks.h"
#include "script/command_table.h"
#include "script/expression.h"
#include "script/interpreter.h"
#include "script/message_stream.h"

namespace corvid {

bool isDefinitionSection(std::string_view upperName) {
  return (!upperName.empty() && upperName[0] == '_') || upperName == "VIEW_1" ||
         upperName == "VIEW_2" || upperName == "MAP";
}

namespace {

// ---- What is reported ---------------------------------------------------------------------------

std::string quoted(std::string_view sjisText) { return "\"" + sjisToUtf8(sjisText) + "\""; }

// The first problem an expression, statement or condition check ran into.
struct FirstProblem final : VariableObserver {
  std::string what;
  void systemVariableAssigned(int) override {}
  void ignoredError(std::string_view problem, std::string_view) override {
    if (what.empty()) what = problem;
  }
};

// ---- The linter -----------------------------------------------------------------------------------

class Linter {
 public:
  Linter(const ScriptSource& scripts, const ReferenceCheck* references)
      : scripts_(scripts), references_(references) {
    image_.allocate();
  }

  std::vector<LintFinding> run(std::span<const uint8_t> bytes) {
    if (bytes.size() > size_t(kScriptImageBytes)) {
      line_ = 1;
      add("script larger than 262144 bytes: the engine refuses it");
      return findings_;
    }
    image_.assign(bytes);
    for (int32_t pos = 0; pos < image_.size();) {
      int32_t next = 0;
      const std::string_view line = image_.lineAt(pos, &next);
      ++line_;
      if (line.size() >= kLineBufferBytes) add("line longer than 2047 bytes: the engine cuts it");
      lintLine(line, next);
      pos = next;
    }
    if (!bytes.empty() && bytes.back() != 0) add("last line without its NUL");
    return findings_;
  }

 private:
  void add(std::string message) { findings_.push_back({line_, std::move(message)}); }

  // `next` is the position after the line, where constructs that follow it begin.
  void lintLine(std::string_view line, int32_t next) {
    if (line.empty()) return;
    switch (line[0]) {
      case '!': statements(line.substr(1)); return;
      case '*':
      case '@': command(line, next); return;
      case '{': blockCondition(line); return;
      case ':': case ';': case '}': case '=': case '\\': case '~': case '+': case '>':
        return;
      default: text(line); return;
    }
  }

  void command(std::string_view line, int32_t next) {
    const std::string_view text = line.substr(1);
    const std::optional<CommandId> id = matchCommand(text);
    if (!id) {
      add("unknown command " + quoted(line));
      return;
    }
    const std::string_view arguments = commandArguments(*id, text);
    references(*id, arguments);
    switch (*id) {
      case CommandId::Go:
        label("go", arguments, image_, {});
        return;
      case CommandId::If:
        ifLine(line, arguments, next);
        return;
      case CommandId::Calc:
        statements(arguments);
        return;
      case CommandId::Cjmp:
        if (commandHasExpression(*id, text)) expression(arguments);
        closing(next, "cjmp without the closing \"}\" of its construct");
        return;
      case CommandId::Select:
        if (commandHasExpression(*id, text)) expression(arguments);
        closing(next, "select without the closing \"}\" of its choice blocks");
        choiceBlocks(next, ChoiceBlockKind::Select);
        return;
      case CommandId::ClickMap:
        closing(next, "clickmap without the closing \"}\" of its choice blocks");
        clickMap(arguments, choiceBlocks(next, ChoiceBlockKind::ClickMap));
        return;
      case CommandId::Switch:
        if (arguments.empty()) closing(next, "switch without the closing \"}\" of its blocks");
        else if (image_.findMarkedName(next, "}:", arguments) < 0)
          add("switch without its closing \"}:" + sjisToUtf8(arguments) + "\"");
        return;
      case CommandId::Chain:
        scriptTarget("chain", arguments, kChainExamined);
        return;
      case CommandId::Call:
        // "$d" names the script by a string slot, known only when played.
        if (!arguments.empty() && arguments[0] == '$') return;
        scriptTarget("call", arguments, kCallExamined);
        return;
      default:
        return;
    }
  }

  // The condition of `if`, then its target as the interpreter finds it.
  void ifLine(std::string_view line, std::string_view arguments, int32_t next) {
    condition(arguments);
    const size_t limit = std::min(line.size(), size_t(200));
    size_t i = line.find(')');
    if (i == std::string_view::npos || i >= limit) return;
    ++i;
    while (i < limit && line[i] == ' ') ++i;
    if (i >= limit) return;
    const std::string_view target = line.substr(i);
    if (target[0] == '*' || target[0] == '@' || target[0] == '!') {
      if (target.size() > 199) add("if target longer than 199 bytes: the engine does not run it");
      else lintLine(target, next);
      return;
    }
    label("if", target, image_, {});
  }

  // "{(" condition of a choice, "{:name(" condition of a switch case.
  void blockCondition(std::string_view line) {
    if (line.size() > 1 && line[1] == '(') {
      condition(line.substr(1));
      return;
    }
    const size_t open = line.find('(');
    if (line.size() > 1 && line[1] == ':' && open != std::string_view::npos)
      condition(line.substr(open));
  }

  // Message text: the expressions of "[?...]" tags and what the picture and voice tags name.
  // The walk goes by characters, as streaming does, so the second byte of a double-byte
  // character is never taken for a "[".
  void text(std::string_view line) {
    for (size_t i = 0; i < line.size();) {
      const unsigned char c = static_cast<unsigned char>(line[i]);
      if (c == '[') tag(line.substr(i + 1));
      i += c >= 0x20 && c <= 0x7E ? 1 : 2;
    }
  }

  // `rest`: the text after the "[". The argument is cut as the interpreter cuts it.
  void tag(std::string_view rest) {
    const std::optional<MessageTagMatch> tag = matchMessageTag(rest);
    if (!tag) return;
    const size_t close = rest.find(']');
    const size_t end = close == std::string_view::npos ? rest.size() : close;
    const size_t start = std::min(tag->nameLength + (tag->argumentRightAfter ? 0 : 1), end);
    const std::string_view argument = rest.substr(start, end - start);
    switch (tag->tag) {
      case MessageTag::Expression: expression(argument); return;
      case MessageTag::Gra: references(CommandId::Gra, argument); return;
      case MessageTag::Spr: references(CommandId::Spr, argument); return;
      case MessageTag::Bg: references(CommandId::Bg, argument); return;
      case MessageTag::Clrb: references(CommandId::Clrb, argument); return;
      case MessageTag::Voice: references(CommandId::Cv, argument); return;
      default: return;
    }
  }

  void references(CommandId id, std::string_view arguments) {
    if (!references_) return;
    for (std::string& problem : references_->check(id, arguments)) add(std::move(problem));
  }

  void expression(std::string_view text) {
    if (evaluateExpression(text, vars_, random_).valid) return;
    add("malformed expression " + quoted(text));
  }

  void statements(std::string_view text) {
    FirstProblem problem;
    runStatements(text, vars_, random_, &problem);
    if (!problem.what.empty()) add("malformed statement " + quoted(text) + ": " + problem.what);
  }

  void condition(std::string_view text) {
    FirstProblem problem;
    if (conditionWellFormed(text, &problem)) return;
    const size_t close = text.find(')');  // the condition ends there
    const std::string_view shown = close == std::string_view::npos ? text : text.substr(0, close + 1);
    add("malformed condition " + quoted(shown) + ": " + problem.what);
  }

  // The blocks as the engine reads them, every condition taken as true; returns their count.
  int32_t choiceBlocks(int32_t from, ChoiceBlockKind kind) {
    struct AllHold final : BlockConditions {
      bool holds(std::string_view) override { return true; }
    } conditions;
    readChoiceBlocks(image_, from, kind, vars_, conditions, blocks_);
    if (blocks_.overflow) add("more than 32 choice blocks: the engine reads only the first 32");
    if (blocks_.textCut) add("choice text longer than 63 bytes: the engine cuts it");
    return blocks_.count;
  }

  // The definition in the section "map", and a block for each of its regions.
  void clickMap(std::string_view name, int32_t blocks) {
    const ScriptImage* map = script("map");
    if (!map) {
      add("clickmap " + quoted(name) + " without the section \"map\": the engine refuses it");
      return;
    }
    ClickMapDefinition definition;
    if (!readClickMap(*map, name, definition)) {
      add("clickmap " + quoted(name) + " that the section \"map\" does not hold: the engine refuses it");
      return;
    }
    if (definition.count < definition.declared)
      add("clickmap " + quoted(name) + " has fewer region lines than its count");
    if (blocks < definition.count)
      add("clickmap " + quoted(name) + ": regions without a block cannot be picked");
    else if (blocks > definition.count)
      add("clickmap " + quoted(name) + ": more blocks than regions; the extra ones never run");
  }

  // A construct that must end with a line beginning with "}" after `from`.
  void closing(int32_t from, const char* message) {
    if (image_.nextLineStartingWith(from, '}') < 0) add(message);
  }

  void label(const char* kind, std::string_view name, const ScriptImage& image,
             std::string_view script) {
    if (image.findMarkedName(0, ":", name) >= 0) return;
    std::string message = std::string(kind) + " to a missing label " + quoted(name);
    if (!script.empty()) message += " in " + quoted(script);
    add(message);
  }

  void scriptTarget(const char* kind, std::string_view arguments, size_t examined) {
    const ScriptArgument argument = splitScriptArgument(arguments, examined);
    if (argument.name.size() > kScriptNameBytes) {
      add(std::string(kind) + " to a script name longer than 29 bytes: the engine refuses it");
      return;
    }
    const ScriptImage* target = script(argument.name);
    if (!target) {
      add(std::string(kind) + " to a missing script " + quoted(argument.name));
      return;
    }
    if (argument.hasLabel) label(kind, argument.label, *target, argument.name);
  }

  // Another script, read once; null when no data archive holds it (or it cannot be used).
  const ScriptImage* script(std::string_view name) {
    const std::string key = upperSjisName(name);
    auto it = others_.find(key);
    if (it != others_.end()) return it->second.get();
    std::unique_ptr<ScriptImage> image;
    EntryRead entry = scripts_.readScript(name, uint64_t(kScriptImageBytes));
    if (entry.ok()) {
      image = std::make_unique<ScriptImage>();
      image->allocate();
      image->assign(entry.bytes);
    }
    return others_.emplace(key, std::move(image)).first->second.get();
  }

  const ScriptSource& scripts_;
  const ReferenceCheck* references_;
  ScriptImage image_;
  int32_t line_ = 0;
  std::vector<LintFinding> findings_;
  std::map<std::string, std::unique_ptr<ScriptImage>> others_;
  VariableSpaces vars_;  // scratch: statements are run to be checked
  ChoiceBlocks blocks_;   // scratch of the choice-block reading
  RandomGenerator random_;
};

}  // namespace

std::vector<LintFinding> lintScript(std::span<const uint8_t> bytes, const ScriptSource& scripts,
                                    const ReferenceCheck* references) {
  return Linter(scripts, references).run(bytes);
}

}  // namespace corvid
