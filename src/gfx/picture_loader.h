#pragma once
// Pictures by name: loading from the JPEG archive and the picture archives, the existence test,
// and the named-picture resolver of the background and parts commands, which also understands
// solid colours ("S" + three colour codes) and composite pictures ("#" + a label of "_bgset").
// Also the two definition lists read at start-up, "_bgset" and "_sprset".
//
// Sections: definition lists; the loader; the "$DEBUG_OUT" dump.
//
// (This lives beside the blend primitives rather than with the codec because composing a
// "#" picture draws its parts with them.)

#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/archive.h"
#include "data/jpeg_decoder.h"
#include "data/picture_codec.h"
#include "gfx/surface.h"

namespace corvid {

// ---- Definition lists ------------------------------------------------------------------------

// A definition section is read into the auxiliary script image; a larger one is refused.
inline constexpr uint64_t kDefinitionSectionMaxBytes = 262144;
// A solid colour's name: "S" and three colour codes; a shorter one is refused.
inline constexpr size_t kSolidColourNameBytes = 4;
// A set is the label line and at most this many lines after it.
inline constexpr int kMaxSetLines = 8;

struct BackgroundSets {
  std::vector<std::string> lines;  // upper-cased, labels included, ":END" last when present
  bool debugOut = false;           // the section held "$DEBUG_OUT": dump every set as a BMP
};

// Every NUL-ended line of a section, in order, until `visit` returns false; a last line without
// its NUL counts too.
template <typename Visit>
void forEachSectionLine(std::span<const uint8_t> section, Visit visit) {
  const char* p = reinterpret_cast<const char*>(section.data());
  size_t left = section.size();
  while (left > 0) {
    const void* nul = std::memchr(p, 0, left);
    const size_t n = nul ? size_t(static_cast<const char*>(nul) - p) : left;
    if (!visit(std::string_view(p, n))) return;
    p += n + (nul ? 1 : 0);
    left -= n + (nul ? 1 : 0);
  }
}

// "_bgset": every line upper-cased; empty lines and ";" lines skipped; "$DEBUG_OUT" switches the
// dump on and is not kept; ":END" is kept and ends the section.
BackgroundSets parseBackgroundSets(std::span<const uint8_t> section);
// "_sprset": the same, without "$DEBUG_OUT" (such a line is kept like any other).
std::vector<std::string> parseSpriteSets(std::span<const uint8_t> section);

// Read from the data archives; a missing section gives an empty list. `error` (when given) says
// why a section that exists was refused (too large, unreadable); the list is then empty too.
BackgroundSets readBackgroundSets(const Archives& archives, std::string* error = nullptr);
std::vector<std::string> readSpriteSets(const Archives& archives, std::string* error = nullptr);

// The lines of the set that "#NAME" names: the label ":NAME" is looked up without case, and up
// to kMaxSetLines lines after it are taken, stopping at the first that starts with ":". Nothing
// when the label is absent.
std::optional<std::vector<std::string_view>> findSetLines(const std::vector<std::string>& list,
                                                          std::string_view hashName);

// ---- The loader ------------------------------------------------------------------------------

enum class PictureLoadStatus {
  Loaded,
  NotFound,  // no archive holds the name; the surface is unchanged
  Refused,   // an archive holds it but it cannot be read or decoded; the surface is unchanged
};

struct PictureLoad {
  PictureLoadStatus status = PictureLoadStatus::NotFound;
  std::string error;  // UTF-8, naming the picture; empty when loaded or not found
  bool ok() const { return status == PictureLoadStatus::Loaded; }
};

// Owns the decoders' buffers and a scratch surface, so loading allocates nothing once the
// largest picture has been seen. The archives must outlive the loader.
class PictureLoader {
 public:
  explicit PictureLoader(const Archives& archives) : archives_(archives) {}

  // The composite pictures' definitions (readBackgroundSets at start-up).
  void setBackgroundSets(std::vector<std::string> lines) { backgroundSets_ = std::move(lines); }
  const std::vector<std::string>& backgroundSets() const { return backgroundSets_; }

  // The JPEG archive first, then the picture archives from the last slot to the first. The
  // surface takes the picture's size.
  PictureLoad loadPicture(std::string_view name, Surface& out);
  // Whether loadPicture would find the name (nothing is read).
  bool pictureExists(std::string_view name) const;

  // "#NAME": the composite of "_bgset"'s set NAME (its parts that fail to load are skipped);
  // "S"/"s" + three colour codes (red, green, blue): the surface, at its size, filled with that
  // colour; anything else: loadPicture. A label "_bgset" lacks is not found, and a solid-colour
  // name shorter than 4 characters refused; the surface is then unchanged.
  PictureLoad resolvePicture(std::string_view name, Surface& out);

 private:
  PictureLoad loadCompressed(const EntryRef& ref, std::string_view name, Surface& out);
  PictureLoad loadJpeg(const EntryRef& ref, std::string_view name, Surface& out);
  PictureLoad composite(std::string_view name, Surface& out);

  const Archives& archives_;
  std::vector<std::string> backgroundSets_;
  std::vector<uint8_t> entryBytes_;  // the entry being loaded, emptied by each load
  PictureDecoder decoder_;
  JpegDecoder jpeg_;
  Surface scratch_;  // a composite's side-by-side parts
};

// ---- The "$DEBUG_OUT" dump -------------------------------------------------------------------

// For every label of `sets` other than ":END", in order: `compose` draws "#" + its name into
// `background` (the engine passes its background command's loading path), and `background` is
// written as DIR/NAME.bmp (the folder is made first). A name that is not a plain file name
// ("/" in it, "." or "..") is skipped. Returns false, with `error` saying why, when the folder
// or a file cannot be written; the dump stops there.
bool dumpBackgroundSets(const std::vector<std::string>& sets,
                        const std::function<void(const std::string& hashName)>& compose,
                        const Surface& background, const std::string& dir,
                        std::string* error = nullptr);

}  // namespace corvid
