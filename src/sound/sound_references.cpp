#include "sound/sound_references.h"

#include <cstdio>

#include "data/sjis.h"
#include "script/script_text.h"

namespace corvid {

namespace {

bool playableByName(const Archives& archives, std::string_view name) {
  return archives.findInSet(ArchiveSetKind::Ogg, name) || archives.findInSet(ArchiveSetKind::Se, name);
}

}  // namespace

std::vector<std::string> checkSoundReference(const Archives& archives, CommandId id,
                                             std::string_view arguments) {
  switch (id) {
    case CommandId::Se:
    case CommandId::SeLoop:
    case CommandId::Cv: {
      const std::string_view name = untilNul(arguments);
      if (name.empty() || playableByName(archives, name)) return {};
      const char* what = id == CommandId::Cv ? "voice" : "sound";
      return {std::string(what) + " \"" + sjisToUtf8(name) + "\" is in no archive"};
    }
    case CommandId::Music: {
      const int32_t n = readArgumentNumber(arguments);
      if (n <= 0) return {};
      char name[16];
      std::snprintf(name, sizeof name, "M%02d", n);
      if (archives.findInSet(ArchiveSetKind::Bgm, name)) return {};
      return {"music track " + std::to_string(n) + " (\"" + name + "\") is in no archive"};
    }
    default: return {};
  }
}

}  // namespace corvid
