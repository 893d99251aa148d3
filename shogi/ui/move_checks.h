// Rules the board window adds to the generated move list when the player enters a move, and
// the enablement of the game commands.
#pragma once

#include "shogi/rules/game_state.h"

namespace shogi::ui {

// Whether the king of `side` stands on a square the other side attacks in `pos`.
bool KingAttacked(const Position& pos, int side);

// Whether a pawn dropped by the player in `after` (the position after the drop on (f, r))
// gives check to the computer's king and leaves it no move out of check. `scratch` is a work
// area for the computer's move list; the game itself is not touched.
bool PawnDropMates(GameState& scratch, const Position& after, int f, int r);

// Promotion without a question: a pawn from rankIndex 1, a lance to rankIndex 0, a knight
// from below rankIndex 4.
bool PromotionCompulsory(int kind, int fromRank, int toRank);

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
bool CommandEnabled(Command c, int turn, int runningFromCd);

}  // namespace shogi::ui
