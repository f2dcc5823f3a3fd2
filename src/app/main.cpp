// corvid: plays a title folder. See commandLineUsage() for the options.

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/command_line.h"
#include "core/engine.h"
#include "data/file_io.h"
#include "platform/headless/headless_platform.h"
#include "platform/instance_lock.h"
#ifdef CORVID_HAVE_SDL
#include "platform/sdl/sdl_platform.h"
#endif

#ifndef CORVID_DEMO_DIR
#define CORVID_DEMO_DIR "demo"
#endif

namespace {

constexpr int kExitOk = 0;
constexpr int kExitOtherInstance = 1;
constexpr int kExitUsage = 2;
constexpr int kExitTitleNotLoaded = 3;

std::string programDir() {
  std::vector<char> buf(4096);
  ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return "";
  std::string path(buf.data(), size_t(n));
  return path.substr(0, path.find_last_of('/'));
}

std::string currentDir() {
  std::vector<char> buf(4096);
  return ::getcwd(buf.data(), buf.size()) ? std::string(buf.data()) : ".";
}

class TempSettings {
 public:
  std::string create() {
    std::string pattern = "/tmp/corvid-settings-XXXXXX";
    if (!::mkdtemp(pattern.data())) return "/tmp/corvid-headless-settings.ini";
    dir_ = pattern;
    return dir_ + "/settings.ini";
  }
  ~TempSettings() {
    if (dir_.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

 private:
  std::string dir_;
};

int play(corvid::Platform& platform, const corvid::CommandLine& cl) {
  corvid::EngineOptions options;
  options.titleDir = cl.titleDir.empty()
                         ? corvid::findDefaultTitle(programDir(), currentDir(), CORVID_DEMO_DIR)
                         : cl.titleDir;
  options.seedGiven = cl.headless || cl.seed.has_value();
  options.seed = cl.seed.value_or(0);
  options.traceFile = cl.traceFile;
  options.recordFile = cl.recordFile;
  options.settingsPath = cl.settingsFile;
  options.dataDir = cl.dataDir;
  // A headless run without --settings gets a fresh settings file of its own, so automated runs
  // neither read nor change the player's settings.
  TempSettings temp;
  if (cl.headless && options.settingsPath.empty()) options.settingsPath = temp.create();
  corvid::Engine engine(platform, options);
  platform.setClient(&engine);
  engine.formCreate();
  corvid::runMessageLoop(platform, engine);
  engine.formDestroy();
  platform.setClient(nullptr);
  return engine.startupFailed() ? kExitTitleNotLoaded : kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  corvid::CommandLine cl;
  std::string error;
  if (!corvid::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc), cl, error)) {
    std::fprintf(stderr, "corvid: %s\n%s", error.c_str(), corvid::commandLineUsage());
    return kExitUsage;
  }
  if (cl.help) {
    std::fputs(corvid::commandLineUsage(), stdout);
    return kExitOk;
  }
  if (cl.version) {
    std::printf("corvid %s\n", CORVID_VERSION);
    return kExitOk;
  }

  std::vector<corvid::ScriptedEvent> events;
  if (!cl.inputFile.empty()) {
    auto text = corvid::readWholeFile(cl.inputFile);
    if (!text) {
      std::fprintf(stderr, "corvid: %s: cannot read the input file\n", cl.inputFile.c_str());
      return kExitUsage;
    }
    if (!corvid::parseInputScript(std::string(text->begin(), text->end()), events, error)) {
      std::fprintf(stderr, "corvid: %s: %s\n", cl.inputFile.c_str(), error.c_str());
      return kExitUsage;
    }
  }

  // A second copy of the engine never opens a window.
  corvid::InstanceLock lock;
  if (!lock.acquire("CORVIDENGINE")) return kExitOtherInstance;

  if (cl.headless) {
    corvid::HeadlessOptions options;
    options.events = std::move(events);
    options.runMs = cl.runMs;
    corvid::HeadlessPlatform platform(std::move(options));
    if (!cl.audioOut.empty() && !platform.startAudioOut(cl.audioOut, error)) {
      std::fprintf(stderr, "corvid: %s\n", error.c_str());
      return kExitUsage;
    }
    const int code = play(platform, cl);
    if (!platform.finishAudioOut(error)) std::fprintf(stderr, "corvid: %s\n", error.c_str());
    return code;
  }
  if (!cl.audioOut.empty())
    std::fprintf(stderr, "corvid: --audio-out is written by headless runs only; ignored\n");
#ifdef CORVID_HAVE_SDL
  corvid::SdlPlatform platform;
  if (!platform.init(error)) {
    std::fprintf(stderr, "corvid: cannot open a window: %s\n", error.c_str());
    return kExitTitleNotLoaded;
  }
  return play(platform, cl);
#else
  std::fprintf(stderr, "corvid: built without a window; use --headless\n");
  return kExitUsage;
#endif
}
