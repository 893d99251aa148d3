#include "shogi/ui/move_checks.h"

#include "shogi/rules/attacks.h"
#include "shogi/rules/movegen.h"

namespace shogi::ui {

bool KingAttacked(const Position& pos, int side) {
  int kf = -1, kr = -1;
  for (int f = 0; f < 9; ++f)
    for (int r = 0; r < 9; ++r)
      if (pos.Owner(f, r) == side && pos.KindAt(f, r) == kKing) {
        kf = f;
        kr = r;
      }
  if (kf < 0) return false;
  const int target = Sq(kf, kr);
  const int enemy = Opponent(side);
  bool hit = false;
  for (int f = 0; f < 9 && !hit; ++f)
    for (int r = 0; r < 9 && !hit; ++r)
      if (pos.Owner(f, r) == enemy)
        ForEachReach(pos, enemy, f, r, [&](int sq) { hit = hit || sq == target; });
  return hit;
}

bool PawnDropMates(GameState& scratch, const Position& after, int f, int r) {
  // The pawn checks only a king right in front of it.
  const int front = r - 1;
  if (front < 0 || after.Owner(f, front) != kComputerSide || after.KindAt(f, front) != kKing)
    return false;
  GenerateMoves(scratch, after, kComputerSide);
  const int count = scratch.moveListCount;
  for (int i = 0; i < count; ++i) {
    Position next = after;
    ApplyMove(next, scratch.moveList[i].move, kComputerSide);
    if (!KingAttacked(next, kComputerSide)) return false;
  }
  return true;
}

bool PromotionCompulsory(int kind, int fromRank, int toRank) {
  return (kind == kPawn && fromRank == 1) || (kind == kLance && toRank == 0) ||
         (kind == kKnight && fromRank < 4);
}

bool PlayerToMoveAfter(int firstMover, int m) {
  return (firstMover == 1 && m % 2 == 0) || (firstMover == 2 && m % 2 == 1);
}

bool CommandEnabled(Command c, int turn, int runningFromCd) {
  switch (c) {
    case Command::kNewGame:
      return turn == 0 || turn == 4;
    case Command::kUndo:
    case Command::kResign:
      return turn == 1;
    case Command::kSettings:
      return turn == 0 || turn == 1;
    case Command::kLoadRecord:
      return turn == 0 && runningFromCd == 0;
    case Command::kContinue:
      return turn == 4;
    // A record from elsewhere replaces only a finished game or one being replayed.
    case Command::kOpenFile:
    case Command::kPaste:
      return turn == 0 || turn == 4;
    // The game can be written out whenever nobody is in the middle of a move.
    case Command::kExport:
    case Command::kCopySfen:
    case Command::kCopyKif:
      return turn == 0 || turn == 1 || turn == 4;
  }
  return false;
}

}  // namespace shogi::ui
