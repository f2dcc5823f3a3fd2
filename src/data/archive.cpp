#include "data/archive.h"

#include <algorithm>

#include "data/byte_reader.h"
#include "data/file_io.h"
#include "data/sjis.h"

namespace corvid {

// --- Layouts ----------------------------------------------------------------------------------

ArchiveLayout layoutForArchiveName(std::string_view fileName) {
  size_t slash = fileName.find_last_of('/');
  std::string_view base = slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
  return upperSjisName(base.substr(0, 7)) == "QD_DATA" ? ArchiveLayout::Data
                                                       : ArchiveLayout::Media;
}

void negateArchiveBytes(std::span<uint8_t> bytes) {
  for (uint8_t& b : bytes) b = uint8_t(256 - b);
}

int findEntry(const Archive& archive, std::string_view name) {
  std::string wanted = upperSjisName(name);
  for (size_t i = 0; i < archive.entries.size(); ++i)
    if (archive.entries[i].name == wanted) return int(i);
  return -1;
}

// --- Reading a directory ----------------------------------------------------------------------

namespace {

struct DirectoryHeader {
  int32_t count = 0;
  int32_t nameWidth = 0;
  uint64_t headerSize = 0;  // bytes before the first record
  uint64_t recordSize() const { return uint64_t(nameWidth) + 8; }
  uint64_t directorySize() const { return headerSize + uint64_t(count) * recordSize(); }
};

bool readDirectoryHeader(ByteReader& r, ArchiveLayout layout, DirectoryHeader& h,
                         std::string& error) {
  h.headerSize = layout == ArchiveLayout::Data ? 4 : 8;
  h.count = r.i32();
  h.nameWidth = layout == ArchiveLayout::Data ? kDataNameWidth : r.i32();
  if (!r.ok()) {
    error = "file too short for the directory header (" + std::to_string(h.headerSize) +
            " bytes)";
    return false;
  }
  if (h.count < 0 || h.count > kMaxArchiveEntries) {
    error = "entry count " + std::to_string(h.count) + " is out of range (0 to " +
            std::to_string(kMaxArchiveEntries) + ")";
    return false;
  }
  // A field of width 0 cannot hold a name's NUL; an empty directory may declare any width.
  bool widthOk = h.nameWidth >= 1 && h.nameWidth <= kMaxNameWidth;
  if (!widthOk && !(h.count == 0 && h.nameWidth >= 0)) {
    error = "name width " + std::to_string(h.nameWidth) + " is out of range (1 to " +
            std::to_string(kMaxNameWidth) + ")";
    return false;
  }
  return true;
}

std::string directoryTooShort(const DirectoryHeader& h, uint64_t available) {
  return "directory of " + std::to_string(h.count) + " entries needs " +
         std::to_string(h.directorySize()) + " bytes but the file has " +
         std::to_string(available);
}

}  // namespace

bool parseArchiveDirectory(std::span<const uint8_t> bytes, ArchiveLayout layout,
                           ArchiveDirectory& out, std::string& error) {
  ByteReader r(bytes);
  DirectoryHeader h;
  if (!readDirectoryHeader(r, layout, h, error)) return false;
  if (h.directorySize() > bytes.size()) {
    error = directoryTooShort(h, bytes.size());
    return false;
  }
  ArchiveDirectory dir;
  dir.nameWidth = h.nameWidth;
  dir.entries.reserve(size_t(h.count));
  for (int32_t i = 0; i < h.count; ++i) {
    std::string name;
    if (!r.nulTerminatedField(size_t(h.nameWidth), name)) {
      error = "the name of entry " + std::to_string(i) + " has no NUL within its " +
              std::to_string(h.nameWidth) + " bytes";
      return false;
    }
    int32_t offset = r.i32();
    int32_t size = r.i32();
    dir.entries.push_back({upperSjisName(name), offset, size});
  }
  out = std::move(dir);
  return true;
}

std::optional<Archive> readArchive(const std::string& path, ArchiveLayout layout,
                                   std::string& error) {
  std::optional<uint64_t> fileBytes = fileSize(path);
  if (!fileBytes) {
    error = path + ": cannot be opened";
    return std::nullopt;
  }
  // The header first, so that the directory read is sized by the file, never by its count.
  DirectoryHeader h;
  uint64_t headerSize = layout == ArchiveLayout::Data ? 4 : 8;
  auto header = readFileRange(path, 0, std::min(headerSize, *fileBytes));
  if (!header) {
    error = path + ": cannot be read";
    return std::nullopt;
  }
  ByteReader r(*header);
  std::string why;
  if (!readDirectoryHeader(r, layout, h, why)) {
    error = path + ": " + why;
    return std::nullopt;
  }
  if (h.directorySize() > *fileBytes) {
    error = path + ": " + directoryTooShort(h, *fileBytes);
    return std::nullopt;
  }
  auto directory = readFileRange(path, 0, h.directorySize());
  ArchiveDirectory dir;
  if (!directory) {
    error = path + ": cannot be read";
    return std::nullopt;
  }
  if (!parseArchiveDirectory(*directory, layout, dir, why)) {
    error = path + ": " + why;
    return std::nullopt;
  }
  Archive archive;
  archive.path = path;
  archive.layout = layout;
  archive.nameWidth = dir.nameWidth;
  archive.entries = std::move(dir.entries);
  return archive;
}

// --- Reading an entry -------------------------------------------------------------------------

namespace {

EntryRead refusal(EntryReadStatus status, std::string error) {
  EntryRead r;
  r.status = status;
  r.error = std::move(error);
  return r;
}

std::string entryLabel(const Archive& archive, int index) {
  return archive.path + ": entry \"" + sjisToUtf8(archive.entries[size_t(index)].name) + "\"";
}

// Reads `size` bytes at `offsetInEntry` of a valid entry, checking the range against the entry
// and the entry against the file as it is now.
EntryRead readWithinEntry(const Archive& archive, int index, uint64_t offsetInEntry,
                          uint64_t size) {
  const ArchiveEntry& e = archive.entries[size_t(index)];
  std::string label = entryLabel(archive, index);
  if (e.offset < 0 || e.size < 0)
    return refusal(EntryReadStatus::OutsideFile, label + " has a negative offset or size");
  std::optional<uint64_t> fileBytes = fileSize(archive.path);
  if (!fileBytes) return refusal(EntryReadStatus::Unreadable, archive.path + ": cannot be opened");
  if (uint64_t(e.offset) + uint64_t(e.size) > *fileBytes)
    return refusal(EntryReadStatus::OutsideFile,
                   label + " (offset " + std::to_string(e.offset) + ", size " +
                       std::to_string(e.size) + ") runs past the end of the file (" +
                       std::to_string(*fileBytes) + " bytes)");
  auto bytes = readFileRange(archive.path, uint64_t(e.offset) + offsetInEntry, size);
  if (!bytes) return refusal(EntryReadStatus::Unreadable, archive.path + ": cannot be read");
  if (archive.layout == ArchiveLayout::Data) negateArchiveBytes(*bytes);
  EntryRead r;
  r.status = EntryReadStatus::Ok;
  r.bytes = std::move(*bytes);
  return r;
}

bool validIndex(const Archive& archive, int index) {
  return index >= 0 && size_t(index) < archive.entries.size();
}

EntryRead noSuchIndex(const Archive& archive, int index) {
  return refusal(EntryReadStatus::NotFound,
                 (archive.path.empty() ? std::string("absent archive") : archive.path) +
                     ": no entry number " + std::to_string(index));
}

}  // namespace

EntryRead readEntry(const Archive& archive, int index, uint64_t maxSize) {
  if (!validIndex(archive, index)) return noSuchIndex(archive, index);
  const ArchiveEntry& e = archive.entries[size_t(index)];
  if (e.size > 0 && uint64_t(e.size) > maxSize)
    return refusal(EntryReadStatus::TooLarge,
                   entryLabel(archive, index) + " has " + std::to_string(e.size) +
                       " bytes, more than the " + std::to_string(maxSize) + " it may have here");
  return readWithinEntry(archive, index, 0, e.size < 0 ? 0 : uint64_t(e.size));
}

EntryRead readEntryRange(const Archive& archive, int index, uint64_t offsetInEntry,
                         uint64_t size) {
  if (!validIndex(archive, index)) return noSuchIndex(archive, index);
  const ArchiveEntry& e = archive.entries[size_t(index)];
  uint64_t entrySize = e.size < 0 ? 0 : uint64_t(e.size);
  if (offsetInEntry > entrySize || size > entrySize - offsetInEntry)
    return refusal(EntryReadStatus::OutsideFile,
                   entryLabel(archive, index) + ": bytes " + std::to_string(offsetInEntry) +
                       " to " + std::to_string(offsetInEntry + size) + " lie outside its " +
                       std::to_string(entrySize) + " bytes");
  return readWithinEntry(archive, index, offsetInEntry, size);
}

EntryRead readEntry(const EntryRef& ref, uint64_t maxSize) {
  return readEntry(*ref.archive, ref.index, maxSize);
}

// --- The archive sets and the secondary directory ----------------------------------------------

int archiveSetSlotCount(ArchiveSetKind kind) {
  switch (kind) {
    case ArchiveSetKind::Data: return 2;
    case ArchiveSetKind::Pictures: return 3;
    case ArchiveSetKind::Wav: return 5;
    case ArchiveSetKind::Se: return 3;
    case ArchiveSetKind::Ogg: return 3;
    default: return 1;
  }
}

namespace {

std::string numbered(const char* stem, int number) {
  return std::string(stem) + std::to_string(number) + ".cvd";
}

std::string joinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  return dir.back() == '/' ? dir + name : dir + "/" + name;
}

}  // namespace

