#include "shogi/rules/legality.h"

#include <cstdlib>

#include "shogi/rules/game_state.h"
#include "shogi/rules/movement.h"

namespace shogi {

namespace {

constexpr bool InZoneOf(int side, int rank) {
  return side == kComputerSide ? rank >= 6 : rank <= 2;
}

// Ranks counted from the side's far edge: 0 is the last rank it can reach.
constexpr int RanksToGo(int side, int rank) {
  return side == kComputerSide ? 8 - rank : rank;
}

// Whether a piece of `kind` owned by `side` moves by (df, dr) in one step (slides not
// counted beyond their first square).
bool StepsBy(int kind, int side, int df, int dr) {
  const Movement& mv = MovementOf(side, kind);
  return mv.Steps({df, dr}) || mv.Slides({df, dr});
}

// Whether a piece of `kind` owned by `side` slides along the unit direction (ux, uy).
bool SlidesAlong(int kind, int side, int ux, int uy) {
  return MovementOf(side, kind).Slides({ux, uy});
}

int Sign(int v) {
  return (v > 0) - (v < 0);
}

// Whether the piece on (ff, fr) moves to (tf, tr) by its kind, with the path clear.
bool ReachesSquare(const Position& pos, int side, int ff, int fr, int tf, int tr) {
  const int kind = pos.KindAt(ff, fr);
  const int df = tf - ff, dr = tr - fr;
  if (StepsBy(kind, side, df, dr)) return true;
  if (df != 0 && dr != 0 && std::abs(df) != std::abs(dr)) return false;
  const int ux = Sign(df), uy = Sign(dr);
  if (!SlidesAlong(kind, side, ux, uy)) return false;
  for (int x = ff + ux, y = fr + uy; x != tf || y != tr; x += ux, y += uy)
    if (pos.Owner(x, y) != 0) return false;
  return true;
}

bool FindKingOf(const Position& pos, int side, int& kf, int& kr) {
  for (int f = 0; f < 9; ++f)
    for (int r = 0; r < 9; ++r)
      if (pos.Owner(f, r) == side && pos.KindAt(f, r) == kKing) {
        kf = f;
        kr = r;
        return true;
      }
  return false;
}

// Counts the pieces of `side` attacking (f, r), stopping once `enough` are found.
int CountAttackers(const Position& pos, int side, int f, int r, int enough) {
  int n = 0;
  for (int ux = -1; ux <= 1; ++ux)
    for (int uy = -1; uy <= 1; ++uy) {
      if (ux == 0 && uy == 0) continue;
      int x = f + ux, y = r + uy;
      while (OnBoard(x, y) && pos.Owner(x, y) == 0) {
        x += ux;
        y += uy;
      }
      if (!OnBoard(x, y) || pos.Owner(x, y) != side) continue;
      const int kind = pos.KindAt(x, y);
      const bool adjacent = x == f + ux && y == r + uy;
      // The attacker moves from (x, y) toward (f, r), i.e. along (-ux, -uy).
      if ((adjacent && StepsBy(kind, side, -ux, -uy)) || SlidesAlong(kind, side, -ux, -uy))
        if (++n >= enough) return n;
    }
  // Knights jump in from two ranks behind the square, seen from their side.
  const int kr = r - 2 * Forward(side);
  for (int kf : {f - 1, f + 1})
    if (OnBoard(kf, kr) && pos.Owner(kf, kr) == side && pos.KindAt(kf, kr) == kKnight)
      if (++n >= enough) return n;
  return n;
}

// Whether a piece of `kind` standing on `rank` could never move again.
bool Stranded(int side, int kind, int rank) {
  const int togo = RanksToGo(side, rank);
  return ((kind == kPawn || kind == kLance) && togo == 0) || (kind == kKnight && togo <= 1);
}

bool DropAllowed(const Position& pos, int side, const MoveRec& m) {
  const int kind = m.dropKind;
  if (kind < kPawn || kind > kRook || m.promote != 0) return false;
  if (pos.Hand(side, kind) <= 0 || pos.Owner(m.toFile, m.toRank) != 0) return false;
  if (Stranded(side, kind, m.toRank)) return false;
  if (kind == kPawn)
    for (int r = 0; r < 9; ++r)
      if (pos.Owner(m.toFile, r) == side && pos.KindAt(m.toFile, r) == kPawn) return false;
  return true;
}

bool BoardMoveAllowed(const Position& pos, int side, const MoveRec& m) {
  if (!OnBoard(m.fromFile, m.fromRank) || pos.Owner(m.fromFile, m.fromRank) != side) return false;
  const int target = pos.Owner(m.toFile, m.toRank);
  if (target == side || (target != 0 && pos.KindAt(m.toFile, m.toRank) == kKing)) return false;
  if (!ReachesSquare(pos, side, m.fromFile, m.fromRank, m.toFile, m.toRank)) return false;
  const int kind = pos.KindAt(m.fromFile, m.fromRank);
  if (m.promote == 1)
    return CanPromote(kind) && (InZoneOf(side, m.fromRank) || InZoneOf(side, m.toRank));
  return m.promote == 0 && !Stranded(side, kind, m.toRank);
}

// The form of the move and the piece rules, without the own king's safety and without the
// pawn-drop mate rule.
bool PseudoLegal(const Position& pos, int side, const MoveRec& m) {
  if ((side != kPlayerSide && side != kComputerSide) || !OnBoard(m.toFile, m.toRank)) return false;
  return m.dropKind != 0 ? DropAllowed(pos, side, m) : BoardMoveAllowed(pos, side, m);
}

bool LeavesKingSafe(const Position& pos, int side, const MoveRec& m, Position& after) {
  after = pos;
  ApplyMove(after, m, side);
  return !KingInCheck(after, side);
}

// Whether the side has a move that passes the piece rules and keeps its king safe. A pawn
// drop never answers a check, so for a side in check this is the same as having a legal
// move, without asking the pawn-drop mate rule again.
bool HasSafeMove(const Position& pos, int side);

// Calls fn(move) for every move that passes the piece rules, in file-major order of the start
// squares, then the drops; stops when fn returns true.
template <class Fn>
bool AnyCandidate(const Position& pos, int side, Fn&& fn) {
  for (int f = 0; f < 9; ++f)
    for (int r = 0; r < 9; ++r) {
      if (pos.Owner(f, r) != side) continue;
      for (int x = 0; x < 9; ++x)
        for (int y = 0; y < 9; ++y)
          for (int promote = 0; promote <= 1; ++promote) {
            const MoveRec m{f, r, x, y, promote, 0};
            if (PseudoLegal(pos, side, m) && fn(m)) return true;
          }
    }
  for (int kind = kPawn; kind <= kRook; ++kind) {
    if (pos.Hand(side, kind) <= 0) continue;
    for (int x = 0; x < 9; ++x)
      for (int y = 0; y < 9; ++y) {
        const MoveRec m{0, 0, x, y, 0, kind};
        if (PseudoLegal(pos, side, m) && fn(m)) return true;
      }
  }
  return false;
}

bool HasSafeMove(const Position& pos, int side) {
  return AnyCandidate(pos, side, [&](const MoveRec& m) {
    Position after;
    return LeavesKingSafe(pos, side, m, after);
  });
}

}  // namespace

bool SquareAttacked(const Position& pos, int side, int f, int r) {
  return CountAttackers(pos, side, f, r, 1) > 0;
}

bool KingInCheck(const Position& pos, int side) {
  int kf = 0, kr = 0;
  return FindKingOf(pos, side, kf, kr) && SquareAttacked(pos, Opponent(side), kf, kr);
}

int CheckerCount(const Position& pos, int side) {
  int kf = 0, kr = 0;
  return FindKingOf(pos, side, kf, kr) ? CountAttackers(pos, Opponent(side), kf, kr, 81) : 0;
}

bool IsLegalMove(const Position& pos, int side, const MoveRec& m) {
  if (!PseudoLegal(pos, side, m)) return false;
  Position after;
  if (!LeavesKingSafe(pos, side, m, after)) return false;
  if (m.dropKind != kPawn) return true;
  // A pawn drop may give check but not mate. It checks only a king right in front of it.
  const int enemy = Opponent(side);
  const int fr = m.toRank + Forward(side);
  if (!OnBoard(m.toFile, fr) || after.Owner(m.toFile, fr) != enemy ||
      after.KindAt(m.toFile, fr) != kKing)
    return true;
  return HasSafeMove(after, enemy);
}

bool HasLegalMove(const Position& pos, int side) {
  return AnyCandidate(pos, side, [&](const MoveRec& m) {
    Position after;
    if (!LeavesKingSafe(pos, side, m, after)) return false;
    return m.dropKind != kPawn || IsLegalMove(pos, side, m);
  });
}

std::vector<MoveRec> LegalMoves(const Position& pos, int side) {
  std::vector<MoveRec> out;
  AnyCandidate(pos, side, [&](const MoveRec& m) {
    Position after;
    if (!LeavesKingSafe(pos, side, m, after)) return false;
    if (m.dropKind == kPawn && !IsLegalMove(pos, side, m)) return false;
    out.push_back(m);
    return false;
  });
  return out;
}

std::string PositionFault(const Position& pos, int sideToMove) {
  if (sideToMove != kPlayerSide && sideToMove != kComputerSide) return "no side to move";
  // Pieces of each base kind in the set (index = kind), kings counted per side.
  constexpr int kSet[8] = {0, 18, 4, 4, 4, 4, 2, 2};
  int count[8] = {};
  int kings[3] = {};
  for (int side = kPlayerSide; side <= kComputerSide; ++side)
    for (int kind = kPawn; kind <= kRook; ++kind) count[kind] += pos.Hand(side, kind);
  for (int f = 0; f < 9; ++f) {
    int pawns[3] = {};
    for (int r = 0; r < 9; ++r) {
      const int owner = pos.Owner(f, r), kind = pos.KindAt(f, r);
      if (owner == 0) continue;
      if (owner != kPlayerSide && owner != kComputerSide) return "bad square";
      if (kind == kKing) {
        ++kings[owner];
        continue;
      }
      const int base = kind > kPromoteOffset ? kind - kPromoteOffset : kind;
      if (base < kPawn || base > kRook || kind == kPromoteOffset + kGold) return "bad piece";
      ++count[base];
      if (Stranded(owner, kind, r)) return "a piece that could never move";
      if (kind == kPawn && ++pawns[owner] > 1) return "two unpromoted pawns of a side on a file";
    }
  }
  if (kings[1] > 1 || kings[2] > 1) return "more than one king of a side";
  for (int kind = kPawn; kind <= kRook; ++kind)
    if (count[kind] > kSet[kind]) return "more pieces than the game has";
  if (KingInCheck(pos, Opponent(sideToMove))) return "the side not to move is in check";
  return "";
}

}  // namespace shogi
