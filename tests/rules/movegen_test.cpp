// Move generation: order, promotion entries, drops and the line lists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shogi/rules/movegen.h"
#include "test_util.h"

namespace shogi {
namespace {

using testing_util::FromSfen;
using Strings = std::vector<std::string>;

TEST(Generate, StartPositionOrder) {
  auto gs = testing_util::NewGame();
  GenerateMoves(*gs, StartPosition(), kPlayerSide);
  Strings moves;
  for (int i = 0; i < gs->moveListCount; ++i) moves.push_back(MoveToUsi(gs->moveList[i].move, 1));
  // File-major squares; within a square the piece's own step order.
  EXPECT_EQ(moves, (Strings{"9g9f", "9i9h", "8g8f", "7g7f", "7i7h", "7i6h", "6g6f", "6i6h",
                            "6i5h", "6i7h", "5g5f", "5i5h", "5i6h", "5i4h", "4g4f", "4i4h",
                            "4i3h", "4i5h", "3g3f", "3i3h", "3i4h", "2g2f", "2h1h", "2h3h",
                            "2h4h", "2h5h", "2h6h", "2h7h", "1g1f", "1i1h"}));
}

// The moves of one piece on (f, r) of an empty board (a friendly gold on blockRank, when
// given, stops slides along the file), written "<toFile><toRank>" and "+" when promoting.
Strings PieceMoves(int side, int kind, int f, int r, int blockRank = -1) {
  auto gs = testing_util::NewGame();
  Position p;
  p.Set(f, r, side, kind);
  if (blockRank >= 0) p.Set(f, blockRank, side, kGold);
  GenerateMoves(*gs, p, side);
  Strings out;
  for (int i = 0; i < gs->moveListCount; ++i) {
    const MoveRec& m = gs->moveList[i].move;
    if (m.fromFile == f && m.fromRank == r)
      out.push_back(std::to_string(m.toFile) + std::to_string(m.toRank) + (m.promote ? "+" : ""));
  }
  return out;
}

TEST(Generate, StepOrdersAndPromotionEntries) {
  struct Case {
    int side, kind, f, r, block;
    Strings moves;
  };
  const int P = kPlayerSide, C = kComputerSide;
  const Case cases[] = {
      {P, kSilver, 4, 4, -1, {"43", "33", "53", "35", "55"}},
      {C, kGold, 4, 4, -1, {"45", "35", "55", "54", "34", "43"}},
      {P, kProKnight, 4, 4, -1, {"43", "53", "33", "54", "34", "45"}},
      {C, kKing, 4, 4, -1, {"45", "54", "34", "43", "35", "55", "33", "53"}},
      {C, kHorse, 4, 4, -1, {"33", "22", "11", "00", "53", "62", "71", "80", "35", "26",
                             "17", "08", "55", "66", "77", "88", "45", "54", "34", "43"}},
      // A lance: both entries on the zone's first rank, promoting only on the last two.
      {C, kLance, 0, 4, -1, {"05", "06", "06+", "07+", "08+"}},
      {P, kPawn, 3, 3, -1, {"32+"}},
      {P, kKnight, 4, 4, -1, {"52", "52+", "32", "32+"}},
      {P, kKnight, 4, 3, -1, {"51+", "31+"}},
      // A silver leaving the zone backward may promote too.
      {P, kSilver, 4, 2, -1, {"41", "41+", "31", "31+", "51", "51+", "33", "33+", "53", "53+"}},
      // A rook promotes when it starts or ends in the zone: only the promoting entry then.
      {C,
       kRook,
       4,
       4,
       7,
       {"45", "46+", "43", "42", "41", "40", "54", "64", "74", "84", "34", "24", "14", "04"}},
      {P, kBishop, 0, 2, -1, {"11+", "20+", "13+", "24+", "35+", "46+", "57+", "68+"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PieceMoves(c.side, c.kind, c.f, c.r, c.block), c.moves)
        << "side " << c.side << " kind " << c.kind;
}

TEST(Generate, DropRules) {
  auto gs = testing_util::NewGame();
  // Pawn, lance and knight in hand; an own pawn on file 5, a promoted one on file 6.
  GenerateMoves(*gs, FromSfen("4k4/9/9/9/4P4/9/3+P5/9/4K4", "PLN"), kPlayerSide);
  Strings pawns, lances, knights;
  for (int i = 0; i < gs->moveListCount; ++i) {
    const MoveRec& m = gs->moveList[i].move;
    if (m.dropKind == 0) continue;
    EXPECT_EQ(m.fromFile + m.fromRank + m.promote, 0);
    const std::string to = MoveToUsi(m, 1).substr(2);
    (m.dropKind == kPawn ? pawns : m.dropKind == kLance ? lances : knights).push_back(to);
  }
  auto any = [](const Strings& s, char file, char rank) {
    for (const std::string& t : s)
      if ((file == 0 || t[0] == file) && (rank == 0 || t[1] == rank)) return true;
    return false;
  };
  EXPECT_FALSE(any(pawns, '5', 0));
  EXPECT_TRUE(any(pawns, '6', 0));
  EXPECT_FALSE(any(pawns, 0, 'a'));
  EXPECT_FALSE(any(lances, 0, 'a'));
  EXPECT_FALSE(any(knights, 0, 'b'));
  EXPECT_TRUE(any(knights, 0, 'c'));
  // 77 empty squares: pawns on 7 free files x 8 ranks plus 7 on file 6; lances but on rank a
  // (8 empty there); knights but on ranks a and b (8 + 9 empty).
  EXPECT_EQ(pawns.size(), 7u * 8 + 7);
  EXPECT_EQ(lances.size(), 77u - 8);
  EXPECT_EQ(knights.size(), 77u - 17);
  // The drops on one square in ascending kind order.
  GenerateMoves(*gs, FromSfen("4k4/9/9/9/9/9/9/9/4K4", "RBGSNLP"), kPlayerSide);
  std::vector<int> kinds;
  for (int i = 0; i < gs->moveListCount; ++i)
    if (gs->moveList[i].move.toFile == 0 && gs->moveList[i].move.toRank == 4)
      kinds.push_back(gs->moveList[i].move.dropKind);
  EXPECT_EQ(kinds, (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
}

TEST(Generate, LinesBetweenASliderAndAnEnemyPiece) {
  auto gs = testing_util::NewGame();
  Position p = FromSfen("9/9/9/9/4s4/9/9/9/4RG1k1");
  gs->lineCount = 0;
  GeneratePieceMoves(*gs, p, kPlayerSide, 4, 8);
  ASSERT_EQ(gs->lineCount, 3);  // toward the silver; the gold blocks the way to the king
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(gs->lineList[i].move, (MoveRec{4, 4, 4, 7 - i, 0, 0}));  // from the slider out
    EXPECT_EQ(gs->lineList[i].value, kPieceRank[kSilver]);
  }
  p.Set(4, 7, kComputerSide, kPawn);  // an adjacent enemy: no square between, no line
  gs->lineCount = 0;
  GeneratePieceMoves(*gs, p, kPlayerSide, 4, 8);
  EXPECT_EQ(gs->lineCount, 0);
}

}  // namespace
}  // namespace shogi
