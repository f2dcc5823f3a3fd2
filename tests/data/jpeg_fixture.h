#pragma once
// JPEG files of test pictures, written with libjpeg.

#include <cstdint>
#include <cstdio>  // before jpeglib.h, which uses FILE
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

#include "gfx/surface.h"

namespace corvid::testing {

struct JpegOptions {
  bool grey = false;
  bool progressive = false;
};

// A JPEG of a BGR surface, written with libjpeg at quality 100.
inline std::vector<uint8_t> encodeJpeg(const Surface& s, JpegOptions o = {}) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* mem = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &mem, &size);
  c.image_width = JDIMENSION(s.width);
  c.image_height = JDIMENSION(s.height);
  c.input_components = o.grey ? 1 : 3;
  c.in_color_space = o.grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 100, TRUE);
  if (o.progressive) jpeg_simple_progression(&c);
  jpeg_start_compress(&c, TRUE);
  std::vector<uint8_t> grey(size_t(s.width));
  while (c.next_scanline < c.image_height) {
    const uint8_t* row = s.row(int(c.next_scanline));
    if (o.grey) {
      for (int x = 0; x < s.width; ++x) grey[size_t(x)] = row[x * 3];
      row = grey.data();
    }
    JSAMPROW p = const_cast<uint8_t*>(row);
    jpeg_write_scanlines(&c, &p, 1);
  }
  jpeg_finish_compress(&c);
  std::vector<uint8_t> out(mem, mem + size);
  jpeg_destroy_compress(&c);
  std::free(mem);
  return out;
}

}  // namespace corvid::testing
