// A fixed thinking workload at one level with a fixed clock: opening games in which the
// computer plays both sides up to move 40 (book, formations and their look-ahead check), then
// the built-in middle-game and end-game positions. Its signature (a hash of the chosen moves,
// the routines that chose them and the work counts) changes exactly when the computer's
// behaviour changes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shogi/engine/book.h"
#include "shogi/rules/game_state.h"
#include "shogi/rules/notation.h"

namespace shogi {

// One think of the workload.
struct BenchThink {
  int moveNumber = 0;
  std::string move;  // in USI, or "resign"
  int phase = 0;     // the search mode that chose it
  int openingType = 0;
  double milliseconds = 0;
};

struct BenchResult {
  std::vector<BenchThink> thinks;
  bool bookLoaded = false;
  uint64_t analyzeCalls = 0;
  uint64_t evasionCalls = 0;
  uint64_t evaluateCalls = 0;
  double seconds = 0;
  uint64_t signature = 0;
};

// The number of built-in positions.
int BenchPositionCount();

// Sets a new game up so that the computer, to move in `pos`, makes move number m: the history
// holds `pos` as its positions 0..m-1 and the evaluation for the computer is made on `sc`.
void SetUpPosition(GameHistory& game, AnalysisScratch& sc, const UsiPosition& pos, int m,
                   int level);

// Sets the game up with SetUpPosition, lets the computer think (on the calling thread) and
// commits its move. Returns the chosen move; gs holds everything else.
MoveRec ThinkOnPosition(GameState& gs, OpeningBook& book, const UsiPosition& pos, int m, int level);

// Plays the opening games with the book read from `bookPath`, then thinks on the first `count`
// middle-game positions (all when count <= 0).
BenchResult RunBench(int level, int count, const std::string& bookPath);

}  // namespace shogi
