// The position, moves and the game history.
#include <gtest/gtest.h>

#include "test_util.h"

namespace shogi {
namespace {

using testing_util::FromSfen;
using testing_util::NewGame;

TEST(ApplyMove, EmptyMoveChangesNothing) {
  Position p = StartPosition();
  const Position before = p;
  EXPECT_EQ(ApplyMove(p, MoveRec{}, kPlayerSide), 0);
  EXPECT_EQ(p, before);
  EXPECT_EQ(ApplyMove(p, MoveRec{2, 6, 2, 5, 0, 0}, kPlayerSide), 1);
  EXPECT_EQ(p.Owner(2, 5), kPlayerSide);
  EXPECT_EQ(p.KindAt(2, 5), kPawn);
  EXPECT_EQ(p.Owner(2, 6), 0);
  EXPECT_EQ(p.KindAt(2, 6), 0);
}

TEST(ApplyMove, CapturesGoToTheMoversHandUnpromoted) {
  // A player silver next to a computer horse and a computer gold.
  Position p;
  p.Set(4, 4, kPlayerSide, kSilver);
  p.Set(4, 3, kComputerSide, kHorse);
  p.Set(3, 3, kComputerSide, kGold);
  ApplyMove(p, MoveRec{4, 4, 4, 3, 0, 0}, kPlayerSide);
  EXPECT_EQ(p.Hand(kPlayerSide, kBishop), 1);
  EXPECT_EQ(p.KindAt(4, 3), kSilver);
  ApplyMove(p, MoveRec{4, 3, 3, 3, 1, 0}, kPlayerSide);
  EXPECT_EQ(p.Hand(kPlayerSide, kGold), 1);
  EXPECT_EQ(p.KindAt(3, 3), kProSilver);
  EXPECT_EQ(p.Owner(3, 3), kPlayerSide);
}

TEST(ApplyMove, DropsAndCapturedKings) {
  Position p;
  p.SetHand(kComputerSide, kPawn, 2);
  ApplyMove(p, MoveRec{0, 0, 4, 4, 0, kPawn}, kComputerSide);
  EXPECT_EQ(p.a[221], 1);
  EXPECT_EQ(p.Owner(4, 4), kComputerSide);
  EXPECT_EQ(p.KindAt(4, 4), kPawn);
  // A taken king is booked in hand slot 8, past the seven kinds.
  p.Set(4, 3, kPlayerSide, kKing);
  ApplyMove(p, MoveRec{4, 4, 4, 3, 0, 0}, kComputerSide);
  EXPECT_EQ(p.a[228], 1);
  EXPECT_EQ(p.KindAt(4, 3), kPawn);
}

TEST(GameState, ResetGivesTheStartPosition) {
  auto gs = NewGame();
  gs->moveNumber = 7;
  gs->firstMover = 2;
  gs->level = 3;
  gs->gamePhase = 5;
  ResetGameState(*gs);
  const Position& p = gs->snapshot[0];
  int pieces = 0;
  for (int f = 0; f < 9; ++f)
    for (int r = 0; r < 9; ++r) pieces += p.Owner(f, r) != 0;
  EXPECT_EQ(pieces, 40);
  for (int i = 200; i < 240; ++i) EXPECT_EQ(p.a[i], 0) << i;
  EXPECT_EQ(p.KindAt(4, 0), kKing);
  EXPECT_EQ(p.Owner(4, 0), kComputerSide);
  EXPECT_EQ(p.KindAt(4, 8), kKing);
  EXPECT_EQ(p.Owner(4, 8), kPlayerSide);
  EXPECT_EQ(p.KindAt(1, 7), kBishop);
  EXPECT_EQ(p.KindAt(7, 7), kRook);
  EXPECT_EQ(p.KindAt(1, 1), kRook);
  EXPECT_EQ(p.KindAt(7, 1), kBishop);
  EXPECT_EQ(gs->moveNumber, 0);
  EXPECT_EQ(gs->firstMover, 1);
  EXPECT_EQ(gs->level, 1);
  EXPECT_EQ(gs->gamePhase, 0);
  EXPECT_EQ(p, FromSfen("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL"));
}

TEST(GameState, HistoryRecordsMovesAndNeverOverruns) {
  auto gs = NewGame();
  const MoveRec up{4, 8, 4, 7, 0, 0}, down{4, 7, 4, 8, 0, 0};
  const MoveRec cup{4, 0, 4, 1, 0, 0}, cdown{4, 1, 4, 0, 0, 0};
  int n = 0;
  while (CommitMove(*gs,
                    n % 4 == 0   ? up
                    : n % 4 == 1 ? cup
                    : n % 4 == 2 ? down
                                 : cdown,
                    n % 2 == 0 ? kPlayerSide : kComputerSide))
    ++n;
  EXPECT_EQ(n, kMaxMoves);
  EXPECT_EQ(gs->moveNumber, kMaxMoves);
  EXPECT_EQ(gs->moveRec[1], up);
  EXPECT_EQ(gs->snapshot[1].KindAt(4, 7), kKing);
  EXPECT_EQ(gs->snapshot[0], StartPosition());
  EXPECT_FALSE(CommitMove(*gs, up, kPlayerSide));
  EXPECT_EQ(gs->moveNumber, kMaxMoves);
}

TEST(Notation, SquaresFollowWhoMovesFirst) {
  int file = 0, rank = 0;
  InternalToUsi(1, 0, 0, file, rank);
  EXPECT_EQ(file * 10 + rank, 91);
  InternalToUsi(2, 0, 0, file, rank);
  EXPECT_EQ(file * 10 + rank, 19);
  for (int fm = 1; fm <= 2; ++fm)
    for (int f = 0; f < 9; ++f)
      for (int r = 0; r < 9; ++r) {
        int fi = -1, ri = -1;
        InternalToUsi(fm, f, r, file, rank);
        UsiToInternal(fm, file, rank, fi, ri);
        EXPECT_EQ(fi * 9 + ri, f * 9 + r);
      }
  EXPECT_EQ(MoveToUsi(MoveRec{2, 6, 2, 5, 0, 0}, 1), "7g7f");
  EXPECT_EQ(MoveToUsi(MoveRec{0, 0, 4, 4, 0, kBishop}, 2), "B*5e");
  EXPECT_EQ(MoveToUsi(MoveRec{7, 1, 1, 7, 1, 0}, 1), "2b8h+");
  EXPECT_EQ(*ParseUsiMove("2b8h+", 1), (MoveRec{7, 1, 1, 7, 1, 0}));
  EXPECT_EQ(*ParseUsiMove("P*5e", 2), (MoveRec{0, 0, 4, 4, 0, kPawn}));
  for (const char* bad : {"", "7g7", "7g7g", "0a1a", "7j7f", "K*5e", "p*5e", "7g7f=", "P*5e+"})
    EXPECT_FALSE(ParseUsiMove(bad, 1)) << bad;
}

TEST(Notation, SfenRoundTripsAndRejectsNonsense) {
  const std::string sfen =
      "ln1g3nl/1r1sk1gs1/p1pppp1pp/1p4p2/7P1/2P6/PP1PPPP1P/1SG4R1/LN2KGSNL b Bb 1";
  std::string err;
  auto p = ParseSfen("ln1g3nl/1r1sk1gs1/p1pppp1pp/1p4p2/7P1/2P6/PP1PPPP1P/1SG4R1/LN2KGSNL", "b",
                     "Bb", &err);
  ASSERT_TRUE(p) << err;
  EXPECT_EQ(ToSfen(*p) + " 1", sfen);
  for (int fm = 1; fm <= 2; ++fm)
    EXPECT_EQ(FromInternal(ToInternal(*p, fm), fm, p->sideToMove), *p);
  const char* bad[][3] = {
      {"lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1", "b", "-"},             // 8 ranks
      {"lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNLL", "b", "-"},  // long rank
      {"lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSN", "b", "-"},    // short rank
      {"lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL", "x", "-"},
      {"lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL", "b", "P"},  // 19 pawns
      {"lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSG+KGSNL", "b", "-"},
      {"lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGXGSNL", "b", "-"},
      {"P8/9/9/9/9/9/9/9/k7K", "b", "-"},  // a pawn that cannot move
      {"K8/9/9/9/9/9/9/9/k7K", "b", "-"},  // two kings
      {"4k4/9/9/9/9/9/9/9/4K4", "b", "3"},
      {"4k4/9/9/9/9/9/9/9/4K4", "b", "0P"},
  };
  for (auto& b : bad) EXPECT_FALSE(ParseSfen(b[0], b[1], b[2], &err)) << b[0] << " " << b[2];
}

}  // namespace
}  // namespace shogi
