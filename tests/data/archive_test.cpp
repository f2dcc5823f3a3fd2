// Archive directories, lookups, entry reads, the sets with the secondary directory, the optical
// check and the writer. Fixture archives are laid out by hand with ByteWriter, record by record,
// so that the reader is never checked against the writer alone.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "data/archive.h"
#include "data/archive_writer.h"
#include "data/byte_writer.h"
#include "data/file_io.h"
#include "data/optical_drive.h"

namespace corvid {
namespace {

using Bytes = std::vector<uint8_t>;
using ::testing::HasSubstr;

struct Stored {
  std::string name;  // Shift_JIS
  Bytes bytes;       // exactly as they lie in the file
};

// N, then 64-byte records (56-byte name, offset, size), then the stored bytes.
Bytes handDataArchive(const std::vector<Stored>& entries) {
  ByteWriter w;
  w.i32(int32_t(entries.size()));
  int32_t offset = 4 + 64 * int32_t(entries.size());
  for (const Stored& e : entries) {
    w.nulTerminatedField(e.name, 56);
    w.i32(offset);
    w.i32(int32_t(e.bytes.size()));
    offset += int32_t(e.bytes.size());
  }
  for (const Stored& e : entries) w.bytes(e.bytes);
  return w.take();
}

// N, W, then records of (W-byte name, offset, size), then the bytes.
Bytes handMediaArchive(int32_t width, const std::vector<Stored>& entries) {
  ByteWriter w;
  w.i32(int32_t(entries.size()));
  w.i32(width);
  int32_t offset = 8 + (width + 8) * int32_t(entries.size());
  for (const Stored& e : entries) {
    w.nulTerminatedField(e.name, size_t(width));
    w.i32(offset);
    w.i32(int32_t(e.bytes.size()));
    offset += int32_t(e.bytes.size());
  }
  for (const Stored& e : entries) w.bytes(e.bytes);
  return w.take();
}

// A media archive whose entries hold their own names as bytes.
Bytes namedMediaArchive(const std::vector<std::string>& names) {
  std::vector<Stored> entries;
  for (const std::string& n : names) entries.push_back({n, Bytes(n.begin(), n.end())});
  return handMediaArchive(16, entries);
}

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "corvid-archive-XXXXXX");
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  void write(const std::string& name, const Bytes& bytes) const {
    std::filesystem::create_directories(std::filesystem::path(file(name)).parent_path());
    ASSERT_TRUE(writeFileAtomic(file(name), bytes));
  }

 private:
  std::string path_;
};

// --- Directories ------------------------------------------------------------------------------

TEST(ArchiveDirectory, DataLayoutRecords) {
  Bytes file = handDataArchive({{"main", {1, 2, 3}}, {"Sub_01", {}}, {"\x83\x61" "bg", {9}}});
  // Bytes after a name's NUL are ignored.
  file[4 + 64 * 1 + 7] = 'X';
  ArchiveDirectory dir;
  std::string error;
  ASSERT_TRUE(parseArchiveDirectory(file, ArchiveLayout::Data, dir, error)) << error;
  EXPECT_EQ(dir.nameWidth, 56);
  EXPECT_EQ(dir.entries, (std::vector<ArchiveEntry>{
                             {"MAIN", 196, 3}, {"SUB_01", 199, 0}, {"\x83\x61" "BG", 199, 1}}));
}

TEST(ArchiveDirectory, MediaLayoutRecords) {
  // "ABCDEFGHIJK" fills the 12-byte field up to its NUL.
  Bytes file = handMediaArchive(12, {{"bg01", {1, 2}}, {"ABCDEFGHIJK", {3}}});
  ArchiveDirectory dir;
  std::string error;
  ASSERT_TRUE(parseArchiveDirectory(file, ArchiveLayout::Media, dir, error)) << error;
  EXPECT_EQ(dir.nameWidth, 12);
  EXPECT_EQ(dir.entries,
            (std::vector<ArchiveEntry>{{"BG01", 48, 2}, {"ABCDEFGHIJK", 50, 1}}));

  // An empty media archive may declare a width of 0.
  ByteWriter empty;
  empty.i32(0);
  empty.i32(0);
  ASSERT_TRUE(parseArchiveDirectory(empty.data(), ArchiveLayout::Media, dir, error)) << error;
  EXPECT_EQ(dir.entries.size(), 0u);
}

