// The valuation of moves, and the evasions of a check with their values. Which moves are
// legal is compared with a reference program in reference_test.cpp; everything the analysis
// produces on many positions is fingerprinted in signature_test.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "test_util.h"

namespace shogi {
namespace {

using testing_util::Find;
using testing_util::FromSfen;
using testing_util::Gains;
using testing_util::LegalUsi;
using testing_util::NewGame;

// Analyses the player's (black's) moves of a position.
struct Analysed {
  std::unique_ptr<GameState> gs = NewGame();
  Position pos;
  Analysed(const std::string& board, const std::string& hands = "-", int ply = 0, int phase = 0,
           int level = 1) {
    pos = FromSfen(board, hands);
    gs->gamePhase = phase;
    gs->level = level;
    AnalyzeMoves(*gs, pos, kPlayerSide, ply);
  }
  const MoveEntry& operator[](const std::string& usi) const {
    const MoveEntry* e = Find(*gs, usi);
    EXPECT_NE(e, nullptr) << usi << " not generated";
    static const MoveEntry none;
    return e ? *e : none;
  }
  std::set<std::string> Legal() const {
    const auto v = LegalUsi(*gs);
    return {v.begin(), v.end()};
  }
};

TEST(Valuation, CapturesOnContestedSquares) {
  // A rook taking a pawn that a gold defends: rejected; beyond the level its gains are gone.
  const char* board = "4k4/6g2/7p1/9/7R1/9/9/9/4K4";
  const Analysed shallow(board);
  EXPECT_EQ(shallow["2e2c+"].value, kLossScore);
  EXPECT_EQ(shallow["2e2c+"].illegal, 0);
  EXPECT_EQ(Gains(shallow["2e2c+"]), std::vector<int>{79});
  const Analysed deep(board, "-", 2);
  EXPECT_EQ(deep["2e2c+"].value, kLossScore);
  EXPECT_TRUE(Gains(deep["2e2c+"]).empty());

  // A silver taking a gold on a square of balance 0 at ply 0: kept (89 is not below 87 - 6).
  const Analysed silver("4k4/9/9/5s3/4g4/4S4/9/9/4K4");
  const MoveEntry& e = silver["5f5e"];
  EXPECT_EQ(Gains(e), (std::vector<int>{89, 86, 86, 67}));  // capture, threat, escape, attack
  EXPECT_EQ(e.value, 89);
  EXPECT_EQ(e.supportBalance, -1);
  EXPECT_EQ(e.illegal, 0);
}

TEST(Valuation, PromotionAdvanceAndOpeningLines) {
  const Analysed pawn("4k4/9/9/6P2/9/9/9/9/4K4");
  EXPECT_EQ(Gains(pawn["3d3c+"]), (std::vector<int>{77, 61, 61, 61, 61, 61}));
  EXPECT_EQ(pawn["3d3c+"].value, 77);
  EXPECT_EQ(pawn["3d3c+"].supportBalance, 0);

  const char* start = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL";
  const Analysed opening(start);
  EXPECT_EQ(Gains(opening["2g2f"]), std::vector<int>{62});  // the rook's file opens
  EXPECT_EQ(Gains(opening["7g7f"]), std::vector<int>{62});  // the bishop's diagonal opens
  EXPECT_EQ(Gains(opening["9g9f"]), std::vector<int>{62});  // the bishop sees 9g too
  EXPECT_TRUE(Gains(opening["8g8f"]).empty());
  EXPECT_EQ(opening.gs->moveListCount, 30);
  EXPECT_EQ(opening.Legal().size(), 30u);
  const Analysed later(start, "-", 0, 4);
  EXPECT_TRUE(Gains(later["2g2f"]).empty());
}

TEST(Valuation, MajorPiecesAvoidPawnsAndDropsAvoidEnemyControl) {
  const Analysed bishop("4k4/9/5p3/9/9/9/9/1B7/4K4");
  EXPECT_EQ(bishop["8h4d"].value, kLossScore);
  EXPECT_EQ(Gains(bishop["8h5e"]), (std::vector<int>{58, 58, 58}));

  const char* board = "4k4/9/9/3g1s3/9/9/9/9/4K4";
  const Analysed phase3(board, "RP", 0, 3);
  EXPECT_EQ(phase3["R*5e"].value, kLossScore);
  EXPECT_EQ(phase3["P*5e"].value, 0);
  const Analysed phase0(board, "RP", 0, 0);
  EXPECT_EQ(phase0["P*5e"].value, kLossScore);  // final pruning of weak moves under attack
}

TEST(Valuation, ChecksWithSupport) {
  const Analysed knight("4k4/9/9/9/4N4/9/9/9/4K4");
  EXPECT_EQ(Gains(knight["5e4c"]), (std::vector<int>{83, 73, 60, 60}));
  EXPECT_EQ(knight["5e4c"].value, 83);
  // With the own king in danger the extra 83 is not given.
  auto gs = NewGame();
  gs->playerKingScore = -11;
  AnalyzeMoves(*gs, knight.pos, kPlayerSide, 0);
  EXPECT_EQ(Gains(*Find(*gs, "5e4c")), (std::vector<int>{73, 60, 60}));
}

TEST(Valuation, EscapeOfAnAttackedMajorPrunesTheRest) {
  const Analysed a("4k4/9/9/4p4/4R4/9/9/9/4K4");
  EXPECT_EQ(a["5e4e"].value, 94);
  EXPECT_EQ(a["5e5d"].value, 94);
  EXPECT_EQ(a["5i4i"].value, kLossScore);  // worth 64 alone, below 66 when a rook is at stake
  EXPECT_EQ(a["5i4i"].illegal, 0);
}

TEST(Valuation, TakingTheKingStopsTheAnalysis) {
  const Analysed a("4k4/9/9/9/4R4/9/9/9/4K4");
  const MoveEntry& take = a["5e5a+"];
  EXPECT_EQ(take.value, kWinScore);
  EXPECT_EQ(Gains(take), std::vector<int>{kWinScore});
  EXPECT_EQ(take.illegal, 0);
  const MoveEntry& after = a["5e4e"];
  EXPECT_EQ(after.value, 0);
  EXPECT_TRUE(Gains(after).empty());
  EXPECT_EQ(a["5e5f"].value, 0);  // valued, but worth nothing
}

TEST(Legality, EvasionsOfACheckTwoSquaresAway) {
  const Analysed a("8k/9/9/9/2B6/9/4r4/9/3GK4", "G");
  EXPECT_EQ(a.Legal(), (std::set<std::string>{"7e5g", "6i5h", "G*5h", "5i4i", "5i4h", "5i6h"}));
  for (int i = 0; i < a.gs->moveListCount; ++i) {
    const MoveEntry& e = a.gs->moveList[i];
    EXPECT_EQ(e.illegal == 0, e.value == kEvasionMark) << MoveToUsi(e.move, 1);
  }
  EXPECT_EQ(Gains(a["5i4i"]), std::vector<int>{98});
  EXPECT_EQ(Gains(a["7e5g"]), (std::vector<int>{98, 95}));
  EXPECT_EQ(a["7e5g"].supportBalance, 1);
}

TEST(Legality, InterpositionDeeperInTheSearchNeedsSupport) {
  const char* board = "8k/9/9/9/9/4r4/9/9/3GK4";
  const Analysed deep(board, "G", 3);
  EXPECT_EQ(deep["G*5g"].value, kLossScore);
  EXPECT_EQ(Gains(deep["G*5g"]), std::vector<int>{kLossScore});
  EXPECT_EQ(deep["G*5g"].illegal, 1);
  EXPECT_EQ(deep["G*5h"].value, kEvasionMark);
  const Analysed shallow(board, "G", 2);
  EXPECT_EQ(shallow["G*5g"].value, kEvasionMark);
  EXPECT_EQ(shallow["G*5g"].illegal, 0);
}

}  // namespace
}  // namespace shogi
