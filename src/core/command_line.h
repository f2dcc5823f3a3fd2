#pragma once
// The command line of `corvid`: [TITLE_DIR] and the options of the README.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvid {

struct CommandLine {
  std::string titleDir;        // empty: choose as findDefaultTitle says
  bool headless = false;
  std::string inputFile;       // headless input events
  uint32_t runMs = 600000;     // headless: virtual milliseconds before the window closes
  std::optional<uint32_t> seed;
  std::string settingsFile;
  std::string dataDir;
  std::string traceFile;
  std::string recordFile;      // the player's input written as an input file
  std::string audioOut;        // headless: the mixer's output as a WAV file
  bool help = false;
  bool version = false;
};

// False with `error` for a bad command line (exit code 2).
bool parseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error);

const char* commandLineUsage();

// The folder to play without an argument: the program's own folder when it holds
// "qd_data.cvd", else the current folder when it does, else the bundled demo title.
std::string findDefaultTitle(const std::string& programDir, const std::string& currentDir,
                             const std::string& demoDir);

}  // namespace corvid
