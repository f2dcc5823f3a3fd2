#pragma once
// FileSystem: the few file operations the player's files need (the settings store, the global
// data and the kept copies of damaged files), so that the same code runs on the disk or in
// memory.
//
// Sections: the interface · the real one · the memory one.
//
// realFileSystem() is the disk, written through data/file_io's atomic write (temporary file,
// flush, rename): the engine uses it. MemoryFileSystem keeps files and folders in maps and can
// be told to refuse writes or links: the tests and the fuzz targets use it, so that they write
// nothing and wait for no flush.

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace corvid {

// ---- The interface ----------------------------------------------------------------------------

enum class PathKind {
  Missing,  // nothing at the path (a link to nothing is not missing: it is Other)
  File,     // a regular file
  Other,    // a folder, a link, or something that cannot be examined
};

enum class LinkResult { Linked, Exists, Failed };

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // What is at the path; links are not followed.
  virtual PathKind kind(const std::string& path) const = 0;
  // Size of the regular file at the path (links followed), or nothing.
  virtual std::optional<uint64_t> fileSize(const std::string& path) const = 0;
  // The whole file, or nothing with `error` saying why.
  virtual std::optional<std::vector<uint8_t>> readFile(const std::string& path,
                                                       std::string* error = nullptr) const = 0;
  // Replaces the file whole: a crash or a full disk at any moment leaves the old or the new
  // file. On failure `error` says why and the old file is untouched.
  virtual bool writeFileAtomic(const std::string& path, const std::vector<uint8_t>& bytes,
                               std::string* error = nullptr) = 0;
  // Creates the folder and any missing parents; true when it exists afterwards.
  virtual bool makeDirectories(const std::string& dir, std::string* error = nullptr) = 0;
  // A second name `to` for the file `from` (a hard link); Exists when `to` is taken, Failed
  // when the folder has no links or `from` cannot be linked.
  virtual LinkResult link(const std::string& from, const std::string& to) = 0;
};

// ---- The real one -----------------------------------------------------------------------------

FileSystem& realFileSystem();

// ---- The memory one ---------------------------------------------------------------------------

// Paths are taken as written (no "." or ".." resolved); a path's folder is the text before its
// last "/", and a path without one (or directly under "/") lies in a folder that always exists.
// A file can be written only into an existing folder, as on the disk.
class MemoryFileSystem final : public FileSystem {
 public:
  PathKind kind(const std::string& path) const override;
  std::optional<uint64_t> fileSize(const std::string& path) const override;
  std::optional<std::vector<uint8_t>> readFile(const std::string& path,
                                               std::string* error = nullptr) const override;
  bool writeFileAtomic(const std::string& path, const std::vector<uint8_t>& bytes,
                       std::string* error = nullptr) override;
  bool makeDirectories(const std::string& dir, std::string* error = nullptr) override;
  LinkResult link(const std::string& from, const std::string& to) override;

  // Setting up and looking: a file with its folders made; a folder (with its parents).
  void putFile(const std::string& path, std::vector<uint8_t> bytes);
  void putFolder(const std::string& path);
  void remove(const std::string& path);
  const std::map<std::string, std::vector<uint8_t>>& files() const { return files_; }

  bool writesFail = false;  // every write refused as on a full disk (the old file stays)
  bool linksFail = false;   // no hard links, as on some folders (copies are written instead)
  int writes = 0;           // writes that succeeded

 private:
  std::map<std::string, std::vector<uint8_t>> files_;
  std::set<std::string> folders_;
};

}  // namespace corvid
