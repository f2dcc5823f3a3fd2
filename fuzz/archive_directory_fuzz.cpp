// Fuzzes the archive directory readers: the input is parsed from memory in both layouts, then
// written as a file and opened in both layouts, and every entry it lists is read, whole and in
// a range, so that offsets and sizes from the input reach the entry reads too.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "data/archive.h"
#include "data/file_io.h"

namespace {

const std::string& scratchFile() {
  static const std::string path = "/tmp/corvid-archive-fuzz-" + std::to_string(::getpid()) + ".cvd";
  return path;
}

void readEveryEntry(const corvid::Archive& archive) {
  for (size_t i = 0; i < archive.entries.size(); ++i) {
    corvid::EntryRead whole = corvid::readEntry(archive, int(i), 1 << 20);
    if (whole.ok() && whole.bytes.size() != size_t(archive.entries[i].size)) __builtin_trap();
    corvid::readEntryRange(archive, int(i), 1, 3);
    corvid::findEntry(archive, archive.entries[i].name);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> bytes(data, size);
  for (corvid::ArchiveLayout layout : {corvid::ArchiveLayout::Data, corvid::ArchiveLayout::Media}) {
    corvid::ArchiveDirectory dir;
    std::string error;
    corvid::parseArchiveDirectory(bytes, layout, dir, error);
  }
  if (!corvid::writeFileAtomic(scratchFile(), std::vector<uint8_t>(data, data + size))) return 0;
  for (corvid::ArchiveLayout layout : {corvid::ArchiveLayout::Data, corvid::ArchiveLayout::Media}) {
    std::string error;
    if (auto archive = corvid::readArchive(scratchFile(), layout, error)) readEveryEntry(*archive);
  }
  return 0;
}
