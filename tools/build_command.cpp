// cvdtool build SRC_DIR OUT_DIR: a whole title from a source tree. Each subfolder named after
// an archive ("qd_data", "qd_gra", "qd_se0", ...) becomes OUT_DIR/<name>.cvd. In the data
// archives a ".txt" file is a script or section in UTF-8, one line a line, stored as the entry
// named by the file name without its extension, in Shift_JIS with a NUL ending each line. In
// the picture archive folders ("qd_gra", "qd_gra1", ...) a ".png" or ".ppm" file is encoded in
// the compressed picture format, and in "qd_gjp" a ".jpg" file is stored as it is; both are
// named by the file name without its extension.

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "data/archive.h"
#include "data/archive_writer.h"
#include "data/file_io.h"
#include "data/picture_encoder.h"
#include "data/sjis.h"
#include "image_files.h"
#include "tool_command.h"

namespace corvid::tool {

namespace fs = std::filesystem;

namespace {

bool isArchiveFolderName(const std::string& name) {
  std::string lower = name;
  std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
  return lower.rfind("qd_", 0) == 0 && lower.find('.') == std::string::npos;
}

// UTF-8 script text to the stored form: Shift_JIS, each line ended by NUL. A line end of
// "\r\n" counts as one; a last line without a line end still gets its NUL.
bool scriptFromText(const std::vector<uint8_t>& text, std::vector<uint8_t>& out, std::string& error) {
  std::string utf8(text.begin(), text.end());
  if (utf8.rfind("\xEF\xBB\xBF", 0) == 0) utf8.erase(0, 3);  // a byte-order mark
  out.clear();
  size_t start = 0, lineNo = 1;
  while (start < utf8.size()) {
    size_t end = utf8.find('\n', start);
    if (end == std::string::npos) end = utf8.size();
    std::string line = utf8.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string sjis;
    if (!utf8ToSjisStrict(line, sjis)) {
      error = "line " + std::to_string(lineNo) + " has a character that Shift_JIS cannot hold";
      return false;
    }
    out.insert(out.end(), sjis.begin(), sjis.end());
    out.push_back(0);
    start = end + 1;
    ++lineNo;
  }
  return true;
}

std::string lowerAscii(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), ::tolower);
  return text;
}

// A picture file of a picture archive folder as its compressed entry.
bool pictureEntry(const fs::path& file, std::vector<uint8_t>& out, std::string& error) {
  Surface picture;
  if (!readImageFile(file.string(), picture, error)) return false;
  if (!encodePicture(picture, out, &error)) {
    error = file.string() + ": " + error;
    return false;
  }
  return true;
}

bool collectSources(const fs::path& folder, ArchiveLayout layout, std::vector<ArchiveSource>& sources,
                    std::string& error) {
  const std::string folderName = lowerAscii(folder.filename().string());
  const bool pictureFolder = folderName.rfind("qd_gra", 0) == 0;
  const bool jpegFolder = folderName == "qd_gjp";
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(folder))
    if (e.is_regular_file()) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) {
    auto bytes = readWholeFile(file.string());
    if (!bytes) {
      error = file.string() + ": cannot read the file";
      return false;
    }
    ArchiveSource source;
    std::string stem = file.stem().string(), ext = file.extension().string();
    const std::string lowerExt = lowerAscii(ext);
    std::string utf8Name = file.filename().string();
    if (pictureFolder && (lowerExt == ".png" || lowerExt == ".ppm")) {
      utf8Name = stem;
      if (!pictureEntry(file, source.bytes, error)) return false;
    } else if (jpegFolder && (lowerExt == ".jpg" || lowerExt == ".jpeg")) {
      utf8Name = stem;
      source.bytes = std::move(*bytes);
    } else if (layout == ArchiveLayout::Data && ext == ".txt") {
      utf8Name = stem;
      if (!scriptFromText(*bytes, source.bytes, error)) {
        error = file.string() + ": " + error;
        return false;
      }
    } else {
      source.bytes = std::move(*bytes);
    }
    if (!utf8ToSjisStrict(utf8Name, source.name)) {
      error = file.string() + ": the name has a character that Shift_JIS cannot hold";
      return false;
    }
    sources.push_back(std::move(source));
  }
  return true;
}

int runBuild(const std::vector<std::string>& args) {
  if (args.size() != 2) return toolUsage("build");
  const fs::path src = args[0], out = args[1];
  std::error_code ec;
  if (!fs::is_directory(src, ec)) return toolError(src.string() + ": not a folder");
  fs::create_directories(out, ec);
  if (ec) return toolError(out.string() + ": cannot create the folder: " + ec.message());
  std::vector<fs::path> folders;
  for (const auto& e : fs::directory_iterator(src))
    if (e.is_directory() && isArchiveFolderName(e.path().filename().string()))
      folders.push_back(e.path());
  std::sort(folders.begin(), folders.end());
  if (folders.empty()) return toolError(src.string() + ": no archive folders (qd_data, qd_gra, ...)");
  for (const fs::path& folder : folders) {
    const std::string archiveName = folder.filename().string() + ".cvd";
    const ArchiveLayout layout = layoutForArchiveName(archiveName);
    std::vector<ArchiveSource> sources;
    std::string error;
    if (!collectSources(folder, layout, sources, error)) return toolError(error);
    if (!writeArchiveFile((out / archiveName).string(), layout, sources, error))
      return toolError(error);
  }
  return kExitOk;
}

const ToolCommandRegistrar kBuild({"build", "build SRC_DIR OUT_DIR", runBuild});

}  // namespace

}  // namespace corvid::tool
