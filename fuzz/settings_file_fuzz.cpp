// The settings file on arbitrary bytes, as a document: written back it reads to the same
// values, any text round-trips in every role, and values set into it read back exactly. The
// store that reads and writes the file has its own target (settings_store_fuzz.cpp).

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "persist/settings_document.h"
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
  doc.set(section, "FuzzValue", bytes);
  doc.set("Software\\Corvid\\FUZZ", "Other", section);
  SettingsDocument reread = SettingsDocument::parse(doc.serialize());
  auto value = reread.find(section, "fuzzvalue");
  auto other = reread.find("software\\corvid\\fuzz", "OTHER");
  require(value && value->value == bytes && other && other->value == section);

  return 0;
}
