// cvdtool lint TITLE_DIR: checks every script of the title's data archives without playing
// it. One line per finding on stdout, "SCRIPT:LINE: message" (the script as the archive's
// directory names it, lines counted from 1); exit 1 when anything was found, 0 when clean.
// Definition sections ("_config", "VIEW_1", "map", ...) are not scripts and are left alone.

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "data/archive.h"
#include "data/sjis.h"
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

int runLint(const std::vector<std::string>& args) {
  if (args.size() != 1) return toolUsage("lint");
  const std::string& dir = args[0];
  if (!mainDataArchiveExists(dir)) return toolError(dir + ": no qd_data.cvd in the folder");
  Archives archives;
  const std::vector<std::string> problems = archives.openDataArchives(dir);
  for (const std::string& p : problems) toolError(p);
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
    for (const LintFinding& f : lintScript(entry.bytes, source)) {
      std::printf("%s:%d: %s\n", shown.c_str(), f.line, f.message.c_str());
      found = true;
    }
  }
  return found ? kExitFailure : kExitOk;
}

const ToolCommandRegistrar kLint({"lint", "lint TITLE_DIR", runLint});

}  // namespace

}  // namespace corvid::tool
