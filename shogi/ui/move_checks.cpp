#include "shogi/ui/move_checks.h"

namespace shogi::ui {

bool PlayerToMoveAfter(int firstMover, int m) {
  return (firstMover == 1 && m % 2 == 0) || (firstMover == 2 && m % 2 == 1);
}

bool CommandEnabled(Command c, Turn turn, bool runningFromCd) {
  using enum Turn;
  switch (c) {
    case Command::kNewGame:
      return turn == kNoGame || turn == kReplay;
    case Command::kUndo:
    case Command::kResign:
      return turn == kPlayerToMove;
    case Command::kSettings:
      return turn == kNoGame || turn == kPlayerToMove;
    case Command::kLoadRecord:
      return turn == kNoGame && !runningFromCd;
    case Command::kContinue:
      return turn == kReplay;
    // A record from elsewhere replaces only a finished game or one being replayed.
    case Command::kOpenFile:
    case Command::kPaste:
      return turn == kNoGame || turn == kReplay;
    // The game can be written out whenever nobody is in the middle of a move.
    case Command::kExport:
    case Command::kCopySfen:
    case Command::kCopyKif:
      return turn == kNoGame || turn == kPlayerToMove || turn == kReplay;
  }
  return false;
}

}  // namespace shogi::ui
