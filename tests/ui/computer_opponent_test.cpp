// The hand-over between the window's game and the computer: a think runs on a copy and its move
// is committed once; a stop still brings a move; a new game while thinking drops the think.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <tuple>

#include "shogi/rules/legality.h"
#include "shogi/rules/notation.h"
#include "shogi/ui/computer_opponent.h"

namespace shogi::ui {
namespace {

enum class Then { kWait, kStop, kNewGame };

TEST(ComputerOpponent, ThinkStopAndNewGameWhileThinking) {
  for (const auto& [name, level, then] : {std::tuple{"a think", 1, Then::kWait},
                                          {"a stop", 3, Then::kStop},
                                          {"a new game while thinking", 3, Then::kNewGame}}) {
    SCOPED_TRACE(name);
    auto book = std::make_unique<OpeningBook>();
    book->path = "no-such-book.dat";
    book->printFailure = false;
    auto game = std::make_unique<GameHistory>();  // the window's game
    ResetHistory(*game);
    game->level = level;
    game->fixedClock = 1700000000;
    ComputerOpponent computer(*game, *book);
    for (const char* usi : {"7g7f", "3c3d", "8h2b+"}) {
      const int side = SideToMove(*game);
      const MoveRec m = *ParseUsiMove(usi, 1);
      ASSERT_TRUE(side == kPlayerSide ? computer.CommitPlayerMove(m) : CommitMove(*game, m, side));
    }
    const Position before = game->Current();
    computer.Start();
    EXPECT_EQ(computer.ThinkingMove(), 4);
    if (then == Then::kStop) computer.Stop();
    if (then == Then::kNewGame) {
      computer.NewGame();
      EXPECT_FALSE(computer.Thinking());
      EXPECT_FALSE(computer.TakeMove());
      EXPECT_EQ(game->moveNumber, 3);
      continue;
    }
    std::optional<ThinkResult> think;
    for (int i = 0; i < 6000 && !think; ++i) {  // the timer's polling, at most a minute
      EXPECT_EQ(game->moveNumber, 3);           // the game is the window's alone meanwhile
      think = computer.TakeMove();
      if (!think) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(think);
    EXPECT_EQ(think->cut, then == Then::kStop);
    EXPECT_FALSE(computer.Thinking());
    EXPECT_FALSE(computer.TakeMove());  // taken once
    ASSERT_TRUE(IsLegalMove(before, kComputerSide, think->move));
    EXPECT_EQ(game->moveNumber, 4);
    EXPECT_EQ(game->moveRec[4], think->move);
    EXPECT_EQ(game->snapshot[3], before);
  }
}

}  // namespace
}  // namespace shogi::ui
