#include "persist/settings_document.h"

#include "data/sjis.h"
#include "persist/settings_text.h"

namespace corvid {

namespace {

std::string_view trimBlanks(std::string_view s) {
  size_t begin = s.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return {};
  size_t end = s.find_last_not_of(" \t");
  return s.substr(begin, end - begin + 1);
}

std::vector<std::string_view> splitLines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t nl = bytes.find('\n', start);
    size_t end = nl == std::string_view::npos ? bytes.size() : nl;
    std::string_view line = bytes.substr(start, end - start);
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);  // CRLF files
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

std::string fold(std::string_view sjis) { return upperSjisName(sjis); }

}  // namespace

SettingsDocument SettingsDocument::parse(std::string_view bytes,
                                         std::vector<SettingsIssue>* issues) {
  static constexpr std::string_view kBom = "\xEF\xBB\xBF";
  if (bytes.substr(0, kBom.size()) == kBom) bytes.remove_prefix(kBom.size());

  SettingsDocument doc;
  std::map<Key, int> firstLine;  // for naming the line a repeated name repeats
  std::string section;
  // Why values cannot be used here: before any header, or below an unreadable one.
  const char* noSection = "lies outside any section";
  int number = 0;
  for (std::string_view raw : splitLines(bytes)) {
    ++number;
    Line line;
    line.text = std::string(raw);
    auto ignore = [&](std::string message) {
      if (issues) issues->push_back({number, line.text, std::move(message)});
    };
    std::string_view text = trimBlanks(raw);
    if (text.empty() || text[0] == ';' || text[0] == '#') {
      line.section = section;
      doc.lines_.push_back(std::move(line));
      continue;
    }
    if (text[0] == '[') {
      std::string header;
      if (text.size() < 2 || text.back() != ']') {
        ignore("is a section header without its closing ']'; the values below it are ignored");
        noSection = "lies below a section header that could not be read";
      } else if (!decodeSettingText(trimBlanks(text.substr(1, text.size() - 2)), header)) {
        ignore("names a section in text that cannot be read; the values below it are ignored");
        noSection = "lies below a section header that could not be read";
      } else {
        section = fold(header);
        noSection = nullptr;
        line.kind = Kind::Section;
        line.name = header;
      }
      line.section = section;
      doc.lines_.push_back(std::move(line));
      continue;
    }
    line.section = section;
    size_t eq = text.find('=');
    std::string name, value;
    if (eq == std::string_view::npos) {
      ignore("is not a name=value line");
    } else if (noSection) {
      ignore(noSection);
    } else if (trimBlanks(text.substr(0, eq)).empty()) {
      ignore("has no name before '='");
    } else if (!decodeSettingText(trimBlanks(text.substr(0, eq)), name)) {
      ignore("has a name that cannot be read");
    } else if (!decodeSettingText(trimBlanks(text.substr(eq + 1)), value)) {
      ignore("has a value that is not readable text (invalid UTF-8 or a character Shift_JIS "
             "lacks)");
    } else if (auto [it, fresh] = firstLine.emplace(Key{section, fold(name)}, number); !fresh) {
      ignore("repeats the name of line " + std::to_string(it->second));
    } else {
      line.kind = Kind::Value;
      line.name = std::move(name);
      line.value = std::move(value);
    }
    doc.lines_.push_back(std::move(line));
  }
  doc.reindex();
  return doc;
}

void SettingsDocument::reindex() {
  index_.clear();
  headers_.clear();
  for (size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind == Kind::Section) headers_.emplace(line.section, line.name);
    if (line.kind == Kind::Value) index_.emplace(Key{line.section, fold(line.name)}, i);
  }
}

std::optional<SettingsValue> SettingsDocument::find(std::string_view section,
                                                    std::string_view name) const {
  auto it = index_.find(Key{fold(section), fold(name)});
  if (it == index_.end()) return std::nullopt;
  return SettingsValue{lines_[it->second].value, int(it->second) + 1};
}

void SettingsDocument::set(std::string_view section, std::string_view name,
                           std::string_view value) {
  Key key{fold(section), fold(name)};
  auto it = index_.find(key);
  if (it != index_.end()) {
    Line& line = lines_[it->second];
    line.value = std::string(value);
    line.text = encodeSettingText(line.name, SettingTextRole::Name) + "=" +
                encodeSettingText(value, SettingTextRole::Value);
    return;
  }
  Line line;
  line.kind = Kind::Value;
  line.section = key.first;
  line.name = std::string(name);
  line.value = std::string(value);
  line.text = encodeSettingText(name, SettingTextRole::Name) + "=" +
              encodeSettingText(value, SettingTextRole::Value);

  // After the last header or value of the section; a new section goes at the end.
  size_t at = lines_.size();
  bool found = false;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind != Kind::Other && lines_[i].section == key.first) {
      at = i + 1;
      found = true;
    }
  }
  if (!found) {
    if (!lines_.empty() && !trimBlanks(lines_.back().text).empty()) lines_.push_back(Line{});
    Line header;
    header.kind = Kind::Section;
    header.section = key.first;
    header.name = std::string(section);
    header.text = "[" + encodeSettingText(section, SettingTextRole::Section) + "]";
    lines_.push_back(std::move(header));
    at = lines_.size();
  }
  lines_.insert(lines_.begin() + std::ptrdiff_t(at), std::move(line));
  reindex();
}

std::string SettingsDocument::serialize() const {
  std::string out;
  for (const Line& line : lines_) {
    out += line.text;
    out += '\n';
  }
  return out;
}

std::vector<SettingsEntry> SettingsDocument::entries() const {
  std::vector<SettingsEntry> out;
  for (const Line& line : lines_) {
    if (line.kind != Kind::Value) continue;
    auto header = headers_.find(line.section);
    out.push_back({header == headers_.end() ? line.section : header->second, line.name,
                   line.value});
  }
  return out;
}

}  // namespace corvid
