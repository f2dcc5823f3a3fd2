#include "platform/headless/input_script.h"

#include <charconv>
#include <sstream>

namespace corvid {

namespace {

struct NamedKey {
  const char* name;
  Key key;
};
constexpr NamedKey kNamedKeys[] = {
    {"Return", Key::Return},       {"Escape", Key::Escape}, {"Tab", Key::Tab},
    {"Space", Key::Space},         {"BackSpace", Key::BackSpace}, {"Shift", Key::Shift},
    {"Control", Key::Control},     {"Left", Key::Left},     {"Right", Key::Right},
    {"Up", Key::Up},               {"Down", Key::Down},     {"F11", Key::F11},
};

bool parseInt(const std::string& word, long long& out) {
  const char* end = word.data() + word.size();
  auto [p, ec] = std::from_chars(word.data(), end, out);
  return ec == std::errc() && p == end;
}

bool parseButton(const std::string& word, MouseButton& button) {
  if (word == "left") button = MouseButton::Left;
  else if (word == "right") button = MouseButton::Right;
  else if (word == "middle") button = MouseButton::Middle;
  else return false;
  return true;
}

std::vector<std::string> splitWords(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(line);
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// The text after the first `skip` words of the line, as written (for "text T..." answers).
std::string restOfLine(const std::string& line, size_t skip) {
  size_t pos = 0;
  for (size_t i = 0; i < skip; ++i) {
    pos = line.find_first_not_of(" \t", pos);
    pos = line.find_first_of(" \t", pos);
    if (pos == std::string::npos) return "";
  }
  pos = line.find_first_not_of(" \t", pos);
  if (pos == std::string::npos) return "";
  size_t end = line.find_last_not_of(" \t\r");
  return line.substr(pos, end - pos + 1);
}

class LineParser {
 public:
  LineParser(const std::string& line, int lineNo, std::vector<ScriptedEvent>& out)
      : line_(line), words_(splitWords(line)), lineNo_(lineNo), out_(out) {}

  // Returns an error text, empty when the line was fine.
  std::string parse(uint32_t& lastMs) {
    long long ms;
    if (!parseInt(words_[0], ms) || ms < 0 || ms > 0xFFFFFFFFll) return "bad time '" + words_[0] + "'";
    if (uint32_t(ms) < lastMs) return "time goes backwards";
    lastMs = uint32_t(ms);
    if (words_.size() < 2) return "missing event";
    ev_.ms = uint32_t(ms);
    ev_.line = lineNo_;
    const std::string& name = words_[1];
    if (name == "click" || name == "rclick" || name == "mclick") return click(name);
    if (name == "down" || name == "up") return button(name == "down");
    if (name == "move") return move();
    if (name == "wheel") return wheel();
    if (name == "key" || name == "keydown" || name == "keyup") return key(name);
    if (name == "menu") return menu();
    if (name == "dialog") return dialog();
    if (name == "shot" || name == "state") return file(name);
    if (name == "quit") return quit();
    return "unknown event '" + name + "'";
  }

 private:
  std::string args(size_t n) {
    return words_.size() == n + 2 ? "" : "'" + words_[1] + "' takes " + std::to_string(n) +
                                             (n == 1 ? " argument" : " arguments");
  }
  std::string point(size_t at, int& x, int& y) {
    long long vx, vy;
    if (!parseInt(words_[at], vx) || !parseInt(words_[at + 1], vy) || vx < -100000 ||
        vx > 100000 || vy < -100000 || vy > 100000)
      return "bad coordinates";
    x = int(vx);
    y = int(vy);
    return "";
  }
  void push(InputEvent input) {
    ev_.action = ScriptedEvent::Action::Input;
    ev_.input = std::move(input);
    out_.push_back(ev_);
  }
  std::string click(const std::string& name) {
    if (auto e = args(2); !e.empty()) return e;
    InputEvent in;
    if (auto e = point(2, in.x, in.y); !e.empty()) return e;
    in.button = name == "click" ? MouseButton::Left
                : name == "rclick" ? MouseButton::Right
                                   : MouseButton::Middle;
    in.type = InputEvent::Type::MouseDown;
    push(in);
    in.type = InputEvent::Type::MouseUp;
    push(in);
    return "";
  }
  std::string button(bool down) {
    if (auto e = args(3); !e.empty()) return e;
    InputEvent in;
    if (!parseButton(words_[2], in.button)) return "bad button '" + words_[2] + "'";
    if (auto e = point(3, in.x, in.y); !e.empty()) return e;
    in.type = down ? InputEvent::Type::MouseDown : InputEvent::Type::MouseUp;
    push(in);
    return "";
  }
  std::string move() {
    if (auto e = args(2); !e.empty()) return e;
    InputEvent in;
    if (auto e = point(2, in.x, in.y); !e.empty()) return e;
    in.type = InputEvent::Type::MouseMove;
    push(in);
    return "";
  }
  std::string wheel() {
    if (auto e = args(1); !e.empty()) return e;
    long long n;
    if (!parseInt(words_[2], n) || n == 0 || n < -1000 || n > 1000) return "bad wheel count";
    InputEvent in;
    in.type = InputEvent::Type::Wheel;
    in.wheel = int(n);
    push(in);
    return "";
  }
  std::string key(const std::string& name) {
    if (auto e = args(1); !e.empty()) return e;
    InputEvent in;
    if (!keyFromName(words_[2], in.key, in.character)) return "unknown key '" + words_[2] + "'";
    if (name != "keyup") {
      in.type = InputEvent::Type::KeyDown;
      push(in);
    }
    if (name != "keydown") {
      in.type = InputEvent::Type::KeyUp;
      push(in);
    }
    return "";
  }
  // The id is the rest of the line: "fsbar:Window モード" holds a blank.
  std::string menu() {
    if (words_.size() < 3) return "'menu' needs an item id";
    InputEvent in;
    in.type = InputEvent::Type::Menu;
    in.menuId = restOfLine(line_, 2);
    push(in);
    return "";
  }
  std::string dialog() {
    if (words_.size() < 3) return "'dialog' needs an answer";
    const std::string& answer = words_[2];
    ev_.action = ScriptedEvent::Action::Dialog;
    if (answer == "ok" || answer == "cancel") {
      if (words_.size() != 3) return "'dialog " + answer + "' takes no more words";
      ev_.words = {answer};
    } else if (answer == "slot") {
      long long n;
      if (words_.size() != 4 || !parseInt(words_[3], n) || n < 0 || n > 99)
        return "'dialog slot' needs a slot number";
      ev_.words = {answer, words_[3]};
    } else if (answer == "text") {
      ev_.words = {answer, restOfLine(line_, 3)};
    } else {
      return "unknown dialog answer '" + answer + "'";
    }
    out_.push_back(ev_);
    return "";
  }
  std::string file(const std::string& name) {
    if (auto e = args(1); !e.empty()) return e;
    ev_.action = name == "shot" ? ScriptedEvent::Action::Shot : ScriptedEvent::Action::State;
    ev_.path = words_[2];
    out_.push_back(ev_);
    return "";
  }
  std::string quit() {
    if (auto e = args(0); !e.empty()) return e;
    ev_.action = ScriptedEvent::Action::Quit;
    out_.push_back(ev_);
    return "";
  }

  const std::string& line_;
  std::vector<std::string> words_;
  int lineNo_;
  std::vector<ScriptedEvent>& out_;
  ScriptedEvent ev_;
};

// "#" at the start of a line or after a blank starts a comment that runs to the line's end.
std::string stripComment(const std::string& line) {
  for (size_t i = 0; i < line.size(); ++i)
    if (line[i] == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t'))
      return line.substr(0, i);
  return line;
}

}  // namespace

bool keyFromName(const std::string& name, Key& key, char& character) {
  for (const NamedKey& k : kNamedKeys) {
    if (name == k.name) {
      key = k.key;
      character = 0;
      return true;
    }
  }
  if (name.size() != 1 || static_cast<unsigned char>(name[0]) < 0x21 ||
      static_cast<unsigned char>(name[0]) > 0x7E)
    return false;
  key = Key::Character;
  character = (name[0] >= 'A' && name[0] <= 'Z') ? char(name[0] - 'A' + 'a') : name[0];
  return true;
}

std::string keyName(Key key, char character) {
  if (key == Key::Character) return std::string(1, character);
  for (const NamedKey& k : kNamedKeys)
    if (k.key == key) return k.name;
  return "";
}

bool parseInputScript(const std::string& text, std::vector<ScriptedEvent>& events,
                      std::string& error) {
  std::vector<ScriptedEvent> parsed;
  std::istringstream in(text);
  uint32_t lastMs = 0;
  int lineNo = 0;
  for (std::string line; std::getline(in, line);) {
    ++lineNo;
    line = stripComment(line);
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    std::string problem = LineParser(line, lineNo, parsed).parse(lastMs);
    if (!problem.empty()) {
      error = "line " + std::to_string(lineNo) + ": " + problem;
      return false;
    }
  }
  events = std::move(parsed);
  return true;
}

}  // namespace corvid
