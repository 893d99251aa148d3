#include "shogi/engine/lookahead.h"

#include <algorithm>
#include <utility>

#include "shogi/engine/clock.h"
#include "shogi/engine/evaluate.h"
#include "shogi/rules/analyze.h"
#include "shogi/rules/attacks.h"

namespace shogi {

namespace {

// Entry a is better than entry b: higher value; on equal values the gains decide element by
// element, then the support balance.
bool Better(const MoveEntry& a, const MoveEntry& b) {
  if (a.value != b.value) return a.value > b.value;
  for (int k = 0; k < kMaxGains; ++k) {
    if (a.gains[k] != b.gains[k]) return a.gains[k] > b.gains[k];
    if (a.gains[k] == 0) return a.supportBalance > b.supportBalance;
  }
  return false;
}

// A node whose best move is valued below this is quiet: it is evaluated, not searched.
constexpr int kQuietBelow = 58;

// Widths of depths 1..6: the 2nd to 7th width bases halved.
int Width(const SearchState& ss, int depth) {
  return ss.searchWidthBase[depth] / 2;
}

class LookAheadSearch {
 public:
  explicit LookAheadSearch(const GameHistory& game, AnalysisScratch& sc, SearchState& ss)
      : game_(game), sc_(sc), ss_(ss) {}

  int Run(const Position& start) {
    ss_.nodeTop = 0;
    ss_.progressTotal.store(1, std::memory_order_relaxed);
    SearchNode& root = ss_.node[0];
    root.entry.Clear();
    root.position = start;
    ss_.nodeTop = 1;

    AnalyzeMoves(game_, sc_, root.position, game_.playerSide, 1);
    SortMoveList(sc_, Width(ss_, 1));
    const int count = std::min(Width(ss_, 1), static_cast<int>(sc_.moveListCount));
    int value;
    if (count == 0) {
      value = Evaluate(game_, sc_, root.position, game_.playerSide);
    } else {
      value = SearchBand(root.position, game_.playerSide, 1, count, kLossScore);
    }
    ss_.bestRootIndex = 0;
    return value;
  }

 private:
  // Pushes the first `count` moves of moveList, made by `mover` in `from`, as the next band,
  // walks it and returns the parent's value. Bands of player moves take the lowest value,
  // bands of computer moves the highest. `bound` is the parent's own cut-off bound.
  int SearchBand(const Position& from, int mover, int depth, int count, int bound) {
    const NodeBlock block(sc_, ss_, from, mover, count);
    const int first = block.First();

    const bool playerMoves = mover == game_.playerSide;
    int running = playerMoves ? kWinScore : kLossScore;  // bound handed to the next child
    bool cut = false;
    for (int i = 0; i < count; ++i) {
      SearchNode& n = ss_.node[first + i];
      const int generated = n.entry.value;
      if (playerMoves) {
        if (generated == kWinScore) {  // the player takes the computer's king
          n.entry.value = kLossScore;
          break;
        }
        if (generated == kLossScore) {  // an illegal move: it and the rest are worth nothing
          for (int j = i; j < count; ++j) ss_.node[first + j].entry.value = kWinScore;
          break;
        }
      } else if (generated == kWinScore || generated == kLossScore) {
        break;  // it and the rest keep their generator values
      }
      const int v = SearchOne(first + i, depth, Opponent(mover), running);
      if (ss_.thinkCut) break;
      n.entry.value = v;
      if (playerMoves ? v < bound : v > bound) {
        cut = true;
        break;
      }
      running = playerMoves ? std::min(running, v) : std::max(running, v);
    }
    int value;
    if (cut) {
      value = playerMoves ? kLossScore : kWinScore;
    } else {
      value = ss_.node[first].entry.value;
      for (int i = 1; i < count; ++i) {
        const int v = ss_.node[first + i].entry.value;
        value = playerMoves ? std::min(value, v) : std::max(value, v);
      }
    }
    return value;
  }

  // Searches the node at `index`, at `depth`, with `side` to move, under the parent's bound.
  int SearchOne(int index, int depth, int side, int bound) {
    if (ThinkCut(ss_)) return 0;
    const Position& pos = ss_.node[index].position;
    const int level = game_.level;
    if (depth >= 4 || (depth == 2 && level == 1) || (depth == 3 && level == 2))
      return Evaluate(game_, sc_, pos, side);
    AnalyzeMoves(game_, sc_, pos, side, depth + 1);
    const int width = Width(ss_, depth + 1);
    SortMoveList(sc_, width);
    const int count = std::min(width, static_cast<int>(sc_.moveListCount));
    if (count == 0 || sc_.moveList[0].value < kQuietBelow) return Evaluate(game_, sc_, pos, side);
    return SearchBand(pos, side, depth + 1, count, bound);
  }

