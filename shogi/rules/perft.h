// Move path enumeration for testing the rules: counts the leaf nodes of the tree of moves left
// legal (illegal == 0) by AnalyzeMoves at ply 0, with the game's settings as they stand.
#pragma once

#include <cstdint>

#include "shogi/rules/game_state.h"

namespace shogi {

uint64_t Perft(GameState& gs, const Position& pos, int side, int depth);

}  // namespace shogi
