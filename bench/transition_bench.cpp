// One frame of each numbered transition on 800x600 frames, from its surfaces to the display
// surface (the blend or copy the mode draws, and the copy of the output to the display where
// the mode makes one), against memcpy of the frame (1.44 MB). "Plain" marks the plain version
// of a frame that the loop runs a faster, byte-identical version of. Pacing is left out: this is the
// work a frame costs between its waits. Frames are taken from the middle of each mode.

#include <benchmark/benchmark.h>

#include <cstring>

#include "gfx/picture_draw.h"
#include "gfx/transition_frames.h"
#include "sample_pictures.h"

namespace corvid::bench {
namespace {

struct Frames {
  Surface screen = photoLikeBackground(), work = standingPicture();
  Surface output{kScreenWidth, kScreenHeight}, display{kScreenWidth, kScreenHeight};
  Surface pattern{kScreenWidth, kScreenHeight}, mask{kScreenWidth, kScreenHeight};
  RowWeight weight;
  std::vector<uint8_t> rows;
  RandomGenerator random{1};
  std::array<uint8_t, kTileCount> order = tileOrder(random);
  std::vector<RowPiece> pieces = splitRowPieces(random);
  CheckerTable table{};
  Frames() {
    for (size_t i = 0; i < pattern.pixels.size(); ++i) pattern.pixels[i] = uint8_t(i / 2400 % 256);
    fillCheckerTable(table, 8, 16);
  }
};

Frames& frames() {
  static Frames f;
  return f;
}

template <typename Body>
void frameLoop(benchmark::State& state, Body body) {
  Frames& f = frames();
  for (auto _ : state) {
    body(f);
    benchmark::DoNotOptimize(f.display.pixels.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.display.pixels.size()));
}

void BM_Memcpy(benchmark::State& state) {
  frameLoop(state, [](Frames& f) {
    std::memcpy(f.display.pixels.data(), f.screen.pixels.data(), f.screen.pixels.size());
  });
}
BENCHMARK(BM_Memcpy);

// The loop blends straight onto the display (the output takes the last frame once).
void BM_CrossFade(benchmark::State& state) {
  frameLoop(state, [](Frames& f) { blendSurfaces(f.screen, f.work, 128, f.display); });
}
BENCHMARK(BM_CrossFade);

void BM_CrossFadePlain(benchmark::State& state) {
  frameLoop(state, [](Frames& f) {
    blendSurfaces(f.screen, f.work, 128, f.output);
    copyFrame(f.output, f.display);
  });
}
BENCHMARK(BM_CrossFadePlain);

void BM_05_PatternWipe(benchmark::State& state) {
  frameLoop(state, [](Frames& f) {
    patternWipeFrame(f.pattern, f.work, f.screen, f.display, 100, true);
  });
}
BENCHMARK(BM_05_PatternWipe);

void BM_05_PatternWipePlain(benchmark::State& state) {
  frameLoop(state, [](Frames& f) {
    plain::patternWipeFrame(f.pattern, f.work, f.screen, f.mask, f.output, 100, true);
    copyFrame(f.output, f.display);
  });
}
BENCHMARK(BM_05_PatternWipePlain);

void BM_06_Blinds(benchmark::State& state) {
  frameLoop(state, [](Frames& f) { blindsFrame(f.screen, f.display, 35); });
}
BENCHMARK(BM_06_Blinds);

void BM_07_Iris(benchmark::State& state) {
  frameLoop(state, [](Frames& f) { irisFrame(f.screen, f.display, 405); });
}
BENCHMARK(BM_07_Iris);

void BM_08_Tiles(benchmark::State& state) {
  frameLoop(state, [](Frames& f) {
    tilesFrame(f.work, f.screen, f.output, f.display, f.order, 50);
  });
}
BENCHMARK(BM_08_Tiles);

void BM_09_InterlaceRows(benchmark::State& state) {
  frameLoop(state, [](Frames& f) { interlaceRowsFrame(f.screen, f.display, 30); });
}
BENCHMARK(BM_09_InterlaceRows);

void BM_10_InterlaceColumns(benchmark::State& state) {
  frameLoop(state, [](Frames& f) { interlaceColumnsFrame(f.screen, f.display, 40); });
}
BENCHMARK(BM_10_InterlaceColumns);

void BM_11_DiagonalSquares(benchmark::State& state) {
  frameLoop(state, [](Frames& f) { squaresFrame(f.screen, f.display, 28); });
}
BENCHMARK(BM_11_DiagonalSquares);

void BM_12_Mosaic(benchmark::State& state) {
  frameLoop(state, [](Frames& f) {
    mosaicFrame(f.work, f.output, 8);
    copyFrame(f.output, f.display);
  });
}
BENCHMARK(BM_12_Mosaic);

void BM_13_SoftWipe(benchmark::State& state) {
  frameLoop(state, [](Frames& f) {
    softWipeFrame(f.screen, f.work, f.output, 300);
    copyFrame(f.output, f.display);
  });
}
BENCHMARK(BM_13_SoftWipe);

void BM_14_SplitRows(benchmark::State& state) {
  frameLoop(state, [](Frames& f) { splitRowsFrame(f.screen, f.display, f.pieces, 25); });
}
BENCHMARK(BM_14_SplitRows);

// The work surface converges on the screen after a few runs; a melting band costs the same.
// The loop copies the band's 128 rows to the display.
void BM_15_Melt(benchmark::State& state) {
  frameLoop(state, [](Frames& f) {
    meltFrame(f.screen, f.output, 236);
    std::memcpy(f.display.row(236), f.output.row(236), size_t(128) * 2400);
  });
}
BENCHMARK(BM_15_Melt);

void BM_15_MeltPlain(benchmark::State& state) {
  frameLoop(state, [](Frames& f) {
    plain::meltFrame(f.screen, f.output, 236);
    copyFrame(f.output, f.display);
  });
}
BENCHMARK(BM_15_MeltPlain);

void BM_16_DiagonalStripes(benchmark::State& state) {
  frameLoop(state, [](Frames& f) {
    stripesFrame(f.screen, f.output, 47);
    copyStripesBand(f.output, f.display, 47);
  });
}
BENCHMARK(BM_16_DiagonalStripes);

void BM_16_DiagonalStripesPlain(benchmark::State& state) {
  frameLoop(state, [](Frames& f) {
    stripesFrame(f.screen, f.output, 47);
    copyFrame(f.output, f.display);
  });
}
BENCHMARK(BM_16_DiagonalStripesPlain);

// One phase (the plain version with a quarter of the level's table: a level has four).
void BM_17_CheckerDissolve(benchmark::State& state) {
  int phase = 0;
  frameLoop(state, [&phase](Frames& f) {
    checkerPhase(f.screen, f.work, f.output, f.display, checkerWeights(8, 16), phase);
    phase = (phase + 1) % 4;
  });
}
BENCHMARK(BM_17_CheckerDissolve);

void BM_17_CheckerDissolvePlain(benchmark::State& state) {
  int phase = 0;
  frameLoop(state, [&phase](Frames& f) {
    if (phase == 0) fillCheckerTable(f.table, 8, 16);
    plain::checkerPhase(f.screen, f.work, f.output, f.table, phase);
    copyFrame(f.output, f.display);
    phase = (phase + 1) % 4;
  });
}
BENCHMARK(BM_17_CheckerDissolvePlain);

void BM_18_ClosingDoors(benchmark::State& state) {
  frameLoop(state, [](Frames& f) { doorsFrame(f.screen, f.display, 200); });
}
BENCHMARK(BM_18_ClosingDoors);

void BM_19_PushRight(benchmark::State& state) {
  frameLoop(state, [](Frames& f) { pushFrame(f.screen, f.work, f.display, 400); });
}
BENCHMARK(BM_19_PushRight);

void BM_20_ZoomFade(benchmark::State& state) {
  frameLoop(state, [](Frames& f) {
    zoomFadeFrame(f.work, f.screen, f.display, f.weight, 128);
  });
}
BENCHMARK(BM_20_ZoomFade);

void BM_20_ZoomFadePlain(benchmark::State& state) {
  frameLoop(state, [](Frames& f) {
    plain::zoomFadeFrame(f.work, f.screen, f.output, f.weight, 128);
    copyFrame(f.output, f.display);
  });
}
BENCHMARK(BM_20_ZoomFadePlain);

void BM_21_SlideLeft(benchmark::State& state) {
  frameLoop(state, [](Frames& f) {
    slideFrame(f.work, f.screen, f.display, 128, true);
  });
}
BENCHMARK(BM_21_SlideLeft);

void BM_21_SlideLeftPlain(benchmark::State& state) {
  frameLoop(state, [](Frames& f) {
    plain::slideFrame(f.work, f.screen, f.output, 128, true, f.rows);
    copyFrame(f.output, f.display);
  });
}
BENCHMARK(BM_21_SlideLeftPlain);

void BM_22_SlideRight(benchmark::State& state) {
  frameLoop(state, [](Frames& f) {
    slideFrame(f.work, f.screen, f.display, 128, false);
  });
}
BENCHMARK(BM_22_SlideRight);

}  // namespace
}  // namespace corvid::bench
