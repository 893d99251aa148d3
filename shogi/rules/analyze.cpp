#include "shogi/rules/analyze.h"

#include <algorithm>
#include <cstdlib>
#include <functional>

#include "shogi/rules/attacks.h"
#include "shogi/rules/movegen.h"

namespace shogi {

namespace {

// Applies a move to a working position and takes it back again; the result of Apply is the
// same as ApplyMove's.
class TrialMove {
 public:
  TrialMove(Position& pos, const MoveRec& m, int side) : pos_(pos) {
    SaveSquare(m.toFile, m.toRank);
    if (m.dropKind > 0) {
      SaveHand(side, m.dropKind);
    } else {
      SaveSquare(m.fromFile, m.fromRank);
      const int k = pos.KindAt(m.toFile, m.toRank);
      if (pos.Owner(m.toFile, m.toRank) > 0)
        SaveHand(side, k > kPromoteOffset ? k - kPromoteOffset : k);
    }
    ApplyMove(pos, m, side);
  }
  ~TrialMove() {
    // Newest first, so a square saved twice ends with its oldest value.
    for (int i = n_ - 1; i >= 0; --i) {
      const Saved& s = saved_[i];
      if (s.isHand)
        pos_.SetHand(s.x, s.y, s.first);
      else
        pos_.Set(s.x, s.y, s.first, s.second);
    }
  }
  TrialMove(const TrialMove&) = delete;
  TrialMove& operator=(const TrialMove&) = delete;

 private:
  struct Saved {
    bool isHand;
    int x, y;           // file and rank, or side and kind
    int first, second;  // owner and kind, or the count in hand
  };
  void SaveSquare(int f, int r) {
    saved_[n_++] = {false, f, r, pos_.Owner(f, r), pos_.KindAt(f, r)};
  }
  void SaveHand(int side, int kind) { saved_[n_++] = {true, side, kind, pos_.Hand(side, kind), 0}; }
  Position& pos_;
  Saved saved_[3] = {};
  int n_ = 0;
};

// The gains list of one entry: at most 20, never a 0; when full the 20 largest are kept.
class Gains {
 public:
  explicit Gains(MoveEntry& e) : e_(e) {}
  bool Empty() const { return n_ == 0; }
  int First() const { return e_.gains[0]; }
  void Add(int g) {
    if (g == 0) return;
    if (n_ < kMaxGains) {
      e_.gains[n_++] = g;
      if (n_ < kMaxGains) e_.gains[n_] = 0;
      return;
    }
    int* smallest = std::min_element(e_.gains.begin(), e_.gains.end());
    if (g > *smallest) *smallest = g;
  }
  void Clear() {
    e_.gains[0] = 0;
    n_ = 0;
  }
  void SetFirst(int g) {
    e_.gains[0] = g;
    if (n_ == 0) {
      n_ = 1;
      e_.gains[1] = 0;
    }
  }
  void SortDescending() { std::sort(e_.gains.begin(), e_.gains.begin() + n_, std::greater<>()); }

 private:
  MoveEntry& e_;
  int n_ = 0;
};

constexpr bool Near(int sq, int kingSq) {
  return kingSq >= 0 && std::abs(SqFile(sq) - SqFile(kingSq)) <= 1 &&
         std::abs(SqRank(sq) - SqRank(kingSq)) <= 1;
}

// Gains of the move valuation that have no table of their own.
constexpr int kKingStepGain = 64;
constexpr int kOpenLineGain = 62;  // a pawn step that opens the rook's or bishop's line
// Pruning thresholds: beside the escape of an attacked major piece, and in the opening on a
// square the enemy controls.
constexpr int kWeakBesideMajorEscape = 66;
constexpr int kWeakInTheOpening = 78;

// Is the value the escape of an attacked bishop, rook, horse or dragon?
constexpr bool IsMajorEscape(int value) {
  return value == kPieceRank[kBishop] || value == kPieceRank[kHorse] ||
         value == kPieceRank[kRook] || value == kPieceRank[kDragon];
}

constexpr bool InOwnCamp(int side, int rank) {
  return side == kComputerSide ? rank < 3 : rank > 5;
}
constexpr bool InEnemyCamp(int side, int rank) {
  return side == kComputerSide ? rank > 5 : rank < 3;
}

// Everything one analysis call shares between its moves.
class Analysis {
 public:
  Analysis(const GameHistory& game, AnalysisScratch& sc, const Position& pos, int side, int ply)
      : game_(game), sc_(sc), pos_(pos), work_(pos), side_(side), opp_(Opponent(side)), ply_(ply) {}

