// The game records as the view uses them: five slots, saved from the end-of-game dialog and
// loaded by the load command. The dialogs are the view's; the store only writes and reads.
#pragma once

#include <string>

#include "shogi/rules/game_state.h"

namespace shogi::ui {

inline constexpr int kRecordSlots = 5;

class RecordStore {
 public:
  virtual ~RecordStore() = default;

  // Writes the game in gs to slot 1..5: firstMover, level, computerSeconds, playerSeconds
  // and move records 1..gs.moveNumber. Replaces an older record of the slot. Returns false
  // when it could not be written, and then says why in `why` (UTF-8) when it is given.
  virtual bool Save(const GameHistory& gs, int slot, std::string* why = nullptr) = 0;

  // Reads slot 1..5. On success gs has been reset (ResetGameState) and holds firstMover,
  // level, computerSeconds, playerSeconds and move records 1..N; the result is N (0..299,
  // never more than kMaxMoves). On failure the result is -1 and gs is unchanged.
  virtual int Load(GameHistory& gs, int slot) = 0;
};

}  // namespace shogi::ui
