// Pictures by name. Sections: definition lists; loading; resolving; the "$DEBUG_OUT" dump.

#include "gfx/picture_loader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "data/bmp_file.h"
#include "data/byte_reader.h"
#include "data/colour_code.h"
#include "data/file_io.h"
#include "data/sjis.h"
#include "gfx/blend.h"

namespace corvid {

// ---- Definition lists ------------------------------------------------------------------------

namespace {

std::vector<std::string> parseList(std::span<const uint8_t> section, bool* debugOut) {
  std::vector<std::string> lines;
  forEachSectionLine(section, [&](std::string_view raw) {
    if (raw.empty() || raw[0] == ';') return true;
    std::string line = upperSjisName(raw);
    if (debugOut && line == "$DEBUG_OUT") {
      *debugOut = true;
      return true;
    }
    lines.push_back(line);
    return line != ":END";
  });
  return lines;
}

std::optional<std::vector<uint8_t>> readSection(const Archives& archives, std::string_view name,
                                                std::string* error) {
  EntryRead read = archives.readDataEntry(name, kDefinitionSectionMaxBytes);
  if (read.ok()) return std::move(read.bytes);
  if (read.status != EntryReadStatus::NotFound && error) *error = read.error;
  return std::nullopt;
}

}  // namespace

BackgroundSets parseBackgroundSets(std::span<const uint8_t> section) {
  BackgroundSets sets;
  sets.lines = parseList(section, &sets.debugOut);
  return sets;
}

std::vector<std::string> parseSpriteSets(std::span<const uint8_t> section) {
  return parseList(section, nullptr);
}

BackgroundSets readBackgroundSets(const Archives& archives, std::string* error) {
  auto section = readSection(archives, "_bgset", error);
  return section ? parseBackgroundSets(*section) : BackgroundSets{};
}

std::vector<std::string> readSpriteSets(const Archives& archives, std::string* error) {
  auto section = readSection(archives, "_sprset", error);
  return section ? parseSpriteSets(*section) : std::vector<std::string>{};
}

std::optional<std::vector<std::string_view>> findSetLines(const std::vector<std::string>& list,
                                                          std::string_view hashName) {
  if (hashName.empty()) return std::nullopt;
  const std::string label = ":" + std::string(hashName.substr(1));
  for (size_t i = 0; i < list.size(); ++i) {
    if (!sjisNamesEqual(list[i], label)) continue;
    std::vector<std::string_view> lines;
    for (size_t k = i + 1; k < list.size() && lines.size() < size_t(kMaxSetLines); ++k) {
      if (!list[k].empty() && list[k][0] == ':') break;
      lines.push_back(list[k]);
    }
    return lines;
  }
  return std::nullopt;
}

// ---- Loading ---------------------------------------------------------------------------------

namespace {

PictureLoad refused(std::string_view name, const std::string& why) {
  return {PictureLoadStatus::Refused, "picture " + sjisToUtf8(name) + ": " + why};
}

// The "converted as integers" of a composite's fields: an optional sign and the digits that
// follow; anything else ends the number, and no digits give 0.
int leadingInteger(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int64_t v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    v = std::min<int64_t>(v * 10 + (text[i] - '0'), INT32_MAX);
  return int(negative ? -v : v);
}

// A composite's part line NAME,X,Y: fields split at "," and ":".
std::vector<std::string_view> partFields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  for (size_t i = 0; i <= line.size(); ++i) {
    if (i == line.size() || line[i] == ',' || line[i] == ':') {
      fields.push_back(line.substr(start, i - start));
      start = i + 1;
    }
  }
  return fields;
}

}  // namespace

bool PictureLoader::pictureExists(std::string_view name) const {
  return archives_.findPicture(name).has_value();
}

PictureLoad PictureLoader::loadPicture(std::string_view name, Surface& out) {
  const std::optional<EntryRef> ref = archives_.findPicture(name);
  if (!ref) return {};
  return ref->kind == ArchiveSetKind::JpegPictures ? loadJpeg(*ref, name, out)
                                                    : loadCompressed(*ref, name, out);
}

