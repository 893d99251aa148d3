// The static evaluation: its six terms, the decisive values, the weights and the random
// addition. Boards are SFEN with black = the player (side 1, bottom, moving toward rankIndex 0)
// and white = the computer (side 2); SFEN row i is rankIndex i and column j (from the left) is
// fileIndex j. Every expected value is worked out by hand in the comment next to it.
#include "shogi/engine/evaluate.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "shogi/rules/attacks.h"
#include "tests/rules/test_util.h"

namespace shogi {
namespace {

using testing_util::FromSfen;
using testing_util::NewGame;

constexpr int kPlayer = kPlayerSide;
constexpr int kComputer = kComputerSide;

int KingSquare(const Position& pos, int side) {
  for (int f = 0; f < 9; ++f)
    for (int r = 0; r < 9; ++r)
      if (pos.Owner(f, r) == side && pos.KindAt(f, r) == kKing) return Sq(f, r);
  return -1;
}

// A position with a fresh game state around it.
struct Board {
  std::unique_ptr<GameState> gs = NewGame();
  Position pos;
  int kc = -1;
  int kp = -1;

  explicit Board(const std::string& sfen, const std::string& hands = "-", int phase = 0) {
    pos = FromSfen(sfen, hands);
    gs->gamePhase = phase;
    kc = KingSquare(pos, kComputer);
    kp = KingSquare(pos, kPlayer);
  }

  // The piece list and the two maps as the terms read them, built with the rules core's own
  // builders: `side` fills ownAttackMap, the other side enemyAttackMap.
  void Prepare(int side) {
    BuildPieceList(*gs, pos);
    gs->ownAttackMap.Clear();
    gs->enemyAttackMap.Clear();
    BuildAttackMap(pos, side, gs->ownAttackMap);
    BuildAttackMap(pos, Opponent(side), gs->enemyAttackMap);
  }

