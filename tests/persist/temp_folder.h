#pragma once
// A fresh folder under /tmp for one test, removed with everything in it afterwards.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "data/file_io.h"

namespace corvid {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "corvid-persist-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline std::string readText(const std::string& path) {
  auto bytes = readWholeFile(path);
  return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<missing>");
}

inline void writeText(const std::string& path, const std::string& text) {
  writeFileAtomic(path, std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace corvid