  // Steps shared by both variants: clear, enemy reach and the enemy sliders' lines.
  void Prepare() {
    sc_.moveListCount = 0;
    sc_.enemyReachCount = 0;
    sc_.lineCount = 0;
    sc_.ownAttackMap.Clear();
    sc_.enemyAttackMap.Clear();
    sc_.controlBalance.ClearCounts();
    sc_.threatMap.ClearCounts();
    for (int f = 0; f < 9; ++f) {
      for (int r = 0; r < 9; ++r) {
        if (pos_.Owner(f, r) != opp_) continue;
        ForEachReach(pos_, opp_, f, r, [&](int sq) {
          if (sc_.enemyReachCount >= kReachListCapacity) return;
          sc_.enemyReachList[sc_.enemyReachCount++].move = {f, r, SqFile(sq), SqRank(sq), 0, 0};
        });
        if (IsSlider(pos_.KindAt(f, r))) {
          GeneratePieceMoves(sc_, pos_, opp_, f, r);
          oppSliders_[oppSliderCount_++] = {f, r};
        }
      }
    }
    ownKing_ = FindKing(pos_, side_);
    oppKing_ = FindKing(pos_, opp_);
  }

  // Walks the reach list: threat values and the number of checks.
  int CountThreats(bool checkersOnly) {
    int checks = 0;
    for (int i = 0; i < sc_.enemyReachCount; ++i) {
      const MoveRec& m = sc_.enemyReachList[i].move;
      if (pos_.Owner(m.toFile, m.toRank) != side_) continue;
      const int kind = pos_.KindAt(m.toFile, m.toRank);
      int& threat = sc_.threatMap.counts[Sq(m.fromFile, m.fromRank)];
      if (kind == kKing) ++checks;
      if (checkersOnly) {
        if (kind == kKing) threat = kEvasionMark;
      } else {
        threat = std::max(threat, kPieceRank[kind]);
      }
    }
    return checks;
  }

  void BuildMaps(bool kingLinesOnly) {
    BuildAttackMap(pos_, opp_, sc_.enemyAttackMap);
    sc_.savedLineCount = 0;
    for (int i = 0; i < sc_.lineCount; ++i) {
      const ListEntry& l = sc_.lineList[i];
      if (kingLinesOnly && l.value != kEvasionMark) continue;
      ListEntry& s = sc_.savedLineList[sc_.savedLineCount++];
      s.Reset(l.move);
      s.value = l.value;
      lineSquares_.Add(Sq(l.move.toFile, l.move.toRank));
    }
    BuildAttackMap(pos_, side_, sc_.ownAttackMap);
    for (int sq = 0; sq < 81; ++sq)
      sc_.controlBalance.counts[sq] = sc_.ownAttackMap.counts[sq] - sc_.enemyAttackMap.counts[sq];
    GenerateMoves(sc_, pos_, side_);
  }

  void ValueMoves();
  void ValueEvasions(int checks);

 private:
  struct Square {
    int f, r;
  };

  // Per-move facts.
  struct MoveFacts {
    bool drop;
    int T, O, K, captured;
  };

  MoveFacts Facts(const MoveRec& m) const {
    MoveFacts x{};
    x.drop = m.dropKind > 0;
    x.T = Sq(m.toFile, m.toRank);
    x.O = x.drop ? -1 : Sq(m.fromFile, m.fromRank);
    x.K = x.drop ? m.dropKind : pos_.KindAt(m.fromFile, m.fromRank);
    x.captured =
        (!x.drop && pos_.Owner(m.toFile, m.toRank) == opp_) ? pos_.KindAt(m.toFile, m.toRank) : 0;
    return x;
  }

