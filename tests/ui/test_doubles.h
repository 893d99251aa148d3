// The tests' stand-ins for the program's sound and record files: a sound layer that writes
// down every call, and records kept in memory.
#pragma once

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "shogi/ui/game_audio.h"
#include "shogi/ui/record_store.h"

namespace shogi::ui::test {

// Writes down every call: "clip IDSOUND_KOMA", "read 5", "opening BGM00.mid", "track <file>",
// "stop". Music behaves like a device that plays until stopped; EndPiece() ends a piece as if
// it had run out. `busyClips` above 0 keeps the clips from ever finishing.
class RecordingAudio : public GameAudio {
 public:
  bool PlaySoundResource(std::string_view name) override {
    calls.push_back("clip " + std::string(name));
    return true;
  }
  void ReadMoveAloud(const GameHistory& gs) override {
    calls.push_back("read " + std::to_string(gs.moveNumber));
  }
  bool ClipsIdle() const override { return busyClips == 0; }
  bool StartOpeningMusic(const std::string& file) override { return Start("opening " + file); }
  bool StartTrack(const std::string& file) override { return Start("track " + file); }
  void StopMusic() override {
    calls.push_back("stop");
    EndPiece();
  }
  void SetMusicNotify(std::function<void()> notify) override { notify_ = std::move(notify); }

  void EndPiece() {
    if (!playing_) return;
    playing_ = false;
    if (notify_) notify_();
  }

  std::vector<std::string> calls;
  int busyClips = 0;

 private:
  bool Start(const std::string& call) {
    calls.push_back(call);
    playing_ = true;
    return true;
  }
  std::function<void()> notify_;
  bool playing_ = false;
};

// Records in memory; saves fail with `failSaves` as the reason while it is not empty.
class MemoryRecordStore : public RecordStore {
 public:
  struct Record {
    bool used = false;
    int firstMover = 1, level = 1, computerSeconds = 0, playerSeconds = 0;
    std::vector<MoveRec> moves;
  };

  bool Save(const GameHistory& gs, int slot, std::string* why = nullptr) override {
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

  int Load(GameHistory& gs, int slot) override {
    if (slot < 1 || slot > kRecordSlots || !records[slot].used) return -1;
    const Record& r = records[slot];
    ResetHistory(gs);
    gs.firstMover = r.firstMover;
    gs.level = r.level;
    gs.computerSeconds = r.computerSeconds;
    gs.playerSeconds = r.playerSeconds;
    const int n = std::min<int>(static_cast<int>(r.moves.size()), kMaxMoves);
    for (int i = 0; i < n; ++i) gs.moveRec[i + 1] = r.moves[i];
    gs.moveNumber = n;
    return n;
  }

  std::string failSaves;
  std::array<Record, kRecordSlots + 1> records;  // index 1..5
  int saves = 0;
};

}  // namespace shogi::ui::test
