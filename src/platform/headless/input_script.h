#pragma once
// The headless input file: one event a line, "<ms> <event> [args]", ms being virtual time
// since start, lines in time order, "#" starting a comment. See the README for the events.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace corvid {

struct ScriptedEvent {
  enum class Action {
    Input,   // deliver `input` to the engine
    Dialog,  // the answer for the modal dialog that is open: `words`
    Shot,    // write the display picture to `path` (PNG)
    State,   // write the engine state to `path` (JSON)
    Quit,    // close the window; the quit question is answered OK
  };
  uint32_t ms = 0;
  int line = 0;  // 1-based line of the input file, for messages
  Action action = Action::Input;
  InputEvent input;
  std::vector<std::string> words;  // Dialog: "ok" | "cancel" | "slot" N | "text" T...
  std::string path;
};

// Parses the whole file text. On a malformed line returns false with `error` naming the line
// number and what is wrong; `events` then holds nothing.
bool parseInputScript(const std::string& text, std::vector<ScriptedEvent>& events,
                      std::string& error);

// Names the input file uses for keys ("Return", "a", ...); false for an unknown name.
bool keyFromName(const std::string& name, Key& key, char& character);
// The name keyFromName reads back; empty for Key::None.
std::string keyName(Key key, char character);

}  // namespace corvid
