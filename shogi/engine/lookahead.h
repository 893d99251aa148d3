// The opening look-ahead and the formation choosers.
#pragma once

#include "shogi/rules/game_state.h"

namespace shogi {

// Reorders moveList so that its first n entries are the n best, best first.
void SortMoveList(GameState& gs, int n);

// Pushes the first `count` entries of moveList, made by `mover` in `from`, onto the search
// stack as a new block of nodes (each with the position after its move). Returns the index of
// the first; nodeTop is raised by count.
int PushBlock(GameState& gs, const Position& from, int mover, int count);

// Searches snapshot[moveNumber - 1] (the player to move) and returns its value for the
// computer.
int LookAhead(GameState& gs);

// The formation score (1..4) of the computer's pieces on the board, from the piece list.
int FormationScore(const GameState& gs, int formation);

// Picks the computer's move by how well it builds formation 1..4 and checks it with the
// look-ahead. Returns the formation score, or -32768 when the look-ahead refuses the move.
int ChooseFormationMove(GameState& gs, int formation);

}  // namespace shogi
