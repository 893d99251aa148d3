#include "shogi/ui/move_checks.h"

namespace shogi::ui {

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
  }
  return false;
}

}  // namespace shogi::ui