  const GameHistory& game_;

  AnalysisScratch& sc_;

  SearchState& ss_;
};

// Formation tables: per formation and kind, nine file weights and nine rank weights, seen
// from the computer's side of the board.
struct Weights {
  int kind;
  int file[9];
  int rank[9];
};

constexpr Weights kFormation1[] = {
    {kKing, {4, 8, 4, 1, 0, 0, 0, 0, 0}, {2, 3, 1, 0, 0, 0, 0, 0, 0}},
    {kPawn, {0, 0, 0, 0, 0, 9, 9, 0, 0}, {0, 0, 0, 9, 0, 0, 0, 0, 0}},
    {kSilver, {0, 0, 6, 0, 0, 2, 8, 0, 0}, {0, 6, 0, 0, 0, 0, 0, 0, 0}},
    {kGold, {0, 0, 0, 6, -4, 0, 0, 0, 0}, {1, -1, 0, 0, 0, 0, 0, 0, 0}},
    {kBishop, {0, 0, 0, 0, 0, 0, 8, 0, 0}, {0, 0, 9, 0, 0, 0, 0, 0, 0}},
    {kRook, {0, 0, 0, 0, 0, 8, 0, 0, 0}, {0, 8, 0, 0, 0, 0, 0, 0, 0}},
};
constexpr Weights kFormation2[] = {
    {kKing, {0, 0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
    {kPawn, {3, 1, 1, 2, 0, 1, 0, 0, 1}, {0, 0, 0, 8, 0, 0, 0, 0, 0}},
    {kLance, {1, 0, 0, 0, 0, 0, 0, 0, 1}, {0, 1, 0, 0, 0, 0, 0, 0, 0}},
    {kKnight, {0, 0, 3, 0, 0, 0, 0, 0, 0}, {0, 0, 3, 0, 0, 0, 0, 0, 0}},
    {kSilver, {0, -4, 6, 0, 0, 0, 1, 0, 0}, {0, 2, -4, 0, 0, 0, 0, 0, 0}},
    {kGold, {0, 0, 3, 3, -2, 0, 0, 0, 0}, {1, 2, 3, 0, 0, 0, 0, 0, 0}},
    {kBishop, {0, 0, 0, 0, 0, 0, 8, 0, 0}, {0, 0, 9, 0, 0, 0, 0, 0, 0}},
    {kRook, {2, 0, 0, 0, 0, 1, 0, 0, 2}, {2, 1, 0, 0, 0, 0, 0, 0, 0}},
};
constexpr Weights kFormation3[] = {
    {kKing, {0, 0, 0, 0, 0, 9, 36, 46, 0}, {3, 4, 1, 0, 0, 0, 0, 0, 0}},
    {kPawn, {1, 6, 3, 0, 0, 8, 0, 0, 1}, {0, 0, 0, 9, 0, 0, 0, 0, 0}},
    {kSilver, {0, 0, 8, 2, 0, 0, 6, 0, 0}, {0, 6, 9, 0, 0, 0, 0, 0, 0}},
    {kGold, {0, 0, 0, 0, -8, 8, 0, 0, 0}, {6, -5, 9, 0, 0, 0, 0, 0, 0}},
    {kBishop, {0, 0, 0, 0, 0, 0, 8, 0, 0}, {0, 0, 9, 0, 0, 0, 0, 0, 0}},
    {kRook, {0, 0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
};
constexpr Weights kFormation4[] = {
    {kKing, {0, 0, 0, 0, 0, 6, 12, -9, 0}, {2, -5, 0, 0, 0, 0, 0, 0, 0}},
    {kPawn, {1, 9, 1, 0, 1, 1, 8, 0, 1}, {0, 0, 0, 9, 10, 0, 0, 0, 0}},
    {kLance, {0, 0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
    {kKnight, {0, 0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
    {kSilver, {0, 0, 8, -9, 0, 5, 9, 6, 0}, {0, 4, 9, -9, 0, 0, 0, 0, 0}},
    {kGold, {0, 0, 0, 0, 5, 5, 7, 0, 0}, {0, 6, 7, 0, 0, 0, 0, 0, 0}},
    {kBishop, {0, 0, 0, 0, 0, 8, 7, 0, 0}, {4, 5, 0, 0, 0, 0, 0, 0, 0}},
    {kRook, {0, 0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
};

struct Formation {
  const Weights* weights;
  int count;
  bool exclusions;
  bool pawnReset;
};

Formation FormationOf(int formation) {
  switch (formation) {
    case 1:
      return {kFormation1, static_cast<int>(std::size(kFormation1)), true, false};
    case 2:
      return {kFormation2, static_cast<int>(std::size(kFormation2)), false, false};
    case 3:
      return {kFormation3, static_cast<int>(std::size(kFormation3)), true, false};
    default:
      return {kFormation4, static_cast<int>(std::size(kFormation4)), false, true};
  }
}

// The formation score of the computer's pieces on the board, in piece-list order.
int Score(const GameHistory& game, const AnalysisScratch& sc, const Formation& formation) {
  int sum = 0;
  for (const PieceListEntry& p : sc.pieceList) {
    if (p.owner != game.computerSide || p.fileIndex > 8) continue;
    if (formation.pawnReset && p.kind == kPawn && p.rankIndex == 4 && p.fileIndex != 1) sum = 0;
    for (int i = 0; i < formation.count; ++i) {
      const Weights& w = formation.weights[i];
      if (w.kind == p.kind) sum += w.file[p.fileIndex] * w.rank[p.rankIndex];
    }
  }
  return sum;
}

}  // namespace

void SortMoveList(AnalysisScratch& sc, int n) {
  const int count = sc.moveListCount;
  const int limit = std::min(n, count);
  for (int i = 0; i < limit; ++i) {
    for (int j = i + 1; j < count; ++j)
      if (Better(sc.moveList[j], sc.moveList[i])) std::swap(sc.moveList[i], sc.moveList[j]);
    if (sc.moveList[i].value == kLossScore || sc.moveList[i].value == kWinScore) break;
  }
}

int PushBlock(AnalysisScratch& sc, SearchState& ss, const Position& from, int mover, int count) {
  const int first = ss.nodeTop;
  for (int i = 0; i < count; ++i) {
    SearchNode& n = ss.node[first + i];
    n.entry = sc.moveList[i];
    n.position = from;
    ApplyMove(n.position, n.entry.move, mover);
  }
  ss.nodeTop += count;
  return first;
}

int LookAhead(const GameHistory& game, AnalysisScratch& sc, SearchState& ss,
              const Position& start) {
  return LookAheadSearch(game, sc, ss).Run(start);
}

int FormationScore(const GameHistory& game, const AnalysisScratch& sc, int formation) {
  return Score(game, sc, FormationOf(formation));
}

int ChooseFormationMove(const GameHistory& game, AnalysisScratch& sc, SearchState& ss,
                        int formationNumber, MoveRec& chosen) {
  const int m = game.moveNumber;
  if (sc.moveListCount == 0) return kLossScore;
  const Formation formation = FormationOf(formationNumber);
  for (int i = 0; i < sc.moveListCount; ++i) {
    MoveEntry& e = sc.moveList[i];
    ss.scratchPosition = game.snapshot[m - 1];
    ApplyMove(ss.scratchPosition, e.move, game.computerSide);
    BuildPieceList(sc, ss.scratchPosition);
    const int sum = Score(game, sc, formation);
    bool excluded = false;
    if (formation.exclusions) {
      // By the move number of the game; the third move must be in the history to be read.
      const int n = GameMoveNumber(game), third = 3 - game.movesBefore;
      if (n == 4 && third >= 1 && game.moveRec[third].fromFile == 7 &&
          game.moveRec[third].fromRank == 5 && e.move.fromFile == 5)
        excluded = true;
      if (n == 6 && ss.scratchPosition.Hand(game.computerSide, kBishop) > 0 &&
          e.move.fromFile == 5 && e.move.fromRank == 2)
        excluded = true;
    }
    if (excluded)
      e.value = kLossScore;
    else if (e.value != kLossScore)
      e.value = sum;
  }
  int best = sc.moveList[0].value;
  for (int i = 0; i < sc.moveListCount; ++i) {
    if (sc.moveList[i].value >= best) {
      best = sc.moveList[i].value;
      chosen = sc.moveList[i].move;
    }
  }
  ss.scratchPosition = game.snapshot[m - 1];
  ApplyMove(ss.scratchPosition, chosen, game.computerSide);
  const int value = LookAhead(game, sc, ss, ss.scratchPosition);
  if (ss.thinkCut) return kLossScore;  // cut before the look-ahead accepted the move
  if (value >= game.baseScore - 50 && value <= game.baseScore + 30) return best;
  return kLossScore;
}

}  // namespace shogi
