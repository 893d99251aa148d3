// The think driver: search modes, the thinking thread, the bench signature.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

#include "shogi/engine/bench.h"
#include "shogi/engine/think.h"
#include "shogi/rules/notation.h"

namespace shogi {
namespace {

std::string BookPath() {
  return SHOGI_DATA_DIR "/joseki.dat";
}

// The computer's behaviour in the bench's opening games and on its first 30 middle-game
// positions: any change to a chosen move, to the routine that chose it or to the amount of
// work changes the signature. Update it only with a change that is meant to change play.
// The current value: `bench 2 30` in shogi-engine started in data/ (its last line).
TEST(Think, BenchSignature) {
  const BenchResult r = RunBench(2, 30, BookPath());
  ASSERT_TRUE(r.bookLoaded);
  EXPECT_EQ(r.signature, 0x655ed29f91f0383bULL) << std::hex << r.signature;
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
  ASSERT_TRUE(CommitPlayerMove(*gs, *ParseUsiMove("7g7f", 1)));
  std::thread worker = StartComputerMove(*gs, *book);
  worker.join();  // what the program does at shut-down
  EXPECT_EQ(gs->moveReady.load(), 1);
  EXPECT_EQ(gs->moveNumber, 2);
  EXPECT_FALSE(gs->moveRec[2].IsEmpty());
}

}  // namespace
}  // namespace shogi