std::string archiveFileName(ArchiveSetKind kind, int slot) {
  switch (kind) {
    case ArchiveSetKind::Data: return slot == 0 ? "qd_data.cvd" : "qd_data2.cvd";
    case ArchiveSetKind::Pictures: return slot == 0 ? "qd_gra.cvd" : numbered("qd_gra", slot + 1);
    case ArchiveSetKind::JpegPictures: return "qd_gjp.cvd";
    case ArchiveSetKind::Wav: return numbered("qd_wav", slot + 1);
    case ArchiveSetKind::Se: return numbered("qd_se", slot);
    case ArchiveSetKind::Ogg: return numbered("qd_ogg", slot + 1);
    case ArchiveSetKind::Bgm: return "qd_bgm.cvd";
    case ArchiveSetKind::Anim: return "qd_anim.cvd";
    case ArchiveSetKind::Anim2: return "qd_anim2.cvd";
  }
  return {};
}

bool mayUseSecondaryDir(ArchiveSetKind kind, int slot, const SecondaryDirRules& rules,
                        bool secondaryIsOpticalReadable) {
  switch (kind) {
    case ArchiveSetKind::Data: return false;
    case ArchiveSetKind::Pictures: return slot < rules.qddGra;
    case ArchiveSetKind::JpegPictures: return rules.qddGjp != 0;
    case ArchiveSetKind::Wav: return slot < rules.qddWav;
    case ArchiveSetKind::Se: return slot < rules.qddSe;
    // Voices stream from the disc while playing, so only a disc that can be read now will do.
    case ArchiveSetKind::Ogg: return slot < rules.qddOgg && secondaryIsOpticalReadable;
    case ArchiveSetKind::Bgm: return true;
    case ArchiveSetKind::Anim: return rules.qddAnim >= 1;
    case ArchiveSetKind::Anim2: return rules.qddAnim >= 2;
  }
  return false;
}

