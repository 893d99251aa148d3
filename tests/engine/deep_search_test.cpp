// The mate search and the main search, seen through whole thinks of the computer (white).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "shogi/engine/bench.h"
#include "shogi/engine/deep_search.h"
#include "shogi/rules/legality.h"
#include "shogi/rules/notation.h"
#include "tests/rules/test_util.h"

namespace shogi {
namespace {

using testing_util::SfenPosition;

TEST(Think, MatesAndResignations) {
  const struct {
    const char* board;
    const char* hands;
    int level;
    const char* move;  // "!x": anything but x
    int result;
  } cases[] = {
      {"4k4/9/9/9/9/9/4p4/9/4K4", "g", 2, "G*5h", 2},  // mate at once
      // Mate in three; a pawn drop that checks without mating is fine.
      {"4k4/9/9/9/9/8b/9/4r4/8K", "p", 3, "P*1h", 3},
      // P*5h sorts first and mates in 3; searching on finds 3g4h, which mates at once.
      {"4k4/9/9/9/9/9/2n1s1s1n/9/4K4", "p", 2, "3g4h", 2},
      // P*5h would mate (the lances cover the king's sides, the knight guards 5h).
      {"3l1l2k/9/9/9/9/5n3/9/9/4K4", "p", 3, "!P*5h", 0},
      // Deeper in the mate search, after 6e7f or B*8e, a pawn drop would mate: refused there
      // too, so no mate is announced.
      {"2k6/9/9/b8/3g5/5n3/n1K6/2S6/1g7", "pr", 2, "R*5g", 0},
      {"2k6/9/9/9/4+b4/1p7/3K5/l8/2r1L4", "pb", 2, "7i5i+", 0},
      {"4k4/4G4/4P4/9/9/9/9/9/4K4", "-", 2, "", 1},  // mated: gives up
  };
  for (const auto& c : cases) {
    auto gs = std::make_unique<GameState>();
    auto book = std::make_unique<OpeningBook>();
    const MoveRec m = ThinkOnPosition(
        *gs, *book, SfenPosition(std::string(c.board) + " w " + c.hands), 60, c.level);
    const std::string move = m.IsEmpty() ? "" : MoveToUsi(m, 1);
    if (c.move[0] == '!')
      EXPECT_TRUE(move != c.move + 1 && !move.empty()) << c.board << " " << move;
    else
      EXPECT_EQ(move, c.move) << c.board << " level " << c.level;
    EXPECT_EQ(gs->gameResult, c.result) << c.board << " level " << c.level;
  }
}

TEST(MainSearch, AvoidsRecreatingAnEarlierPosition) {
  const UsiPosition pos =
      SfenPosition("l1k4nl/1rsg1sgb1/2n2p1pp/p1p1p1p2/1p1p5/P1PPPP2P/BPN1GGPP1/5S1R1/LKS4NL w -");
  auto gs = std::make_unique<GameState>();
  auto book = std::make_unique<OpeningBook>();
  const MoveRec first = ThinkOnPosition(*gs, *book, pos, 60, 2);
  ASSERT_FALSE(first.IsEmpty());
  // The same position, but the board after that move already occurred earlier in the game.
  const Position start = ToInternal(pos, 1);
  Position after = start;
  ApplyMove(after, first, kComputerSide);
  ResetGameState(*gs);
  gs->fixedClock = 1700000000;
  gs->level = 2;
  gs->bookChoice = 1;
  for (int k = 0; k < 60; ++k) gs->snapshot[k] = start;
  gs->snapshot[30] = after;
  gs->moveNumber = 60;
  gs->gamePhase = 4;
  const MoveRec chosen = DeepSearch(*gs, *gs, *gs);
  EXPECT_FALSE(chosen.IsEmpty());
  EXPECT_NE(chosen, first);
}

// A think stopped before it starts abandons the mate pass and still plays a legal move (the
// first of its sorted root list) without giving up; the computer player's tests cut deeper
// thinks.
TEST(Cut, AThinkStoppedAtOncePlaysALegalMove) {
  const UsiPosition pos = SfenPosition("4k4/9/9/9/9/8b/9/4r4/8K w p");
  auto gs = std::make_unique<GameState>();
  auto book = std::make_unique<OpeningBook>();
  gs->stopThink = 1;
  const MoveRec m = ThinkOnPosition(*gs, *book, pos, 60, 2);
  EXPECT_EQ(gs->thinkCut, 1);
  EXPECT_EQ(gs->gameResult, 0);
  EXPECT_TRUE(IsLegalMove(ToInternal(pos, 1), kComputerSide, m)) << MoveToUsi(m, 1);
}

}  // namespace
}  // namespace shogi
