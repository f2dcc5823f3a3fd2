// The settings file on arbitrary bytes, as a document and through the store (on a memory file
// system: nothing is written to disk). The document written back reads to the same values,
// any text round-trips in every role, and the store keeps every value of other sections when
// it writes its own, and on a full disk keeps the old file and its new values in memory.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "data/sjis.h"
#include "persist/file_system.h"
#include "persist/settings_document.h"
#include "persist/settings_store.h"
#include "persist/settings_text.h"

namespace {

using namespace corvid;

void require(bool ok) {
  if (!ok) std::abort();
}

bool sameEntries(const std::vector<SettingsEntry>& a, const std::vector<SettingsEntry>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].section != b[i].section || a[i].name != b[i].name || a[i].value != b[i].value)
      return false;
  return true;
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

  // A file: written back unchanged, it reads to the same values.
  std::vector<SettingsIssue> issues;
  SettingsDocument doc = SettingsDocument::parse(bytes, &issues);
  SettingsDocument again = SettingsDocument::parse(doc.serialize());
  require(sameEntries(doc.entries(), again.entries()));
  for (const SettingsEntry& e : doc.entries()) (void)parseSettingInt(e.value);

  // The same bytes as a text: any role round-trips.
  for (SettingTextRole role :
       {SettingTextRole::Value, SettingTextRole::Name, SettingTextRole::Section}) {
    std::string decoded;
    require(decodeSettingText(encodeSettingText(bytes, role), decoded) && decoded == bytes);
  }

  // The bytes as a value and as a section name, set into the file they came from.
  std::string section = bytes.substr(0, bytes.size() / 3);
  SettingsDocument changed = doc;
  changed.set(section, "FuzzValue", bytes);
  changed.set("Software\\Corvid\\FUZZ", "Other", section);
  SettingsDocument reread = SettingsDocument::parse(changed.serialize());
  auto value = reread.find(section, "fuzzvalue");
  auto other = reread.find("software\\corvid\\fuzz", "OTHER");
  require(value && value->value == bytes && other && other->value == section);

  throughTheStore(bytes, doc, size % 5 == 0);
  return 0;
}
