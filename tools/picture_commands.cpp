// cvdtool picture decode / encode: compressed picture entries (and JPEG pictures) to PNG, PPM
// or BMP files, and PNG or PPM files to compressed picture entries.

#include <string>
#include <vector>

#include "data/file_io.h"
#include "data/jpeg_decoder.h"
#include "data/picture_codec.h"
#include "data/picture_encoder.h"
#include "image_files.h"
#include "tool_command.h"

namespace corvid::tool {
namespace {

int runDecode(const std::string& in, const std::string& out) {
  if (imageFormatOf(out) == ImageFormat::Unknown) {
    toolError(out + ": the output must be a .png, .ppm or .bmp file");
    return kExitUsage;
  }
  const auto bytes = readWholeFile(in);
  if (!bytes) return toolError(in + ": cannot be read");
  Surface picture;
  std::string error;
  const bool ok = looksLikeJpeg(*bytes) ? decodeJpeg(*bytes, picture, &error)
                                        : decodePicture(*bytes, picture, &error);
  if (!ok) return toolError(in + ": " + error);
  if (!writeImageFile(out, picture, error)) return toolError(error);
  return kExitOk;
}

int runEncode(const std::string& in, const std::string& out) {
  const ImageFormat format = imageFormatOf(in);
  if (format != ImageFormat::Png && format != ImageFormat::Ppm) {
    toolError(in + ": the input must be a .png or .ppm file");
    return kExitUsage;
  }
  Surface picture;
  std::string error;
  if (!readImageFile(in, picture, error)) return toolError(error);
  std::vector<uint8_t> entry;
  if (!encodePicture(picture, entry, &error)) return toolError(in + ": " + error);
  if (!writeFileAtomic(out, entry, &error)) return toolError(out + ": " + error);
  return kExitOk;
}

int runPicture(const std::vector<std::string>& args) {
  if (args.size() != 3) return toolUsage("picture");
  if (args[0] == "decode") return runDecode(args[1], args[2]);
  if (args[0] == "encode") return runEncode(args[1], args[2]);
  return toolUsage("picture");
}

const ToolCommandRegistrar pictureCommand(
    {"picture",
     "picture decode IN OUT         IN a picture entry or a JPEG; OUT .png, .ppm or .bmp\n"
     "picture encode IN OUT         IN .png or .ppm; the smallest encoding is kept",
     runPicture});

}  // namespace
}  // namespace corvid::tool
