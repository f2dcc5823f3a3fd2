// cvdtool sound decode and encode: files written from the format's tables decode to their PCM,
// encoded files decode back close to their source with the variant the header rule gives, bad
// files and command lines are refused; cvdtool lint reports sounds no archive holds.

#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/wait.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/title_fixture.h"
#include "data/file_io.h"
#include "sound/wady.h"
#include "sound/wady_fixture.h"
#include "sound/wav_file.h"

namespace corvid::testing {
namespace {

struct ToolResult {
  int exitCode = -1;
  std::string output;
};

ToolResult cvdtool(const std::string& args) {
  const std::string cmd = std::string("'") + CORVID_BIN_DIR + "/cvdtool' " + args + " 2>&1";
  ToolResult r;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  while (std::fgets(buf, sizeof buf, p)) r.output += buf;
  const int status = ::pclose(p);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  ASSERT_TRUE(writeFileAtomic(path, bytes));
}

PcmSound readWavFile(const std::string& path) {
  PcmSound pcm;
  std::string error;
  const auto bytes = readWholeFile(path);
  EXPECT_TRUE(bytes && parseWav(*bytes, pcm, error)) << path << ": " << error;
  return pcm;
}

TEST(SoundTool, DecodesBothVariantsFromTheirTables) {
  TempDir dir;
  const std::string d = dir.path();
  // Packed mono at 11025 Hz: 1000, +12, absolute 0, a 3-sample run to -96.
  const uint16_t w = uint16_t(uint16_t(int16_t(-96)) & 0xFFF0);
  writeBytes(d + "/p.wdy", packedMono(3, 1000, {0x07, 0x81, uint8_t(w), uint8_t(w >> 8)}, 6, 11025));
  ASSERT_EQ(cvdtool("sound decode " + d + "/p.wdy " + d + "/p.wav").exitCode, 0);
  PcmSound p = readWavFile(d + "/p.wav");
  EXPECT_EQ(p.channels, 1);
  EXPECT_EQ(p.framesPerSecond, 11025);
  EXPECT_EQ(p.samples, (std::vector<int16_t>{1000, 1012, 0, -32, -64, -96}));
  // Byte codes, stereo at 8000 Hz, scale 3.
  writeBytes(d + "/b.wdy", byteCodeFile(3, 2, 8000, {0x81, 0xC0, 5, 69, 64, 64}));
  ASSERT_EQ(cvdtool("sound decode " + d + "/b.wdy " + d + "/b.wav").exitCode, 0);
  PcmSound b = readWavFile(d + "/b.wav");
  EXPECT_EQ(b.channels, 2);
  EXPECT_EQ(b.framesPerSecond, 8000);
  EXPECT_EQ(b.samples, (std::vector<int16_t>{512, -32768, 542, 32738, 542, 32738}));  // -32798 wraps
}

TEST(SoundTool, EncodesEffectsAndLoopingMusic) {
  TempDir dir;
  const std::string d = dir.path();
  PcmSound pcm{2, 22050, {}};
  for (int f = 0; f < 22050; ++f)
    for (int c = 0; c < 2; ++c) pcm.samples.push_back(int16_t(8000 * std::sin(2 * M_PI * (440 + 220 * c) * f / 22050.0)));
  writeBytes(d + "/in.wav", writeWav(pcm));
  ASSERT_EQ(cvdtool("sound encode " + d + "/in.wav " + d + "/se").exitCode, 0);
  ASSERT_EQ(cvdtool("sound encode " + d + "/in.wav " + d + "/bgm --music --loop 11025").exitCode, 0);
  for (const char* name : {"se", "bgm"}) {
    const auto bytes = readWholeFile(d + "/" + name);
    ASSERT_TRUE(bytes);
    WadyHeader h;
    std::string error;
    ASSERT_TRUE(readWadyHeader(*bytes, h, error));
    EXPECT_EQ(isByteCodeHeader(h), std::string(name) == "bgm");
    if (std::string(name) == "bgm") EXPECT_EQ(h.loopStart, 11025 * 2);
    else EXPECT_EQ(h.codeSize, 0);
    ASSERT_EQ(cvdtool("sound decode " + d + "/" + name + " " + d + "/out.wav").exitCode, 0);
    const PcmSound back = readWavFile(d + "/out.wav");
    ASSERT_EQ(back.samples.size(), pcm.samples.size()) << name;
    int worst = 0;
    for (size_t i = 0; i < pcm.samples.size(); ++i) worst = std::max(worst, std::abs(back.samples[i] - pcm.samples[i]));
    EXPECT_LE(worst, 300) << name;
  }
}

TEST(SoundTool, RefusesBadFilesAndCommandLines) {
  TempDir dir;
  const std::string d = dir.path();
  writeBytes(d + "/bad.wdy", {'W', 'A', 'D', 'Y', 1, 2});
  writeBytes(d + "/in.wav", writeWav(PcmSound{1, 8000, {1, 2, 3, 4}}));
  struct Case {
    std::string args;
    int exitCode;
  } cases[] = {
      {"sound decode " + d + "/bad.wdy " + d + "/o.wav", 1},
      {"sound decode " + d + "/missing " + d + "/o.wav", 1},
      {"sound encode " + d + "/bad.wdy " + d + "/o", 1},
      {"sound encode " + d + "/in.wav " + d + "/o --music --loop 4", 1},
      {"sound encode " + d + "/in.wav " + d + "/o --loop 1", 2},
      {"sound encode " + d + "/in.wav " + d + "/o --music --loop x", 2},
      {"sound encode " + d + "/in.wav", 2},
      {"sound play " + d + "/in.wav " + d + "/o", 2},
  };
  for (const Case& c : cases) {
    const ToolResult r = cvdtool(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.args << "\n" << r.output;
  }
}

TEST(SoundTool, LintReportsSoundsNoArchiveHolds) {
  TitleFixture title;
  title.script("main", {"*se SE01", "*seloop SE02", "*cv V001", "声[cv V002]", "*music 3", "*music 4",
                        "*music 0", "*se SEH1"})
      .entry("qd_se0.cvd", "SE01", {})
      .entry("qd_ogg2.cvd", "V001", {})
      .entry("qd_se1.cvd", "SEH1", {})
      .entry("qd_bgm.cvd", "M03", {});
  const std::string dir = title.write();
  const ToolResult r = cvdtool("lint " + dir);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.output,
            "MAIN:2: sound \"SE02\" is in no archive\n"
            "MAIN:4: voice \"V002\" is in no archive\n"
            "MAIN:6: music track 4 (\"M04\") is in no archive\n");
}

}  // namespace
}  // namespace corvid::testing
