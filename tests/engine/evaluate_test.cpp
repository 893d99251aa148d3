// The static evaluation and its six terms (t1..t6), worked out by hand on SFEN boards (black =
// the player; board row i is rankIndex i, column j fileIndex j).
#include "shogi/engine/evaluate.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "shogi/rules/attacks.h"
#include "tests/rules/test_util.h"

namespace shogi {
namespace {

constexpr int kP = kPlayerSide, kC = kComputerSide;
constexpr int kAny = -99999;  // a value the row does not check

struct Board {
  std::unique_ptr<GameState> gs = testing_util::NewGame();
  Position pos;
  int kc, kp;
  Board(const std::string& sfen, const std::string& hands, int phase)
      : pos(ToInternal(testing_util::SfenPosition(sfen + " b " + hands), 1)),
        kc(FindKing(pos, kC)),
        kp(FindKing(pos, kP)) {
    gs->gamePhase = phase;
  }
  // The piece list and the maps as the terms read them: `side` fills ownAttackMap.
  void Prepare(int side) {
    BuildPieceList(*gs, pos);
    gs->ownAttackMap.Clear();
    gs->enemyAttackMap.Clear();
    BuildAttackMap(pos, side, gs->ownAttackMap);
    BuildAttackMap(pos, Opponent(side), gs->enemyAttackMap);
  }
};

// The score and the danger to the player's king left behind (1234 where a decisive value
// returns first).
struct EvalCase {
  const char* sfen;
  const char* hands;
  int side, phase, score, danger;
};

const EvalCase kEvalCases[] = {
    // The start position is its own mirror: 0. Danger -17 = -(gP: golds 6 + own attacks 11).
    {"lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL", "-", kC, 3, 0, -17},
    // Three computer golds before the player's king. Phase 0 weighs all with 0, but the king
    // term runs (danger 3*7). Phase 5: t1 27, t2 96, t3 21 > 17 scaled to 25.
    {"4k4/9/9/9/9/9/3ggg3/9/4K4", "-", kC, 0, 0, 21},
    {"4k4/9/9/9/9/9/3ggg3/9/4K4", "-", kC, 5, 2348, 21},
    // On the threshold: two golds and a pawn, t3 = 3*6 = 18 is scaled to 21; with a player
    // pawn on (3,8) (guard 1 + 1 attack, one more boxed square) t3 = 17 stays.
    // Phase 5: t1 = 19 / 18, t2 = 16*18/3 = 96, the rest 0.
    {"4k4/9/9/9/9/9/3ggp3/9/4K4", "-", kC, 5, 1948, 18},
    {"4k4/9/9/9/9/9/3ggp3/9/3PK4", "-", kC, 5, 1828, 17},
    // Player golds and a lance around the computer's king. Phase 4: t1 -32, t2 -88, t3 -24 <
    // -23 scaled toward zero to -28; for the player t6 = -5 (the lance reaches (4,2)).
    {"4k4/9/3GGG3/9/9/4L4/9/9/4K4", "-", kC, 4, -2564, 0},
    {"4k4/9/3GGG3/9/9/4L4/9/9/4K4", "-", kP, 4, -2569, 0},
    // The same with a computer silver whose back step guards (5,1): t3 = -23 stays.
    {"4k4/9/3GGGs2/9/9/4L4/9/9/4K4", "-", kC, 4, -1873, kAny},
    // A bishop shut in by its own pawn: t5 = -2. t1 14, t2 16.
    {"b3k4/1p7/9/9/9/9/9/9/4K4", "-", kC, 5, 686, kAny},
    // Decisive: a gold touching the player's king wins; a king mated loses (in phase 0 too).
    {"4k4/9/9/9/9/9/9/4g4/RB2K2GG", "-", kC, 4, kWinScore, 1234},
    {"k8/G8/9/9/9/L8/9/9/8K", "-", kC, 4, kLossScore, 1234},
    {"k8/G8/9/9/9/L8/9/9/8K", "-", kC, 0, kLossScore, 1234},
    {"k8/9/9/8l/9/9/9/8g/8K", "-", kP, 6, kWinScore, 1234},
    // A check the king escapes by taking the gold: t1 -9, t2 -112, t3 -19, t4 18.
    {"k8/G8/9/9/9/9/9/9/8K", "-", kC, 4, -1370, 0},
    // Missing kings: their decisive tests are skipped and their blocks are all off the board.
    {"4k4/9/9/9/4G4/9/9/9/9", "-", kC, 3, 49200, 2},
    {"9/9/9/9/4s4/9/9/9/4K4", "-", kP, 3, -49250, 0},
    {"9/9/9/9/9/9/9/9/9", "Pr", kC, 1, 840, 2},
};

TEST(Evaluate, Table) {
  for (const EvalCase& c : kEvalCases) {
    Board b(c.sfen, c.hands, c.phase);
    b.gs->kingDanger = 1234;
    SCOPED_TRACE(::testing::Message() << c.sfen << " side " << c.side << " phase " << c.phase);
    EXPECT_EQ(Evaluate(*b.gs, b.pos, c.side), c.score);
    EXPECT_TRUE(c.danger == kAny || b.gs->kingDanger == c.danger) << b.gs->kingDanger;
  }
}

TEST(Evaluate, EveryPhaseUsesItsOwnWeights) {
  const int scores[] = {-1955, -1635, -2320, -2564, -2544, -2752, -3032, -3088};
  for (int phase = 1; phase <= 8; ++phase) {
    Board b("4k4/9/3GGG3/9/9/4L4/9/9/4K4", "-", phase);
    EXPECT_EQ(Evaluate(*b.gs, b.pos, kC), scores[phase - 1]) << phase;
  }
}

// The random addition follows the clock's second, whoever is evaluated; decisive values get none.
TEST(Evaluate, RandomAdditionFollowsTheClock) {
  Board b("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL", "-", 3);
  Board mate("k8/G8/9/9/9/L8/9/9/8K", "-", 4);
  b.gs->useRandom = mate.gs->useRandom = 1;
  b.gs->fixedClock = 1700000123;
  std::srand(1700000123u);
  const int expected = std::rand() % 100;
  EXPECT_EQ(Evaluate(*b.gs, b.pos, kC), expected);
  EXPECT_EQ(Evaluate(*b.gs, b.pos, kP), expected);
  EXPECT_EQ(Evaluate(*mate.gs, mate.pos, kC), kLossScore);
}

// The terms, on maps built by the rules core.
enum Term { kMaterial, kPlacement, kKingSafety, kExchange, kMobility, kEnemyCamp };

struct TermCase {
  Term term;
  const char* sfen;
  const char* hands;
  int phase, side;
  int expected;
  int missingKing = 0;  // this side's king is passed as absent
};

const TermCase kTermCases[] = {
    // Material: hand pawns above five count nothing; without a pawn in hand a side loses a
    // lance's worth against a lance in hand.
    {kMaterial, "4k4/9/9/9/9/9/9/9/4K4", "L7P8p", 1, kC, -5},  // 8-7-5 -(8-5) +(7-5)
    {kMaterial, "4k4/9/9/9/9/9/9/9/4K4", "L2l", 1, kC, 5},     // 10-5 -5 +5
    // Promoted pawn against promoted silver: 12-9 up to phase 4, 10-9 to 6, 9-9 after.
    {kMaterial, "4k4/9/9/9/9/+p8/9/9/4K+S3", "-", 4, kC, 3},
    {kMaterial, "4k4/9/9/9/9/+p8/9/9/4K+S3", "-", 5, kC, 1},
    {kMaterial, "4k4/9/9/9/9/+p8/9/9/4K+S3", "-", 7, kC, 0},
    // Placement before phase 3: the table, turned for the computer; 2 per piece in hand.
    // Computer king 1, silver 4, pawn 1, gold in hand 2; player king 1, pawn 4, knight 4,
    // pawns in hand 4.
    {kPlacement, "4k4/5s3/9/9/7p1/P8/9/9/1N2K4", "2Pg", 0, kC, -5},
    // Computer king 3, horse 5, promoted pawn 3, lance 2; player king 1, dragon 4, bishop 3,
    // silver 4, rook in hand 2.
    {kPlacement, "+R7l/2k6/9/9/4+b4/4B4/+p8/3S5/6K2", "R", 2, kP, -1},
    // From phase 3, closing in: 16 * sum / count per side. Computer 16*8/3, player 16*9/4.
    {kPlacement, "4k4/5s3/9/9/7p1/P8/9/9/1N2K4", "2Pg", 3, kC, 6},
    // Line bonuses (computer 5, player 4) for lances on the king's files and rooks on its
    // ranks, only on the board: 16*13/3 - 16*10/2.
    {kPlacement, "K8/5+r3/9/7L1/1l7/9/6P2/9/8k", "RLpl", 5, kC, 48 - 80, kP},
    // King safety: 3*(aP - aC) + gC + bC - gP - bP.
    {kKingSafety, "4k4/3g1s3/4P4/9/9/9/9/4G4/4K4", "-", 0, kC, 0},
    {kKingSafety, "ks7/1g7/9/1N7/9/8n/9/7S1/7GK", "-", 0, kC, -1},
    {kKingSafety, "9/9/9/9/9/9/9/9/4K4", "-", 0, kC, -2, kC},  // a missing king is boxed in
    // Exchanges: gain v + d1/2 + d2/3..., loss a1/1 + a2/2...; the longer list keeps its king.
    {kExchange, "k8/9/9/3sp4/4G4/4PS3/9/9/8K", "-", 0, kC, 9},
    {kExchange, "k8/9/9/3sp4/4G4/4PS3/9/9/8K", "-", 0, kP, -16},
    {kExchange, "9/9/9/3sp4/4G4/3KPk3/9/9/9", "-", 0, kC, 17},
    {kExchange, "k8/4l4/3n5/4p4/4S4/4G4/9/4R4/8K", "-", 0, kC, 28},  // attackers seen through
    {kExchange, "9/9/9/4p4/4Sk3/3GP4/9/9/8K", "-", 0, kC, 14},  // equal lengths: attacker's king
    // Mobility of bishops and rooks: 0 safe moves -2, 1 -1, 2 -4, more as counted.
    {kMobility, "b5G1r/1p7/8p/9/2k6/9/9/P8/R1N1K3B", "-", 0, kC, -10},
    // Enemy camp: the best of pawn 11, lance 5, knight 4, silver 1, bishop or rook 2 over the
    // squares the enemy does not attack; the first rule that raises the value counts.
    {kEnemyCamp, "4k4/9/9/1r7/9/1s7/9/9/8K", "-", 4, kC, 2},
    {kEnemyCamp, "4k4/9/9/6l2/3n5/1s5p1/9/9/4K4", "-", 4, kC, 11},
    // From phase 5 only squares near the king with two attacks.
    {kEnemyCamp, "4k4/9/9/6l2/3n5/1s5p1/9/9/4K4", "-", 5, kC, 4},
    {kEnemyCamp, "4k4/9/9/3P5/9/9/9/9/4K4", "-", 2, kP, -11},
};

TEST(Terms, Table) {
  for (const TermCase& c : kTermCases) {
    Board b(c.sfen, c.hands, c.phase);
    b.Prepare(c.side);
    const int kc = c.missingKing == kC ? -1 : b.kc;
    const int kp = c.missingKing == kP ? -1 : b.kp;
    const int got[] = {MaterialTerm(*b.gs, b.pos),
                       PlacementTerm(*b.gs, b.pos, kc, kp),
                       KingSafetyTerm(*b.gs, b.pos, c.side, kc, kp),
                       ExchangeTerm(*b.gs, b.pos, c.side),
                       MajorMobilityTerm(*b.gs, b.pos, c.side),
                       EnemyCampTerm(*b.gs, b.pos, c.side, kc, kp)};
    EXPECT_EQ(got[c.term], c.expected) << "term " << c.term << " " << c.sfen << " " << c.hands
                                       << " phase " << c.phase << " side " << c.side;
  }
}

}  // namespace
}  // namespace shogi
