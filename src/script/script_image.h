#pragma once
// Script images: the two buffers of 262 144 bytes that hold a script or a definition section as
// it is stored (Shift_JIS lines, each ended by a NUL), with a read position. The main image is
// the running script; the auxiliary image feeds the parsers of definition sections.
//
// Nothing is parsed when a script is loaded. Every read goes through lineAt(), which never
// passes the image's size, so a malformed entry (a last line without its NUL) cannot make a
// reader run on into stale bytes.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/archive.h"
#include "script/script_text.h"

namespace corvid {

inline constexpr int32_t kScriptImageBytes = 262144;
// Script names are kept in 30-byte fields (the loaded script, the call stack, saves).
inline constexpr size_t kScriptNameBytes = 29;

enum class ScriptTarget { Main, Aux };

class ScriptImage {
 public:
  // The buffer is allocated once at start-up and reused by every load.
  void allocate() { bytes_.assign(size_t(kScriptImageBytes), '\0'); }
  bool allocated() const { return !bytes_.empty(); }

  // Replaces the content with `bytes`; refused (image unchanged) when larger than the buffer.
  bool assign(std::span<const uint8_t> bytes);

  int32_t size() const { return size_; }
  std::string_view text() const { return {bytes_.data(), size_t(size_)}; }

  // The line that starts at `pos`, up to its NUL or the end of the image (without the NUL);
  // `*next` becomes the position after the NUL, at most size(). Empty at or past the end.
  std::string_view lineAt(int32_t pos, int32_t* next = nullptr) const;

  // 0-based index of the line holding `pos` (the NULs before it), for the state file, the
  // trace and lint. Walks forward from the last answer, so a run's growing positions cost
  // little.
  int32_t lineIndexAt(int32_t pos) const;

  // The start of the first line at or after `from` (a line start) whose first byte is
  // `first`; -1 when there is none.
  int32_t nextLineStartingWith(int32_t from, char first) const;
  // The first place at or after `from` where the bytes `mark` are followed by `name` up to the
  // end of that line, the name compared without case under the name rule; -1 when there is
  // none. The mark need not begin a line (":" + name finds labels, "}:" + name closing lines).
  int32_t findMarkedName(int32_t from, std::string_view mark, std::string_view name) const;

  int32_t position = 0;  // byte index of the next line to read

 private:
  std::vector<char> bytes_;
  int32_t size_ = 0;
  mutable int32_t countedPos_ = 0;    // lineIndexAt's memory: NULs before countedPos_
  mutable int32_t countedLines_ = 0;
};

// readAuxLine: the line at `position` of a definition section; `position` moves past its NUL.
// Callers stop when `position` reaches the image's size.
inline std::string_view readAuxLine(const ScriptImage& aux, int32_t& position) {
  return aux.lineAt(position, &position);
}

// ---- Loading ---------------------------------------------------------------------------------

// Where scripts come from: the data archives, "qd_data2.cvd" before "qd_data.cvd".
class ScriptSource {
 public:
  virtual ~ScriptSource() = default;
  // The entry's plain bytes; NotFound when no data archive holds the name, TooLarge when it is
  // larger than `maxSize`.
  virtual EntryRead readScript(std::string_view name, uint64_t maxSize) const = 0;
  virtual bool hasScript(std::string_view name) const = 0;
};

class ArchiveScriptSource final : public ScriptSource {
 public:
  explicit ArchiveScriptSource(const Archives& archives) : archives_(archives) {}
  EntryRead readScript(std::string_view name, uint64_t maxSize) const override {
    return archives_.readDataEntry(name, maxSize);
  }
  bool hasScript(std::string_view name) const override {
    return archives_.findDataEntry(name).has_value();
  }

 private:
  const Archives& archives_;
};

// The extras that learn which scripts the player has reached. The gallery's script-to-flag
// table and the recollection list answer here once they exist; until then the engine's
// implementation has nothing to mark.
class ScriptLoadObserver {
 public:
  virtual ~ScriptLoadObserver() = default;
  // Before the lookup, for both images and even when the name is not found: the gallery sets
  // the E flag its table gives for `name` (compared without case, first match).
  virtual void galleryScriptLoading(std::string_view name) = 0;
  // The name was found: the recollection list marks the matching scene (and its heading) seen.
  virtual void recollectionScriptFound(std::string_view upperName) = 0;
};

enum class ScriptLoadStatus {
  Loaded,
  NotFound,      // no data archive holds the name; the image is unchanged
  Refused,       // the entry is larger than the image, or cannot be read; image unchanged
  NameTooLong,   // a main-image name must fit loadedScriptName's 29 bytes; image unchanged
};

struct ScriptLoadResult {
  ScriptLoadStatus status = ScriptLoadStatus::NotFound;
  std::string error;  // what was refused, UTF-8, for the trace; empty when loaded
  bool ok() const { return status == ScriptLoadStatus::Loaded; }
};

// The two images and the name of the script in the main one.
struct ScriptImages {
  ScriptImage main;
  ScriptImage aux;
  // The name exactly as the last successful load into the main image was given it (not
  // upper-cased); saves reload the script by this name.
  FixedText<kScriptNameBytes + 1> loadedScriptName;

  void allocate() {
    main.allocate();
    aux.allocate();
  }

  // Reads the whole entry into the target image (its position goes to 0). The caller does what
  // the interpreter adds to a load (dropping a pending insertion, the fetch flag, S10).
  ScriptLoadResult load(std::string_view name, ScriptTarget target, const ScriptSource& source,
                        ScriptLoadObserver* observer);
};

}  // namespace corvid
