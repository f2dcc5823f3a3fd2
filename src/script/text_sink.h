#pragma once
// The text window as the message stream sees it: where each shown character goes, pages and
// rows, the name row and plate, ruby, wide spacing and colour codes, and the window commands.
//
// GridTextSink is the first implementation: it keeps the page's character grid and the text
// cursor with the full layout rules (line breaks at MOJI_MAX_X, hanging punctuation, the
// indent of continued rows, the dropped full-width space after an automatic break, wide
// spacing) but draws nothing. The drawn text window takes its place behind the same
// interface.

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

class GridTextSink final : public TextSink {
 public:
  static constexpr int kRows = 20;
  static constexpr int kColumns = 100;

  // `skipLevel` is read at every new page (skipping without text draws no window).
  GridTextSink(const GameConfig& config, VariableSpaces& vars, MessageLog& log,
               const int32_t& skipLevel)
      : config_(config), vars_(vars), log_(log), skipLevel_(skipLevel) {}

  void placeCharacter(const char* bytes, int width) override;
  void beginMessage() override;
  void newLine() override;
  void lineBreak() override { ++row_; }
  void resetCursor() override { column_ = row_ = 0; }
  void setNameInline(bool on) override { nameInline_ = on; }
  void writeNameRow(std::string_view name) override;
  void drawNamePlate(std::string_view name) override;
  void drawRuby(std::string_view text) override;
  void setWideSpacing(bool on) override { wideSpacing_ = on; }
  void setColourCode(int32_t code) override { colourCode_ = code; }
  bool windowShown() const override { return shown_; }
  int32_t charactersShown() const override { return charactersShown_; }
  void openTextWindow() override;
  void closeTextWindow() override;
  void setTextMode(int32_t mode) override;
  void declareWindowShown(bool shown) override;
  void clearTextGrid() override;

  // ---- What tests and the state file read ----------------------------------------------
  int32_t column() const { return column_; }
  int32_t row() const { return row_; }
  bool nameInline() const { return nameInline_; }
  bool wideSpacing() const { return wideSpacing_; }
  int32_t colourCode() const { return colourCode_; }
  bool gridEmpty() const { return gridEmpty_; }
  // Row r of the character plane, up to its first zero byte.
  std::string rowText(int r) const;
  int32_t colourAt(int r, int c) const;

 private:
  bool fullScreenText() const;
  void storeCharacter(const char* bytes, int width);

  const GameConfig& config_;
  VariableSpaces& vars_;
  MessageLog& log_;
  const int32_t& skipLevel_;

  int32_t column_ = 0, row_ = 0;
  bool wideSpacing_ = false;
  bool nameInline_ = false;
  int32_t colourCode_ = 0;
  int32_t charactersShown_ = 0;
  bool shown_ = false;
  bool gridEmpty_ = true;
  std::array<std::array<char, kColumns>, kRows> characters_{};
  std::array<std::array<uint8_t, kColumns>, kRows> colours_{};
};

// The characters that may hang into the two columns after a row's maximum instead of starting
// the next row: small kana, closing brackets and punctuation (33 codes).
bool isNoLineStart(const char* bytes, int width);

}  // namespace corvid
