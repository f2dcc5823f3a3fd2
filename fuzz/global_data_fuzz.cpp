// The global data files on arbitrary bytes: "save0.dat" and "kaiso.dat" are read, merged and
// written back without a crash; afterwards "save0.dat" is always whole (right size, matching
// checksum), a valid input keeps every flag it had, and a damaged one is kept beside.

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "data/byte_reader.h"
#include "data/file_io.h"
#include "persist/global_data.h"
#include "script/variables.h"

namespace {

void require(bool ok) {
  if (!ok) std::abort();
}

// One folder per process, on a memory file system when there is one (writes are flushed),
// removed at exit. Kept on the heap so that it outlives the exit handlers.
const std::string& folder() {
  static const std::string* dir = [] {
    std::string base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
    auto* path = new std::string(base + "/corvid-fuzz-global-XXXXXX");
    require(::mkdtemp(path->data()) != nullptr);
    return path;
  }();
  static const bool cleanUp = std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(*dir, ignored);
  }) == 0;
  (void)cleanUp;
  return *dir;
}

bool save0IsWhole(const std::vector<uint8_t>& bytes) {
  if (bytes.size() != corvid::GlobalData::kSave0Size) return false;
  corvid::ByteReader r(bytes);
  auto blocks = r.take(corvid::GlobalData::kBlockBytes);
  return corvid::globalDataChecksum(blocks) == r.u32();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace corvid;
  const std::string& dir = folder();
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    std::filesystem::remove_all(entry.path());

  // The input is "save0.dat"; its tail from byte 100 on is also "kaiso.dat". An input of the
  // exact size gets its checksum fixed when its first byte is odd, so valid files are covered.
  std::vector<uint8_t> save0(data, data + size);
  if (save0.size() == GlobalData::kSave0Size && (save0[0] & 1)) {
    uint32_t crc = globalDataChecksum(std::span(save0).first(GlobalData::kBlockBytes));
    for (int k = 0; k < 4; ++k) save0[GlobalData::kBlockBytes + size_t(k)] = uint8_t(crc >> (8 * k));
  }
  std::vector<uint8_t> kaiso(size > 100 ? data + 100 : data + size, data + size);
  require(writeFileAtomic(dir + "/save0.dat", save0));
  require(writeFileAtomic(dir + "/kaiso.dat", kaiso));

  SettingsStore store(dir + "/settings.ini");
  VariableSpaces vars;
  GlobalData global(dir, store, {"Software\\Corvid", "FUZZ"});
  global.startUp(vars, 0);
  global.syncGlobalData(SyncDirection::Save, vars);

  auto written = readWholeFile(dir + "/save0.dat");
  require(written && save0IsWhole(*written));
  if (save0IsWhole(save0)) {
    for (size_t i = 0; i < GlobalData::kBlockBytes; ++i) require(((*written)[i] & save0[i]) == save0[i]);
  } else {
    require(readWholeFile(dir + "/save0.dat.damaged") == save0);
  }
  require(fileSize(dir + "/kaiso.dat") == GlobalData::kKaisoSize);
  for (const RecordSlot& slot : global.recordSlots) require(slot.name.size() < 64);
  return 0;
}
