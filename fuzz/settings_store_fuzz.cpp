// The settings store on arbitrary bytes as its file, on a memory file system (nothing is
// written to disk): it reads and writes values of its own section and every value of the
// other sections stays as it was; on a full disk it keeps the old file and holds its new
// values in memory. Inputs whose length is a multiple of 5 meet a full disk.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "data/sjis.h"
#include "persist/file_system.h"
#include "persist/settings_document.h"
#include "persist/settings_store.h"

namespace {

using namespace corvid;

void require(bool ok) {
  if (!ok) std::abort();
}

const SettingsSection kTitle{"Software\\Corvid", "FUZZ"};

// The store reads the bytes as its file, reads and writes values of its own section; every
// value of the other sections stays as it was.
void throughTheStore(const std::string& bytes, const SettingsDocument& doc, bool fullDisk) {
  const std::string path = "/cfg/corvid/settings.ini";
  MemoryFileSystem fs;
  fs.putFile(path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
  SettingsStore store(path, fs);
  (void)store.readInt(kTitle, "Vol1", -1);
  (void)store.readText(kTitle, "PlayerName", "");
  fs.writesFail = fullDisk;
  const std::string text = bytes.substr(0, 40);
  store.writeInt(kTitle, "FuzzInt", -12345);
  store.writeText(kTitle, "FuzzText", text);
  (void)store.takeWarnings();
  require(store.readInt(kTitle, "fuzzint", 0) == -12345 && store.readText(kTitle, "FUZZTEXT") == text);
  if (fullDisk) {
    require(fs.files().at(path) == std::vector<uint8_t>(bytes.begin(), bytes.end()));
    return;
  }
  SettingsStore again(path, fs);
  require(again.readInt(kTitle, "FuzzInt", 0) == -12345 && again.readText(kTitle, "FuzzText") == text);
  const std::string title = upperSjisName(settingsSectionName(kTitle));
  const std::vector<uint8_t>& file = fs.files().at(path);
  SettingsDocument written = SettingsDocument::parse(std::string(file.begin(), file.end()));
  for (const SettingsEntry& e : doc.entries()) {
    if (upperSjisName(e.section) == title) continue;
    auto before = doc.find(e.section, e.name);
    auto after = written.find(e.section, e.name);
    require(before && after && before->value == after->value);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  throughTheStore(bytes, SettingsDocument::parse(bytes), size % 5 == 0);
  return 0;
}
