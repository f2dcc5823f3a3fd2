#include "sound/sound_engine.h"

#include <algorithm>
#include <cstdio>

#include "data/sjis.h"
#include "sound/ogg_voice.h"
#include "sound/wady.h"

namespace corvid {

namespace {

// A voice of the second voice archive ("qd_ogg2.cvd") needs CV2 as well as CV1.
constexpr int kSecondVoiceSlot = 1;

void reportBadSound(std::string_view name, const std::string& error) {
  std::fprintf(stderr, "corvid: sound %s: %s; nothing is played\n", sjisToUtf8(name).c_str(),
               error.c_str());
}

int32_t clampVolume(int32_t v) { return std::clamp(v, kSilentVolume, 0); }

}  // namespace

// ---- The device and volumes -------------------------------------------------------------------

void SoundEngine::initSound(bool available) {
  available_ = available;
  master_ = 0;  // our mixer's own master starts at full level
  applyVolumes();
}

bool SoundEngine::slotPlaying(int slot) const {
  const SlotRecord& s = slots_[size_t(slot)];
  if (!s.exists) return false;
  if (s.looping) return true;
  const uint64_t elapsedMs = uint32_t(c_.clock() - s.startMs);
  return elapsedMs * uint64_t(s.framesPerSecond) / 1000 < s.frames;
}

void SoundEngine::startSlot(int slot, std::string_view name, ClipPtr clip, bool loop,
                            int32_t volume) {
  SlotRecord& s = slots_[size_t(slot)];
  s.exists = true;
  s.name = upperSjisName(name);
  s.looping = loop;
  s.volume = clampVolume(volume);
  s.startMs = c_.clock();
  s.frames = clip->frames();
  s.framesPerSecond = clip->framesPerSecond;
  mixer_.start(slot, std::move(clip), loop, s.volume);
}

// Below -10000 a device would refuse the value and leave the slot loud; it is held at silence.
void SoundEngine::setSlotVolume(int slot, int32_t volume) {
  SlotRecord& s = slots_[size_t(slot)];
  if (!s.exists) return;
  volume = clampVolume(volume);
  if (s.volume == volume) return;
  s.volume = volume;
  mixer_.setVolume(slot, volume);
}

void SoundEngine::releaseSlot(int slot) {
  SlotRecord& s = slots_[size_t(slot)];
  if (!s.exists) return;
  s = SlotRecord{};
  mixer_.stop(slot);
}

void SoundEngine::applyVolumes() {
  if (!available_) return;
  mixer_.setMaster(muted_ ? kMutedMaster : master_);
  static constexpr std::array<int, kSlots> kGroup = {1, 2, 2, 3, 3, 3, 4, 4};
  for (int i = 0; i < kSlots; ++i) setSlotVolume(i, vol(kGroup[size_t(i)]));
}

void SoundEngine::setMuted(bool on) {
  muted_ = on;
  applyVolumes();
}

void SoundEngine::setMaster(int32_t volume) {
  master_ = clampVolume(volume);
  applyVolumes();
}

void SoundEngine::stopAllSounds() {
  for (int i = 0; i < kSlots; ++i) releaseSlot(i);
  stream_.close();
  fadeLevel_ = 0;
}

void SoundEngine::refreshSound() {
  if (!available_ || !slots_[kStreamSlot].exists) return;
  if (!muted_ && ++refreshTicks_ % 8 == 0) mixer_.setMaster(master_);
  if (ducked_ && !isVoicePlaying() && slots_[kLoopSlot].exists) {
    setSlotVolume(kLoopSlot, vol(2));
    ducked_ = false;
  }
  if (fadeLevel_ != 0) {
    fadeLevel_ -= fadeStep_;
    if (fadeLevel_ < kFadeStopLevel) {
      stopStream();
      fadeLevel_ = 0;
      return;
    }
    streamVolume_ = fadeLevel_;
  } else {
    streamVolume_ = vol(3);
  }
  refillStream();
  setSlotVolume(kStreamSlot, streamVolume_);
  setSlotVolume(kAnimSlot, streamVolume_);
}

// The ring's play cursor follows the clock: the second of the stream now playing, modulo four.
// Every second behind it is decoded and queued after the ones the mixer holds.
void SoundEngine::refillStream() {
  if (!stream_.isOpen()) return;
  const SlotRecord& s = slots_[kStreamSlot];
  const uint64_t elapsedMs = uint32_t(c_.clock() - s.startMs);
  const int q = int(elapsedMs / 1000 % StreamPlayer::kRingSeconds);
  while (stream_.fillIndex() != q) {
    mixer_.append(kStreamSlot, stream_.nextSecond(c_.S[57]));
    stream_.advanceFillIndex();
  }
}

// ---- Playing by name and the effect commands ---------------------------------------------------

int SoundEngine::playSound(std::string_view name, SoundKind kind) {
  if (!available_) return 1;
  const std::string upper = upperSjisName(name);
  if (upper != "SAMPLECV" && !c_.windowActive()) return 0;
  const PlayerSettings& p = c_.settings;
  for (int s = 2; s >= 0; --s) {
    if (!p.cv1 || (!p.cv2 && s == kSecondVoiceSlot)) continue;
    const std::optional<EntryRef> ref = c_.archives.find(ArchiveSetKind::Ogg, s, upper);
    if (!ref) continue;
    EntryRead read = readEntry(*ref);
    if (!read.ok()) return 1;
    playOggVoice(read.bytes, kVoiceSlot, upper);
    return 0;
  }
  if (!p.seEna) return 1;
  for (int s = 0; s < 3; ++s) {
    const std::optional<EntryRef> ref = c_.archives.find(ArchiveSetKind::Se, s, upper);
    if (!ref) continue;
    if (kind == SoundKind::Loop) loopName_ = upper;
    EntryRead read = readEntry(*ref);
    if (!read.ok()) return 1;
    playWady(read.bytes, kind == SoundKind::Loop ? kLoopSlot : kEffectSlot, upper);
    return 0;
  }
  return 1;
}

void SoundEngine::playWady(std::span<const uint8_t> bytes, int slot, std::string_view name) {
  DecodedSound decoded;
  std::string error;
  if (!decodePackedFile(bytes, decoded, error)) {
    reportBadSound(name, error);
    return;
  }
  auto clip = std::make_shared<PcmClip>();
  clip->channels = decoded.channels;
  clip->framesPerSecond = decoded.framesPerSecond;
  clip->samples = std::move(decoded.samples);
  if (clip->samples.empty() || clip->framesPerSecond <= 0) {
    reportBadSound(name, "no samples or no rate");
    return;
  }
  int32_t volume = slot == kVoiceSlot ? vol(1) : slot >= 6 ? vol(4) : vol(2);
  if (slot == kLoopSlot && isVoicePlaying()) {
    volume = duckedLoopVolume();
    ducked_ = true;
  }
  startSlot(slot, name, std::move(clip), slot == kLoopSlot, volume);
}

// "SEH" and a digit 0 to 4 name the category whose switch SE0..SE4 may turn the effect off.
bool SoundEngine::effectCategoryOff(const std::string& upper) const {
  if (upper.size() < 4 || upper.compare(0, 3, "SEH") != 0) return false;
  const int d = upper[3] - '0';
  return d >= 0 && d <= 4 && c_.settings.se[size_t(d)] == 0;
}

void SoundEngine::se(std::string_view name) {
  if (c_.skipLevel != 0 && c_.settings.efxCut) return;
  if (effectCategoryOff(upperSjisName(name))) return;
  playSound(name, SoundKind::Effect);
}

void SoundEngine::seloop(std::string_view name) {
  if (effectCategoryOff(upperSjisName(name))) return;
  playSound(name, SoundKind::Loop);
}

void SoundEngine::seoff() {
  loopName_.clear();
  releaseSlot(kLoopSlot);
}

// ---- Voices -----------------------------------------------------------------------------------

void SoundEngine::playVoiceOrSound(std::string_view name) {
  if (c_.skipLevel != 0) return;
  playSound(name, SoundKind::Voice);
}

void SoundEngine::playOggVoice(std::span<const uint8_t> bytes, int slot, std::string_view name) {
  auto clip = std::make_shared<PcmClip>();
  std::string error;
  if (!decodeOggVoice(bytes, *clip, error) || clip->samples.empty()) {
    reportBadSound(name, error.empty() ? "no samples" : error);
    return;
  }
  startSlot(slot, name, std::move(clip), false, slot < 6 ? vol(1) : vol(4));
  if (slot == kVoiceSlot) lastPlayedVoice_ = upperSjisName(name);
  if (isLoopSoundPlaying()) {
    setSlotVolume(kLoopSlot, duckedLoopVolume());
    ducked_ = true;
  }
}

void SoundEngine::replayLastVoice() {
  const std::string name = c_.lastVoice();
  if (!name.empty()) playVoiceOrSound(name);
}

// ---- The stream and music ---------------------------------------------------------------------

bool SoundEngine::openStream(std::vector<uint8_t> bytes, StreamPlayer::Source source,
                             std::string_view name) {
  fadeLevel_ = 0;
  streamVolume_ = vol(3);
  releaseSlot(kStreamSlot);
  if (source == StreamPlayer::Source::Music) releaseSlot(4);
  stream_.close();
  std::string error;
  if (!stream_.open(std::move(bytes), source, error)) {
    reportBadSound(name, error);
    return false;
  }
  // Four seconds ahead: the first goes in as the slot starts, three are queued behind it.
  startSlot(kStreamSlot, name, stream_.nextSecond(c_.S[57]), true, streamVolume_);
  for (int i = 1; i < StreamPlayer::kRingSeconds; ++i)
    mixer_.append(kStreamSlot, stream_.nextSecond(c_.S[57]));
  return true;
}

bool SoundEngine::openMusicStream(const EntryRef& entry) {
  if (!available_) return false;
  EntryRead read = readEntry(entry);
  if (!read.ok()) {
    std::fprintf(stderr, "corvid: %s\n", read.error.c_str());
    return false;
  }
  return openStream(std::move(read.bytes), StreamPlayer::Source::Music, entry.entry().name);
}

void SoundEngine::stopStream() {
  stream_.close();
  releaseSlot(kStreamSlot);
}

void SoundEngine::startFadeOut(int32_t step) {
  fadeLevel_ = streamVolume_ - 1;
  fadeStep_ = step;
}

void SoundEngine::playMusic(int32_t n) {
  const bool fade = n < 0;
  const int32_t t = fade ? 0 : n;
  const int32_t step = fade ? -n : 0;
  c_.S[3] = t;
  if (t == c_.S[5]) return;
  if (c_.settings.bgmEna) {
    if (t != 0) startTrack(t);
    else if (fade) startFadeOut(step);
    else stopStream();
    c_.S[5] = t;
    return;
  }
  if (c_.S[5] != 0) stopStream();
  c_.S[5] = 0;
}

void SoundEngine::startTrack(int32_t track) {
  if (!c_.windowActive()) {
    pendingTrack_ = track;
    pendingCountdown_ = 3;
    return;
  }
  pendingCountdown_ = 0;
  char name[16];
  std::snprintf(name, sizeof name, "M%02d", track);
  const std::optional<EntryRef> ref = c_.archives.findInSet(ArchiveSetKind::Bgm, name);
  if (ref) openMusicStream(*ref);
}

void SoundEngine::musicPendingTick() {
  if (pendingCountdown_ == 0) return;
  if (--pendingCountdown_ == 0) startTrack(pendingTrack_);
}

void SoundEngine::restartMusic() {
  const int32_t asked = c_.S[3];
  playMusic(0);
  playMusic(asked);
  c_.S[3] = asked;
}

// ---- Animation sounds ---------------------------------------------------------------------------

void SoundEngine::playAnimSound(std::span<const uint8_t> bytes) {
  if (!available_) return;
  fadeLevel_ = 0;
  DecodedSound decoded;
  std::string error;
  WadyHeader header;
  if (!readWadyHeader(bytes, header, error) || !decodeByteCodeFile(bytes, decoded, error) ||
      decoded.samples.empty() || decoded.framesPerSecond <= 0) {
    reportBadSound("(animation)", error.empty() ? "no samples" : error);
    return;
  }
  auto clip = std::make_shared<PcmClip>();
  clip->channels = decoded.channels;
  clip->framesPerSecond = decoded.framesPerSecond;
  clip->samples = std::move(decoded.samples);
  if (c_.S[57] >= 2) std::fill(clip->samples.begin(), clip->samples.end(), int16_t(0));
  startSlot(kAnimSlot, "", std::move(clip), false, vol(2));
}

bool SoundEngine::openAnimStream(std::vector<uint8_t> bytes) {
  if (!available_) return false;
  if (stream_.source() == StreamPlayer::Source::Music) stopStream();
  return openStream(std::move(bytes), StreamPlayer::Source::Anim, "");
}

void SoundEngine::stopAnimStream() {
  stream_.close();
  releaseSlot(kStreamSlot);
}

}  // namespace corvid
