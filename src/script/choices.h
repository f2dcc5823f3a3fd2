#pragma once
// Choices: the `select` list (bars in window mode, lines in full-screen text mode), the
// `clickmap` regions and the `switch` branch. While a choice is open the interpreter does not
// step; the mouse highlights and picks (ChoiceInput), the 55 ms timer runs the choice tick
// (timed choices), and a recollection replay picks recorded choices by itself. Picking a
// choice moves the script to the first line of its block; reaching the next "{" line skips
// the rest of the construct (the interpreter does that).
//
// Sections: the choice state; the Choices (commands, input, timer, jumps, state).

#include <array>
#include <cstdint>
#include <string_view>

#include "script/choice_blocks.h"
#include "script/choice_input.h"
#include "script/choice_record.h"
#include "script/choice_screen.h"
#include "script/command_owners.h"

namespace corvid {

struct GameConfig;
struct VariableSpaces;
struct WaitState;
class Interpreter;
class RandomGenerator;
class TextSink;

// ---- The choice state (not saved with a game) ---------------------------------------------------

struct ChoiceState {
  int32_t count = 0;        // 0 .. 32
  int32_t highlighted = 0;  // 1-based; 0 none, -1 none drawn yet
  std::array<int32_t, kMaxChoices> targets{};  // main-image position of each block's lines
  std::array<bool, kMaxChoices> hasTarget{};   // a click-map region without a block has none
  std::array<ChoiceText, kMaxChoices> texts;   // choice texts, click-map captions
  std::array<ChoiceRect, kMaxChoices> rects{}; // bars, full-screen lines, click-map regions
  std::array<bool, kMaxChoices> enabled{};     // may be picked
  std::array<ClickRegion, kMaxChoices> regions;  // the click map's definition
  int32_t constructEnd = 0;  // the closing "}" line
  int32_t timedTicks = 0;    // timer ticks before the timed choice is picked
  int32_t timedChoice = 0;   // the choice it picks; 0 none
  int32_t cursorShape = 0;   // 0 the default cursor
  int32_t boxLeft = 0, boxTop = 0, boxWidth = 0;  // where the window-mode bars are
  ChoiceBar normalBar = ChoiceBar::Normal;         // the pair the bars are drawn with
  ChoiceBar highlightBar = ChoiceBar::NormalHighlighted;
};

struct ChoiceContext {
  Interpreter& interpreter;  // the main image and the read position; "map" into the auxiliary one
  VariableSpaces& vars;
  RandomGenerator& random;
  WaitState& wait;           // choiceActive
  const GameConfig& config;
  TextSink& text;            // windowShown, beginMessage
  ChoiceRecord& record;
  ChoiceScreen& screen;
  ChoiceHost& host;
};

// ---- The Choices ------------------------------------------------------------------------------------

class Choices final : public ChoiceInput {
 public:
  explicit Choices(ChoiceContext context) : c_(context) {}
  Choices(const Choices&) = delete;
  Choices& operator=(const Choices&) = delete;

  // ---- Commands: the script position is the line after the command -----------------------
  // The owned command select, clickmap or switch; returns its result code (the step ends).
  int carryOut(const OwnedCommand& command);
  // select: n its expression's value (0 when absent). A nonzero n takes choice n unseen.
  void openSelect(int32_t n);
  // clickmap: the definition `name` of the section "map"; refused (nothing opens, the
  // construct is skipped as the script reaches it) when the section or the name is missing.
  void openClickMap(std::string_view name);
  // switch: the first case that holds, or past the construct.
  void runSwitch(std::string_view name);

  // ---- ChoiceInput ---------------------------------------------------------------------------
  void hoverChoice(int x, int y) override;
  void decideChoice(bool rightButton) override;
  int32_t highlightedChoice() const override { return s_.highlighted; }
  int32_t choiceCount() const override { return s_.count; }
  bool keyboardPointFor(int index, int& x, int& y) const override;

  // ---- The 55 ms timer and the interpreter's waits ----------------------------------------
  // While a choice is open: a timed choice counts down and is picked at 0.
  void choiceTick();
  // A click wait of kind 3 ends: no choice of this engine waits that way, so there is nothing
  // left to advance; an open choice stays as it is.
  void advanceChoice() {}
  // The script goes on at the highlighted choice's block; S10 cleared.
  void jumpToChoice();
  // Closed without a pick (a game loaded over an open choice).
  void close();

  // ---- State -----------------------------------------------------------------------------------
  int32_t kind() const;  // choiceActive
  const ChoiceState& state() const { return s_; }

 private:
  void readBlocks(ChoiceBlockKind kind, ChoiceBlocks& blocks);
  void layOutSelect(bool fullScreen, int32_t row);
  void drawWindowBars();
  void drawTextLines();
  void replayRecordedChoice();
  bool replayDecides();
  void skipConstruct();
  void hoverSelect(int x, int y);
  void hoverClickMap(int x, int y);
  int32_t clickMapCandidate(int x, int y);
  ChoiceRect windowBarRect(int32_t index) const;
  void decideWindowBar();
  void decideTextLine();
  void decideClickMap();
  void finish();
  bool barSize(ChoiceBar bar, int32_t& width, int32_t& height) const;

  ChoiceContext c_;
  ChoiceState s_;
  ChoiceBlocks blocks_;           // scratch of the block reading
  ClickMapDefinition definition_; // scratch of the click-map reading
};

}  // namespace corvid
