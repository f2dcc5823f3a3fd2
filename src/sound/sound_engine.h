#pragma once
// The sound engine: eight slots with fixed roles and volume groups, the sound-name lookup, the
// sound-effect commands, the stream player for music, voices and their replay, the music
// commands and their pending start.
//
// Sections: context and slot records; the device and volumes; playing by name and the effect
// commands; voices; the stream and music; animation sounds; the state for the state file.
//
// What is playing is known here from the engine's own clock (a one-shot slot plays for its
// length since it started), never asked of the mixer, so the engine behaves the same whatever
// the audio thread does. Texts (names) are Shift_JIS.

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "data/archive.h"
#include "persist/player_settings.h"
#include "sound/mixer.h"
#include "sound/stream_player.h"

namespace corvid {

// ---- Context and slot records ---------------------------------------------------------------

struct SoundContext {
  const Archives& archives;
  std::array<int32_t, 200>& S;             // S2 duck level, S3/S5 music, S57 stream silence
  const PlayerSettings& settings;          // Vol1..Vol4 and the switches
  const int32_t& skipLevel;
  std::function<uint32_t()> clock;         // milliseconds, the platform's clock
  std::function<bool()> windowActive;      // one of the engine's windows has the focus
  std::function<std::string()> lastVoice;  // the voice the interpreter recorded last
};

enum class SoundKind { Voice = 0, Effect = 1, Loop = 2 };

struct SlotRecord {
  bool exists = false;
  std::string name;            // the entry that was played, upper-cased
  bool looping = false;
  int32_t volume = 0;          // 1/100 dB as set on the slot
  uint32_t startMs = 0;
  uint64_t frames = 0;         // frames of one pass
  int framesPerSecond = 0;
};

class SoundEngine {
 public:
  inline static constexpr int kSlots = 8;
  inline static constexpr int kVoiceSlot = 0, kEffectSlot = 1, kLoopSlot = 2, kStreamSlot = 3,
                              kAnimSlot = 5;
  inline static constexpr int32_t kDuckStep = 500;        // 1/100 dB per unit of S2
  inline static constexpr int32_t kFadeStopLevel = -3000;  // a fade below this stops the stream
  inline static constexpr int32_t kMutedMaster = -9999;

  SoundEngine(SoundContext context, Mixer& mixer) : c_(std::move(context)), mixer_(mixer) {}

  // ---- The device and volumes ---------------------------------------------------------
  // Whether a device plays; without one every operation does nothing.
  void initSound(bool available);
  bool available() const { return available_; }
  void applyVolumes();
  void setMuted(bool on);
  void setMaster(int32_t volume);  // the settings screen's master bar
  // Every 55 ms timer tick: master, ducking, fades, refilling the stream.
  void refreshSound();
  void stopAllSounds();

  // ---- Playing by name and the effect commands ---------------------------------------
  // 0 played or suppressed, 1 not found or not readable.
  int playSound(std::string_view name, SoundKind kind);
  void se(std::string_view name);
  void seloop(std::string_view name);
  void seoff();
  void stopLoopSound() { releaseSlot(kLoopSlot); }
  bool isLoopSoundPlaying() const { return slotPlaying(kLoopSlot); }
  bool soundExists(std::string_view name) const { return c_.archives.soundExists(name); }

  // ---- Voices ------------------------------------------------------------------------
  void playVoiceOrSound(std::string_view name);
  void playOggVoice(std::span<const uint8_t> bytes, int slot, std::string_view name);
  void stopVoice() { releaseSlot(kVoiceSlot); }
  bool isVoicePlaying() const { return slotPlaying(kVoiceSlot); }
  // The backlog's and the input's replay button: the voice the script played last.
  void replayLastVoice();

  // ---- The stream and music ------------------------------------------------------------
  void playMusic(int32_t n);
  void restartMusic();
  // The pending start of a track asked for while no engine window was active (every tick).
  void musicPendingTick();
  bool openMusicStream(const EntryRef& entry);
  void stopStream();
  void startFadeOut(int32_t step);

  // ---- Animation sounds (the clips' own sounds) ----------------------------------------
  void playAnimSound(std::span<const uint8_t> bytes);
  bool openAnimStream(std::vector<uint8_t> bytes);
  void stopAnimSound() { releaseSlot(kAnimSlot); }
  void stopAnimStream();

  // ---- State for the state file --------------------------------------------------------
  const SlotRecord& slot(int i) const { return slots_[size_t(i)]; }
  bool slotPlaying(int slot) const;
  int32_t master() const { return master_; }
  bool muted() const { return muted_; }
  bool ducked() const { return ducked_; }
  const std::string& loopName() const { return loopName_; }
  int32_t fadeLevel() const { return fadeLevel_; }
  int32_t streamVolume() const { return streamVolume_; }
  const std::string& lastPlayedVoice() const { return lastPlayedVoice_; }
  int32_t musicPlaying() const { return c_.S[5]; }  // the track playing, S5

 private:
  int32_t vol(int group) const { return c_.settings.volAttenuation[size_t(group - 1)]; }
  int32_t duckedLoopVolume() const { return vol(2) - c_.S[2] * kDuckStep; }
  void startSlot(int slot, std::string_view name, ClipPtr clip, bool loop, int32_t volume);
  void setSlotVolume(int slot, int32_t volume);
  void releaseSlot(int slot);
  void playWady(std::span<const uint8_t> bytes, int slot, std::string_view name);
  bool openStream(std::vector<uint8_t> bytes, StreamPlayer::Source source, std::string_view name);
  void refillStream();
  void startTrack(int32_t track);
  bool effectCategoryOff(const std::string& upper) const;

  SoundContext c_;
  Mixer& mixer_;
  bool available_ = false;
  std::array<SlotRecord, kSlots> slots_;
  int32_t master_ = 0;
  bool muted_ = false;
  bool ducked_ = false;
  std::string loopName_;
  StreamPlayer stream_;
  int32_t fadeLevel_ = 0;  // 0: no fade
  int32_t fadeStep_ = 0;
  int32_t streamVolume_ = 0;
  uint32_t refreshTicks_ = 0;
  int32_t pendingTrack_ = 0;
  int pendingCountdown_ = 0;  // 3 -> 2 -> 1 -> start
  std::string lastPlayedVoice_;
};

}  // namespace corvid
