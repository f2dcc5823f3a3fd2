#pragma once
// Archive files: a directory of named entries followed by the entries' bytes.
//
// Sections: layouts and limits · entries and archives · reading a directory · reading an entry ·
// the archive sets and the secondary directory · Archives, the sets of one title.
//
// The directories are read once at start-up and stay in memory; an entry is read by opening
// its file, reading the range and closing it again, so no archive file stays open. Problems are
// reported through return values and error texts (UTF-8, naming the file); nothing is printed.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvid {

// --- Layouts and limits -----------------------------------------------------------------------

enum class ArchiveLayout {
  Data,   // "qd_data.cvd", "qd_data2.cvd": N, then records of a 56-byte name, offset, size;
          // every stored byte is negated, (256 - b) mod 256
  Media,  // every other archive: N, W, then records of a W-byte name, offset, size
};

inline constexpr int32_t kDataNameWidth = 56;   // bytes, NUL included: names of at most 55
inline constexpr int32_t kDataRecordSize = 64;  // name field + offset + size
// A title holds a few thousand entries with short names; a directory claiming more than these
// is refused as damaged instead of being allocated.
inline constexpr int32_t kMaxArchiveEntries = 1 << 20;
inline constexpr int32_t kMaxNameWidth = 4096;  // bytes

// The layout the tools give a file by its name: "qd_data..." (any case) is a data archive.
ArchiveLayout layoutForArchiveName(std::string_view fileName);

// Negates every byte, (256 - b) mod 256; its own inverse, so it stores and restores alike.
void negateArchiveBytes(std::span<uint8_t> bytes);

// --- Entries and archives ---------------------------------------------------------------------

struct ArchiveEntry {
  std::string name;    // Shift_JIS as stored, single-byte a-z upper-cased
  int32_t offset = 0;  // bytes from the start of the file to the entry's first byte
  int32_t size = 0;    // bytes
  bool operator==(const ArchiveEntry&) const = default;
};

struct Archive {
  std::string path;  // empty: the file was not found and the archive is absent
  ArchiveLayout layout = ArchiveLayout::Media;
  int32_t nameWidth = 0;              // bytes of a directory record's name field
  std::vector<ArchiveEntry> entries;  // directory order; the same name may occur twice
  bool present() const { return !path.empty(); }
};

// Index of the first entry whose name equals `name` under the name rule (a-z upper-cased,
// both bytes of a double-byte character kept), or -1.
int findEntry(const Archive& archive, std::string_view name);

// --- Reading a directory ----------------------------------------------------------------------

struct ArchiveDirectory {
  int32_t nameWidth = 0;
  std::vector<ArchiveEntry> entries;
};

// Parses the directory at the start of `bytes` (the whole file, or at least its directory).
// Refused, with `error` saying why: a header cut short, a negative or absurd count or width, a
// directory shorter than its count, a name field without its NUL. A damaged directory is
// refused whole, since its offsets cannot be trusted either.
bool parseArchiveDirectory(std::span<const uint8_t> bytes, ArchiveLayout layout,
                           ArchiveDirectory& out, std::string& error);

// Reads the directory of the file at `path`; only the directory is read, never more bytes than
// the file holds. On failure (file missing or unreadable, directory refused) `error` is
// "PATH: what is wrong" and nothing is returned.
std::optional<Archive> readArchive(const std::string& path, ArchiveLayout layout,
                                   std::string& error);

// --- Reading an entry -------------------------------------------------------------------------

enum class EntryReadStatus {
  Ok,
  NotFound,     // no searched archive holds the name (or the index is out of range)
  TooLarge,     // the entry is larger than the caller's limit
  OutsideFile,  // the entry's offset and size do not lie within its file
  Unreadable,   // the file cannot be opened or read now (gone since start-up, ...)
};

struct EntryRead {
  EntryReadStatus status = EntryReadStatus::NotFound;
  std::vector<uint8_t> bytes;  // the plain bytes (data entries un-negated) when Ok
  std::string error;           // UTF-8, naming the file and the entry; empty when Ok
  bool ok() const { return status == EntryReadStatus::Ok; }
};

inline constexpr uint64_t kNoSizeLimit = UINT64_MAX;

// The bytes of entry `index`, refused when larger than `maxSize`. Data entries come back
// un-negated; media entries as stored.
EntryRead readEntry(const Archive& archive, int index, uint64_t maxSize = kNoSizeLimit);

// `size` bytes from `offsetInEntry` within entry `index` (for readers that walk an entry's own
// offsets, such as clips and music streams); refused when the range leaves the entry.
EntryRead readEntryRange(const Archive& archive, int index, uint64_t offsetInEntry,
                         uint64_t size);

// --- The archive sets and the secondary directory ----------------------------------------------

enum class ArchiveSetKind { Data, Pictures, JpegPictures, Wav, Se, Ogg, Bgm, Anim, Anim2 };
inline constexpr int kArchiveSetKindCount = 9;

