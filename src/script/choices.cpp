// The choices: opening a select or a click map, the highlight under the mouse, the decision,
// the timed choice, switch, and the jump into the chosen block.
//
// Sections: reading the blocks; select (layout, drawing, replay); click maps; hover; decision;
// timer and jumps.

#include "script/choices.h"

#include <algorithm>

#include "data/game_config.h"
#include "script/expression.h"
#include "script/interpreter.h"

namespace corvid {

namespace {

constexpr int32_t kScreenWidthPixels = 800;  // the picture the bars are centred in
constexpr int32_t kCentreX = kScreenWidthPixels / 2;
// Where a title has no bar picture at all, the bars are laid out as if one of this size were
// there (nothing is drawn), so that the list can still be picked.
constexpr int32_t kFallbackBarWidth = 400;
constexpr int32_t kFallbackBarHeight = 48;  // coverage rows included
constexpr int32_t kBlinks = 4;               // copies of a decided bar
constexpr int32_t kReplayBlinks = 14;        // when a recollection replay decides
constexpr uint32_t kBlinkMs = 100;
constexpr int32_t kFullScreenTextOffsetY = 5;
constexpr uint32_t kColourRegionMask = 0xF0F0F0;

// The conditions of "{(" lines, decided by the variables; an unreadable one is reported.
class PlayedConditions final : public BlockConditions, private VariableObserver {
 public:
  PlayedConditions(const VariableSpaces& vars, RandomGenerator& random, ChoiceHost& host)
      : vars_(vars), random_(random), host_(host) {}
  bool holds(std::string_view text) override {
    return evaluateCondition(text, vars_, random_, this);
  }

