#include "script/text_sink.h"

#include <algorithm>

#include "data/game_config.h"
#include "data/sjis.h"
#include "script/message_log.h"
#include "script/variables.h"

namespace corvid {

namespace {

constexpr int32_t kWhite = 0xFFFFFF;

int code(const char* bytes, int width) {
  return width == 2 ? (static_cast<unsigned char>(bytes[0]) << 8) |
                          static_cast<unsigned char>(bytes[1])
                    : static_cast<unsigned char>(bytes[0]);
}

// 「, （ and 『 open a row at column 0; every other first character of a continued row is
// indented by one full-width column.
bool opensRow(int c) { return c == 0x8175 || c == 0x8169 || c == 0x8177; }

constexpr int kFullWidthSpace = 0x8140;

}  // namespace

bool isNoLineStart(const char* bytes, int width) {
  static constexpr int kCodes[] = {
      0x8140, 0x8141, 0x8142, 0x8148, 0x8149, 0x815B, 0x8160, 0x816A, 0x8176, 0x8178, 0x8193,
      0x81F4, 0x829F, 0x82A1, 0x82A3, 0x82A5, 0x82A7, 0x82C1, 0x82E1, 0x82E3, 0x82E5, 0x82EC,
      0x8340, 0x8342, 0x8344, 0x8346, 0x8348, 0x8362, 0x8383, 0x8385, 0x8387, 0x838E, 0x8396};
  if (width != 2) return false;
  return std::find(std::begin(kCodes), std::end(kCodes), code(bytes, width)) != std::end(kCodes);
}

bool GridTextSink::fullScreenText() const { return vars_.S[160] != 0; }

void GridTextSink::placeCharacter(const char* bytes, int width) {
  const bool fullScreen = fullScreenText();
  if (!shown_) beginMessage();
  if (!fullScreen && column_ == 0 && row_ == 0 && !nameInline_) row_ = 1;  // row 0: the name

  // A row's maximum of 0 (a configuration without it) would break before every character;
  // such a row has no limit instead.
  const int32_t maximum = fullScreen ? config_.mojiMax2X : config_.mojiMaxX;
  if (maximum > 0 && column_ >= maximum &&
      !(isNoLineStart(bytes, width) && column_ < maximum + 2)) {
    column_ = 0;
    ++row_;
    closeLogLine(log_, vars_);
    vars_.S[38] = 1;  // wrapped
  }
  if (!fullScreen) {
    if (column_ == 0 && row_ != 0 && !opensRow(code(bytes, width))) column_ = 2;
    if (column_ == 2 && vars_.S[38] != 0 && code(bytes, width) == kFullWidthSpace) return;
  }
  storeCharacter(bytes, width);
  gridEmpty_ = false;
  ++charactersShown_;
  column_ += !fullScreen && wideSpacing_ ? 3 : width;
}

// Text past the grid's 20 rows or 100 columns takes its place on the page but is not kept.
void GridTextSink::storeCharacter(const char* bytes, int width) {
  if (row_ < 0 || row_ >= kRows || column_ < 0 || column_ + 1 >= kColumns) return;
  characters_[size_t(row_)][size_t(column_)] = bytes[0];
  characters_[size_t(row_)][size_t(column_) + 1] = width == 2 ? bytes[1] : '\0';
  colours_[size_t(row_)][size_t(column_)] = uint8_t(colourCode_);
}

void GridTextSink::clearTextGrid() {
  for (auto& r : characters_) r.fill('\0');
  for (auto& r : colours_) r.fill(0);
  column_ = row_ = 0;
  wideSpacing_ = false;
  colourCode_ = 0;
  vars_.S[38] = 0;
  charactersShown_ = 0;
  gridEmpty_ = true;
}

void GridTextSink::beginMessage() {
  clearTextGrid();
  vars_.S[37] = kWhite;
  if (skipLevel_ == 2) return;  // skipping without text draws no window
  shown_ = true;
}

void GridTextSink::newLine() {
  column_ = 0;
  ++row_;
}

void GridTextSink::writeNameRow(std::string_view name) {
  auto& row = characters_[0];
  row.fill('\0');
  const size_t n = sjisCutLength(name, kColumns - 1);
  std::copy_n(name.data(), n, row.begin());
}

void GridTextSink::drawNamePlate(std::string_view name) {
  // The plate's text colour: the first registered speaker of that name, else white.
  vars_.S[37] = kWhite;
  for (int i = 1; i < GameConfig::kSpeakers; ++i) {
    const Speaker& speaker = config_.speakers[size_t(i)];
    if (!speaker.name.empty() && speaker.name == name) {
      vars_.S[37] = speaker.colour;
      return;
    }
  }
}

void GridTextSink::drawRuby(std::string_view) {
  // Ruby over the first character of a page sits over row 1, where that character will go.
  if (!fullScreenText() && column_ == 0 && row_ == 0 && !nameInline_) row_ = 1;
}

void GridTextSink::openTextWindow() {
  if (shown_) return;
  shown_ = true;
  gridEmpty_ = true;
}

void GridTextSink::closeTextWindow() {
  column_ = row_ = 0;
  colourCode_ = 0;
  wideSpacing_ = false;
  if (!shown_) return;
  shown_ = false;
  gridEmpty_ = true;
}

void GridTextSink::setTextMode(int32_t mode) {
  vars_.S[37] = kWhite;
  if (mode == vars_.S[160]) return;
  clearTextGrid();
  vars_.S[160] = vars_.S[160] == 0 ? 1 : 0;
}

void GridTextSink::declareWindowShown(bool shown) {
  clearTextGrid();
  shown_ = shown;
}

std::string GridTextSink::rowText(int r) const {
  if (r < 0 || r >= kRows) return {};
  const auto& row = characters_[size_t(r)];
  std::string out;
  for (int c = 0; c < kColumns; ++c) {
    const char b = row[size_t(c)];
    if (b == '\0') continue;  // the 0 after a single-byte character, or an empty column
    out.push_back(b);
    if (static_cast<unsigned char>(b) >= 0x80 && c + 1 < kColumns) out.push_back(row[size_t(++c)]);
  }
  return out;
}

int32_t GridTextSink::colourAt(int r, int c) const {
  if (r < 0 || r >= kRows || c < 0 || c >= kColumns) return 0;
  return colours_[size_t(r)][size_t(c)];
}

}  // namespace corvid
