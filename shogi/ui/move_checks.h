// Whose turn a move number is, and the enablement of the game commands. The player's moves
// are judged by the rules core's legality check (shogi/rules/legality.h).
#pragma once

#include "shogi/rules/game_state.h"
#include "shogi/ui/turn.h"

namespace shogi::ui {

// Whether the player moves at move number m + 1 (m moves made).
bool PlayerToMoveAfter(int firstMover, int m);

// The game commands and when each is enabled.
enum class Command {
  kNewGame,
  kUndo,
  kResign,
  kSettings,
  kLoadRecord,
  kContinue,
  // Records from and to other programs.
  kOpenFile,
  kPaste,
  kExport,
  kCopySfen,
  kCopyKif,
};
bool CommandEnabled(Command c, Turn turn, bool runningFromCd);

}  // namespace shogi::ui
