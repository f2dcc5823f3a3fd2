// JPEG decoding through libjpeg. libjpeg reports a fatal error by calling error_exit, which
// must not return: ours formats the message and jumps back to decode(), which then cleans up
// and refuses the picture. Only C frames lie between the jump and its target.

#include "data/jpeg_decoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

#include "data/picture_codec.h"

namespace corvid {

namespace {

// A progressive JPEG may have any number of scans, each a pass over the whole image; real
// pictures have about ten. Far more is a damaged or hostile file that would take minutes.
constexpr int kMaxScans = 256;

struct ErrorManager {
  jpeg_error_mgr base;  // first member: libjpeg hands back a pointer to it
  jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void errorExit(j_common_ptr cinfo) {
  auto* mgr = reinterpret_cast<ErrorManager*>(cinfo->err);
  mgr->base.format_message(cinfo, mgr->message);
  std::longjmp(mgr->jump, 1);
}

// Warnings (a stream that ends early, a bad marker that was skipped) are not errors: libjpeg
// goes on with what it has, and the picture is shown as far as it goes.
void outputMessage(j_common_ptr) {}

void limitScans(j_common_ptr cinfo) {
  auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (d->input_scan_number > kMaxScans) {
    auto* mgr = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::snprintf(mgr->message, sizeof mgr->message, "the JPEG has more than %d scans",
                  kMaxScans);
    std::longjmp(mgr->jump, 1);
  }
}

bool fail(std::string* error, const std::string& message) {
  if (error) *error = message;
  return false;
}

// The decoding itself, in a function of its own with only plain locals, so the jump back on an
// error skips no destructor. Fills `pixels` (already sized by the caller's check) row by row.
// Returns false with mgr.message set on any error.
bool runDecompress(jpeg_decompress_struct& cinfo, ErrorManager& mgr, jpeg_progress_mgr& progress,
                   std::span<const uint8_t> bytes, std::vector<uint8_t>& pixels, int& width,
                   int& height) {
  if (setjmp(mgr.jump)) return false;
  jpeg_create_decompress(&cinfo);
  cinfo.progress = &progress;
  jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&cinfo, TRUE);
  const size_t w = cinfo.image_width, h = cinfo.image_height;
  if (w == 0 || h == 0 || w * h * 3 > kMaxPictureBytes || w > 65535 || h > 65535) {
    std::snprintf(mgr.message, sizeof mgr.message, "the JPEG is %zux%zu pixels, too large", w, h);
    return false;
  }
  cinfo.out_color_space = JCS_EXT_BGR;  // libjpeg-turbo writes the surface's byte order itself
  jpeg_start_decompress(&cinfo);
  if (cinfo.output_components != 3 || cinfo.output_width != w || cinfo.output_height != h) {
    std::snprintf(mgr.message, sizeof mgr.message, "the JPEG does not decode to 3 channels");
    return false;
  }
  pixels.resize(w * h * 3);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = pixels.data() + size_t(cinfo.output_scanline) * w * 3;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  width = int(w);
  height = int(h);
  return true;
}

}  // namespace

bool looksLikeJpeg(std::span<const uint8_t> bytes) {
  return bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

bool JpegDecoder::decode(std::span<const uint8_t> bytes, Surface& out, std::string* error) {
  if (bytes.empty()) return fail(error, "the JPEG is empty");
  jpeg_decompress_struct cinfo;
  ErrorManager mgr;
  std::memset(&cinfo, 0, sizeof cinfo);
  cinfo.err = jpeg_std_error(&mgr.base);
  mgr.base.error_exit = errorExit;
  mgr.base.output_message = outputMessage;
  mgr.message[0] = 0;
  jpeg_progress_mgr progress{};
  progress.progress_monitor = limitScans;
  int width = 0, height = 0;
  const bool ok = runDecompress(cinfo, mgr, progress, bytes, pixels_, width, height);
  // Safe after a failed create too: it frees only what was allocated.
  jpeg_destroy_decompress(&cinfo);
  if (!ok) return fail(error, std::string("the JPEG is refused: ") + mgr.message);
  if (out.width != width || out.height != height || out.pixels.size() != pixels_.size()) {
    out.width = width;
    out.height = height;
    out.pixels.resize(pixels_.size());
  }
  std::memcpy(out.pixels.data(), pixels_.data(), pixels_.size());
  return true;
}

bool decodeJpeg(std::span<const uint8_t> bytes, Surface& out, std::string* error) {
  JpegDecoder decoder;
  return decoder.decode(bytes, out, error);
}

}  // namespace corvid
