#include "platform/sdl/sdl_audio.h"

#include <SDL.h>

#include <cstdio>

namespace corvid {

namespace {
constexpr int kCallbackFrames = 512;  // about 12 ms at 44100 Hz
}

void SdlAudio::callback(void* self, uint8_t* stream, int length) {
  auto* audio = static_cast<SdlAudio*>(self);
  audio->renderer_->render(reinterpret_cast<int16_t*>(stream), size_t(length) / 4);
}

bool SdlAudio::openDevice() {
  SDL_AudioSpec want{};
  want.freq = AudioRenderer::kAudioRate;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = kCallbackFrames;
  want.callback = &SdlAudio::callback;
  want.userdata = this;
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
  return device_ != 0;
}

bool SdlAudio::open(AudioRenderer* renderer) {
  close();
  renderer_ = renderer;
  if (SDL_WasInit(SDL_INIT_AUDIO) == 0) SDL_InitSubSystem(SDL_INIT_AUDIO);
  if (SDL_WasInit(SDL_INIT_AUDIO) == 0 || !openDevice()) {
    std::fprintf(stderr, "corvid: no sound device (%s); playing on SDL's dummy audio driver\n",
                 SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    if (SDL_AudioInit("dummy") != 0 || !openDevice()) {
      std::fprintf(stderr, "corvid: the dummy audio driver did not open either: %s\n", SDL_GetError());
      renderer_ = nullptr;
      return false;
    }
  }
  SDL_PauseAudioDevice(device_, 0);
  return true;
}

void SdlAudio::close() {
  if (device_ != 0) SDL_CloseAudioDevice(device_);
  device_ = 0;
  renderer_ = nullptr;
}

}  // namespace corvid