int archiveSetSlotCount(ArchiveSetKind kind);
// The file name of a slot: "qd_gra.cvd" then "qd_gra2.cvd", "qd_gra3.cvd"; "qd_se0.cvd" to
// "qd_se2.cvd"; the other numbered sets count from 1.
std::string archiveFileName(ArchiveSetKind kind, int slot);

struct ArchiveSet {
  ArchiveSetKind kind = ArchiveSetKind::Data;
  std::vector<Archive> slots;  // archiveSetSlotCount(kind) of them, slot 0 first
};

// How many archives of each kind may come from the secondary directory; the engine fills this
// from the game configuration's QDD_ keys.
struct SecondaryDirRules {
  int qddGra = 0;   // picture slots below this
  int qddGjp = 0;   // non-zero: the JPEG archive
  int qddWav = 0;   // wav slots below this
  int qddSe = 0;    // se slots below this
  int qddOgg = 0;   // ogg slots below this, and only from a readable optical disc
  int qddAnim = 0;  // 1: "qd_anim.cvd", 2: also "qd_anim2.cvd"
};

// Whether slot `slot` of `kind` is looked for in the secondary directory when it is missing
// beside the title. The music archive always is; the data archives never.
bool mayUseSecondaryDir(ArchiveSetKind kind, int slot, const SecondaryDirRules& rules,
                        bool secondaryIsOpticalReadable);

// The secondary directory named by the "CDDir" setting: one trailing backslash removed; "NULL"
// (the default) and "" name none and give "".
std::string secondaryDirFromSetting(std::string_view cdDir);

// The path of `fileName` in the secondary directory `dir` (as given by secondaryDirFromSetting):
// the name is appended directly when `dir` already ends in "/", else after a "/". A relative
// directory is taken from the title folder.
std::string secondaryArchivePath(const std::string& titleDir, const std::string& dir,
                                 const std::string& fileName);

// --- Archives: the sets of one title ---------------------------------------------------------

// Where a lookup found a name. `archive` points into the Archives that answered and stays valid
// as long as its sets are not opened again.
struct EntryRef {
  const Archive* archive = nullptr;
  int index = -1;
  ArchiveSetKind kind = ArchiveSetKind::Data;
  int slot = 0;
  const ArchiveEntry& entry() const { return archive->entries[size_t(index)]; }
};

EntryRead readEntry(const EntryRef& ref, uint64_t maxSize = kNoSizeLimit);

// True when "qd_data.cvd" is in the title folder (the first check of start-up).
bool mainDataArchiveExists(const std::string& titleDir);

class Archives {
 public:
  Archives();

  // Reads "qd_data.cvd" and "qd_data2.cvd" from the title folder. A missing file is absent
  // without a word; the texts returned (and kept in problems()) name files that exist but were
  // refused.
  std::vector<std::string> openDataArchives(const std::string& titleDir);

  // Reads every media set in the order pictures, JPEG pictures, wav, se, ogg, bgm, anim, anim2,
  // slot 0 first. `cdDirSetting` is the raw "CDDir" setting; `secondaryIsOpticalReadable` is
  // isReadableOpticalDirectory(secondaryDirFromSetting(cdDirSetting)), decided once by start-up.
  std::vector<std::string> openMediaArchives(const std::string& titleDir,
                                             const SecondaryDirRules& rules,
                                             std::string_view cdDirSetting,
                                             bool secondaryIsOpticalReadable);

  const ArchiveSet& set(ArchiveSetKind kind) const { return sets_[size_t(kind)]; }
  const std::vector<std::string>& problems() const { return problems_; }

  std::optional<EntryRef> find(ArchiveSetKind kind, int slot, std::string_view name) const;
  // Slot 0 first.
  std::optional<EntryRef> findInSet(ArchiveSetKind kind, std::string_view name) const;

  // Scripts and script sections: "qd_data2.cvd", then "qd_data.cvd".
  std::optional<EntryRef> findDataEntry(std::string_view name) const;
  // The entry's plain bytes, refused when larger than `maxSize` (the caller's buffer).
  EntryRead readDataEntry(std::string_view name, uint64_t maxSize) const;

  // The JPEG archive, then the picture archives from the last slot to the first.
  std::optional<EntryRef> findPicture(std::string_view name) const;
  // Ogg slots, then wav slots, then se slots, each from slot 0.
  bool soundExists(std::string_view name) const;
  // "qd_anim.cvd", then "qd_anim2.cvd".
  std::optional<EntryRef> findClip(std::string_view name) const;

  // The start-up check after openMediaArchives: "qd_gra.cvd" was found (beside the title or,
  // where allowed, in the secondary directory).
  bool firstPictureArchivePresent() const;

 private:
  void openSlot(ArchiveSetKind kind, int slot, const std::string& path,
                std::vector<std::string>& problems);

  std::array<ArchiveSet, kArchiveSetKindCount> sets_;
  std::vector<std::string> problems_;
};

}  // namespace corvid
