#include "gfx/picture_references.h"

#include "data/sjis.h"
#include "gfx/picture_arguments.h"
#include "gfx/picture_loader.h"

namespace corvid {

namespace {

std::string quoted(std::string_view sjisName) { return "\"" + sjisToUtf8(sjisName) + "\""; }

char upperAscii(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

// ---- Names -----------------------------------------------------------------------------------

void PictureReferences::plain(std::string_view name, Problems& problems) const {
  if (name.empty() || archives_.findPicture(name)) return;
  problems.push_back("picture " + quoted(name) + " is in no archive");
}

// A name as resolvePicture reads it: a "#" composite, an "S" colour or a plain picture. The
// composite's parts are checked with the "_bgset" section, once.
void PictureReferences::resolved(std::string_view name, Problems& problems) const {
  if (name.empty()) return;
  if (name[0] == '#') {
    if (!findSetLines(backgroundSets_, name))
      problems.push_back("composite " + quoted(name) + " has no label in \"_bgset\"");
    return;
  }
  if (upperAscii(name[0]) == 'S') {
    if (name.size() < kSolidColourNameBytes)
      problems.push_back("solid colour " + quoted(name) + " needs three colour codes");
    return;
  }
  plain(name, problems);
}

// A standing picture: one side-by-side picture with "TACHI_TYPE" 1, else the picture and its
// "M" mask.
void PictureReferences::standing(std::string_view name, Problems& problems) const {
  if (name.empty()) return;
  if (!archives_.findPicture(name)) {
    problems.push_back("standing picture " + quoted(name) + " is in no archive");
    return;
  }
  if (tachiType_ == 1) return;
  std::string mask;
  maskNameInto(name, mask);
  if (!archives_.findPicture(mask))
    problems.push_back("mask " + quoted(mask) + " of standing picture " + quoted(name) +
                       " is in no archive");
}

void PictureReferences::spriteLine(std::string_view line, Problems& problems) const {
  const std::string upper = upperSjisName(line);
  for (std::string_view field : spriteFields(upper)) {
    if (field.empty() || field == "-" || isDigit(field[0])) continue;  // kept, empty, a number
    if (field[0] != '#') {
      standing(field, problems);
      continue;
    }
    if (!findSetLines(spriteSets_, field))
      problems.push_back("sprite set " + quoted(field) + " has no label in \"_sprset\"");
  }
}

// "gra " by the name's first letter; a side letter written onto a standing picture's name is
// taken off as the command takes it off.
void PictureReferences::gra(std::string_view arguments, Problems& problems) const {
  const GraArguments a = parseGraArguments(arguments);
  if (a.name.empty()) return;
  switch (upperAscii(a.name[0])) {
    case 'A':
    case 'S':
      resolved(a.name, problems);
      return;
    case 'B': {
      std::string_view name = a.name;
      if (a.side == 0)
        takeSideWrittenIntoName(
            name, [this](std::string_view n) { return archives_.findPicture(n).has_value(); });
      standing(name, problems);
      return;
    }
    default:
      return;
  }
}

std::vector<std::string> PictureReferences::check(PictureUse use,
                                                  std::string_view arguments) const {
  Problems problems;
  switch (use) {
    case PictureUse::Gra:
      gra(arguments, problems);
      break;
    case PictureUse::Background:
      resolved(parseGraArguments(arguments).name, problems);
      break;
    case PictureUse::Sprites:
      spriteLine(arguments, problems);
      break;
    case PictureUse::Overlay: {
      const std::string_view name = parseOvrArguments(arguments).name;
      if (upperSjisName(name) != "OFF") plain(name, problems);
      break;
    }
    case PictureUse::Parts: {
      const PartsloadArguments a = parsePartsloadArguments(arguments);
      resolved(a.name, problems);
      if (a.hasSecond) resolved(a.second, problems);
      break;
    }
    case PictureUse::Direct:
      plain(parseDirectArguments(arguments).name, problems);
      break;
  }
  return problems;
}

// ---- Definition sections ---------------------------------------------------------------------

// Walks the section as the list readers do (empty and ";" lines skipped, upper-cased, up to
// ":END"), counting every line. Lines before the first label belong to no set and are never
// drawn.
std::vector<SectionProblem> PictureReferences::checkSection(std::span<const uint8_t> section,
                                                            bool sprites) const {
  std::vector<SectionProblem> found;
  int32_t lineNumber = 0;
  std::string label;
  int partsSeen = 0;
  forEachSectionLine(section, [&](std::string_view raw) {
    ++lineNumber;
    if (raw.empty() || raw[0] == ';') return true;
    const std::string line = upperSjisName(raw);
    if (line == ":END") return false;
    if (!sprites && line == "$DEBUG_OUT") return true;
    if (line[0] == ':') {
      label = line;
      partsSeen = 0;
      return true;
    }
    if (label.empty()) return true;
    if (++partsSeen > kMaxSetLines) {
      if (partsSeen == kMaxSetLines + 1)
        found.push_back({lineNumber, "set " + quoted(label) +
                                         " has more than 8 lines: the engine reads the first 8"});
      return true;
    }
    // A composite's part is NAME or NAME,X,Y (fields split at "," and ":"); a sprite set's part
    // is NAME or NAME,DX,DY.
    const std::string_view name =
        std::string_view(line).substr(0, line.find_first_of(sprites ? "," : ",:"));
    Problems problems;
    if (sprites) standing(name, problems);
    else plain(name, problems);
    for (std::string& p : problems) found.push_back({lineNumber, std::move(p)});
    return true;
  });
  return found;
}

std::vector<SectionProblem> PictureReferences::checkBackgroundSetSection(
    std::span<const uint8_t> section) const {
  return checkSection(section, false);
}

std::vector<SectionProblem> PictureReferences::checkSpriteSetSection(
    std::span<const uint8_t> section) const {
  return checkSection(section, true);
}

}  // namespace corvid
