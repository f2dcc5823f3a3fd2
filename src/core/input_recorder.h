#pragma once
// --record FILE: the player's input as it reaches the engine, written as an input file (one
// "<ms> <event> [args]" line each, ms on the engine's clock) that `--headless --input` plays
// back to the same state. Lines are flushed as they are written, so a run that is killed
// still leaves what it had.

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/platform.h"

namespace corvid {

class InputRecorder {
 public:
  InputRecorder() = default;
  ~InputRecorder();
  InputRecorder(const InputRecorder&) = delete;
  InputRecorder& operator=(const InputRecorder&) = delete;

  // Truncates the file; false with `error` when it cannot be written.
  bool open(const std::string& path, std::string& error);
  bool recording() const { return file_ != nullptr; }

  void record(uint32_t ms, const InputEvent& event);
  // The player closed the window (the quit question was answered OK).
  void recordQuit(uint32_t ms);

 private:
  FILE* file_ = nullptr;
};

// The input-file line for one event, without the time and the newline ("down left 10 20");
// empty for an event the input file cannot say.
std::string inputFileWords(const InputEvent& event);

}  // namespace corvid
