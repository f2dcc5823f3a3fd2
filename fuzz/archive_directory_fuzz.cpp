// The archive directory readers on arbitrary bytes, in both layouts: the directory is parsed
// from memory, then the same bytes are opened as an archive file and every entry it lists is
// read, whole and in a range, so that offsets and sizes from the input reach the entry reads.
// The file is an anonymous memory file (nothing on disk, nothing flushed), opened by its
// /proc/self/fd path like any other. The file reader must agree with the memory parser, and
// an entry must read back as exactly its bytes of the input.

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "data/archive.h"

namespace {

void require(bool ok) {
  if (!ok) std::abort();
}

// The memory file, emptied and refilled with each input.
const std::string& memoryFile(const uint8_t* data, size_t size) {
  static const int fd = ::memfd_create("corvid-archive-fuzz", MFD_CLOEXEC);
  static const std::string path = "/proc/self/fd/" + std::to_string(fd);
  require(fd >= 0 && ::ftruncate(fd, 0) == 0);
  for (size_t done = 0; done < size;) {
    ssize_t n = ::pwrite(fd, data + done, size - done, off_t(done));
    require(n > 0);
    done += size_t(n);
  }
  return path;
}

void readEveryEntry(const corvid::Archive& archive, std::span<const uint8_t> file) {
  for (size_t i = 0; i < archive.entries.size(); ++i) {
    const corvid::ArchiveEntry& e = archive.entries[i];
    corvid::EntryRead whole = corvid::readEntry(archive, int(i), 1 << 20);
    bool inside = e.offset >= 0 && e.size >= 0 && uint64_t(e.offset) + uint64_t(e.size) <= file.size();
    if (e.size <= (1 << 20)) require(whole.ok() == inside);
    if (whole.ok()) {
      std::vector<uint8_t> stored(file.begin() + e.offset, file.begin() + e.offset + e.size);
      if (archive.layout == corvid::ArchiveLayout::Data) corvid::negateArchiveBytes(stored);
      require(whole.bytes == stored);
    }
    corvid::EntryRead part = corvid::readEntryRange(archive, int(i), 1, 3);
    require(!part.ok() || (part.bytes.size() == 3 && inside && e.size >= 4));
    require(corvid::findEntry(archive, e.name) <= int(i));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> bytes(data, size);
  const std::string& path = memoryFile(data, size);
  for (corvid::ArchiveLayout layout : {corvid::ArchiveLayout::Data, corvid::ArchiveLayout::Media}) {
    corvid::ArchiveDirectory dir;
    std::string error;
    bool parsed = corvid::parseArchiveDirectory(bytes, layout, dir, error);
    auto archive = corvid::readArchive(path, layout, error);
    require(parsed == archive.has_value());
    if (!archive) continue;
    require(archive->entries == dir.entries && archive->nameWidth == dir.nameWidth);
    readEveryEntry(*archive, bytes);
  }
  return 0;
}
