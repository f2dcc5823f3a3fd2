// cvdtool lint TITLE_DIR: checks every script of the title's data archives without playing
// it, and the pictures that its scripts, "_bgset" and "_sprset" name. One line per finding on
// stdout, "SCRIPT:LINE: message" (the script or section as the archive's directory names it,
// lines counted from 1); exit 1 when anything was found, 0 when clean. Other definition
// sections ("_config", "VIEW_1", "map", ...) are not scripts and are left alone. Pictures are
// looked for beside the title only: a secondary directory is the player's setting.

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "data/archive.h"
#include "data/game_config.h"
#include "data/sjis.h"
#include "gfx/picture_loader.h"
#include "gfx/picture_references.h"
#include "sound/sound_references.h"
#include "script/script_image.h"
#include "script/script_lint.h"
#include "tool_command.h"

namespace corvid::tool {

namespace {

// The scripts in lookup order: "qd_data.cvd" first, then the names only "qd_data2.cvd" has;
// each name once (a name in both is read from "qd_data2.cvd", as the engine reads it).
std::vector<std::string> scriptNames(const Archives& archives) {
  std::vector<std::string> names;
  std::set<std::string> seen;
  for (const Archive& archive : archives.set(ArchiveSetKind::Data).slots)
    for (const ArchiveEntry& entry : archive.entries)
      if (!isDefinitionSection(entry.name) && seen.insert(entry.name).second)
        names.push_back(entry.name);
  return names;
}

// The picture commands and tags, by the way each uses its names.
class PictureCheck final : public ReferenceCheck {
 public:
  PictureCheck(const PictureReferences& pictures, const Archives& archives)
      : pictures_(pictures), archives_(archives) {}

  std::vector<std::string> check(CommandId id, std::string_view arguments) const override {
    switch (id) {
      case CommandId::Gra: case CommandId::Grb: return pictures_.check(PictureUse::Gra, arguments);
      case CommandId::Bg: return pictures_.check(PictureUse::Background, arguments);
      case CommandId::Spr: case CommandId::Char: return pictures_.check(PictureUse::Sprites, arguments);
      case CommandId::Ovr: return pictures_.check(PictureUse::Overlay, arguments);
      case CommandId::PartsLoad: return pictures_.check(PictureUse::Parts, arguments);
      case CommandId::Direct: return pictures_.check(PictureUse::Direct, arguments);
      default: return checkSoundReference(archives_, id, arguments);
    }
  }

 private:
  const PictureReferences& pictures_;
  const Archives& archives_;
};

// "TACHI_TYPE" decides whether standing pictures have "M" masks; a configuration that stops
// early still gives what was read before the bad line, as at start-up.
int32_t tachiType(const Archives& archives) {
  GameConfig config;
  EntryRead section = archives.readDataEntry("_config", kDefinitionSectionMaxBytes);
  if (section.ok()) parseGameConfig(section.bytes, config, nullptr);
  return config.tachiType;
}

// Prints the findings of one definition section; true when there were any.
bool lintSection(const Archives& archives, const char* name, bool sprites,
                 const PictureReferences& pictures) {
  EntryRead section = archives.readDataEntry(name, kDefinitionSectionMaxBytes);
  if (section.status == EntryReadStatus::NotFound) return false;
  const std::string shown = upperSjisName(name);
  if (!section.ok()) {
    std::printf("%s:1: cannot be read: %s\n", shown.c_str(), section.error.c_str());
    return true;
  }
  const std::vector<SectionProblem> problems =
      sprites ? pictures.checkSpriteSetSection(section.bytes)
              : pictures.checkBackgroundSetSection(section.bytes);
  for (const SectionProblem& p : problems)
    std::printf("%s:%d: %s\n", shown.c_str(), p.line, p.message.c_str());
  return !problems.empty();
}

int runLint(const std::vector<std::string>& args) {
  if (args.size() != 1) return toolUsage("lint");
  const std::string& dir = args[0];
  if (!mainDataArchiveExists(dir)) return toolError(dir + ": no qd_data.cvd in the folder");
  Archives archives;
  std::vector<std::string> problems = archives.openDataArchives(dir);
  const std::vector<std::string> media = archives.openMediaArchives(dir, {}, "", false);
  problems.insert(problems.end(), media.begin(), media.end());
  for (const std::string& p : problems) toolError(p);
  const PictureReferences pictures(archives, readBackgroundSets(archives).lines,
                                   readSpriteSets(archives), tachiType(archives));
  const PictureCheck pictureCheck(pictures, archives);
  const ArchiveScriptSource source(archives);
  bool found = !problems.empty();
  for (const std::string& name : scriptNames(archives)) {
    const std::string shown = sjisToUtf8(name);
    EntryRead entry = source.readScript(name, kNoSizeLimit);
    if (!entry.ok()) {
      std::printf("%s:1: cannot be read: %s\n", shown.c_str(), entry.error.c_str());
      found = true;
      continue;
    }
    for (const LintFinding& f : lintScript(entry.bytes, source, &pictureCheck)) {
      std::printf("%s:%d: %s\n", shown.c_str(), f.line, f.message.c_str());
      found = true;
    }
  }
  found |= lintSection(archives, "_bgset", false, pictures);
  found |= lintSection(archives, "_sprset", true, pictures);
  return found ? kExitFailure : kExitOk;
}

const ToolCommandRegistrar kLint({"lint", "lint TITLE_DIR", runLint});

}  // namespace

}  // namespace corvid::tool
