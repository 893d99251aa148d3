// The mate search and the main search, which choose the computer's moves from the middle game
// on.
#pragma once

#include <vector>

#include "shogi/rules/game_state.h"

namespace shogi {

// Fills moveList with the side's checking moves, valued.
void GenerateChecks(AnalysisScratch& sc, const Position& pos, int side);

// The ten-int signature of a position for one side.
void MakeSignature(PositionSignature& out, const Position& pos, int side);

// Chooses and returns the computer's move for snapshot[moveNumber - 1] (moveNumber counts the
// coming move); ss.thinkResult, which starts as the game's result, tells a mate found or a
// resignation (then the move is empty). Cut short by ThinkCut, it abandons a mate pass under
// way and chooses the best root move of the main search searched so far, or the first of its
// sorted list.
MoveRec DeepSearch(const GameHistory& game, AnalysisScratch& sc, SearchState& ss);

// The mate search alone for the computer to move in snapshot[moveNumber - 1], whatever its
// king danger and level: passes of 3, 5 and 7 plies, ending at the first that mates. Returns
// the number of moves of the mate, which `line` holds (the check, at each ply the first of
// the replies that hold out longest, and so on), 0 when no pass mates, -1 when cut short.
int SolveMate(const GameHistory& game, AnalysisScratch& sc, SearchState& ss,
              std::vector<MoveRec>& line);

}  // namespace shogi