Bytes header(std::initializer_list<int32_t> values, size_t zeros = 0) {
  ByteWriter w;
  for (int32_t v : values) w.i32(v);
  w.zeros(zeros);
  return w.take();
}

TEST(ArchiveDirectory, RefusesMalformedDirectories) {
  Bytes dataNoNul = header({1});
  dataNoNul.insert(dataNoNul.end(), 56, 'A');
  dataNoNul.resize(dataNoNul.size() + 8, 0);
  Bytes mediaNoNul = header({1, 4});
  for (char c : std::string("ABCD")) mediaNoNul.push_back(uint8_t(c));
  mediaNoNul.resize(mediaNoNul.size() + 8, 0);
  Bytes cutRecord = handDataArchive({{"A", {}}, {"B", {}}});
  cutRecord.resize(4 + 64 + 30);

  struct Case {
    const char* label;
    ArchiveLayout layout;
    Bytes bytes;
    const char* error;
  };
  const Case cases[] = {
      {"empty data file", ArchiveLayout::Data, {}, "too short for the directory header"},
      {"media header cut", ArchiveLayout::Media, header({1}, 2), "too short for the directory header"},
      {"negative count", ArchiveLayout::Data, header({-1}), "entry count -1 is out of range"},
      {"absurd count", ArchiveLayout::Media, header({0x7FFFFFFF, 8}), "out of range"},
      {"count beyond the file", ArchiveLayout::Data, header({1000}), "needs 64004 bytes but the file has 4"},
      {"width 0", ArchiveLayout::Media, header({1, 0}, 8), "name width 0 is out of range"},
      {"negative width", ArchiveLayout::Media, header({0, -5}), "name width -5"},
      {"absurd width", ArchiveLayout::Media, header({1, 0x7FFFFFFF}, 16), "out of range"},
      {"widest names beyond the file", ArchiveLayout::Media, header({100000, 4096}, 16), "needs"},
      {"data name without NUL", ArchiveLayout::Data, dataNoNul, "entry 0 has no NUL within its 56 bytes"},
      {"media name without NUL", ArchiveLayout::Media, mediaNoNul, "no NUL within its 4 bytes"},
      {"record cut short", ArchiveLayout::Data, cutRecord, "needs 132 bytes but the file has 98"},
  };
  TempDir tmp;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    ArchiveDirectory dir;
    std::string error;
    EXPECT_FALSE(parseArchiveDirectory(c.bytes, c.layout, dir, error));
    EXPECT_THAT(error, HasSubstr(c.error));

    // The same refusal through a file, reading no more than the file holds.
    tmp.write("bad.cvd", c.bytes);
    std::string fileError;
    EXPECT_FALSE(readArchive(tmp.file("bad.cvd"), c.layout, fileError));
    EXPECT_THAT(fileError, HasSubstr(tmp.file("bad.cvd") + ": "));
    EXPECT_THAT(fileError, HasSubstr(c.error));
  }
  std::string error;
  EXPECT_FALSE(readArchive(tmp.file("missing.cvd"), ArchiveLayout::Media, error));
  EXPECT_THAT(error, HasSubstr("missing.cvd: cannot be opened"));
}

