// The mate search and the main search, which choose the computer's moves from the middle game
// on.
#pragma once

#include <vector>

#include "shogi/rules/game_state.h"

namespace shogi {

// Fills moveList with the side's checking moves, valued.
void GenerateChecks(GameState& gs, const Position& pos, int side);

// The ten-int signature of a position for one side.
void MakeSignature(PositionSignature& out, const Position& pos, int side);

// Chooses the computer's move for snapshot[moveNumber - 1] into moveRec/snapshot[moveNumber].
// Cut short by ThinkCut, it abandons a mate pass under way and plays the best root move of
// the main search searched so far, or the first of its sorted list.
void DeepSearch(GameState& gs);

// The mate search alone for the computer to move in snapshot[moveNumber - 1], whatever its
// king danger and level: passes of 3, 5 and 7 plies, ending at the first that mates. Returns
// the number of moves of the mate, which `line` holds (the check, at each ply the first of
// the replies that hold out longest, and so on), 0 when no pass mates, -1 when cut short.
int SolveMate(GameState& gs, std::vector<MoveRec>& line);

}  // namespace shogi
