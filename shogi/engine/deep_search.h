// The mate search and the main search, which choose the computer's moves from the middle game
// on.
#pragma once

#include "shogi/rules/game_state.h"

namespace shogi {

// Fills moveList with the side's checking moves, valued.
void GenerateChecks(GameState& gs, const Position& pos, int side);

// The ten-int signature of a position for one side.
void MakeSignature(PositionSignature& out, const Position& pos, int side);

// Chooses the computer's move for snapshot[moveNumber - 1] into moveRec/snapshot[moveNumber].
void DeepSearch(GameState& gs);

}  // namespace shogi
