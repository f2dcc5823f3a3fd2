#pragma once
// Whole-file and ranged reads, and atomic writes. Files are opened for one read or write and
// closed at once; nothing stays open between calls.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvid {

bool fileExists(const std::string& path);

// The whole file, or nothing when it cannot be opened or read.
std::optional<std::vector<uint8_t>> readWholeFile(const std::string& path);

// `size` bytes from `offset`; nothing when the file cannot be opened or the range runs past
// its end.
std::optional<std::vector<uint8_t>> readFileRange(const std::string& path, uint64_t offset,
                                                  uint64_t size);
// The same into a buffer the caller keeps (resized to `size`, its capacity reused), so that
// repeated reads allocate nothing once it is large enough. On failure `out` holds no useful
// bytes.
bool readFileRangeInto(const std::string& path, uint64_t offset, uint64_t size,
                       std::vector<uint8_t>& out);

// Size of the file in bytes, or nothing.
std::optional<uint64_t> fileSize(const std::string& path);

// Writes the file so that a crash or a full disk at any moment leaves either the old or the new
// file: the bytes go to a temporary file beside it, which is flushed to disk and renamed over
// the old one. On failure `error` says why and the old file is untouched.
bool writeFileAtomic(const std::string& path, const std::vector<uint8_t>& bytes,
                     std::string* error = nullptr);

// Creates the folder and any missing parents (like mkdir -p). True when it exists afterwards;
// on failure `error` says which part could not be made and why.
bool makeDirectories(const std::string& dir, std::string* error = nullptr);

}  // namespace corvid
