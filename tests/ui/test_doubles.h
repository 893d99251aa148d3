// The tests' stand-ins for the program's sound and record files: a sound layer that writes
// down every call, and records kept in memory.
#pragma once

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "shogi/ui/game_audio.h"
#include "shogi/ui/record_store.h"

namespace shogi::ui::test {

// Writes down every call: "clip IDSOUND_KOMA", "read 5", "opening BGM00.mid", "track <file>",
// "stop". Music plays until stopped; `busyClips` above 0 keeps the clips from ever finishing.
class RecordingAudio : public GameAudio {
 public:
  bool PlaySoundResource(std::string_view name) override { return Call("clip ", name); }
  void ReadMoveAloud(const GameHistory& gs) override {
    Call("read ", std::to_string(gs.moveNumber));
  }
  bool ClipsIdle() const override { return busyClips == 0; }
  bool StartOpeningMusic(const std::string& file) override {
    return playing_ = Call("opening ", file);
  }
  bool StartTrack(const std::string& file) override { return playing_ = Call("track ", file); }
  void StopMusic() override {
    calls.push_back("stop");
    if (std::exchange(playing_, false) && notify_) notify_();
  }
  void SetMusicNotify(std::function<void()> notify) override { notify_ = std::move(notify); }

  std::vector<std::string> calls;
  int busyClips = 0;

 private:
  bool Call(const char* what, std::string_view arg) {
    calls.push_back(what + std::string(arg));
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
    int firstMover = 1, level = 1;
    std::vector<MoveRec> moves;
  };

  bool Save(const GameHistory& gs, int slot, std::string* why = nullptr) override {
    if (slot < 1 || slot > kRecordSlots || !failSaves.empty()) {
      if (why) *why = failSaves;
      return false;
    }
    const int n = std::clamp(gs.moveNumber, 0, kMaxMoves);
    records[slot] = {
        true, gs.firstMover, gs.level, {gs.moveRec.begin() + 1, gs.moveRec.begin() + 1 + n}};
    ++saves;
    return true;
  }

  int Load(GameHistory& gs, int slot) override {
    if (slot < 1 || slot > kRecordSlots || !records[slot].used) return -1;
    const Record& r = records[slot];
    ResetHistory(gs);
    gs.firstMover = r.firstMover;
    gs.level = r.level;
    gs.moveNumber = static_cast<int>(r.moves.size());
    std::copy(r.moves.begin(), r.moves.end(), gs.moveRec.begin() + 1);
    return gs.moveNumber;
  }

  std::string failSaves;
  std::array<Record, kRecordSlots + 1> records;  // index 1..5
  int saves = 0;
};

}  // namespace shogi::ui::test
