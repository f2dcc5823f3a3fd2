#include "persist/global_data.h"

#include <algorithm>

#include "data/byte_reader.h"
#include "data/byte_writer.h"
#include "data/sjis.h"
#include "persist/damaged_copy.h"
#include "persist/player_settings.h"
#include "persist/settings_text.h"
#include "script/variables.h"

namespace corvid {

namespace {

constexpr size_t kPictureAt = GlobalData::kEFlagBytes;
constexpr size_t kSceneAt = kPictureAt + GlobalData::kPictureBytes;
constexpr size_t kReadMarkAt = kSceneAt + GlobalData::kSceneBytes;

// Slicing by eight: table[0] is the byte-at-a-time table, table[k] advances a byte's effect
// by k more bytes, so that eight bytes take one step (the checksum runs over 11 KB at every
// synchronisation; the fuzz target runs it thousands of times a second).
using CrcTables = std::array<std::array<uint32_t, 256>, 8>;

const CrcTables& crcTables() {
  static const CrcTables tables = [] {
    CrcTables t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[0][n] = c;
    }
    for (size_t k = 1; k < 8; ++k)
      for (size_t n = 0; n < 256; ++n) t[k][n] = (t[k - 1][n] >> 8) ^ t[0][t[k - 1][n] & 0xFF];
    return t;
  }();
  return tables;
}

uint32_t littleEndian32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The bits of byte i that a space of N flags holds.
template <size_t N>
uint8_t heldBits(size_t i) {
  if ((i + 1) * 8 <= N) return 0xFF;
  return i * 8 >= N ? 0 : uint8_t((1u << (N - i * 8)) - 1);
}

// One block of the file ORed into memory: the engine's bits come from `flags`, the others from
// `kept` (what the previous merge left); the union goes back to both. The bytes whose every
// bit the space holds are simply the flags' bytes afterwards.
template <size_t N>
void mergeBlock(FlagSpace<N>& flags, std::span<uint8_t> kept, std::span<const uint8_t> file) {
  flags.orBytes(file);
  std::span<const uint8_t> mine = flags.bytes();
  const size_t whole = std::min(kept.size(), N / 8);
  std::copy_n(mine.begin(), whole, kept.begin());
  for (size_t i = whole; i < kept.size(); ++i)
    kept[i] = uint8_t((kept[i] & ~heldBits<N>(i)) | (i < mine.size() ? mine[i] : 0) | file[i]);
}

void putI32(std::span<uint8_t> at, int32_t v) {
  for (int k = 0; k < 4; ++k) at[size_t(k)] = uint8_t(uint32_t(v) >> (8 * k));
}

// count + 1, held at the largest count (a hand-edited maximum must not wrap to negative).
int32_t plusOne(int32_t count) { return count == INT32_MAX ? count : count + 1; }

}  // namespace

uint32_t globalDataChecksum(std::span<const uint8_t> bytes, uint32_t crc) {
  // Plain pointers into the tables: indexing the arrays would add a bounds check to every
  // lookup in the sanitizer builds.
  const CrcTables& tables = crcTables();
  const uint32_t* t[8];
  for (size_t k = 0; k < 8; ++k) t[k] = tables[k].data();
  const uint8_t* p = bytes.data();
  size_t left = bytes.size();
  for (; left >= 8; p += 8, left -= 8) {
    const uint32_t lo = crc ^ littleEndian32(p), hi = littleEndian32(p + 4);
    crc = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
          t[3][hi & 0xFF] ^ t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
  }
  for (; left > 0; ++p, --left) crc = (crc >> 8) ^ t[0][(crc ^ *p) & 0xFF];
  return crc;
}

GlobalData::GlobalData(std::string dataDir, SettingsStore& store, SettingsSection title,
                       FileSystem& files)
    : dataDir_(std::move(dataDir)), files_(files), store_(store), title_(std::move(title)) {}

void GlobalData::warn(std::string message) {
  if (reported_.insert(message).second) warnings_.push_back(std::move(message));
}

std::vector<std::string> GlobalData::takeWarnings() { return std::exchange(warnings_, {}); }

bool GlobalData::ensureFolder() {
  std::string error;
  if (files_.makeDirectories(dataDir_, &error)) return true;
  warn("cannot make the data folder: " + error);
  return false;
}

void GlobalData::writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::string error;
  if (ensureFolder() && !files_.writeFileAtomic(path, bytes, &error))
    warn("cannot write " + path + ": " + error);
}

void GlobalData::startUp(VariableSpaces& vars, int32_t clearCount) {
  completedGames = clearCount;
  loadKaisoData();
  syncGlobalData(SyncDirection::Load, vars);
}

// ---- kaiso.dat ------------------------------------------------------------------------------

void GlobalData::loadKaisoData() {
  const std::string path = kaisoPath();
  recordSlots = {};
  kaisoMayBeWritten_ = true;
  if (files_.kind(path) == PathKind::Missing) {
    writeKaisoData();
    return;
  }
  auto bytes = files_.fileSize(path) == kKaisoSize ? files_.readFile(path) : std::nullopt;
  if (!bytes || bytes->size() != kKaisoSize) {
    DamagedCopy copy = keepDamagedCopy(files_, path);
    if (!copy.kept) {
      kaisoMayBeWritten_ = false;
      warn(path + " is damaged and could not be kept (" + copy.error +
           "); it is left as it is and the record slots start empty");
      return;
    }
    warn(path + " is damaged (not " + std::to_string(kKaisoSize) + " bytes); kept as " +
         copy.keptAs + ", the record slots start empty");
    writeKaisoData();
    return;
  }
  ByteReader r(*bytes);
  for (RecordSlot& slot : recordSlots)
    for (int32_t& scene : slot.scenes) scene = r.i32();
  for (RecordSlot& slot : recordSlots) {
    std::span<const uint8_t> field = r.take(RecordSlot::kNameBytes);
    std::string_view text(reinterpret_cast<const char*>(field.data()), field.size());
    // A name without its NUL keeps what fits before the last byte, as the writer would.
    size_t nul = text.find('\0');
    text = nul != std::string_view::npos
               ? text.substr(0, nul)
               : text.substr(0, sjisCutLength(text, RecordSlot::kNameBytes - 1));
    slot.name = std::string(text);
  }
}

