// A fixed thinking workload: the computer chooses its move in each of the built-in positions
// at one level with a fixed clock. Its signature (a hash of the chosen moves and the work
// counts) changes exactly when the computer's behaviour changes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shogi/engine/book.h"
#include "shogi/rules/game_state.h"
#include "shogi/rules/notation.h"

namespace shogi {

struct BenchResult {
  std::vector<std::string> moves;    // chosen move per position, in USI
  std::vector<double> milliseconds;  // thinking time per position
  uint64_t analyzeCalls = 0;
  uint64_t evasionCalls = 0;
  uint64_t evaluateCalls = 0;
  double seconds = 0;
  uint64_t signature = 0;
};

// The number of built-in positions.
int BenchPositionCount();

// Sets the game up so that the computer, to move in `pos`, makes move number m, and lets it
// think (on the calling thread). Returns the chosen move; gs holds everything else.
MoveRec ThinkOnPosition(GameState& gs, OpeningBook& book, const UsiPosition& pos, int m, int level);

// Thinks on the first `count` built-in positions (all when count <= 0).
BenchResult RunBench(int level, int count = 0);

}  // namespace shogi
