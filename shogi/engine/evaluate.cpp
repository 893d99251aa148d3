#include "shogi/engine/evaluate.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "shogi/engine/clock.h"
#include "shogi/rules/analyze.h"
#include "shogi/rules/attacks.h"

namespace shogi {

namespace {

constexpr int kPhaseCount = 9;

// Term weights per game phase: material, placement, king safety, exchange, major mobility,
// enemy camp.
constexpr int kEvalWeights[kPhaseCount][6] = {
    {0, 0, 0, 0, 0, 0},    {60, 1, 1, 18, 1, 3},  {50, 1, 1, 18, 1, 3},
    {50, 5, 10, 15, 1, 2}, {45, 8, 15, 12, 1, 1}, {40, 8, 20, 12, 1, 1},
    {35, 9, 30, 10, 1, 1}, {35, 9, 40, 10, 1, 1}, {35, 9, 42, 10, 1, 1},
};

// Material values by kind: phases 0-4, 5-6 and 7-8 (the promoted minor pieces lose worth as
// the game goes on).
constexpr int kMaterialValue[3][kKindCount] = {
    {0, 1, 5, 6, 8, 9, 13, 15, 12, 10, 10, 9, 0, 15, 17, 999},
    {0, 1, 5, 6, 8, 9, 13, 15, 10, 10, 10, 9, 0, 15, 17, 999},
    {0, 1, 5, 6, 8, 9, 13, 15, 9, 9, 9, 9, 0, 15, 17, 999},
};

// What a piece is worth in an exchange on its square.
constexpr int kExchangeValue[kKindCount] = {0,  2,  10, 12, 16, 18, 26, 30,
                                            13, 15, 16, 17, 0,  28, 32, 32767};

// What a piece next to a king adds to its guard (or to the attack on it).
constexpr int kGuardValue[kKindCount] = {0, 1, 1, 1, 3, 3, 1, 0, 3, 3, 3, 3, 0, 3, 3, 0};

// Placement values before phase 3, written from the player's side: [row][rankIndex] holds the
// values for fileIndex 0..8. Rows: pawn, lance, knight, silver, gold, bishop, rook, promoted
// minor pieces, horse, dragon, king.
constexpr const char* kPlacementRows[11][9] = {
    {"000000000", "222222222", "222222222", "333333343", "512453455", "415544454", "222222222",
     "111111111", "000000000"},
    {"000000000", "111111111", "111111111", "111111111", "111111111", "111111111", "111111111",
     "111111111", "211111112"},
    {"000000000", "000000000", "111111111", "222222222", "222222222", "222222222", "333333333",
     "111111111", "141111141"},
    {"222222222", "222222222", "222222222", "222223343", "222224232", "012223331", "024422220",
     "115422331", "001000000"},
    {"222222222", "222222222", "222222222", "222222222", "222222222", "111111111", "024444421",
     "114525411", "001000100"},
    {"111111111", "111111111", "112222211", "122232221", "123333321", "122232221", "112222211",
     "111111111", "111111111"},
    {"444444444", "555555555", "444444444", "242222242", "242444242", "242222242", "222222222",
     "223333322", "222222222"},
    {"344444443", "344444443", "344444443", "222222222", "000000000", "000000000", "000000000",
     "000000000", "000000000"},
    {"222222222", "223333322", "233333332", "234444432", "234555432", "234444432", "233333332",
     "223333322", "222222222"},
    {"444444444", "444444444", "444444444", "333333333", "111111111", "111111111", "111111111",
     "111111111", "111111111"},
    {"111111111", "111111111", "111111111", "222222222", "222222222", "333333333", "333333333",
     "153111351", "221111122"},
};

// Row of kPlacementRows for each kind, -1 for none.
constexpr int kPlacementRowOfKind[kKindCount] = {-1, 0, 1, 2, 3, 4, 5, 6, 7, 7, 7, 7, -1, 8, 9, 10};

// Placement values per kind and square (fileIndex*9 + rankIndex), already turned for the side
// that owns the piece: [0] for the player, [1] for the computer (board turned by 180 degrees).
struct PlacementTables {
  int value[2][kKindCount][81] = {};
  constexpr PlacementTables() {
    for (int kind = 0; kind < kKindCount; ++kind) {
      const int row = kPlacementRowOfKind[kind];
      if (row < 0) continue;
      for (int f = 0; f < 9; ++f) {
        for (int r = 0; r < 9; ++r) {
          value[0][kind][Sq(f, r)] = kPlacementRows[row][r][f] - '0';
          value[1][kind][Sq(f, r)] = kPlacementRows[row][8 - r][8 - f] - '0';
        }
      }
    }
  }
};
constexpr PlacementTables kPlacement{};

// Kinds that close in on the enemy king from phase 3 on: pawn, knight, silver, gold and the
// promoted minor pieces.
constexpr bool IsClosingKind(int kind) {
  switch (kind) {
    case kPawn:
    case kKnight:
    case kSilver:
    case kGold:
    case kProPawn:
    case kProLance:
    case kProKnight:
    case kProSilver:
      return true;
    default:
      return false;
  }
}

int PhaseIndex(const GameHistory& game) {
  return std::clamp(game.gamePhase, 0, kPhaseCount - 1);
}

const int* MaterialRow(const GameHistory& game) {
  const int phase = PhaseIndex(game);
  return kMaterialValue[phase <= 4 ? 0 : phase <= 6 ? 1 : 2];
}

constexpr bool OnBoardEntry(const PieceListEntry& e) {
  return e.owner != 0 && e.fileIndex < 9 && e.rankIndex < 9;
}

// Chebyshev distance from each king square to each square: kKingDistance.d[king + 1][sq]. Row 0
// stands for a missing king, farther than any square of the board.
struct KingDistanceTable {
  int8_t d[82][81] = {};
  constexpr KingDistanceTable() {
    for (int sq = 0; sq < 81; ++sq) d[0][sq] = 9;
    for (int king = 0; king < 81; ++king) {
      for (int sq = 0; sq < 81; ++sq) {
        const int df = SqFile(sq) - SqFile(king), dr = SqRank(sq) - SqRank(king);
        const int af = df < 0 ? -df : df, ar = dr < 0 ? -dr : dr;
        d[king + 1][sq] = static_cast<int8_t>(af > ar ? af : ar);
      }
    }
  }
};
constexpr KingDistanceTable kKingDistance{};

int KingDistance(int king, int sq) {
  return kKingDistance.d[king + 1][sq];
}

// How closely a piece at distance d (0..9) hems the king in: the number of the nested squares
// of distance below 8, below 7, ..., below 2 around the king that contain it.
constexpr int kClosingScore[10] = {7, 7, 6, 5, 4, 3, 2, 1, 0, 0};

constexpr int MobilityScore(int m) {
  return m == 0 ? -2 : m == 1 ? -1 : m == 2 ? -4 : m;
}

// Fills ownAttackMap for the side being evaluated and enemyAttackMap for its opponent, walking
// the piece list one piece at a time.
void BuildEvaluationMaps(AnalysisScratch& sc, const Position& pos, int side) {
  sc.ownAttackMap.Clear();
  sc.enemyAttackMap.Clear();
  for (const PieceListEntry& e : sc.pieceList) {
    if (!OnBoardEntry(e)) continue;
    AddPieceAttacks(pos, e.owner, e.fileIndex, e.rankIndex,
                    e.owner == side ? sc.ownAttackMap : sc.enemyAttackMap);
  }
}

const AttackMap& PlayerMap(const GameHistory& game, const AnalysisScratch& sc, int side) {
  return side == game.playerSide ? sc.ownAttackMap : sc.enemyAttackMap;
}
const AttackMap& ComputerMap(const GameHistory& game, const AnalysisScratch& sc, int side) {
  return side == game.playerSide ? sc.enemyAttackMap : sc.ownAttackMap;
}

int CountEvasions(const GameHistory& game, AnalysisScratch& sc, const Position& pos, int side) {
  AnalyzeEvasions(game, sc, pos, side, 0);
  int evasions = 0;
  for (int i = 0; i < sc.moveListCount; ++i) {
    const int v = sc.moveList[i].value;
    if (v == kWinScore) return kLossScore;
    if (v == kEvasionMark) ++evasions;
  }
  return evasions == 0 ? kWinScore : -evasions;
}

// The summed mobility of the side's bishops, rooks, horses and dragons: each reached square
// that holds no piece of the side and that `opponentMap` does not attack is a safe move.
// Refills enemyReachList with these pieces' reach.
int SideMobility(AnalysisScratch& sc, const Position& pos, int side, const AttackMap& opponentMap) {
  sc.enemyReachCount = 0;
  int sum = 0;
  for (const PieceListEntry& e : sc.pieceList) {
    if (e.owner != side || !OnBoardEntry(e) || !IsMajor(e.kind)) continue;
    const int first = sc.enemyReachCount;
    AppendPieceReach(sc, pos, side, e.fileIndex, e.rankIndex);
    int safe = 0;
    for (int i = first; i < sc.enemyReachCount; ++i) {
      const MoveRec& m = sc.enemyReachList[i].move;
      if (pos.Owner(m.toFile, m.toRank) != side && opponentMap.counts[Sq(m.toFile, m.toRank)] == 0)
        ++safe;
    }
    sum += MobilityScore(safe);
  }
  return sum;
}

// Exchange lists of one square from a map's per-kind counts: for each kind 1..7 first the
// kind, then its promoted kind, and the kings last.
struct ExchangeList {
  static constexpr int kCapacity = 96;
  int value[kCapacity];
  int length = 0;
  int kings = 0;

