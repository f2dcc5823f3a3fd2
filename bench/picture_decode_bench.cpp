// Decode throughput of the picture decoder on an 800x600 background and a masked standing
// picture, against libpng decoding the same pictures saved as PNG and LZ4 decompressing the
// same raw pixels. Throughput is in pixel bytes (1.44 MB a picture).

#include <benchmark/benchmark.h>
#include <lz4.h>
#include <png.h>

#include <cstring>
#include <vector>

#include "data/picture_codec.h"
#include "data/picture_encoder.h"
#include "sample_pictures.h"

namespace corvid::bench {
namespace {

const Surface& picture(int which) {
  static const Surface pictures[2] = {photoLikeBackground(), standingPicture()};
  return pictures[which];
}

const char* pictureName(int which) { return which == 0 ? "background" : "standing"; }

std::vector<uint8_t> pngOf(const Surface& s) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(s.width);
  image.height = png_uint_32(s.height);
  image.format = PNG_FORMAT_BGR;
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, s.pixels.data(), s.stride(), nullptr);
  std::vector<uint8_t> out(size);
  png_image_write_to_memory(&image, out.data(), &size, 0, s.pixels.data(), s.stride(), nullptr);
  out.resize(size);
  return out;
}

void BM_DecodePicture(benchmark::State& state) {
  const Surface& in = picture(int(state.range(0)));
  std::vector<uint8_t> entry;
  encodePicture(in, entry);
  PictureDecoder decoder;
  Surface out(in.width, in.height);
  for (auto _ : state) {
    decoder.decode(entry, out);
    benchmark::DoNotOptimize(out.pixels.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.pixels.size()));
  state.SetLabel(std::string(pictureName(int(state.range(0)))) + ", entry " +
                 std::to_string(entry.size()) + " bytes, flags " + std::to_string(entry[2]));
}

void BM_DecodePng(benchmark::State& state) {
  const Surface& in = picture(int(state.range(0)));
  const std::vector<uint8_t> png = pngOf(in);
  std::vector<uint8_t> out(in.pixels.size());
  for (auto _ : state) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    png_image_begin_read_from_memory(&image, png.data(), png.size());
    image.format = PNG_FORMAT_BGR;
    png_image_finish_read(&image, nullptr, out.data(), in.stride(), nullptr);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.pixels.size()));
  state.SetLabel(std::string(pictureName(int(state.range(0)))) + ", PNG " +
                 std::to_string(png.size()) + " bytes");
}

void BM_DecompressLz4(benchmark::State& state) {
  const Surface& in = picture(int(state.range(0)));
  const int n = int(in.pixels.size());
  std::vector<char> packed(size_t(LZ4_compressBound(n)));
  packed.resize(size_t(LZ4_compress_default(reinterpret_cast<const char*>(in.pixels.data()),
                                            packed.data(), n, int(packed.size()))));
  std::vector<char> out(static_cast<size_t>(n));
  for (auto _ : state) {
    LZ4_decompress_safe(packed.data(), out.data(), int(packed.size()), n);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * n);
  state.SetLabel(std::string(pictureName(int(state.range(0)))) + ", LZ4 " +
                 std::to_string(packed.size()) + " bytes");
}

BENCHMARK(BM_DecodePicture)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodePng)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecompressLz4)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace corvid::bench
