#include "persist/settings_store.h"

#include <cassert>

#include "data/sjis.h"
#include "persist/settings_text.h"

namespace corvid {

namespace {

// At most this many ignored lines are reported per reading of the file; a file of garbage
// would otherwise flood the terminal.
constexpr int kMaxLineWarnings = 20;

std::string parentFolder(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

std::string settingsSectionName(const SettingsSection& s) {
  std::string key = s.key;
  while (sjisEndsWithByte(key, '\\')) key.pop_back();
  std::string_view section = s.section;
  while (!section.empty() && section.front() == '\\') section.remove_prefix(1);
  if (section.empty()) return key;
  return key + "\\" + std::string(section);
}

bool sameSettingsSection(const SettingsSection& a, const SettingsSection& b) {
  return sjisNamesEqual(settingsSectionName(a), settingsSectionName(b));
}

SettingsStore::SettingsStore(std::string path, FileSystem& files)
    : path_(std::move(path)), files_(files) {
  assert(!path_.empty() && "SettingsStore needs the settings file's path");
  reload();
}

void SettingsStore::warn(std::string key, std::string message) {
  if (reported_.insert(std::move(key)).second) warnings_.push_back(std::move(message));
}

std::vector<std::string> SettingsStore::takeWarnings() { return std::exchange(warnings_, {}); }

SettingsStore::ReadResult SettingsStore::readFile(SettingsDocument& doc, std::string& bytes) {
  if (files_.kind(path_) == PathKind::Missing) {
    doc = SettingsDocument();
    bytes.clear();
    return ReadResult::Missing;
  }
  std::string why;
  auto data = files_.readFile(path_, &why);
  if (!data) {
    warn("unreadable", path_ + ": cannot read the settings file (" + why +
                           "); defaults are used and changes are not written to it");
    return ReadResult::Unreadable;
  }
  bytes.assign(data->begin(), data->end());
  std::vector<SettingsIssue> issues;
  doc = SettingsDocument::parse(bytes, &issues);
  int shown = 0, more = 0;
  for (const SettingsIssue& issue : issues) {
    std::string key = "line " + issue.text + '\n' + issue.message;
    if (reported_.count(key)) continue;
    if (shown == kMaxLineWarnings) {
      reported_.insert(std::move(key));  // summed up below, and never reported again
      ++more;
      continue;
    }
    ++shown;
    warn(key, path_ + ":" + std::to_string(issue.line) + ": ignored this line, which " +
                  issue.message);
  }
  if (more)
    warnings_.push_back(path_ + ": and " + std::to_string(more) + " more lines ignored");
  return ReadResult::Read;
}

void SettingsStore::reload() {
  SettingsDocument disk;
  std::string bytes;
  if (readFile(disk, bytes) == ReadResult::Unreadable) return;  // keep what we hold
  doc_ = std::move(disk);
  for (const Pending& p : pending_) doc_.set(p.section, p.change.name, p.change.value);
}

std::optional<std::string> SettingsStore::readText(const SettingsSection& section,
                                                   std::string_view name) {
  auto found = doc_.find(settingsSectionName(section), name);
  if (!found) return std::nullopt;
  return found->value;
}

std::string SettingsStore::readText(const SettingsSection& section, std::string_view name,
                                    std::string_view fallback) {
  auto value = readText(section, name);
  return value ? *value : std::string(fallback);
}

int32_t SettingsStore::readInt(const SettingsSection& section, std::string_view name,
                               int32_t fallback) {
  std::string sectionName = settingsSectionName(section);
  auto found = doc_.find(sectionName, name);
  if (!found) return fallback;
  if (auto value = parseSettingInt(found->value)) return *value;
  std::string where = found->line ? path_ + ":" + std::to_string(found->line) : path_;
  warn("int " + sectionName + '\n' + upperSjisName(name) + '\n' + found->value,
       where + ": \"" + sjisToUtf8(name) + "\" is not a whole number; its default " +
           std::to_string(fallback) + " is used");
  return fallback;
}

bool SettingsStore::writeInt(const SettingsSection& section, std::string_view name,
                             int32_t value) {
  SettingChange change{std::string(name), formatSettingInt(value)};
  return write(section, std::span(&change, 1));
}

bool SettingsStore::writeText(const SettingsSection& section, std::string_view name,
                              std::string_view value) {
  SettingChange change{std::string(name), std::string(value)};
  return write(section, std::span(&change, 1));
}

bool SettingsStore::write(const SettingsSection& section, std::span<const SettingChange> changes) {
  std::string sectionName = settingsSectionName(section);
  for (const SettingChange& change : changes) pending_.push_back({sectionName, change});
  return flushPending();
}

bool SettingsStore::flushPending() {
  SettingsDocument disk;
  std::string before;
  ReadResult read = readFile(disk, before);
  // The file as it is now plus everything not yet written; when the file cannot be read it
  // is left alone (writing over it would lose what it holds), and memory still changes.
  SettingsDocument next = read == ReadResult::Unreadable ? doc_ : std::move(disk);
  for (const Pending& p : pending_) next.set(p.section, p.change.name, p.change.value);
  doc_ = std::move(next);
  if (read == ReadResult::Unreadable) return false;

  std::string after = doc_.serialize();
  if (read == ReadResult::Read && after == before) {
    pending_.clear();
    return true;
  }
  std::string error;
  if (!files_.makeDirectories(parentFolder(path_), &error) ||
      !files_.writeFileAtomic(path_, std::vector<uint8_t>(after.begin(), after.end()), &error)) {
    warn("write " + error, path_ + ": cannot write the settings file: " + error +
                               "; the changes hold until the engine ends");
    return false;
  }
  pending_.clear();
  return true;
}

}  // namespace corvid
