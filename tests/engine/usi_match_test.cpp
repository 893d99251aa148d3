// Short games of the engine program against fairy-stockfish (depth 1) over USI pipes, one per
// level, refereed by fairy-stockfish's own legal moves and by the rules core's legality check:
// every move must be legal in the position it answers, and every go gets exactly one answer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "shogi/rules/legality.h"
#include "shogi/rules/notation.h"
#include "tests/rules/test_util.h"

namespace shogi {
namespace {

using testing_util::Peer;

constexpr const char* kReferee = "/usr/games/fairy-stockfish";

class Match : public ::testing::TestWithParam<const char*> {};

TEST_P(Match, ShortGameAgainstFairyStockfish) {
  if (access(kReferee, X_OK) != 0) GTEST_SKIP() << "fairy-stockfish is not installed";
  const std::string level = GetParam();
  const bool engineBlack = level != "Normal";
  const int plies = level == "Hard" ? 60 : 120;
  Peer engine(SHOGI_ENGINE_PATH);
  Peer referee(kReferee);
  ASSERT_TRUE(engine.Ok() && referee.Ok());
  engine.Send("usi");
  ASSERT_EQ(engine.Until("usiok").back(), "usiok");
  engine.Send("setoption name Level value " + level +
              "\nsetoption name BookFile value " SHOGI_BOOK_PATH "\nisready");
  ASSERT_EQ(engine.Until("readyok"), std::vector<std::string>{"readyok"});
  engine.Send("usinewgame");
  referee.Send("usi\nsetoption name UCI_Variant value shogi");

  Position pos = ToInternal(UsiStartPosition(), 1);
  std::string moves;
  for (int ply = 0; ply < plies; ++ply) {
    const std::string position = "position startpos" + (moves.empty() ? "" : " moves" + moves);
    const std::set<std::string> legal = referee.PerftMoves(position);
    if (legal.empty()) break;  // mated
    const bool blackToMove = ply % 2 == 0;
    std::string move;
    if (blackToMove == engineBlack) {
      engine.Send(position + "\ngo btime 0 wtime 0 byoyomi 10000");
      const std::vector<std::string> answer = engine.Until("bestmove ");
      for (const std::string& l : answer)
        EXPECT_TRUE(l.rfind("info ", 0) == 0 || l.rfind("bestmove ", 0) == 0) << l;
      ASSERT_EQ(answer.back().rfind("bestmove ", 0), 0u) << "no answer at ply " << ply;
      move = answer.back().substr(9);
      if (move == "resign" || move == "win") break;
      // One answer per go: nothing else is pending once the engine is ready again.
      engine.Send("isready");
      const auto pending = engine.Until("readyok");
      EXPECT_EQ(pending.size(), 1u) << "a stale line at ply " << ply << ": " << pending[0];
    } else {
      referee.Send(position + "\ngo depth 1");
      const std::string answer = referee.Until("bestmove ").back();
      move = answer.substr(9, answer.find(' ', 9) - 9);  // without "ponder <move>"
      if (move == "resign" || move == "(none)") break;
    }
    const int side = SideOfColor(1, blackToMove ? UsiPosition::kBlack : UsiPosition::kWhite);
    const auto m = ParseUsiMove(move, 1);
    ASSERT_TRUE(m) << move;
    EXPECT_TRUE(legal.count(move)) << move << " is not legal after" << moves;
    EXPECT_TRUE(IsLegalMove(pos, side, *m)) << move << " is not legal after" << moves;
    if (HasFailure()) return;
    ApplyMove(pos, *m, side);
    moves += " " + move;
  }
}

INSTANTIATE_TEST_SUITE_P(Levels, Match, ::testing::Values("Easy", "Normal", "Hard"));

}  // namespace
}  // namespace shogi
