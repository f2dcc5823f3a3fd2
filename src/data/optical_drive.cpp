#include "data/optical_drive.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>

namespace corvid {

namespace {

// Mount points in mountinfo escape blank, tab, newline and backslash as three octal digits.
std::string unescapeMountField(std::string_view field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    bool octal = field[i] == '\\' && i + 3 < field.size();
    if (octal) {
      int v = 0;
      for (size_t k = 1; k <= 3 && octal; ++k) {
        char c = field[i + k];
        octal = c >= '0' && c <= '7';
        v = v * 8 + (c - '0');
      }
      if (octal && v < 256) {
        out.push_back(char(v));
        i += 3;
        continue;
      }
    }
    out.push_back(field[i]);
  }
  return out;
}

std::vector<std::string_view> splitBlanks(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && line[i] == ' ') ++i;
    size_t start = i;
    while (i < line.size() && line[i] != ' ') ++i;
    if (i > start) fields.push_back(line.substr(start, i - start));
  }
  return fields;
}

// True when `path` is `mount` or lies below it.
bool mountContains(std::string_view mount, std::string_view path) {
  if (mount == "/") return !path.empty() && path[0] == '/';
  if (path.substr(0, mount.size()) != mount) return false;
  return path.size() == mount.size() || path[mount.size()] == '/';
}

// /proc files report a size of 0, so they are read to their end rather than by their size.
std::string readProcFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

std::vector<MountPoint> parseMountInfo(std::string_view text) {
  std::vector<MountPoint> mounts;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::vector<std::string_view> f = splitBlanks(text.substr(start, end - start));
    start = end + 1;
    // id parent major:minor root mount-point options [optional...] - fstype source super-options
    size_t dash = 6;
    while (dash < f.size() && f[dash] != "-") ++dash;
    if (f.size() < 5 || dash + 1 >= f.size()) continue;
    mounts.push_back({unescapeMountField(f[4]), std::string(f[dash + 1])});
  }
  return mounts;
}

std::string fileSystemTypeOf(std::string_view absolutePath, const std::vector<MountPoint>& mounts) {
  const MountPoint* best = nullptr;
  for (const MountPoint& m : mounts)
    if (mountContains(m.path, absolutePath) && (!best || m.path.size() >= best->path.size()))
      best = &m;
  return best ? best->fsType : std::string();
}

bool isOpticalFileSystem(std::string_view fsType) {
  return fsType == "iso9660" || fsType == "udf";
}

bool isReadableOpticalDirectory(const std::string& dir) {
  if (dir.empty()) return false;
  char resolved[PATH_MAX];
  if (!::realpath(dir.c_str(), resolved)) return false;
  std::string type = fileSystemTypeOf(resolved, parseMountInfo(readProcFile("/proc/self/mountinfo")));
  if (!isOpticalFileSystem(type)) return false;
  DIR* d = ::opendir(resolved);
  if (!d) return false;
  bool readable = ::readdir(d) != nullptr;  // a bad medium fails here, not at opendir
  ::closedir(d);
  return readable;
}

}  // namespace corvid
