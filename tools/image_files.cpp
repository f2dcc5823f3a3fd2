// PNG through libpng's simplified reader, PPM by hand, BMP through the engine's bitmap codec.

#include "image_files.h"

#include <png.h>

#include <cctype>
#include <cstring>

#include "data/bmp_file.h"
#include "data/byte_reader.h"
#include "data/file_io.h"
#include "data/picture_codec.h"
#include "platform/headless/png_writer.h"

namespace corvid::tool {

namespace {

std::string lowerExtension(const std::string& path) {
  const size_t dot = path.rfind('.'), slash = path.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

bool pictureSizeOk(uint64_t w, uint64_t h) {
  return w > 0 && h > 0 && w <= 65535 && h <= 65535 && w * h * 3 <= kMaxPictureBytes;
}

// The header of a PPM: whitespace-separated numbers with "#" comments between them.
class PpmHeader {
 public:
  explicit PpmHeader(std::span<const uint8_t> b) : b_(b) {}
  bool number(uint64_t& out) {
    skipBlanks();
    if (pos_ >= b_.size() || !std::isdigit(b_[pos_])) return false;
    out = 0;
    while (pos_ < b_.size() && std::isdigit(b_[pos_])) {
      out = out * 10 + uint64_t(b_[pos_++] - '0');
      if (out > 1000000) return false;
    }
    return true;
  }
  // Exactly one whitespace byte ends the header.
  bool endOfHeader() {
    if (pos_ >= b_.size() || !std::isspace(b_[pos_])) return false;
    ++pos_;
    return true;
  }
  size_t pos() const { return pos_; }

 private:
  void skipBlanks() {
    while (pos_ < b_.size()) {
      if (b_[pos_] == '#') {
        while (pos_ < b_.size() && b_[pos_] != '\n') ++pos_;
      } else if (std::isspace(b_[pos_])) {
        ++pos_;
      } else {
        return;
      }
    }
  }
  std::span<const uint8_t> b_;
  size_t pos_ = 2;  // after "P6"
};

}  // namespace

ImageFormat imageFormatOf(const std::string& path) {
  const std::string ext = lowerExtension(path);
  if (ext == "png") return ImageFormat::Png;
  if (ext == "ppm") return ImageFormat::Ppm;
  if (ext == "bmp") return ImageFormat::Bmp;
  return ImageFormat::Unknown;
}

bool decodePng(std::span<const uint8_t> bytes, Surface& out, std::string& error) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
    error = std::string("not a readable PNG: ") + image.message;
    return false;
  }
  if (!pictureSizeOk(image.width, image.height)) {
    png_image_free(&image);
    error = "the PNG's size " + std::to_string(image.width) + "x" + std::to_string(image.height) +
            " is not a picture size";
    return false;
  }
  image.format = PNG_FORMAT_BGR;
  Surface picture(int(image.width), int(image.height));
  if (!png_image_finish_read(&image, nullptr, picture.pixels.data(), picture.stride(), nullptr)) {
    error = std::string("the PNG is damaged: ") + image.message;
    png_image_free(&image);
    return false;
  }
  out = std::move(picture);
  return true;
}

bool decodePpm(std::span<const uint8_t> bytes, Surface& out, std::string& error) {
  if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] != '6') {
    error = "not a binary PPM (no \"P6\")";
    return false;
  }
  PpmHeader header(bytes);
  uint64_t w = 0, h = 0, maxValue = 0;
  if (!header.number(w) || !header.number(h) || !header.number(maxValue) || !header.endOfHeader()) {
    error = "the PPM's header is damaged";
    return false;
  }
  if (!pictureSizeOk(w, h) || maxValue == 0 || maxValue > 65535) {
    error = "the PPM's size " + std::to_string(w) + "x" + std::to_string(h) + " or maximum " +
            std::to_string(maxValue) + " is not usable";
    return false;
  }
  ByteReader r(bytes);
  r.seek(header.pos());
  Surface picture(static_cast<int>(w), static_cast<int>(h));
  const bool wide = maxValue > 255;
  for (size_t i = 0; i < picture.pixels.size(); i += 3) {
    for (int c = 2; c >= 0; --c) {  // RGB in the file, BGR in the surface
      uint32_t v = wide ? uint32_t(r.u8()) << 8 | r.u8() : r.u8();
      if (v > maxValue) v = uint32_t(maxValue);
      picture.pixels[i + size_t(c)] = uint8_t((v * 255 + maxValue / 2) / maxValue);
    }
  }
  if (!r.ok()) {
    error = "the PPM's pixels are cut short";
    return false;
  }
  out = std::move(picture);
  return true;
}

std::vector<uint8_t> encodePpm(const Surface& picture) {
  const std::string header =
      "P6\n" + std::to_string(picture.width) + " " + std::to_string(picture.height) + "\n255\n";
  std::vector<uint8_t> out(header.begin(), header.end());
  out.reserve(out.size() + picture.pixels.size());
  for (size_t i = 0; i + 2 < picture.pixels.size(); i += 3) {
    out.push_back(picture.pixels[i + 2]);
    out.push_back(picture.pixels[i + 1]);
    out.push_back(picture.pixels[i]);
  }
  return out;
}

bool readImageFile(const std::string& path, Surface& out, std::string& error) {
  const ImageFormat format = imageFormatOf(path);
  if (format == ImageFormat::Unknown) {
    error = path + ": not a .png, .ppm or .bmp file";
    return false;
  }
  const auto bytes = readWholeFile(path);
  if (!bytes) {
    error = path + ": cannot be read";
    return false;
  }
  std::string why;
  const bool ok = format == ImageFormat::Png   ? decodePng(*bytes, out, why)
                  : format == ImageFormat::Ppm ? decodePpm(*bytes, out, why)
                                               : decodeBmp(*bytes, out, &why);
  if (!ok) error = path + ": " + why;
  return ok;
}

bool writeImageFile(const std::string& path, const Surface& picture, std::string& error) {
  switch (imageFormatOf(path)) {
    case ImageFormat::Png: return writePng(path, picture, &error);
    case ImageFormat::Ppm:
      if (writeFileAtomic(path, encodePpm(picture), &error)) return true;
      break;
    case ImageFormat::Bmp:
      if (writeFileAtomic(path, encodeBmp(picture), &error)) return true;
      break;
    case ImageFormat::Unknown: error = "not a .png, .ppm or .bmp file"; break;
  }
  error = path + ": " + error;
  return false;
}

}  // namespace corvid::tool
