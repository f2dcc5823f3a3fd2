#pragma once
// The settings file in memory: an INI-style text of sections and name=value lines.
//
//   ; a comment (also "#")
//   [Software\Maker\GAME01]        a section: the settings key, a backslash, the title's section
//   Vol1=-1000                      a value: one text per name
//
// Names and section headers are matched without regard to the case of a-z; blanks around
// names and values are trimmed; texts are encoded as settings_text.h says. A file is kept as
// its lines: changing a value rewrites that one line, a new value goes at the end of its
// section, a new section at the end of the file. Lines the reader cannot use (no '=', a value
// outside any section, text that does not decode, a name repeated within its section) are
// ignored but kept as they are, so a hand edit the engine does not understand is never lost.

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace corvid {

struct SettingsIssue {
  int line = 0;         // 1-based line number in the file
  std::string text;     // the line as it stands (for telling issues apart)
  std::string message;  // why it was ignored
};

struct SettingsValue {
  std::string value;  // Shift_JIS
  int line = 0;       // 1-based line it came from (0 for a value not yet in a file)
};

struct SettingsEntry {
  std::string section;  // Shift_JIS, as the header first names it
  std::string name;     // Shift_JIS, as the file spells it
  std::string value;    // Shift_JIS
};

class SettingsDocument {
 public:
  // Reads the file's bytes. Every ignored line is added to `issues` when given.
  static SettingsDocument parse(std::string_view bytes,
                                std::vector<SettingsIssue>* issues = nullptr);

  // The value of `name` in `section` (both Shift_JIS), or nothing.
  std::optional<SettingsValue> find(std::string_view section, std::string_view name) const;

  // Sets a value, creating the line and the section as needed.
  void set(std::string_view section, std::string_view name, std::string_view value);

  // The file's bytes: the kept lines, each ended by a newline.
  std::string serialize() const;

  // Every usable value in file order.
  std::vector<SettingsEntry> entries() const;

 private:
  enum class Kind { Other, Section, Value };  // Other: blank, comment or ignored line
  struct Line {
    std::string text;     // as written in the file, without the line end
    Kind kind = Kind::Other;
    std::string section;  // folded header of the section this line belongs to ("" before any)
    std::string name;     // Value: the decoded name as spelled
    std::string value;    // Value: the decoded value
  };
  using Key = std::pair<std::string, std::string>;  // folded section, folded name

  void reindex();

  std::vector<Line> lines_;
  std::map<Key, size_t> index_;               // first usable line of each value
  std::map<std::string, std::string> headers_;  // folded section -> its name as first written
};

}  // namespace corvid
