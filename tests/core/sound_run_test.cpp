// Titles with sounds run headless: the slots after se, seloop, seoff, music (repeats, fades,
// BGM_ENA), cv and wait_v_end with the volumes and switches of the player settings, the state
// file's "sound", and the --audio-out file of the program.

#include <cmath>

#include "data/file_io.h"
#include "demo/ogg_writer.h"
#include "sound/wady_encoder.h"
#include "sound/wav_file.h"
#include "title_fixture.h"

namespace corvid::testing {
namespace {

const std::vector<std::string> kConfig = {
    "TITLE:Sound", "MAKER_REG:Software\\Corvid", "GAME_ID:STEST",
    "VOLUME1:-200", "VOLUME2:-400", "VOLUME3:0", "VOLUME4:-800",
};

PcmSound constant(int16_t value, int frames, int rate = 22050, int channels = 1) {
  return PcmSound{channels, rate, std::vector<int16_t>(size_t(frames * channels), value)};
}

std::vector<uint8_t> packed(const PcmSound& pcm) {
  std::vector<uint8_t> out;
  std::string error;
  EXPECT_TRUE(encodePackedWady(pcm, out, error)) << error;
  return out;
}

std::vector<uint8_t> music(int seconds) {
  PcmSound pcm{2, 8000, {}};
  for (int f = 0; f < seconds * 8000; ++f) {
    const int16_t v = int16_t(6000 * std::sin(2 * M_PI * 220 * f / 8000.0));
    pcm.samples.insert(pcm.samples.end(), {v, v});
  }
  std::vector<uint8_t> out;
  std::string error;
  EXPECT_TRUE(encodeByteCodeWady(pcm, 8000, out, error)) << error;
  return out;
}

std::vector<uint8_t> voice(int frames) {
  std::vector<int16_t> s;
  for (int f = 0; f < frames; ++f) s.push_back(int16_t(9000 * std::sin(2 * M_PI * 300 * f / 22050.0)));
  return oggwriter::encodeOggVorbis(s, 1, 22050);
}

// A title with effects (one second of a constant 10000), a loop, music track 5 and voices.
std::string soundTitle(TitleFixture& title, const std::vector<std::string>& main) {
  title.script("_config", kConfig).script("main", main);
  title.entry("qd_se0.cvd", "SE01", packed(constant(10000, 22050)))
      .entry("qd_se0.cvd", "LOOP1", packed(constant(4000, 11025)))
      .entry("qd_se1.cvd", "SEH2A", packed(constant(100, 2205)))
      .entry("qd_se1.cvd", "SEH9A", packed(constant(100, 2205)))
      .entry("qd_bgm.cvd", "M05", music(3))
      .entry("qd_ogg1.cvd", "V001", voice(22050))
      .entry("qd_ogg1.cvd", "V002", voice(11025))
      .entry("qd_ogg1.cvd", "V002X", voice(2205))
      .entry("qd_ogg2.cvd", "V003", voice(2205));
  return title.write();
}

struct SoundRun {
  TempDir settingsDir, dataDir;
  HeadlessPlatform platform;
  std::unique_ptr<Engine> engine;

