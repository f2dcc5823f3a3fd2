#pragma once
// The Engine owns all engine state, as a handful of subsystem objects, and is the platform's
// client: it receives input, the 55 ms timer and close requests, and runs the idle tick.
//
// Sections: options; the Engine (program entry pieces, the two clocks, close and paint,
// state for the headless platform); the message loop.

#include <cstdint>
#include <memory>
#include <string>

#include "core/engine_flags.h"
#include "core/play_mode.h"
#include "core/scene_host.h"
#include "core/script_host.h"
#include "data/archive.h"
#include "data/game_config.h"
#include "gfx/layers.h"
#include "gfx/picture_loader.h"
#include "gfx/scene.h"
#include "gfx/surface.h"
#include "persist/global_data.h"
#include "persist/player_settings.h"
#include "persist/settings_store.h"
#include "platform/platform.h"
#include "script/interpreter.h"
#include "script/message_log.h"
#include "script/random.h"
#include "script/text_sink.h"
#include "script/variables.h"
#include "script/wait_state.h"
#include "sound/mixer.h"
#include "sound/movie_player.h"
#include "sound/sound_engine.h"

namespace corvid {

struct EngineOptions {
  std::string titleDir = ".";     // where the archives lie
  bool seedGiven = false;          // seed the random generator with `seed`, not the time
  uint32_t seed = 0;
  std::string settingsPath;        // the settings file; empty: the user's default
  std::string dataDir;             // saves and global data; empty: chosen by chooseDataDir
  std::string traceFile;           // executed script lines and ignored errors; empty: none
};

class Engine final : public PlatformClient {
 public:
  inline static constexpr uint32_t kMinIdleTickMs = 20;  // the idle tick is paced to at least this
  inline static const char* const kQuitQuestion = "ゲームを終了しますか？";
  inline static const char* const kMissingDataMessage = "ゲームデータを読み込めません。";

  Engine(Platform& platform, EngineOptions options);
  ~Engine() override;  // stops the audio output before the mixer goes

  // ---- Program entry pieces ----------------------------------------------------------
  // Window creation: runs the start-up sequence and opens the window with its caption.
  void formCreate();
  // The title could not be loaded (a missing archive); the window closes on the first tick.
  bool startupFailed() const { return startupFailed_; }
  void formDestroy();

  // ---- The two clocks ------------------------------------------------------------------
  void appIdle();
  void timer1Timer();

  // ---- PlatformClient -----------------------------------------------------------------
  void onInput(const InputEvent& event) override;
  void onTimerTick() override { timer1Timer(); }
  bool onCloseRequest() override { return formCloseQuery(); }
  void onPaint() override { pbPaint(); }
  std::string stateJson() override;

  // ---- State other subsystems and tests read ------------------------------------------
  const GameConfig& config() const { return config_; }
  const std::string& configError() const { return configError_; }
  const Archives& archives() const { return archives_; }
  VariableSpaces& vars() { return vars_; }
  EngineFlags& flags() { return flags_; }
  WaitState& wait() { return wait_; }
  PlayMode playMode() const { return playMode_; }
  const Surface& display() const { return display_; }
  Platform& platform() { return platform_; }
  const PlayerSettings& settings() const { return settings_; }
  SettingsStore* settingsStore() { return store_.get(); }
  // Holds a player setting and writes it to the store at once.
  bool writePlayerSetting(IntSetting setting, int32_t stored);
  bool writePlayerSetting(TextSetting setting, const std::string& text);
  GlobalData* globalData() { return globalData_.get(); }
  Interpreter& interpreter() { return interpreter_; }
  const Interpreter& interpreter() const { return interpreter_; }
  const MessageLog& messageLog() const { return messageLog_; }
  GridTextSink& textWindow() { return textWindow_; }
  RandomGenerator& random() { return random_; }
  // The picture layers, the stage and screen composition and the picture commands.
  Scene& scene() { return scene_; }
  // The sound slots, effects, music and voices.
  SoundEngine& sound() { return sound_; }
  const SoundEngine& sound() const { return sound_; }
  // movie PATH: a file beside the title, shown over the display until its end or a click;
  // the engine is busy meanwhile. A file that does not exist does nothing.
  void playMovie(std::string_view path);
  const MoviePlayer& movie() const { return movie_; }
  const Surface& stage() const { return stage_; }
  const Surface& screen() const { return screen_; }
  // A picture that could not be read, for the trace (UTF-8).
  void tracePictureProblem(const std::string& what);

