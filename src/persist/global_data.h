#pragma once
// GlobalData: the progress that belongs to the player rather than to one play-through, kept
// in two files of the data folder and in the settings store.
//
// "save0.dat" (11140 bytes), merged with the engine's variable spaces at every
// synchronisation by a bitwise OR, so that no bit once set is lost:
//   0      128    E flags
//   128    512    picture-seen (gallery) flags; bytes 508..511: the display counter (int32)
//   640    256    scene-seen (recollection) flags
//   896    10240  read marks
//   11136  4      checksum of bytes 0..11135 (see globalDataChecksum)
// Bit n of a block is bit n % 8 of byte n / 8. Bytes past the engine's own bit spaces (the
// spare bytes of each block) are kept as the file has them.
//
// "kaiso.dat" (2640 bytes): the ten recollection record slots (playlists):
//   0      2000   10 slots x 50 int32 scene numbers; 0 ends a slot's list
//   2000   640    10 names x 64 bytes, NUL-terminated Shift_JIS
//
// The settings store holds GV0..GV9 ("GV00".."GV09", written at every synchronisation) and the
// completed-games count "Clear".
//
// Damaged files: a "save0.dat" of the wrong size or with a wrong checksum is treated as empty
// (its flags are dropped and the read marks in memory are cleared, as for a missing file),
// and a "kaiso.dat" of the wrong size is taken as empty. Before either is replaced, the
// damaged file is kept beside it ("save0.dat.damaged", see damaged_copy.h); when no copy can
// be kept, the damaged file is left as it is and not written over.
//
// Every file is written whole and atomically (temporary file, flush, rename), through the
// FileSystem given (the disk unless a test or a fuzz target gives a memory one).

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "persist/file_system.h"
#include "persist/settings_store.h"

namespace corvid {

struct VariableSpaces;

// CRC-32 with the reflected polynomial 0xEDB88320, started from 1234 and not inverted at the
// end. Pass the previous result as `crc` to continue over several blocks.
uint32_t globalDataChecksum(std::span<const uint8_t> bytes, uint32_t crc = 1234);

enum class SyncDirection { Load, Save };

struct RecordSlot {
  static constexpr int kScenes = 50;
  static constexpr int kNameBytes = 64;  // 63 bytes of text and a NUL
  std::array<int32_t, kScenes> scenes{};  // scene numbers in order; 0 ends the list
  std::string name;                       // Shift_JIS; empty until the screen names it

  bool operator==(const RecordSlot&) const = default;
};

class GlobalData {
 public:
  static constexpr size_t kEFlagBytes = 128;
  static constexpr size_t kPictureBytes = 512;
  static constexpr size_t kSceneBytes = 256;
  static constexpr size_t kReadMarkBytes = 10240;
  static constexpr size_t kBlockBytes = kEFlagBytes + kPictureBytes + kSceneBytes + kReadMarkBytes;
  static constexpr size_t kSave0Size = kBlockBytes + 4;  // 11140
  static constexpr size_t kDisplayCounterAt = kEFlagBytes + kPictureBytes - 4;
  static constexpr int kRecordSlots = 10;
  static constexpr size_t kKaisoSize =
      size_t(kRecordSlots) * (RecordSlot::kScenes * 4 + RecordSlot::kNameBytes);  // 2640

  // The store and section are where GV0..GV9 and "Clear" live; the store and the file system
  // must outlive this object.
  GlobalData(std::string dataDir, SettingsStore& store, SettingsSection title,
             FileSystem& files = realFileSystem());

  const std::string& dataDir() const { return dataDir_; }
  std::string save0Path() const { return dataDir_ + "/save0.dat"; }
  std::string kaisoPath() const { return dataDir_ + "/kaiso.dat"; }

  // The start-up sequence of this part: completed games := the "Clear" count read with the
  // player settings, then loadKaisoData, then syncGlobalData(Load). GV0..GV9 must already hold
  // the stored values (applyPlayerSettings), since the synchronisation writes them back.
  void startUp(VariableSpaces& vars, int32_t clearCount);

  // Makes sure "kaiso.dat" exists (created empty when missing) and reads the record slots.
  void loadKaisoData();

  // Merges "save0.dat" into the variable spaces and writes it back, writes GV0..GV9 to the
  // store and rewrites "kaiso.dat" (once loadKaisoData has read it). Load only at start-up;
  // Save after saving a slot, before and after loading one, at gameclr and when the main
  // window closes.
  void syncGlobalData(SyncDirection direction, VariableSpaces& vars);

  // Counts a completed game: "Clear" + 1 in the completed-games section; when the title is
  // configured with another key or section, its own "Clear" is counted as well and is the
  // one start-up reads, so the count adds up from run to run. completedGames and S100 := the
  // title's count; E999 set; syncGlobalData(Save). Returns the new count.
  int32_t gameclr(VariableSpaces& vars);

  // Warnings not yet taken (files kept as damaged, files that could not be written).
  std::vector<std::string> takeWarnings();

  int32_t displayCounter = 0;  // sprite changes shown while not skipping (sprite layer adds)
  int32_t completedGames = 0;  // S100 mirrors it
  std::array<RecordSlot, kRecordSlots> recordSlots;

 private:
  // What the last merge left in each byte of the four blocks, for the bits that no variable
  // space holds (spare bytes; the bits past the last read mark).
  std::array<uint8_t, kBlockBytes> blocks_{};

  std::optional<std::array<uint8_t, kBlockBytes>> readSave0(bool& mayReplace);
  bool ensureFolder();
  void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
  void writeKaisoData();
  void warn(std::string message);

  std::string dataDir_;
  FileSystem& files_;
  SettingsStore& store_;
  SettingsSection title_;
  // "kaiso.dat" is written only once it has been read (a synchronisation before that would
  // overwrite the playlists with empty ones), and not while a damaged one could not be kept.
  bool kaisoMayBeWritten_ = false;
  std::vector<std::string> warnings_;
  std::set<std::string> reported_;
};

}  // namespace corvid