  int Eval(int side, int phase) {
    gs->gamePhase = phase;
    return Evaluate(*gs, pos, side);
  }
};

// ---------------------------------------------------------------------------------------------
// Evaluate as a whole.

TEST(Evaluate, StartPositionScoresZeroInEveryPhaseAndRecordsTheDangerToThePlayersKing) {
  // The start position turned by 180 degrees is itself with the sides swapped, so material,
  // placement, king safety and mobility cancel, and neither side attacks a piece or a square
  // of the enemy camp. kingDanger = 3*aP - bP - gP around the player's king on (4,8):
  //   aP = 0 (no computer piece or attack near it); bP = 0 (3 off the board + 2 golds = 5);
  //   gP = golds 3 + 3, plus the player's attacks without the king's: (3,7) gold, silver,
  //   rook = 3; (4,7) two golds, rook = 3; (5,7) gold, silver, rook = 3; (4,8) two golds = 2;
  //   (3,8), (5,8) = 0  ->  gP = 17, kingDanger = -17.
  Board b("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL");
  for (int phase = 0; phase <= 8; ++phase) {
    for (int side : {kPlayer, kComputer}) {
      b.gs->kingDanger = 1234;
      EXPECT_EQ(b.Eval(side, phase), 0) << "phase " << phase << " side " << side;
      EXPECT_EQ(b.gs->kingDanger, -17) << "phase " << phase << " side " << side;
    }
  }
}

TEST(Evaluate, PhaseZeroWeighsEveryTermWithZeroButStillComputesThem) {
  // Three computer golds in front of the player's king: worth 2348 in phase 5 (below), 0 in
  // phase 0; the king-safety term still runs and leaves kingDanger = 3*7 = 21.
  Board b("4k4/9/9/9/9/9/3ggg3/9/4K4");
  b.gs->kingDanger = 1234;
  EXPECT_EQ(b.Eval(kComputer, 0), 0);
  EXPECT_EQ(b.gs->kingDanger, 21);
  b.gs->kingDanger = 1234;
  EXPECT_EQ(b.Eval(kPlayer, 0), 0);
  EXPECT_EQ(b.gs->kingDanger, 21);
}

TEST(Evaluate, WeightedSumWithKingSafetyScaledBeyondItsThresholds) {
  {
    // Computer: king (4,0), golds (3,6), (4,6), (5,6). Player: king (4,8). Phase 5, weights
    // 40, 8, 20, 12, 1, 1.
    //   t1 = 999 + 27 - 999 = 27.
    //   t2 (closing in): each gold is at distance 2 from Kp -> 6; 16*18/3 = 96; player 0.
    //   t3: computer attacks on the block of Kp: (3,7) 2, (4,7) 3, (5,7) 2 -> aP = 7; bP = 0
    //       (3 off + 3 attacked = 6); everything else 0 -> 21 > 17 -> 21*12/10 = 25.
    //   t4 = t5 = 0; t6: (4,6) has two attacks but only by golds -> 0.
    //   40*27 + 8*96 + 20*25 = 1080 + 768 + 500 = 2348 (unscaled it would be 2268).
    Board b("4k4/9/9/9/9/9/3ggg3/9/4K4");
    EXPECT_EQ(b.Eval(kComputer, 5), 2348);
    EXPECT_EQ(b.gs->kingDanger, 21);
    EXPECT_EQ(b.Eval(kPlayer, 5), 2348);
  }
  {
    // Computer: king (4,0). Player: golds (3,2), (4,2), (5,2), lance (4,5) (it sees through
    // the gold on (4,2) to (4,1)), king (4,8). Phase 4, weights 45, 8, 15, 12, 1, 1.
    //   t1 = 999 - (999 + 27 + 5) = -32.
    //   t2: computer 0; player golds at distance 2 from Kc -> 6 each, lance on Kc's file +4:
    //       16*22/4 = 88 -> -88.
    //   t3: aC = (3,1) 2 + (4,1) 4 + (5,1) 2 = 8; gC = 0; bC = 0 (3 off + 3 attacked);
    //       Kp side all 0 -> -24 < -23 -> -24*12/10 = -28 (toward zero, not -29).
    //   t4 = t5 = 0. t6: for the computer 0; for the player the lance reaches (4,2), which
    //   the computer does not attack -> v = 5 -> -5.
    //   computer: -1440 - 704 - 420 = -2564; player: -2564 - 5 = -2569.
    Board b("4k4/9/3GGG3/9/9/4L4/9/9/4K4");
    b.gs->kingDanger = 1234;
    EXPECT_EQ(b.Eval(kComputer, 4), -2564);
    EXPECT_EQ(b.gs->kingDanger, 0);
    EXPECT_EQ(b.Eval(kPlayer, 4), -2569);
  }
  {
    // The same with a computer silver on (6,2): its back step onto (5,1) gives gC = 1, so
    // t3 = -23 stays unscaled.
    //   t1 = 1007 - 1031 = -24; t2 = 16*2/1 (silver at distance 6 from Kp) - 88 = -56;
    //   t3 = -23; t4 = t5 = t6 = 0 -> -1080 - 448 - 345 = -1873.
    Board b("4k4/9/3GGGs2/9/9/4L4/9/9/4K4");
    EXPECT_EQ(b.Eval(kComputer, 4), -1873);
  }
}

TEST(Evaluate, EveryPhaseUsesItsOwnWeights) {
  {
    // Terms of the player's golds and lance around the computer king (see above), the same
    // in every phase except placement: t1 = -32; t2 = -7 before phase 3 (computer king 1;
    // player king 1, golds 2 + 2 + 2, lance 1) and -88 from phase 3; t3 = -28 (scaled);
    // t4 = t5 = 0; t6 = 0 for the computer and -5 for the player (the square (4,2) is also
    // near Kc with three attacks, so phases 5-8 keep it).
    Board b("4k4/9/3GGG3/9/9/4L4/9/9/4K4");
    const int computer[9] = {0, -1955, -1635, -2320, -2564, -2544, -2752, -3032, -3088};
    const int enemyCamp[9] = {0, 3, 3, 2, 1, 1, 1, 1, 1};
    for (int phase = 1; phase <= 8; ++phase) {
      EXPECT_EQ(b.Eval(kComputer, phase), computer[phase]) << phase;
      EXPECT_EQ(b.Eval(kPlayer, phase), computer[phase] - 5 * enemyCamp[phase]) << phase;
    }
  }
  {
    // The escapable check below: t1 = -9; t2 = -2 before phase 3 (computer king on (0,0)
    // 2; player gold 2, king 2) and -112 from phase 3; t3 = -19; t4 = 18; t5 = t6 = 0.
    Board b("k8/G8/9/9/9/9/9/9/8K");
    const int expected[9] = {0, -237, -147, -930, -1370, -1420, -1713, -1903, -1941};
    for (int phase = 1; phase <= 8; ++phase)
      EXPECT_EQ(b.Eval(kComputer, phase), expected[phase]) << phase;
  }
  {
    // A computer bishop shut in by its own pawn: t5 = -2 (weight 1). t1 = 14; t2 = 16*1/1
    // (pawn at distance 7 from Kp); t3 = t4 = t6 = 0.
    //   phase 5: 560 + 128 - 2 = 686; phase 8: 490 + 144 - 2 = 632.
    Board b("b3k4/1p7/9/9/9/9/9/9/4K4");
    EXPECT_EQ(b.Eval(kComputer, 5), 686);
    EXPECT_EQ(b.Eval(kPlayer, 8), 632);
  }
}

TEST(Evaluate, DecisiveValuesComeFirstAndLeaveKingDangerAlone) {
  {
    // A computer gold touches the player's king; the player has far more material.
    Board b("4k4/9/9/9/9/9/9/4g4/RB2K2GG");
    b.gs->kingDanger = 1234;
    b.gs->kingTermComputer = 55;
    b.gs->kingTermPlayer = 66;
    b.gs->kingTermsFresh = 1;
    EXPECT_EQ(b.Eval(kComputer, 4), kWinScore);
    EXPECT_EQ(b.gs->kingDanger, 1234);
    EXPECT_EQ(b.gs->kingTermsFresh, 0);
    EXPECT_EQ(b.gs->kingTermComputer, 55);
    EXPECT_EQ(b.gs->kingTermPlayer, 66);
  }
  {
    // Computer king (0,0) checked by a player gold on (0,1) that a lance on (0,5) backs up:
    // the computer has no evasion. Evaluated for the player the king can simply be taken.
    Board b("k8/G8/9/9/9/L8/9/9/8K");
    b.gs->kingDanger = 1234;
    b.gs->kingTermsFresh = 1;
    EXPECT_EQ(b.Eval(kComputer, 4), kLossScore);
    EXPECT_EQ(b.gs->kingDanger, 1234);
    EXPECT_EQ(b.gs->kingTermsFresh, 0);
    EXPECT_EQ(b.Eval(kPlayer, 4), kLossScore);
    EXPECT_EQ(b.gs->kingDanger, 1234);
    EXPECT_EQ(b.Eval(kComputer, 0), kLossScore);  // weights do not touch decisive values
  }
  {
    // The mirror: player king (8,8) mated by a computer gold on (8,7) backed by a lance.
    Board b("k8/9/9/8l/9/9/9/8g/8K");
    b.gs->kingDanger = 1234;
    EXPECT_EQ(b.Eval(kPlayer, 6), kWinScore);
    EXPECT_EQ(b.Eval(kComputer, 6), kWinScore);
    EXPECT_EQ(b.gs->kingDanger, 1234);
  }
}

TEST(Evaluate, ACheckWithAnEscapeIsScoredByTheTerms) {
  // Computer king (0,0) checked by an undefended player gold on (0,1); the king can take it
  // (one evasion), so the terms decide. Phase 4, weights 45, 8, 15, 12.
  //   t1 = 999 - 1008 = -9. t2 = 0 - 16*7/1 = -112 (gold at distance 1 from Kc).
  //   t3: aC = gold in the block 3 + player attacks (0,0), (1,0), (1,1) = 6; gC = 0;
  //       bC = -1 (5 off + (1,0), (1,1) attacked; (0,1) holds a player piece nobody else
  //       attacks); Kp side 0 -> -1 - 18 = -19 (no scaling).
  //   t4: the computer king attacks the gold, nobody defends it -> 18.
  //   -405 - 896 - 285 + 216 = -1370.
  Board b("k8/G8/9/9/9/9/9/9/8K");
  b.gs->kingDanger = 1234;
  const uint64_t calls = b.gs->evaluateCalls;
  EXPECT_EQ(b.Eval(kComputer, 4), -1370);
  EXPECT_EQ(b.gs->evaluateCalls, calls + 1);
  EXPECT_EQ(b.gs->kingDanger, 0);
  // King scores: computer 0 - 1 - 18 = -19, player 0.
  EXPECT_EQ(b.gs->kingTermsFresh, 1);
  EXPECT_EQ(b.gs->kingTermComputer, -19);
  EXPECT_EQ(b.gs->kingTermPlayer, 0);
  // The maps are those of the evaluated side again.
  EXPECT_EQ(b.gs->ownAttackMap.byKind[Sq(0, 1)][kKing], 1);
  EXPECT_EQ(b.gs->enemyAttackMap.byKind[Sq(0, 0)][kGold], 1);
}

TEST(Evaluate, MissingKingsSkipTheirDecisiveTestsAndStandOffTheBoard) {
  {
    // No player king. Computer king (4,0), player gold (4,4). Phase 3, weights 50, 5, 10.
    //   t1 = 999 - 9 = 990; t2 = 0 - 16*4/1 = -64 (gold at distance 4 from Kc);
    //   t3: Kc side 0 (bC 0: 3 off); the missing Kp has eight neighbours off the board ->
    //       bP = -2 -> t3 = -bP = 2, kingDanger = -bP = 2.
    //   50*990 - 5*64 + 10*2 = 49200.
    Board b("4k4/9/9/9/4G4/9/9/9/9");
    b.gs->kingDanger = 1234;
    EXPECT_EQ(b.Eval(kComputer, 3), 49200);
    EXPECT_EQ(b.gs->kingDanger, 2);
  }
  {
    // No computer king. Computer silver (4,4), player king (4,8). Phase 3.
    //   t1 = 8 - 999 = -991; t2 = 16*4/1 - 0 = 64; t3 = bC = -2; kingDanger 0.
    //   -49550 + 320 - 20 = -49250.
    Board b("9/9/9/9/4s4/9/9/9/4K4");
    b.gs->kingDanger = 1234;
    EXPECT_EQ(b.Eval(kPlayer, 3), -49250);
    EXPECT_EQ(b.gs->kingDanger, 0);
  }
  {
    // No king at all: only material counts in phase 1 besides placement (hand pieces 2
    // each: computer rook, player pawn). t1 = 15 - 1 = 14; t2 = 2 - 2 = 0; t3 = bC - bP =
    // -2 + 2 = 0; t4 = t5 = t6 = 0 -> 60*14 = 840.
    Board b("9/9/9/9/9/9/9/9/9", "Pr");
    EXPECT_EQ(b.Eval(kComputer, 1), 840);
    EXPECT_EQ(b.Eval(kPlayer, 1), 840);
    EXPECT_EQ(b.gs->kingDanger, 2);
  }
}

TEST(Evaluate, RandomAdditionIsReseededFromTheClockEveryTime) {
  Board b("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL");
  b.gs->fixedClock = 1700000123;
  std::srand(1700000123u);
  const int expected = std::rand() % 100;

  b.gs->useRandom = 0;
  EXPECT_EQ(b.Eval(kComputer, 3), 0);
  b.gs->useRandom = 1;
  EXPECT_EQ(b.Eval(kComputer, 3), expected);
  std::rand();  // whatever ran in between, the same second gives the same score
  std::rand();
  EXPECT_EQ(b.Eval(kComputer, 3), expected);
  EXPECT_EQ(b.Eval(kPlayer, 0), expected);

  b.gs->fixedClock = 1700000124;
  std::srand(1700000124u);
  const int next = std::rand() % 100;
  EXPECT_EQ(b.Eval(kComputer, 3), next);

  // Decisive values get nothing added.
  Board mate("k8/G8/9/9/9/L8/9/9/8K");
  mate.gs->useRandom = 1;
  mate.gs->fixedClock = 1700000123;
  EXPECT_EQ(mate.Eval(kComputer, 4), kLossScore);
}

// ---------------------------------------------------------------------------------------------
// Replies to a check.

TEST(CountReplies, MateEvasionsAndATakenKing) {
  {
    Board b("k8/G8/9/9/9/L8/9/9/8K");  // computer mated
    EXPECT_EQ(CountComputerReplies(*b.gs, b.pos), kWinScore);
  }
  {
    Board b("k8/G8/9/9/9/9/9/9/8K");  // the king takes the gold: one evasion
    EXPECT_EQ(CountComputerReplies(*b.gs, b.pos), -1);
  }
  {
    Board b("k8/9/9/8l/9/9/9/8g/8K");  // player mated
    EXPECT_EQ(CountReplies(*b.gs, b.pos), kWinScore);
  }
  {
    // Player king (4,8) checked along the file by a rook on (4,4): (3,7), (5,7), (3,8),
    // (5,8) are free -> 4. With a gold in hand, three interposing drops on (4,5)..(4,7) -> 7.
    Board b("k8/9/9/9/4r4/9/9/9/4K4");
    EXPECT_EQ(CountReplies(*b.gs, b.pos), -4);
    Board h("k8/9/9/9/4r4/9/9/9/4K4", "G");
    EXPECT_EQ(CountReplies(*h.gs, h.pos), -7);
  }
  {
    // The player is in check but its rook on (0,8) can take the computer king on (0,2).
    Board b("9/9/k8/9/9/9/9/4g4/R3K4");
    EXPECT_EQ(CountReplies(*b.gs, b.pos), kLossScore);
  }
}

// ---------------------------------------------------------------------------------------------
// The terms, each on maps built by the rules core.

TEST(MaterialTerm, HandPawnsCappedLanceRuleAndPhaseRows) {
  {
    // Computer 8 pawns in hand, player 7 pawns and a lance; phase 1 (pawn 1, lance 5):
    //   8 - 7 - 5, computer cap -(8-5), player cap +(7-5) -> -5.
    Board b("4k4/9/9/9/9/9/9/9/4K4", "L7P8p", 1);
    b.Prepare(kComputer);
    EXPECT_EQ(MaterialTerm(*b.gs, b.pos), -5);
  }
  {
    // Computer 2 lances in hand, player nothing: 10, and the player has no pawn while the
    // computer holds a lance: +5 -> 15. The computer has no pawn either, but the player
    // holds no lance.
    Board b("4k4/9/9/9/9/9/9/9/4K4", "2l", 1);
    b.Prepare(kComputer);
    EXPECT_EQ(MaterialTerm(*b.gs, b.pos), 15);
  }
  {
    // Six pawns in hand are one too many: computer 6 pawns and a silver, player 5 pawns:
    // 6 + 8 - 5 - (6-5) = 8.
    Board b("4k4/9/9/9/9/9/9/9/4K4", "5P6ps", 1);
    b.Prepare(kComputer);
    EXPECT_EQ(MaterialTerm(*b.gs, b.pos), 8);
  }
  {
    // Both rules at once: 10 - 5 - 5 + 5 = 5.
    Board b("4k4/9/9/9/9/9/9/9/4K4", "L2l", 1);
    b.Prepare(kComputer);
    EXPECT_EQ(MaterialTerm(*b.gs, b.pos), 5);
  }
  {
    // A pawn in hand on each side switches the lance rule off: 1 - 1 - 5 = -5.
    Board b("4k4/9/9/9/9/9/9/9/4K4", "LPp", 1);
    b.Prepare(kComputer);
    EXPECT_EQ(MaterialTerm(*b.gs, b.pos), -5);
  }
  {
    // Computer promoted pawn against player promoted silver: 12 - 9 in phases 0-4, 10 - 9
    // in 5-6, 9 - 9 in 7-8.
    Board b("4k4/9/9/9/9/+p8/9/9/4K+S3");
    const int expected[9] = {3, 3, 3, 3, 3, 1, 1, 0, 0};
    for (int phase = 0; phase <= 8; ++phase) {
      b.gs->gamePhase = phase;
      b.Prepare(kComputer);
      EXPECT_EQ(MaterialTerm(*b.gs, b.pos), expected[phase]) << phase;
    }
  }
}

TEST(PlacementTerm, TableBeforePhaseThreeIsReadTurnedForTheComputer) {
  {
    // Computer: king (4,0) -> [king][8][4] = 1; silver (5,1) -> [silver][7][3] = 4; pawn
    // (7,4) -> [pawn][4][1] = 1; gold in hand 2 -> 8.
    // Player: king (4,8) -> 1; pawn (0,5) -> [pawn][5][0] = 4; knight (1,8) -> [knight][8][1]
    // = 4; two pawns in hand 2 + 2 -> 13. Term 8 - 13 = -5.
    Board b("4k4/5s3/9/9/7p1/P8/9/9/1N2K4", "2Pg");
    for (int phase : {0, 1, 2}) {
      b.gs->gamePhase = phase;
      b.Prepare(kComputer);
      EXPECT_EQ(PlacementTerm(*b.gs, b.pos, b.kc, b.kp), -5) << phase;
    }
  }
  {
    // Computer: king (2,1) -> [king][7][6] = 3; horse (4,4) -> [horse][4][4] = 5; promoted
    // pawn (0,6) -> [promoted][2][8] = 3; lance (8,0) -> [lance][8][0] = 2 -> 13.
    // Player: king (6,8) -> [king][8][6] = 1; dragon (0,0) -> 4; bishop (4,5) ->
    // [bishop][5][4] = 3; silver (3,7) -> [silver][7][3] = 4; rook in hand 2 -> 14.
    Board b("+R7l/2k6/9/9/4+b4/4B4/+p8/3S5/6K2", "R", 2);
    b.Prepare(kPlayer);
    EXPECT_EQ(PlacementTerm(*b.gs, b.pos, b.kc, b.kp), -1);
  }
}

TEST(PlacementTerm, ClosingInFromPhaseThree) {
  {
    // Computer around Kp (4,8): silver at distance 7 -> 1, pawn at distance 4 -> 4, gold in
    // hand 3: 16*8/3 = 42. Player around Kc (4,0): pawn (0,5) at distance 5 -> 3, knight
    // (1,8) at distance 8 -> 0 but counted, two pawns in hand 3 + 3: 16*9/4 = 36. -> 6.
    Board b("4k4/5s3/9/9/7p1/P8/9/9/1N2K4", "2Pg", 3);
    b.Prepare(kComputer);
    EXPECT_EQ(PlacementTerm(*b.gs, b.pos, b.kc, b.kp), 6);
  }
  {
    // Kp (0,0), Kc (8,8). Computer: dragon (5,1) within one rank of Kp +5, lance (1,4)
    // within one file +5, pawn in hand +3, lance in hand nothing: 16*13/3 = 69. Player:
    // lance (7,3) within one file of Kc +4, pawn (6,6) at distance 2 -> 6, rook and lance in
    // hand nothing (their hand square (9,9) would lie within one rank/file of Kc):
    // 16*10/2 = 80. -> -11.
    Board b("K8/5+r3/9/7L1/1l7/9/6P2/9/8k", "RLpl", 5);
    b.Prepare(kComputer);
    ASSERT_EQ(b.kc, Sq(8, 8));
    ASSERT_EQ(b.kp, Sq(0, 0));
    EXPECT_EQ(PlacementTerm(*b.gs, b.pos, b.kc, b.kp), -11);
    // Without the player's king the computer keeps only its pawn in hand: 16*3/1 = 48.
    EXPECT_EQ(PlacementTerm(*b.gs, b.pos, b.kc, -1), 48 - 80);
    // Without the computer's king the player's pawn still counts (0) and the lance bonus is
    // gone: 69 - 0.
    EXPECT_EQ(PlacementTerm(*b.gs, b.pos, -1, b.kp), 69);
  }
  {
    // Player around Kc (4,0): rook (0,1) within one rank +4, gold (4,2) at distance 2 -> 6,
    // dragon (8,3) three ranks away nothing: 16*10/2 = 80. The computer has nothing: -80.
    Board b("4k4/R8/4G4/8+R/9/9/9/9/4K4", "-", 8);
    b.Prepare(kPlayer);
    EXPECT_EQ(PlacementTerm(*b.gs, b.pos, b.kc, b.kp), -80);
  }
}

TEST(KingSafetyTerm, GuardsAttacksAndBoxedKings) {
  {
    // Computer: king (4,0), gold (3,1), silver (5,1). Player: pawn (4,2), gold (4,7), king
    // (4,8).
    //   Kc: gC = 3 + 3 (pieces) + (3,0) 1 + (4,0) 1 + (4,1) 1 = 9; aC = pawn on (4,1) 1;
    //       bC = 0 (3 off + silver, gold, attacked (4,1)).
    //   Kp: gP = gold 3 + (3,7) 1 + (5,7) 1 + (4,8) 1 = 6; aP = 0; bP = 0 (3 off + gold).
    //   kingDanger = -6; term = 3*(0 - 1) + 9 - 6 = 0.
    Board b("4k4/3g1s3/4P4/9/9/9/9/4G4/4K4");
    for (int side : {kComputer, kPlayer}) {
      b.gs->kingDanger = 1234;
      b.Prepare(side);
      EXPECT_EQ(KingSafetyTerm(*b.gs, b.pos, side, b.kc, b.kp), 0) << side;
      EXPECT_EQ(b.gs->kingDanger, -6) << side;
      // King scores gC + bC - 3*aC = 9 - 3 and gP + bP - 3*aP = 6.
      EXPECT_EQ(b.gs->kingTermComputer, 6) << side;
      EXPECT_EQ(b.gs->kingTermPlayer, 6) << side;
      EXPECT_EQ(b.gs->kingTermsFresh, 1) << side;
    }
  }
  {
    // Computer: king (0,0), silver (1,0), gold (1,1), knight (8,5). Player: knight (1,3),
    // silver (7,7), gold (7,8), king (8,8).
    //   Kc: gC = 3 + 3 + (1,0) 1 + (0,1) 2 + (1,1) 1 = 10; aC = knight on (0,1) 1;
    //       bC = -2 (5 off, silver, gold, (0,1) attacked).
    //   Kp: gP = 3 + 3 + (7,7) 1 + (8,7) 1 + (8,8) 2 = 10; aP = knight on (7,7) 1;
    //       bP = -1 (5 off, silver, gold; (8,7) free).
    //   kingDanger = 3 + 1 - 10 = -6; term = -2 + 0 + 10 + 1 - 10 = -1.
    Board b("ks7/1g7/9/1N7/9/8n/9/7S1/7GK");
    for (int side : {kComputer, kPlayer}) {
      b.gs->kingDanger = 1234;
      b.Prepare(side);
      EXPECT_EQ(KingSafetyTerm(*b.gs, b.pos, side, b.kc, b.kp), -1) << side;
      EXPECT_EQ(b.gs->kingDanger, -6) << side;
      // 10 - 2 - 3 = 5 and 10 - 1 - 3 = 6.
      EXPECT_EQ(b.gs->kingTermComputer, 5) << side;
      EXPECT_EQ(b.gs->kingTermPlayer, 6) << side;
    }
  }
  {
    // A missing king has no block and eight neighbours off the board: only the player's
    // king (4,8) alone: bC = -2, everything else 0 -> -2, kingDanger 0.
    Board b("9/9/9/9/9/9/9/9/4K4");
    b.Prepare(kComputer);
    EXPECT_EQ(KingSafetyTerm(*b.gs, b.pos, kComputer, -1, b.kp), -2);
    EXPECT_EQ(b.gs->kingDanger, 0);
    EXPECT_EQ(b.gs->kingTermComputer, -2);
    EXPECT_EQ(b.gs->kingTermPlayer, 0);
  }
}

TEST(ExchangeTerm, AttackerAndDefenderListsWithKings) {
  {
    // Player gold (4,4) attacked by a computer pawn and silver, defended by a player pawn and
    // silver: gain 18 + 2/2, loss 2/1 + 16/2 -> 9.
    Board b("k8/9/9/3sp4/4G4/4PS3/9/9/8K");
    b.Prepare(kComputer);
    EXPECT_EQ(ExchangeTerm(*b.gs, b.pos, kComputer), 9);
    // For the player: the gold takes the pawn (2) or the silver (16), both undefended.
    b.Prepare(kPlayer);
    EXPECT_EQ(ExchangeTerm(*b.gs, b.pos, kPlayer), -16);
  }
  {
    // Kings in the lists. On (4,4) A = pawn, silver, king; D = pawn, king. D is shorter, so
    // its king goes: gain 18 + 2/2 + 0/3 = 19, loss 2/1 = 2 -> 17. On (4,5) (player pawn)
    // A = king alone, D = gold, king: A loses its king and is empty -> gain 0, nothing.
    Board b("9/9/9/3sp4/4G4/3KPk3/9/9/9");
    b.Prepare(kComputer);
    EXPECT_EQ(ExchangeTerm(*b.gs, b.pos, kComputer), 17);
    b.Prepare(kPlayer);
    EXPECT_EQ(ExchangeTerm(*b.gs, b.pos, kPlayer), -16);
  }
  {
    // Player silver (4,4): A = pawn (4,3), lance (4,1) seeing past it, knight (3,2);
    // D = gold (4,5), rook (4,7) seeing past the gold. gain 16 + 18/2 + 30/3 = 35,
    // loss 2/1 + 10/2 = 7 -> 28.
    Board b("k8/4l4/3n5/4p4/4S4/4G4/9/4R4/8K");
    b.Prepare(kComputer);
    EXPECT_EQ(ExchangeTerm(*b.gs, b.pos, kComputer), 28);
  }
  {
    // Player rook (4,4): A = promoted pawn (kind 8, before the lance of kind 2), lance (4,1)
    // seeing past it; D = pawn, gold. gain 30 + 2/2 = 31, loss 13/1 + 10/2 = 18 -> 13.
    Board b("k8/4l4/9/4+p4/4R4/4PG3/9/9/8K");
    b.Prepare(kComputer);
    EXPECT_EQ(ExchangeTerm(*b.gs, b.pos, kComputer), 13);
  }
  {
    // Lists of equal length: the attacker's king goes. Player silver (4,4): A = pawn (4,3),
    // king (5,4); D = pawn (4,5), gold (3,5). A becomes the pawn alone: gain 16, loss 2/1 +
    // 0/2 -> 14. (The king's attack on the pawn (4,5), defended by the gold, counts for
    // nothing: A loses its king and is empty.)
    Board b("9/9/9/4p4/4Sk3/3GP4/9/9/8K");
    b.Prepare(kComputer);
    EXPECT_EQ(ExchangeTerm(*b.gs, b.pos, kComputer), 14);
  }
  {
    // A defended pawn that only the computer king attacks: A = king, D = gold, equal
    // lengths, A loses its king and gains nothing -> 0.
    Board b("9/9/9/5k3/4P4/4G4/9/9/8K");
    b.Prepare(kComputer);
    EXPECT_EQ(ExchangeTerm(*b.gs, b.pos, kComputer), 0);
  }
}

TEST(MajorMobilityTerm, SafeMovesPerPieceMapped) {
  // Computer bishop (0,0) only reaches its own pawn: 0 -> -2. Computer rook (8,0) reaches
  // (8,1) safe, (8,2) own pawn, (7,0) covered by the player gold, (6,0) the gold itself
  // (undefended, safe): 2 -> -4. Mc = -6.
  // Player rook (0,8): (0,7) own pawn, (1,8) safe, (2,8) own knight: 1 -> -1. Player bishop
  // (8,8): (7,7) (6,6) (5,5) (4,4) (2,2) safe, (3,3) covered by the computer king, (1,1) a
  // computer pawn the computer bishop covers: 5 -> 5. Mp = 4. Term -6 - 4 = -10.
  Board b("b5G1r/1p7/8p/9/2k6/9/9/P8/R1N1K3B");
  for (int side : {kComputer, kPlayer}) {
    b.Prepare(side);
    EXPECT_EQ(MajorMobilityTerm(*b.gs, b.pos, side), -10) << side;
    // The reach list is cleared between the sides: it holds the player's rook (3 squares)
    // and bishop (7 squares).
    EXPECT_EQ(b.gs->enemyReachCount, 10) << side;
    EXPECT_EQ(b.gs->enemyReachList[0].move, (MoveRec{0, 8, 0, 7, 0, 0}));
    EXPECT_EQ(b.gs->enemyReachList[9].move, (MoveRec{8, 8, 1, 1, 0, 0}));
  }
}

TEST(AppendPieceReach, AppendsStepsAndSlidesUpToTheFirstPiece) {
  Board b("b5G1r/1p7/8p/9/2k6/9/9/P8/R1N1K3B");
  b.gs->enemyReachCount = 1;
  // Computer rook (8,0): forward (8,1), its pawn (8,2) (no continuation past it), then
  // sideways (7,0) and the player's gold (6,0).
  AppendPieceReach(*b.gs, b.pos, kComputer, 8, 0);
  ASSERT_EQ(b.gs->enemyReachCount, 5);
  EXPECT_EQ(b.gs->enemyReachList[1].move, (MoveRec{8, 0, 8, 1, 0, 0}));
  EXPECT_EQ(b.gs->enemyReachList[2].move, (MoveRec{8, 0, 8, 2, 0, 0}));
  EXPECT_EQ(b.gs->enemyReachList[3].move, (MoveRec{8, 0, 7, 0, 0, 0}));
  EXPECT_EQ(b.gs->enemyReachList[4].move, (MoveRec{8, 0, 6, 0, 0, 0}));
  // The computer king (2,4): its eight neighbours.
  AppendPieceReach(*b.gs, b.pos, kComputer, 2, 4);
  EXPECT_EQ(b.gs->enemyReachCount, 13);
  // An empty square and a square off the board add nothing.
  AppendPieceReach(*b.gs, b.pos, kComputer, 4, 4);
  AppendPieceReach(*b.gs, b.pos, kComputer, 9, 9);
  EXPECT_EQ(b.gs->enemyReachCount, 13);
}

TEST(EnemyCampTerm, FirstRuleThatRaisesTheValue) {
  {
    // Computer silver (1,5) covers (0,6) (1,6) (2,6); its rook (1,3) sees past the silver to
    // (1,6). (0,6): silver -> 1; (1,6): silver no longer raises, the rook does -> 2.
    Board b("4k4/9/9/1r7/9/1s7/9/9/8K", "-", 4);
    b.Prepare(kComputer);
    EXPECT_EQ(EnemyCampTerm(*b.gs, b.pos, kComputer, b.kc, b.kp), 2);
  }
  {
    // A player pawn on (0,7) covers (0,6); (1,6) then sets 1 by its silver and stops.
    Board b("4k4/9/9/1r7/9/1s7/9/P8/8K", "-", 4);
    b.Prepare(kComputer);
    EXPECT_EQ(EnemyCampTerm(*b.gs, b.pos, kComputer, b.kc, b.kp), 1);
  }
  {
    // Computer knight (3,4) -> (2,6) (4,6); silver (1,5) -> (0,6) (1,6) (2,6); pawn (7,5) ->
    // (7,6); lance (6,3) down file 6. Player king (4,8) covers (3,7) (4,7) (5,7) (3,8) (5,8).
    // Phase 4: (0,6) 1, (2,6) knight 4, (6,6) lance 5, (7,6) pawn 11 -> 11.
    // Phase 5: only squares within two of (4,8) with two attacks: (2,6) knight + silver -> 4.
    Board b("4k4/9/9/6l2/3n5/1s5p1/9/9/4K4", "-", 4);
    b.Prepare(kComputer);
    EXPECT_EQ(EnemyCampTerm(*b.gs, b.pos, kComputer, b.kc, b.kp), 11);
    b.gs->gamePhase = 5;
    EXPECT_EQ(EnemyCampTerm(*b.gs, b.pos, kComputer, b.kc, b.kp), 4);
    // Without the player's king no square is near it.
    EXPECT_EQ(EnemyCampTerm(*b.gs, b.pos, kComputer, b.kc, -1), 0);
  }
  {
    // For the player: its pawn (3,3) covers (3,2), which the computer king does not -> -11.
    Board b("4k4/9/9/3P5/9/9/9/9/4K4", "-", 2);
    b.Prepare(kPlayer);
    EXPECT_EQ(EnemyCampTerm(*b.gs, b.pos, kPlayer, b.kc, b.kp), -11);
    b.Prepare(kComputer);
    EXPECT_EQ(EnemyCampTerm(*b.gs, b.pos, kComputer, b.kc, b.kp), 0);
  }
}

}  // namespace
}  // namespace shogi