 private:
  void systemVariableAssigned(int) override {}
  void ignoredError(std::string_view what, std::string_view text) override {
    host_.problem(what, text);
  }
  const VariableSpaces& vars_;
  RandomGenerator& random_;
  ChoiceHost& host_;
};

bool strictlyInside(const ChoiceRect& r, int x, int y) {
  return r.left < x && x < r.right && r.top < y && y < r.bottom;
}

}  // namespace

// ---- Reading the blocks ---------------------------------------------------------------------------

void Choices::readBlocks(ChoiceBlockKind kind, ChoiceBlocks& blocks) {
  PlayedConditions conditions(c_.vars, c_.random, c_.host);
  const ScriptImage& image = c_.interpreter.images().main;
  readChoiceBlocks(image, image.position, kind, c_.vars, conditions, blocks);
  s_.constructEnd = blocks.constructEnd;
  if (!blocks.closed) c_.host.problem("choice blocks without their closing \"}\"", {});
  if (blocks.overflow) c_.host.problem("more than 32 choice blocks: the first 32 are read", {});
  if (blocks.textCut) c_.host.problem("choice text longer than 63 bytes, cut", {});
}

// A construct that offers nothing is passed over: the script goes on at its closing line.
void Choices::skipConstruct() {
  c_.interpreter.images().main.position = s_.constructEnd;
  c_.interpreter.state().fetch = true;
}

// ---- select -----------------------------------------------------------------------------------------

bool Choices::barSize(ChoiceBar bar, int32_t& width, int32_t& height) const {
  if (c_.screen.barSize(bar, width, height)) return true;
  // A title without the wide bars gets the normal ones in their place.
  if ((bar == ChoiceBar::Wide || bar == ChoiceBar::WideHighlighted) &&
      c_.screen.barSize(bar == ChoiceBar::Wide ? ChoiceBar::Normal : ChoiceBar::NormalHighlighted,
                        width, height))
    return true;
  width = kFallbackBarWidth;
  height = kFallbackBarHeight;
  return false;
}

void Choices::openSelect(int32_t n) {
  if (!c_.host.skipping()) c_.host.playSystemSound("SSE02");
  c_.host.raiseBusy();
  const bool fullScreen = c_.vars.S[160] != 0;
  c_.wait.choiceActive = fullScreen ? 2 : 1;
  const int32_t row = c_.host.textCursorRow();

  s_ = ChoiceState{};
  readBlocks(ChoiceBlockKind::Select, blocks_);
  s_.count = blocks_.count;
  for (int32_t i = 0; i < s_.count; ++i) {
    s_.texts[size_t(i)] = blocks_.blocks[size_t(i)].text;
    s_.targets[size_t(i)] = blocks_.blocks[size_t(i)].target;
    s_.hasTarget[size_t(i)] = true;
    s_.enabled[size_t(i)] = true;
  }
  layOutSelect(fullScreen, row);

  if (n != 0 || s_.count == 0) {
    // Taken unseen, or nothing to offer: no list is shown.
    c_.host.lowerBusy();
    c_.wait.choiceActive = 0;
    if (n >= 1 && n <= s_.count) {
      s_.highlighted = n;
      jumpToChoice();
      return;
    }
    c_.host.problem(s_.count == 0 ? "select without a choice to offer"
                                  : "select of a choice the list does not have", {});
    skipConstruct();
    return;
  }

  c_.screen.keepBackup();
  if (fullScreen) {
    drawTextLines();
  } else {
    drawWindowBars();
    if (replayDecides()) {
      c_.host.lowerBusy();
      return;
    }
  }
  s_.highlighted = -1;
  int32_t x = 0, y = 0;
  c_.host.mousePosition(x, y);
  hoverChoice(x, y);
  c_.host.lowerBusy();
}

// The bars in window mode; the lines of full-screen text mode, counting rows down from the
// text cursor's.
void Choices::layOutSelect(bool fullScreen, int32_t row) {
  const GameConfig& config = c_.config;
  if (fullScreen) {
    s_.normalBar = ChoiceBar::Wide;
    s_.highlightBar = ChoiceBar::WideHighlighted;
    int32_t width = 0, height = 0;
    barSize(ChoiceBar::Wide, width, height);
    const int32_t left = (kScreenWidthPixels - width) / 2;
    for (int32_t k = 0; k < s_.count; ++k) {
      const int32_t top = (row + k) * config.tx2PitchY + config.tx2OfsY;
      s_.rects[size_t(k)] = {left, top, left + width, top + height / 2};
    }
    return;
  }
  s_.boxTop = config.selectYPos - (config.selectYPitch / 2) * s_.count;
  size_t longest = 0;
  for (int32_t k = 0; k < s_.count; ++k) longest = std::max(longest, s_.texts[size_t(k)].size());
  const bool wide = int64_t(longest) >= 2 * int64_t(config.selectExpand);
  s_.normalBar = wide ? ChoiceBar::Wide : ChoiceBar::Normal;
  s_.highlightBar = wide ? ChoiceBar::WideHighlighted : ChoiceBar::NormalHighlighted;
  int32_t width = 0, height = 0;
  barSize(s_.normalBar, width, height);
  s_.boxWidth = width;
  s_.boxLeft = (kScreenWidthPixels - width) / 2;
  for (int32_t k = 0; k < s_.count; ++k) s_.rects[size_t(k)] = windowBarRect(k);
}

// The part of the display a window-mode bar takes: its width, one pitch high.
ChoiceRect Choices::windowBarRect(int32_t index) const {
  const int32_t left = kCentreX - s_.boxWidth / 2;
  const int32_t top = s_.boxTop + index * c_.config.selectYPitch;
  return {left, top, left + s_.boxWidth, top + c_.config.selectYPitch};
}

void Choices::drawWindowBars() {
  ChoiceScreen& screen = c_.screen;
  screen.startHighlight();
  int32_t width = 0, normalHeight = 0;
  barSize(ChoiceBar::Normal, width, normalHeight);
  for (int32_t k = 0; k < s_.count; ++k) {
    const int32_t barTop = s_.boxTop + k * c_.config.selectYPitch;
    screen.drawBar(s_.normalBar, s_.boxLeft, barTop, false);
    screen.drawBar(s_.highlightBar, s_.boxLeft, barTop, true);
    const int32_t textY =
        barTop + normalHeight / 4 - c_.config.fontSize / 2 - c_.config.selectTxtOy;
    const std::string_view text = s_.texts[size_t(k)].view();
    screen.drawCentredText(text, kCentreX, textY, 0, false);
    screen.drawCentredText(text, kCentreX, textY, 2, true);
  }
  screen.resetTextColour();
  screen.showScreen();
}

void Choices::drawTextLines() {
  ChoiceScreen& screen = c_.screen;
  screen.startHighlight();
  for (int32_t k = 0; k < s_.count; ++k) {
    const ChoiceRect& r = s_.rects[size_t(k)];
    screen.drawBar(s_.normalBar, r.left, r.top, false);
    screen.drawBar(s_.highlightBar, r.left, r.top, true);
    const int32_t middle = (r.left + r.right) / 2;
    const std::string_view text = s_.texts[size_t(k)].view();
    screen.drawCentredText(text, middle, r.top + kFullScreenTextOffsetY, 7, false);
    screen.drawCentredText(text, middle, r.top + kFullScreenTextOffsetY, 4, true);
  }
  screen.resetTextColour();
}

// A recollection replay (S161 = 2) takes the recorded choice itself. The last recorded choice
// hands over to recording (S161 = 1) once it has been decided, so that it is not recorded a
// second time and still blinks as a replayed one.
bool Choices::replayDecides() {
  auto& S = c_.vars.S;
  if (S[161] != 2) return false;
  const int32_t index = std::max(S[163], 0);
  if (index >= S[162]) {
    S[161] = 1;
    S[162] = index;
    return false;
  }
  const int32_t choice = c_.record.at(index);
  S[163] = index + 1;
  const bool last = S[163] >= S[162];
  const bool fits = choice >= 1 && choice <= s_.count;
  if (fits) {
    s_.highlighted = choice;
    decideChoice(false);
  } else {
    c_.host.problem("recorded choice not in this list: the player picks", {});
  }
  if (last) {
    S[161] = 1;
    S[162] = S[163];
  }
  return fits;
}

// ---- Click maps -------------------------------------------------------------------------------------

void Choices::openClickMap(std::string_view name) {
  s_ = ChoiceState{};
  readBlocks(ChoiceBlockKind::ClickMap, blocks_);
  if (!c_.interpreter.loadScript("map", ScriptTarget::Aux)) {
    c_.host.problem("clickmap without the section \"map\"", name);
    skipConstruct();
    return;
  }
  if (!readClickMap(c_.interpreter.images().aux, name, definition_)) {
    c_.host.problem("clickmap of a name the section \"map\" does not hold", name);
    skipConstruct();
    return;
  }
  s_.count = definition_.count;
  bool pickable = false;
  for (int32_t i = 0; i < s_.count; ++i) {
    const size_t k = size_t(i);
    ClickRegion& region = s_.regions[k] = definition_.regions[k];
    s_.rects[k] = region.rect;
    s_.enabled[k] = true;
    if (i >= blocks_.count) continue;  // a region without a block cannot be picked
    const ChoiceBlock& block = blocks_.blocks[k];
    s_.targets[k] = block.target;
    s_.hasTarget[k] = true;
    s_.enabled[k] = block.enabled;
    if (!block.text.empty()) {
      region.caption = block.text;
      region.label = captionBox(region.rect, region.caption.view());
    }
    if (block.timed && block.enabled) {
      s_.timedTicks = block.timedTicks;
      s_.timedChoice = i + 1;
    }
    pickable = pickable || block.enabled;
  }
  for (int32_t i = 0; i < s_.count; ++i) s_.texts[size_t(i)] = s_.regions[size_t(i)].caption;
  if (!pickable) {
    c_.host.problem("clickmap without a region that can be picked", name);
    skipConstruct();
    return;
  }
  s_.highlighted = 0;
  c_.wait.choiceActive = 4;
  s_.cursorShape = 0;
  c_.host.setCursorShape(0);
  int32_t x = 0, y = 0;
  c_.host.mousePosition(x, y);
  hoverChoice(x, y);
}

// The first region under (x, y), in order: a colour region by the parts picture's pixel there,
// a rectangle region by its inside. A region that may not be picked is passed over.
int32_t Choices::clickMapCandidate(int x, int y) {
  for (int32_t i = 0; i < s_.count; ++i) {
    const ClickRegion& region = s_.regions[size_t(i)];
    if (!s_.enabled[size_t(i)] || !s_.hasTarget[size_t(i)]) continue;
    if (region.kind == RegionKind::Colour) {
      uint32_t pixel = 0;
      if (!c_.screen.partsPixel(x, y, pixel) || (pixel & kColourRegionMask) != region.colour)
        continue;
      s_.cursorShape = region.cursor;
      return i + 1;
    }
    if (strictlyInside(region.rect, x, y)) return i + 1;
  }
  s_.cursorShape = 0;
  return 0;
}

void Choices::hoverClickMap(int x, int y) {
  const int32_t shape = s_.cursorShape;
  const int32_t candidate = clickMapCandidate(x, y);
  if (s_.cursorShape != shape) c_.host.setCursorShape(s_.cursorShape);
  if (candidate == s_.highlighted) return;
  ChoiceScreen& screen = c_.screen;
  if (s_.highlighted > 0) {
    const ClickRegion& old = s_.regions[size_t(s_.highlighted - 1)];
    if (old.kind == RegionKind::Picture || old.kind == RegionKind::Pair)
      screen.showRect(old.rect, false);
  }
  s_.highlighted = candidate;
  if (candidate == 0) {
    screen.showScreen();
    return;
  }
  const ClickRegion& region = s_.regions[size_t(candidate - 1)];
  screen.startHighlight();
  if (region.kind == RegionKind::Picture || region.kind == RegionKind::Pair)
    screen.partsToHighlight(region.rect, region.rect.left, region.rect.top);
  if (region.kind == RegionKind::Pair)
    screen.partsToHighlight(region.second, region.secondX, region.secondY);
  screen.showHighlight();
}

// ---- Hover --------------------------------------------------------------------------------------------

void Choices::hoverChoice(int x, int y) {
  switch (kind()) {
    case 1:
    case 2: hoverSelect(x, y); return;
    case 4: hoverClickMap(x, y); return;
    default: return;
  }
}

void Choices::hoverSelect(int x, int y) {
  int32_t candidate = 0;
  if (kind() == 2) {
    for (int32_t k = 0; k < s_.count && candidate == 0; ++k)
      if (strictlyInside(s_.rects[size_t(k)], x, y)) candidate = k + 1;
  } else {
    const int64_t pitch = c_.config.selectYPitch;
    const int64_t top = s_.boxTop;
    const int32_t half = s_.boxWidth / 2;
    if (kCentreX - half < x && x < kCentreX + half && top < y && y < top + pitch * s_.count)
      candidate = int32_t((y - top) / pitch + 1);
  }
  if (candidate == s_.highlighted) return;
  // Only the bars are redrawn, each from the surface that holds its look.
  for (int32_t k = 0; k < s_.count; ++k) c_.screen.showRect(s_.rects[size_t(k)], k + 1 == candidate);
  s_.highlighted = candidate;
}

bool Choices::keyboardPointFor(int index, int& x, int& y) const {
  if (kind() != 1 || index < 0 || index >= s_.count) return false;
  x = s_.boxLeft + s_.boxWidth - 57;
  y = s_.boxTop + index * c_.config.selectYPitch + 31;
  return true;
}

// ---- Decision -----------------------------------------------------------------------------------------

void Choices::decideChoice(bool) {
  const int32_t open = kind();
  const int32_t h = s_.highlighted;
  // The selection tree decides by itself; it is not opened here.
  if (open != 1 && open != 2 && open != 4) return;
  if (h < 1 || h > s_.count) return;
  if (!s_.hasTarget[size_t(h - 1)] || !s_.enabled[size_t(h - 1)]) return;

  auto& S = c_.vars.S;
  const std::string& sound = c_.vars.strings[7].empty() ? std::string("SSE01") : c_.vars.strings[8];
  c_.host.playVoiceOrSound(sound);
  if (S[161] == 1 && c_.record.store(S[162], h)) ++S[162];
  s_.timedChoice = 0;
  s_.timedTicks = 0;
  switch (open) {
    case 1: decideWindowBar(); return;
    case 2: decideTextLine(); return;
    default: decideClickMap(); return;
  }
}

void Choices::decideWindowBar() {
  const ChoiceRect bar = windowBarRect(s_.highlighted - 1);
  const int32_t copies = c_.vars.S[161] == 2 ? kReplayBlinks : kBlinks;
  for (int32_t i = 0; i < copies; ++i) {
    c_.screen.showRect(bar, i % 2 == 1);
    c_.host.sleep(kBlinkMs);
  }
  c_.vars.S[15] = 0;
  c_.wait.choiceActive = 0;
  c_.screen.restoreBackup();
  if (c_.text.windowShown()) c_.text.beginMessage();
  jumpToChoice();
}

// The lines go with the backup put back; the new page then covers the screen.
void Choices::decideTextLine() {
  c_.vars.S[15] = 0;
  c_.screen.restoreBackup();
  c_.text.beginMessage();
  jumpToChoice();
  c_.wait.choiceActive = 0;
}

void Choices::decideClickMap() {
  if (c_.vars.S[15] != 0) c_.screen.showDecidedRegion(s_.rects[size_t(s_.highlighted - 1)]);
  else if (c_.vars.S[160] == 0) c_.screen.showScreen();
  finish();
}

// A click map closes: S15 cleared, the script goes on in the chosen block, the cursor is the
// default again.
void Choices::finish() {
  c_.vars.S[15] = 0;
  jumpToChoice();
  c_.wait.choiceActive = 0;
  if (s_.cursorShape != 0) c_.host.setCursorShape(0);
  s_.cursorShape = 0;
}

// ---- Timer and jumps ------------------------------------------------------------------------------------

void Choices::choiceTick() {
  if (s_.timedChoice == 0) return;
  if (--s_.timedTicks > 0) return;
  s_.highlighted = s_.timedChoice;
  s_.timedChoice = 0;
  s_.timedTicks = 0;
  // The highlight goes with the map, as when the player picks with S15 at 0.
  if (kind() == 4 && c_.vars.S[160] == 0) c_.screen.showScreen();
  finish();
}

void Choices::jumpToChoice() {
  const int32_t i = s_.highlighted - 1;
  if (i < 0 || i >= s_.count || !s_.hasTarget[size_t(i)]) return;
  c_.interpreter.images().main.position = s_.targets[size_t(i)];
  c_.vars.S[10] = 0;
  c_.interpreter.state().fetch = true;
}

void Choices::close() {
  c_.wait.choiceActive = 0;
  s_.highlighted = 0;
  s_.timedChoice = 0;
  s_.timedTicks = 0;
  if (s_.cursorShape != 0) c_.host.setCursorShape(0);
  s_.cursorShape = 0;
}

int32_t Choices::kind() const { return c_.wait.choiceActive; }

// ---- Commands ---------------------------------------------------------------------------------------------

int Choices::carryOut(const OwnedCommand& command) {
  switch (command.id) {
    case CommandId::Select: openSelect(command.value); break;
    case CommandId::ClickMap: openClickMap(command.arguments); break;
    case CommandId::Switch: runSwitch(command.arguments); break;
    default: break;
  }
  return commandInfo(command.id).result;
}

// ---- switch --------------------------------------------------------------------------------------------

void Choices::runSwitch(std::string_view name) {
  PlayedConditions conditions(c_.vars, c_.random, c_.host);
  ScriptImage& image = c_.interpreter.images().main;
  const SwitchCase taken = findSwitchCase(image, image.position, name, conditions);
  if (!taken.closed) c_.host.problem("switch without its closing line", name);
  image.position = taken.position;
  c_.interpreter.state().fetch = true;
}

}  // namespace corvid
