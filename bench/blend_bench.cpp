// Each blend primitive over a full 800x600 frame, against memcpy of the frame (1.44 MB). The
// kernels are named in the label: those in use, SSE2, and the plain kernels beside them.

#include <benchmark/benchmark.h>

#include <cstring>

#include "gfx/blend.h"
#include "sample_pictures.h"

namespace corvid::bench {
namespace {

struct Frames {
  Surface first = photoLikeBackground(), second = standingPicture(), out{kScreenWidth, kScreenHeight};
  Surface mask{kScreenWidth, kScreenHeight};
  Surface sideBySide{kScreenWidth * 2, kScreenHeight};  // a full-frame picture with its mask
  Surface stacked{kScreenWidth, kScreenHeight * 2};
  Frames() {
    for (size_t i = 0; i < mask.pixels.size(); ++i) mask.pixels[i] = uint8_t(i / 2400 % 256);
    const Surface sprite = standingPicture();  // 400 wide colour | 400 wide mask
    for (int y = 0; y < kScreenHeight; ++y) {
      for (int x = 0; x < kScreenWidth; ++x) {
        const int sx = x % 400;  // two figures side by side
        std::memcpy(sideBySide.at(x, y), sprite.at(sx, y), 3);
        std::memcpy(sideBySide.at(x + kScreenWidth, y), sprite.at(sx + 400, y), 3);
        std::memcpy(stacked.at(x, y), sprite.at(sx, y), 3);
        std::memcpy(stacked.at(x, y + kScreenHeight), sprite.at(sx + 400, y), 3);
      }
    }
  }
};

Frames& frames() {
  static Frames f;
  return f;
}

// Arg 1: the kernels in use (AVX2 where the processor has it); 2: SSE2; 0: the plain kernels.
const BlendKernels& kernels(const benchmark::State& state) {
  switch (state.range(0)) {
    case 0: return referenceBlendKernels();
    case 2: return sse2BlendKernels();
    default: return blendKernels();
  }
}

template <typename Body>
void frameLoop(benchmark::State& state, Body body) {
  Frames& f = frames();
  const BlendKernels& k = kernels(state);
  for (auto _ : state) {
    body(f, k);
    benchmark::DoNotOptimize(f.out.pixels.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.out.pixels.size()));
  state.SetLabel(k.name);
}

void BM_Memcpy(benchmark::State& state) {
  frameLoop(state, [](Frames& f, const BlendKernels&) {
    std::memcpy(f.out.pixels.data(), f.first.pixels.data(), f.out.pixels.size());
  });
}
void BM_BlendSurfaces(benchmark::State& state) {
  frameLoop(state, [](Frames& f, const BlendKernels& k) { blendSurfaces(f.first, f.second, 100, f.out, k); });
}
void BM_BlendTileWholeFrame(benchmark::State& state) {
  frameLoop(state, [](Frames& f, const BlendKernels& k) {
    for (int y = 0; y < kScreenHeight; y += kTileHeight)
      for (int x = 0; x < kScreenWidth; x += kTileWidth) blendTile(f.first, f.second, f.out, x, y, 100, k);
  });
}
void BM_BlendThroughMask(benchmark::State& state) {
  frameLoop(state, [](Frames& f, const BlendKernels& k) { blendThroughMask(f.first, f.second, f.out, f.mask, k); });
}
void BM_BlendRowPresetFrame(benchmark::State& state) {
  frameLoop(state, [](Frames& f, const BlendKernels& k) {
    RowWeight pair;
    setRowWeight(pair, 90);
    for (int y = 0; y < kScreenHeight; ++y)
      blendRowPreset(pair, f.first.row(y), f.second.row(y), kScreenWidth * 3 / 8, f.out.row(y), k);
  });
}
void BM_DarkenSurface(benchmark::State& state) {
  frameLoop(state, [](Frames& f, const BlendKernels& k) { darkenSurface(f.first, f.out, 128, k); });
}
void BM_AddSurfaces(benchmark::State& state) {
  frameLoop(state, [](Frames& f, const BlendKernels& k) { addSurfaces(f.first, f.second, f.out, k); });
}
void BM_BrightenSurface(benchmark::State& state) {
  frameLoop(state, [](Frames& f, const BlendKernels& k) { brightenSurface(f.first, f.out, 40, k); });
}
void BM_DimSurface(benchmark::State& state) {
  frameLoop(state, [](Frames& f, const BlendKernels& k) { dimSurface(f.first, f.out, 40, k); });
}
// The masked draws blend into the destination in place, as the layers do.
void BM_DrawSideBySideFullFrame(benchmark::State& state) {
  frameLoop(state, [](Frames& f, const BlendKernels& k) { drawSideBySide(f.out, f.sideBySide, 0, 0, k); });
}
void BM_DrawStackedFullFrame(benchmark::State& state) {
  frameLoop(state, [](Frames& f, const BlendKernels& k) { drawStacked(f.out, f.stacked, 0, 0, k); });
}
void BM_DrawMaskedFullFrame(benchmark::State& state) {
  frameLoop(state, [](Frames& f, const BlendKernels& k) { drawMasked(f.out, f.second, f.mask, 0, 0, k); });
}

#define CORVID_BLEND_BENCH(fn) BENCHMARK(fn)->Arg(1)->Arg(2)->Arg(0)->Unit(benchmark::kMicrosecond)
BENCHMARK(BM_Memcpy)->Arg(1)->Unit(benchmark::kMicrosecond);
CORVID_BLEND_BENCH(BM_BlendSurfaces);
CORVID_BLEND_BENCH(BM_BlendTileWholeFrame);
CORVID_BLEND_BENCH(BM_BlendThroughMask);
CORVID_BLEND_BENCH(BM_BlendRowPresetFrame);
CORVID_BLEND_BENCH(BM_DarkenSurface);
CORVID_BLEND_BENCH(BM_AddSurfaces);
CORVID_BLEND_BENCH(BM_BrightenSurface);
CORVID_BLEND_BENCH(BM_DimSurface);
CORVID_BLEND_BENCH(BM_DrawSideBySideFullFrame);
CORVID_BLEND_BENCH(BM_DrawStackedFullFrame);
CORVID_BLEND_BENCH(BM_DrawMaskedFullFrame);

}  // namespace
}  // namespace corvid::bench
