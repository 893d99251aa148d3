// Attack maps with their continuations, and the piece list.
#include <gtest/gtest.h>

#include <memory>

#include "shogi/rules/attacks.h"
#include "test_util.h"

namespace shogi {
namespace {

// Attacks of the single piece on (f, r), as counts per square.
AttackMap PieceMap(const Position& p, int f, int r) {
  AttackMap m;
  AddPieceAttacks(p, p.Owner(f, r), f, r, m);
  return m;
}

TEST(AttackMap, StartPositionRookStopsAtItsBishopAndSeesPastItsPawn) {
  const Position p = StartPosition();
  const AttackMap m = PieceMap(p, 7, 7);
  for (int f = 1; f <= 6; ++f) EXPECT_EQ(m.byKind[Sq(f, 7)][kRook], 1) << f;
  EXPECT_EQ(m.counts[Sq(8, 7)], 1);
  EXPECT_EQ(m.counts[Sq(0, 7)], 0);  // behind its own bishop
  EXPECT_EQ(m.counts[Sq(7, 6)], 1);  // its pawn
  EXPECT_EQ(m.counts[Sq(7, 5)], 1);  // the square the pawn covers
  EXPECT_EQ(m.counts[Sq(7, 4)], 0);
  EXPECT_EQ(m.counts[Sq(7, 8)], 1);  // its knight
  int total = 0;
  for (int c : m.counts) total += c;
  EXPECT_EQ(total, 10);
}

TEST(AttackMap, SlidesRunThroughOneFriendlySlider) {
  Position p;
  p.Set(4, 4, kPlayerSide, kRook);
  p.Set(4, 3, kPlayerSide, kRook);
  p.Set(4, 1, kComputerSide, kPawn);
  AttackMap m;
  BuildAttackMap(p, kPlayerSide, m);
  EXPECT_EQ(m.counts[Sq(4, 2)], 2);
  EXPECT_EQ(m.byKind[Sq(4, 2)][kRook], 2);
  EXPECT_EQ(m.counts[Sq(4, 1)], 2);
  EXPECT_EQ(m.counts[Sq(4, 0)], 0);

  // Rook, lance, lance toward the enemy: both lances counted, nothing beyond.
  Position q;
  q.Set(4, 6, kPlayerSide, kRook);
  q.Set(4, 5, kPlayerSide, kLance);
  q.Set(4, 4, kPlayerSide, kLance);
  const AttackMap r = PieceMap(q, 4, 6);
  EXPECT_EQ(r.counts[Sq(4, 5)], 1);
  EXPECT_EQ(r.counts[Sq(4, 4)], 1);
  EXPECT_EQ(r.counts[Sq(4, 3)], 0);
  // A lance carries only the forward file slide: behind the rook nothing runs on.
  q.Set(4, 7, kPlayerSide, kLance);
  EXPECT_EQ(PieceMap(q, 4, 6).counts[Sq(4, 8)], 0);
  // The lance's own slide runs through a rook in front of it.
  Position l;
  l.Set(0, 0, kComputerSide, kLance);
  l.Set(0, 2, kComputerSide, kRook);
  const AttackMap lm = PieceMap(l, 0, 0);
  EXPECT_EQ(lm.counts[Sq(0, 1)], 1);
  EXPECT_EQ(lm.counts[Sq(0, 2)], 1);
  EXPECT_EQ(lm.counts[Sq(0, 8)], 1);
  EXPECT_EQ(lm.byKind[Sq(0, 8)][kLance], 1);
}

TEST(AttackMap, OneStepBeyondAStepPiece) {
  struct Case {
    int frontKind, df, dr, beyond;
  };
  // The player's rook on (4, 4); the friendly piece next to it in direction (df, dr).
  const Case cases[] = {
      {kGold, 0, -1, 1}, {kProSilver, 0, -1, 1}, {kSilver, 0, -1, 1},  {kSilver, 1, 0, 0},
      {kGold, 1, 0, 1},  {kPawn, 0, -1, 1},      {kPawn, 0, 1, 0},     {kGold, 0, 1, 1},
      {kKing, 0, -1, 0}, {kKnight, 0, -1, 0},    {kProPawn, -1, 0, 1}, {kBishop, 0, -1, 0},
  };
  for (const Case& c : cases) {
    Position p;
    p.Set(4, 4, kPlayerSide, kRook);
    p.Set(4 + c.df, 4 + c.dr, kPlayerSide, c.frontKind);
    const AttackMap m = PieceMap(p, 4, 4);
    EXPECT_EQ(m.counts[Sq(4 + c.df, 4 + c.dr)], 1) << c.frontKind;
    EXPECT_EQ(m.counts[Sq(4 + 2 * c.df, 4 + 2 * c.dr)], c.beyond)
        << "kind " << c.frontKind << " at " << c.df << "," << c.dr;
  }
  // Diagonals: promoted minor pieces do not extend a bishop's slide; silver, gold (forward
  // only), bishop and dragon do.
  const Case diagonal[] = {{kProPawn, -1, -1, 0}, {kSilver, -1, 1, 1}, {kGold, -1, -1, 1},
                           {kGold, -1, 1, 0},     {kDragon, 1, 1, 1},  {kKing, 1, -1, 0}};
  for (const Case& c : diagonal) {
    Position p;
    p.Set(4, 4, kPlayerSide, kBishop);
    p.Set(4 + c.df, 4 + c.dr, kPlayerSide, c.frontKind);
    const AttackMap m = PieceMap(p, 4, 4);
    EXPECT_EQ(m.counts[Sq(4 + 2 * c.df, 4 + 2 * c.dr)], c.beyond) << c.frontKind;
  }
  // The same directions are relative to the side: the computer's forward is +1 rank.
  Position c;
  c.Set(4, 4, kComputerSide, kRook);
  c.Set(4, 5, kComputerSide, kPawn);
  EXPECT_EQ(PieceMap(c, 4, 4).counts[Sq(4, 6)], 1);
  c.Set(4, 5, kEmpty, kEmpty);
  c.Set(4, 3, kComputerSide, kPawn);
  EXPECT_EQ(PieceMap(c, 4, 4).counts[Sq(4, 2)], 0);
}

TEST(AttackMap, EnemyPieceEndsTheSlide) {
  Position p;
  p.Set(4, 4, kPlayerSide, kRook);
  p.Set(4, 3, kComputerSide, kGold);
  const AttackMap m = PieceMap(p, 4, 4);
  EXPECT_EQ(m.counts[Sq(4, 3)], 1);
  EXPECT_EQ(m.counts[Sq(4, 2)], 0);
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
  // The rook counted twice (once as the piece, once as a slider), plus the lance's slide.
  EXPECT_EQ(m.counts[Sq(7, 5)], 2);
  EXPECT_EQ(m.counts[Sq(0, 7)], 1);  // only the lance on (0, 8)
  AttackMap s;
  BuildSliderAttackMap(p, kComputerSide, s);
  EXPECT_EQ(s.byKind[Sq(0, 1)][kLance], 1);
  EXPECT_EQ(s.byKind[Sq(4, 2)][kPawn], 0);
}

TEST(PieceList, BoardFirstThenHands) {
  auto gs = testing_util::NewGame();
  Position p = StartPosition();
  BuildPieceList(*gs, p);
  for (const auto& e : gs->pieceList) EXPECT_LT(e.fileIndex, 9);
  EXPECT_EQ(gs->pieceList[0].kind, kLance);
  EXPECT_EQ(gs->pieceList[0].owner, kComputerSide);
  EXPECT_EQ(gs->pieceList[39].kind, kLance);
  EXPECT_EQ(gs->pieceList[39].owner, kPlayerSide);
  ApplyMove(p, MoveRec{2, 6, 2, 5, 0, 0}, kPlayerSide);
  ApplyMove(p, MoveRec{6, 2, 6, 3, 0, 0}, kComputerSide);
  ApplyMove(p, MoveRec{1, 7, 7, 1, 0, 0}, kPlayerSide);    // bishop takes bishop
  ApplyMove(p, MoveRec{6, 0, 7, 1, 0, 0}, kComputerSide);  // silver takes back
  BuildPieceList(*gs, p);
  EXPECT_EQ(gs->pieceList[38].kind, kBishop);
  EXPECT_EQ(gs->pieceList[38].owner, kPlayerSide);
  EXPECT_EQ(gs->pieceList[38].fileIndex, 9);
  EXPECT_EQ(gs->pieceList[39].owner, kComputerSide);
  EXPECT_EQ(gs->pieceList[39].rankIndex, 9);
  EXPECT_EQ(gs->pieceList[37].fileIndex, 8);
}

}  // namespace
}  // namespace shogi
