// The recording sound layer and the in-memory record store.
#include <algorithm>

#include "shogi/ui/game_audio.h"
#include "shogi/ui/record_store.h"

namespace shogi::ui {

bool RecordingAudio::PlaySoundResource(const std::string& name) {
  calls.push_back("clip " + name);
  return true;
}

void RecordingAudio::ReadMoveAloud(const GameState& gs) {
  calls.push_back("read " + std::to_string(gs.moveNumber));
}

bool RecordingAudio::StartOpeningMusic(const std::string& file) {
  calls.push_back("opening " + file);
  playing_ = musicFilesExist;
  return playing_;
}

bool RecordingAudio::StartTrack(const std::string& file) {
  calls.push_back("track " + file);
  playing_ = musicFilesExist;
  return playing_;
}

void RecordingAudio::StopMusic() {
  calls.push_back("stop");
  if (playing_) {
    playing_ = false;
    if (notify_) notify_();
  }
}

void RecordingAudio::EndPiece() {
  if (!playing_) return;
  playing_ = false;
  if (notify_) notify_();
}

bool MemoryRecordStore::Save(const GameState& gs, int slot, std::string* why) {
  if (slot < 1 || slot > kRecordSlots) return false;
  if (!failSaves.empty()) {
    if (why) *why = failSaves;
    return false;
  }
  Record& r = records[slot];
  r.used = true;
  r.firstMover = gs.firstMover;
  r.level = gs.level;
  r.computerSeconds = gs.computerSeconds;
  r.playerSeconds = gs.playerSeconds;
  const int n = std::clamp(gs.moveNumber, 0, kMaxMoves);
  r.moves.assign(gs.moveRec.begin() + 1, gs.moveRec.begin() + 1 + n);
  ++saves;
  return true;
}

int MemoryRecordStore::Load(GameState& gs, int slot) {
  if (slot < 1 || slot > kRecordSlots || !records[slot].used) return -1;
  const Record& r = records[slot];
  ResetGameState(gs);
  gs.firstMover = r.firstMover;
  gs.level = r.level;
  gs.computerSeconds = r.computerSeconds;
  gs.playerSeconds = r.playerSeconds;
  const int n = std::min<int>(static_cast<int>(r.moves.size()), kMaxMoves);
  for (int i = 0; i < n; ++i) gs.moveRec[i + 1] = r.moves[i];
  gs.moveNumber = n;
  return n;
}

}  // namespace shogi::ui
