#include "el_sound.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace el {

bool elSound::Open(const AudioFormat& wish, Fill fill) {
  Close();
  if (SDL_WasInit(SDL_INIT_AUDIO) == 0 || wish.rate <= 0 || wish.channels <= 0) return false;
  fill_ = std::move(fill);
  SDL_AudioSpec want{};
  want.freq = wish.rate;
  want.format = AUDIO_S16SYS;
  want.channels = static_cast<Uint8>(std::clamp(wish.channels, 1, 2));
  // About 46 ms at 22.05 kHz: small enough for tight sync, large enough not to stutter.
  want.samples = 1024;
  want.callback = &elSound::Callback;
  want.userdata = this;
  SDL_AudioSpec have{};
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have,
                                SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
  if (device_ == 0) {
    fill_ = nullptr;
    return false;
  }
  format_ = {have.freq, have.channels};
  bufferBytes_ = static_cast<int>(have.size);
  return true;
}

void elSound::Close() {
  if (device_ != 0) SDL_CloseAudioDevice(device_);
  device_ = 0;
  format_ = {};
  bufferBytes_ = 0;
  fill_ = nullptr;
}

void elSound::Pause(bool paused) {
  if (device_ != 0) SDL_PauseAudioDevice(device_, paused ? 1 : 0);
}

double elSound::latency() const {
  const int bps = format_.bytesPerSecond();
  return bps > 0 ? static_cast<double>(bufferBytes_) / bps : 0;
}

void SDLCALL elSound::Callback(void* self, Uint8* stream, int len) {
  auto* sound = static_cast<elSound*>(self);
  if (sound->fill_) {
    sound->fill_(stream, len);
  } else {
    std::memset(stream, 0, static_cast<size_t>(len));
  }
}

}  // namespace el
