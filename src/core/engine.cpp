#include "core/engine.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "data/optical_drive.h"
#include "persist/persist_paths.h"
#include "data/sjis.h"

namespace corvid {

namespace {

constexpr int kWindowWidth = 808;   // the window's fixed outer width
constexpr int kWindowHeight = 604;  // the client height the window is laid out for
constexpr int kDefaultFontPoints = 22;  // the text font's size when the settings give none

// Archives that exist but were refused (a damaged directory) are skipped; say which.
void reportArchiveProblems(const std::vector<std::string>& problems) {
  for (const std::string& p : problems) std::fprintf(stderr, "corvid: %s\n", p.c_str());
}

}  // namespace

Engine::Engine(Platform& platform, EngineOptions options)
    : platform_(platform), options_(std::move(options)) {
  textWindow_.setScreenRefresh([this](int transition) { scene_.showScene(transition); });
  scene_.setTransitions(&transitions_);
  input_.setChoiceInput(&choices_);
}

Engine::~Engine() {
  if (audioOpen_) platform_.closeAudio();
}

// ---- Start-up -------------------------------------------------------------------------------

void Engine::formCreate() {
  flags_.quitRequested = false;
  if (!options_.recordFile.empty()) {
    std::string error;
    if (!recorder_.open(options_.recordFile, error)) std::fprintf(stderr, "corvid: %s\n", error.c_str());
  }
  platform_.openWindow(caption_);
  startUp();
  platform_.setCaption(caption_);
}

void Engine::showMissingData() {
  platform_.messageBox(kMissingDataMessage, "Error!", MessageBoxButtons::Ok, MessageBoxIcon::Stop);
  flags_.quitRequested = true;
  startupFailed_ = true;
}

void Engine::startUp() {
  // The blend primitives choose their fast path for themselves, once, on first use.
  random_.seedRandom(options_.seedGiven ? options_.seed : uint32_t(std::time(nullptr)));
  vars_.S.fill(0);
  flags_.soundDevicePresent = platform_.audioDeviceCount() != 0;

  // The remaining steps still run after this, as the window closes on the first idle tick.
  if (!mainDataArchiveExists(options_.titleDir)) showMissingData();

  interpreter_.allocateImages();
  if (!options_.traceFile.empty()) {
    std::string error;
    if (!scriptHost_.openTrace(options_.traceFile, error))
      std::fprintf(stderr, "corvid: %s\n", error.c_str());
  }
  reportArchiveProblems(archives_.openDataArchives(options_.titleDir));
  readConfiguration();

  readPlayerSettings();

  caption_ = sjisToUtf8(config_.title);

  makeSurfaces();

  SecondaryDirRules rules;
  rules.qddGra = config_.qddGra;
  rules.qddGjp = config_.qddGjp;
  rules.qddWav = config_.qddWav;
  rules.qddSe = config_.qddSe;
  rules.qddOgg = config_.qddOgg;
  rules.qddAnim = config_.qddAnim;
  const std::string& cdDir = settings_.cdDir;
  reportArchiveProblems(archives_.openMediaArchives(
      options_.titleDir, rules, cdDir, isReadableOpticalDirectory(secondaryDirFromSetting(cdDir))));
  if (!archives_.firstPictureArchivePresent()) {
    if (!startupFailed_) showMissingData();
    return;
  }
  initTextRendering();
  choiceDisplay_.loadBars(pictures_, config_.selectExpand != 0);
  choiceDisplay_.setTextRuns(&glyphs_);

  interpreter_.resetWaitState();
  vars_.E.clear();
  vars_.F.clear();
  vars_.T.clear();
  vars_.galleryBits.clear();
  vars_.V.fill(0);
  vars_.S[100] = settings_.clear;
  readGlobalData();
  input_.setCoverPictureFolders({options_.titleDir, globalData_->dataDir()});
  messageLog_.clear();
  setStartValues();
  resetSpriteLayout(vars_.S);  // the sprite-motion reset "INIT"
  textWindow_.clearTextGrid();
  for (std::string& s : vars_.strings) s.clear();
  for (int i = 0; i < 3; ++i) vars_.setString(i, settings_.playerName[size_t(i)]);
  vars_.S[31] = 0;
  flags_.startMainPending = true;
  readPictureSets();
}

// Every surface the scene and the screens draw on, made once; later pictures of another size
// only ever grow a buffer. The paint box starts black.
void Engine::makeSurfaces() {
  const auto frame = [] { return Surface(kScreenWidth, kScreenHeight); };
  background_ = frame();
  backgroundCompanion_ = frame();
  spriteCache_.allocate();
  stage_ = frame();
  screen_ = frame();
  work_ = frame();
  output_ = frame();
  wipePattern_ = frame();
  for (Surface& s : spareFrames_) s = frame();
  overlay_ = Surface();
  display_ = frame();
  choiceDisplay_.allocate();
  platform_.present(display_);
}

// The text window's pictures (name plate, window, click-wait mark), the external characters and
// the glyph renderer with its preloaded cache, the text colour cell filled.
void Engine::initTextRendering() {
  pictures_.loadPicture("sys_gaiji", gaijiPicture_);
  glyphs_.setExternalCharacters(&config_.gaiji, &gaijiPicture_);
  applyTextFont();
  glyphs_.selectTextColour(1);
  glyphs_.selectTextColour(0);
  textWindow_.loadPictures(windowColours());
}

void Engine::applyTextFont() {
  // A title without FONT_SIZE gets the text font's own size.
  const int points = settings_.fontSize > 0 ? settings_.fontSize : kDefaultFontPoints;
  glyphs_.setFont(sjisToUtf8(settings_.fontName), points, settings_.fontBold != 0);
  glyphs_.rebuildGlyphCache();
}

void Engine::textSettingsChanged() {
  textWindow_.tintWindowPicture(windowColours());
  textWindow_.invalidateStrip();
  textWindow_.composeTextWindow();
  applyTextFont();
}

WindowColours Engine::windowColours() const {
  return WindowColours{settings_.txbgR, settings_.txbgG, settings_.txbgB, settings_.txbgA,
                       settings_.txbgA2};
}

// "_sprset" and "_bgset"; with "$DEBUG_OUT" every background set is also written as a picture
// file into the folder BMP of the title.
void Engine::readPictureSets() {
  std::string error;
  scene_.setSpriteSets(readSpriteSets(archives_, &error));
  if (!error.empty()) std::fprintf(stderr, "corvid: _sprset: %s\n", error.c_str());
  error.clear();
  BackgroundSets sets = readBackgroundSets(archives_, &error);
  if (!error.empty()) std::fprintf(stderr, "corvid: _bgset: %s\n", error.c_str());
  pictures_.setBackgroundSets(sets.lines);
  if (!sets.debugOut) return;
  const auto compose = [this](const std::string& hashName) { scene_.loadBackground(hashName); };
  if (!dumpBackgroundSets(sets.lines, compose, background_, options_.titleDir + "/BMP", &error))
    std::fprintf(stderr, "corvid: $DEBUG_OUT: %s\n", error.c_str());
}

void Engine::traceScriptProblem(std::string_view what, std::string_view text) {
  if (!scriptHost_.tracing()) return;
  scriptHost_.traceError(interpreter_.loadedScriptName(), interpreter_.currentLineIndex() + 1,
                         what, text);
}

void Engine::tracePictureProblem(const std::string& what) {
  if (!scriptHost_.tracing()) return;
  scriptHost_.traceError(interpreter_.loadedScriptName(), interpreter_.currentLineIndex() + 1,
                         what, {});
}

bool Engine::readConfiguration() {
  EntryRead section = archives_.readDataEntry("_config", uint64_t(kScriptImageBytes));
  if (!section.ok()) {
    // No "_config" leaves the zero configuration; a damaged one is said on stderr.
    if (section.status != EntryReadStatus::NotFound)
      std::fprintf(stderr, "corvid: %s\n", section.error.c_str());
    return false;
  }
  std::string line;
  if (parseGameConfig(section.bytes, config_, &line)) return true;
  configError_ = sjisToUtf8(line);
  std::fprintf(stderr, "corvid: _config: cannot convert the line \"%s\"; the lines after it were not read\n",
               configError_.c_str());
  return false;
}

// The player's settings from the store (defaults from the configuration): window position,
// screen mode (a small screen gets the borderless window), names, global variables.
void Engine::readPlayerSettings() {
  store_ = std::make_unique<SettingsStore>(options_.settingsPath.empty() ? defaultSettingsPath()
                                                                         : options_.settingsPath);
  titleSection_ = SettingsSection{config_.makerReg, config_.gameId};
  settingDefaults_.fontName = config_.fontName;
  settingDefaults_.fontSize = config_.fontSize;
  settingDefaults_.volume = config_.volume;
  settingDefaults_.txwColorR = config_.txwColorR;
  settingDefaults_.txwColorG = config_.txwColorG;
  settingDefaults_.txwColorB = config_.txwColorB;
  settingDefaults_.txwAlpha = config_.txwAlpha;
  settingDefaults_.txwAlpha2 = config_.txwAlpha2;
  settingDefaults_.defaultName = {config_.defaultName, config_.defaultName2, config_.defaultName3};
  const ScreenSize screen = platform_.screenSize();
  settings_ = loadPlayerSettings(*store_, titleSection_, settingDefaults_,
                                 ScreenFacts{screen.width, screen.height, kWindowWidth, kWindowHeight});
  applyPlayerSettings(settings_, settingDefaults_, vars_);
  platform_.setWindowPosition(settings_.left, settings_.top);
  screenMode_ = settings_.screenMode;
  if (screenMode_ == 2) platform_.setScreenMode(2);
  reportPersistWarnings();
}

// "kaiso.dat" and "save0.dat", merged into the flags that live across games.
void Engine::readGlobalData() {
  globalData_ = std::make_unique<GlobalData>(
      chooseDataDir(options_.dataDir, options_.titleDir, config_.gameId), *store_, titleSection_);
  globalData_->startUp(vars_, settings_.clear);
  reportPersistWarnings();
}

bool Engine::writePlayerSetting(IntSetting setting, int32_t stored) {
  bool ok = writeSetting(*store_, titleSection_, settings_, setting, stored);
  reportPersistWarnings();
  return ok;
}

bool Engine::writePlayerSetting(TextSetting setting, const std::string& text) {
  bool ok = writeSetting(*store_, titleSection_, settings_, setting, text);
  reportPersistWarnings();
  return ok;
}

void Engine::reportPersistWarnings() {
  std::vector<std::string> warnings = store_ ? store_->takeWarnings() : std::vector<std::string>{};
  if (globalData_)
    for (std::string& w : globalData_->takeWarnings()) warnings.push_back(std::move(w));
  for (const std::string& w : warnings) std::fprintf(stderr, "corvid: %s\n", w.c_str());
}

void Engine::setStartValues() {
  vars_.setSystemStartValues();
  input_.updateMenus();
  flags_.systemDialogOpen = 0;
  flags_.backlogOpen = false;
  flags_.effectRunning = false;
  flags_.effectRequest = 0;
  for (int i = 160; i <= 163; ++i) vars_.S[size_t(i)] = 0;
}

void Engine::startMainScript() {
  if (flags_.quitRequested) {
    closeWindow();
    return;
  }
  display_.fill(0);
  screen_.fill(0);
  platform_.present(display_);
  if (screenMode_ != 0 && !platform_.setScreenMode(screenMode_)) screenMode_ = 0;
  interpreter_.startMain();
  startSound();
}

// The sound engine starts with the first idle tick, on the device the platform opens.
void Engine::startSound() {
  if (audioOpen_) return;
  audioOpen_ = platform_.openAudio(&mixerFeed_);
  sound_.initSound(audioOpen_);
}

void Engine::playMovie(std::string_view path) {
  std::string file = sjisToUtf8(path);
  std::replace(file.begin(), file.end(), '\\', '/');
  if (file.empty()) return;
  if (file[0] != '/') file = options_.titleDir + "/" + file;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return;
  std::string error;
  std::unique_ptr<MovieDecoder> decoder = platform_.openMovie(file, error);
  if (!decoder) {
    std::fprintf(stderr, "corvid: movie %s\n", error.c_str());
    return;
  }
  movie_.start(std::move(decoder), platform_.millis(), 0);
  ++flags_.busyCount;
}

// The panel goes, the paint box shows the screen again, and the engine is no longer busy.
void Engine::endMovie() {
  movie_.stop();
  if (flags_.busyCount > 0) --flags_.busyCount;
  pbPaint();
}

// ---- The idle tick --------------------------------------------------------------------------

void Engine::paceIdleTick(uint32_t tickStart, uint32_t minimumMs) {
  const uint32_t elapsed = platform_.millis() - tickStart;
  if (elapsed < minimumMs) platform_.sleep(minimumMs - elapsed);
}

void Engine::appIdle() {
  ++flags_.idleTickCount;
  const uint32_t tickStart = platform_.millis();
  if (movie_.active() && movie_.frameTick(tickStart, display_)) platform_.present(display_);
  if (flags_.clickGuard > 0) --flags_.clickGuard;
  showCursorShape();  // a click map may have closed since the last tick
  // The backlog's held-button repeat runs here while it is open.
  if (flags_.backlogOpen || flags_.systemDialogOpen != 0 || flags_.settingsScreenOpen) {
    paceIdleTick(tickStart, kMinIdleTickMs);
    return;
  }
  if (playMode_ == PlayMode::Play) {
    if (!playTick(tickStart)) return;  // auto-advance paced the tick itself
  }
  // Screens with a tick of their own (staff roll, map screen, viewer) run it here, and in
  // every mode the background-animation tick follows.
  paceIdleTick(tickStart, kMinIdleTickMs);
}

// The Play part of the idle tick. False when the tick is over already (start of "main",
// a busy engine, or auto-advance pacing).
bool Engine::playTick(uint32_t tickStart) {
  if (flags_.startMainPending) {
    flags_.startMainPending = false;
    startMainScript();
    paceIdleTick(tickStart, kMinIdleTickMs);
    return false;
  }
  if (flags_.busyCount != 0) {
    paceIdleTick(tickStart, kMinIdleTickMs);
    return false;
  }
  random_.randomValue();  // drawn and dropped, so the values scripts draw depend on the player's pace
  if (flags_.quitRequested) closeWindow();
  // Skipping ends a pending page-end wait with a new page and drops any other click wait.
  if (flags_.skipLevel != 0) interpreter_.skipClickWait();
  if (wait_.choiceActive || wait_.waitTicks != 0 || wait_.waitKind != 0 || wait_.voiceWait)
    return true;
  if (flags_.sleepCountdown != 0) {
    if (flags_.sleepCountdown > 0) --flags_.sleepCountdown;
    return true;
  }
  if (flags_.scriptRunning) interpreter_.step();
  if (vars_.S[26] != 0) {
    // Auto-advance on: the tick lasts 4 * speed + 15 ms instead.
    paceIdleTick(tickStart, uint32_t(4 * vars_.S[26] + 15));
    return false;
  }
  return true;
}

// ---- The 55 ms timer ------------------------------------------------------------------------

void Engine::timer1Timer() {
  ++flags_.timerTickCount;
  sound_.refreshSound();
  if (movie_.active()) {
    if (movie_.timerTick(platform_.millis())) endMovie();
    return;
  }
  if (flags_.settingsScreenOpen) return;
  if (flags_.backlogOpen || flags_.busyCount != 0 || playMode_ != PlayMode::Play) return;
  if (wait_.choiceActive && flags_.systemDialogOpen == 0) {
    choices_.choiceTick();
    return;
  }
  if (!voiceChannelPlaying()) wait_.voiceWait = false;
  if (wait_.waitTicks > 0) {
    --wait_.waitTicks;
    return;
  }
  sound_.musicPendingTick();
  if (wait_.waitKind == 0) return;
  if (vars_.S[26] == 0) {
    if (wait_.waitKind != 5) textWindow_.animateClickWait();
    return;
  }
  autoAdvanceTick();
}

// Auto-advance: count down, but never end the wait while a voice still speaks.
void Engine::autoAdvanceTick() {
  const bool voice = voiceChannelPlaying();
  if (wait_.autoCountdown > 0) {
    --wait_.autoCountdown;
    if (wait_.autoCountdown == 0 && voice) wait_.autoCountdown = 1;
  } else if (voice) {
    wait_.autoCountdown = 1;
  }
  if (wait_.autoCountdown != 0) return;
  interpreter_.autoAdvanceClickWait();
}

bool Engine::voiceChannelPlaying() const { return sound_.isVoicePlaying(); }

// ---- Input, close and paint -----------------------------------------------------------------

void Engine::onInput(const InputEvent& event) {
  recorder_.record(platform_.millis(), event);
  // A movie's panel covers the picture and takes the clicks: one ends it after its first ticks.
  if (movie_.active()) {
    if (event.type == InputEvent::Type::MouseDown && movie_.clickEnds()) endMovie();
    return;
  }
  // The mouse buttons and the wheel take the click-wait mark away before they act.
  if (event.type == InputEvent::Type::MouseDown || event.type == InputEvent::Type::Wheel)
    textWindow_.eraseClickWait();
  input_.handle(event);
  showCursorShape();
}

// The pointer takes the shape a click map's colour region asks for while the map is open.
void Engine::showCursorShape() {
  const int32_t shape = wait_.choiceActive == 4 ? choices_.state().cursorShape : 0;
  if (shape == cursorShape_) return;
  cursorShape_ = shape;
  platform_.setCursorShape(shape);
}

// A close the player asked for (the window's close box, a quit) goes into the record; one the
// engine asks for itself follows from input that is recorded already.
bool Engine::onCloseRequest() {
  const bool close = formCloseQuery();
  if (close && !closingOurselves_) recorder_.recordQuit(platform_.millis());
  return close;
}

void Engine::closeWindow() {
  closingOurselves_ = true;
  platform_.requestClose();
  closingOurselves_ = false;
}

void Engine::setScreenMode(int mode) {
  if (mode == screenMode_ || !platform_.setScreenMode(mode)) return;
  if (screenMode_ == 1) platform_.showFullScreenBar(false);
  screenMode_ = mode;
  writePlayerSetting(IntSetting::SMode, mode);
}

bool Engine::formCloseQuery() {
  if (flags_.quitRequested) return true;
  saveGlobalData();
  if (flags_.effectRunning) {
    flags_.effectRequest = 2;  // the next picture command asks the question
    return false;
  }
  if (flags_.busyCount != 0) return false;
  flags_.scriptRunning = false;
  const bool ok = platform_.messageBox(kQuitQuestion, caption_, MessageBoxButtons::OkCancel,
                                       MessageBoxIcon::Question);
  if (ok) flags_.effectRequest = 1;
  pbPaint();
  flags_.scriptRunning = true;
  return ok;
}

void Engine::pbPaint() {
  display_ = playMode_ == PlayMode::WindowHidden ? stage_ : screen_;
  platform_.present(display_);
  sound_.applyVolumes();
}

// The global data is written at every close, also when the engine itself asked to quit, so no
// progress made since the last synchronisation is lost.
void Engine::formDestroy() {
  saveGlobalData();
  movie_.stop();
  sound_.stopStream();
  if (screenMode_ == 1) platform_.setScreenMode(0);
}

void Engine::saveGlobalData() {
  if (!globalData_) return;
  globalData_->syncGlobalData(SyncDirection::Save, vars_);
  reportPersistWarnings();
}

// ---- The message loop -----------------------------------------------------------------------

void runMessageLoop(Platform& platform, Engine& engine) {
  while (platform.windowOpen()) {
    platform.pumpEvents();
    if (!platform.windowOpen()) break;
    engine.appIdle();
  }
}

}  // namespace corvid
