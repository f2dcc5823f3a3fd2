#pragma once
// The pictures a title's commands and definition lists name, checked against its archives
// without loading anything, for title authors (`cvdtool lint`). Each command's arguments are
// read by the same readers the commands use, so a finding is a picture the engine would look
// for when played and not find: a plain picture, a standing picture or its mask, a "#" set its
// list lacks, or a solid colour too short to read.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/archive.h"

namespace corvid {

// How a command uses the pictures it names.
enum class PictureUse {
  Gra,         // "gra ", "grb " and their tag: by the first letter, a background or a sprite
  Background,  // "bg " and its tag: any picture, a "#" composite or a solid colour
  Sprites,     // "spr ", "char " and the "spr" tag: a sprite line
  Overlay,     // "ovr ": a side-by-side picture, or "OFF"
  Parts,       // "partsload ": one or two names, resolved like a background
  Direct,      // "direct ": a plain picture
};

struct SectionProblem {
  int32_t line = 0;     // 1-based, counting every line of the section
  std::string message;  // UTF-8
  bool operator==(const SectionProblem&) const = default;
};

class PictureReferences {
 public:
  // The lists as start-up reads them (readBackgroundSets, readSpriteSets); `tachiType` is the
  // configuration's "TACHI_TYPE" (1: standing pictures hold their mask in their right half).
  PictureReferences(const Archives& archives, std::vector<std::string> backgroundSets,
                    std::vector<std::string> spriteSets, int32_t tachiType)
      : archives_(archives),
        backgroundSets_(std::move(backgroundSets)),
        spriteSets_(std::move(spriteSets)),
        tachiType_(tachiType) {}

  // One message for each picture the command's argument text names that the title lacks.
  std::vector<std::string> check(PictureUse use, std::string_view arguments) const;

  // The parts of every set of an un-negated "_bgset" or "_sprset" section: each part no
  // archive holds, and each line after a set's eighth that the engine never reads.
  std::vector<SectionProblem> checkBackgroundSetSection(std::span<const uint8_t> section) const;
  std::vector<SectionProblem> checkSpriteSetSection(std::span<const uint8_t> section) const;

 private:
  using Problems = std::vector<std::string>;
  void plain(std::string_view name, Problems& problems) const;
  void resolved(std::string_view name, Problems& problems) const;
  void standing(std::string_view name, Problems& problems) const;
  void spriteLine(std::string_view line, Problems& problems) const;
  void gra(std::string_view arguments, Problems& problems) const;
  std::vector<SectionProblem> checkSection(std::span<const uint8_t> section, bool sprites) const;

  const Archives& archives_;
  std::vector<std::string> backgroundSets_;
  std::vector<std::string> spriteSets_;
  int32_t tachiType_ = 0;
};

}  // namespace corvid
