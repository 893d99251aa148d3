// The game records as the view uses them: five slots, saved from the end-of-game dialog and
// loaded by the load command. The dialogs are the view's; the store only writes and reads.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "shogi/rules/game_state.h"

namespace shogi::ui {

inline constexpr int kRecordSlots = 5;

class RecordStore {
 public:
  virtual ~RecordStore() = default;

  // Writes the game in gs to slot 1..5: firstMover, level, computerSeconds, playerSeconds
  // and move records 1..gs.moveNumber. Replaces an older record of the slot. Returns false
  // when it could not be written, and then says why in `why` (UTF-8) when it is given.
  virtual bool Save(const GameState& gs, int slot, std::string* why = nullptr) = 0;

  // Reads slot 1..5. On success gs has been reset (ResetGameState) and holds firstMover,
  // level, computerSeconds, playerSeconds and move records 1..N; the result is N (0..299,
  // never more than kMaxMoves). On failure the result is -1 and gs is unchanged.
  virtual int Load(GameState& gs, int slot) = 0;
};

// Keeps the records in memory for the life of the program; the default when no record
// files are linked, and the tests' store.
class MemoryRecordStore : public RecordStore {
 public:
  bool Save(const GameState& gs, int slot, std::string* why = nullptr) override;
  int Load(GameState& gs, int slot) override;

  // Saves fail with this reason while it is not empty (tests of failed saves).
  std::string failSaves;

  struct Record {
    bool used = false;
    int firstMover = 1, level = 1, computerSeconds = 0, playerSeconds = 0;
    std::vector<MoveRec> moves;
  };
  std::array<Record, kRecordSlots + 1> records;  // index 1..5
  int saves = 0;
};

}  // namespace shogi::ui
