#include "shogi/sound/music.h"

#include <utility>

namespace shogi::sound {

BackgroundMusic::BackgroundMusic(MusicDevice& device, std::string programDir)
    : device_(device), programDir_(std::move(programDir)) {
  if (!programDir_.empty() && programDir_.back() != '/') programDir_ += '/';
}

std::string BackgroundMusic::TrackPath(int track) const {
  return programDir_ + "BGM0" + std::to_string(track) + ".mid";
}

std::string BackgroundMusic::OpeningPath() const {
  return programDir_ + "BGM00.mid";
}

void BackgroundMusic::StartOpening() {
  device_.OpenMusic(OpeningPath());
}

void BackgroundMusic::OnPieceEnded() {
  device_.CloseMusic();
  if (bgmTrack_ > 0) device_.OpenMusic(TrackPath(bgmTrack_));
}

void BackgroundMusic::NewGame(int level) {
  if (bgmTrack_ <= 0) return;
  bgmTrack_ = level + 1;
  device_.CloseMusic();
}

void BackgroundMusic::SettingsClosed(bool accepted, bool musicTicked, int level) {
  const int old = bgmTrack_;
  if (accepted) bgmTrack_ = musicTicked ? level + 1 : 0;
  if (old > 0 && bgmTrack_ == 0) {
    device_.CloseMusic();
  } else if (old == 0 && bgmTrack_ > 0) {
    // Every track has its file, track 1 too (a record of level 0 can bring it).
    device_.OpenMusic(TrackPath(bgmTrack_));
  }
}

void BackgroundMusic::Shutdown() {
  bgmTrack_ = 0;
  device_.CloseMusic();
}

}  // namespace shogi::sound
