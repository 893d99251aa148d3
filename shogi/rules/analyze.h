// Legal move analysis: generates the side's moves, marks the illegal ones and gives every move
// its gains and value, so that the searches can order and cut their moves.
#pragma once

#include "shogi/rules/game_state.h"

namespace shogi {

// Analyses the moves of `side` in `pos` at search depth `ply`; fills gs.moveList and the
// surrounding lists and maps. Hands over to AnalyzeEvasions when the side is in check.
// Always returns 0.
int AnalyzeMoves(const GameHistory& game, AnalysisScratch& sc, const Position& pos, int side,
                 int ply);

// The variant for a side whose king is attacked: exactly the moves valued 98 stay legal.
void AnalyzeEvasions(const GameHistory& game, AnalysisScratch& sc, const Position& pos, int side,
                     int ply);

// DefenceGain of a square: what guarding it against the enemy's minor attackers is worth.
int DefenceGain(const AttackMap& enemy, int sq);

// The same on one GameState, which holds both parts (for tests and tools).
inline int AnalyzeMoves(GameState& gs, const Position& pos, int side, int ply) {
  return AnalyzeMoves(gs, gs, pos, side, ply);
}

}  // namespace shogi
