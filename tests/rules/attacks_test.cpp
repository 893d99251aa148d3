// Attack maps with their continuations, and the piece list. Boards are SFEN with black = the
// player; column j of row i is the square (fileIndex j, rankIndex i).
#include <gtest/gtest.h>

#include <vector>

#include "shogi/rules/attacks.h"
#include "test_util.h"

namespace shogi {
namespace {

using testing_util::FromSfen;

AttackMap PieceMap(const Position& p, int f, int r) {
  AttackMap m;
  AddPieceAttacks(p, p.Owner(f, r), f, r, m);
  return m;
}

struct Count {
  int f, r, count;
};

// The attacks of the one piece on (f, r) on some squares; total: the sum over the board, or -1.
TEST(AttackMap, SlidesRunThroughOneFriendlySliderAndStopAtEnemies) {
  struct Case {
    const char* why;
    const char* sfen;
    int f, r, total;
    std::vector<Count> counts;
  };
  const Case cases[] = {
      {"the start position's rook sees past its pawn, not past its bishop",
       "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL",
       7,
       7,
       10,
       {{1, 7, 1}, {6, 7, 1}, {8, 7, 1}, {0, 7, 0}, {7, 6, 1}, {7, 5, 1}, {7, 4, 0}, {7, 8, 1}}},
      {"a rook through the rook before it",
       "9/9/9/4p4/4R4/4R4/9/9/9",
       4,
       5,
       -1,
       {{4, 4, 1}, {4, 3, 1}, {4, 2, 0}}},
      {"through one lance only",
       "9/9/9/9/4L4/4L4/4R4/4L4/9",
       4,
       6,
       -1,
       {{4, 5, 1}, {4, 4, 1}, {4, 3, 0}, {4, 8, 0}}},
      {"a lance through a rook", "l8/9/r8/9/9/9/9/9/9", 0, 0, 8, {{0, 1, 1}, {0, 2, 1}, {0, 8, 1}}},
      {"an enemy piece ends the slide", "9/9/9/4g4/4R4/9/9/9/9", 4, 4, -1, {{4, 3, 1}, {4, 2, 0}}},
  };
  for (const Case& c : cases) {
    const Position p = FromSfen(c.sfen);
    const AttackMap m = PieceMap(p, c.f, c.r);
    for (const Count& k : c.counts) {
      EXPECT_EQ(m.counts[Sq(k.f, k.r)], k.count) << c.why << " at " << k.f << "," << k.r;
      EXPECT_EQ(m.byKind[Sq(k.f, k.r)][p.KindAt(c.f, c.r)], k.count) << c.why;
    }
    int total = 0;
    for (int n : m.counts) total += n;
    if (c.total >= 0) {
      EXPECT_EQ(total, c.total) << c.why;
    }
  }
  // Both rooks of the second board count on the squares they share.
  AttackMap both;
  BuildAttackMap(FromSfen("9/9/9/9/4R4/4R4/9/9/9"), kPlayerSide, both);
  EXPECT_EQ(both.byKind[Sq(4, 3)][kRook], 2);
}

TEST(AttackMap, OneStepBeyondAStepPiece) {
  struct Case {
    int slider, frontKind, df, dr, beyond;
  };
  // The player's slider on (4, 4); its own piece next to it in direction (df, dr).
  const Case cases[] = {
      {kRook, kGold, 0, -1, 1},       {kRook, kProSilver, 0, -1, 1}, {kRook, kSilver, 0, -1, 1},
      {kRook, kSilver, 1, 0, 0},      {kRook, kGold, 1, 0, 1},       {kRook, kPawn, 0, -1, 1},
      {kRook, kPawn, 0, 1, 0},        {kRook, kGold, 0, 1, 1},       {kRook, kKing, 0, -1, 0},
      {kRook, kKnight, 0, -1, 0},     {kRook, kProPawn, -1, 0, 1},   {kRook, kBishop, 0, -1, 0},
      {kBishop, kProPawn, -1, -1, 0}, {kBishop, kSilver, -1, 1, 1},  {kBishop, kGold, -1, -1, 1},
      {kBishop, kGold, -1, 1, 0},     {kBishop, kDragon, 1, 1, 1},   {kBishop, kKing, 1, -1, 0},
  };
  for (int side : {kPlayerSide, kComputerSide}) {
    const int turn = side == kPlayerSide ? 1 : -1;  // the computer's forward is +1 rank
    for (const Case& c : cases) {
      Position p;
      p.Set(4, 4, side, c.slider);
      p.Set(4 + c.df, 4 + c.dr * turn, side, c.frontKind);
      const AttackMap m = PieceMap(p, 4, 4);
      EXPECT_EQ(m.counts[Sq(4 + c.df, 4 + c.dr * turn)], 1);
      EXPECT_EQ(m.counts[Sq(4 + 2 * c.df, 4 + 2 * c.dr * turn)], c.beyond)
          << "side " << side << " kind " << c.frontKind << " at " << c.df << "," << c.dr;
    }
  }
}

TEST(AttackMap, BuildersClearWhatTheySay) {
  const Position p = StartPosition();
  AttackMap m;
  m.counts.fill(5);
  m.byKind[0][1] = 9;
  BuildPieceAttackMap(p, kPlayerSide, m, 7, 7);
  EXPECT_EQ(m.counts[Sq(0, 0)], 0);
  EXPECT_EQ(m.counts[Sq(7, 5)], 1);
  EXPECT_EQ(m.byKind[0][1], 9);  // byKind is the caller's business
  BuildPieceAndSliderMap(p, kPlayerSide, m, 7, 7);
  EXPECT_EQ(m.counts[Sq(7, 5)], 2);  // the rook as the piece and as a slider
  EXPECT_EQ(m.counts[Sq(0, 7)], 1);  // the lance on (0, 8)
  AttackMap s;
  BuildSliderAttackMap(p, kComputerSide, s);
  EXPECT_EQ(s.byKind[Sq(0, 1)][kLance], 1);
  EXPECT_EQ(s.byKind[Sq(4, 2)][kPawn], 0);
}

TEST(PieceList, BoardFileByFileThenHandsKindByKind) {
  auto gs = testing_util::NewGame();
  BuildPieceList(*gs, FromSfen("4k4/9/9/9/9/9/9/1G7/4K4", "Pbr"));
  struct Entry {
    int owner, kind, f, r;
  };
  const Entry expected[] = {{kPlayerSide, kGold, 1, 7},     {kComputerSide, kKing, 4, 0},
                            {kPlayerSide, kKing, 4, 8},     {kPlayerSide, kPawn, 9, 9},
                            {kComputerSide, kBishop, 9, 9}, {kComputerSide, kRook, 9, 9},
                            {kNoSide, kEmpty, 0, 0}};
  for (int i = 0; i < 7; ++i) {
    const PieceListEntry& e = gs->pieceList[i];
    EXPECT_EQ((std::vector<int>{e.owner, e.kind, e.fileIndex, e.rankIndex}),
              (std::vector<int>{expected[i].owner, expected[i].kind, expected[i].f, expected[i].r}))
        << i;
  }
  BuildPieceList(*gs, StartPosition());
  EXPECT_EQ(gs->pieceList[39].owner, kPlayerSide);  // all 40 on the board
  EXPECT_EQ(gs->pieceList[39].fileIndex, 8);
}

}  // namespace
}  // namespace shogi