PictureLoad PictureLoader::loadJpeg(const EntryRef& ref, std::string_view name, Surface& out) {
  const ArchiveEntry& entry = ref.entry();
  if (entry.offset < 0 || entry.size < 0 ||
      !readFileRangeInto(ref.archive->path, uint64_t(entry.offset), uint64_t(entry.size), entryBytes_))
    return refused(name, "the JPEG entry does not lie within " + ref.archive->path);
  std::string error;
  if (!jpeg_.decode(entryBytes_, out, &error)) return refused(name, error);
  return {PictureLoadStatus::Loaded, {}};
}

PictureLoad PictureLoader::loadCompressed(const EntryRef& ref, std::string_view name,
                                          Surface& out) {
  // The header alone says how much to read (16 + L bytes from the entry's offset); the
  // directory's size is not consulted, as titles may rely on.
  const ArchiveEntry& entry = ref.entry();
  PictureHeader h;
  if (entry.offset < 0 ||
      !readFileRangeInto(ref.archive->path, uint64_t(entry.offset), kPictureHeaderSize, entryBytes_) ||
      !readPictureHeader(entryBytes_, h))
    return refused(name, "the archive ends inside the picture's header");
  if (h.lzSize < 0) return refused(name, "the picture's LZ stream size is negative");
  if (!readFileRangeInto(ref.archive->path, uint64_t(entry.offset),
                         kPictureHeaderSize + uint64_t(h.lzSize), entryBytes_))
    return refused(name, "the archive ends before the picture's " + std::to_string(h.lzSize) +
                             " bytes of LZ stream");
  std::string error;
  if (!decoder_.decode(entryBytes_, out, &error)) return refused(name, error);
  return {PictureLoadStatus::Loaded, {}};
}

// ---- Resolving -------------------------------------------------------------------------------

PictureLoad PictureLoader::resolvePicture(std::string_view name, Surface& out) {
  if (!name.empty() && name[0] == '#') return composite(name, out);
  if (!name.empty() && (name[0] == 'S' || name[0] == 's')) {
    if (name.size() < kSolidColourNameBytes)
      return refused(name, "a solid colour needs three colour codes after its \"S\"");
    out.fill(colourFromCodes(name[1], name[2], name[3]));
    return {PictureLoadStatus::Loaded, {}};
  }
  return loadPicture(name, out);
}

PictureLoad PictureLoader::composite(std::string_view name, Surface& out) {
  const auto lines = findSetLines(backgroundSets_, name);
  if (!lines) return {PictureLoadStatus::NotFound, {}};
  for (std::string_view line : *lines) {
    if (line.find(',') == std::string_view::npos) {
      loadPicture(line, out);  // the base picture: sets the size
      continue;
    }
    const std::vector<std::string_view> fields = partFields(line);
    if (!loadPicture(fields[0], scratch_).ok()) continue;  // a missing part is not reported
    const int x = fields.size() > 1 ? leadingInteger(fields[1]) : 0;
    const int y = fields.size() > 2 ? leadingInteger(fields[2]) : 0;
    drawSideBySide(out, scratch_, x, y);
  }
  return {PictureLoadStatus::Loaded, {}};
}

// ---- The "$DEBUG_OUT" dump -------------------------------------------------------------------

bool dumpBackgroundSets(const std::vector<std::string>& sets,
                        const std::function<void(const std::string& hashName)>& compose,
                        const Surface& background, const std::string& dir, std::string* error) {
  if (!makeDirectories(dir, error)) return false;
  for (const std::string& line : sets) {
    if (line.empty() || line[0] != ':' || line == ":END") continue;
    const std::string name = line.substr(1);
    // Names come from the title's data: one that would leave the folder is not written.
    const std::string fileName = sjisToUtf8(name);
    if (fileName.empty() || fileName == "." || fileName == ".." ||
        fileName.find('/') != std::string::npos)
      continue;
    compose("#" + name);
    if (!writeFileAtomic(dir + "/" + fileName + ".bmp", encodeBmp(background), error)) return false;
  }
  return true;
}

}  // namespace corvid
