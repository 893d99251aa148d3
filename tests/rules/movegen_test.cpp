// Move generation: order, promotion entries, drops and the line lists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shogi/rules/movegen.h"
#include "test_util.h"

namespace shogi {
namespace {

using testing_util::FromSfen;
using testing_util::NewGame;

std::vector<std::string> Generated(GameState& gs, const Position& p, int side, int fm = 1) {
  GenerateMoves(gs, p, side);
  std::vector<std::string> out;
  for (int i = 0; i < gs.moveListCount; ++i) out.push_back(MoveToUsi(gs.moveList[i].move, fm));
  return out;
}

TEST(Generate, StartPositionOrder) {
  auto gs = NewGame();
  const std::vector<std::string> moves = Generated(*gs, StartPosition(), kPlayerSide);
  // File-major squares; within a square the piece's own step order. The bishop and the
  // knights have no move yet.
  EXPECT_EQ(moves,
            (std::vector<std::string>{
                "9g9f", "9i9h", "8g8f", "7g7f", "7i7h", "7i6h", "6g6f", "6i6h", "6i5h", "6i7h",
                "5g5f", "5i5h", "5i6h", "5i4h", "4g4f", "4i4h", "4i3h", "4i5h", "3g3f", "3i3h",
                "3i4h", "2g2f", "2h1h", "2h3h", "2h4h", "2h5h", "2h6h", "2h7h", "1g1f", "1i1h"}));
  // Pawn moves in file order 0 to 8.
  std::vector<std::string> pawns;
  for (const auto& m : moves)
    if (m[1] == 'g' && m[3] == 'f') pawns.push_back(m);
  EXPECT_EQ(pawns, (std::vector<std::string>{"9g9f", "8g8f", "7g7f", "6g6f", "5g5f", "4g4f", "3g3f",
                                             "2g2f", "1g1f"}));
}

TEST(Generate, StepOrdersOfBothSides) {
  auto gs = NewGame();
  Position p;
  p.Set(4, 4, kPlayerSide, kSilver);
  GenerateMoves(*gs, p, kPlayerSide);
  std::vector<std::pair<int, int>> got;
  for (int i = 0; i < gs->moveListCount; ++i)
    got.push_back({gs->moveList[i].move.toFile - 4, gs->moveList[i].move.toRank - 4});
  EXPECT_EQ(got, (std::vector<std::pair<int, int>>{{0, -1}, {-1, -1}, {1, -1}, {-1, 1}, {1, 1}}));
  p.Set(4, 4, kComputerSide, kGold);
  GenerateMoves(*gs, p, kComputerSide);
  got.clear();
  for (int i = 0; i < gs->moveListCount; ++i)
    got.push_back({gs->moveList[i].move.toFile - 4, gs->moveList[i].move.toRank - 4});
  EXPECT_EQ(got,
            (std::vector<std::pair<int, int>>{{0, 1}, {-1, 1}, {1, 1}, {1, 0}, {-1, 0}, {0, -1}}));
  p.Set(4, 4, kPlayerSide, kProKnight);
  GenerateMoves(*gs, p, kPlayerSide);
  got.clear();
  for (int i = 0; i < gs->moveListCount; ++i)
    got.push_back({gs->moveList[i].move.toFile - 4, gs->moveList[i].move.toRank - 4});
  EXPECT_EQ(
      got, (std::vector<std::pair<int, int>>{{0, -1}, {1, -1}, {-1, -1}, {1, 0}, {-1, 0}, {0, 1}}));
  p.Set(4, 4, kComputerSide, kKing);
  GenerateMoves(*gs, p, kComputerSide);
  got.clear();
  for (int i = 0; i < gs->moveListCount; ++i)
    got.push_back({gs->moveList[i].move.toFile - 4, gs->moveList[i].move.toRank - 4});
  EXPECT_EQ(got, (std::vector<std::pair<int, int>>{
                     {0, 1}, {1, 0}, {-1, 0}, {0, -1}, {-1, 1}, {1, 1}, {-1, -1}, {1, -1}}));
}

TEST(Generate, PromotionEntries) {
  auto gs = NewGame();
  struct Case {
    int side, kind, f, r;
    std::vector<std::string> moves;  // as (toRank, promote) pairs "r+p"
  };
  auto entries = [&](int side, int kind, int f, int r, int blockRank) {
    Position p;
    p.Set(f, r, side, kind);
    if (blockRank >= 0) p.Set(f, blockRank, side, kGold);  // stops file slides
    GenerateMoves(*gs, p, side);
    std::vector<std::string> out;
    for (int i = 0; i < gs->moveListCount; ++i) {
      const MoveRec& m = gs->moveList[i].move;
      if (m.fromFile != f || m.fromRank != r) continue;
      out.push_back(std::to_string(m.toFile) + std::to_string(m.toRank) +
                    (m.promote == 1 ? "+" : ""));
    }
    return out;
  };
  // Computer lance: rank 6 both entries, 7 and 8 promoting only.
  EXPECT_EQ(entries(kComputerSide, kLance, 0, 4, -1),
            (std::vector<std::string>{"05", "06", "06+", "07+", "08+"}));
  // Player pawn entering the zone: promoting only.
  EXPECT_EQ(entries(kPlayerSide, kPawn, 3, 3, -1), (std::vector<std::string>{"32+"}));
  // Knight: first zone rank both, last two ranks promoting only.
  EXPECT_EQ(entries(kPlayerSide, kKnight, 4, 4, -1),
            (std::vector<std::string>{"52", "52+", "32", "32+"}));
  EXPECT_EQ(entries(kPlayerSide, kKnight, 4, 3, -1), (std::vector<std::string>{"51+", "31+"}));
  // A silver leaving the zone backward: both entries; a bishop: the promoting one only.
  EXPECT_EQ(
      entries(kPlayerSide, kSilver, 4, 2, -1),
      (std::vector<std::string>{"41", "41+", "31", "31+", "51", "51+", "33", "33+", "53", "53+"}));
  const auto bishop = entries(kPlayerSide, kBishop, 0, 2, -1);
  EXPECT_EQ(bishop.front(), "11+");
  for (const auto& m : bishop) EXPECT_EQ(m.back(), '+') << m;
  // A rook outside the zone moving inside it: only promoting entries there.
  const auto rook = entries(kComputerSide, kRook, 4, 4, -1);
  EXPECT_EQ(rook[0], "45");
  EXPECT_EQ(rook[1], "46+");
  EXPECT_EQ(rook[4], "43");
}

TEST(Generate, DropRules) {
  auto gs = NewGame();
  // Player with pawn, lance, knight in hand; own pawn on file 5, promoted pawn on file 4.
  const Position p = FromSfen("4k4/9/9/9/4P4/9/3+P5/9/4K4", "PLN");
  GenerateMoves(*gs, p, kPlayerSide);
  bool pawnOn5 = false, pawnOn6 = false, pawnRank1 = false, lanceRank1 = false, knightRank2 = false,
       knightRank3 = false;
  int drops = 0;
  for (int i = 0; i < gs->moveListCount; ++i) {
    const MoveRec& m = gs->moveList[i].move;
    if (m.dropKind == 0) continue;
    ++drops;
    EXPECT_EQ(m.fromFile, 0);
    EXPECT_EQ(m.fromRank, 0);
    EXPECT_EQ(m.promote, 0);
    const std::string u = MoveToUsi(m, 1);
    pawnOn5 |= m.dropKind == kPawn && u[2] == '5';
    pawnOn6 |= m.dropKind == kPawn && u[2] == '6';
    pawnRank1 |= m.dropKind == kPawn && u[3] == 'a';
    lanceRank1 |= m.dropKind == kLance && u[3] == 'a';
    knightRank2 |= m.dropKind == kKnight && u[3] == 'b';
    knightRank3 |= m.dropKind == kKnight && u[3] == 'c';
  }
  EXPECT_FALSE(pawnOn5);
  EXPECT_TRUE(pawnOn6);  // a promoted pawn does not count
  EXPECT_FALSE(pawnRank1);
  EXPECT_FALSE(lanceRank1);
  EXPECT_FALSE(knightRank2);
  EXPECT_TRUE(knightRank3);
  // 77 empty squares: pawns on 7 free files x 8 ranks plus 7 on file 6, lances everywhere
  // but rank a (8 empty there), knights everywhere but ranks a and b (8 + 9 empty).
  EXPECT_EQ(drops, 7 * 8 + 7 + (77 - 8) + (77 - 17));
  // Drops of one square come in ascending kind order, after nothing else on that square.
  GenerateMoves(*gs, FromSfen("4k4/9/9/9/9/9/9/9/4K4", "RBGSNLP"), kPlayerSide);
  std::vector<int> kinds;
  for (int i = 0; i < gs->moveListCount; ++i)
    if (gs->moveList[i].move.toFile == 0 && gs->moveList[i].move.toRank == 4)
      kinds.push_back(gs->moveList[i].move.dropKind);
  EXPECT_EQ(kinds, (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
}

TEST(Generate, LinesBetweenASliderAndAnEnemyPiece) {
  auto gs = NewGame();
  Position p;
  p.Set(4, 8, kPlayerSide, kRook);
  p.Set(4, 4, kComputerSide, kSilver);
  p.Set(7, 8, kComputerSide, kKing);
  p.Set(5, 8, kPlayerSide, kGold);  // blocks the way to the king
  gs->lineCount = 0;
  GeneratePieceMoves(*gs, p, kPlayerSide, 4, 8);
  ASSERT_EQ(gs->lineCount, 3);
  for (int i = 0; i < 3; ++i) {
    const ListEntry& l = gs->lineList[i];
    EXPECT_EQ(l.move.fromFile, 4);
    EXPECT_EQ(l.move.fromRank, 4);
    EXPECT_EQ(l.move.toFile, 4);
    EXPECT_EQ(l.move.toRank, 7 - i);  // from the slider outward
    EXPECT_EQ(l.value, kPieceRank[kSilver]);
  }
  // Adjacent enemy: no square between, no line.
  p.Set(4, 7, kComputerSide, kPawn);
  gs->lineCount = 0;
  GeneratePieceMoves(*gs, p, kPlayerSide, 4, 8);
  EXPECT_EQ(gs->lineCount, 0);
}

}  // namespace
}  // namespace shogi
