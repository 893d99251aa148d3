// Background music: the opening piece, then the track of the playing level, repeated without
// end. The whole of it is driven by one notification, "the piece has ended": every time it
// comes, the player closes the music and opens the track `bgmTrack` names at that moment
// (BGM01.mid … BGM04.mid), or stays silent for good when bgmTrack is 0. Other code changes the
// track by setting bgmTrack and closing the music — the close ends the piece, and the
// notification that follows opens the new track.
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

class BackgroundMusic {
 public:
  // `programDir` is the directory of the music files ("" for the current directory).
  BackgroundMusic(MusicDevice& device, std::string programDir);

  // The settings value: 0 off, 1..4 the track. Default 1.
  int BgmTrack() const { return bgmTrack_; }

  // The file of track 1..4 ("<programDir>/BGM0<n>.mid"), and of the opening piece.
  std::string TrackPath(int track) const;
  std::string OpeningPath() const;

  // At start: plays the opening piece, whatever bgmTrack is.
  void StartOpening();

  // The notification "the piece has ended": close, then open the track of bgmTrack if any.
  void OnPieceEnded();

  // A new game at `level`: with music on, bgmTrack becomes level + 1 and the music is closed,
  // so the new track starts at once.
  void NewGame(int level);

  // The settings dialog has closed. `accepted` is true for OK, `musicTicked` the state of the
  // music box. With OK, bgmTrack becomes level + 1 when ticked and 0 otherwise; Cancel changes
  // nothing. Then the music is brought in line: switched off → closed; switched on → the new
  // track opens; on and still on → the piece plays on and the new number counts at its end.
  void SettingsClosed(bool accepted, bool musicTicked, int level);

  // At the end of the program.
  void Shutdown();

 private:
  MusicDevice& device_;
  std::string programDir_;
  int bgmTrack_ = 1;
};

}  // namespace shogi::sound