std::string secondaryDirFromSetting(std::string_view cdDir) {
  if (!cdDir.empty() && cdDir.back() == '\\') cdDir.remove_suffix(1);
  if (cdDir == "NULL") return {};
  return std::string(cdDir);
}

// The stored setting was written for "D:\" style values, where removing the backslash and
// appending the file name names the file in the drive's root. On Linux the same intent is "the
// file inside that directory", so a separator is put in unless the value already ends in one.
std::string secondaryArchivePath(const std::string& titleDir, const std::string& dir,
                                 const std::string& fileName) {
  if (dir.empty()) return {};
  std::string base = dir[0] == '/' ? dir : joinPath(titleDir, dir);
  return joinPath(base, fileName);
}

bool mainDataArchiveExists(const std::string& titleDir) {
  return fileExists(joinPath(titleDir, archiveFileName(ArchiveSetKind::Data, 0)));
}

// --- Archives ---------------------------------------------------------------------------------

Archives::Archives() {
  for (int k = 0; k < kArchiveSetKindCount; ++k) {
    ArchiveSet& s = sets_[size_t(k)];
    s.kind = ArchiveSetKind(k);
    s.slots.resize(size_t(archiveSetSlotCount(s.kind)));
  }
}

void Archives::openSlot(ArchiveSetKind kind, int slot, const std::string& path,
                        std::vector<std::string>& problems) {
  Archive& archive = sets_[size_t(kind)].slots[size_t(slot)];
  archive = Archive{};
  archive.layout = kind == ArchiveSetKind::Data ? ArchiveLayout::Data : ArchiveLayout::Media;
  archive.path = path;
  if (path.empty()) return;
  std::string error;
  std::optional<Archive> read = readArchive(path, archive.layout, error);
  if (!read) {
    // The file exists, so the slot keeps its path, but it holds no entries.
    problems.push_back(error);
    return;
  }
  archive = std::move(*read);
}

