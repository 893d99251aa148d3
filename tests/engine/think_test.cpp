// The think driver and the computer player: the bench signature, the book in a game, a think
// on the player's thread, stopping and abandoning it.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "shogi/engine/bench.h"
#include "shogi/engine/bench_positions.h"
#include "shogi/engine/clock.h"
#include "shogi/engine/computer_player.h"
#include "shogi/engine/think.h"
#include "shogi/rules/legality.h"
#include "shogi/rules/notation.h"
#include "tests/rules/test_util.h"

namespace shogi {
namespace {

constexpr const char* kBookPath = SHOGI_DATA_DIR "/joseki.dat";

// Middle-game position i of the bench, with the computer to make move 48 (search mode 4).
void SetUpBenchPosition(GameHistory& game, AnalysisScratch& sc, int i, int level) {
  SetUpPosition(game, sc, testing_util::SfenPosition(bench::kMiddleGamePositions[i]), 48, level);
}

// Moves, routines and work of the bench's opening games and first 30 middle-game positions.
// Update only with a change meant to change play: `bench 2 30` in data/ prints the value.
TEST(Think, BenchSignature) {
  const BenchResult r = RunBench(2, 30, kBookPath);
  ASSERT_TRUE(r.bookLoaded);
  EXPECT_EQ(r.signature, 0x655ed29f91f0383bULL) << std::hex << r.signature;
}

// The computer (white) answers the yagura line 7g7f 8c8d 7i6h: from the book when it is on;
// with the book off the book still names the opening, and the search picks the move. The
// game's history is left alone until the move is committed.
TEST(Think, BookMoveOrSearchInTheSameGame) {
  for (int bookChoice = 0; bookChoice <= 1; ++bookChoice) {
    auto book = std::make_unique<OpeningBook>();
    book->path = kBookPath;
    ASSERT_TRUE(LoadBook(*book));  // as the program does at start
    auto game = std::make_unique<GameHistory>();
    ComputerPlayer computer(*book);
    ResetHistory(*game);
    game->fixedClock = 1700000000;
    game->level = 2;
    game->bookChoice = bookChoice;
    ASSERT_TRUE(CommitPlayerMove(*game, computer.Scratch(), *ParseUsiMove("7g7f", 1)));
    CommitMove(*game, *ParseUsiMove("8c8d", 1), kComputerSide);
    ASSERT_TRUE(CommitPlayerMove(*game, computer.Scratch(), *ParseUsiMove("7i6h", 1)));
    const Position before = game->Current();
    computer.Start(*game);
    const ThinkResult r = computer.Wait();
    EXPECT_EQ(game->moveNumber, 3);
    EXPECT_EQ(game->Current(), before);
    EXPECT_EQ(r.openingType, 1) << bookChoice;
    EXPECT_EQ(r.gamePhase, bookChoice == 0 ? 0 : 1);  // else formation 4 (static rook) decides
    EXPECT_TRUE(bookChoice == 1 || MoveToUsi(r.move, 1) == "3c3d") << MoveToUsi(r.move, 1);
    ASSERT_TRUE(IsLegalMove(before, kComputerSide, r.move));
    ASSERT_TRUE(CommitComputerMove(*game, r));
    EXPECT_EQ(game->moveNumber, 4);
    EXPECT_EQ(game->moveRec[4], r.move);
    EXPECT_EQ(game->openingType, 1);
  }
}

// Four moves through the computer player (its thread, its copy of the history) and through
// the think driver on one GameState: the same moves, results and work, so nothing the
// searches carry from move to move is lost in the hand-over.
TEST(ComputerPlayer, PlaysAsTheThinkDriverOnOneState) {
  auto book = std::make_unique<OpeningBook>();
  auto gs = std::make_unique<GameState>();
  auto game = std::make_unique<GameHistory>();
  ComputerPlayer computer(*book);
  ResetGameState(*gs);
  SetUpBenchPosition(*gs, *gs, 2, 2);
  SetUpBenchPosition(*game, computer.Scratch(), 2, 2);
  for (int k = 0; k < 4; ++k) {
    const ThinkResult expected = ThinkDriver(*gs, *gs, *gs, *book);
    computer.Start(*game);
    const ThinkResult r = computer.Wait();
    EXPECT_EQ(r.move, expected.move) << k;
    EXPECT_EQ(r.gameResult, expected.gameResult) << k;
    EXPECT_EQ(r.score, expected.score) << k;
    EXPECT_EQ(computer.Scratch().evaluateCalls, gs->evaluateCalls) << k;  // the same work
    if (r.gameResult != kResultNone) break;
    CommitComputerMove(*gs, expected);
    CommitComputerMove(*game, r);
    // The reply the search expected, for which it prepared an answer, or a legal one.
    const std::vector<MoveRec> moves = LegalMoves(game->Current(), game->playerSide);
    const MoveRec reply = r.lineLength > 1 ? r.line[1] : moves[game->moveNumber * 7 % moves.size()];
    ASSERT_TRUE(CommitPlayerMove(*gs, *gs, reply));
    ASSERT_TRUE(CommitPlayerMove(*game, computer.Scratch(), reply));
  }
}

// Stop and a deadline cut a deep think short; it still hands back a legal move, not a loss.
TEST(ComputerPlayer, StopAndDeadlineCutTheThink) {
  auto book = std::make_unique<OpeningBook>();
  auto game = std::make_unique<GameHistory>();
  for (bool byStop : {true, false}) {
    ComputerPlayer computer(*book);
    SetUpBenchPosition(*game, computer.Scratch(), 5, 3);
    computer.Start(*game, byStop ? 0 : SteadyNanos());
    if (byStop) computer.Stop();
    const ThinkResult r = computer.Wait();
    EXPECT_TRUE(r.cut) << byStop;
    EXPECT_EQ(r.gameResult, kResultNone) << byStop;
    EXPECT_TRUE(IsLegalMove(game->Current(), kComputerSide, r.move)) << byStop;
    EXPECT_FALSE(computer.Busy());
  }
}

// A think abandoned (a new game, the program closing) leaves nothing running and no result;
// the player thinks again afterwards, and one destroyed while thinking stops its thread.
TEST(ComputerPlayer, AbandoningAThinkIsClean) {
  auto book = std::make_unique<OpeningBook>();
  auto game = std::make_unique<GameHistory>();
  ComputerPlayer computer(*book);
  SetUpBenchPosition(*game, computer.Scratch(), 5, 3);
  computer.Start(*game);
  computer.NewGame();
  EXPECT_FALSE(computer.Busy());
  EXPECT_FALSE(computer.TakeResult());
  EXPECT_EQ(game->moveNumber, 47);
  SetUpBenchPosition(*game, computer.Scratch(), 0, 0);
  computer.Start(*game);
  EXPECT_TRUE(IsLegalMove(game->Current(), kComputerSide, computer.Wait().move));
  ComputerPlayer(*book).Start(*game);  // destroyed at once
}

}  // namespace
}  // namespace shogi
