// elSound: the sound output. One SDL audio device that pulls signed 16-bit interleaved samples
// from a fill function on SDL's audio thread.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <functional>

#include "movie_source.h"

namespace el {

class elSound {
 public:
  // Called on the audio thread: write exactly `bytes` bytes to `out`.
  using Fill = std::function<void(uint8_t* out, int bytes)>;

  elSound() = default;
  elSound(const elSound&) = delete;
  elSound& operator=(const elSound&) = delete;
  ~elSound() { Close(); }

  // Opens the output, paused. The device may choose another rate or channel count than the
  // wish; format() tells what it took. Returns false when there is no sound device.
  bool Open(const AudioFormat& wish, Fill fill);
  // Stops the output; no fill call runs after this returns.
  void Close();
  void Pause(bool paused);
  bool isOpen() const { return device_ != 0; }
  AudioFormat format() const { return format_; }
  // Seconds of sound in one device buffer: how long a sample that was just taken waits until
  // it is heard.
  double latency() const;

 private:
  static void SDLCALL Callback(void* self, Uint8* stream, int len);

  SDL_AudioDeviceID device_ = 0;
  AudioFormat format_;
  int bufferBytes_ = 0;
  Fill fill_;
};

}  // namespace el
