#include "core/input_recorder.h"

#include "platform/headless/input_script.h"

namespace corvid {

namespace {

const char* buttonName(MouseButton b) {
  switch (b) {
    case MouseButton::Left: return "left";
    case MouseButton::Right: return "right";
    case MouseButton::Middle: return "middle";
  }
  return "left";
}

std::string point(const InputEvent& e) { return std::to_string(e.x) + " " + std::to_string(e.y); }

}  // namespace

InputRecorder::~InputRecorder() {
  if (file_) std::fclose(file_);
}

bool InputRecorder::open(const std::string& path, std::string& error) {
  file_ = std::fopen(path.c_str(), "w");
  if (!file_) {
    error = path + ": cannot write the record file";
    return false;
  }
  std::fputs("# corvid --record: the player's input; replay with --headless --input\n", file_);
  std::fflush(file_);
  return true;
}

std::string inputFileWords(const InputEvent& e) {
  switch (e.type) {
    case InputEvent::Type::MouseDown: return std::string("down ") + buttonName(e.button) + " " + point(e);
    case InputEvent::Type::MouseUp: return std::string("up ") + buttonName(e.button) + " " + point(e);
    case InputEvent::Type::MouseMove: return "move " + point(e);
    case InputEvent::Type::Wheel: return e.wheel == 0 ? "" : "wheel " + std::to_string(e.wheel);
    case InputEvent::Type::KeyDown:
    case InputEvent::Type::KeyUp: {
      const std::string name = keyName(e.key, e.character);
      if (name.empty() || name == "#") return "";  // "#" would start a comment
      return (e.type == InputEvent::Type::KeyDown ? "keydown " : "keyup ") + name;
    }
    case InputEvent::Type::Menu:
      return e.menuId.empty() || e.menuId.find('\n') != std::string::npos ? "" : "menu " + e.menuId;
  }
  return "";
}

void InputRecorder::record(uint32_t ms, const InputEvent& event) {
  if (!file_) return;
  const std::string words = inputFileWords(event);
  if (words.empty()) return;
  std::fprintf(file_, "%u %s\n", ms, words.c_str());
  std::fflush(file_);
}

void InputRecorder::recordQuit(uint32_t ms) {
  if (!file_) return;
  std::fprintf(file_, "%u quit\n", ms);
  std::fflush(file_);
}

}  // namespace corvid
