#pragma once
// Building archive files in either directory layout: used by `cvdtool pack` and by the title
// builder. The directory comes first, then the entries' bytes in the order given.

#include <cstdint>
#include <string>
#include <vector>

#include "data/archive.h"

namespace corvid {

struct ArchiveSource {
  std::string name;            // Shift_JIS, as it will be stored
  std::vector<uint8_t> bytes;  // the plain bytes; the data layout stores them negated
};

// The whole archive file. Refused, with `error` naming the entry: an empty name, a name holding
// a NUL, a name too long for the data layout's field (55 bytes) or for the widest media field,
// two names equal under the name rule (the second could never be found), or more bytes than
// the directory's 32-bit offsets can address. The media layout's name width is the longest
// name plus its NUL.
bool buildArchive(ArchiveLayout layout, const std::vector<ArchiveSource>& sources,
                  std::vector<uint8_t>& out, std::string& error);

// buildArchive, then the file written atomically (the old file stays if anything fails).
bool writeArchiveFile(const std::string& path, ArchiveLayout layout,
                      const std::vector<ArchiveSource>& sources, std::string& error);

}  // namespace corvid