  SoundRun(const std::string& title, const std::string& settings = "", uint32_t runMs = 30000)
      : platform(HeadlessOptions{{}, runMs, {1024, 768}}) {
    const std::string path = settingsDir.path() + "/settings.ini";
    if (!settings.empty()) std::ofstream(path) << "[Software\\Corvid\\STEST]\n" << settings;
    engine = std::make_unique<Engine>(platform, EngineOptions{title, true, 0, path, dataDir.path(), ""});
    platform.setClient(engine.get());
    engine->formCreate();
  }
  ~SoundRun() { platform.setClient(nullptr); }
  void runUntil(uint32_t ms) {
    while (platform.windowOpen() && platform.millis() < ms) {
      platform.pumpEvents();
      if (!platform.windowOpen()) break;
      engine->appIdle();
    }
  }
  SoundEngine& sound() { return engine->sound(); }
  const SlotRecord& slot(int i) { return sound().slot(i); }
};

TEST(SoundRun, EffectsLoopsAndTheirSwitches) {
  TitleFixture title;
  const std::string dir = soundTitle(title, {
      "*se SE01", "*seloop LOOP1", "*se SEH2A", "*se SEH9A", "*sleep 3000",
      "*seoff", "*seloop NOSUCH", "*sleep 3000",
  });
  SoundRun run(dir, "SE2=0\n");
  run.runUntil(300);
  EXPECT_EQ(run.slot(1).name, "SEH9A");  // SEH2A was turned off by SE2, SEH9A has no switch
  EXPECT_EQ(run.slot(2).name, "LOOP1");
  EXPECT_TRUE(run.sound().slotPlaying(2));
  EXPECT_TRUE(run.slot(2).looping);
  EXPECT_EQ(run.slot(2).volume, -1000);  // Vol2 = -400 x 2.5
  EXPECT_EQ(run.sound().loopName(), "LOOP1");
  const std::string json = run.engine->stateJson();
  EXPECT_NE(json.find("{\"name\":\"LOOP1\",\"playing\":true,\"looping\":true,\"volume\":-1000}"),
            std::string::npos)
      << json.substr(json.find("\"sound\""));
  run.runUntil(3000);
  EXPECT_FALSE(run.slot(2).exists);  // seoff
  EXPECT_EQ(run.sound().loopName(), "");  // cleared, and a missing name is not remembered
  EXPECT_FALSE(run.sound().slotPlaying(1));  // the one-shot has ended
  EXPECT_EQ(run.slot(1).name, "SEH9A");      // but stays in its slot
}

TEST(SoundRun, SwitchesAndTheSkipCut) {
  TitleFixture title;
  const std::string dir = soundTitle(title, {"*se SE01", "*cv V001", "*sleep 30"});
  SoundRun off(dir, "SE_ENA=0\nCV1=0\n");
  off.runUntil(200);
  EXPECT_FALSE(off.slot(1).exists);
  EXPECT_FALSE(off.slot(0).exists);
  // The second voice archive needs CV2.
  EXPECT_EQ(off.sound().playSound("V003", SoundKind::Voice), 1);
  SoundRun noSecond(dir, "CV2=0\n");
  noSecond.runUntil(200);
  EXPECT_EQ(noSecond.sound().playSound("V003", SoundKind::Voice), 1);
  EXPECT_EQ(noSecond.sound().playSound("V001", SoundKind::Voice), 0);
  EXPECT_EQ(noSecond.slot(0).volume, -500);  // Vol1 = -200 x 2.5
}

TEST(SoundRun, VoicesDuckTheLoopAndWaitVEndWaits) {
  TitleFixture title;
  const std::string dir = soundTitle(title, {
      "!S002=2;S028=1", "*music 5", "*seloop LOOP1", "*cv V001", "*wait_v_end", "!V001=1",
      "*sleep 100",
  });
  SoundRun run(dir);
  run.runUntil(400);
  EXPECT_TRUE(run.sound().isVoicePlaying());
  EXPECT_EQ(run.slot(0).name, "V001");
  EXPECT_EQ(run.slot(0).volume, -500);
  EXPECT_EQ(run.slot(2).volume, -1000 - 2 * 500);  // lowered by S2 x 500 while the voice speaks
  EXPECT_EQ(run.engine->vars().V[1], 0);           // wait_v_end holds the script
  run.runUntil(1000 + 200);
  EXPECT_FALSE(run.sound().isVoicePlaying());
  EXPECT_EQ(run.engine->vars().V[1], 1);
  EXPECT_EQ(run.slot(2).volume, -1000);  // back on the first tick after the voice (a stream plays)
  EXPECT_EQ(run.engine->messageLog().finishedLines().back(), "@V001");
}

TEST(SoundRun, TheAlternativeTakeForAChangedName) {
  TitleFixture title;
  const std::string dir = soundTitle(title, {"!S006=1;S028=1", "*cv V002", "*cv V001", "*sleep 3000"});
  SoundRun run(dir);
  run.runUntil(300);
  // V001 has no "X" take; V002 played as V002X and is logged so.
  EXPECT_EQ(run.slot(0).name, "V001");
  const std::vector<std::string>& log = run.engine->messageLog().finishedLines();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[log.size() - 2], "@V002X");
}

TEST(SoundRun, MusicRepeatsFadesAndBgmSwitch) {
  TitleFixture title;
  const std::string dir = soundTitle(title, {"*music 5", "*sleep 300", "*music 5", "*sleep 3000"});
  SoundRun run(dir);
  run.runUntil(500);
  EXPECT_EQ(run.slot(3).name, "M05");
  EXPECT_LT(run.slot(3).startMs, 100u);  // the second "music 5", at 200 ms, did not start it again
  EXPECT_EQ(run.engine->vars().S[3], 5);
  EXPECT_EQ(run.engine->vars().S[5], 5);
  EXPECT_EQ(run.slot(3).volume, 0);

  // music -50: S3 and S5 are 0 at once; the level falls 50 a tick from -1 and the track stops
  // on the 60th tick.
  SoundEngine& sound = run.sound();
  sound.playMusic(-50);
  EXPECT_EQ(run.engine->vars().S[3], 0);
  EXPECT_EQ(run.engine->vars().S[5], 0);
  for (int tick = 1; tick < 60; ++tick) {
    sound.refreshSound();
    ASSERT_TRUE(run.slot(3).exists) << tick;
    EXPECT_EQ(run.slot(3).volume, -1 - 50 * tick);
  }
  sound.refreshSound();
  EXPECT_FALSE(run.slot(3).exists);
  // music 0 then music 5 starts it again from its beginning.
  sound.playMusic(5);
  EXPECT_TRUE(run.slot(3).exists);
  sound.playMusic(0);
  EXPECT_FALSE(run.slot(3).exists);
}

// The clips' own sounds: a whole sound in slot 5 at Vol2, then at the stream's level; an
// animation stream takes the stream slot from the music.
TEST(SoundRun, AnimationSoundsAndStreams) {
  TitleFixture title;
  const std::string dir = soundTitle(title, {"*music 5", "*sleep 3000"});
  SoundRun run(dir);
  run.runUntil(300);
  SoundEngine& sound = run.sound();
  PcmSound pcm = constant(3000, 4000, 8000);
  std::vector<uint8_t> whole;
  std::string error;
  ASSERT_TRUE(encodeByteCodeWady(pcm, 0, whole, error));
  sound.playAnimSound(whole);
  ASSERT_TRUE(run.slot(5).exists);
  EXPECT_EQ(run.slot(5).volume, -1000);
  EXPECT_EQ(run.slot(5).frames, 4000u);
  sound.refreshSound();
  EXPECT_EQ(run.slot(5).volume, 0);  // the stream's level (Vol3)
  ASSERT_TRUE(sound.openAnimStream(music(2)));
  EXPECT_TRUE(run.slot(3).exists);
  EXPECT_EQ(run.slot(3).name, "");
  sound.stopAnimStream();
  EXPECT_FALSE(run.slot(3).exists);
  sound.stopAnimSound();
  EXPECT_FALSE(run.slot(5).exists);
}

TEST(SoundRun, MusicWithBgmOffWaitsForRestartMusic) {
  TitleFixture title;
  const std::string dir = soundTitle(title, {"*music 5", "*sleep 3000"});
  SoundRun run(dir, "BGM_ENA=0\n");
  run.runUntil(300);
  EXPECT_EQ(run.engine->vars().S[3], 5);
  EXPECT_EQ(run.engine->vars().S[5], 0);
  EXPECT_FALSE(run.slot(3).exists);
  ASSERT_TRUE(run.engine->writePlayerSetting(IntSetting::BgmEna, 1));
  run.sound().restartMusic();
  EXPECT_EQ(run.engine->vars().S[5], 5);
  EXPECT_EQ(run.slot(3).name, "M05");
}

TEST(SoundRun, MutedAndMasterReachTheState) {
  TitleFixture title;
  const std::string dir = soundTitle(title, {"*sleep 3000"});
  SoundRun run(dir);
  run.runUntil(100);
  run.sound().setMuted(true);
  run.sound().setMaster(-600);
  const std::string json = run.engine->stateJson();
  EXPECT_NE(json.find("\"master\":-600,\"muted\":true,\"loopName\":\"\",\"music\":0,\"voice\":\"\""),
            std::string::npos)
      << json.substr(json.find("\"sound\""));
}

TEST(SoundRun, MalformedSoundsPlayNothing) {
  TitleFixture title;
  title.entry("qd_se0.cvd", "BAD1", {'W', 'A', 'D', 'Y', 0, 0})
      .entry("qd_se0.cvd", "BAD2", {'R', 'I', 'F', 'F', 1, 2, 3, 4})
      .entry("qd_bgm.cvd", "M01", {'W', 'A', 'D', 'Y'})
      .entry("qd_ogg1.cvd", "V009", std::vector<uint8_t>(200, 7));
  const std::string dir = soundTitle(title, {"!S028=1", "*se BAD1", "*se BAD2", "*music 1", "*cv V009", "*sleep 3000"});
  SoundRun run(dir);
  run.runUntil(300);
  for (int i = 0; i < 8; ++i) EXPECT_FALSE(run.slot(i).exists) << i;
  EXPECT_EQ(run.engine->vars().S[5], 1);  // the track number is recorded all the same
}

// The program's --audio-out: one second of a constant 10000 at Vol2 (-1000) comes out at
// 10000 x 10^(-1000/2000) = 3162 on both sides, and the file spans the whole run.
TEST(SoundRun, AudioOutHoldsTheMixAtItsLevel) {
  TitleFixture title;
  const std::string dir = soundTitle(title, {"*se SE01", "*sleep 200"});
  TempDir out;
  const std::string wav = out.path() + "/out.wav";
  const ProgramResult r = runCorvid({dir, "--headless", "--run-ms", "2000", "--audio-out", wav}, "");
  ASSERT_EQ(r.exitCode, 0) << r.stderrText;
  const auto bytes = readWholeFile(wav);
  ASSERT_TRUE(bytes);
  PcmSound pcm;
  std::string error;
  ASSERT_TRUE(parseWav(*bytes, pcm, error)) << error;
  EXPECT_EQ(pcm.channels, 2);
  EXPECT_EQ(pcm.framesPerSecond, 44100);
  const size_t frames = pcm.samples.size() / 2;
  EXPECT_GE(frames, 2000u * 441 / 10);
  EXPECT_LE(frames, 2100u * 441 / 10);
  // The encoded effect follows 10000 to within its codes' steps, mostly exactly.
  size_t sounding = 0, exact = 0, first = frames;
  for (size_t f = 0; f < frames; ++f) {
    if (pcm.samples[2 * f] == 0) continue;
    first = std::min(first, f);
    ++sounding;
    exact += pcm.samples[2 * f] == 3162;
    ASSERT_NEAR(pcm.samples[2 * f], 3162, 80) << f;  // the code after the reset to 0 lands 240 off
    ASSERT_EQ(pcm.samples[2 * f + 1], pcm.samples[2 * f]) << f;
  }
  EXPECT_NEAR(double(sounding), 44100.0, 2.0);  // one second, resampled from 22050 Hz
  EXPECT_GT(exact, sounding * 9 / 10);
  EXPECT_LT(first, 44100u / 5);             // it starts with the script, in the first ticks
}

}  // namespace
}  // namespace corvid::testing

