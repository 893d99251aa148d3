#include "shogi/rules/attacks.h"

namespace shogi {

SquareSet PieceAttackSet(const Position& pos, int side, int f, int r) {
  const int kind = pos.KindAt(f, r);
  if (!IsSlider(kind)) return StepAttackSet(side, kind, Sq(f, r));
  SquareSet set;
  ForEachAttack(pos, side, f, r, [&](int sq) { set.Add(sq); });
  return set;
}

void AddPieceAttacks(const Position& pos, int side, int f, int r, AttackMap& map) {
  const int kind = pos.KindAt(f, r);
  auto add = [&](int sq) {
    map.counts[sq] += 1;
    map.byKind[sq][kind] += 1;
  };
  if (!IsSlider(kind)) {
    if (kind > 0 && kind < kKindCount) StepAttackSet(side, kind, Sq(f, r)).ForEach(add);
    return;
  }
  ForEachAttack(pos, side, f, r, add);
}

void BuildAttackMap(const Position& pos, int side, AttackMap& map) {
  for (int f = 0; f < 9; ++f)
    for (int r = 0; r < 9; ++r)
      if (pos.Owner(f, r) == side) AddPieceAttacks(pos, side, f, r, map);
}

void BuildSliderAttackMap(const Position& pos, int side, AttackMap& map) {
  for (int f = 0; f < 9; ++f)
    for (int r = 0; r < 9; ++r)
      if (pos.Owner(f, r) == side && IsSlider(pos.KindAt(f, r)))
        AddPieceAttacks(pos, side, f, r, map);
}

void BuildPieceAttackMap(const Position& pos, int side, AttackMap& map, int f, int r) {
  map.ClearCounts();
  AddPieceAttacks(pos, side, f, r, map);
}

void BuildPieceAndSliderMap(const Position& pos, int side, AttackMap& map, int f, int r) {
  map.ClearCounts();
  AddPieceAttacks(pos, side, f, r, map);
  BuildSliderAttackMap(pos, side, map);
}

int FindKing(const Position& pos, int side) {
  for (int f = 0; f < 9; ++f)
    for (int r = 0; r < 9; ++r)
      if (pos.Owner(f, r) == side && pos.KindAt(f, r) == kKing) return Sq(f, r);
  return -1;
}

void BuildPieceList(AnalysisScratch& sc, const Position& pos) {
  int n = 0;
  for (int f = 0; f < 9; ++f)
    for (int r = 0; r < 9; ++r)
      if (pos.Owner(f, r) != 0 && n < 40)
        sc.pieceList[n++] = {pos.Owner(f, r), pos.KindAt(f, r), f, r};
  for (int k = 1; k <= 7; ++k)
    for (int side = 1; side <= 2; ++side)
      for (int c = pos.Hand(side, k); c > 0 && n < 40; --c) sc.pieceList[n++] = {side, k, 9, 9};
  for (; n < 40; ++n) sc.pieceList[n] = {};
}

}  // namespace shogi
