// cvdtool list / extract / pack: archive files on the command line.
//
// The layout follows the archive's file name ("qd_data..." in any case is a data archive, any
// other name a media archive) unless --layout says otherwise. Names are Shift_JIS inside the
// archive and UTF-8 on the command line, on stdout and on disk.

#include <cstdio>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "data/archive.h"
#include "data/archive_writer.h"
#include "data/file_io.h"
#include "data/sjis.h"
#include "tool_command.h"

namespace corvid::tool {
namespace {

struct ArchiveArgs {
  std::optional<ArchiveLayout> layout;
  std::vector<std::string> positional;
};

bool parseLayout(const std::string& value, ArchiveArgs& out) {
  if (value == "data") out.layout = ArchiveLayout::Data;
  else if (value == "media") out.layout = ArchiveLayout::Media;
  else return false;
  return true;
}

// False on a usage error (unknown option, missing or bad --layout value). "--" ends options.
bool parseArchiveArgs(const std::vector<std::string>& args, ArchiveArgs& out) {
  bool options = true;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!options || a.size() < 2 || a[0] != '-') {
      out.positional.push_back(a);
    } else if (a == "--") {
      options = false;
    } else if (a == "--layout") {
      if (i + 1 >= args.size() || !parseLayout(args[++i], out)) return false;
    } else if (a.rfind("--layout=", 0) == 0) {
      if (!parseLayout(a.substr(9), out)) return false;
    } else {
      std::fprintf(stderr, "cvdtool: unknown option '%s'\n", a.c_str());
      return false;
    }
  }
  return true;
}

ArchiveLayout layoutOf(const ArchiveArgs& args, const std::string& archivePath) {
  return args.layout ? *args.layout : layoutForArchiveName(archivePath);
}

std::string baseName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// --- list -------------------------------------------------------------------------------------

int runList(const std::vector<std::string>& rawArgs) {
  ArchiveArgs args;
  if (!parseArchiveArgs(rawArgs, args) || args.positional.size() != 1) return toolUsage("list");
  const std::string& path = args.positional[0];
  std::string error;
  std::optional<Archive> archive = readArchive(path, layoutOf(args, path), error);
  if (!archive) return toolError(error);
  for (const ArchiveEntry& e : archive->entries)
    std::printf("%s\t%d\t%d\n", sjisToUtf8(e.name).c_str(), e.offset, e.size);
  return kExitOk;
}

// --- extract ----------------------------------------------------------------------------------

// A file name that stays inside the target folder: no separator, not "." or "..".
bool safeFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

// The file names of the entries: the UTF-8 name, and for a name met again (the engine only
// ever reads the first) the name with "~2", "~3", ... that no other entry uses. Empty for an
// entry whose name cannot be a file name.
std::vector<std::string> extractFileNames(const Archive& archive) {
  std::set<std::string> taken;
  for (const ArchiveEntry& e : archive.entries) taken.insert(sjisToUtf8(e.name));
  std::set<std::string> used;
  std::vector<std::string> names;
  for (const ArchiveEntry& e : archive.entries) {
    std::string name = sjisToUtf8(e.name);
    if (!safeFileName(name)) {
      names.emplace_back();
      continue;
    }
    if (used.count(name)) {
      std::string candidate;
      for (int n = 2; candidate.empty() || taken.count(candidate) || used.count(candidate); ++n)
        candidate = name + "~" + std::to_string(n);
      name = candidate;
    }
    used.insert(name);
    names.push_back(name);
  }
  return names;
}

int runExtract(const std::vector<std::string>& rawArgs) {
  ArchiveArgs args;
  if (!parseArchiveArgs(rawArgs, args) || args.positional.size() != 2) return toolUsage("extract");
  const std::string& path = args.positional[0];
  const std::string& dir = args.positional[1];
  std::string error;
  std::optional<Archive> archive = readArchive(path, layoutOf(args, path), error);
  if (!archive) return toolError(error);
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (!std::filesystem::is_directory(dir)) return toolError(dir + ": cannot create the folder");

  std::vector<std::string> fileNames = extractFileNames(*archive);
  bool failed = false;
  for (size_t i = 0; i < archive->entries.size(); ++i) {
    std::string shown = "entry " + std::to_string(i) + " \"" +
                        sjisToUtf8(archive->entries[i].name) + "\"";
    if (fileNames[i].empty()) {
      failed = true;
      toolError(path + ": " + shown + ": the name is not a file name inside " + dir +
                "; not extracted");
      continue;
    }
    if (fileNames[i] != sjisToUtf8(archive->entries[i].name))
      std::fprintf(stderr,
                   "cvdtool: %s: %s occurs again; the engine reads only the first, this one is "
                   "written as %s\n",
                   path.c_str(), shown.c_str(), fileNames[i].c_str());
    EntryRead read = readEntry(*archive, int(i));
    if (!read.ok()) {
      failed = true;
      toolError(read.error);
      continue;
    }
    std::string out = dir + "/" + fileNames[i];
    if (!writeFileAtomic(out, read.bytes, &error)) {
      failed = true;
      toolError(out + ": " + error);
    }
  }
  return failed ? kExitFailure : kExitOk;
}

// --- pack -------------------------------------------------------------------------------------

int runPack(const std::vector<std::string>& rawArgs) {
  ArchiveArgs args;
  if (!parseArchiveArgs(rawArgs, args) || args.positional.size() < 2) return toolUsage("pack");
  const std::string& path = args.positional[0];
  std::vector<ArchiveSource> sources;
  for (size_t i = 1; i < args.positional.size(); ++i) {
    const std::string& file = args.positional[i];
    ArchiveSource source;
    std::string name = baseName(file);
    if (name.empty()) return toolError(file + ": names no file");
    if (!utf8ToSjisStrict(name, source.name))
      return toolError(file + ": the name \"" + name + "\" cannot be written in Shift_JIS");
    std::optional<std::vector<uint8_t>> bytes = readWholeFile(file);
    if (!bytes) return toolError(file + ": cannot be read as a file");
    source.bytes = std::move(*bytes);
    sources.push_back(std::move(source));
  }
  std::string error;
  if (!writeArchiveFile(path, layoutOf(args, path), sources, error))
    return toolError(path + ": " + error);
  return kExitOk;
}

const ToolCommandRegistrar listCommand({"list", "list [--layout data|media] ARCHIVE", runList});
const ToolCommandRegistrar extractCommand(
    {"extract", "extract [--layout data|media] ARCHIVE DIR", runExtract});
const ToolCommandRegistrar packCommand(
    {"pack", "pack [--layout data|media] ARCHIVE FILE...", runPack});

}  // namespace
}  // namespace corvid::tool