namespace corvid::testing {
namespace {

// A video-only movie in the YUV4MPEG2 format: 80x60 at 10 frames a second, all one grey.
std::vector<uint8_t> greyMovie(int frames, uint8_t luma) {
  const std::string header = "YUV4MPEG2 W80 H60 F10:1 Ip A1:1 C420jpeg\n";
  std::vector<uint8_t> out(header.begin(), header.end());
  for (int f = 0; f < frames; ++f) {
    const std::string tag = "FRAME\n";
    out.insert(out.end(), tag.begin(), tag.end());
    out.insert(out.end(), 80 * 60, luma);
    out.insert(out.end(), 2 * 40 * 30, 128);
  }
  return out;
}

InputEvent press() {
  InputEvent e;
  e.type = InputEvent::Type::MouseDown;
  e.x = 400;
  e.y = 300;
  return e;
}

TEST(SoundRun, AMovieShowsUntilItsEndAndAClickEndsItOnlyAfterItsFirstTicks) {
  TitleFixture title;
  const std::string dir = soundTitle(title, {"*movie none.y4m", "*movie clip.y4m", "*sleep 30", "!V001=1", "*sleep 3000"});
  {
    std::ofstream(dir + "/clip.y4m", std::ios::binary).write(
        reinterpret_cast<const char*>(greyMovie(15, 200).data()), 15 * (6 + 80 * 60 * 3 / 2) + 41);
  }
  SoundRun run(dir);
  run.runUntil(300);
  ASSERT_TRUE(run.engine->movie().active());
  EXPECT_EQ(run.engine->flags().busyCount, 1);
  EXPECT_EQ(run.engine->vars().V[1], 0);
  const uint8_t* px = run.engine->display().at(400, 300);
  EXPECT_NEAR(px[0], 207, 8);  // grey: blue, green and red alike
  EXPECT_EQ(px[2], px[0]);
  run.engine->onInput(press());
  EXPECT_TRUE(run.engine->movie().active());  // within the first 19 ticks a click does nothing
  run.runUntil(1300);
  EXPECT_TRUE(run.engine->movie().active());  // 1.5 seconds long
  run.runUntil(2000);
  EXPECT_FALSE(run.engine->movie().active());
  EXPECT_EQ(run.engine->flags().busyCount, 0);
  run.runUntil(2200);
  EXPECT_EQ(run.engine->vars().V[1], 1);
  EXPECT_EQ(run.engine->display().at(400, 300)[0], 0);  // the screen is back

  // A click ends a long one once the countdown reached 1.
  {
    std::ofstream(dir + "/clip.y4m", std::ios::binary).write(
        reinterpret_cast<const char*>(greyMovie(100, 90).data()), 100 * (6 + 80 * 60 * 3 / 2) + 41);
  }
  SoundRun again(dir);
  again.runUntil(1200);
  ASSERT_TRUE(again.engine->movie().active());
  EXPECT_EQ(again.engine->movie().tag(), 1);
  again.engine->onInput(press());
  EXPECT_FALSE(again.engine->movie().active());
  EXPECT_EQ(again.engine->flags().busyCount, 0);
}

}  // namespace
}  // namespace corvid::testing
