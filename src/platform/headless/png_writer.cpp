#include "platform/headless/png_writer.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace corvid {

bool writePng(const std::string& path, const Surface& surface, std::string* error) {
  auto fail = [&](const char* what) {
    if (error) *error = path + ": " + what;
    return false;
  };
  if (surface.empty()) return fail("empty picture");
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return fail("cannot create the file");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return fail("out of memory");
  }
  std::vector<uint8_t> rgb(size_t(surface.width) * 3);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return fail("cannot write the file");
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, png_uint_32(surface.width), png_uint_32(surface.height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < surface.height; ++y) {
    const uint8_t* src = surface.row(y);
    for (int x = 0; x < surface.width; ++x) {  // BGR in memory, RGB in the file
      rgb[size_t(x) * 3] = src[x * 3 + 2];
      rgb[size_t(x) * 3 + 1] = src[x * 3 + 1];
      rgb[size_t(x) * 3 + 2] = src[x * 3];
    }
    png_write_row(png, rgb.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  bool ok = std::fclose(f) == 0;
  return ok || fail("cannot write the file");
}

}  // namespace corvid
