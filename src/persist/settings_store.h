#pragma once
// SettingsStore: the player's settings, one text file per user (see settings_document.h for
// its format), standing in for the per-user registry of the original platform.
//
// Values live under a key (a path such as "Software\Maker") and a section below it (the
// title's id); the file names the pair as one section "[Software\Maker\GAME01]". Every value
// is a text; integers are decimal text. Names and sections match without regard to case.
//
// Reading never fails: a missing file, section or value, or a value that is not a number when
// a number is asked for, gives the caller's default. Lines and values the store had to ignore
// are collected as warnings, each reported once (takeWarnings; the engine prints them on
// stderr) with the file and line.
//
// Writing goes to the file at once: the file is read again, the change applied to it (so
// values of other sections and titles, and lines written by hand, are kept) and the whole file
// written atomically (temporary file, flush, rename): a crash at any moment leaves the old or
// the new file (through the FileSystem given: the disk unless a test or a fuzz target gives a
// memory one). A write that fails is kept in memory and tried again with the next write; the
// value reads back as written meanwhile.

#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "persist/file_system.h"
#include "persist/settings_document.h"

namespace corvid {

// A registry key and a section below it, both Shift_JIS.
struct SettingsSection {
  std::string key;      // the configuration's MAKER_REG
  std::string section;  // the configuration's GAME_ID
};

// Where every title's "Clear" count is read and written by gameclr.
inline const SettingsSection kCompletedGamesSection{"Software\\Vesperel", "tarn"};

// The file's section name for a key and section: "key\section", the key's trailing and the
// section's leading backslashes dropped; the key alone when the section is empty.
std::string settingsSectionName(const SettingsSection& section);

// Whether two key/section pairs name the same section of the store.
bool sameSettingsSection(const SettingsSection& a, const SettingsSection& b);

struct SettingChange {
  std::string name;   // the value name
  std::string value;  // Shift_JIS text (use formatSettingInt for integers)
};

class SettingsStore {
 public:
  // Reads the file at `path` (a missing file is an empty store); `files` must outlive the store.
  explicit SettingsStore(std::string path, FileSystem& files = realFileSystem());

  const std::string& path() const { return path_; }

  // Reads the file again, e.g. after another program changed it.
  void reload();

  std::optional<std::string> readText(const SettingsSection& section, std::string_view name);
  std::string readText(const SettingsSection& section, std::string_view name,
                       std::string_view fallback);
  // A value that is not a decimal integer gives the default (and a warning naming its line).
  int32_t readInt(const SettingsSection& section, std::string_view name, int32_t fallback);

  // Write at once; false when the file could not be written (the warning says why).
  bool writeInt(const SettingsSection& section, std::string_view name, int32_t value);
  bool writeText(const SettingsSection& section, std::string_view name, std::string_view value);
  // Several values of one section with a single rewrite of the file, in the given order.
  bool write(const SettingsSection& section, std::span<const SettingChange> changes);

  // Every value as the engine holds it now, in file order (for the headless state file).
  std::vector<SettingsEntry> entries() const { return doc_.entries(); }

  // Warnings not taken yet, each a full sentence naming the file (and line when there is one).
  std::vector<std::string> takeWarnings();

 private:
  struct Pending {
    std::string section;  // settingsSectionName
    SettingChange change;
  };
  enum class ReadResult { Read, Missing, Unreadable };

  ReadResult readFile(SettingsDocument& doc, std::string& bytes);
  void warn(std::string key, std::string message);
  bool flushPending();

  std::string path_;
  FileSystem& files_;
  SettingsDocument doc_;
  std::vector<Pending> pending_;  // writes that have not reached the file yet
  std::vector<std::string> warnings_;
  std::set<std::string> reported_;  // keys of warnings already given
};

}  // namespace corvid
