#include "persist/file_system.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "data/file_io.h"

namespace corvid {

namespace {

// ---- The real one -----------------------------------------------------------------------------

class RealFileSystem final : public FileSystem {
 public:
  PathKind kind(const std::string& path) const override {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
      return errno == ENOENT || errno == ENOTDIR ? PathKind::Missing : PathKind::Other;
    return S_ISREG(st.st_mode) ? PathKind::File : PathKind::Other;
  }

  std::optional<uint64_t> fileSize(const std::string& path) const override {
    return corvid::fileSize(path);
  }

  std::optional<std::vector<uint8_t>> readFile(const std::string& path,
                                               std::string* error) const override {
    errno = 0;
    auto bytes = readWholeFile(path);
    if (!bytes && error) *error = std::strerror(errno ? errno : EIO);
    return bytes;
  }

  bool writeFileAtomic(const std::string& path, const std::vector<uint8_t>& bytes,
                       std::string* error) override {
    return corvid::writeFileAtomic(path, bytes, error);
  }

  bool makeDirectories(const std::string& dir, std::string* error) override {
    return corvid::makeDirectories(dir, error);
  }

  LinkResult link(const std::string& from, const std::string& to) override {
    if (::link(from.c_str(), to.c_str()) == 0) return LinkResult::Linked;
    return errno == EEXIST ? LinkResult::Exists : LinkResult::Failed;
  }
};

// ---- The memory one ---------------------------------------------------------------------------

// The folder a path lies in; empty for the top (no "/", or directly under "/").
std::string folderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos || slash == 0 ? std::string() : path.substr(0, slash);
}

}  // namespace

FileSystem& realFileSystem() {
  static RealFileSystem real;
  return real;
}

PathKind MemoryFileSystem::kind(const std::string& path) const {
  if (files_.count(path)) return PathKind::File;
  return folders_.count(path) ? PathKind::Other : PathKind::Missing;
}

std::optional<uint64_t> MemoryFileSystem::fileSize(const std::string& path) const {
  auto it = files_.find(path);
  if (it == files_.end()) return std::nullopt;
  return it->second.size();
}

std::optional<std::vector<uint8_t>> MemoryFileSystem::readFile(const std::string& path,
                                                               std::string* error) const {
  auto it = files_.find(path);
  if (it != files_.end()) return it->second;
  if (error) *error = folders_.count(path) ? "Is a directory" : "No such file or directory";
  return std::nullopt;
}

bool MemoryFileSystem::writeFileAtomic(const std::string& path, const std::vector<uint8_t>& bytes,
                                       std::string* error) {
  auto refuse = [&](const char* why) {
    if (error) *error = "cannot write " + path + ": " + why;
    return false;
  };
  if (writesFail) return refuse("No space left on device");
  std::string folder = folderOf(path);
  if (!folder.empty() && !folders_.count(folder)) return refuse("No such file or directory");
  if (folders_.count(path)) return refuse("Is a directory");
  files_[path] = bytes;
  ++writes;
  return true;
}

bool MemoryFileSystem::makeDirectories(const std::string& dir, std::string* error) {
  if (dir.empty()) return true;
  for (size_t end = dir.find('/', 1);; end = dir.find('/', end + 1)) {
    std::string part = dir.substr(0, end);
    if (files_.count(part)) {
      if (error) *error = "cannot create " + part + ": File exists";
      return false;
    }
    folders_.insert(part);
    if (end == std::string::npos) return true;
  }
}

LinkResult MemoryFileSystem::link(const std::string& from, const std::string& to) {
  if (kind(to) != PathKind::Missing) return LinkResult::Exists;
  auto it = files_.find(from);
  std::string folder = folderOf(to);
  if (linksFail || it == files_.end() || (!folder.empty() && !folders_.count(folder)))
    return LinkResult::Failed;
  // Files are replaced whole, never changed in place, so a copy behaves as a second name.
  files_[to] = it->second;
  return LinkResult::Linked;
}

void MemoryFileSystem::putFile(const std::string& path, std::vector<uint8_t> bytes) {
  makeDirectories(folderOf(path));
  files_[path] = std::move(bytes);
}

void MemoryFileSystem::putFolder(const std::string& path) { makeDirectories(path); }

void MemoryFileSystem::remove(const std::string& path) {
  files_.erase(path);
  folders_.erase(path);
}

}  // namespace corvid