  bool EnemyPawnAttacks(int sq) const { return sc_.enemyAttackMap.byKind[sq][kPawn] > 0; }
  int Balance(int sq) const { return sc_.controlBalance.counts[sq]; }
  int OwnKingScore() const {
    return side_ == game_.computerSide ? game_.computerKingScore : game_.playerKingScore;
  }

  // The exposure test: after the move, does an enemy slider attack the own king? Also keeps
  // the enemy sliders' attack count on the destination after the move, for the escape rule.
  bool Exposes(const MoveRec& m, const MoveFacts& x) {
    TrialMove trial(work_, m, side_);
    const int king = x.K == kKing ? x.T : ownKing_;
    int atKing = 0, atT = 0;
    for (int i = 0; i < oppSliderCount_; ++i) {
      const Square s = oppSliders_[i];
      if (work_.Owner(s.f, s.r) != opp_) continue;  // captured by the move
      ForEachAttack(work_, opp_, s.f, s.r, [&](int sq) {
        atKing += sq == king;
        atT += sq == x.T;
      });
    }
    trialSlidersAtT_ = atT;
    return king >= 0 && atKing > 0;
  }

  // The attacks of the own piece on square o in the position analysed, computed once.
  const SquareSet& BeforeSet(int o) {
    if (!beforeKnown_.Has(o)) {
      before_[o] = PieceAttackSet(pos_, side_, SqFile(o), SqRank(o));
      beforeKnown_.Add(o);
    }
    return before_[o];
  }

  // Rule set for new attacks made by the move. Returns false when the move is rejected.
  bool ValueNewAttacks(const MoveRec& m, const MoveFacts& x, Gains& gains);

