// The think driver: search modes, the thinking thread, whole games, the bench signature.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "shogi/engine/bench.h"
#include "shogi/engine/think.h"
#include "shogi/rules/analyze.h"
#include "shogi/rules/notation.h"

namespace shogi {
namespace {

TEST(Think, SearchModeByMoveNumberAndOpening) {
  EXPECT_EQ(SearchMode(10, true, 0, 0), 0);  // a book move stands
  EXPECT_EQ(SearchMode(10, true, 1, 0), 1);  // the book only set the opening type
  EXPECT_EQ(SearchMode(20, false, 0, 0), 1);
  EXPECT_EQ(SearchMode(21, false, 0, 0), 2);
  EXPECT_EQ(SearchMode(46, false, 0, 0), 2);
  EXPECT_EQ(SearchMode(40, false, 0, 1), 2);
  EXPECT_EQ(SearchMode(41, false, 0, 1), 3);
  EXPECT_EQ(SearchMode(32, false, 0, 2), 2);
  EXPECT_EQ(SearchMode(33, false, 0, 2), 3);
  EXPECT_EQ(SearchMode(25, false, 0, 7), 3);  // an unknown opening type has no mode-2 row
  EXPECT_EQ(SearchMode(47, true, 0, 0), 4);   // from move 47 on the search decides
  EXPECT_EQ(SearchMode(71, false, 0, 0), 5);
  EXPECT_EQ(SearchMode(86, false, 0, 0), 6);
  EXPECT_EQ(SearchMode(101, false, 0, 0), 7);
  EXPECT_EQ(SearchMode(115, false, 0, 0), 7);
  EXPECT_EQ(SearchMode(116, false, 0, 0), 8);
}

// A scripted opponent: a legal move picked by the move number from the analysed list.
bool PlayerMove(GameState& gs, MoveRec& out) {
  AnalyzeMoves(gs, gs.Current(), gs.playerSide, 0);
  int legal[kMoveListCapacity];
  int n = 0;
  for (int i = 0; i < gs.moveListCount; ++i)
    if (gs.moveList[i].illegal == 0) legal[n++] = i;
  if (n == 0) return false;
  out = gs.moveList[legal[(gs.moveNumber * 7 + 3) % n]].move;
  return true;
}

enum class End { kPlayerMated, kComputerResigned, kComputerWon, kMoveLimit };

// Plays a game the way the game program does, the computer thinking on its own thread.
End PlayGame(GameState& gs, OpeningBook& book, int level, int firstMover, int moveCap) {
  ResetGameState(gs);
  gs.level = level;
  gs.firstMover = firstMover;
  gs.fixedClock = 1700000000;
  gs.bookChoice = 0;
  bool computerToMove = firstMover == 2;
  while (true) {
    if (gs.moveNumber >= moveCap) return End::kMoveLimit;
    if (!computerToMove) {
      MoveRec m;
      if (!PlayerMove(gs, m)) return End::kPlayerMated;
      EXPECT_TRUE(CommitPlayerMove(gs, m));
      if (gs.gameResult == 2) return End::kComputerWon;
    } else {
      gs.moveReady = 0;
      std::thread worker = StartComputerMove(gs, book);
      while (gs.moveReady.load(std::memory_order_acquire) == 0) {
        // The window thread only looks at the shared progress while the computer thinks.
        (void)gs.progressDone.load(std::memory_order_relaxed);
        (void)gs.progressTotal.load(std::memory_order_relaxed);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      worker.join();
      gs.moveReady = 0;
      if (gs.gameResult == 1) {
        gs.moveNumber -= 1;
        return End::kComputerResigned;
      }
      if (gs.gameResult == 2) return End::kComputerWon;
    }
    computerToMove = !computerToMove;
  }
}

class Game : public ::testing::TestWithParam<int> {};

TEST_P(Game, WholeGameAgainstAScriptedOpponent) {
  const int level = GetParam();
  auto gs = std::make_unique<GameState>();
  auto book = std::make_unique<OpeningBook>();
  book->path = "no-such-book.dat";
  for (int firstMover = 1; firstMover <= 2; ++firstMover) {
    const End end = PlayGame(*gs, *book, level, firstMover, level == 3 ? 120 : kMaxMoves);
    // Every position along the way is consistent: 40 pieces, one king each.
    const Position& p = gs->Current();
    int pieces = 0, kings = 0;
    for (int f = 0; f < 9; ++f)
      for (int r = 0; r < 9; ++r) {
        pieces += p.Owner(f, r) != 0;
        kings += p.KindAt(f, r) == kKing;
      }
    for (int side = 1; side <= 2; ++side)
      for (int k = 1; k <= 7; ++k) pieces += p.Hand(side, k);
    EXPECT_EQ(pieces, 40);
    EXPECT_EQ(kings, 2);
    EXPECT_LE(gs->moveNumber, kMaxMoves);
    // Against random play the computer should not lose.
    EXPECT_NE(end, End::kComputerResigned) << "level " << level << " first " << firstMover;
    for (int m = 1; m <= gs->moveNumber; ++m) EXPECT_FALSE(gs->moveRec[m].IsEmpty()) << m;
  }
}

INSTANTIATE_TEST_SUITE_P(Levels, Game, ::testing::Values(1, 2, 3));

// The computer's behaviour on the bench positions: any change to a chosen move or to the amount
// of work changes the signature. Update it only with a change that is meant to change play.
TEST(Think, BenchSignature) {
  const BenchResult r = RunBench(2, 30);
  ASSERT_EQ(r.moves.size(), 30u);
  EXPECT_EQ(r.signature, 0xc22afe6713547d8bULL) << std::hex << r.signature;
}

std::string BookPath() {
  const std::string here = __FILE__;
  return here.substr(0, here.rfind("tests/engine/")) + "data/joseki.dat";
}

// The computer (white) answers the yagura line 7g7f 8c8d 7i6h: from the book when it is on;
// with the book off the book still names the opening, and the search picks the move.
TEST(Think, BookMoveOrSearchInTheSameGame) {
  for (int bookChoice = 0; bookChoice <= 1; ++bookChoice) {
    auto gs = std::make_unique<GameState>();
    auto book = std::make_unique<OpeningBook>();
    book->path = BookPath();
    ASSERT_TRUE(LoadBook(*book));  // as the program does at start
    ResetGameState(*gs);
    gs->fixedClock = 1700000000;
    gs->level = 2;
    gs->bookChoice = bookChoice;
    ASSERT_TRUE(CommitPlayerMove(*gs, *ParseUsiMove("7g7f", 1)));
    CommitMove(*gs, *ParseUsiMove("8c8d", 1), kComputerSide);
    ASSERT_TRUE(CommitPlayerMove(*gs, *ParseUsiMove("7i6h", 1)));
    gs->moveNumber += 1;
    ThinkDriver(*gs, *book);
    EXPECT_EQ(gs->openingType, 1) << bookChoice;
    EXPECT_EQ(gs->moveReady.load(), 1);
    if (bookChoice == 0) {
      EXPECT_EQ(gs->gamePhase, 0);
      EXPECT_EQ(MoveToUsi(gs->moveRec[4], 1), "3c3d");
    } else {
      EXPECT_EQ(gs->gamePhase, 1);  // formation 4, the static-rook castle, decides
      EXPECT_FALSE(gs->moveRec[4].IsEmpty());
    }
  }
}

TEST(Think, QuittingWhileTheComputerThinksWaitsForTheMove) {
  auto gs = std::make_unique<GameState>();
  auto book = std::make_unique<OpeningBook>();
  book->path = "no-such-book.dat";
  ResetGameState(*gs);
  gs->level = 3;
  gs->fixedClock = 1700000000;
  MoveRec m;
  ASSERT_TRUE(PlayerMove(*gs, m));
  CommitPlayerMove(*gs, m);
  std::thread worker = StartComputerMove(*gs, *book);
  worker.join();  // what the program does at shut-down
  EXPECT_EQ(gs->moveReady.load(), 1);
  EXPECT_EQ(gs->moveNumber, 2);
  EXPECT_FALSE(gs->moveRec[2].IsEmpty());
}

}  // namespace
}  // namespace shogi