  // Lets the platform deliver what is pending; blocking loops call this between frames.
  void pumpMessages() { platform_.pumpEvents(); }
  // Asks the platform to close the window (through the close question unless quitRequested).
  void closeWindow() { platform_.requestClose(); }

 private:
  void startUp();
  void makeSurfaces();
  void readPictureSets();
  bool readConfiguration();
  void setStartValues();
  void startMainScript();
  void startSound();
  void endMovie();
  bool playTick(uint32_t tickStart);
  void paceIdleTick(uint32_t tickStart, uint32_t minimumMs);
  void autoAdvanceTick();
  bool voiceChannelPlaying() const;
  bool formCloseQuery();
  void playLeftClick();
  void pbPaint();
  void showMissingData();
  void readPlayerSettings();
  void readGlobalData();
  void reportPersistWarnings();
  void saveGlobalData();

  Platform& platform_;
  EngineOptions options_;

  EngineFlags flags_;
  PlayMode playMode_ = PlayMode::Play;
  Archives archives_;
  GameConfig config_;
  std::string configError_;  // the "_config" line that stopped reading, empty when none
  VariableSpaces vars_;
  std::unique_ptr<SettingsStore> store_;
  SettingsSection titleSection_;  // MAKER_REG and GAME_ID: where this title's settings live
  SettingDefaults settingDefaults_;
  PlayerSettings settings_;
  std::unique_ptr<GlobalData> globalData_;  // made once the data folder is known
  WaitState wait_;
  RandomGenerator random_;
  std::string caption_ = "起動中";
  bool startupFailed_ = false;
  int screenMode_ = 0;  // 0 window, 1 full screen, 2 borderless window at (0, 0)

  // The surfaces, made once at start-up (makeSurfaces) in this order.
  Surface background_;           // the background picture alone
  Surface backgroundCompanion_;  // the background animation's second sheet
  SpriteCache spriteCache_;      // five pairs of 200x600 strips and the names they hold
  Surface stage_;                // the scene without the text window
  Surface screen_;               // the finished frame
  Surface work_;                 // the screen before a scene change; scratch for screens
  Surface output_;               // a transition's frames; the second sheet of partsload
  Surface wipePattern_;          // the grey picture of wipeset
  std::array<Surface, 3> spareFrames_;  // for the screens to come; the last one black
  Surface overlay_;              // the picture of ovr, any size
  Surface parts_;                // the picture of partsload and direct, any size
  Surface scratchColour_;        // parts of sprite sets drawn with offsets
  Surface scratchMask_;
  Surface display_;              // what the player sees; the platform presents it

  PictureLoader pictures_{archives_};
  EngineSceneHost sceneHost_{*this};
  Scene scene_{SceneSurfaces{background_, stage_, screen_, work_, output_, display_, overlay_,
                             parts_, scratchColour_, scratchMask_, spriteCache_},
               vars_.S, config_, pictures_, sceneHost_};

  // The scenario scripts: the interpreter over the two script images, the message log, and
  // the text window as far as it exists (the grid and its cursor).
  ArchiveScriptSource scriptSource_{archives_};
  MessageLog messageLog_;
  GridTextSink textWindow_{config_, vars_, messageLog_, flags_.skipLevel};
  ScriptHost scriptHost_{*this};
  Interpreter interpreter_{InterpreterContext{
      vars_, random_, wait_,
      PlayControl{flags_.scriptRunning, flags_.skipLevel, flags_.sleepCountdown,
                  flags_.effectRequest, flags_.quitRequested, flags_.soundDevicePresent},
      config_, scriptSource_, messageLog_, textWindow_, scriptHost_, scriptHost_}};

  // Sound: the mixer the audio device renders, and the slots and music over it.
  struct MixerFeed final : AudioRenderer {
    explicit MixerFeed(Mixer& m) : mixer(m) {}
    void render(int16_t* stereo, size_t frames) override { mixer.render(stereo, frames); }
    Mixer& mixer;
  };
  Mixer mixer_;
  MixerFeed mixerFeed_{mixer_};
  MoviePlayer movie_{mixer_};
  bool audioOpen_ = false;
  SoundEngine sound_{SoundContext{archives_, vars_.S, settings_, flags_.skipLevel,
                                  [this] { return platform_.millis(); },
                                  [this] { return platform_.windowActive(); },
                                  [this] { return std::string(interpreter_.state().lastVoice.view()); }},
                     mixer_};
};

// Runs the message loop until the window closes: pending events, then one idle tick.
void runMessageLoop(Platform& platform, Engine& engine);

}  // namespace corvid
