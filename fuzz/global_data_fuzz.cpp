// The global data files on arbitrary bytes, on a memory file system (nothing is written to
// disk or flushed): "save0.dat" and "kaiso.dat" are read, merged and written back, and a game
// is counted as completed. Afterwards "save0.dat" is whole (right size, matching checksum), a
// valid input kept every flag it had, a damaged one is kept beside, and on a full disk or
// where a folder stands in the way the files are left as they were.
//
// Input: a mode byte, then the bytes of "save0.dat"; "kaiso.dat" is the input from byte 100
// on. Mode bits:
//   0  fix the checksum of a "save0.dat" of the right size (so valid files are reached)
//   1  sparse: "save0.dat" is 11140 zero bytes with the input's (offset low, offset high,
//      value) triples poked in, so that short inputs reach the valid-file paths
//   2  "kaiso.dat" is cut or padded to its right size
//   3  a folder stands where "save0.dat" would be
//   4  a folder stands where "kaiso.dat" would be
//   5  every write fails (a full disk)
//   6  no hard links (damaged files are copied)
//   7  gameclr is played after the start-up

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "data/byte_reader.h"
#include "persist/file_system.h"
#include "persist/global_data.h"
#include "script/variables.h"

namespace {

using namespace corvid;
using Bytes = std::vector<uint8_t>;

void require(bool ok) {
  if (!ok) std::abort();
}

bool save0IsWhole(const Bytes& bytes) {
  if (bytes.size() != GlobalData::kSave0Size) return false;
  ByteReader r(bytes);
  auto blocks = r.take(GlobalData::kBlockBytes);
  return globalDataChecksum(blocks) == r.u32();
}

Bytes save0From(uint8_t mode, std::span<const uint8_t> body) {
  Bytes save0(body.begin(), body.end());
  if (mode & 2) {
    save0.assign(GlobalData::kSave0Size, 0);
    for (size_t i = 0; i + 2 < body.size(); i += 3)
      save0[(body[i] | size_t(body[i + 1]) << 8) % GlobalData::kSave0Size] = body[i + 2];
  }
  if ((mode & 1) && save0.size() == GlobalData::kSave0Size) {
    uint32_t crc = globalDataChecksum(std::span(save0).first(GlobalData::kBlockBytes));
    for (int k = 0; k < 4; ++k) save0[GlobalData::kBlockBytes + size_t(k)] = uint8_t(crc >> (8 * k));
  }
  return save0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t mode = data[0];
  const std::span<const uint8_t> body(data + 1, size - 1);
  const bool save0Folder = mode & 8, kaisoFolder = mode & 16, fullDisk = mode & 32;
  // An empty body leaves "save0.dat" missing; a body of up to 100 bytes, "kaiso.dat".
  const bool save0Missing = body.empty() && !(mode & 2);
  const bool kaisoMissing = body.size() <= 100 && !(mode & 4);
  const Bytes save0 = save0From(mode, body);
  Bytes kaiso(body.begin() + std::min<size_t>(100, body.size()), body.end());
  if (mode & 4) kaiso.resize(GlobalData::kKaisoSize);

  const std::string dir = "/data/FUZZ", save0Path = dir + "/save0.dat",
                    kaisoPath = dir + "/kaiso.dat";
  MemoryFileSystem fs;
  fs.putFolder(dir);
  if (save0Folder) fs.putFolder(save0Path);
  else if (!save0Missing) fs.putFile(save0Path, save0);
  if (kaisoFolder) fs.putFolder(kaisoPath);
  else if (!kaisoMissing) fs.putFile(kaisoPath, kaiso);
  fs.writesFail = fullDisk;
  fs.linksFail = mode & 64;

  SettingsStore store(dir + "/settings.ini", fs);
  VariableSpaces vars;
  vars.E.set(17);
  vars.readMarks.set(5);
  GlobalData global(dir, store, {"Software\\Corvid", "FUZZ"}, fs);
  global.startUp(vars, 0);
  if (mode & 128) require(global.gameclr(vars) == 1 && vars.E.get(999));
  global.syncGlobalData(SyncDirection::Save, vars);
  (void)global.takeWarnings();
  require(vars.E.get(17));
  for (const RecordSlot& slot : global.recordSlots) require(slot.name.size() < 64);

  auto file = [&](const std::string& path) {
    auto it = fs.files().find(path);
    return it == fs.files().end() ? nullptr : &it->second;
  };
  const Bytes* written = file(save0Path);
  if (save0Folder) {
    require(!written && fs.kind(save0Path) == PathKind::Other);
  } else if (fullDisk) {
    require(save0Missing ? !written : written && *written == save0);
  } else {
    require(written && save0IsWhole(*written));
    if (save0IsWhole(save0)) {
      for (size_t i = 0; i < GlobalData::kBlockBytes; ++i)
        require(((*written)[i] & save0[i]) == save0[i]);
    } else if (!save0Missing) {
      const Bytes* kept = file(save0Path + ".damaged");
      require(kept && *kept == save0);
    }
  }

  const Bytes* writtenKaiso = file(kaisoPath);
  if (kaisoFolder) {
    require(!writtenKaiso && fs.kind(kaisoPath) == PathKind::Other);
  } else if (fullDisk) {
    require(kaisoMissing ? !writtenKaiso : writtenKaiso && *writtenKaiso == kaiso);
  } else {
    require(writtenKaiso && writtenKaiso->size() == GlobalData::kKaisoSize);
    if (kaiso.size() == GlobalData::kKaisoSize)  // the playlists themselves are kept
      require(std::equal(kaiso.begin(), kaiso.begin() + 2000, writtenKaiso->begin()));
  }
  return 0;
}
