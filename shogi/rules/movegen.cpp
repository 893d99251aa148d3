#include "shogi/rules/movegen.h"

#include "shogi/rules/attacks.h"

namespace shogi {

namespace {

class Generator {
 public:
  Generator(AnalysisScratch& sc, const Position& pos, int side, int f, int r)
      : sc_(sc), pos_(pos), side_(side), f_(f), r_(r) {}

  // Slides first, then steps, each in the movement table's order.
  void Run() {
    const int kind = pos_.KindAt(f_, r_);
    const Movement& mv = MovementOf(side_, kind);
    mv.ForEachSlide(
        [&](Direction d) { SlideMoves(d.df, d.dr, [&](int x, int y) { AddOf(kind, d, x, y); }); });
    mv.ForEachStep([&](Direction d) {
      if (Usable(f_ + d.df, r_ + d.dr)) AddOf(kind, d, f_ + d.df, r_ + d.dr);
    });
  }

 private:
  bool Usable(int x, int y) const { return OnBoard(x, y) && pos_.Owner(x, y) != side_; }

  void Add(int x, int y, int promote) {
    if (sc_.moveListCount >= kMoveListCapacity) return;
    sc_.moveList[sc_.moveListCount++].Reset({f_, r_, x, y, promote, 0});
  }

  // Lance and knight: promoting entry only on the last two ranks, both entries on the first
  // rank of the zone.
  void AddLikeLance(int x, int y) {
    if (OnLastTwoRanks(side_, y)) {
      Add(x, y, 1);
    } else {
      Add(x, y, 0);
      if (y == FirstZoneRank(side_)) Add(x, y, 1);
    }
  }

  // The entries of a move of `kind` in direction d to (x, y): with promotion, without, or
  // both, by the rules of the kind.
  void AddOf(int kind, Direction d, int x, int y) {
    switch (kind) {
      case kPawn:
        Add(x, y, InZone(side_, y) ? 1 : 0);
        break;
      case kLance:
      case kKnight:
        AddLikeLance(x, y);
        break;
      case kSilver: {
        const bool forward = d.dr == Forward(side_);
        Add(x, y, 0);
        if ((forward && InZone(side_, y)) || (!forward && InZone(side_, r_))) Add(x, y, 1);
        break;
      }
      case kBishop:
      case kRook:
        Add(x, y, InZone(side_, r_) || InZone(side_, y) ? 1 : 0);
        break;
      default:
        Add(x, y, 0);
        break;
    }
  }

  template <class AddFn>
  void SlideMoves(int df, int dr, AddFn&& add) {
    int x = f_ + df, y = r_ + dr;
    int between = 0;
    while (OnBoard(x, y)) {
      const int owner = pos_.Owner(x, y);
      if (owner == side_) return;
      add(x, y);
      if (owner != 0) {
        AddLine(x, y, df, dr, between);
        return;
      }
      ++between;
      x += df;
      y += dr;
    }
  }

  // One line entry per empty square between the slider and the enemy piece on (x, y).
  void AddLine(int x, int y, int df, int dr, int between) {
    const int rank = kPieceRank[pos_.KindAt(x, y)];
    for (int i = 1; i <= between; ++i) {
      if (sc_.lineCount >= kLineListCapacity) return;
      ListEntry& e = sc_.lineList[sc_.lineCount++];
      e.Reset({x, y, f_ + i * df, r_ + i * dr, 0, 0});
      e.value = rank;
    }
  }

  AnalysisScratch& sc_;
  const Position& pos_;
  const int side_, f_, r_;
};

}  // namespace

void GeneratePieceMoves(AnalysisScratch& sc, const Position& pos, int side, int f, int r) {
  Generator(sc, pos, side, f, r).Run();
}

void GenerateMoves(AnalysisScratch& sc, const Position& pos, int side) {
  sc.moveListCount = 0;
  bool pawnOnFile[9] = {};
  for (int f = 0; f < 9; ++f)
    for (int r = 0; r < 9; ++r)
      if (pos.Owner(f, r) == side && pos.KindAt(f, r) == kPawn) pawnOnFile[f] = true;
  int hand[8] = {};
  bool anyInHand = false;
  for (int k = 1; k <= 7; ++k) {
    hand[k] = pos.Hand(side, k);
    anyInHand |= hand[k] > 0;
  }
  for (int f = 0; f < 9; ++f) {
    for (int r = 0; r < 9; ++r) {
      const int owner = pos.Owner(f, r);
      if (owner == side) {
        GeneratePieceMoves(sc, pos, side, f, r);
      } else if (owner == 0 && anyInHand) {
        for (int k = 1; k <= 7; ++k) {
          if (hand[k] <= 0) continue;
          if ((k == kPawn || k == kLance) && OnLastRank(side, r)) continue;
          if (k == kKnight && OnLastTwoRanks(side, r)) continue;
          if (k == kPawn && pawnOnFile[f]) continue;
          if (sc.moveListCount >= kMoveListCapacity) return;
          sc.moveList[sc.moveListCount++].Reset({0, 0, f, r, 0, k});
        }
      }
    }
  }
}

}  // namespace shogi
