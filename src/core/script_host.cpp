#include "core/script_host.h"

#include "core/engine.h"
#include "data/sjis.h"
#include "gfx/picture_arguments.h"
#include "script/script_text.h"

namespace corvid {

ScriptHost::~ScriptHost() {
  if (trace_) std::fclose(trace_);
}

bool ScriptHost::openTrace(const std::string& path, std::string& error) {
  if (trace_) std::fclose(trace_);
  trace_ = std::fopen(path.c_str(), "w");
  if (!trace_) {
    error = path + ": cannot write the trace file";
    return false;
  }
  // Line-buffered, so the trace is complete up to the last line even if the run is stopped.
  std::setvbuf(trace_, nullptr, _IOLBF, 1 << 14);
  return true;
}

const ScriptSettings& ScriptHost::settings() const {
  const PlayerSettings& player = engine_.settings();
  settings_.textPaced = player.textPaced;
  settings_.seen = player.seen;
  settings_.breakOnSelect = player.breakOnSelect;
  settings_.effectCut = player.efxCut != 0;
  return settings_;
}

// The picture commands and the inline tags "[gra ...]", "[spr ...]", "[clrb ...]", "[bg ...]".
// The tag "spr" is the picture operation of "gra " (not the sprite line of "spr "), and both
// tags keep the layer selection the last "gra " or "grb " left.
int ScriptHost::pictures(const OwnedCommand& command) {
  Scene& scene = engine_.scene();
  const std::string_view a = command.arguments;
  switch (command.id) {
    case CommandId::Gra: scene.gra(a, command.fromTag); break;
    case CommandId::Grb: scene.grb(a); break;
    case CommandId::Bg: scene.bg(a); break;
    case CommandId::Clrb: scene.clrb(a, command.fromTag); break;
    case CommandId::Spr:
      if (command.fromTag) scene.gra(a, true);
      else scene.spr(a);
      break;
    case CommandId::Char: scene.spr(a); break;
    case CommandId::Ovr: scene.ovr(a); break;
    case CommandId::PartsLoad: scene.partsload(a); break;
    case CommandId::PtSet: scene.ptset(a); break;
    case CommandId::Direct: scene.direct(a); break;
    case CommandId::Fix: scene.fix(); break;
    default: return stillToCome("pictures", command);
  }
  return commandInfo(command.id).result;
}

// Only the sprite-motion reset that "gameinit" ends with is carried out so far.
int ScriptHost::effects(const OwnedCommand& command) {
  if (command.id == CommandId::GameInit) {
    resetSpriteLayout(engine_.vars().S);
    return kContinueStep;
  }
  return stillToCome("effects", command);
}

// "fadein" T: S16 = T, then the screen shown again with transition 3; "fadeout" T: S16 = T,
// then the picture operation of "gra " with a black background and transition 3.
int ScriptHost::transitions(const OwnedCommand& command) {
  Transitions& transitions = engine_.transitions();
  const std::string_view a = command.arguments;
  switch (command.id) {
    case CommandId::Shake: transitions.shake(a); break;
    case CommandId::Scroll: transitions.scroll(a); break;
    case CommandId::WipeSet: transitions.wipeset(a.substr(0, a.find_first_of(" ,"))); break;
    case CommandId::FadeIn:
      engine_.vars().S[16] = leadingNumber(a);
      engine_.scene().showScene(3);
      break;
    case CommandId::FadeOut:
      engine_.vars().S[16] = leadingNumber(a);
      engine_.scene().gra("S000,3");
      break;
    default: return stillToCome("transitions", command);
  }
  askAfterCloseRequest();
  return commandInfo(command.id).result;
}

// A close asked for while a loop ran was only recorded; it gets its question now, as after a
// picture command, so that no close box click is lost.
void ScriptHost::askAfterCloseRequest() {
  EngineFlags& flags = engine_.flags();
  if (flags.effectRequest != 2) return;
  flags.effectRequest = 0;
  flags.scriptRunning = false;
  if (askQuitQuestion()) flags.quitRequested = true;
  flags.scriptRunning = true;
}

int ScriptHost::sound(const OwnedCommand& command) {
  SoundEngine& sound = engine_.sound();
  const std::string_view a = command.arguments;
  switch (command.id) {
    case CommandId::Music: sound.playMusic(readArgumentNumber(a)); break;
    case CommandId::Cv: sound.playVoiceOrSound(a); break;
    case CommandId::Se: sound.se(a); break;
    case CommandId::SeLoop: sound.seloop(a); break;
    case CommandId::SeOff: sound.seoff(); break;
    case CommandId::Movie: engine_.playMovie(a); break;
    default: return stillToCome("sound", command);
  }
  return commandInfo(command.id).result;
}

void ScriptHost::redrawScene() { engine_.scene().redrawScene(); }

bool ScriptHost::inPlayMode() const { return engine_.playMode() == PlayMode::Play; }

bool ScriptHost::soundExists(std::string_view name) const {
  return engine_.archives().soundExists(name);
}

void ScriptHost::closeWindow() { engine_.closeWindow(); }

bool ScriptHost::openAddress(std::string_view address) {
  return engine_.platform().openAddress(sjisToUtf8(address));
}

bool ScriptHost::askQuitQuestion() {
  const bool ok = engine_.platform().messageBox(Engine::kQuitQuestion, "確認",
                                                MessageBoxButtons::OkCancel,
                                                MessageBoxIcon::Question);
  engine_.platform().present(engine_.display());  // the picture as it was before the box
  return ok;
}

void ScriptHost::traceLine(std::string_view script, int32_t lineNumber, std::string_view text) {
  if (!trace_) return;
  std::fprintf(trace_, "%s:%d: %s\n", sjisToUtf8(script).c_str(), lineNumber,
               sjisToUtf8(text).c_str());
}

void ScriptHost::traceError(std::string_view script, int32_t lineNumber, std::string_view what,
                            std::string_view text) {
  if (!trace_) return;
  std::fprintf(trace_, "%s:%d: ignored: %.*s%s%s\n", sjisToUtf8(script).c_str(), lineNumber,
               int(what.size()), what.data(), text.empty() ? "" : ": ",
               sjisToUtf8(text).c_str());
}

int ScriptHost::saves(const OwnedCommand& command) {
  if (command.id != CommandId::GameClr) return stillToCome("saves", command);
  GlobalData* global = engine_.globalData();
  if (!global) return kContinueStep;
  global->gameclr(engine_.vars());
  for (const std::string& w : global->takeWarnings()) std::fprintf(stderr, "corvid: %s\n", w.c_str());
  return kContinueStep;
}

int ScriptHost::choices(const OwnedCommand& command) { return engine_.choices().carryOut(command); }

void ScriptHost::advanceChoice() { engine_.choices().advanceChoice(); }

void ScriptHost::updateMenus() { engine_.input().updateMenus(); }

void ScriptHost::traceStillToCome(std::string_view what, const char* owner) {
  if (!trace_) return;
  const Interpreter& interpreter = engine_.interpreter();
  std::fprintf(trace_, "%s:%d: input %.*s: not carried out yet (%s)\n",
               sjisToUtf8(interpreter.loadedScriptName()).c_str(),
               interpreter.currentLineIndex() + 1, int(what.size()), what.data(), owner);
}

int ScriptHost::stillToCome(const char* owner, const OwnedCommand& command) {
  if (trace_) {
    const Interpreter& interpreter = engine_.interpreter();
    std::string keyword(commandInfo(command.id).keyword);
    while (!keyword.empty() && keyword.back() == ' ') keyword.pop_back();
    std::fprintf(trace_, "%s:%d: %s %s%s: not carried out yet (%s)\n",
                 sjisToUtf8(interpreter.loadedScriptName()).c_str(),
                 interpreter.currentLineIndex() + 1, command.fromTag ? "tag" : "command",
                 keyword.c_str(), command.arguments.empty() ? "" : (" " + sjisToUtf8(command.arguments)).c_str(),
                 owner);
  }
  return commandInfo(command.id).result;
}

}  // namespace corvid
