#include "persist/damaged_copy.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "data/file_io.h"

namespace corvid {

namespace {

// Files larger than this are not compared with the kept copies (global data files are a few
// kilobytes; a huge file there is not worth reading twice).
constexpr uint64_t kMaxComparedBytes = 1 << 20;

std::string copyName(const std::string& path, int n) {
  return n == 1 ? path + ".damaged" : path + ".damaged." + std::to_string(n);
}

}  // namespace

DamagedCopy keepDamagedCopy(const std::string& path) {
  std::optional<std::vector<uint8_t>> current;
  if (auto size = fileSize(path); size && *size <= kMaxComparedBytes) current = readWholeFile(path);

  for (int n = 1; n <= kMaxDamagedCopies; ++n) {
    std::string name = copyName(path, n);
    if (fileSize(name)) {
      if (current && readWholeFile(name) == current) return {true, name, {}};
      continue;
    }
    // A hard link keeps the damaged bytes without copying them and leaves the file itself in
    // place until the engine's atomic write replaces it.
    if (::link(path.c_str(), name.c_str()) == 0) return {true, name, {}};
    if (errno == EEXIST) continue;
    // Folders without hard links: copy the bytes.
    if (!current) current = readWholeFile(path);
    std::string error;
    if (current && writeFileAtomic(name, *current, &error)) return {true, name, {}};
    return {false, {}, current ? error : "cannot read " + path + ": " + std::strerror(errno)};
  }
  return {false, {},
          "there are already " + std::to_string(kMaxDamagedCopies) + " kept copies of " + path +
              "; remove old ones"};
}

}  // namespace corvid
