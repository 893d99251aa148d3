// The think driver and the computer player: the bench signature, the book in a game, a think
// on the player's thread, stopping and abandoning it.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "shogi/engine/bench.h"
#include "shogi/engine/bench_positions.h"
#include "shogi/engine/clock.h"
#include "shogi/engine/computer_player.h"
#include "shogi/engine/think.h"
#include "shogi/rules/legality.h"
#include "shogi/rules/notation.h"

namespace shogi {
namespace {

std::string BookPath() {
  return SHOGI_DATA_DIR "/joseki.dat";
}

// Middle-game position i of the bench, with the computer to make move 48 (search mode 4).
void SetUpBenchPosition(GameHistory& game, AnalysisScratch& sc, int i, int level) {
  std::istringstream in(bench::kMiddleGamePositions[i]);
  std::string board, side, hands;
  in >> board >> side >> hands;
  const auto pos = ParseSfen(board, side, hands, nullptr);
  ASSERT_TRUE(pos);
  SetUpPosition(game, sc, *pos, 48, level);
}

// The player's reply: a legal move picked by the move number.
MoveRec Reply(const GameHistory& game) {
  const std::vector<MoveRec> moves = LegalMoves(game.Current(), game.playerSide);
  return moves.empty() ? MoveRec{} : moves[(game.moveNumber * 7) % moves.size()];
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
// with the book off the book still names the opening, and the search picks the move. The
// game's history is left alone until the move is committed.
TEST(Think, BookMoveOrSearchInTheSameGame) {
  for (int bookChoice = 0; bookChoice <= 1; ++bookChoice) {
    auto book = std::make_unique<OpeningBook>();
    book->path = BookPath();
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
    if (bookChoice == 0) {
      EXPECT_EQ(MoveToUsi(r.move, 1), "3c3d");
    }
    ASSERT_TRUE(IsLegalMove(before, kComputerSide, r.move));
    ASSERT_TRUE(CommitComputerMove(*game, r));
    EXPECT_EQ(game->moveNumber, 4);
    EXPECT_EQ(game->moveRec[4], r.move);
    EXPECT_EQ(game->openingType, 1);
  }
}

// Four moves of a middle game through the computer player, on its thread with its own copy
// of the history, and through the think driver on one GameState on this thread: the same moves,
// results and work, so nothing the searches carry from move to move (the prepared answers, the
// king danger of the player's move) is lost in the hand-over.
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
    // The reply the search expected, for which it prepared an answer.
    const MoveRec reply = r.lineLength > 1 ? r.line[1] : Reply(*game);
    ASSERT_TRUE(CommitPlayerMove(*gs, *gs, reply));
    ASSERT_TRUE(CommitPlayerMove(*game, computer.Scratch(), reply));
  }
}

// Stop and a deadline cut a deep think short; it still hands back a legal move.
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
  {
    ComputerPlayer closing(*book);
    closing.Start(*game);
  }
}

}  // namespace
}  // namespace shogi
