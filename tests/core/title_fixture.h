#pragma once
// Small titles made in the test: a temporary folder with "qd_data.cvd" (scripts and sections
// written as UTF-8 lines) and the media archives, and a way to run the engine on them through
// the headless platform, in process or as the `corvid` program.

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/engine.h"
#include "data/archive_writer.h"
#include "data/sjis.h"
#include "platform/headless/headless_platform.h"

namespace corvid::testing {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "corvid-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) ? pattern : "";
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

class TitleFixture {
 public:
  // A script or section: UTF-8 lines, stored in Shift_JIS with a NUL after each line.
  TitleFixture& script(const std::string& name, const std::vector<std::string>& lines,
                       const std::string& archive = "qd_data.cvd") {
    ArchiveSource s;
    s.name = utf8ToSjis(name);
    for (const std::string& line : lines) {
      std::string sjis = utf8ToSjis(line);
      s.bytes.insert(s.bytes.end(), sjis.begin(), sjis.end());
      s.bytes.push_back(0);
    }
    archives_[archive].push_back(std::move(s));
    return *this;
  }
  TitleFixture& entry(const std::string& archive, const std::string& name,
                      std::vector<uint8_t> bytes) {
    archives_[archive].push_back({utf8ToSjis(name), std::move(bytes)});
    return *this;
  }
  // Leaves out the picture archive, which every title needs.
  TitleFixture& withoutPictures() {
    pictures_ = false;
    return *this;
  }

  // Writes the archives; returns the folder.
  const std::string& write() {
    if (pictures_ && !archives_.count("qd_gra.cvd")) archives_["qd_gra.cvd"];
    for (const auto& [file, sources] : archives_) {
      std::string error;
      EXPECT_TRUE(writeArchiveFile(dir_.path() + "/" + file, layoutForArchiveName(file), sources,
                                   error))
          << error;
    }
    return dir_.path();
  }
  const std::string& dir() const { return dir_.path(); }

 private:
  TempDir dir_;
  std::map<std::string, std::vector<ArchiveSource>> archives_;
  bool pictures_ = true;
};

inline std::vector<ScriptedEvent> parseEvents(const std::string& text) {
  std::vector<ScriptedEvent> events;
  std::string error;
  EXPECT_TRUE(parseInputScript(text, events, error)) << error;
  return events;
}

// Engine options for a test run: a fixed seed and a settings file of the run's own, so tests
// never touch the user's settings.
inline EngineOptions testOptions(const std::string& titleDir, const TempDir& settingsDir) {
  EngineOptions options;
  options.titleDir = titleDir;
  options.seedGiven = true;
  options.settingsPath = settingsDir.path() + "/settings.ini";
  return options;
}

// The engine on the headless platform, in this process.
struct HeadlessRun {
  TempDir settingsDir;
  HeadlessPlatform platform;
  Engine engine;

  HeadlessRun(const std::string& titleDir, const std::string& events, uint32_t runMs = 5000)
      : platform(HeadlessOptions{parseEvents(events), runMs, {1024, 768}}),
        engine(platform, testOptions(titleDir, settingsDir)) {
    platform.setClient(&engine);
    engine.formCreate();
  }
  ~HeadlessRun() { platform.setClient(nullptr); }
  void run() {
    runMessageLoop(platform, engine);
    engine.formDestroy();
  }
  // Runs until the virtual clock reaches `ms` (or the window closes).
  void runUntil(uint32_t ms) {
    while (platform.windowOpen() && platform.millis() < ms) {
      platform.pumpEvents();
      if (!platform.windowOpen()) break;
      engine.appIdle();
    }
  }
};

struct ProgramResult {
  int exitCode = -1;
  std::string stderrText;
};

// Runs the built `corvid` program with the arguments, each run with its own runtime folder (so
// its single-instance lock is its own) unless `runtimeDir` names a shared one.
inline ProgramResult runCorvid(const std::vector<std::string>& args,
                               const std::string& runtimeDir) {
  TempDir errDir;
  const std::string errPath = errDir.path() + "/stderr";
  std::ostringstream cmd;
  cmd << "XDG_RUNTIME_DIR='" << runtimeDir << "' '" << CORVID_BIN_DIR << "/corvid'";
  for (const std::string& a : args) cmd << " '" << a << "'";
  cmd << " 2>'" << errPath << "' >/dev/null";
  int status = std::system(cmd.str().c_str());
  ProgramResult r;
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream in(errPath);
  std::stringstream ss;
  ss << in.rdbuf();
  r.stderrText = ss.str();
  return r;
}

inline std::string readText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace corvid::testing
