// Attack maps and the piece list.
//
// A square's attack count includes pieces lined up behind each other: a slide runs on through
// one friendly piece that slides along the same line, and covers one square beyond a friendly
// piece that steps along that line.
#pragma once

#include "shogi/rules/game_state.h"
#include "shogi/rules/square_set.h"

namespace shogi {

// Forward rank step of a side's pieces.
constexpr int Forward(int side) {
  return side == kComputerSide ? 1 : -1;
}

namespace detail {

// Bit sets of kinds (bit k set = kind k is a member).
constexpr unsigned KindBits(std::initializer_list<int> kinds) {
  unsigned b = 0;
  for (int k : kinds) b |= 1u << k;
  return b;
}
inline constexpr unsigned kFileCarriers = KindBits({kRook, kDragon});
inline constexpr unsigned kForwardFileCarriers = KindBits({kRook, kDragon, kLance});
inline constexpr unsigned kDiagonalCarriers = KindBits({kBishop, kHorse});
inline constexpr unsigned kForwardFileSteps =
    KindBits({kPawn, kSilver, kGold, kProPawn, kProLance, kProKnight, kProSilver});
inline constexpr unsigned kOrthogonalSteps =
    KindBits({kGold, kProPawn, kProLance, kProKnight, kProSilver});
inline constexpr unsigned kForwardDiagonalSteps = KindBits({kSilver, kGold, kBishop, kDragon});
inline constexpr unsigned kBackwardDiagonalSteps = KindBits({kSilver, kBishop, kDragon});

// One slide with the run-through and one-step-beyond continuations.
template <class Sink>
inline void Slide(const Position& pos, int side, int f, int r, int df, int dr, unsigned carriers,
                  unsigned steps, Sink&& sink) {
  int x = f + df, y = r + dr;
  bool ranThrough = false;
  while (OnBoard(x, y)) {
    sink(Sq(x, y));
    const int owner = pos.Owner(x, y);
    if (owner == 0) {
      x += df;
      y += dr;
      continue;
    }
    if (owner != side) return;
    const int k = pos.KindAt(x, y);
    if (!ranThrough && (carriers >> k & 1u)) {
      ranThrough = true;
      x += df;
      y += dr;
      continue;
    }
    if ((steps >> k & 1u) && OnBoard(x + df, y + dr)) sink(Sq(x + df, y + dr));
    return;
  }
}

template <class Sink>
inline void Step(int f, int r, Sink&& sink) {
  if (OnBoard(f, r)) sink(Sq(f, r));
}

}  // namespace detail

// Calls sink(square) for every square a piece of the given kind on (f, r) would attack,
// continuations included; the square (f, r) itself is not read.
template <class Sink>
inline void ForEachAttackOfKind(const Position& pos, int side, int kind, int f, int r,
                                Sink&& sink) {
  using namespace detail;
  const int fw = Forward(side);
  auto rookSlides = [&] {
    Slide(pos, side, f, r, 0, fw, kForwardFileCarriers, kForwardFileSteps, sink);
    Slide(pos, side, f, r, 0, -fw, kFileCarriers, kOrthogonalSteps, sink);
    Slide(pos, side, f, r, 1, 0, kFileCarriers, kOrthogonalSteps, sink);
    Slide(pos, side, f, r, -1, 0, kFileCarriers, kOrthogonalSteps, sink);
  };
  auto bishopSlides = [&] {
    Slide(pos, side, f, r, -1, fw, kDiagonalCarriers, kForwardDiagonalSteps, sink);
    Slide(pos, side, f, r, 1, fw, kDiagonalCarriers, kForwardDiagonalSteps, sink);
    Slide(pos, side, f, r, -1, -fw, kDiagonalCarriers, kBackwardDiagonalSteps, sink);
    Slide(pos, side, f, r, 1, -fw, kDiagonalCarriers, kBackwardDiagonalSteps, sink);
  };
  switch (kind) {
    case kPawn:
      Step(f, r + fw, sink);
      break;
    case kLance:
      Slide(pos, side, f, r, 0, fw, kForwardFileCarriers, kForwardFileSteps, sink);
      break;
    case kKnight:
      Step(f + 1, r + 2 * fw, sink);
      Step(f - 1, r + 2 * fw, sink);
      break;
    case kSilver:
      Step(f - 1, r + fw, sink);
      Step(f, r + fw, sink);
      Step(f + 1, r + fw, sink);
      Step(f - 1, r - fw, sink);
      Step(f + 1, r - fw, sink);
      break;
    case kGold:
    case kProPawn:
    case kProLance:
    case kProKnight:
    case kProSilver:
      Step(f - 1, r + fw, sink);
      Step(f, r + fw, sink);
      Step(f + 1, r + fw, sink);
      Step(f - 1, r, sink);
      Step(f + 1, r, sink);
      Step(f, r - fw, sink);
      break;
    case kBishop:
      bishopSlides();
      break;
    case kHorse:
      bishopSlides();
      Step(f, r + 1, sink);
      Step(f + 1, r, sink);
      Step(f - 1, r, sink);
      Step(f, r - 1, sink);
      break;
    case kRook:
      rookSlides();
      break;
    case kDragon:
      rookSlides();
      Step(f - 1, r + 1, sink);
      Step(f + 1, r + 1, sink);
      Step(f - 1, r - 1, sink);
      Step(f + 1, r - 1, sink);
      break;
    case kKing:
      for (int df = -1; df <= 1; ++df)
        for (int dr = -1; dr <= 1; ++dr)
          if (df != 0 || dr != 0) Step(f + df, r + dr, sink);
      break;
    default:
      break;
  }
}

// Calls sink(square) for every square the piece on (f, r) attacks, continuations included.
// A single piece attacks each square at most once.
template <class Sink>
inline void ForEachAttack(const Position& pos, int side, int f, int r, Sink&& sink) {
  ForEachAttackOfKind(pos, side, pos.KindAt(f, r), f, r, sink);
}

// The set of squares the piece on (f, r) attacks.
SquareSet PieceAttackSet(const Position& pos, int side, int f, int r);
namespace detail {

// Attack sets of the step pieces, which do not depend on the other pieces: [side][kind][sq].
struct StepTables {
  SquareSet set[3][kKindCount][81];
  constexpr StepTables() {
    for (int side = 1; side <= 2; ++side) {
      const int fw = Forward(side);
      for (int sq = 0; sq < 81; ++sq) {
        const int f = SqFile(sq), r = SqRank(sq);
        auto add = [&](int kind, int df, int dr) {
          if (OnBoard(f + df, r + dr)) set[side][kind][sq].Add(Sq(f + df, r + dr));
        };
        add(kPawn, 0, fw);
        add(kKnight, 1, 2 * fw);
        add(kKnight, -1, 2 * fw);
        for (int df = -1; df <= 1; ++df) {
          add(kSilver, df, fw);
          for (int gold : {kGold, kProPawn, kProLance, kProKnight, kProSilver}) add(gold, df, fw);
        }
        add(kSilver, -1, -fw);
        add(kSilver, 1, -fw);
        for (int gold : {kGold, kProPawn, kProLance, kProKnight, kProSilver}) {
          add(gold, -1, 0);
          add(gold, 1, 0);
          add(gold, 0, -fw);
        }
        for (int df = -1; df <= 1; ++df)
          for (int dr = -1; dr <= 1; ++dr)
            if (df != 0 || dr != 0) add(kKing, df, dr);
      }
    }
  }
};
inline constexpr StepTables kStepTables{};

}  // namespace detail

// The attack set of a step piece (not a lance, bishop, rook, horse or dragon) of the side on
// the square, which does not depend on the other pieces.
inline SquareSet StepAttackSet(int side, int kind, int sq) {
  return detail::kStepTables.set[side][kind][sq];
}

// Adds what the piece standing on (f, r) attacks to the map, totals and per-kind counts alike.
void AddPieceAttacks(const Position& pos, int side, int f, int r, AttackMap& map);
// Adds what all of the side's pieces attack, visiting the board file by file.
void BuildAttackMap(const Position& pos, int side, AttackMap& map);
// Like BuildAttackMap, restricted to the sliding pieces (lance, bishop, rook and their
// promotions).
void BuildSliderAttackMap(const Position& pos, int side, AttackMap& map);
// Zeroes the per-square totals (byKind is left alone) and adds what the piece on (f, r) attacks.
void BuildPieceAttackMap(const Position& pos, int side, AttackMap& map, int f, int r);
// Zeroes the per-square totals, then adds what the piece on (f, r) attacks together with what
// all the side's sliding pieces attack.
void BuildPieceAndSliderMap(const Position& pos, int side, AttackMap& map, int f, int r);
// The square (fileIndex*9 + rankIndex) of the side's king, or -1 when it has none.
int FindKing(const Position& pos, int side);
// Rewrites gs.pieceList from the position.
void BuildPieceList(GameState& gs, const Position& pos);

// Calls sink(square) for each square the piece can reach in one move, ignoring what stands
// there: the squares it steps to, and along each line every square until (and with) the first
// one that is occupied.
template <class Sink>
inline void ForEachReach(const Position& pos, int side, int f, int r, Sink&& sink) {
  const int fw = Forward(side);
  auto slide = [&](int df, int dr) {
    int x = f + df, y = r + dr;
    while (OnBoard(x, y)) {
      sink(Sq(x, y));
      if (pos.Owner(x, y) != 0) return;
      x += df;
      y += dr;
    }
  };
  auto step = [&](int x, int y) {
    if (OnBoard(x, y)) sink(Sq(x, y));
  };
  switch (pos.KindAt(f, r)) {
    case kLance:
      slide(0, fw);
      break;
    case kBishop:
    case kHorse:
      slide(-1, fw);
      slide(1, fw);
      slide(-1, -fw);
      slide(1, -fw);
      if (pos.KindAt(f, r) == kHorse) {
        step(f, r + 1);
        step(f + 1, r);
        step(f - 1, r);
        step(f, r - 1);
      }
      break;
    case kRook:
    case kDragon:
      slide(0, fw);
      slide(0, -fw);
      slide(1, 0);
      slide(-1, 0);
      if (pos.KindAt(f, r) == kDragon) {
        step(f - 1, r + 1);
        step(f + 1, r + 1);
        step(f - 1, r - 1);
        step(f + 1, r - 1);
      }
      break;
    default: {
      // Step pieces reach exactly what they attack; steps have no continuations.
      ForEachAttack(pos, side, f, r, sink);
      break;
    }
  }
}

}  // namespace shogi
