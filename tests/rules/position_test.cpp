// The game history's bound, and the refusal of malformed notation.
#include <gtest/gtest.h>

#include "test_util.h"

namespace shogi {
namespace {

TEST(GameState, AHistoryThatNeverOverruns) {
  auto gs = testing_util::NewGame();
  const MoveRec moves[4] = {
      {4, 8, 4, 7, 0, 0}, {4, 0, 4, 1, 0, 0}, {4, 7, 4, 8, 0, 0}, {4, 1, 4, 0, 0, 0}};
  int n = 0;
  while (CommitMove(*gs, moves[n % 4], n % 2 == 0 ? kPlayerSide : kComputerSide)) ++n;
  EXPECT_EQ(n, kMaxMoves);
  EXPECT_EQ(gs->moveNumber, kMaxMoves);
  EXPECT_EQ(gs->snapshot[1].KindAt(4, 7), kKing);
}

TEST(Notation, MalformedMovesAndBoardsAreRefused) {
  for (const char* bad : {"", "7g7", "7g7g", "0a1a", "7j7f", "K*5e", "p*5e", "7g7f=", "P*5e+"})
    EXPECT_FALSE(ParseUsiMove(bad, 1)) << bad;
  const std::string start = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/";
  // 8 ranks, a long and a short last rank, no side, 19 pawns, a promoted king, no such piece,
  // a pawn that cannot move, two kings, bad hands.
  for (const char* row : {"lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1 b -", "LNSGKGSNLL b -",
                          "LNSGKGSN b -", "LNSGKGSNL x -", "LNSGKGSNL b P", "LNSG+KGSNL b -",
                          "LNSGXGSNL b -", "P8/9/9/9/9/9/9/9/k7K b -", "K8/9/9/9/9/9/9/9/k7K b -",
                          "4k4/9/9/9/9/9/9/9/4K4 b 3", "4k4/9/9/9/9/9/9/9/4K4 b 0P"}) {
    std::istringstream in(row);
    std::string board, side, hands, err;
    in >> board >> side >> hands;
    if (board.find('/') == std::string::npos) board = start + board;
    EXPECT_FALSE(ParseSfen(board, side, hands, &err)) << row;
  }
}

}  // namespace
}  // namespace shogi
