#include "persist/damaged_copy.h"

namespace corvid {

namespace {

// Files larger than this are not compared with the kept copies (global data files are a few
// kilobytes; a huge file there is not worth reading twice).
constexpr uint64_t kMaxComparedBytes = 1 << 20;

std::string copyName(const std::string& path, int n) {
  return n == 1 ? path + ".damaged" : path + ".damaged." + std::to_string(n);
}

}  // namespace

DamagedCopy keepDamagedCopy(FileSystem& files, const std::string& path) {
  std::optional<std::vector<uint8_t>> current;
  if (auto size = files.fileSize(path); size && *size <= kMaxComparedBytes)
    current = files.readFile(path);

  for (int n = 1; n <= kMaxDamagedCopies; ++n) {
    std::string name = copyName(path, n);
    if (files.fileSize(name)) {
      if (current && files.readFile(name) == current) return {true, name, {}};
      continue;
    }
    // A hard link keeps the damaged bytes without copying them and leaves the file itself in
    // place until the engine's atomic write replaces it.
    LinkResult linked = files.link(path, name);
    if (linked == LinkResult::Linked) return {true, name, {}};
    if (linked == LinkResult::Exists) continue;
    // Folders without hard links: copy the bytes.
    std::string error;
    if (!current) current = files.readFile(path, &error);
    if (!current) return {false, {}, "cannot read " + path + ": " + error};
    if (files.writeFileAtomic(name, *current, &error)) return {true, name, {}};
    return {false, {}, error};
  }
  return {false, {},
          "there are already " + std::to_string(kMaxDamagedCopies) + " kept copies of " + path +
              "; remove old ones"};
}

}  // namespace corvid
