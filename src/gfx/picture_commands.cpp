// The picture commands: "gra ", "grb ", "bg ", "clrb ", "spr " and "char ", "ovr ",
// "partsload ", "ptset ", "direct " and "fix". Each takes the text after its command word.

#include <algorithm>

#include "data/sjis.h"

#include "gfx/picture_arguments.h"
#include "gfx/picture_draw.h"
#include "gfx/scene.h"

namespace corvid {

namespace {

constexpr uint32_t kPtsetKey = 0xFFFF00;  // red 0, green 255, blue 255: left out by "ptset "
constexpr uint32_t kDirectPollMs = 10;    // "direct " lets the window work this often

char upperAscii(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

}  // namespace

// ---- gra, grb, bg ----------------------------------------------------------------------------

void Scene::gra(std::string_view arguments, bool fromTag) {
  if (!fromTag) state_.deferredDisplay = false;
  graOperation(arguments);
}

void Scene::grb(std::string_view arguments) {
  state_.deferredDisplay = true;
  graOperation(arguments);
}

// By the name's first letter: "A" a background, "S" a solid colour, "B" a standing picture.
void Scene::graOperation(std::string_view arguments) {
  const GraArguments a = parseGraArguments(arguments);
  if (a.name.empty()) return;
  switch (upperAscii(a.name[0])) {
    case 'A':
      storeLayerField(state_.backgroundName, a.name, kBackgroundNameBytes);
      loadBackground(a.name);
      if (state_.deferredDisplay && a.transition <= 0) return;
      clearSprites();
      showScene(a.transition);
      return;
    case 'S':
      storeLayerField(state_.backgroundName, a.name, kBackgroundNameBytes);
      backgroundChanged_ = true;
      load(a.name, s_.background, true);  // the colour of characters 2 to 4
      if (state_.deferredDisplay) return;
      clearSprites();
      showScene(a.transition);
      state_.deferredDisplay = false;
      return;
    case 'B': {
      std::string_view name = a.name;
      char side = a.side;
      if (side == 0)
        side = takeSideWrittenIntoName(
            name, [this](std::string_view n) { return pictures_.pictureExists(n); });
      standingPicture(name, a.transition, side);
      return;
    }
    default:
      return;
  }
}

// "gra B...": one sprite alone, or the left or right one of two.
void Scene::standingPicture(std::string_view name, int transition, char side) {
  if (side == 0) {
    slots_.count = 1;
    line_.assign(name);
    for (int k = 0; k < 4; ++k) slots_.names[size_t(k)].clear();
  } else {
    if (side == 'L') {
      slots_.names[0].assign(name);
    } else {
      if (slots_.count == 1) slots_.names[0].clear();
      slots_.names[1].assign(name);
    }
    line_.assign(slots_.names[0]);
    line_ += ',';
    line_ += slots_.names[1];
  }
  storeLayerField(state_.spriteLine, line_, kSpriteLineBytes);
  if (host_.skipLevel() == 2) return;  // skipping without drawing: the line is kept for later
  setSprites(line_);
  noteSpriteChange();
  if (state_.deferredDisplay) return;
  showScene(transition);
  state_.deferredDisplay = false;
}

void Scene::bg(std::string_view arguments) {
  const GraArguments a = parseGraArguments(arguments);
  storeLayerField(state_.backgroundName, a.name, kBackgroundNameBytes);
  loadBackground(a.name);
  if (state_.deferredDisplay) return;
  clearSprites();
  showScene(a.transition);
  state_.deferredDisplay = false;
}

// ---- clrb, spr, char -------------------------------------------------------------------------

void Scene::clrb(std::string_view arguments, bool fromTag) {
  const ClrbArguments a = parseClrbArguments(arguments);
  if (a.side == 0) {
    clearSprites();
  } else {
    slots_.names[a.side == 'L' ? 0 : 1].clear();  // the sprite count stays
    line_.assign(slots_.names[0]);
    line_ += ',';
    line_ += slots_.names[1];
    storeLayerField(state_.spriteLine, line_, kSpriteLineBytes);
  }
  showScene(a.transition);
  if (fromTag && a.transition == 0) showScene(1);
}

void Scene::spr(std::string_view arguments) {
  const int transition = setSprites(arguments);
  noteSpriteChange();
  showScene(transition);
}

// ---- ovr, partsload --------------------------------------------------------------------------

void Scene::ovr(std::string_view arguments) {
  const OvrArguments a = parseOvrArguments(arguments);
  storeLayerField(state_.overlayName, a.name, kOverlayNameBytes);
  if (a.hasX) S_[21] = a.x;
  if (a.hasY) S_[22] = a.y;
  const bool off = a.name.size() == 3 && upperAscii(a.name[0]) == 'O' &&
                   upperAscii(a.name[1]) == 'F' && upperAscii(a.name[2]) == 'F';
  if (!off) load(a.name, s_.overlay, false);
  S_[35] = off ? 0 : 1;
  showScene(a.transition);
  host_.forgetTextWindowShown();
}

void Scene::partsload(std::string_view arguments) {
  const PartsloadArguments a = parsePartsloadArguments(arguments);
  load(a.name, s_.parts, true);
  if (a.hasSecond) load(a.second, s_.output, true);
  S_[15] = a.hasSecond ? 1 : 0;
}

// ---- ptset, direct, fix: drawn on the display only -------------------------------------------
// The screen surface is left as it is, so the next repaint takes these away again.

void Scene::ptset(std::string_view arguments) {
  line_.assign(arguments);
  upperNameInPlace(line_);
  std::replace(line_.begin(), line_.end(), '\t', ' ');
  int32_t v[6] = {};
  std::string_view rest = line_;
  for (int i = 0; i < 6; ++i) {
    v[i] = host_.evaluate(rest);
    const size_t comma = rest.find(',');
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  const int64_t w = int64_t(v[2]) - v[0], h = int64_t(v[3]) - v[1];
  if (w <= 0 || h <= 0 || w > INT32_MAX || h > INT32_MAX) return;
  copyRectKeyed(s_.parts, v[0], v[1], int(w), int(h), s_.display, v[4], v[5], kPtsetKey);
  host_.present(s_.display);
}

void Scene::direct(std::string_view arguments) {
  const DirectArguments a = parseDirectArguments(arguments);
  const uint32_t start = host_.millis();
  load(a.name, s_.parts, false);
  copyRect(s_.parts, 0, 0, s_.parts.width, s_.parts.height, s_.display, a.x, a.y);
  host_.present(s_.display);
  host_.setScriptRunning(false);
  const uint32_t wait = uint32_t(std::max(a.ms, 0));
  for (uint32_t passed = host_.millis() - start; passed < wait; passed = host_.millis() - start) {
    if (!host_.pumpMessages()) break;
    host_.sleep(std::min(kDirectPollMs, wait - passed));
  }
  host_.setScriptRunning(true);
}

void Scene::fix() {
  copyFrame(s_.display, s_.stage);
  S_[23] = 0;
  copyFrame(s_.stage, s_.screen);
}

}  // namespace corvid
