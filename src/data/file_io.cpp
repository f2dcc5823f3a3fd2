#include "data/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace corvid {

bool fileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<uint64_t> fileSize(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return uint64_t(st.st_size);
}

namespace {

bool readFully(int fd, uint8_t* out, size_t n) {
  while (n > 0) {
    ssize_t r = ::read(fd, out, n);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    out += r;
    n -= size_t(r);
  }
  return true;
}

bool writeFully(int fd, const uint8_t* p, size_t n) {
  while (n > 0) {
    ssize_t r = ::write(fd, p, n);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    p += r;
    n -= size_t(r);
  }
  return true;
}

}  // namespace

bool readFileRangeInto(const std::string& path, uint64_t offset, uint64_t size,
                       std::vector<uint8_t>& out) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  bool ok = false;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && offset <= uint64_t(st.st_size) &&
      size <= uint64_t(st.st_size) - offset) {
    out.resize(size);
    ok = ::lseek(fd, off_t(offset), SEEK_SET) == off_t(offset) && readFully(fd, out.data(), size);
  }
  ::close(fd);
  return ok;
}

std::optional<std::vector<uint8_t>> readFileRange(const std::string& path, uint64_t offset,
                                                  uint64_t size) {
  std::vector<uint8_t> bytes;
  if (!readFileRangeInto(path, offset, size, bytes)) return std::nullopt;
  return bytes;
}

std::optional<std::vector<uint8_t>> readWholeFile(const std::string& path) {
  auto size = fileSize(path);
  if (!size) return std::nullopt;
  return readFileRange(path, 0, *size);
}

bool writeFileAtomic(const std::string& path, const std::vector<uint8_t>& bytes,
                     std::string* error) {
  auto failWith = [&](const char* what, int fd, const std::string& tmp) {
    if (error) *error = std::string(what) + " " + tmp + ": " + std::strerror(errno);
    if (fd >= 0) ::close(fd);
    if (!tmp.empty()) ::unlink(tmp.c_str());
    return false;
  };
  std::string tmp = path + ".tmpXXXXXX";
  int fd = ::mkstemp(tmp.data());
  if (fd < 0) return failWith("cannot create", -1, std::string());
  if (!writeFully(fd, bytes.data(), bytes.size())) return failWith("cannot write", fd, tmp);
  if (::fsync(fd) != 0) return failWith("cannot flush", fd, tmp);
  ::fchmod(fd, 0644);
  if (::close(fd) != 0) return failWith("cannot close", -1, tmp);
  if (::rename(tmp.c_str(), path.c_str()) != 0) return failWith("cannot rename", -1, tmp);
  // Make the rename itself durable.
  std::string dir = path.substr(0, path.find_last_of('/') == std::string::npos
                                       ? 0
                                       : path.find_last_of('/'));
  int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return true;
}

bool makeDirectories(const std::string& dir, std::string* error) {
  if (dir.empty()) return true;
  struct stat st;
  // Every prefix ending before a '/' is a parent; the whole path comes last.
  for (size_t end = dir.find('/', 1);; end = dir.find('/', end + 1)) {
    std::string part = dir.substr(0, end);
    if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) {
      if (error) *error = "cannot create " + part + ": " + std::strerror(errno);
      return false;
    }
    if (end == std::string::npos) break;
  }
  if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    if (error) *error = dir + " is not a folder";
    return false;
  }
  return true;
}

}  // namespace corvid