  const GameHistory& game_;
  AnalysisScratch& sc_;
  const Position& pos_;
  Position work_;
  const int side_, opp_, ply_;
  Square oppSliders_[40] = {};
  int oppSliderCount_ = 0;
  int ownKing_ = -1;
  int oppKing_ = -1;
  int trialSlidersAtT_ = 0;
  SquareSet beforeKnown_;
  SquareSet before_[81];
  SquareSet lineSquares_;  // in-between squares of the saved lines
};

bool Analysis::ValueNewAttacks(const MoveRec& m, const MoveFacts& x, Gains& gains) {
  const AttackMap& own = sc_.ownAttackMap;
  const bool allFive = own.byKind[x.T][kLance] > 0 && own.byKind[x.T][kBishop] > 0 &&
                       own.byKind[x.T][kRook] > 0 && own.byKind[x.T][kHorse] > 0 &&
                       own.byKind[x.T][kDragon] > 0;
  const bool balanceOk = x.drop ? Balance(x.T) >= 0 : Balance(x.T) > 0;

  // Squares whose count of the moving piece's attacks rose, in file-major order.
  const int kindAfter = x.drop ? x.K : x.K + (m.promote == 1 ? kPromoteOffset : 0);
  SquareSet raised;
  if (!allFive) {
    SquareSet after;
    if (IsSlider(kindAfter) && x.drop) {
      // A drop changes only its own square, which its slides never read.
      ForEachAttackOfKind(pos_, side_, kindAfter, m.toFile, m.toRank,
                          [&](int sq) { after.Add(sq); });
    } else if (IsSlider(kindAfter)) {
      TrialMove trial(work_, m, side_);
      after = PieceAttackSet(work_, side_, m.toFile, m.toRank);
    } else {
      after = StepAttackSet(side_, kindAfter, x.T);
    }
    raised = x.drop ? after : after.Minus(BeforeSet(x.O));
  } else {
    TrialMove trial(work_, m, side_);
    AttackMap& before = sc_.pieceMapBefore;
    AttackMap& after = sc_.pieceMapAfter;
    before.ClearCounts();
    if (!x.drop) AddPieceAttacks(pos_, side_, m.fromFile, m.fromRank, before);
    BuildSliderAttackMap(pos_, side_, before);
    BuildPieceAndSliderMap(work_, side_, after, m.toFile, m.toRank);
    for (int sq = 0; sq < 81; ++sq)
      if (after.counts[sq] > before.counts[sq]) raised.Add(sq);
  }
  // The board after the move, where it differs from the board before.
  auto ownerAfter = [&](int s) {
    return s == x.T ? side_ : s == x.O ? 0 : pos_.Owner(SqFile(s), SqRank(s));
  };
  auto kindAfterAt = [&](int s) {
    return s == x.T ? kindAfter : s == x.O ? 0 : pos_.KindAt(SqFile(s), SqRank(s));
  };

  // Newly attacked pieces.
  bool rejected = false;
  const int ownKingAfter = x.K == kKing ? x.T : ownKing_;
  const bool computerMoves = side_ == game_.computerSide;
  const int computerKing = computerMoves ? ownKingAfter : oppKing_;
  const int playerKing = computerMoves ? oppKing_ : ownKingAfter;
  raised.ForEach([&](int s) {
    if (rejected) return;
    const int owner = ownerAfter(s);
    if (owner == 0) return;
    const int kind = kindAfterAt(s);
    if (owner == side_) {
      if (sc_.enemyAttackMap.counts[s] <= 0 || kind == kKing || IsMajor(kind)) return;
      if (game_.computerKingScore < -12 && game_.playerKingScore < -12) {
        if (balanceOk) gains.Add(62);
      } else if (balanceOk) {
        if (game_.computerKingScore > -15 && Near(s, computerKing)) gains.Add(64);
        if (game_.playerKingScore > -15 && Near(s, playerKing)) gains.Add(64);
      }
      return;
    }
    if (ply_ >= game_.level && gains.Empty() && (Balance(x.T) < 1 || EnemyPawnAttacks(x.T))) {
      rejected = true;
      return;
    }
    if (!EnemyPawnAttacks(x.T) || x.K == kPawn) {
      gains.Add(kCheckGain[kind]);
      if (kind == kKing && OwnKingScore() > -11 && balanceOk) gains.Add(83);
    }
  });
  if (rejected) return false;

  // Advance into the enemy camp and defence of the own camp. Every gain here is kept, so the
  // order in which they are added does not matter.
  if (balanceOk) {
    const bool computer = side_ == game_.computerSide;
    if (x.K < kProPawn) {
      const SquareSet enemyCamp = computer ? SquareSet::Ranks(6, 8) : SquareSet::Ranks(0, 2);
      for (int n = raised.And(enemyCamp).Count(); n > 0; --n) gains.Add(kAdvanceGain[x.K]);
    }
    const SquareSet ownCamp = computer ? SquareSet::Ranks(0, 2) : SquareSet::Ranks(6, 8);
    raised.And(ownCamp).ForEach([&](int s) { gains.Add(DefenceGain(sc_.enemyAttackMap, s)); });
  }
  return true;
}

void Analysis::ValueMoves() {
  int best = 0;  // the largest value so far
  const AttackMap& enemy = sc_.enemyAttackMap;
  const AttackMap& own = sc_.ownAttackMap;
  for (int i = 0; i < sc_.moveListCount; ++i) {
    MoveEntry& e = sc_.moveList[i];
    const MoveRec m = e.move;
    const MoveFacts x = Facts(m);
    Gains gains(e);
    bool rejected = false;
    auto reject = [&] {
      e.value = kLossScore;
      rejected = true;
    };

    // A king may not step onto an attacked square.
    if (!x.drop && x.K == kKing && enemy.counts[x.T] > 0) {
      reject();
      e.illegal = 1;
    }
    // Drops onto squares the enemy controls.
    if (!rejected && x.drop && m.dropKind > kPawn && Balance(x.T) < 0) reject();
    // Captures.
    if (!rejected && x.captured != 0) {
      gains.Add(kCaptureGain[x.captured]);
      if (kCaptureGain[x.captured] == kWinScore) {
        e.value = kWinScore;
        break;  // the king is taken: nothing else matters
      }
      if (ply_ > game_.level && Balance(x.T) < 1 && IsMajor(x.K)) gains.Clear();
      if (sc_.threatMap.counts[x.T] > 0) gains.Add(sc_.threatMap.counts[x.T]);
      if (Balance(x.T) < 1 && x.captured != kKing && !IsMajor(x.captured) &&
          (ply_ > game_.level || kCaptureGain[x.captured] < kCaptureGain[x.K] - 6))
        reject();
    }
    // Exposure of the own king, for every move away from an enemy slider's line.
    if (!x.drop && enemy.SliderAttacks(x.O) && Exposes(m, x)) {
      reject();
      e.illegal = 1;
    }
    if (!rejected && IsMajor(x.K) && gains.Empty() && EnemyPawnAttacks(x.T)) reject();
    // Escape of an attacked piece.
    if (!rejected && !x.drop && enemy.counts[x.O] > 0) {
      bool escapes = true;
      if (gains.Empty()) {
        if (EnemyPawnAttacks(x.T) && x.K != kPawn)
          reject();
        else
          escapes = Balance(x.T) > 0;
      }
      if (!rejected && escapes && !enemy.SliderAttacks(x.T) &&
          (!enemy.SliderAttacks(x.O) || trialSlidersAtT_ == 0))
        gains.Add(kPieceRank[x.K]);
    }
    if (!rejected && IsMajor(x.K) && gains.Empty() && !x.drop && Balance(x.T) < 1) reject();
    // Promotion.
    if (!rejected && m.promote == 1) {
      if (EnemyPawnAttacks(x.T) && x.K != kPawn && x.captured == 0)
        reject();
      else if ((x.K == kBishop || x.K == kRook) && x.captured == 0 && enemy.counts[x.T] > 0)
        reject();
      else if (ply_ > game_.level && Balance(x.T) < 1)
        reject();
      else
        gains.Add(kPromotionGain[x.K]);
    }
    if (!rejected) {
      // Blocking an enemy slider's line.
      for (int j = 0; lineSquares_.Has(x.T) && j < sc_.savedLineCount; ++j) {
        const ListEntry& l = sc_.savedLineList[j];
        if (Sq(l.move.toFile, l.move.toRank) != x.T) continue;
        if (!x.drop && Sq(l.move.fromFile, l.move.fromRank) == x.O) continue;
        if (Balance(x.T) >= 0 && kCaptureGain[x.K] < l.value - 2) gains.Add(l.value);
      }
      // King step.
      if (!x.drop && x.K == kKing && OwnKingScore() > -4) gains.Add(kKingStepGain);
      // New attacks.
      if (best != kEvasionMark && (ply_ <= game_.level || game_.gamePhase < 4) &&
          !ValueNewAttacks(m, x, gains))
        reject();
    }
    if (!rejected) {
      // Defensive pawn drop.
      if (x.drop && m.dropKind == kPawn && InOwnCamp(side_, m.toRank) && Balance(x.T) >= 0)
        gains.Add(DefenceGain(enemy, x.T));
      // Opening lines for the rook and bishop.
      if (game_.gamePhase < 4 && !x.drop && x.K == kPawn) {
        if (own.byKind[x.O][kRook] > 0) gains.Add(kOpenLineGain);
        if (own.byKind[x.O][kBishop] > 0) gains.Add(kOpenLineGain);
      }
      if (gains.First() > 0) e.supportBalance = Balance(x.T) - (x.drop ? 0 : 1);
      gains.SortDescending();
      e.value = gains.First();
    }
    best = std::max(best, static_cast<int>(e.value));
  }

  // Final pruning.
  for (int i = 0; i < sc_.moveListCount; ++i) {
    MoveEntry& e = sc_.moveList[i];
    if (best == kEvasionMark && e.value < kEvasionMark) {
      e.value = kLossScore;
      e.illegal = 1;
    }
    // When saving an attacked major piece is the best move, only strong moves stay.
    if (IsMajorEscape(best) && e.value < kWeakBesideMajorEscape) e.value = kLossScore;
    if (game_.gamePhase < 3 && e.value < kWeakInTheOpening &&
        sc_.controlBalance.counts[Sq(e.move.toFile, e.move.toRank)] < 0)
      e.value = kLossScore;
  }
}

void Analysis::ValueEvasions(int checks) {
  const AttackMap& enemy = sc_.enemyAttackMap;
  for (int i = 0; i < sc_.moveListCount; ++i) {
    MoveEntry& e = sc_.moveList[i];
    const MoveRec m = e.move;
    const MoveFacts x = Facts(m);
    Gains gains(e);
    bool rejected = false;

    if (!x.drop && x.K == kKing && enemy.counts[x.T] > 0) {
      e.value = kLossScore;
      e.illegal = 1;
      rejected = true;
    }
    if (!rejected && x.captured != 0) {
      gains.Add(kCaptureGain[x.captured]);
      if (kCaptureGain[x.captured] == kWinScore) {
        e.value = kWinScore;
        return;
      }
      if (sc_.threatMap.counts[x.T] == kEvasionMark) gains.Add(kEvasionMark);
    }
    if (!x.drop && enemy.SliderAttacks(x.O) && Exposes(m, x)) {
      e.value = kLossScore;
      e.illegal = 1;
      rejected = true;
    }
    // Against two checkers only the king can move: taking one checker leaves the other.
    if (!rejected && checks >= 2 && (x.drop || x.K != kKing)) {
      e.value = kLossScore;
      e.illegal = 1;
      rejected = true;
    }
    if (!rejected && !x.drop && x.K == kKing && enemy.counts[x.T] == 0) gains.Add(kEvasionMark);
    // Interposition against a single check.
    if (!rejected && checks < 2 && (x.drop || x.K != kKing) && lineSquares_.Has(x.T)) {
      for (int j = 0; j < sc_.savedLineCount && !rejected; ++j) {
        const ListEntry& l = sc_.savedLineList[j];
        if (Sq(l.move.toFile, l.move.toRank) != x.T) continue;
        if (ply_ <= 2) {
          gains.Add(kEvasionMark);
          continue;
        }
        if (Balance(x.T) >= 0 && kCaptureGain[x.K] < l.value - 2) gains.Add(l.value);
        if (sc_.ownAttackMap.counts[x.T] == 0) {
          e.value = kLossScore;
          gains.SetFirst(kLossScore);
          rejected = true;
        }
      }
    }
    if (!rejected) {
      if (gains.First() < 1) {
        e.value = kLossScore;
      } else {
        e.supportBalance = Balance(x.T);
        gains.SortDescending();
        e.value = gains.First();
      }
    }
    if (e.value != kEvasionMark) e.illegal = 1;
  }
}

}  // namespace

int DefenceGain(const AttackMap& enemy, int sq) {
  const auto& k = enemy.byKind[sq];
  if (k[kPawn] > 0) return 57;
  if (k[kKnight] > 0) return 56;
  if (k[kLance] > 0) return 55;
  if (k[kSilver] > 0 || k[kBishop] > 0 || k[kRook] > 0) return 54;
  return 0;
}

int AnalyzeMoves(const GameHistory& game, AnalysisScratch& sc, const Position& pos, int side,
                 int ply) {
  ++sc.analyzeCalls;
  Analysis a(game, sc, pos, side, ply);
  a.Prepare();
  const int checks = a.CountThreats(false);
  if (checks > 0) {
    AnalyzeEvasions(game, sc, pos, side, ply);
    return 0;
  }
  a.BuildMaps(false);
  a.ValueMoves();
  return 0;
}

void AnalyzeEvasions(const GameHistory& game, AnalysisScratch& sc, const Position& pos, int side,
                     int ply) {
  ++sc.evasionCalls;
  Analysis a(game, sc, pos, side, ply);
  a.Prepare();
  const int checks = a.CountThreats(true);
  a.BuildMaps(true);
  a.ValueEvasions(checks);
}

}  // namespace shogi
