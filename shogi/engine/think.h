// The think driver, which finds the computer's next move and plays it on a worker thread; and
// the commit of the player's move that all front ends use.
#pragma once

#include <thread>

#include "shogi/engine/book.h"
#include "shogi/rules/game_state.h"

namespace shogi {

// Commits the player's move to the history and evaluates the new position for the computer:
// baseScore, the king scores, and gameResult kResultMateNow when the computer can take the player's
// king. Returns false (and changes nothing) when the history is full.
bool CommitPlayerMove(GameState& gs, const MoveRec& move);

// The search mode for the computer's move number m (after the book step).
int SearchMode(int m, bool bookMovePlayed, int bookChoice, int openingType);

// Chooses the computer's move: moveNumber already counts it; snapshot[moveNumber - 1] is the
// position. Leaves the move in the history, the player's moves in moveList, baseScore and the
// thinking time, and finally raises moveReady.
void ThinkDriver(GameState& gs, OpeningBook& book);

// Raises moveNumber and runs ThinkDriver on a new thread, which is returned: the caller polls
// moveReady and joins the thread once it is set (or at shut-down; a move is never cut short).
std::thread StartComputerMove(GameState& gs, OpeningBook& book);

}  // namespace shogi
