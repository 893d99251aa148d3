#include "shogi/rules/perft.h"

#include <array>

#include "shogi/rules/analyze.h"

namespace shogi {

uint64_t Perft(GameState& gs, const Position& pos, int side, int depth) {
  if (depth <= 0) return 1;
  AnalyzeMoves(gs, gs, pos, side, 0);
  if (depth == 1) {
    uint64_t n = 0;
    for (int i = 0; i < gs.moveListCount; ++i) n += gs.moveList[i].illegal == 0;
    return n;
  }
  std::array<MoveRec, kMoveListCapacity> moves;
  int count = 0;
  for (int i = 0; i < gs.moveListCount; ++i)
    if (gs.moveList[i].illegal == 0) moves[count++] = gs.moveList[i].move;
  uint64_t n = 0;
  for (int i = 0; i < count; ++i) {
    Position next = pos;
    ApplyMove(next, moves[i], side);
    n += Perft(gs, next, Opponent(side), depth - 1);
  }
  return n;
}

}  // namespace shogi
