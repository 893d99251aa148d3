// The music device as the game uses it: one MIDI piece at a time. The game's view holds the
// music rules (the opening piece, then the track of the level, reopened at every end); the
// device only plays and reports that a piece has ended.
#pragma once

#include <string>

namespace shogi::sound {

// Something that plays one MIDI piece at a time (MixerAudio in the game).
class MusicDevice {
 public:
  virtual ~MusicDevice() = default;
  // Opens the file and starts it. When the piece ends — by itself or by CloseMusic — the
  // owner receives one "piece ended" notification later, on the window thread. False when the
  // file or the synthesizer is missing: nothing plays and no notification comes.
  virtual bool OpenMusic(const std::string& path) = 0;
  // Stops and closes the piece. If it was still playing, its notification follows.
  virtual void CloseMusic() = 0;
};

}  // namespace shogi::sound
