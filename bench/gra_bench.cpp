// A full picture change, from the command to the composed screen: "gra " with an 800x600
// photo-like background, then two masked 400x600 standing pictures, on the same pictures as the
// decode benchmark. Cold: every standing picture decoded (six rotate through the five cache
// entries); warm: both held by the sprite cache. The composition alone is measured as well.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "data/archive.h"
#include "data/archive_writer.h"
#include "data/picture_encoder.h"
#include "gfx/picture_draw.h"
#include "gfx/scene.h"
#include "sample_pictures.h"

namespace corvid::bench {
namespace {

namespace fs = std::filesystem;


// A title folder with the background "ABG" and six standing pictures "BCHR0".."BCHR5" with
// their masks "MCHR0".."MCHR5", and the scene over it.
struct Stage {
  std::string dir;
  Archives archives;
  std::unique_ptr<PictureLoader> loader;
  Surface background{800, 600}, stage{800, 600}, screen{800, 600}, work{800, 600},
      output{800, 600}, display{800, 600}, overlay, parts, scratchColour, scratchMask;
  SpriteCache sprites;
  SystemVariables S{};
  GameConfig config;
  QuietSceneHost host;
  std::unique_ptr<Scene> scene;

  Stage() {
    std::string pattern = (fs::temp_directory_path() / "corvid-gra-bench-XXXXXX").string();
    dir = ::mkdtemp(pattern.data());
    std::vector<ArchiveSource> pictures;
    std::vector<uint8_t> entry;
    encodePicture(photoLikeBackground(), entry);
    pictures.push_back({"ABG", entry});
    Surface colour, mask;
    splitSideBySide(standingPicture(), colour, mask);
    for (int i = 0; i < 6; ++i) {
      encodePicture(colour, entry);
      pictures.push_back({"BCHR" + std::to_string(i), entry});
      encodePicture(mask, entry);
      pictures.push_back({"MCHR" + std::to_string(i), entry});
    }
    std::string error;
    writeArchiveFile(dir + "/qd_gra.cvd", ArchiveLayout::Media, pictures, error);
    archives.openMediaArchives(dir, {}, "NULL", false);
    loader = std::make_unique<PictureLoader>(archives);
    sprites.allocate();
    resetSpriteLayout(S);
    scene = std::make_unique<Scene>(
        SceneSurfaces{background, stage, screen, work, output, display, overlay, parts,
                      scratchColour, scratchMask, sprites},
        S, config, *loader, host);
  }
  ~Stage() { fs::remove_all(dir); }
};

Stage& sharedStage() {
  static Stage stage;
  return stage;
}

void BM_GraWarm(benchmark::State& state) {
  Scene& scene = *sharedStage().scene;
  for (auto _ : state) {
    scene.gra("Abg,0");
    scene.spr("Bchr0,Bchr1");
    benchmark::DoNotOptimize(sharedStage().display.pixels.data());
  }
}

void BM_GraCold(benchmark::State& state) {
  Scene& scene = *sharedStage().scene;
  const char* const lines[] = {"Bchr0,Bchr1", "Bchr2,Bchr3", "Bchr4,Bchr5"};
  int i = 0;
  for (auto _ : state) {
    scene.gra("Abg,0");
    scene.spr(lines[i++ % 3]);
    benchmark::DoNotOptimize(sharedStage().display.pixels.data());
  }
}

void BM_ComposeTwoSprites(benchmark::State& state) {
  Scene& scene = *sharedStage().scene;
  scene.gra("Abg,0");
  scene.spr("Bchr0,Bchr1");
  for (auto _ : state) {
    scene.showScene(1);
    benchmark::DoNotOptimize(sharedStage().display.pixels.data());
  }
}

BENCHMARK(BM_GraWarm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GraCold)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComposeTwoSprites)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvid::bench
