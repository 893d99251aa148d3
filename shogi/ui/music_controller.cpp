#include "shogi/ui/music_controller.h"

#include <QPointer>

namespace shogi::ui {

CMusicController::CMusicController(GameAudio& audio, QString programDir, QObject* parent)
    : QObject(parent), audio_(audio), programDir_(std::move(programDir)) {
  // The sound layer may report from any thread; the answer runs on the window thread.
  QPointer<CMusicController> self(this);
  audio_.SetMusicNotify([self] {
    if (self)
      QMetaObject::invokeMethod(self.data(), &CMusicController::OnPieceEnded, Qt::QueuedConnection);
  });
}

CMusicController::~CMusicController() {
  audio_.SetMusicNotify({});
  audio_.StopMusic();
}

void CMusicController::PlayOpening() {
  audio_.StartOpeningMusic("BGM00.mid");
}

std::string CMusicController::TrackFile() const {
  return (programDir_ + QString("BGM%1.mid").arg(track_, 2, 10, QChar('0'))).toStdString();
}

void CMusicController::NewGame(int level) {
  if (track_ == 0) return;
  track_ = level + 1;
  audio_.StopMusic();  // the end of the piece playing starts the new track
}

void CMusicController::SetOn(bool on, int level) {
  const bool wasOn = On();
  track_ = on ? level + 1 : 0;
  if (wasOn && !on) audio_.StopMusic();
  if (!wasOn && on) audio_.StartTrack(TrackFile());
}

void CMusicController::OnPieceEnded() {
  const std::string file = TrackFile();
  audio_.StopMusic();
  if (track_ > 0) audio_.StartTrack(file);
}

}  // namespace shogi::ui
