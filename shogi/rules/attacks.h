// Attack maps and the piece list.
//
// A square's attack count includes pieces lined up behind each other: a slide runs on through
// one friendly piece that slides along the same line, and covers one square beyond a friendly
// piece that steps along that line.
#pragma once

#include "shogi/rules/game_state.h"
#include "shogi/rules/movement.h"
#include "shogi/rules/square_set.h"

namespace shogi {

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
  const Movement& mv = MovementOf(side, kind);
  mv.ForEachSlide([&](Direction d) {
    // Which friendly pieces a line runs through, and which ones it reaches one step beyond.
    if (d.df == 0 && d.dr == fw)
      Slide(pos, side, f, r, d.df, d.dr, kForwardFileCarriers, kForwardFileSteps, sink);
    else if (d.df == 0 || d.dr == 0)
      Slide(pos, side, f, r, d.df, d.dr, kFileCarriers, kOrthogonalSteps, sink);
    else if (d.dr == fw)
      Slide(pos, side, f, r, d.df, d.dr, kDiagonalCarriers, kForwardDiagonalSteps, sink);
    else
      Slide(pos, side, f, r, d.df, d.dr, kDiagonalCarriers, kBackwardDiagonalSteps, sink);
  });
  mv.ForEachStep([&](Direction d) { Step(f + d.df, r + d.dr, sink); });
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
    for (int side = kPlayerSide; side <= kComputerSide; ++side)
      for (int kind = 0; kind < kKindCount; ++kind) {
        const Movement& mv = MovementOf(side, kind);
        if (mv.slideCount > 0) continue;
        for (int sq = 0; sq < 81; ++sq) {
          const int f = SqFile(sq), r = SqRank(sq);
          mv.ForEachStep([&](Direction d) {
            if (OnBoard(f + d.df, r + d.dr)) set[side][kind][sq].Add(Sq(f + d.df, r + d.dr));
          });
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
void BuildPieceList(AnalysisScratch& sc, const Position& pos);

// Calls sink(square) for each square the piece can reach in one move, ignoring what stands
// there: the squares it steps to, and along each line every square until (and with) the first
// one that is occupied.
template <class Sink>
inline void ForEachReach(const Position& pos, int side, int f, int r, Sink&& sink) {
  const Movement& mv = MovementOf(side, pos.KindAt(f, r));
  mv.ForEachSlide([&](Direction d) {
    for (int x = f + d.df, y = r + d.dr; OnBoard(x, y); x += d.df, y += d.dr) {
      sink(Sq(x, y));
      if (pos.Owner(x, y) != 0) return;
    }
  });
  mv.ForEachStep([&](Direction d) {
    if (OnBoard(f + d.df, r + d.dr)) sink(Sq(f + d.df, r + d.dr));
  });
}

}  // namespace shogi
