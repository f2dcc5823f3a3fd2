#pragma once
// The mixer: eight slots of 16-bit PCM mixed into 44100 Hz stereo, each at its attenuation in
// hundredths of a decibel, under the master attenuation.
//
// Sections: the attenuation curve; clips; the command side (engine thread); the render side
// (audio thread).
//
// Threads: the engine posts commands (start, append, stop, volume, master) from its own thread;
// the audio callback calls render(), which takes the pending commands under a lock held only
// for swapping a vector, then mixes without it. Nothing else is shared, and the engine never
// asks the mixer anything back: what is playing the engine knows from its own clock, so its
// behaviour never depends on the audio thread's timing.

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace corvid {

// ---- The attenuation curve ----------------------------------------------------------------

inline constexpr int32_t kSilentVolume = -10000;  // 1/100 dB: silence
// DirectSound's curve: amplitude 10^(att / 2000), att clamped to -10000..0; -10000 is silence.
float attenuationGain(int32_t attenuation);

// ---- Clips ---------------------------------------------------------------------------------

struct PcmClip {
  int channels = 1;              // 1 or 2
  int framesPerSecond = 44100;
  std::vector<int16_t> samples;  // interleaved
  size_t frames() const { return samples.size() / size_t(channels); }
};
using ClipPtr = std::shared_ptr<const PcmClip>;

class Mixer {
 public:
  inline static constexpr int kSlots = 8;
  inline static constexpr int kMovieSlot = 8;        // a movie's sound, beside the eight slots
  inline static constexpr int kOutputRate = 44100;   // frames per second, stereo out
  inline static constexpr int kQueuedClips = 16;     // clips a streamed slot holds ahead

  // ---- The command side (engine thread) -------------------------------------------------
  // Replaces what the slot plays; `loop` repeats a lone clip until stopped.
  void start(int slot, ClipPtr clip, bool loop, int32_t volume);
  // Queues a clip after the ones the slot holds (the stream's next second).
  void append(int slot, ClipPtr clip);
  void stop(int slot);
  void setVolume(int slot, int32_t volume);
  void setMaster(int32_t volume);

  // ---- The render side (audio thread) ---------------------------------------------------
  // Mixes `frames` stereo frames into `out` (interleaved left, right), replacing its content.
  void render(int16_t* out, size_t frames);

 private:
  struct Command {
    enum class Kind { Start, Append, Stop, Volume, Master } kind = Kind::Stop;
    int slot = 0;
    ClipPtr clip;
    bool loop = false;
    int32_t volume = 0;
  };
  struct Voice {
    std::array<ClipPtr, kQueuedClips> queue;  // queue[0] plays
    int queued = 0;
    bool loop = false;
    uint64_t position = 0;  // frames into queue[0], 32.32 fixed point
    int32_t volume = 0;
    float gain = 0;
  };

  void post(Command command);
  void apply(Command& command);
  void updateGain(Voice& voice) const;
  void mixVoice(Voice& voice, float* acc, size_t frames);
  void popClip(Voice& voice);

  std::mutex lock_;
  std::vector<Command> pending_;  // guarded by lock_
  // Owned by the render side.
  std::vector<Command> taken_;
  std::array<Voice, kSlots + 1> voices_;
  int32_t master_ = 0;
  std::vector<float> acc_;
};

}  // namespace corvid
