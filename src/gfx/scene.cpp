// The scene's composition and the scene change. Sections: construction and loading; the stage;
// the screen; the scene change; restoring.

#include "gfx/scene.h"

#include <algorithm>

#include "gfx/blend.h"
#include "gfx/picture_arguments.h"
#include "gfx/picture_draw.h"
#include "gfx/stage_filter.h"

namespace corvid {

// ---- Construction and loading ----------------------------------------------------------------

Scene::Scene(SceneSurfaces surfaces, SystemVariables& S, const GameConfig& config,
             PictureLoader& pictures, SceneHost& host)
    : s_(surfaces), S_(S), config_(config), pictures_(pictures), host_(host) {
  for (std::string& name : slots_.names) name.reserve(64);
  line_.reserve(256);
  name_.reserve(64);
}

// A picture by name into `out`; `resolve` also understands "#" composites and "S" colours.
// A picture no archive holds is silently absent; one that cannot be read is said to the host.
bool Scene::load(std::string_view name, Surface& out, bool resolve) {
  const PictureLoad result =
      resolve ? pictures_.resolvePicture(name, out) : pictures_.loadPicture(name, out);
  if (result.status == PictureLoadStatus::Refused) host_.pictureProblem(result.error);
  return result.ok();
}

void Scene::loadBackground(std::string_view name) {
  backgroundChanged_ = true;
  name_.assign(name);
  upperNameInPlace(name_);
  host_.backgroundLoaded(name_);
  load(name, s_.background, true);
}

// ---- The stage -------------------------------------------------------------------------------

void Scene::composeStage() {
  // A background of another size is laid at the top left; the stage keeps its 800x600.
  copyFrame(s_.background, s_.stage);
  const bool overlayOn = !host_.historyOpen() && S_[35] == 1;
  if (overlayOn && S_[20] == 0) drawOverlay();
  const int base = spriteLayoutBase(slots_.count);
  for (int k : spriteDrawingOrder(slots_.count, S_[24] != 0))
    drawSprite(k, S_[size_t(base + k)], S_[size_t(base + 10 + k)]);
  if (overlayOn && S_[20] == 1) drawOverlay();
}

void Scene::drawOverlay() {
  const Surface& overlay = s_.overlay;
  if (overlay.empty()) return;
  const int x = S_[21], y = S_[22];
  if (S_[23] == 0) {
    drawSideBySide(s_.stage, overlay, x, y);
    return;
  }
  // The constant-weight form covers each row in whole groups of 8 bytes. It is clipped to the
  // stage here: the part of the overlay outside it is left out.
  const int64_t left = std::max<int64_t>(0, -int64_t(x)), top = std::max<int64_t>(0, -int64_t(y));
  const int64_t width = std::min<int64_t>(overlay.width, int64_t(s_.stage.width) - x) - left;
  const int64_t bottom = std::min<int64_t>(overlay.height, int64_t(s_.stage.height) - y);
  if (width <= 0) return;
  const int groups = int(width * 3 / 8);
  for (int64_t r = top; r < bottom; ++r) {
    uint8_t* stageRow = s_.stage.at(int(x + left), int(y + r));
    blendRow(overlay.at(int(left), int(r)), stageRow, groups, S_[23], stageRow);
  }
}

// ---- The screen ------------------------------------------------------------------------------

void Scene::composeScreen() {
  host_.restoreCartoonMark(s_.screen);
  if (S_[160] == 0 && !host_.refreshAnimationFrames(s_.screen)) copyFrame(s_.stage, s_.screen);
  host_.composeTextWindow(s_.screen);
}

// ---- The scene change ------------------------------------------------------------------------

void Scene::showScene(int n) {
  if (n == 0) return;
  host_.raiseBusy();
  copyFrame(s_.screen, s_.work);  // the old screen
  composeStage();
  applyStageFilter(s_.stage, S_[11], S_[13]);
  // Full-screen text mode's two-stage show: the new stage alone first, then the text over it.
  const bool textMode = S_[160] != 0;
  if (textMode && ((S_[9] == 1 && backgroundChanged_) || S_[9] == 2)) {
    copyFrame(s_.stage, s_.screen);
    runTransition(n);
    copyFrame(s_.screen, s_.work);
    if (S_[9] == 1) backgroundChanged_ = false;
    n = 6;
  }
  composeScreen();
  runTransition(n);
  host_.lowerBusy();
  if (host_.textWindowShown()) host_.redrawTextWindow(s_.screen);
}

// The one place transitions plug in: the display goes from the work surface (the old screen)
// to the screen surface with transition n.
void Scene::runTransition(int n) {
  ++transitionsRun_;
  lastTransition_ = n;
  if (transitions_) {
    transitions_->runTransition(n);
    return;
  }
  copyFrame(s_.screen, s_.display);
  host_.present(s_.display);
}

// ---- Restoring -------------------------------------------------------------------------------

void Scene::restoreLayers() {
  if (!state_.backgroundName.empty()) loadBackground(state_.backgroundName);
  if (S_[35] == 1) load(state_.overlayName, s_.overlay, false);
  setSprites(state_.spriteLine);
}

void Scene::redrawScene() {
  restoreLayers();
  showScene(1);
}

}  // namespace corvid