  explicit ExchangeList(const std::array<int32_t, kKindCount>& byKind) {
    for (int k = 1; k <= 7; ++k) {
      Push(k, byKind[k]);
      Push(k + kPromoteOffset, byKind[k + kPromoteOffset]);
    }
    const int before = length;
    Push(kKing, byKind[kKing]);
    kings = length - before;
  }
  void Push(int kind, int count) {
    for (; count > 0 && length < kCapacity; --count) value[length++] = kExchangeValue[kind];
  }
  void RemoveKings() {
    length -= kings;
    kings = 0;
  }
  int At(int i) const { return i < length ? value[i] : 0; }
};

}  // namespace

int CountReplies(const GameHistory& game, AnalysisScratch& sc, const Position& pos) {
  return CountEvasions(game, sc, pos, game.playerSide);
}

int CountComputerReplies(const GameHistory& game, AnalysisScratch& sc, const Position& pos) {
  return CountEvasions(game, sc, pos, game.computerSide);
}

void AppendPieceReach(AnalysisScratch& sc, const Position& pos, int side, int f, int r) {
  if (!OnBoard(f, r)) return;
  ForEachReach(pos, side, f, r, [&](int sq) {
    if (sc.enemyReachCount >= kReachListCapacity) return;
    sc.enemyReachList[sc.enemyReachCount++].move = {f, r, SqFile(sq), SqRank(sq), 0, 0};
  });
}

int MaterialTerm(const GameHistory& game, const AnalysisScratch& sc, const Position& pos) {
  const int* v = MaterialRow(game);
  int sum = 0;
  for (const PieceListEntry& e : sc.pieceList) {
    if (e.owner == game.computerSide)
      sum += v[e.kind];
    else if (e.owner == game.playerSide)
      sum -= v[e.kind];
  }
  const int computerPawns = pos.Hand(game.computerSide, kPawn);
  const int playerPawns = pos.Hand(game.playerSide, kPawn);
  if (computerPawns > 5) sum -= v[kPawn] * (computerPawns - 5);
  if (playerPawns > 5) sum += v[kPawn] * (playerPawns - 5);
  if (computerPawns == 0 && pos.Hand(game.playerSide, kLance) >= 1) sum -= v[kLance];
  if (playerPawns == 0 && pos.Hand(game.computerSide, kLance) >= 1) sum += v[kLance];
  return sum;
}

int PlacementTerm(const GameHistory& game, const AnalysisScratch& sc, const Position& /*pos*/,
                  int kc, int kp) {
  if (game.gamePhase < 3) {
    int computer = 0, player = 0;
    for (const PieceListEntry& e : sc.pieceList) {
      if (e.owner == 0) continue;
      const bool isComputer = e.owner == game.computerSide;
      const int v = OnBoardEntry(e)
                        ? kPlacement.value[isComputer ? 1 : 0][e.kind][Sq(e.fileIndex, e.rankIndex)]
                        : 2;
      (isComputer ? computer : player) += v;
    }
    return computer - player;
  }

  // Closing in on the enemy king: the computer's pieces around Kp, the player's around Kc.
  // Index 1 is the computer, 0 the player; the computer's line bonus is 5, the player's 4.
  int a[2] = {0, 0}, n[2] = {0, 0};
  for (const PieceListEntry& e : sc.pieceList) {
    if (e.owner == 0) continue;
    const int c = e.owner == game.computerSide ? 1 : 0;
    const int king = c ? kp : kc;
    const bool onBoard = OnBoardEntry(e);
    if (IsClosingKind(e.kind)) {
      a[c] += onBoard ? kClosingScore[KingDistance(king, Sq(e.fileIndex, e.rankIndex))] : 3;
      ++n[c];
    } else if (!onBoard || king < 0) {
      continue;
    } else if (e.kind == kLance) {
      const int df = e.fileIndex - SqFile(king);
      if (df >= -1 && df <= 1) {
        a[c] += 4 + c;
        ++n[c];
      }
    } else if (e.kind == kRook || e.kind == kDragon) {
      const int dr = e.rankIndex - SqRank(king);
      if (dr >= -1 && dr <= 1) {
        a[c] += 4 + c;
        ++n[c];
      }
    }
  }
  return (n[1] > 0 ? 16 * a[1] / n[1] : 0) - (n[0] > 0 ? 16 * a[0] / n[0] : 0);
}

// Also leaves kingDanger (the danger to the player's king) and the two king-neighbourhood
// scores gC + bC - 3*aC and gP + bP - 3*aP in the game state.
int KingSafetyTerm(const GameHistory& game, AnalysisScratch& sc, const Position& pos, int side,
                   int kc, int kp) {
  const AttackMap& playerMap = PlayerMap(game, sc, side);
  const AttackMap& computerMap = ComputerMap(game, sc, side);
  int gC = 0, aC = 0, gP = 0, aP = 0;

  // Guards: the pieces in the 3 x 3 blocks around the kings.
  for (const PieceListEntry& e : sc.pieceList) {
    if (!OnBoardEntry(e)) continue;
    const int guard = kGuardValue[e.kind];
    const int sq = Sq(e.fileIndex, e.rankIndex);
    const bool isComputer = e.owner == game.computerSide;
    if (KingDistance(kc, sq) <= 1) (isComputer ? gC : aC) += guard;
    if (KingDistance(kp, sq) <= 1) (isComputer ? aP : gP) += guard;
  }

  // Attacks on the blocks (a king's own attacks do not guard it) and the boxed-in kings.
  auto block = [&](int king, const AttackMap& own, const AttackMap& enemy, int ownSide, int& guard,
                   int& attack) {
    int boxed = 0;
    for (int df = -1; df <= 1; ++df) {
      for (int dr = -1; dr <= 1; ++dr) {
        const bool centre = df == 0 && dr == 0;
        if (king < 0) {
          if (!centre) ++boxed;
          continue;
        }
        const int f = SqFile(king) + df, r = SqRank(king) + dr;
        if (!OnBoard(f, r)) {
          if (!centre) ++boxed;
          continue;
        }
        const int sq = Sq(f, r);
        attack += enemy.counts[sq];
        guard += own.counts[sq] - own.byKind[sq][kKing];
        if (!centre && (pos.Owner(f, r) == ownSide || enemy.counts[sq] > 0)) ++boxed;
      }
    }
    return boxed == 8 ? -2 : boxed == 7 ? -1 : 0;
  };
  const int bC = block(kc, computerMap, playerMap, game.computerSide, gC, aC);
  const int bP = block(kp, playerMap, computerMap, game.playerSide, gP, aP);

  sc.kingDanger = 3 * aP - bP - gP;
  sc.kingTermComputer = gC + bC - 3 * aC;
  sc.kingTermPlayer = gP + bP - 3 * aP;
  sc.kingTermsFresh = 1;
  return bC + 3 * (aP - aC) + gC - bP - gP;
}

int ExchangeTerm(const GameHistory& game, const AnalysisScratch& sc, const Position& /*pos*/,
                 int side) {
  const int opponent = side == game.computerSide ? game.playerSide : game.computerSide;
  const AttackMap& own = sc.ownAttackMap;
  const AttackMap& enemy = sc.enemyAttackMap;
  int best = 0;
  for (const PieceListEntry& e : sc.pieceList) {
    if (e.owner != opponent || !OnBoardEntry(e)) continue;
    const int v = kExchangeValue[e.kind];
    const int sq = Sq(e.fileIndex, e.rankIndex);
    if (v <= 0 || own.counts[sq] <= 0) continue;

    ExchangeList attackers(own.byKind[sq]);
    ExchangeList defenders(enemy.byKind[sq]);
    if (defenders.length < attackers.length)
      defenders.RemoveKings();
    else
      attackers.RemoveKings();

    int gain = attackers.length > 0 ? v : 0;
    int loss = 0;
    const int longer = std::max(attackers.length, defenders.length);
    for (int i = 1; i <= longer; ++i) {
      if (i - 1 < defenders.length) loss += attackers.At(i - 1) / i;
      if (i < attackers.length) gain += defenders.At(i - 1) / (i + 1);
    }
    if (gain > loss) best = std::max(best, gain - loss);
  }
  return side == game.computerSide ? best : -best;
}

int MajorMobilityTerm(const GameHistory& game, AnalysisScratch& sc, const Position& pos, int side) {
  const int mc = SideMobility(sc, pos, game.computerSide, PlayerMap(game, sc, side));
  const int mp = SideMobility(sc, pos, game.playerSide, ComputerMap(game, sc, side));
  return mc - mp;
}

int EnemyCampTerm(const GameHistory& game, const AnalysisScratch& sc, const Position& /*pos*/,
                  int side, int kc, int kp) {
  const AttackMap& own = sc.ownAttackMap;
  const AttackMap& enemy = sc.enemyAttackMap;
  const bool isComputer = side == game.computerSide;
  const int firstRank = isComputer ? 6 : 0;
  const bool nearKingOnly = game.gamePhase >= 5;
  const int king = isComputer ? kp : kc;
  int v = 0;
  for (int f = 0; f < 9; ++f) {
    for (int r = firstRank; r < firstRank + 3; ++r) {
      const int sq = Sq(f, r);
      if (enemy.counts[sq] != 0) continue;
      if (nearKingOnly) {
        if (king < 0) continue;
        const int df = f - SqFile(king), dr = r - SqRank(king);
        if (df < -2 || df > 2 || dr < -2 || dr > 2 || own.counts[sq] < 2) continue;
      }
      const auto& k = own.byKind[sq];
      if (k[kPawn] > 0 && v < 11)
        v = 11;
      else if (k[kLance] > 0 && v < 5)
        v = 5;
      else if (k[kKnight] > 0 && v < 4)
        v = 4;
      else if (k[kSilver] > 0 && v < 1)
        v = 1;
      else if ((k[kBishop] > 0 || k[kRook] > 0) && v < 2)
        v = 2;
    }
  }
  return isComputer ? v : -v;
}

int Evaluate(const GameHistory& game, AnalysisScratch& sc, const Position& pos, int side) {
  ++sc.evaluateCalls;
  sc.kingTermsFresh = 0;
  BuildPieceList(sc, pos);
  BuildEvaluationMaps(sc, pos, side);

  int kc = -1, kp = -1;
  for (const PieceListEntry& e : sc.pieceList) {
    if (e.kind != kKing || !OnBoardEntry(e)) continue;
    int& king = e.owner == game.computerSide ? kc : kp;
    if (king < 0) king = Sq(e.fileIndex, e.rankIndex);
  }

  // Decisive values: a king that can be taken, or the side to move mated.
  if (side == game.computerSide && kp >= 0 && sc.ownAttackMap.counts[kp] > 0) return kWinScore;
  if (side == game.playerSide && kc >= 0 && sc.ownAttackMap.counts[kc] > 0) return kLossScore;
  if (side == game.computerSide && kc >= 0 && sc.enemyAttackMap.counts[kc] > 0) {
    if (CountComputerReplies(game, sc, pos) == kWinScore) return kLossScore;
    BuildEvaluationMaps(sc, pos, side);
  }
  if (side == game.playerSide && kp >= 0 && sc.enemyAttackMap.counts[kp] > 0) {
    if (CountReplies(game, sc, pos) == kWinScore) return kWinScore;
    BuildEvaluationMaps(sc, pos, side);
  }

  const int t1 = MaterialTerm(game, sc, pos);
  const int t2 = PlacementTerm(game, sc, pos, kc, kp);
  int t3 = KingSafetyTerm(game, sc, pos, side, kc, kp);
  const int t4 = ExchangeTerm(game, sc, pos, side);
  const int t5 = MajorMobilityTerm(game, sc, pos, side);
  const int t6 = EnemyCampTerm(game, sc, pos, side, kc, kp);
  if (t3 > 17 || t3 < -23) t3 = t3 * 12 / 10;

  const int* w = kEvalWeights[PhaseIndex(game)];
  int score = w[0] * t1 + w[1] * t2 + w[2] * t3 + w[3] * t4 + w[4] * t5 + w[5] * t6;
  if (game.useRandom == 1) {
    std::srand(static_cast<unsigned>(ClockSeconds(game)));
    score += std::rand() % 100;
  }
  return score;
}

}  // namespace shogi
