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
  TextCursor& k = cursor_;
  if (!fullScreen && k.column == 0 && k.row == 0 && !k.nameInline) k.row = 1;  // row 0: the name

  // A row's maximum of 0 (a configuration without it) would break before every character;
  // such a row has no limit instead.
  const int32_t maximum = fullScreen ? config_.mojiMax2X : config_.mojiMaxX;
  if (maximum > 0 && k.column >= maximum &&
      !(isNoLineStart(bytes, width) && k.column < maximum + 2)) {
    k.column = 0;
    ++k.row;
    closeLogLine(log_, vars_);
    vars_.S[38] = 1;  // wrapped
  }
  if (!fullScreen) {
    if (k.column == 0 && k.row != 0 && !opensRow(code(bytes, width))) k.column = 2;
    if (k.column == 2 && vars_.S[38] != 0 && code(bytes, width) == kFullWidthSpace) return;
  }
  storeCharacter(bytes, width);
  grid_.empty = false;
  characterPlaced(bytes, width);
  ++k.charactersShown;
  k.column += !fullScreen && k.wideSpacing ? 3 : width;
}

// Text past the grid's 20 rows or 100 columns takes its place on the page but is not kept.
void GridTextSink::storeCharacter(const char* bytes, int width) {
  const int32_t row = cursor_.row, column = cursor_.column;
  if (row < 0 || row >= kRows || column < 0 || column + 1 >= kColumns) return;
  grid_.characters[size_t(row)][size_t(column)] = bytes[0];
  grid_.characters[size_t(row)][size_t(column) + 1] = width == 2 ? bytes[1] : '\0';
  grid_.colours[size_t(row)][size_t(column)] = uint8_t(cursor_.colourCode);
}

void TextGrid::clear() {
  for (auto& r : characters) r.fill('\0');
  for (auto& r : colours) r.fill(0);
  empty = true;
}

void GridTextSink::clearTextGrid() {
  grid_.clear();
  const bool nameInline = cursor_.nameInline;
  cursor_ = TextCursor{};
  cursor_.nameInline = nameInline;  // belongs to the line being streamed, not to the page
  vars_.S[38] = 0;
}

void GridTextSink::beginMessage() {
  clearTextGrid();
  vars_.S[37] = kWhite;
  colourSelected(0);
  if (skipLevel_ == 2) return;  // skipping without text draws no window
  const bool wasShown = shown_;
  shown_ = true;
  pageBegun(wasShown);
}

void GridTextSink::newLine() {
  cursor_.column = 0;
  ++cursor_.row;
}

void GridTextSink::setColourCode(int32_t code) {
  cursor_.colourCode = code;
  colourSelected(code);
}

void GridTextSink::writeNameRow(std::string_view name) {
  auto& row = grid_.characters[0];
  row.fill('\0');
  const size_t n = sjisCutLength(name, kColumns - 1);
  std::copy_n(name.data(), n, row.begin());
}

int32_t GridTextSink::speakerColour(std::string_view name) const {
  for (int i = 1; i < GameConfig::kSpeakers; ++i) {
    const Speaker& speaker = config_.speakers[size_t(i)];
    if (!speaker.name.empty() && speaker.name == name) return speaker.colour;
  }
  return kWhite;
}

void GridTextSink::drawNamePlate(std::string_view name) { vars_.S[37] = speakerColour(name); }

void GridTextSink::drawRuby(std::string_view) {
  // Ruby over the first character of a page sits over row 1, where that character will go.
  if (!fullScreenText() && cursor_.column == 0 && cursor_.row == 0 && !cursor_.nameInline)
    cursor_.row = 1;
}

void GridTextSink::openTextWindow() {
  if (shown_) return;
  shown_ = true;
  grid_.empty = true;
}

void GridTextSink::closeTextWindow() {
  cursor_.column = cursor_.row = 0;
  cursor_.colourCode = 0;
  cursor_.wideSpacing = false;
  if (!shown_) return;
  shown_ = false;
  grid_.empty = true;
}

void GridTextSink::setTextMode(int32_t mode) {
  vars_.S[37] = kWhite;
  colourSelected(0);
  if (mode == vars_.S[160]) return;
  clearTextGrid();
  vars_.S[160] = vars_.S[160] == 0 ? 1 : 0;
}

void GridTextSink::declareWindowShown(bool shown) {
  clearTextGrid();
  shown_ = shown;
}

std::string TextGrid::rowText(int r) const {
  if (r < 0 || r >= kRows) return {};
  const auto& row = characters[size_t(r)];
  std::string out;
  for (int c = 0; c < kColumns; ++c) {
    const char b = row[size_t(c)];
    if (b == '\0') continue;  // the 0 after a single-byte character, or an empty column
    out.push_back(b);
    if (isSjisLeadByte(static_cast<unsigned char>(b)) && c + 1 < kColumns) out.push_back(row[size_t(++c)]);
  }
  return out;
}

int32_t TextGrid::colourAt(int r, int c) const {
  if (r < 0 || r >= kRows || c < 0 || c >= kColumns) return 0;
  return colours[size_t(r)][size_t(c)];
}

}  // namespace corvid
