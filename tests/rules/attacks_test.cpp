// The continuations of attack maps, kind by kind (the analysis signature misses some of them).
#include <gtest/gtest.h>

#include "shogi/rules/attacks.h"

namespace shogi {
namespace {

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
      {kRook, kProSilver, 1, 0, 1},   {kBishop, kDragon, 1, -1, 1},
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
