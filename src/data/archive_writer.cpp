#include "data/archive_writer.h"

#include <algorithm>
#include <climits>
#include <set>

#include "data/byte_writer.h"
#include "data/file_io.h"
#include "data/sjis.h"

namespace corvid {

namespace {

bool checkNames(ArchiveLayout layout, const std::vector<ArchiveSource>& sources,
                std::string& error) {
  size_t limit = size_t(layout == ArchiveLayout::Data ? kDataNameWidth : kMaxNameWidth) - 1;
  std::set<std::string> seen;
  for (const ArchiveSource& s : sources) {
    std::string shown = "entry \"" + sjisToUtf8(s.name) + "\"";
    if (s.name.empty()) {
      error = "an entry has an empty name";
      return false;
    }
    if (s.name.find('\0') != std::string::npos) {
      error = shown + ": the name holds a NUL byte";
      return false;
    }
    if (s.name.size() > limit) {
      error = shown + ": the name has " + std::to_string(s.name.size()) +
              " bytes in Shift_JIS, at most " + std::to_string(limit) + " fit";
      return false;
    }
    if (!seen.insert(upperSjisName(s.name)).second) {
      error = shown + ": the name occurs twice (letter case is not told apart)";
      return false;
    }
  }
  return true;
}

}  // namespace

bool buildArchive(ArchiveLayout layout, const std::vector<ArchiveSource>& sources,
                  std::vector<uint8_t>& out, std::string& error) {
  if (!checkNames(layout, sources, error)) return false;
  if (sources.size() > size_t(kMaxArchiveEntries)) {
    error = "more than " + std::to_string(kMaxArchiveEntries) + " entries";
    return false;
  }
  size_t width = kDataNameWidth;
  if (layout == ArchiveLayout::Media) {
    width = 1;
    for (const ArchiveSource& s : sources) width = std::max(width, s.name.size() + 1);
  }
  uint64_t offset = (layout == ArchiveLayout::Data ? 4 : 8) + sources.size() * (width + 8);
  ByteWriter w;
  w.u32(uint32_t(sources.size()));
  if (layout == ArchiveLayout::Media) w.u32(uint32_t(width));
  for (const ArchiveSource& s : sources) {
    // Offsets and sizes are signed 32-bit in the directory.
    if (offset + s.bytes.size() > uint64_t(INT32_MAX)) {
      error = "entry \"" + sjisToUtf8(s.name) + "\": the archive would pass 2 GiB";
      return false;
    }
    w.nulTerminatedField(s.name, width);
    w.u32(uint32_t(offset));
    w.u32(uint32_t(s.bytes.size()));
    offset += s.bytes.size();
  }
  size_t directoryEnd = w.size();
  for (const ArchiveSource& s : sources) w.bytes(s.bytes);
  out = w.take();
  if (layout == ArchiveLayout::Data)
    negateArchiveBytes(std::span<uint8_t>(out).subspan(directoryEnd));
  return true;
}

bool writeArchiveFile(const std::string& path, ArchiveLayout layout,
                      const std::vector<ArchiveSource>& sources, std::string& error) {
  std::vector<uint8_t> bytes;
  if (!buildArchive(layout, sources, bytes, error)) return false;
  std::string why;
  if (!writeFileAtomic(path, bytes, &why)) {
    error = why;
    return false;
  }
  return true;
}

}  // namespace corvid
