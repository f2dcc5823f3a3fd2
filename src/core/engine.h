#pragma once
// The Engine owns all engine state, as a handful of subsystem objects, and is the platform's
// client: it receives input, the 55 ms timer and close requests, and runs the idle tick.
//
// Sections: options; the Engine (program entry pieces, the two clocks, close and paint,
// state for the headless platform); the message loop.

#include <cstdint>
#include <memory>
#include <string>

#include "core/choice_host.h"
#include "core/engine_flags.h"
#include "core/engine_input_services.h"
#include "core/input_recorder.h"
#include "core/input_router.h"
#include "core/play_mode.h"
#include "core/scene_host.h"
#include "core/script_host.h"
#include "core/transition_host.h"
#include "data/archive.h"
#include "data/game_config.h"
#include "gfx/choice_display.h"
#include "gfx/glyph_renderer.h"
#include "gfx/layers.h"
#include "gfx/picture_loader.h"
#include "gfx/scene.h"
#include "gfx/surface.h"
#include "gfx/text_window.h"
#include "gfx/transitions.h"
#include "persist/global_data.h"
#include "persist/player_settings.h"
#include "persist/settings_store.h"
#include "platform/freetype_rasteriser.h"
#include "platform/platform.h"
#include "script/choices.h"
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
  std::string recordFile;          // the player's input written as an input file; empty: none
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
  bool onCloseRequest() override;
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
  void setPlayMode(PlayMode mode) { playMode_ = mode; }
  const Surface& display() const { return display_; }
  Platform& platform() { return platform_; }
  const PlayerSettings& settings() const { return settings_; }
  SettingsStore* settingsStore() { return store_.get(); }
  // Holds a player setting and writes it to the store at once.
  bool writePlayerSetting(IntSetting setting, int32_t stored);
  bool writePlayerSetting(TextSetting setting, const std::string& text);
  GlobalData* globalData() { return globalData_.get(); }
  // The player changed the window colour or opacity, or the font: the window picture tinted
  // anew, the strip composed again, the font set and the glyph cache rebuilt. The settings
  // screen calls this when it closes.
  void textSettingsChanged();
  Interpreter& interpreter() { return interpreter_; }
  const Interpreter& interpreter() const { return interpreter_; }
  const MessageLog& messageLog() const { return messageLog_; }
  TextWindow& textWindow() { return textWindow_; }
  GlyphRenderer& glyphs() { return glyphs_; }
  RandomGenerator& random() { return random_; }
  // The picture layers, the stage and screen composition and the picture commands.
  Scene& scene() { return scene_; }
  // The transitions, cross-fades, shake and scroll.
  Transitions& transitions() { return transitions_; }
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
  // A script construct handled silently (Shift_JIS text), for the trace.
  void traceScriptProblem(std::string_view what, std::string_view text);
  // The choices: select, clickmap and switch, and what the mouse asks of an open choice.
  Choices& choices() { return choices_; }
  ChoiceInput& choiceInput() { return choices_; }
  const ChoiceDisplay& choiceDisplay() const { return choiceDisplay_; }
  PictureLoader& pictures() { return pictures_; }

  // Input routing, the menus and the screen mode.
  InputRouter& input() { return input_; }
  const InputRouter& input() const { return input_; }
  void setChoiceInput(ChoiceInput* choices) { input_.setChoiceInput(choices); }
  // Enters screen mode 0 (window), 1 (full screen) or 2 (borderless) and stores "SMode".
  void setScreenMode(int mode);
  int screenMode() const { return screenMode_; }
  // An input call whose owner is still to come, for the trace.
  void traceStillToCome(std::string_view what, const char* owner) {
    scriptHost_.traceStillToCome(what, owner);
  }

  // Lets the platform deliver what is pending; blocking loops call this between frames.
  void pumpMessages() { platform_.pumpEvents(); }
  // Asks the platform to close the window (through the close question unless quitRequested).
  void closeWindow();

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
  void showCursorShape();
  void pbPaint();
  void showMissingData();
  void readPlayerSettings();
  void readGlobalData();
  void reportPersistWarnings();
  void saveGlobalData();
  void initTextRendering();
  void applyTextFont();
  WindowColours windowColours() const;

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
  EngineTransitionHost transitionHost_{*this};
  Transitions transitions_{TransitionSurfaces{screen_, work_, output_, display_, wipePattern_},
                           vars_.S, random_, pictures_, transitionHost_};

  // The glyph renderer over the platform's font rasteriser, and its external characters.
  std::unique_ptr<GlyphRasteriser> rasteriser_ = makeFreeTypeRasteriser();
  Surface gaijiPicture_;  // "sys_gaiji"
  GlyphRenderer glyphs_{*rasteriser_,
                        GlyphContext{flags_.skipLevel, vars_.S[37], config_.txPitchX}};

  // The scenario scripts: the interpreter over the two script images, the message log, and
  // the text window.
  ArchiveScriptSource scriptSource_{archives_};
  MessageLog messageLog_;
  TextWindow textWindow_{config_, vars_, messageLog_, flags_.skipLevel, glyphs_, pictures_,
                         TextWindowSurfaces{stage_, screen_, display_}, sceneHost_,
                         TextWindowFlags{flags_.effectRunning, flags_.effectRequest}};
  ScriptHost scriptHost_{*this};
  Interpreter interpreter_{InterpreterContext{
      vars_, random_, wait_,
      PlayControl{flags_.scriptRunning, flags_.skipLevel, flags_.sleepCountdown,
                  flags_.effectRequest, flags_.quitRequested, flags_.soundDevicePresent},
      config_, scriptSource_, messageLog_, textWindow_, scriptHost_, scriptHost_}};

  // The choices, drawn over the screen surface (texts once the glyph renderer is given to the
  // display) and the record of a recollection replay.
  ChoiceRecord choiceRecord_;
  ChoiceDisplay choiceDisplay_{ChoiceSurfaces{screen_, display_, parts_, output_}, sceneHost_};
  EngineChoiceHost choiceHost_{*this};
  Choices choices_{ChoiceContext{interpreter_, vars_, random_, wait_, config_, textWindow_,
                                 choiceRecord_, choiceDisplay_, choiceHost_}};
  // Input: the routing with the menus, the engine's side of its calls, and the recording.
  EngineInputServices inputServices_{*this};
  InputRouter input_{InputContext{platform_, flags_, wait_, vars_, playMode_, config_, settings_,
                                  interpreter_, textWindow_, screen_, stage_, display_,
                                  inputServices_}};
  InputRecorder recorder_;
  int32_t cursorShape_ = 0;  // the pointer shape the platform shows (0 the arrow)
  bool closingOurselves_ = false;  // a close the engine asked for, not the player
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
