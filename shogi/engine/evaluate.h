// Static evaluation, scored for the computer (side 2): above zero favours it, below zero the
// player. Six terms weighted by game phase, and fixed extreme values when a king is en prise or
// a side has no way out of mate.
#pragma once

#include "shogi/rules/game_state.h"

namespace shogi {

// Scores `pos`; `side` is the side whose attacks fill ownAttackMap. Overwrites the piece list,
// both attack maps and kingDanger (and the move list in the mate tests).
int Evaluate(const GameHistory& game, AnalysisScratch& sc, const Position& pos, int side);

// AnalyzeEvasions for the player (CountReplies) or the computer (CountComputerReplies) at ply
// 0, then: -32768 if a move takes the enemy king, 32767 if there is no evasion (mated), else
// minus the number of evasions.
int CountReplies(const GameHistory& game, AnalysisScratch& sc, const Position& pos);
int CountComputerReplies(const GameHistory& game, AnalysisScratch& sc, const Position& pos);

// Appends to enemyReachList the squares the piece on (f, r) attacks (slides end on the first
// occupied square, which is included).
void AppendPieceReach(AnalysisScratch& sc, const Position& pos, int side, int f, int r);

// The six terms; they read the piece list and the attack maps that Evaluate has just built.
// Kc and Kp are the computer's and the player's king squares as fileIndex*9 + rankIndex, or
// -1 when that king is not on the board.
int MaterialTerm(const GameHistory& game, const AnalysisScratch& sc, const Position& pos);
int PlacementTerm(const GameHistory& game, const AnalysisScratch& sc, const Position& pos, int kc,
                  int kp);
int KingSafetyTerm(const GameHistory& game, AnalysisScratch& sc, const Position& pos, int side,
                   int kc, int kp);
int ExchangeTerm(const GameHistory& game, const AnalysisScratch& sc, const Position& pos, int side);
int MajorMobilityTerm(const GameHistory& game, AnalysisScratch& sc, const Position& pos, int side);
int EnemyCampTerm(const GameHistory& game, const AnalysisScratch& sc, const Position& pos, int side,
                  int kc, int kp);

// The same on one GameState, which holds both parts (for tests and tools).
inline int Evaluate(GameState& gs, const Position& pos, int side) {
  return Evaluate(gs, gs, pos, side);
}
inline int CountReplies(GameState& gs, const Position& pos) {
  return CountReplies(gs, gs, pos);
}
inline int CountComputerReplies(GameState& gs, const Position& pos) {
  return CountComputerReplies(gs, gs, pos);
}
inline int MaterialTerm(const GameState& gs, const Position& pos) {
  return MaterialTerm(gs, gs, pos);
}
inline int PlacementTerm(const GameState& gs, const Position& pos, int kc, int kp) {
  return PlacementTerm(gs, gs, pos, kc, kp);
}
inline int KingSafetyTerm(GameState& gs, const Position& pos, int side, int kc, int kp) {
  return KingSafetyTerm(gs, gs, pos, side, kc, kp);
}
inline int ExchangeTerm(const GameState& gs, const Position& pos, int side) {
  return ExchangeTerm(gs, gs, pos, side);
}
inline int MajorMobilityTerm(GameState& gs, const Position& pos, int side) {
  return MajorMobilityTerm(gs, gs, pos, side);
}
inline int EnemyCampTerm(const GameState& gs, const Position& pos, int side, int kc, int kp) {
  return EnemyCampTerm(gs, gs, pos, side, kc, kp);
}

}  // namespace shogi
