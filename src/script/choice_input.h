#pragma once
// What the input handlers ask of an open choice (a select, a click map, the selection tree).
// The choices implement it; the engine hands it to the input routing.

#include <cstdint>

namespace corvid {

class ChoiceInput {
 public:
  virtual ~ChoiceInput() = default;
  // The mouse moved to (x, y) of the 800x600 picture while a choice is open: highlight.
  virtual void hoverChoice(int x, int y) = 0;
  // A click while a choice is open (the click guard has run out): pick what is highlighted.
  virtual void decideChoice(bool rightButton) = 0;
  // 1-based number of the highlighted choice, 0 none, -1 none drawn yet.
  virtual int32_t highlightedChoice() const = 0;
  virtual int32_t choiceCount() const = 0;
  // Where the Up and Down keys put the pointer for bar `index` (0-based) of a window-mode
  // select: (box left + box width - 57, bar top + 31) of the picture. False when there is no
  // such bar.
  virtual bool keyboardPointFor(int index, int& x, int& y) const = 0;
};

}  // namespace corvid
