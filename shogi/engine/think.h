// The think driver: chooses and plays one computer move, on a thread of its own.
#pragma once

#include <thread>

#include "shogi/engine/book.h"
#include "shogi/rules/game_state.h"

namespace shogi {

// Chooses the computer's move: moveNumber already counts it; snapshot[moveNumber - 1] is the
// position. Leaves the move in the history, the player's moves in moveList, baseScore and the
// thinking time, and finally raises moveReady.
void ThinkDriver(GameState& gs, OpeningBook& book);

// Raises moveNumber and runs ThinkDriver on a new thread, which is returned; the caller may
// join it or let it finish on its own while it polls moveReady.
std::thread StartComputerMove(GameState& gs, OpeningBook& book);

}  // namespace shogi
