#include "persist/persist_paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "data/sjis.h"

namespace corvid {

namespace {

// An XDG base folder: the variable when it holds an absolute path, else ~/ + `fallback`.
std::string xdgBase(const char* variable, const char* fallback) {
  const char* value = std::getenv(variable);
  if (value && value[0] == '/') return value;
  const char* home = std::getenv("HOME");
  return std::string(home && home[0] ? home : ".") + "/" + fallback;
}

bool writableFolder(const std::string& dir) {
  struct stat st;
  return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
         ::access(dir.c_str(), W_OK | X_OK) == 0;
}

std::string safeFileName(std::string_view gameIdSjis) {
  std::string name = sjisToUtf8(gameIdSjis);
  for (char& c : name)
    if (c == '/' || c == '\0') c = '_';
  if (name.empty() || name == "." || name == "..") name = "_";
  return name;
}

}  // namespace

std::string defaultSettingsPath() { return xdgBase("XDG_CONFIG_HOME", ".config") + "/corvid/settings.ini"; }

std::string chooseDataDir(const std::string& dataDirOption, const std::string& titleDir,
                          std::string_view gameIdSjis) {
  if (!dataDirOption.empty()) return dataDirOption;
  if (!titleDir.empty() && writableFolder(titleDir)) return titleDir;
  return xdgBase("XDG_DATA_HOME", ".local/share") + "/corvid/" + safeFileName(gameIdSjis);
}

}  // namespace corvid