TEST(ArchiveLookup, NameRule) {
  Bytes file = handMediaArchive(
      16, {{"main", {}}, {"DUP", {}}, {"dup", {}}, {"\x83\x61" "bg", {}}, {"\x83\x61", {}}});
  ArchiveDirectory dir;
  std::string error;
  ASSERT_TRUE(parseArchiveDirectory(file, ArchiveLayout::Media, dir, error));
  Archive archive;
  archive.entries = dir.entries;

  struct Case {
    std::string wanted;
    int index;
  };
  const Case cases[] = {
      {"main", 0}, {"MAIN", 0}, {"mAiN", 0},
      {"dup", 1},                     // the earlier of two equal names
      {"\x83\x61" "bg", 3},           // second byte 'a' stays as it is ...
      {"\x83\x61" "BG", 3},
      {"\x83\x41" "BG", -1},          // ... so the upper-cased second byte is another name
      {"\x83\x61", 4},
      {"MAI", -1}, {"main ", -1}, {"", -1}, {"missing", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(findEntry(archive, c.wanted), c.index) << c.wanted;
}

TEST(ArchiveLookup, LayoutByFileName) {
  EXPECT_EQ(layoutForArchiveName("qd_data.cvd"), ArchiveLayout::Data);
  EXPECT_EQ(layoutForArchiveName("dir/QD_Data2.cvd"), ArchiveLayout::Data);
  EXPECT_EQ(layoutForArchiveName("qd_data_extra"), ArchiveLayout::Data);
  EXPECT_EQ(layoutForArchiveName("qd_data/qd_gra.cvd"), ArchiveLayout::Media);
  EXPECT_EQ(layoutForArchiveName("qd_dat.cvd"), ArchiveLayout::Media);
  EXPECT_EQ(layoutForArchiveName("x_qd_data.cvd"), ArchiveLayout::Media);
}

// --- Reading entries --------------------------------------------------------------------------

TEST(ArchiveRead, DataEntriesAreUnNegatedAndQdData2Wins) {
  TempDir tmp;
  tmp.write("qd_data.cvd", handDataArchive({{"MAIN", {0x00, 0xFF, 0x80, 0x01}}, {"SHARED", {0xFF}}}));
  Archives archives;
  EXPECT_EQ(archives.openDataArchives(tmp.path()), std::vector<std::string>{});
  // Without qd_data2.cvd: its slot is absent and silent.
  EXPECT_FALSE(archives.set(ArchiveSetKind::Data).slots[1].present());
  EXPECT_EQ(archives.readDataEntry("shared", 100).bytes, Bytes{0x01});

  tmp.write("qd_data2.cvd", handDataArchive({{"shared", {0xFE}}}));
  EXPECT_EQ(archives.openDataArchives(tmp.path()), std::vector<std::string>{});
  EXPECT_EQ(archives.readDataEntry("main", 100).bytes, (Bytes{0x00, 0x01, 0x80, 0xFF}));
  EXPECT_EQ(archives.readDataEntry("SHARED", 100).bytes, Bytes{0x02});
  EXPECT_EQ(archives.findDataEntry("shared")->slot, 1);

  EntryRead missing = archives.readDataEntry("nothing", 100);
  EXPECT_EQ(missing.status, EntryReadStatus::NotFound);
  EXPECT_EQ(missing.error, "no data archive holds \"nothing\"");
}

TEST(ArchiveRead, RefusesEntriesThatDoNotFit) {
  TempDir tmp;
  Bytes file = handDataArchive({{"FOUR", {1, 2, 3, 4}}, {"PAST", {5, 6}}, {"NEG", {}}});
  // PAST claims 3 bytes from the file's second-to-last byte; NEG a negative offset.
  ByteWriter past;
  past.i32(int32_t(file.size()) - 2);
  past.i32(3);
  std::copy(past.data().begin(), past.data().end(), file.begin() + 4 + 64 + 56);
  ByteWriter neg;
  neg.i32(-1);
  std::copy(neg.data().begin(), neg.data().end(), file.begin() + 4 + 128 + 56);
  tmp.write("qd_data.cvd", file);
  Archives archives;
  ASSERT_EQ(archives.openDataArchives(tmp.path()), std::vector<std::string>{});

  struct Case {
    const char* name;
    uint64_t maxSize;
    EntryReadStatus status;
    const char* error;
  };
  const Case cases[] = {
      {"FOUR", 4, EntryReadStatus::Ok, ""},
      {"FOUR", 3, EntryReadStatus::TooLarge, "entry \"FOUR\" has 4 bytes, more than the 3"},
      {"PAST", 100, EntryReadStatus::OutsideFile, "runs past the end of the file"},
      {"NEG", 100, EntryReadStatus::OutsideFile, "negative offset or size"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EntryRead r = archives.readDataEntry(c.name, c.maxSize);
    EXPECT_EQ(r.status, c.status);
    EXPECT_THAT(r.error, HasSubstr(c.error));
  }
  EXPECT_EQ(archives.readDataEntry("four", 4).bytes, (Bytes{0xFF, 0xFE, 0xFD, 0xFC}));

  // The file shrinks, then goes away, after its directory was read.
  file.resize(file.size() - 3);
  tmp.write("qd_data.cvd", file);
  EXPECT_EQ(archives.readDataEntry("FOUR", 4).status, EntryReadStatus::OutsideFile);
  std::filesystem::remove(tmp.file("qd_data.cvd"));
  EntryRead gone = archives.readDataEntry("FOUR", 4);
  EXPECT_EQ(gone.status, EntryReadStatus::Unreadable);
  EXPECT_THAT(gone.error, HasSubstr("qd_data.cvd: cannot be opened"));
}

TEST(ArchiveRead, RangesStayInsideTheirEntry) {
  TempDir tmp;
  tmp.write("clip.cvd", handMediaArchive(8, {{"A", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}}, {"B", {11}}}));
  std::string error;
  std::optional<Archive> archive = readArchive(tmp.file("clip.cvd"), ArchiveLayout::Media, error);
  ASSERT_TRUE(archive) << error;

  struct Case {
    uint64_t offset, size;
    EntryReadStatus status;
    Bytes bytes;
  };
  const Case cases[] = {
      {2, 3, EntryReadStatus::Ok, {3, 4, 5}},
      {10, 0, EntryReadStatus::Ok, {}},
      {8, 3, EntryReadStatus::OutsideFile, {}},  // would read B's byte
      {11, 0, EntryReadStatus::OutsideFile, {}},
      {1, UINT64_MAX, EntryReadStatus::OutsideFile, {}},
  };
  for (const Case& c : cases) {
    EntryRead r = readEntryRange(*archive, 0, c.offset, c.size);
    EXPECT_EQ(r.status, c.status) << c.offset << "+" << c.size;
    EXPECT_EQ(r.bytes, c.bytes) << c.offset << "+" << c.size;
  }
  EXPECT_EQ(readEntry(*archive, 2).status, EntryReadStatus::NotFound);
  EXPECT_EQ(readEntry(*archive, -1).status, EntryReadStatus::NotFound);
}

// --- Sets -------------------------------------------------------------------------------------

TEST(ArchiveSets, SlotFileNames) {
  using K = ArchiveSetKind;
  auto names = [](K kind) {
    std::vector<std::string> out;
    for (int s = 0; s < archiveSetSlotCount(kind); ++s) out.push_back(archiveFileName(kind, s));
    return out;
  };
  using V = std::vector<std::string>;
  EXPECT_EQ(names(K::Data), (V{"qd_data.cvd", "qd_data2.cvd"}));
  EXPECT_EQ(names(K::Pictures), (V{"qd_gra.cvd", "qd_gra2.cvd", "qd_gra3.cvd"}));
  EXPECT_EQ(names(K::JpegPictures), (V{"qd_gjp.cvd"}));
  EXPECT_EQ(names(K::Wav), (V{"qd_wav1.cvd", "qd_wav2.cvd", "qd_wav3.cvd", "qd_wav4.cvd", "qd_wav5.cvd"}));
  EXPECT_EQ(names(K::Se), (V{"qd_se0.cvd", "qd_se1.cvd", "qd_se2.cvd"}));
  EXPECT_EQ(names(K::Ogg), (V{"qd_ogg1.cvd", "qd_ogg2.cvd", "qd_ogg3.cvd"}));
  EXPECT_EQ(names(K::Bgm), (V{"qd_bgm.cvd"}));
  EXPECT_EQ(names(K::Anim), (V{"qd_anim.cvd"}));
  EXPECT_EQ(names(K::Anim2), (V{"qd_anim2.cvd"}));
}

std::string describe(const std::optional<EntryRef>& ref) {
  if (!ref) return "none";
  static const char* kinds[] = {"data", "gra", "gjp", "wav", "se", "ogg", "bgm", "anim", "anim2"};
  return std::string(kinds[int(ref->kind)]) + " " + std::to_string(ref->slot);
}

TEST(ArchiveSets, SearchOrders) {
  TempDir tmp;
  tmp.write("qd_gjp.cvd", namedMediaArchive({"PIC_J"}));
  tmp.write("qd_gra.cvd", namedMediaArchive({"PIC_J", "PIC_G", "PIC_1"}));
  tmp.write("qd_gra3.cvd", namedMediaArchive({"pic_g"}));  // qd_gra2.cvd is absent
  tmp.write("qd_se0.cvd", namedMediaArchive({"SE_A"}));
  tmp.write("qd_se2.cvd", namedMediaArchive({"SE_C"}));  // qd_se1.cvd is absent
  tmp.write("qd_ogg2.cvd", namedMediaArchive({"V_O"}));
  tmp.write("qd_wav5.cvd", namedMediaArchive({"W_5"}));
  tmp.write("qd_anim.cvd", namedMediaArchive({"CLIP", "A1"}));
  tmp.write("qd_anim2.cvd", namedMediaArchive({"CLIP", "A2"}));
  Archives archives;
  EXPECT_EQ(archives.openMediaArchives(tmp.path(), {}, "NULL", false), std::vector<std::string>{});

  EXPECT_EQ(describe(archives.findPicture("pic_j")), "gjp 0");
  EXPECT_EQ(describe(archives.findPicture("Pic_G")), "gra 2");
  EXPECT_EQ(describe(archives.findPicture("PIC_1")), "gra 0");
  EXPECT_EQ(describe(archives.findPicture("SE_A")), "none");
  EXPECT_EQ(describe(archives.findClip("clip")), "anim 0");
  EXPECT_EQ(describe(archives.findClip("a2")), "anim2 0");
  EXPECT_EQ(describe(archives.findInSet(ArchiveSetKind::Se, "se_c")), "se 2");
  for (const char* name : {"se_a", "SE_C", "v_o", "w_5"}) EXPECT_TRUE(archives.soundExists(name)) << name;
  for (const char* name : {"CLIP", "PIC_J", ""}) EXPECT_FALSE(archives.soundExists(name)) << name;
  EXPECT_TRUE(archives.firstPictureArchivePresent());

  // The entry found is the one read: the bytes of "pic_g" come from qd_gra3.cvd.
  EXPECT_EQ(readEntry(*archives.findPicture("PIC_G")).bytes, (Bytes{'p', 'i', 'c', '_', 'g'}));
}

TEST(ArchiveSets, SecondaryDirRules) {
  using K = ArchiveSetKind;
  SecondaryDirRules rules{2, 1, 1, 3, 3, 1};
  struct Case {
    K kind;
    int slot;
    bool optical;
    bool expected;
  };
  const Case cases[] = {
      {K::Data, 0, true, false},     {K::Pictures, 1, false, true}, {K::Pictures, 2, false, false},
      {K::JpegPictures, 0, false, true}, {K::Wav, 0, false, true},  {K::Wav, 1, false, false},
      {K::Se, 2, false, true},       {K::Ogg, 0, false, false},     {K::Ogg, 2, true, true},
      {K::Bgm, 0, false, true},      {K::Anim, 0, false, true},     {K::Anim2, 0, false, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(mayUseSecondaryDir(c.kind, c.slot, rules, c.optical), c.expected)
        << int(c.kind) << " slot " << c.slot;
  EXPECT_FALSE(mayUseSecondaryDir(K::JpegPictures, 0, {}, true));
  EXPECT_FALSE(mayUseSecondaryDir(K::Ogg, 0, {}, true));
  EXPECT_TRUE(mayUseSecondaryDir(K::Bgm, 0, {}, false));
  EXPECT_TRUE(mayUseSecondaryDir(K::Anim2, 0, SecondaryDirRules{0, 0, 0, 0, 0, 2}, false));

  struct Setting {
    const char* raw;
    const char* dir;
  };
  const Setting settings[] = {
      {"NULL", ""}, {"", ""}, {"NULL\\", ""}, {"D:\\", "D:"}, {"/media/cd\\", "/media/cd"},
      {"/media/cd\\\\", "/media/cd\\"}, {"/media/cd/", "/media/cd/"}, {"null", "null"},
  };
  for (const Setting& s : settings) EXPECT_EQ(secondaryDirFromSetting(s.raw), s.dir) << s.raw;
  EXPECT_EQ(secondaryArchivePath("/t", "/media/cd/", "qd_gra.cvd"), "/media/cd/qd_gra.cvd");
  EXPECT_EQ(secondaryArchivePath("/t", "/media/cd", "qd_gra.cvd"), "/media/cd/qd_gra.cvd");
  EXPECT_EQ(secondaryArchivePath("/t", "disc", "qd_gra.cvd"), "/t/disc/qd_gra.cvd");
  EXPECT_EQ(secondaryArchivePath("/t", "", "qd_gra.cvd"), "");
}

TEST(ArchiveSets, SecondaryDirectoryIsUsedPerSlot) {
  TempDir tmp;
  std::string title = tmp.file("title");
  std::string disc = tmp.file("disc");
  tmp.write("title/qd_gra.cvd", namedMediaArchive({"LOCAL"}));
  tmp.write("title/disc/qd_gra.cvd", namedMediaArchive({"DISC"}));  // also a relative "disc"
  for (const char* name : {"qd_gra.cvd", "qd_gra2.cvd", "qd_gra3.cvd", "qd_ogg1.cvd",
                           "qd_bgm.cvd", "qd_anim2.cvd", "qd_se0.cvd"})
    tmp.write(std::string("disc/") + name, namedMediaArchive({name}));
  const SecondaryDirRules rules{2, 0, 0, 0, 1, 1};

  using K = ArchiveSetKind;
  const std::pair<K, int> slots[] = {{K::Pictures, 0}, {K::Pictures, 1}, {K::Pictures, 2},
                                     {K::Ogg, 0},      {K::Bgm, 0},      {K::Anim2, 0},
                                     {K::Se, 0}};
  struct Case {
    std::string setting;
    bool optical;
    std::vector<std::string> paths;  // of the slots above
  };
  const std::string d = disc + "/";
  const Case cases[] = {
      // Present beside the title wins over the secondary directory; qd_gra3 is beyond QDD_GRA,
      // qd_anim2 beyond QDD_ANIM, qd_se0 beyond QDD_SE; ogg needs a readable disc.
      {disc + "/", false, {title + "/qd_gra.cvd", d + "qd_gra2.cvd", "", "", d + "qd_bgm.cvd", "", ""}},
      {disc + "\\", true, {title + "/qd_gra.cvd", d + "qd_gra2.cvd", "", d + "qd_ogg1.cvd", d + "qd_bgm.cvd", "", ""}},
      {disc, true, {title + "/qd_gra.cvd", d + "qd_gra2.cvd", "", d + "qd_ogg1.cvd", d + "qd_bgm.cvd", "", ""}},
      {"disc\\", false, {title + "/qd_gra.cvd", "", "", "", "", "", ""}},
      {"NULL", true, {title + "/qd_gra.cvd", "", "", "", "", "", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.setting);
    Archives archives;
    EXPECT_EQ(archives.openMediaArchives(title, rules, c.setting, c.optical),
              std::vector<std::string>{});
    std::vector<std::string> paths;
    for (auto [kind, slot] : slots) paths.push_back(archives.set(kind).slots[size_t(slot)].path);
    EXPECT_EQ(paths, c.paths);
  }
  // The relative setting found the title's own "disc" folder for slot 0's stand-in.
  Archives relative;
  std::filesystem::remove(title + "/qd_gra.cvd");
  relative.openMediaArchives(title, rules, "disc\\", false);
  EXPECT_EQ(relative.set(K::Pictures).slots[0].path, title + "/disc/qd_gra.cvd");
  EXPECT_EQ(findEntry(relative.set(K::Pictures).slots[0], "disc"), 0);

  // Without the first picture archive beside the title, only the secondary directory can
  // supply it, and only when QDD_GRA allows.
  Archives fromDisc, notAllowed;
  fromDisc.openMediaArchives(title, rules, disc, false);
  notAllowed.openMediaArchives(title, {}, disc, false);
  EXPECT_TRUE(fromDisc.firstPictureArchivePresent());
  EXPECT_FALSE(notAllowed.firstPictureArchivePresent());
}

TEST(ArchiveSets, DamagedArchivesAreReportedAndEmpty) {
  TempDir tmp;
  tmp.write("qd_data.cvd", header({1}, 64));  // a name field all NUL: one entry ""
  Bytes noNul = header({1, 4});
  noNul.insert(noNul.end(), {'A', 'B', 'C', 'D', 0, 0, 0, 0, 0, 0, 0, 0});
  tmp.write("qd_gra2.cvd", noNul);
  tmp.write("qd_gra.cvd", namedMediaArchive({"OK"}));
  tmp.write("qd_data2.cvd", header({5}));
  Archives archives;
  std::vector<std::string> dataProblems = archives.openDataArchives(tmp.path());
  ASSERT_EQ(dataProblems.size(), 1u);
  EXPECT_THAT(dataProblems[0], HasSubstr("qd_data2.cvd: directory of 5 entries needs 324 bytes"));
  std::vector<std::string> mediaProblems = archives.openMediaArchives(tmp.path(), {}, "NULL", false);
  ASSERT_EQ(mediaProblems.size(), 1u);
  EXPECT_THAT(mediaProblems[0], HasSubstr("qd_gra2.cvd: the name of entry 0 has no NUL"));
  EXPECT_EQ(archives.problems().size(), 2u);

  const ArchiveSet& pictures = archives.set(ArchiveSetKind::Pictures);
  EXPECT_TRUE(pictures.slots[1].present());
  EXPECT_TRUE(pictures.slots[1].entries.empty());
  EXPECT_EQ(describe(archives.findPicture("ok")), "gra 0");
  EXPECT_TRUE(archives.set(ArchiveSetKind::Data).slots[1].entries.empty());
}

// --- Optical discs ------------------------------------------------------------------------------

TEST(OpticalDrive, MountOfAPath) {
  const char* mountinfo =
      "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
      "30 22 11:0 / /media/cdrom rw shared:5 master:2 - iso9660 /dev/sr0 ro\n"
      "31 22 11:1 / /media/cdrom1 ro - udf /dev/sr1 ro\n"
      "32 22 0:40 / /mnt/my\\040disc ro - iso9660 /dev/loop0 ro\n"
      "33 22 0:41 / /mnt/over ro - iso9660 /dev/loop1 ro\n"
      "34 22 0:42 / /mnt/over rw - tmpfs tmpfs rw\n"
      "a line that is not a mount\n"
      "35 22 0:43 / /mnt/nodash rw iso9660\n";
  std::vector<MountPoint> mounts = parseMountInfo(mountinfo);
  EXPECT_EQ(mounts.size(), 6u);
  struct Case {
    const char* path;
    const char* type;
  };
  const Case cases[] = {
      {"/media/cdrom", "iso9660"},   {"/media/cdrom/data/voice", "iso9660"},
      {"/media/cdrom1/x", "udf"},    {"/media/cdromx", "ext4"},
      {"/mnt/my disc/a", "iso9660"}, {"/mnt/over/a", "tmpfs"},
      {"/mnt/nodash", "ext4"},       {"/home", "ext4"},
      {"relative", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(fileSystemTypeOf(c.path, mounts), c.type) << c.path;
  EXPECT_TRUE(isOpticalFileSystem("iso9660"));
  EXPECT_TRUE(isOpticalFileSystem("udf"));
  EXPECT_FALSE(isOpticalFileSystem("ext4"));
  EXPECT_FALSE(isOpticalFileSystem(""));

  TempDir tmp;
  EXPECT_FALSE(isReadableOpticalDirectory(tmp.path()));
  EXPECT_FALSE(isReadableOpticalDirectory(tmp.file("missing")));
  EXPECT_FALSE(isReadableOpticalDirectory(""));
}

// --- Writer -----------------------------------------------------------------------------------

TEST(ArchiveWriter, MatchesTheLayoutsByHand) {
  Bytes out;
  std::string error;
  ASSERT_TRUE(buildArchive(ArchiveLayout::Data,
                           {{"MAIN", {0x00, 0x01, 0x80, 0xFF}}, {"\x83\x61", {}}, {"x", {0x02}}},
                           out, error));
  EXPECT_EQ(out, handDataArchive({{"MAIN", {0x00, 0xFF, 0x80, 0x01}}, {"\x83\x61", {}}, {"x", {0xFE}}}));

  // The media name width is the longest name plus its NUL.
  ASSERT_TRUE(buildArchive(ArchiveLayout::Media, {{"BG01", {1, 2}}, {"LONGNAME_X", {3}}}, out, error));
  EXPECT_EQ(out, handMediaArchive(11, {{"BG01", {1, 2}}, {"LONGNAME_X", {3}}}));
  ASSERT_TRUE(buildArchive(ArchiveLayout::Media, {}, out, error));
  EXPECT_EQ(out, handMediaArchive(1, {}));

  // And the reader takes back what the writer made.
  TempDir tmp;
  ASSERT_TRUE(writeArchiveFile(tmp.file("qd_data.cvd"), ArchiveLayout::Data,
                               {{"main", {7, 0, 0xFF}}}, error));
  Archives archives;
  archives.openDataArchives(tmp.path());
  EXPECT_EQ(archives.readDataEntry("MAIN", 3).bytes, (Bytes{7, 0, 0xFF}));
}

TEST(ArchiveWriter, RefusesNamesThatCannotBeStored) {
  struct Case {
    ArchiveLayout layout;
    std::vector<std::string> names;
    const char* error;  // "" when accepted
  };
  const Case cases[] = {
      {ArchiveLayout::Data, {std::string(55, 'A')}, ""},
      {ArchiveLayout::Data, {std::string(56, 'A')}, "the name has 56 bytes in Shift_JIS, at most 55 fit"},
      {ArchiveLayout::Media, {std::string(4095, 'A')}, ""},
      {ArchiveLayout::Media, {std::string(4096, 'A')}, "at most 4095 fit"},
      {ArchiveLayout::Media, {""}, "an entry has an empty name"},
      {ArchiveLayout::Media, {std::string("A\0B", 3)}, "holds a NUL byte"},
      {ArchiveLayout::Data, {"bg", "BG"}, "entry \"BG\": the name occurs twice"},
      {ArchiveLayout::Media, {"\x83\x61", "\x83\x41"}, ""},  // different names
  };
  for (const Case& c : cases) {
    std::vector<ArchiveSource> sources;
    for (const std::string& n : c.names) sources.push_back({n, {1}});
    Bytes out;
    std::string error;
    bool ok = buildArchive(c.layout, sources, out, error);
    EXPECT_EQ(ok, c.error[0] == 0) << error;
    EXPECT_THAT(error, HasSubstr(c.error));
  }
}

}  // namespace
}  // namespace corvid
