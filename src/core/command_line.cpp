#include "core/command_line.h"

#include <charconv>

#include "data/file_io.h"

namespace corvid {

namespace {

bool parseUnsigned(const std::string& text, uint32_t& out) {
  const char* end = text.data() + text.size();
  auto [p, ec] = std::from_chars(text.data(), end, out);
  return ec == std::errc() && p == end && !text.empty();
}

}  // namespace

const char* commandLineUsage() {
  return "usage: corvid [TITLE_DIR] [options]\n"
         "  --headless         run on the virtual clock with no window and a virtual sound device\n"
         "  --input FILE       headless input events, one a line: <ms> <event> [args]\n"
         "  --run-ms N         headless: virtual milliseconds to run (default 600000)\n"
         "  --seed N           seed of the random generator (headless default 0)\n"
         "  --settings FILE    the player settings file\n"
         "  --data-dir DIR     where saves and global data go\n"
         "  --trace FILE       write executed script lines and ignored errors\n"
         "  --record FILE      write the player's input as an input file for --input\n"
         "  --audio-out FILE   headless: write the sound as a WAV file (16-bit stereo, 44100 Hz)\n"
         "  --help, --version\n";
}

bool parseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& dest) {
      if (i + 1 >= args.size()) {
        error = a + " needs a value";
        return false;
      }
      dest = args[++i];
      return true;
    };
    std::string v;
    if (a == "--help" || a == "-h") {
      out.help = true;
    } else if (a == "--version") {
      out.version = true;
    } else if (a == "--headless") {
      out.headless = true;
    } else if (a == "--input") {
      if (!value(out.inputFile)) return false;
    } else if (a == "--settings") {
      if (!value(out.settingsFile)) return false;
    } else if (a == "--data-dir") {
      if (!value(out.dataDir)) return false;
    } else if (a == "--trace") {
      if (!value(out.traceFile)) return false;
    } else if (a == "--record") {
      if (!value(out.recordFile)) return false;
    } else if (a == "--audio-out") {
      if (!value(out.audioOut)) return false;
    } else if (a == "--run-ms" || a == "--seed") {
      if (!value(v)) return false;
      uint32_t n;
      if (!parseUnsigned(v, n)) {
        error = a + " needs a whole number, not '" + v + "'";
        return false;
      }
      if (a == "--run-ms") out.runMs = n;
      else out.seed = n;
    } else if (a.size() > 1 && a[0] == '-') {
      error = "unknown option " + a;
      return false;
    } else if (out.titleDir.empty()) {
      out.titleDir = a;
    } else {
      error = "more than one title folder given";
      return false;
    }
  }
  if (!out.inputFile.empty() && !out.headless) {
    error = "--input needs --headless";
    return false;
  }
  return true;
}

std::string findDefaultTitle(const std::string& programDir, const std::string& currentDir,
                             const std::string& demoDir) {
  if (!programDir.empty() && fileExists(programDir + "/qd_data.cvd")) return programDir;
  if (fileExists(currentDir + "/qd_data.cvd")) return currentDir;
  return demoDir;
}

}  // namespace corvid
