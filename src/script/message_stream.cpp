// The message stream: name lines, text lines streamed a character at a time, inline marks,
// ruby and tags.
//
// Sections: tags; name lines; streaming; marks; tag actions.

#include "script/message_stream.h"

#include <algorithm>
#include <cstdio>

#include "data/game_config.h"
#include "script/interpreter.h"

namespace corvid {

// ---- Tags -----------------------------------------------------------------------------------

std::optional<MessageTagMatch> matchMessageTag(std::string_view text) {
  struct Entry {
    std::string_view name;
    MessageTag tag;
  };
  static constexpr Entry kTags[] = {
      {"gra", MessageTag::Gra},     {"1", MessageTag::WideOff},         {"2", MessageTag::WideOn},
      {"col", MessageTag::Colour},  {"wait", MessageTag::Wait},         {"cv ", MessageTag::Voice},
      {"clrb", MessageTag::Clrb},   {"delay", MessageTag::Delay},       {"?", MessageTag::Expression},
      {"$", MessageTag::StringSlot}, {"spr", MessageTag::Spr},          {"bg", MessageTag::Bg},
  };
  for (const Entry& e : kTags) {
    if (!startsWithNoCase(text, e.name)) continue;
    const bool rightAfter = e.tag == MessageTag::Voice || e.tag == MessageTag::Expression ||
                            e.tag == MessageTag::StringSlot;
    return MessageTagMatch{e.tag, e.name.size(), rightAfter};
  }
  return std::nullopt;
}

namespace {

int characterCode(unsigned char lead, unsigned char second) { return lead << 8 | second; }

bool isFullWidthDigitSecond(unsigned char b) { return b >= 0x4F && b <= 0x58; }

// Half-width katakana are characters of one byte, as a Windows player shows them (taking the
// next byte with them would lose every second one).
bool isHalfWidthKatakana(unsigned char b) { return b >= 0xA1 && b <= 0xDF; }

bool unlogged(int code) {
  return std::find(std::begin(kUnloggedMarks), std::end(kUnloggedMarks), code) !=
         std::end(kUnloggedMarks);
}

}  // namespace

// ---- Name lines ------------------------------------------------------------------------------

Interpreter::Next Interpreter::nameLine() {
  const bool fullScreen = c_.vars.S[160] != 0;
  if (!c_.text.windowShown() && !fullScreen) c_.text.beginMessage();
  if (fullScreen) {
    // The name becomes a text row of its own.
    s_.fetch = false;
    s_.column = 1;
    setNameInline(true);
    return Next::Stream;
  }
  const std::string_view rest = s_.lineText().substr(1);
  std::string_view name = rest;
  // "＄" and a full-width digit: the player's name or another string slot.
  if (rest.size() >= 4 && characterCode(rest[0], rest[1]) == kMarkStringSlot &&
      isFullWidthDigitSecond(static_cast<unsigned char>(rest[3])))
    name = c_.vars.strings[size_t(static_cast<unsigned char>(rest[3]) - 0x4F)];
  s_.name.assign(name);
  c_.log.appendText(s_.name.view());
  closeLogLine();
  c_.text.writeNameRow(s_.name.view());
  c_.text.drawNamePlate(s_.name.view());
  return Next::Continue;
}

// ---- Streaming ---------------------------------------------------------------------------------

bool Interpreter::paced() const {
  if (nameInline_ || c_.wait.characterDelay == 0 || c_.wait.instantPage || skipping()) return false;
  return c_.host.settings().textPaced || c_.vars.S[26] != 0;
}

// Streams characters until the step ends (false) or the line is left for the next one within
// the same step (true).
bool Interpreter::stream() {
  for (;;) {
    char bytes[2] = {0, 0};
    int width = 1;
    if (s_.insertionPending()) {
      const std::string_view insertion = s_.insertion.view();
      const unsigned char c = static_cast<unsigned char>(insertion[size_t(s_.insertionPos++)]);
      bytes[0] = char(c);
      if ((c < 0x20 || c >= 0x7F) && !isHalfWidthKatakana(c) && s_.insertionPending()) {
        bytes[1] = insertion[size_t(s_.insertionPos++)];
        width = 2;
      }
      c_.log.appendCharacter(bytes, width);
    } else {
      switch (streamMark(bytes, width)) {
        case Mark::Character: break;
        case Mark::GoOn: continue;
        case Mark::EndStep: return false;
        case Mark::NextLine: return true;
      }
    }
    c_.text.placeCharacter(bytes, width);
    if (!paced()) continue;
    // One character per step; a delay of n waits n - 1 timer ticks after each (a negative
    // delay, which would never be counted down, waits none).
    c_.wait.waitTicks = std::max(c_.wait.characterDelay - 1, 0);
    return false;
  }
}

// ---- Marks -----------------------------------------------------------------------------------------

// Acts on the line buffer at the column: a mark, a tag, ruby, the line's end, or a message
// character, which it puts into `bytes` (and the log) for showing.
Interpreter::Mark Interpreter::streamMark(char bytes[2], int& width) {
  const char* line = s_.line.data();
  const int32_t col = s_.column;
  const unsigned char c = static_cast<unsigned char>(line[col]);
  const unsigned char next = c ? static_cast<unsigned char>(line[col + 1]) : 0;
  switch (c) {
    case '%': {
      int32_t n = 0, digits = 0;
      while (line[col + 1 + digits] >= '0' && line[col + 1 + digits] <= '9') {
        n = std::min(n * 10 + (line[col + 1 + digits] - '0'), 99999999);
        ++digits;
      }
      // "%0" is "%" alone (a pause of 10 ticks) followed by the text "0".
      s_.column = n != 0 ? col + 1 + digits : col + 1;
      if (n == 0) n = 10;
      if (!skipping()) c_.wait.waitTicks = n;
      return Mark::EndStep;
    }
    case '\\':
      pageEndWait(1, true);
      s_.fetch = true;  // the rest of the line is dropped
      return Mark::EndStep;
    case '[':
      return tag();
    case '<':
      return ruby();
    case '\0':
      c_.vars.S[164] = 0;
      closeLogLine();
      s_.fetch = true;
      c_.text.newLine();
      setNameInline(false);
      return skipping() ? Mark::NextLine : Mark::EndStep;
    default:
      break;
  }
  const int code = characterCode(c, next);
  if (code == kMarkPageEnd) {
    closeLogLine();
    c_.wait.waitKind = 1;
    computeAutoCountdown();
    c_.wait.instantPage = false;
    s_.fetch = true;
    return Mark::EndStep;
  }
  if (code == kMarkNewPage) {
    closeLogLine();
    c_.text.beginMessage();
    s_.fetch = true;
    return Mark::EndStep;
  }
  if (code == kMarkLineWait) {
    c_.wait.waitKind = 2;
    computeAutoCountdown();
    c_.wait.instantPage = false;
    if (col == 0) s_.fetch = true;
    else s_.column = col + 2;
    return Mark::EndStep;
  }
  if (code == kMarkStringSlot) {
    // The mark and a full-width digit; at the line's end the column stops at its NUL.
    int32_t advance = 2;
    while (advance < 4 && line[col + advance] != '\0') ++advance;
    const unsigned char digit = advance == 4 ? static_cast<unsigned char>(line[col + 3]) : 0;
    if (isFullWidthDigitSecond(digit)) setInsertion(c_.vars.strings[size_t(digit - 0x4F)]);
    s_.column = col + advance;
    return Mark::GoOn;
  }
  bytes[0] = char(c);
  if ((c >= 0x20 && c <= 0x7E) || isHalfWidthKatakana(c)) {
    width = 1;
    s_.column = col + 1;
  } else if (next == 0) {
    s_.column = col + 1;  // a first byte cut off by the line's end has nothing to show
    return Mark::GoOn;
  } else {
    bytes[1] = char(next);
    width = 2;
    s_.column = col + 2;
  }
  if (!unlogged(code)) c_.log.appendCharacter(bytes, width);
  return Mark::Character;
}

void Interpreter::setInsertion(std::string_view text) {
  s_.insertion.assign(text);
  s_.insertionPos = 0;
}

Interpreter::Mark Interpreter::ruby() {
  const std::string_view rest = s_.lineText().substr(size_t(s_.column) + 1);
  const size_t close = rest.find('>');
  c_.text.drawRuby(rest.substr(0, close));
  if (close == std::string_view::npos) {
    s_.fetch = true;
    return Mark::NextLine;
  }
  s_.column += int32_t(close) + 2;
  return Mark::GoOn;
}

// ---- Tag actions ------------------------------------------------------------------------------------

Interpreter::Mark Interpreter::tag() {
  const size_t open = size_t(s_.column);
  const std::string_view line = s_.lineText();
  const std::string_view rest = line.substr(open + 1);
  const size_t close = rest.find(']');  // the tag ends at "]" or at the end of the line
  const std::optional<MessageTagMatch> match = matchMessageTag(rest);
  bool endStep = false;
  if (match) {
    const size_t end = close == std::string_view::npos ? rest.size() : close;
    const size_t start = std::min(match->nameLength + (match->argumentRightAfter ? 0 : 1), end);
    const std::string_view argument = rest.substr(start, end - start);
    const int32_t number = readArgumentNumber(argument);
    switch (match->tag) {
      case MessageTag::Gra:
        c_.owners.pictures({CommandId::Gra, argument, true});
        break;
      case MessageTag::Spr:
        c_.owners.pictures({CommandId::Spr, argument, true});
        break;
      case MessageTag::Clrb:
        c_.owners.pictures({CommandId::Clrb, argument, true});
        break;
      case MessageTag::Bg:
        c_.owners.pictures({CommandId::Bg, argument, true});
        break;
      case MessageTag::WideOff:
        c_.text.setWideSpacing(false);
        break;
      case MessageTag::WideOn:
        c_.text.setWideSpacing(true);
        break;
      case MessageTag::Colour:
        c_.text.setColourCode(number);
        break;
      case MessageTag::Wait:
        // A negative pause would never be counted down and would stop the script for good.
        if (!skipping()) c_.wait.waitTicks = std::max(number, 0);
        endStep = true;
        break;
      case MessageTag::Voice:
        if (!skipping()) c_.owners.sound({CommandId::Cv, argument, true});
        if (c_.vars.S[28] != 0) {
          c_.host.addPageVoice(argument);
          s_.lastVoice.assign(argument);
        }
        break;
      case MessageTag::Delay:
        c_.wait.characterDelay = number;
        break;
      case MessageTag::Expression: {
        const ExpressionValue value = evaluateExpression(rest.substr(start), c_.vars, c_.random);
        if (!value.valid) traceError("invalid expression in a [?] tag", argument);
        char digits[16];
        std::snprintf(digits, sizeof digits, "%d", value.value);
        setInsertion(digits);
        break;
      }
      case MessageTag::StringSlot:
        if (!argument.empty() && argument[0] >= '0' && argument[0] <= '9')
          setInsertion(c_.vars.strings[size_t(argument[0] - '0')]);
        break;
    }
  } else {
    traceError("unknown tag", rest.substr(0, close));
  }
  if (close == std::string_view::npos) {
    s_.fetch = true;
    return endStep ? Mark::EndStep : Mark::NextLine;
  }
  s_.column = int32_t(open + 1 + close + 1);
  return endStep ? Mark::EndStep : Mark::GoOn;
}

}  // namespace corvid
