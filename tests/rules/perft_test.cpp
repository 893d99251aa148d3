#include <gtest/gtest.h>

#include <memory>

#include "shogi/rules/game_state.h"
#include "shogi/rules/perft.h"

namespace shogi {
namespace {

TEST(Perft, StartPosition) {
  auto gs = std::make_unique<GameState>();
  ResetGameState(*gs);
  const Position start = gs->snapshot[0];
  EXPECT_EQ(Perft(*gs, start, kPlayerSide, 1), 30u);
  EXPECT_EQ(Perft(*gs, start, kPlayerSide, 2), 900u);
  EXPECT_EQ(Perft(*gs, start, kPlayerSide, 3), 25440u);
}

}  // namespace
}  // namespace shogi
