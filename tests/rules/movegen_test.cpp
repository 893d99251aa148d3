// The order and promotion entries of generated moves, and the continuations of attack maps
// (both also feed the analysis signature; these tables name the rule a change breaks).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shogi/rules/attacks.h"
#include "shogi/rules/movegen.h"
#include "test_util.h"

namespace shogi {
namespace {

using Strings = std::vector<std::string>;

// The moves of one piece on (f, r) of an empty board (a friendly gold on blockRank, when
// given, stops slides along the file), written "<toFile><toRank>" and "+" when promoting.
Strings PieceMoves(int side, int kind, int f, int r, int blockRank) {
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
  const int P = kPlayerSide, C = kComputerSide;
  const struct {
    int side, kind, f, r, block;
    Strings moves;
  } cases[] = {
      {P, kSilver, 4, 4, -1, {"43", "33", "53", "35", "55"}},
      {C, kGold, 4, 4, -1, {"45", "35", "55", "54", "34", "43"}},
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
  };
  for (const auto& c : cases)
    EXPECT_EQ(PieceMoves(c.side, c.kind, c.f, c.r, c.block), c.moves)
        << "side " << c.side << " kind " << c.kind;
}

// A slide runs on through one friendly slider of its line and covers one square beyond a
// friendly piece that steps along the line.
TEST(AttackMap, ContinuationsBeyondFriendlyPieces) {
  const struct {
    int slider, frontKind, df, dr, beyond;  // the front piece next to the slider at (df, dr)
  } cases[] = {
      {kRook, kGold, 0, -1, 1},       {kRook, kProSilver, 0, -1, 1}, {kRook, kSilver, 0, -1, 1},
      {kRook, kSilver, 1, 0, 0},      {kRook, kGold, 1, 0, 1},       {kRook, kPawn, 0, -1, 1},
      {kRook, kPawn, 0, 1, 0},        {kRook, kGold, 0, 1, 1},       {kRook, kKing, 0, -1, 0},
      {kRook, kKnight, 0, -1, 0},     {kRook, kProPawn, -1, 0, 1},   {kRook, kBishop, 0, -1, 0},
      {kBishop, kProPawn, -1, -1, 0}, {kBishop, kSilver, -1, 1, 1},  {kBishop, kGold, -1, -1, 1},
      {kBishop, kGold, -1, 1, 0},     {kBishop, kDragon, 1, 1, 1},   {kBishop, kKing, 1, -1, 0},
      {kRook, kRook, 0, -1, 8},       {kRook, kLance, 0, -1, 8},     {kLance, kRook, 0, -1, 8},
      {kLance, kLance, 0, -1, 8},     {kBishop, kHorse, 1, 1, 8},    {kRook, kDragon, 1, 0, 8},
  };
  for (int side : {kPlayerSide, kComputerSide}) {
    const int turn = side == kPlayerSide ? 1 : -1;  // the computer's forward is +1 rank
    for (const auto& c : cases) {
      Position p;
      p.Set(4, 4, side, c.slider);
      p.Set(4 + c.df, 4 + c.dr * turn, side, c.frontKind);
      p.Set(4 + 3 * c.df, 4 + 3 * c.dr * turn, side, kRook);  // not run through a second time
      AttackMap m;
      AddPieceAttacks(p, side, 4, 4, m);
      const int beyond = c.beyond == 8 ? 1 : c.beyond;
      EXPECT_EQ(m.counts[Sq(4 + 2 * c.df, 4 + 2 * c.dr * turn)], beyond)
          << "side " << side << " kind " << c.frontKind << " at " << c.df << "," << c.dr;
      EXPECT_EQ(m.byKind[Sq(4 + 3 * c.df, 4 + 3 * c.dr * turn)][c.slider], c.beyond == 8);
      EXPECT_EQ(m.counts[Sq(4 + 4 * c.df, 4 + 4 * c.dr * turn)], 0);
    }
  }
}

}  // namespace
}  // namespace shogi
