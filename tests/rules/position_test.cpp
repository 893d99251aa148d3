// The position, moves, the game history and the notation.
#include <gtest/gtest.h>

#include "test_util.h"

namespace shogi {
namespace {

using testing_util::FromSfen;

TEST(ApplyMove, MovesCapturesDropsAndTakenKings) {
  Position p = StartPosition();
  EXPECT_EQ(ApplyMove(p, MoveRec{}, kPlayerSide), 0);  // the empty move changes nothing
  EXPECT_EQ(p, StartPosition());
  EXPECT_EQ(ApplyMove(p, MoveRec{2, 6, 2, 5, 0, 0}, kPlayerSide), 1);
  EXPECT_EQ(p, FromSfen("lnsgkgsnl/1r5b1/ppppppppp/9/9/2P6/PP1PPPPPP/1B5R1/LNSGKGSNL"));
  // Captured pieces go to the mover's hand unpromoted; a taken king to slot 8.
  p = FromSfen("9/9/9/3gk4/3K+b4/4S4/9/9/9", "p");
  ApplyMove(p, MoveRec{4, 5, 4, 4, 0, 0}, kPlayerSide);        // takes the horse
  ApplyMove(p, MoveRec{4, 4, 3, 3, 1, 0}, kPlayerSide);        // takes the gold, promotes
  ApplyMove(p, MoveRec{0, 0, 4, 2, 0, kPawn}, kComputerSide);  // drops the pawn
  ApplyMove(p, MoveRec{4, 3, 3, 3, 0, 0}, kComputerSide);      // takes the promoted silver
  ApplyMove(p, MoveRec{3, 3, 3, 4, 0, 0}, kComputerSide);      // takes the king
  EXPECT_EQ(p.Hand(kComputerSide, 8), 1);
  p.SetHand(kComputerSide, 8, 0);
  EXPECT_EQ(p, FromSfen("9/9/4p4/9/3k5/9/9/9/9", "BGs"));
}

TEST(GameState, ResetAndAHistoryThatNeverOverruns) {
  auto gs = testing_util::NewGame();
  gs->moveNumber = 7;
  gs->firstMover = 2;
  gs->level = 3;
  gs->gamePhase = 5;
  ResetGameState(*gs);
  EXPECT_EQ(gs->snapshot[0], FromSfen("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL"));
  EXPECT_EQ((std::vector<int>{gs->moveNumber, gs->firstMover, gs->level, gs->gamePhase}),
            (std::vector<int>{0, 1, 1, 0}));
  const MoveRec moves[4] = {
      {4, 8, 4, 7, 0, 0}, {4, 0, 4, 1, 0, 0}, {4, 7, 4, 8, 0, 0}, {4, 1, 4, 0, 0, 0}};
  int n = 0;
  while (CommitMove(*gs, moves[n % 4], n % 2 == 0 ? kPlayerSide : kComputerSide)) ++n;
  EXPECT_EQ(n, kMaxMoves);
  EXPECT_EQ(gs->moveNumber, kMaxMoves);
  EXPECT_EQ(gs->moveRec[1], moves[0]);
  EXPECT_EQ(gs->snapshot[1].KindAt(4, 7), kKing);
  EXPECT_EQ(gs->snapshot[0], StartPosition());
}

TEST(Notation, SquaresAndMovesFollowWhoMovesFirst) {
  for (int fm = 1; fm <= 2; ++fm)
    for (int f = 0; f < 9; ++f)
      for (int r = 0; r < 9; ++r) {
        int file = 0, rank = 0, fi = -1, ri = -1;
        InternalToUsi(fm, f, r, file, rank);
        UsiToInternal(fm, file, rank, fi, ri);
        EXPECT_EQ(fi * 9 + ri, f * 9 + r);
        EXPECT_EQ(file * 10 + rank, fm == 1 ? (9 - f) * 10 + r + 1 : (f + 1) * 10 + 9 - r);
      }
  struct Case {
    MoveRec move;
    int fm;
    const char* usi;
  };
  for (const Case& c :
       {Case{{2, 6, 2, 5, 0, 0}, 1, "7g7f"}, Case{{0, 0, 4, 4, 0, kBishop}, 2, "B*5e"},
        Case{{7, 1, 1, 7, 1, 0}, 1, "2b8h+"}, Case{{0, 0, 4, 4, 0, kPawn}, 2, "P*5e"}}) {
    EXPECT_EQ(MoveToUsi(c.move, c.fm), c.usi);
    EXPECT_EQ(*ParseUsiMove(c.usi, c.fm), c.move);
  }
  for (const char* bad : {"", "7g7", "7g7g", "0a1a", "7j7f", "K*5e", "p*5e", "7g7f=", "P*5e+"})
    EXPECT_FALSE(ParseUsiMove(bad, 1)) << bad;
}

TEST(Notation, SfenRoundTripsAndRejectsNonsense) {
  const std::string board = "ln1g3nl/1r1sk1gs1/p1pppp1pp/1p4p2/7P1/2P6/PP1PPPP1P/1SG4R1/LN2KGSNL";
  std::string err;
  auto p = ParseSfen(board, "b", "Bb", &err);
  ASSERT_TRUE(p) << err;
  EXPECT_EQ(ToSfen(*p), board + " b Bb");
  for (int fm = 1; fm <= 2; ++fm)
    EXPECT_EQ(FromInternal(ToInternal(*p, fm), fm, p->sideToMove), *p);
  const std::string start = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/";
  const char* bad[][3] = {
      {"lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1", "b", "-"},  // 8 ranks
      {"LNSGKGSNLL", "b", "-"},                                       // a long rank
      {"LNSGKGSN", "b", "-"},                                         // a short rank
      {"LNSGKGSNL", "x", "-"},
      {"LNSGKGSNL", "b", "P"},  // 19 pawns
      {"LNSG+KGSNL", "b", "-"},
      {"LNSGXGSNL", "b", "-"},
      {"P8/9/9/9/9/9/9/9/k7K", "b", "-"},  // a pawn that cannot move
      {"K8/9/9/9/9/9/9/9/k7K", "b", "-"},  // two kings
      {"4k4/9/9/9/9/9/9/9/4K4", "b", "3"},
      {"4k4/9/9/9/9/9/9/9/4K4", "b", "0P"},
  };
  for (auto& b : bad) {
    const std::string text = std::string(b[0]).find('/') == std::string::npos ? start + b[0] : b[0];
    EXPECT_FALSE(ParseSfen(text, b[1], b[2], &err)) << text << " " << b[2];
  }
}

}  // namespace
}  // namespace shogi
