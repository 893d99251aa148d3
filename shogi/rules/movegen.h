// Pseudo-legal move generation: all moves and drops the pieces' rules permit, listed in the
// game's fixed order; whether they expose the own king is not checked here.
#pragma once

#include "shogi/rules/game_state.h"

namespace shogi {

// Promotion zone and last ranks of a side.
constexpr bool InZone(int side, int rank) {
  return side == kComputerSide ? rank >= 6 : rank <= 2;
}
constexpr bool OnLastTwoRanks(int side, int rank) {
  return side == kComputerSide ? rank >= 7 : rank <= 1;
}
constexpr bool OnLastRank(int side, int rank) {
  return side == kComputerSide ? rank == 8 : rank == 0;
}
constexpr int FirstZoneRank(int side) {
  return side == kComputerSide ? 6 : 2;
}

// Fills gs.moveList with the side's moves: squares in file-major order; for an own piece its
// moves (GeneratePieceMoves), for an empty square the drops of kinds 1..7.
void GenerateMoves(AnalysisScratch& sc, const Position& pos, int side);

// Appends the moves of the piece on (f, r) to gs.moveList, and for sliders the squares
// between the slider and an enemy piece at the end of a slide to gs.lineList.
void GeneratePieceMoves(AnalysisScratch& sc, const Position& pos, int side, int f, int r);

}  // namespace shogi
