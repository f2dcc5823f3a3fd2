// Reading choice blocks, switch cases and click-map definitions from the script images.
//
// Sections: the choice blocks; switch; click-map definitions.

#include "script/choice_blocks.h"

#include <algorithm>
#include <utility>

#include "data/sjis.h"
#include "script/variables.h"

namespace corvid {

namespace {

// Width in bytes of the character at `i`: a lead byte takes the next byte too.
size_t characterWidth(std::string_view text, size_t i) {
  return isSjisLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

// A text being built, cut at 63 bytes on a character boundary.
class TextBuilder {
 public:
  void append(std::string_view bytes) {
    if (length_ + bytes.size() > kChoiceTextBytes - 1) {
      cut_ = true;
      return;
    }
    std::copy(bytes.begin(), bytes.end(), buffer_.begin() + ptrdiff_t(length_));
    length_ += bytes.size();
  }
  std::string_view view() const { return {buffer_.data(), length_}; }
  bool cut() const { return cut_; }

 private:
  std::array<char, kChoiceTextBytes> buffer_{};
  size_t length_ = 0;
  bool cut_ = false;
};

enum class LineOutcome { Counted, Dropped };

// One "{" line, from its second byte.
LineOutcome readBlockLine(std::string_view line, ChoiceBlockKind kind, const VariableSpaces& vars,
                          BlockConditions& conditions, ChoiceBlock& block, bool& textCut) {
  TextBuilder text;
  block = ChoiceBlock{};
  for (size_t i = 1; i < line.size();) {
    const char c = line[i];
    if (c == '(') {
      if (!conditions.holds(line.substr(i))) {
        if (kind == ChoiceBlockKind::Select) return LineOutcome::Dropped;
        block.enabled = false;
      }
      const size_t close = line.find(')', i);
      i = close == std::string_view::npos ? line.size() : close + 1;
      continue;
    }
    if (c == '$' && kind == ChoiceBlockKind::Select) {
      const char d = i + 1 < line.size() ? line[i + 1] : '\0';
      const int slot = d >= '0' && d <= '9' ? d - '0' : 0;
      block.text.assign(vars.strings[size_t(slot)]);
      return LineOutcome::Counted;
    }
    if (c == '@' && kind == ChoiceBlockKind::ClickMap) {
      const int64_t ticks = int64_t(readArgumentNumber(line.substr(i + 1))) * kTimedChoiceTicksPerUnit;
      block.timedTicks = int32_t(std::clamp<int64_t>(ticks, INT32_MIN, INT32_MAX));
      block.timed = true;
      break;
    }
    const size_t width = characterWidth(line, i);
    text.append(line.substr(i, width));
    i += width;
  }
  block.text.assign(text.view());
  if (text.cut()) textCut = true;
  return LineOutcome::Counted;
}

}  // namespace

// ---- The choice blocks ------------------------------------------------------------------------

void readChoiceBlocks(const ScriptImage& image, int32_t from, ChoiceBlockKind kind,
                      const VariableSpaces& vars, BlockConditions& conditions,
                      ChoiceBlocks& out) {
  out.count = 0;
  out.overflow = false;
  out.textCut = false;
  int32_t pos = std::max(from, 0);
  for (;;) {
    const int32_t open = image.nextLineStartingWith(pos, '{');
    const int32_t close = image.nextLineStartingWith(pos, '}');
    if (open < 0 || (close >= 0 && close < open)) {
      out.closed = close >= 0;
      out.constructEnd = close >= 0 ? close : image.size();
      return;
    }
    if (out.count == kMaxChoices) {
      // Only the first 32 are read; the construct still ends at its "}" line.
      out.overflow = true;
      out.closed = close >= 0;
      out.constructEnd = close >= 0 ? close : image.size();
      return;
    }
    int32_t next = 0;
    const std::string_view line = image.lineAt(open, &next);
    ChoiceBlock& block = out.blocks[size_t(out.count)];
    if (readBlockLine(line, kind, vars, conditions, block, out.textCut) == LineOutcome::Counted) {
      block.target = next;
      ++out.count;
    }
    pos = next;
  }
}

// ---- switch -------------------------------------------------------------------------------------

SwitchCase findSwitchCase(const ScriptImage& image, int32_t from, std::string_view name,
                          BlockConditions& conditions) {
  SwitchCase result;
  const int32_t end = name.empty() ? image.nextLineStartingWith(from, '}')
                                   : image.findMarkedName(from, "}:", name);
  result.closed = end >= 0;
  const int32_t limit = end >= 0 ? end : image.size();
  result.position = limit;
  // The cases are looked for only up to the construct's end, so that no case of a later
  // construct of the same name is ever taken.
  for (int32_t pos = std::max(from, 0); pos < limit;) {
    int32_t next = 0;
    const std::string_view line = image.lineAt(pos, &next);
    pos = next;
    if (line.empty() || line[0] != '{') continue;
    std::string_view rest;
    if (name.empty()) {
      rest = line.substr(1);
    } else {
      if (line.size() < 2 + name.size() || line[1] != ':') continue;
      if (!namesEqualNoCase(line.substr(2, name.size()), name)) continue;
      rest = line.substr(2 + name.size());
    }
    const bool takes = rest.empty() || (rest[0] == '(' && conditions.holds(rest));
    if (!takes) continue;
    result.position = next;
    result.taken = true;
    return result;
  }
  return result;
}

// ---- Click-map definitions ------------------------------------------------------------------------

namespace {

// The comma-separated fields of a region line.
struct Fields {
  std::array<std::string_view, 11> field;
  size_t count = 0;
};

Fields splitFields(std::string_view line) {
  Fields f;
  while (f.count < f.field.size()) {
    const size_t comma = line.find(',');
    f.field[f.count++] = line.substr(0, comma);
    if (comma == std::string_view::npos) break;
    line.remove_prefix(comma + 1);
  }
  return f;
}

int32_t hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 0;
}

int32_t number(const Fields& f, size_t i) {
  return i < f.count ? readArgumentNumber(f.field[i]) : 0;
}

ClickRegion readRegion(std::string_view line) {
  const Fields f = splitFields(line);
  ClickRegion r;
  const std::string_view name = f.field[0];
  r.caption.assign(name);
  r.kind = name.empty() ? RegionKind::Rectangle
           : name[0] == '*' ? RegionKind::Picture
           : name[0] == '#' ? RegionKind::Pair
           : name[0] == '$' ? RegionKind::Colour
                            : RegionKind::Rectangle;
  int32_t x1 = number(f, 1), y1 = number(f, 2), x2 = number(f, 3), y2 = number(f, 4);
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  r.rect = {x1, y1, x2, y2};
  if (r.kind == RegionKind::Pair) {
    r.second = {number(f, 5), number(f, 6), number(f, 7), number(f, 8)};
    const bool placed = f.count > 10;
    r.secondX = placed ? number(f, 9) : r.second.left;
    r.secondY = placed ? number(f, 10) : r.second.top;
  }
  if (r.kind == RegionKind::Colour) {
    const auto digit = [&](size_t i) { return i < name.size() ? hexDigit(name[i]) : 0; };
    r.colour = uint32_t(digit(1)) << 4 | uint32_t(digit(2)) << 12 | uint32_t(digit(3)) << 20;
    r.cursor = (name.size() > 4 ? readArgumentNumber(name.substr(4)) : 0) + 29;
  }
  r.label = captionBox(r.rect, r.caption.view());
  return r;
}

}  // namespace

ChoiceRect captionBox(const ChoiceRect& rect, std::string_view caption) {
  int32_t width = 0;
  for (size_t i = 0; i < caption.size();) {
    const size_t w = characterWidth(caption, i);
    width += w == 2 ? 16 : 8;
    i += w;
  }
  width += 32;
  ChoiceRect box;
  box.left = rect.left + (rect.right - rect.left - width) / 2;
  box.right = box.left + width;
  box.top = rect.top + (rect.bottom - rect.top - 24) / 2;
  box.bottom = box.top + 24;
  return box;
}

bool readClickMap(const ScriptImage& section, std::string_view name, ClickMapDefinition& out) {
  out.count = 0;
  out.declared = 0;
  if (name.empty()) return false;
  const std::string_view all = section.text();
  size_t at = all.find(':');
  for (; at != std::string_view::npos; at = all.find(':', at + 1)) {
    const std::string_view after = all.substr(at + 1);
    if (after.size() >= name.size() && namesEqualNoCase(after.substr(0, name.size()), name)) break;
  }
  if (at == std::string_view::npos) return false;
  int32_t pos = 0;
  section.lineAt(int32_t(at), &pos);
  out.declared = readArgumentNumber(readAuxLine(section, pos));
  const int32_t wanted = std::clamp(out.declared, 0, kMaxChoices);
  // A definition that has fewer lines than its count ends at the next label or the end.
  while (out.count < wanted && pos < section.size()) {
    const std::string_view line = readAuxLine(section, pos);
    if (!line.empty() && line[0] == ':') break;
    out.regions[size_t(out.count++)] = readRegion(line);
  }
  return true;
}

}  // namespace corvid
