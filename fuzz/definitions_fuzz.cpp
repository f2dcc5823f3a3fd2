// The definition sections read at start-up on arbitrary bytes: the first byte picks the
// reader ("_config", "_bgset" or "_sprset"), the rest is the section. A configuration that
// stops at a bad line names it; every set label found in a list finds its lines, and no set
// is longer than its limit.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "data/game_config.h"
#include "gfx/picture_loader.h"

namespace {

using namespace corvid;

void require(bool ok) {
  if (!ok) std::abort();
}

void everySet(const std::vector<std::string>& list) {
  for (const std::string& line : list) {
    if (line.empty() || line[0] != ':') continue;
    auto set = findSetLines(list, "#" + line.substr(1));
    require(set.has_value() && set->size() <= size_t(kMaxSetLines));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::span<const uint8_t> section(data + 1, size - 1);
  switch (data[0] % 3) {
    case 0: {
      GameConfig config;
      std::string errorLine;
      if (!parseGameConfig(section, config, &errorLine)) require(!errorLine.empty());
      break;
    }
    case 1: everySet(parseBackgroundSets(section).lines); break;
    case 2: everySet(parseSpriteSets(section)); break;
  }
  return 0;
}