void GlobalData::writeKaisoData() {
  if (!kaisoMayBeWritten_) return;
  ByteWriter w;
  for (const RecordSlot& slot : recordSlots)
    for (int32_t scene : slot.scenes) w.i32(scene);
  for (const RecordSlot& slot : recordSlots) {
    std::string_view name = slot.name;
    name = name.substr(0, std::min(name.find('\0'), name.size()));
    w.nulTerminatedField(name.substr(0, sjisCutLength(name, RecordSlot::kNameBytes - 1)),
                         RecordSlot::kNameBytes);
  }
  writeFile(kaisoPath(), w.take());
}

// ---- save0.dat ------------------------------------------------------------------------------

std::optional<std::array<uint8_t, GlobalData::kBlockBytes>> GlobalData::readSave0(
    bool& mayReplace) {
  const std::string path = save0Path();
  mayReplace = true;
  if (files_.kind(path) == PathKind::Missing) return std::nullopt;

  const char* damage = nullptr;
  std::optional<std::vector<uint8_t>> bytes;
  if (files_.fileSize(path) != kSave0Size)
    damage = "not 11140 bytes";
  else if (!(bytes = files_.readFile(path)) || bytes->size() != kSave0Size)
    damage = "unreadable";
  if (!damage) {
    ByteReader r(*bytes);
    std::span<const uint8_t> blocks = r.take(kBlockBytes);
    if (globalDataChecksum(blocks) == r.u32() && r.ok()) {
      std::array<uint8_t, kBlockBytes> out;
      std::copy(blocks.begin(), blocks.end(), out.begin());
      return out;
    }
    damage = "its checksum does not match";
  }
  DamagedCopy copy = keepDamagedCopy(files_, path);
  if (!copy.kept) {
    mayReplace = false;
    warn(path + " is damaged (" + damage + ") and could not be kept (" + copy.error +
         "); it is left as it is and not written");
  } else {
    warn(path + " is damaged (" + damage + "); kept as " + copy.keptAs +
         ", a new one is written");
  }
  return std::nullopt;
}

void GlobalData::syncGlobalData(SyncDirection direction, VariableSpaces& vars) {
  bool mayReplace = true;
  auto file = readSave0(mayReplace);
  static const std::array<uint8_t, kBlockBytes> kEmpty{};
  if (!file) {
    // A missing or damaged file starts over, and so do the read marks gathered so far.
    vars.readMarks.clear();
    std::fill(blocks_.begin() + kReadMarkAt, blocks_.end(), 0);
  }
  std::span<const uint8_t> from = file ? std::span<const uint8_t>(*file) : kEmpty;
  std::span<uint8_t> kept(blocks_);

  putI32(kept.subspan(kDisplayCounterAt, 4), displayCounter);
  mergeBlock(vars.E, kept.subspan(0, kEFlagBytes), from.subspan(0, kEFlagBytes));
  mergeBlock(vars.galleryBits, kept.subspan(kPictureAt, kPictureBytes),
             from.subspan(kPictureAt, kPictureBytes));
  mergeBlock(vars.recollectionBits, kept.subspan(kSceneAt, kSceneBytes),
             from.subspan(kSceneAt, kSceneBytes));
  mergeBlock(vars.readMarks, kept.subspan(kReadMarkAt, kReadMarkBytes),
             from.subspan(kReadMarkAt, kReadMarkBytes));
  if (direction == SyncDirection::Load) {
    ByteReader r(kept.subspan(kDisplayCounterAt, 4));
    displayCounter = r.i32();
  }
  putI32(kept.subspan(kDisplayCounterAt, 4), displayCounter);

  if (mayReplace) {
    ByteWriter w;
    w.bytes(blocks_.data(), blocks_.size());
    w.u32(globalDataChecksum(blocks_));
    writeFile(save0Path(), w.take());
  }

  std::vector<SettingChange> gv;
  for (size_t k = 0; k < vars.G.size(); ++k) {
    IntSetting name = IntSetting(int(IntSetting::Gv00) + int(k));
    gv.push_back({std::string(settingName(name)), formatSettingInt(vars.G[k])});
  }
  store_.write(title_, gv);

  writeKaisoData();
}

// ---- gameclr --------------------------------------------------------------------------------

int32_t GlobalData::gameclr(VariableSpaces& vars) {
  int32_t count = plusOne(store_.readInt(kCompletedGamesSection, "Clear", 0));
  store_.writeInt(kCompletedGamesSection, "Clear", count);
  if (!sameSettingsSection(title_, kCompletedGamesSection)) {
    // Start-up reads the title's own section; count there too so the next run sees it.
    count = plusOne(store_.readInt(title_, "Clear", 0));
    store_.writeInt(title_, "Clear", count);
  }
  completedGames = count;
  vars.S[100] = count;
  vars.E.set(999);
  syncGlobalData(SyncDirection::Save, vars);
  return count;
}

}  // namespace corvid