std::vector<std::string> Archives::openDataArchives(const std::string& titleDir) {
  std::vector<std::string> problems;
  for (int s = 0; s < archiveSetSlotCount(ArchiveSetKind::Data); ++s) {
    std::string path = joinPath(titleDir, archiveFileName(ArchiveSetKind::Data, s));
    openSlot(ArchiveSetKind::Data, s, fileExists(path) ? path : std::string(), problems);
  }
  problems_.insert(problems_.end(), problems.begin(), problems.end());
  return problems;
}

std::vector<std::string> Archives::openMediaArchives(const std::string& titleDir,
                                                     const SecondaryDirRules& rules,
                                                     std::string_view cdDirSetting,
                                                     bool secondaryIsOpticalReadable) {
  std::string secondary = secondaryDirFromSetting(cdDirSetting);
  std::vector<std::string> problems;
  for (int k = int(ArchiveSetKind::Pictures); k < kArchiveSetKindCount; ++k) {
    ArchiveSetKind kind = ArchiveSetKind(k);
    for (int s = 0; s < archiveSetSlotCount(kind); ++s) {
      std::string name = archiveFileName(kind, s);
      std::string path = joinPath(titleDir, name);
      if (!fileExists(path)) {
        path.clear();
        if (!secondary.empty() && mayUseSecondaryDir(kind, s, rules, secondaryIsOpticalReadable)) {
          std::string candidate = secondaryArchivePath(titleDir, secondary, name);
          if (fileExists(candidate)) path = candidate;
        }
      }
      openSlot(kind, s, path, problems);
    }
  }
  problems_.insert(problems_.end(), problems.begin(), problems.end());
  return problems;
}

std::optional<EntryRef> Archives::find(ArchiveSetKind kind, int slot,
                                       std::string_view name) const {
  const ArchiveSet& s = set(kind);
  if (slot < 0 || size_t(slot) >= s.slots.size()) return std::nullopt;
  const Archive& archive = s.slots[size_t(slot)];
  int index = findEntry(archive, name);
  if (index < 0) return std::nullopt;
  return EntryRef{&archive, index, kind, slot};
}

std::optional<EntryRef> Archives::findInSet(ArchiveSetKind kind, std::string_view name) const {
  for (int s = 0; s < archiveSetSlotCount(kind); ++s)
    if (auto ref = find(kind, s, name)) return ref;
  return std::nullopt;
}

std::optional<EntryRef> Archives::findDataEntry(std::string_view name) const {
  if (auto ref = find(ArchiveSetKind::Data, 1, name)) return ref;
  return find(ArchiveSetKind::Data, 0, name);
}

EntryRead Archives::readDataEntry(std::string_view name, uint64_t maxSize) const {
  std::optional<EntryRef> ref = findDataEntry(name);
  if (!ref) {
    EntryRead r;
    r.error = "no data archive holds \"" + sjisToUtf8(name) + "\"";
    return r;
  }
  return readEntry(*ref, maxSize);
}

std::optional<EntryRef> Archives::findPicture(std::string_view name) const {
  if (auto ref = find(ArchiveSetKind::JpegPictures, 0, name)) return ref;
  for (int s = archiveSetSlotCount(ArchiveSetKind::Pictures) - 1; s >= 0; --s)
    if (auto ref = find(ArchiveSetKind::Pictures, s, name)) return ref;
  return std::nullopt;
}

bool Archives::soundExists(std::string_view name) const {
  for (ArchiveSetKind kind : {ArchiveSetKind::Ogg, ArchiveSetKind::Wav, ArchiveSetKind::Se})
    if (findInSet(kind, name)) return true;
  return false;
}

std::optional<EntryRef> Archives::findClip(std::string_view name) const {
  if (auto ref = find(ArchiveSetKind::Anim, 0, name)) return ref;
  return find(ArchiveSetKind::Anim2, 0, name);
}

bool Archives::firstPictureArchivePresent() const {
  const Archive& first = set(ArchiveSetKind::Pictures).slots[0];
  return first.present() && fileExists(first.path);
}

}  // namespace corvid
