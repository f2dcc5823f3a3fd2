#pragma once
// The text window as the message stream sees it: where each shown character goes, pages and
// rows, the name row and plate, ruby, wide spacing and colour codes, and the window commands.
//
// GridTextSink keeps the page's character grid and the text cursor with the full layout rules
// (line breaks at MOJI_MAX_X, hanging punctuation, the indent of continued rows, the dropped
// full-width space after an automatic break, wide spacing) but draws nothing. The drawn text
// window (gfx/text_window.h) extends it behind the same interface.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvid {

struct GameConfig;
struct VariableSpaces;
class MessageLog;

class TextSink {
 public:
  virtual ~TextSink() = default;

  // ---- The message stream -------------------------------------------------------------
  // A displayable character of `width` bytes (1 or 2).
  virtual void placeCharacter(const char* bytes, int width) = 0;
  // A new page: the grid is cleared and the window shown.
  virtual void beginMessage() = 0;
  // The end of a text line: column 0 of the next row.
  virtual void newLine() = 0;
  // An empty script line: one row down, the column as it is.
  virtual void lineBreak() = 0;
  // Column and row back to 0 (resetWaitState).
  virtual void resetCursor() = 0;
  // On while a speaker name is printed as text in full-screen text mode.
  virtual void setNameInline(bool on) = 0;
  // The speaker name in row 0 of the grid (window mode), and its plate drawn.
  virtual void writeNameRow(std::string_view name) = 0;
  virtual void drawNamePlate(std::string_view name) = 0;
  virtual void drawRuby(std::string_view text) = 0;
  virtual void setWideSpacing(bool on) = 0;
  // The colour tag: colour code n, and the text colour selected for it.
  virtual void setColourCode(int32_t code) = 0;

  virtual bool windowShown() const = 0;
  // Characters placed since the grid was last cleared (auto-advance counts them).
  virtual int32_t charactersShown() const = 0;

  // ---- Window commands ----------------------------------------------------------------
  virtual void openTextWindow() = 0;               // win_open
  virtual void closeTextWindow() = 0;              // win_close
  virtual void setTextMode(int32_t mode) = 0;      // mode: full-screen text mode on (1) or off
  virtual void declareWindowShown(bool shown) = 0; // tw_set: grid cleared, nothing drawn
  // The grid emptied (start-up, loading).
  virtual void clearTextGrid() = 0;
};

// The page memory: 20 rows x 100 byte columns of characters, and the colour code in force at
// the column where each character starts. Row 0 holds the speaker's name in window mode.
struct TextGrid {
  static constexpr int kRows = 20;
  static constexpr int kColumns = 100;
  std::array<std::array<char, kColumns>, kRows> characters{};
  std::array<std::array<uint8_t, kColumns>, kRows> colours{};
  bool empty = true;  // nothing drawn since the grid was cleared

  void clear();
  // Row r of the character plane, up to its first zero byte.
  std::string rowText(int r) const;
  int32_t colourAt(int r, int c) const;
};

// Where the next character goes. The wrapped flag is S38 (the system variables keep it).
struct TextCursor {
  int32_t column = 0;           // byte column of the next character
  int32_t row = 0;
  bool wideSpacing = false;     // "[2]": every character advances 3 columns
  bool nameInline = false;      // a speaker name printed as text in full-screen text mode
  int32_t colourCode = 0;       // the last colour tag; 0 after clearTextGrid
  int32_t charactersShown = 0;  // placed since the last clearTextGrid
};

// The layout of the text window without drawing. The drawn window extends it through the
// protected hooks, which this class calls at the moments the window draws.
class GridTextSink : public TextSink {
 public:
  static constexpr int kRows = TextGrid::kRows;
  static constexpr int kColumns = TextGrid::kColumns;

  // `skipLevel` is read at every new page (skipping without text draws no window).
  GridTextSink(const GameConfig& config, VariableSpaces& vars, MessageLog& log,
               const int32_t& skipLevel)
      : config_(config), vars_(vars), log_(log), skipLevel_(skipLevel) {}

  void placeCharacter(const char* bytes, int width) override;
  void beginMessage() override;
  void newLine() override;
  void lineBreak() override { ++cursor_.row; }
  void resetCursor() override { cursor_.column = cursor_.row = 0; }
  void setNameInline(bool on) override { cursor_.nameInline = on; }
  void writeNameRow(std::string_view name) override;
  void drawNamePlate(std::string_view name) override;
  void drawRuby(std::string_view text) override;
  void setWideSpacing(bool on) override { cursor_.wideSpacing = on; }
  void setColourCode(int32_t code) override;
  bool windowShown() const override { return shown_; }
  int32_t charactersShown() const override { return cursor_.charactersShown; }
  void openTextWindow() override;
  void closeTextWindow() override;
  void setTextMode(int32_t mode) override;
  void declareWindowShown(bool shown) override;
  void clearTextGrid() override;

  // ---- What tests, saves and the state file read ---------------------------------------
  const TextGrid& grid() const { return grid_; }
  const TextCursor& cursor() const { return cursor_; }
  int32_t column() const { return cursor_.column; }
  int32_t row() const { return cursor_.row; }
  bool nameInline() const { return cursor_.nameInline; }
  bool wideSpacing() const { return cursor_.wideSpacing; }
  int32_t colourCode() const { return cursor_.colourCode; }
  bool gridEmpty() const { return grid_.empty; }
  std::string rowText(int r) const { return grid_.rowText(r); }
  int32_t colourAt(int r, int c) const { return grid_.colourAt(r, c); }

 protected:
  // ---- Hooks of the drawn window ---------------------------------------------------------
  // A character stored at the cursor (before the cursor advances).
  virtual void characterPlaced(const char* bytes, int width) {}
  // A new page has begun and the window is shown now; `wasShown` whether it was before.
  virtual void pageBegun(bool wasShown) {}
  // The text colour of a colour code is wanted (a page, the colour tag, the mode command).
  virtual void colourSelected(int32_t code) {}

  bool fullScreenText() const;
  // The speaker's colour for a name: the first registered speaker of that name, else white.
  int32_t speakerColour(std::string_view name) const;

  const GameConfig& config_;
  VariableSpaces& vars_;
  MessageLog& log_;
  const int32_t& skipLevel_;
  TextGrid grid_;
  TextCursor cursor_;
  bool shown_ = false;

 private:
  void storeCharacter(const char* bytes, int width);
};

// The characters that may hang into the two columns after a row's maximum instead of starting
// the next row: small kana, closing brackets and punctuation (33 codes).
bool isNoLineStart(const char* bytes, int width);

}  // namespace corvid
