#pragma once
// An interpreter with everything around it made small: scripts held in memory, owners and a
// host that record what they are handed, and the grid text sink. Scripts are written as UTF-8
// lines and stored in Shift_JIS with a NUL after each line, as titles store them.

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "data/game_config.h"
#include "data/sjis.h"
#include "script/interpreter.h"

namespace corvid::testing {

inline std::vector<uint8_t> scriptBytes(const std::vector<std::string>& lines) {
  std::vector<uint8_t> bytes;
  for (const std::string& line : lines) {
    const std::string sjis = utf8ToSjis(line);
    bytes.insert(bytes.end(), sjis.begin(), sjis.end());
    bytes.push_back(0);
  }
  return bytes;
}

inline std::string sjis(const std::string& utf8) { return utf8ToSjis(utf8); }
inline std::string utf8(std::string_view sjisText) { return sjisToUtf8(sjisText); }

// Scripts by upper-cased name, as the data archives' directories hold them.
struct MemoryScripts final : ScriptSource {
  std::map<std::string, std::vector<uint8_t>> entries;

  void add(const std::string& name, const std::vector<std::string>& lines) {
    entries[upperSjisName(sjis(name))] = scriptBytes(lines);
  }
  EntryRead readScript(std::string_view name, uint64_t maxSize) const override {
    EntryRead read;
    auto it = entries.find(upperSjisName(name));
    if (it == entries.end()) return read;
    if (it->second.size() > maxSize) {
      read.status = EntryReadStatus::TooLarge;
      read.error = "too large";
      return read;
    }
    read.status = EntryReadStatus::Ok;
    read.bytes = it->second;
    return read;
  }
  bool hasScript(std::string_view name) const override {
    return entries.count(upperSjisName(name)) != 0;
  }
};

// Every owner call as "family:keyword|arguments" (arguments in UTF-8; "tag " before tags).
struct RecordingOwners final : CommandOwners {
  std::vector<std::string> calls;
  int choiceAdvances = 0;
  std::function<void()> onPictures;  // runs inside every pictures call (a transition's request)

  int record(const char* family, const OwnedCommand& c) {
    std::string keyword(commandInfo(c.id).keyword);
    while (!keyword.empty() && keyword.back() == ' ') keyword.pop_back();
    calls.push_back(std::string(family) + ":" + (c.fromTag ? "tag " : "") + keyword + "|" +
                    utf8(c.arguments) + (c.id == CommandId::Select ? "=" + std::to_string(c.value) : ""));
    return commandInfo(c.id).result;
  }
  int pictures(const OwnedCommand& c) override {
    if (onPictures) onPictures();
    return record("pictures", c);
  }
  int transitions(const OwnedCommand& c) override { return record("transitions", c); }
  int effects(const OwnedCommand& c) override { return record("effects", c); }
  int sound(const OwnedCommand& c) override { return record("sound", c); }
  int saves(const OwnedCommand& c) override { return record("saves", c); }
  int choices(const OwnedCommand& c) override { return record("choices", c); }
  void advanceChoice() override { ++choiceAdvances; }
  int screens(const OwnedCommand& c) override { return record("screens", c); }
};

struct RecordingHost final : InterpreterHost {
  ScriptSettings scriptSettings;
  bool playMode = true;
  bool quitAnswer = true;
  std::set<std::string> sounds;     // Shift_JIS names that exist
  std::vector<std::string> events;  // what was asked, in order (UTF-8)
  std::vector<std::string> errors;  // "LINE: what" of ignored errors
  std::vector<std::string> traced;  // "SCRIPT:LINE: text" of executed lines
  bool trace = true;

  const ScriptSettings& settings() const override { return scriptSettings; }
  bool inPlayMode() const override { return playMode; }
  bool soundExists(std::string_view name) const override { return sounds.count(std::string(name)); }
  void updateMenus() override { events.push_back("updateMenus"); }
  void redrawQuickButtons() override { events.push_back("redrawQuickButtons"); }
  void redrawScene() override { events.push_back("redrawScene"); }
  void storePage() override { events.push_back("storePage"); }
  void pageContinues() override { events.push_back("pageContinues"); }
  void addPageVoice(std::string_view name) override { events.push_back("voice " + utf8(name)); }
  void closeWindow() override { events.push_back("closeWindow"); }
  bool openAddress(std::string_view address) override {
    events.push_back("open " + utf8(address));
    return true;
  }
  bool askQuitQuestion() override {
    events.push_back("askQuit");
    return quitAnswer;
  }
  void galleryScriptLoading(std::string_view name) override { events.push_back("gallery " + utf8(name)); }
  void recollectionScriptFound(std::string_view name) override {
    events.push_back("recollection " + utf8(name));
  }
  bool tracing() const override { return trace; }
  void traceLine(std::string_view script, int32_t line, std::string_view text) override {
    traced.push_back(utf8(script) + ":" + std::to_string(line) + ": " + utf8(text));
  }
  void traceError(std::string_view script, int32_t line, std::string_view what,
                  std::string_view) override {
    errors.push_back(utf8(script) + ":" + std::to_string(line) + ": " + std::string(what));
  }
};

struct InterpreterRig {
  VariableSpaces vars;
  RandomGenerator random{1};
  WaitState wait;
  GameConfig config;
  MessageLog log;
  bool scriptRunning = false;
  int32_t skipLevel = 0;
  int32_t sleepCountdown = 0;
  int32_t effectRequest = 0;
  bool quitRequested = false;
  bool soundDevicePresent = true;
  MemoryScripts scripts;
  RecordingOwners owners;
  RecordingHost host;
  GridTextSink text{config, vars, log, skipLevel};
  Interpreter interpreter{InterpreterContext{
      vars, random, wait,
      PlayControl{scriptRunning, skipLevel, sleepCountdown, effectRequest, quitRequested,
                  soundDevicePresent},
      config, scripts, log, text, owners, host}};

  InterpreterRig() {
    config.mojiMaxX = 40;
    config.mojiMax2X = 40;
    config.spdMax = 5;
    config.defaultName = sjis("悠人");
    config.defaultName2 = sjis("佐倉");
    interpreter.allocateImages();
  }

  // Adds "main" with these lines and starts it as the first idle tick does.
  void start(const std::vector<std::string>& lines) {
    scripts.add("main", lines);
    interpreter.startMain();
  }

  // Steps as the idle tick would, the clocks' waits ended at once, until `steps` steps ran or
  // a click wait (or a choice, a voice wait, a sleep) holds the script.
  int run(int steps = 1000) {
    int n = 0;
    for (; n < steps; ++n) {
      wait.waitTicks = 0;
      if (wait.waitKind != 0 || wait.choiceActive || wait.voiceWait || sleepCountdown != 0) break;
      interpreter.step();
    }
    return n;
  }
  // A click, then run on to the next wait.
  void clickAndRun() {
    interpreter.endClickWait();
    run();
  }

  std::vector<std::string> logLines() const {
    std::vector<std::string> out;
    for (const std::string& line : log.finishedLines()) out.push_back(utf8(line));
    return out;
  }
  std::string currentLogLine() const { return utf8(log.currentLine()); }
  std::string lineBuffer() const { return utf8(interpreter.state().lineText()); }
  int32_t line() const { return interpreter.currentLineIndex(); }
  std::string currentScript() const { return utf8(interpreter.state().currentScriptName.view()); }
};

}  // namespace corvid::testing
