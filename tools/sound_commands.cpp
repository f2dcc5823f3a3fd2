// cvdtool sound decode / encode: WADY sounds (either variant, told apart by the header) to WAV
// files, and WAV files to WADY: the packed variant for sound effects, byte codes with --music
// (music and long animation sounds), with the loop start given as a frame with --loop.

#include <cstdlib>
#include <string>
#include <vector>

#include "data/file_io.h"
#include "sound/wady.h"
#include "sound/wady_encoder.h"
#include "sound/wav_file.h"
#include "tool_command.h"

namespace corvid::tool {
namespace {

int runDecode(const std::string& in, const std::string& out) {
  const auto bytes = readWholeFile(in);
  if (!bytes) return toolError(in + ": cannot be read");
  DecodedSound sound;
  std::string error;
  if (!decodeWadyFile(*bytes, sound, error)) return toolError(in + ": " + error);
  const PcmSound pcm{sound.channels, sound.framesPerSecond, std::move(sound.samples)};
  if (!writeFileAtomic(out, writeWav(pcm), &error)) return toolError(out + ": " + error);
  return kExitOk;
}

bool parseFrame(const std::string& text, int32_t& out) {
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || v < 0 || v > INT32_MAX) return false;
  out = int32_t(v);
  return true;
}

int runEncode(const std::vector<std::string>& args) {
  if (args.size() < 3) return toolUsage("sound");
  const std::string& in = args[1];
  const std::string& out = args[2];
  bool music = false;
  bool loopGiven = false;
  int32_t loop = 0;
  for (size_t i = 3; i < args.size(); ++i) {
    if (args[i] == "--music") {
      music = true;
    } else if (args[i] == "--loop" && i + 1 < args.size() && parseFrame(args[i + 1], loop)) {
      loopGiven = true;
      ++i;
    } else {
      return toolUsage("sound");
    }
  }
  if (loopGiven && !music) {
    toolError("--loop needs --music: only byte-code streams loop");
    return kExitUsage;
  }
  const auto bytes = readWholeFile(in);
  if (!bytes) return toolError(in + ": cannot be read");
  PcmSound pcm;
  std::string error;
  if (!parseWav(*bytes, pcm, error)) return toolError(in + ": " + error);
  std::vector<uint8_t> wady;
  const bool ok = music ? encodeByteCodeWady(pcm, loop, wady, error) : encodePackedWady(pcm, wady, error);
  if (!ok) return toolError(in + ": " + error);
  if (!writeFileAtomic(out, wady, &error)) return toolError(out + ": " + error);
  return kExitOk;
}

int runSound(const std::vector<std::string>& args) {
  if (args.size() == 3 && args[0] == "decode") return runDecode(args[1], args[2]);
  if (!args.empty() && args[0] == "encode") return runEncode(args);
  return toolUsage("sound");
}

const ToolCommandRegistrar soundCommand(
    {"sound",
     "sound decode IN OUT.wav       IN a WADY sound of either variant\n"
     "sound encode IN.wav OUT [--music] [--loop SAMPLE]\n"
     "                              packed for effects; byte codes with --music, looping\n"
     "                              from frame SAMPLE (default 0)",
     runSound});

}  // namespace
}  // namespace corvid::tool
