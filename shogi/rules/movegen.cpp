#include "shogi/rules/movegen.h"

#include "shogi/rules/attacks.h"

namespace shogi {

namespace {

struct Delta {
  int df, dr;
};

// Step orders of the step pieces, per side (index 0 unused, 1 player, 2 computer).
constexpr Delta kSilverSteps[3][5] = {{},
                                      {{0, -1}, {-1, -1}, {1, -1}, {-1, 1}, {1, 1}},
                                      {{0, 1}, {-1, 1}, {1, 1}, {-1, -1}, {1, -1}}};
constexpr Delta kGoldSteps[3][6] = {{},
                                    {{0, -1}, {1, -1}, {-1, -1}, {1, 0}, {-1, 0}, {0, 1}},
                                    {{0, 1}, {-1, 1}, {1, 1}, {1, 0}, {-1, 0}, {0, -1}}};
constexpr Delta kDiagonalSlides[4] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
constexpr Delta kOrthogonalSlides[4] = {{0, 1}, {0, -1}, {1, 0}, {-1, 0}};
constexpr Delta kOrthogonalSteps[4] = {{0, 1}, {1, 0}, {-1, 0}, {0, -1}};
constexpr Delta kDiagonalSteps[4] = {{-1, 1}, {1, 1}, {-1, -1}, {1, -1}};

class Generator {
 public:
  Generator(GameState& gs, const Position& pos, int side, int f, int r)
      : gs_(gs), pos_(pos), side_(side), f_(f), r_(r) {}

  void Run() {
    const int kind = pos_.KindAt(f_, r_);
    const int fw = Forward(side_);
    switch (kind) {
      case kPawn:
        if (Usable(f_, r_ + fw)) Add(f_, r_ + fw, InZone(side_, r_ + fw) ? 1 : 0);
        break;
      case kLance:
        SlideMoves(0, fw, [&](int x, int y) { AddLikeLance(x, y); });
        break;
      case kKnight:
        if (Usable(f_ + 1, r_ + 2 * fw)) AddLikeLance(f_ + 1, r_ + 2 * fw);
        if (Usable(f_ - 1, r_ + 2 * fw)) AddLikeLance(f_ - 1, r_ + 2 * fw);
        break;
      case kSilver:
        for (const Delta& d : kSilverSteps[side_]) {
          const int x = f_ + d.df, y = r_ + d.dr;
          if (!Usable(x, y)) continue;
          const bool forward = d.dr == fw;
          Add(x, y, 0);
          if ((forward && InZone(side_, y)) || (!forward && InZone(side_, r_))) Add(x, y, 1);
        }
        break;
      case kGold:
      case kProPawn:
      case kProLance:
      case kProKnight:
      case kProSilver:
        for (const Delta& d : kGoldSteps[side_])
          if (Usable(f_ + d.df, r_ + d.dr)) Add(f_ + d.df, r_ + d.dr, 0);
        break;
      case kBishop:
      case kRook:
      case kHorse:
      case kDragon: {
        const bool promotes = kind == kBishop || kind == kRook;
        const bool diagonal = kind == kBishop || kind == kHorse;
        for (const Delta& d : diagonal ? kDiagonalSlides : kOrthogonalSlides)
          SlideMoves(d.df, d.dr, [&](int x, int y) {
            Add(x, y, promotes && (InZone(side_, r_) || InZone(side_, y)) ? 1 : 0);
          });
        if (kind == kHorse) Steps(kOrthogonalSteps);
        if (kind == kDragon) Steps(kDiagonalSteps);
        break;
      }
      case kKing:
        Steps(kOrthogonalSteps);
        Steps(kDiagonalSteps);
        break;
      default:
        break;
    }
  }

 private:
  bool Usable(int x, int y) const { return OnBoard(x, y) && pos_.Owner(x, y) != side_; }

  void Add(int x, int y, int promote) {
    if (gs_.moveListCount >= kMoveListCapacity) return;
    gs_.moveList[gs_.moveListCount++].Reset({f_, r_, x, y, promote, 0});
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

  template <std::size_t N>
  void Steps(const Delta (&deltas)[N]) {
    for (const Delta& d : deltas)
      if (Usable(f_ + d.df, r_ + d.dr)) Add(f_ + d.df, r_ + d.dr, 0);
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
      if (gs_.lineCount >= kLineListCapacity) return;
      ListEntry& e = gs_.lineList[gs_.lineCount++];
      e.Reset({x, y, f_ + i * df, r_ + i * dr, 0, 0});
      e.value = rank;
    }
  }

  GameState& gs_;
  const Position& pos_;
  const int side_, f_, r_;
};

}  // namespace

void GeneratePieceMoves(GameState& gs, const Position& pos, int side, int f, int r) {
  Generator(gs, pos, side, f, r).Run();
}

void GenerateMoves(GameState& gs, const Position& pos, int side) {
  gs.moveListCount = 0;
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
        GeneratePieceMoves(gs, pos, side, f, r);
      } else if (owner == 0 && anyInHand) {
        for (int k = 1; k <= 7; ++k) {
          if (hand[k] <= 0) continue;
          if ((k == kPawn || k == kLance) && OnLastRank(side, r)) continue;
          if (k == kKnight && OnLastTwoRanks(side, r)) continue;
          if (k == kPawn && pawnOnFile[f]) continue;
          if (gs.moveListCount >= kMoveListCapacity) return;
          gs.moveList[gs.moveListCount++].Reset({0, 0, f, r, 0, k});
        }
      }
    }
  }
}

}  // namespace shogi
