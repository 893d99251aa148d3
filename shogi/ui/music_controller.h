// The background music: the opening piece at start-up, then the track of the game's level
// (level + 1, "BGM02.mid" for Easy), played again each time it ends, while music is on.
#pragma once

#include <QObject>
#include <QString>

#include "shogi/ui/game_audio.h"

namespace shogi::ui {

class CMusicController : public QObject {
  Q_OBJECT
 public:
  // Tracks are read from `programDir` (ending in '/'). Takes the sound layer's end-of-piece
  // notification for itself until it goes away; going away stops the music.
  CMusicController(GameAudio& audio, QString programDir, QObject* parent = nullptr);
  ~CMusicController() override;

  // The opening piece ("BGM00.mid" in the current directory).
  void PlayOpening();
  // A new game at this level: while music is on, the level's track follows the piece playing.
  void NewGame(int level);
  // Music switched on or off in the settings; on starts the level's track at once.
  void SetOn(bool on, int level);

  bool On() const { return track_ > 0; }
  // The track that plays next, 0 while music is off.
  int Track() const { return track_; }

 private:
  void OnPieceEnded();
  std::string TrackFile() const;

  GameAudio& audio_;
  QString programDir_;
  int track_ = 1;
};

}  // namespace shogi::ui
