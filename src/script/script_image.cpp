#include "script/script_image.h"

#include <algorithm>
#include <cstring>

#include "data/sjis.h"

namespace corvid {

bool ScriptImage::assign(std::span<const uint8_t> bytes) {
  if (bytes.size() > bytes_.size()) return false;
  if (!bytes.empty()) std::memcpy(bytes_.data(), bytes.data(), bytes.size());
  size_ = int32_t(bytes.size());
  position = 0;
  countedPos_ = 0;
  countedLines_ = 0;
  return true;
}

std::string_view ScriptImage::lineAt(int32_t pos, int32_t* next) const {
  if (pos < 0 || pos >= size_) {
    if (next) *next = std::max(pos, size_);
    return {};
  }
  const char* start = bytes_.data() + pos;
  const void* nul = std::memchr(start, '\0', size_t(size_ - pos));
  const int32_t length = nul ? int32_t(static_cast<const char*>(nul) - start) : size_ - pos;
  if (next) *next = std::min(pos + length + 1, size_);
  return {start, size_t(length)};
}

int32_t ScriptImage::lineIndexAt(int32_t pos) const {
  pos = std::clamp(pos, 0, size_);
  if (pos < countedPos_) {
    countedPos_ = 0;
    countedLines_ = 0;
  }
  countedLines_ += int32_t(std::count(bytes_.data() + countedPos_, bytes_.data() + pos, '\0'));
  countedPos_ = pos;
  return countedLines_;
}

int32_t ScriptImage::nextLineStartingWith(int32_t from, char first) const {
  for (int32_t pos = std::max(from, 0); pos < size_;) {
    if (bytes_[size_t(pos)] == first) return pos;
    lineAt(pos, &pos);
  }
  return -1;
}

int32_t ScriptImage::findMarkedName(int32_t from, std::string_view mark,
                                    std::string_view name) const {
  if (mark.empty()) return -1;
  const std::string_view all = text();
  for (size_t at = all.find(mark, size_t(std::max(from, 0))); at != std::string_view::npos;
       at = all.find(mark, at + 1)) {
    const std::string_view rest = lineAt(int32_t(at + mark.size()));
    if (at + mark.size() <= all.size() && namesEqualNoCase(rest, name)) return int32_t(at);
  }
  return -1;
}

ScriptLoadResult ScriptImages::load(std::string_view name, ScriptTarget target,
                                    const ScriptSource& source, ScriptLoadObserver* observer) {
  if (observer) observer->galleryScriptLoading(name);
  ScriptImage& image = target == ScriptTarget::Main ? main : aux;
  // A longer name could not be kept for saves, which reload the script by it.
  if (target == ScriptTarget::Main && name.size() > kScriptNameBytes)
    return {ScriptLoadStatus::NameTooLong, "script name longer than 29 bytes"};
  EntryRead entry = source.readScript(name, uint64_t(kScriptImageBytes));
  if (entry.status == EntryReadStatus::NotFound) return {ScriptLoadStatus::NotFound, {}};
  if (observer) observer->recollectionScriptFound(upperSjisName(name));
  if (!entry.ok()) return {ScriptLoadStatus::Refused, entry.error};
  if (!image.assign(entry.bytes)) return {ScriptLoadStatus::Refused, "script larger than the image"};
  if (target == ScriptTarget::Main) loadedScriptName.assign(name);
  return {ScriptLoadStatus::Loaded, {}};
}

}  // namespace corvid
