// The think driver, which finds the computer's next move on a copy of the game's history, and
// the commits of the player's and the computer's moves that all front ends use.
#pragma once

#include <array>

#include "shogi/engine/book.h"
#include "shogi/rules/game_state.h"

namespace shogi {

// What one think found: the move, the result code, the score, depth and expected line, the
// time, and the game's choices as the think left them (CommitComputerMove takes them over).
struct ThinkResult {
  MoveRec move;  // the empty move when the computer resigns
  int32_t gameResult = kResultNone;
  int32_t score = 0;  // the value of the move for the computer
  int32_t depth = 0;  // plies searched, 0 when no search chose the move
  std::array<MoveRec, 8> line{};
  int32_t lineLength = 0;
  int32_t seconds = 0;
  bool cut = false;  // the think was cut short
  int32_t gamePhase = 0;
  int32_t openingType = 0;
  int32_t baseScore = 0;  // the evaluation after the move, for the player
};

// Commits the player's move to the history (through CommitMove) and evaluates the new position
// for the computer on `sc`: baseScore, the king scores, and gameResult kResultMateNow when the
// computer can take the player's king. The scratch must be the one the computer thinks with,
// since its next think reads the king danger left there. `seconds` is the move's thinking
// time. Returns false (and changes nothing) when the history is full.
bool CommitPlayerMove(GameHistory& game, AnalysisScratch& sc, const MoveRec& move, int seconds = 0);

// Commits the computer's move of a think: the game's choices, result and thinking time, and
// the move itself through CommitMove (not when the computer resigns). Returns false when the
// move did not fit into the history.
bool CommitComputerMove(GameHistory& game, const ThinkResult& think);

// The search mode for the computer's move number m (after the book step).
int SearchMode(int m, bool bookMovePlayed, int bookChoice, int openingType);

// Chooses the computer's move in work.Current(). `work` is the think's own copy of the game's
// history: while it thinks its moveNumber also counts the coming move (the searches read the
// position at moveNumber - 1), and it takes the think's choices (gamePhase, openingType,
// baseScore); its moves are left alone. Leaves the player's moves in sc's moveList.
ThinkResult ThinkDriver(GameHistory& work, AnalysisScratch& sc, SearchState& ss, OpeningBook& book);

}  // namespace shogi
