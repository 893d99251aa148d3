#include "shogi/engine/deep_search.h"

#include <algorithm>
#include <array>

#include "shogi/engine/clock.h"
#include "shogi/engine/evaluate.h"
#include "shogi/engine/lookahead.h"
#include "shogi/rules/analyze.h"
#include "shogi/rules/attacks.h"
#include "shogi/rules/movegen.h"

namespace shogi {

namespace {

// The side's attacks on one square, counted as the attack maps count them.
int AttacksOn(const Position& pos, int side, int target) {
  int n = 0;
  for (int f = 0; f < 9; ++f)
    for (int r = 0; r < 9; ++r)
      if (pos.Owner(f, r) == side) n += PieceAttackSet(pos, side, f, r).Has(target);
  return n;
}

bool IsPawnDrop(const MoveEntry& e) {
  return e.move.dropKind == kPawn;
}

// Moves the entry at place j to the front; the entries before it move down one place.
void RotateToFront(AnalysisScratch& sc, int j) {
  const MoveEntry e = sc.moveList[j];
  for (int i = j; i > 0; --i) sc.moveList[i] = sc.moveList[i - 1];
  sc.moveList[0] = e;
}

// ---------------------------------------------------------------------------------------------
// The mate search: the computer plays only checks, the player every evasion.

constexpr int kMateRootLimit = 16;
// The mate search runs when the player's king is in at least this much danger, and goes on
// to longer mates while the best check of a pass is valued at least kPromisingMateValue.
constexpr int kMateSearchDanger = -10;
constexpr int kPromisingMateValue = -1;
constexpr int kMateLimits[8] = {0, 0, 12, 12, 8, 8, 6, 6};  // by ply

// The moves of a forced mate from one node on: the check, the reply that holds out longest,
// the next check, ... Filled alongside the values; it changes nothing of the search.
struct MateLine {
  int length = 0;
  std::array<MoveRec, 8> move{};
  void Set(const MoveRec& first, const MateLine* rest) {
    MateLine line;
    line.move[0] = first;
    line.length = 1;
    for (int i = 0; rest && i < rest->length && line.length < 8; ++i)
      line.move[line.length++] = rest->move[i];
    *this = line;
  }
};

class MateSearch {
 public:
  MateSearch(const GameHistory& game, AnalysisScratch& sc, SearchState& ss, int plies)
      : game_(game), sc_(sc), ss_(ss), plies_(plies) {}

  enum class Outcome { kNoRoot, kDone, kCut };

  // Runs one pass. A pass cut short by ThinkCut reports kCut and its values mean nothing.
  Outcome Run(int& best, int& bestIndex, MoveRec& bestMove, MateLine& bestLine) {
    const int m = game_.moveNumber;
    ss_.nodeTop = 0;
    GenerateChecks(sc_, game_.snapshot[m - 1], game_.computerSide);
    if (sc_.moveListCount == 0) return Outcome::kNoRoot;
    SortMoveList(sc_, sc_.moveListCount - 1);
    int width = 0;
    while (width < sc_.moveListCount && width < kMateRootLimit && sc_.moveList[width].value >= 1)
      ++width;
    width = std::max(width, 1);
    const int first = PushBlock(sc_, ss_, game_.snapshot[m - 1], game_.computerSide, width);
    MateLine lines[kMateRootLimit];
    for (int i = 0; i < width; ++i) {
      if (ThinkCut(ss_)) break;
      SearchNode& n = ss_.node[first + i];
      if (IsPawnDrop(n.entry) && CountReplies(game_, sc_, n.position) == kWinScore) {
        n.entry.value = kLossScore;  // a pawn drop may not mate
        continue;
      }
      if (n.entry.value == kWinScore) {  // takes the king
        ss_.thinkResult = kResultMateNow;
        lines[i].Set(n.entry.move, nullptr);
        break;
      }
      if (n.entry.value == kLossScore) break;
      const int v = CheckValue(first + i, 1, lines[i]);
      if (ss_.thinkCut) break;
      n.entry.value = v;
      if (mateAtRoot_) {  // no evasion at once
        ss_.thinkResult = kResultMateNow;
        break;
      }
      // A mate found by searching does not end the pass: a later check may mate as well.
    }
    ss_.nodeTop = 0;
    if (ss_.thinkCut) return Outcome::kCut;
    // Keep the best value; among equals the last one seen is taken.
    bestIndex = first;
    for (int i = 0; i < width; ++i)
      if (ss_.node[first + i].entry.value >= ss_.node[bestIndex].entry.value) bestIndex = first + i;
    best = ss_.node[bestIndex].entry.value;
    bestMove = ss_.node[bestIndex].entry.move;
    bestIndex -= first;
    bestLine = lines[bestIndex];
    return Outcome::kDone;
  }

 private:
  // Value of the computer's check at node `index`, made at `ply`; a mating check leaves its
  // line in `line`.
  int CheckValue(int index, int ply, MateLine& line) {
    if (ThinkCut(ss_)) return kLossScore;
    const Position& pos = ss_.node[index].position;
    const MoveRec move = ss_.node[index].entry.move;
    if (ply == plies_) {
      const int v = CountReplies(game_, sc_, pos);
      if (v == kWinScore) line.Set(move, nullptr);
      return v;
    }
    AnalyzeEvasions(game_, sc_, pos, game_.playerSide, 0);
    const int limit = kMateLimits[ply + 1];
    const int width = std::min(static_cast<int>(sc_.moveListCount), limit);
    SortMoveList(sc_, width);
    if (width == 0 || sc_.moveList[0].value < kEvasionMark) {  // no evasion: mate
      if (ply == 1) mateAtRoot_ = true;
      line.Set(move, nullptr);
      return kWinScore;
    }
    const NodeBlock block(sc_, ss_, pos, game_.playerSide, width);
    const int first = block.First();
    int value = kWinScore;
    MateLine longest, reply;
    for (int i = 0; i < width; ++i) {
      SearchNode& n = ss_.node[first + i];
      if (n.entry.value == kWinScore) {  // the player takes the computer's king
        value = kLossScore;
        break;
      }
      if (n.entry.value == kLossScore) break;  // the rest count as 32767
      const int v = ReplyValue(first + i, ply + 1, reply);
      if (ss_.thinkCut) break;
      n.entry.value = v;
      if (v != kWinScore) {  // not mated after this reply: the remaining replies take its value
        value = v;
        break;
      }
      if (reply.length > longest.length) longest = reply;  // the first of the longest
    }
    if (value == kWinScore) line.Set(move, &longest);
    return value;
  }

  // Value of the player's reply at node `index`, made at `ply`: the best of the checks.
  int ReplyValue(int index, int ply, MateLine& line) {
    if (ThinkCut(ss_)) return kLossScore;
    const Position& pos = ss_.node[index].position;
    const MoveRec move = ss_.node[index].entry.move;
    GenerateChecks(sc_, pos, game_.computerSide);
    const int width = std::min(static_cast<int>(sc_.moveListCount), kMateLimits[ply + 1]);
    SortMoveList(sc_, width);
    const NodeBlock block(sc_, ss_, pos, game_.computerSide, width);
    const int first = block.First();
    int value = kLossScore;
    MateLine check;
    for (int i = 0; i < width; ++i) {
      SearchNode& n = ss_.node[first + i];
      if (IsPawnDrop(n.entry) && CountReplies(game_, sc_, n.position) == kWinScore) {
        n.entry.value = kLossScore;
        continue;
      }
      if (n.entry.value == kWinScore) {
        value = kWinScore;
        check.Set(n.entry.move, nullptr);
        break;
      }
      if (n.entry.value == kLossScore) break;
      const int v = CheckValue(first + i, ply + 1, check);
      if (ss_.thinkCut) break;
      n.entry.value = v;
      value = std::max(value, v);
      if (v == kWinScore) break;
    }
    if (value == kWinScore) line.Set(move, &check);
    return value;
  }

  const GameHistory& game_;

  AnalysisScratch& sc_;

  SearchState& ss_;
  const int plies_;
  bool mateAtRoot_ = false;
};

// ---------------------------------------------------------------------------------------------
// The main search: minimax over a fixed number of candidates per ply, as deep as the level
// allows.

constexpr int kQuietBelow = 53;

class MainSearch {
 public:
  explicit MainSearch(const GameHistory& game, AnalysisScratch& sc, SearchState& ss)
      : game_(game), sc_(sc), ss_(ss) {}

  // Returns the chosen move; the empty move when the computer resigns.
  MoveRec Run() {
    const int m = game_.moveNumber;
    const Position& start = game_.snapshot[m - 1];
    for (auto& r : ss_.refutation) r.Clear();
    for (bool& h : hasRefutation_) h = false;
    ss_.nodeTop = 0;
    AnalyzeMoves(game_, sc_, start, game_.computerSide, 0);
    PositionSignature signature;
    MakeSignature(signature, start, game_.computerSide);

    // Answers prepared by the previous search for this very position come first.
    for (int p = 0; p < ss_.preparedCount; ++p) {
      const PreparedAnswer& a = ss_.preparedAnswers[p];
      if (a.signature != signature) continue;
      for (int i = 0; i < sc_.moveListCount; ++i) {
        MoveEntry& e = sc_.moveList[i];
        if (e.illegal == 0 && e.move == a.entry.move && e.value < kPreparedMark &&
            e.value != kLossScore) {
          e.value = kPreparedMark;
          break;
        }
      }
    }
    ss_.preparedCount = 0;

    SortMoveList(sc_, sc_.moveListCount);
    int width = 0;
    while (width < sc_.moveListCount && width < ss_.searchWidthBase[0] &&
           sc_.moveList[width].value >= 0)
      ++width;
    ss_.progressTotal.store(width, std::memory_order_relaxed);

    // Root nodes, without the moves that bring back an earlier position.
    const int first = ss_.nodeTop;
    int roots = 0;
    for (int i = 0; i < width; ++i) {
      SearchNode& n = ss_.node[first + roots];
      n.entry = sc_.moveList[i];
      n.position = start;
      ApplyMove(n.position, n.entry.move, game_.computerSide);
      if (!Repeats(n.position)) ++roots;
    }
    ss_.nodeTop += roots;

    int threshold = kLossScore;
    int searched = roots;  // root nodes whose value is final
    for (int k = 0; k < roots; ++k) {
      if (ThinkCut(ss_)) {
        searched = k;
        break;
      }
      SearchNode& n = ss_.node[first + k];
      ss_.progressDone.fetch_add(1, std::memory_order_relaxed);
      if (IsPawnDrop(n.entry) && n.entry.value >= kCheckMark && HasCheckMark(n.entry) &&
          CountReplies(game_, sc_, n.position) == kWinScore) {
        n.entry.value = kLossScore;  // a pawn drop may not mate
        threshold = n.entry.value;
        continue;
      }
      if (n.entry.value == kWinScore || n.entry.value == kLossScore) break;
      rootIndex_ = k;
      const int v = game_.level == 0 ? Evaluate(game_, sc_, n.position, game_.playerSide)
                                     : Node(first + k, 1, threshold);
      if (ss_.thinkCut) {  // this node's value is unfinished
        searched = k;
        break;
      }
      n.entry.value = v;
      threshold = n.entry.value;
    }

    if (roots == 0) {
      ss_.thinkResult = kResultComputerResigns;
      ss_.nodeTop = 0;
      return MoveRec{};
    }
    int best = first;
    for (int k = 0; k < std::max(searched, 1); ++k) {
      if (ss_.node[first + k].entry.value > ss_.node[best].entry.value) best = first + k;
      if (ss_.node[best].entry.value == kWinScore) break;
    }
    bool lost = ss_.node[best].entry.value == kLossScore;
    if (searched < roots) {
      // Cut short: the best root move searched so far, or the first of the sorted list. A
      // think that was cut does not give up while moves are left unsearched.
      if (searched == 0) best = first;
      if (lost && searched > 0) best = first + searched;
      lost = false;
    }
    ss_.bestRootIndex = best - first;
    const MoveRec chosen = ss_.node[best].entry.move;
    if (lost) ss_.thinkResult = kResultComputerResigns;
    ss_.thinkDepth = LeafPly();
    ss_.thinkScore = searched == 0 ? 0 : ss_.node[best].entry.value;
    ss_.thinkLine[0] = chosen;
    ss_.thinkLineLength = 1;
    if (searched > ss_.bestRootIndex && hasRefutation_[ss_.bestRootIndex]) {
      ss_.thinkLine[1] = ss_.refutation[ss_.bestRootIndex].move;
      ss_.thinkLineLength = 2;
    }
    ss_.nodeTop = 0;
    return chosen;
  }

 private:
  static bool HasCheckMark(const MoveEntry& e) {
    for (int g : e.gains) {
      if (g == 0) break;
      if (g == kCheckMark) return true;
    }
    return false;
  }

  // Does the board equal an earlier one of the game, the computer holding no more in hand?
  bool Repeats(const Position& p) const {
    const int m = game_.moveNumber;
    for (int k = 1; k <= m - 1; ++k) {
      const Position& q = game_.snapshot[k];
      bool same = true;
      for (int f = 0; f < 9 && same; ++f)
        for (int r = 0; r < 9 && same; ++r)
          same = p.Owner(f, r) == q.Owner(f, r) && p.KindAt(f, r) == q.KindAt(f, r);
      for (int kind = 1; kind <= 7 && same; ++kind)
        same = p.Hand(game_.computerSide, kind) <= q.Hand(game_.computerSide, kind);
      if (same) return true;
    }
    return false;
  }

  int Width(int ply) const { return ss_.searchWidthBase[ply - 1]; }
  int LeafPly() const { return game_.level == 0 ? 1 : game_.level + 2; }

  // Generates and sorts the moves of `side` below a node at `ply`. Returns the width, or -1
  // when the node is quiet and is to be evaluated instead.
  int Expand(const Position& pos, int side, int ply) {
    AnalyzeMoves(game_, sc_, pos, side, ply);
    const int width = std::min(static_cast<int>(sc_.moveListCount), Width(ply + 1));
    SortMoveList(sc_, Width(ply + 1));
    if (width == 0) return -1;
    const int top = sc_.moveList[0].value;
    if (top < kQuietBelow && top != kLossScore) return -1;
    return width;
  }

  // Value of the move at node `index`, made at `ply` (odd plies are the computer's moves,
  // even ones the player's), whose previous sibling holds `threshold`. The side to reply
  // picks the best reply for itself: the player the lowest value, the computer the highest.
  int Node(int index, int ply, int threshold) {
    if (ThinkCut(ss_)) return 0;
    const Position& pos = ss_.node[index].position;
    if (ply >= LeafPly()) return Evaluate(game_, sc_, pos, game_.playerSide);
    const bool playerReplies = ply % 2 == 1;
    const int replier = playerReplies ? game_.playerSide : game_.computerSide;
    const int width = Expand(pos, replier, ply);
    if (width < 0) return Evaluate(game_, sc_, pos, game_.playerSide);
    if (playerReplies && (ply + 1 == 2 || ply + 1 == 4)) PutRefutationFirst(width);
    if (!playerReplies && ply + 1 == 3) PutPreparedAnswerFirst();
    const auto better = [playerReplies](int a, int b) { return playerReplies ? a < b : a > b; };
    const int bestValue = playerReplies ? kLossScore : kWinScore;  // for the replier
    const int worstValue = playerReplies ? kWinScore : kLossScore;

    const NodeBlock block(sc_, ss_, pos, replier, width);
    int cutBy = -1;
    bool kingTaken = false;
    int previous = worstValue;
    for (int i = 0; i < width; ++i) {
      SearchNode& n = block[i];
      if (n.entry.value == kWinScore) {  // the reply takes the other side's king
        n.entry.value = bestValue;
        kingTaken = true;
        break;
      }
      if (n.entry.value == kLossScore) {
        // An illegal reply: it and the rest count as the replier's worst. (The computer's
        // are sorted last and hold that value already.)
        if (playerReplies)
          for (int j = i; j < width; ++j) block[j].entry.value = worstValue;
        break;
      }
      const int v = Node(block.First() + i, ply + 1, previous);
      if (ss_.thinkCut) break;
      n.entry.value = v;
      previous = v;
      if (better(v, threshold)) {
        cutBy = i;
        break;
      }
    }
    int value = block[0].entry.value;
    int holder = 0;  // the first reply holding the value
    if (cutBy >= 0) {
      value = bestValue;
      holder = cutBy;
    } else {
      for (int i = 1; i < width; ++i)
        if (better(block[i].entry.value, value)) {
          value = block[i].entry.value;
          holder = i;
        }
    }
    if (ply == 1) {
      ss_.refutation[rootIndex_] = block[holder].entry;
      hasRefutation_[rootIndex_] = true;
    }
    // Remember the computer's best answer to this reply for the next move.
    if (ply == 2 && cutBy < 0 && !kingTaken && !ss_.thinkCut &&
        ss_.preparedCount < kPreparedAnswerCapacity) {
      PreparedAnswer& a = ss_.preparedAnswers[ss_.preparedCount++];
      MakeSignature(a.signature, pos, game_.computerSide);
      a.entry = block[holder].entry;
    }
    return value;
  }

  // Moves to the front the first of the entries 1 .. limit - 1 (not rejected) whose move
  // `known` accepts, unless the best entry is an evasion or takes the king.
  template <class Known>
  void PutKnownFirst(int limit, Known&& known) {
    const int top = sc_.moveList[0].value;
    if (top == kEvasionMark || top == kWinScore) return;
    for (int j = 1; j < limit && j < sc_.moveListCount; ++j) {
      const MoveEntry& e = sc_.moveList[j];
      if (e.value == kLossScore || !known(e.move)) continue;
      RotateToFront(sc_, j);
      return;
    }
  }

  // At the player's plies: a reply that refuted an earlier root move is tried first.
  void PutRefutationFirst(int width) {
    PutKnownFirst(width, [&](const MoveRec& m) {
      for (int r = 0; r < rootIndex_; ++r)
        if (hasRefutation_[r] && m == ss_.refutation[r].move) return true;
      return false;
    });
  }

  // At the computer's third ply: an answer prepared earlier in this search is tried first.
  void PutPreparedAnswerFirst() {
    PutKnownFirst(Width(2), [&](const MoveRec& m) {
      for (int p = 0; p < ss_.preparedCount; ++p)
        if (m == ss_.preparedAnswers[p].entry.move) return true;
      return false;
    });
  }

  const GameHistory& game_;

  AnalysisScratch& sc_;

  SearchState& ss_;
  int rootIndex_ = 0;
  bool hasRefutation_[kRootWidthLimit] = {};  // root nodes whose refutation is stored
};

}  // namespace

void GenerateChecks(AnalysisScratch& sc, const Position& pos, int side) {
  const int enemy = Opponent(side);
  sc.moveListCount = 0;
  sc.lineCount = 0;
  sc.ownAttackMap.Clear();
  sc.enemyAttackMap.Clear();
  const int king = FindKing(pos, enemy);
  BuildAttackMap(pos, side, sc.ownAttackMap);
  BuildAttackMap(pos, enemy, sc.enemyAttackMap);

  const int kf = king >= 0 ? SqFile(king) : -9;
  const int kr = king >= 0 ? SqRank(king) : -9;
  const int fw = Forward(side);
  bool pawnOnFile[9] = {};
  for (int f = 0; f < 9; ++f)
    for (int r = 0; r <= 7; ++r)
      if (pos.Owner(f, r) == side && pos.KindAt(f, r) == kPawn) pawnOnFile[f] = true;

  for (int f = 0; f < 9; ++f) {
    for (int r = 0; r < 9; ++r) {
      const int owner = pos.Owner(f, r);
      if (owner == side) {
        GeneratePieceMoves(sc, pos, side, f, r);
        continue;
      }
      if (owner != 0) continue;
      const int df = f - kf, dr = r - kr;
      for (int k = 1; k <= 7; ++k) {
        if (pos.Hand(side, k) <= 0) continue;
        if ((k == kPawn || k == kLance) && OnLastRank(side, r)) continue;
        if (k == kKnight && OnLastTwoRanks(side, r)) continue;
        bool checks = false;
        switch (k) {
          case kPawn:
            checks = df == 0 && r + fw == kr && !pawnOnFile[f];
            break;
          case kLance:
            checks = df == 0;
            break;
          case kKnight:
            checks = (df == 1 || df == -1) && r + 2 * fw == kr;
            break;
          case kSilver:
          case kGold:
            checks = df >= -1 && df <= 1 && dr >= -1 && dr <= 1;
            break;
          default:
            checks = true;
            break;
        }
        if (!checks || sc.moveListCount >= kMoveListCapacity) continue;
        sc.moveList[sc.moveListCount++].Reset({0, 0, f, r, 0, k});
      }
    }
  }

  // Value the moves: checks kCheckMark, everything else rejected.
  for (int i = 0; i < sc.moveListCount; ++i) {
    MoveEntry& e = sc.moveList[i];
    const MoveRec& m = e.move;
    const bool drop = m.dropKind > 0;
    const int t = Sq(m.toFile, m.toRank);
    if (!drop && pos.KindAt(m.fromFile, m.fromRank) == kKing && sc.enemyAttackMap.counts[t] > 0) {
      e.value = kLossScore;
      e.illegal = 1;
      continue;
    }
    if (!drop && pos.Owner(m.toFile, m.toRank) == enemy &&
        pos.KindAt(m.toFile, m.toRank) == kKing) {
      e.value = kWinScore;
      break;
    }
    bool check = false;
    if (king >= 0) {
      Position after = pos;
      ApplyMove(after, m, side);
      check = AttacksOn(after, side, king) > sc.ownAttackMap.counts[king];
    }
    if (!check) {
      e.value = kLossScore;
      continue;
    }
    const int board = drop ? 0 : 1;
    e.value = kCheckMark;
    e.gains[0] = sc.ownAttackMap.counts[t] - sc.enemyAttackMap.counts[t] + 5 - board;
    e.gains[1] = 0;
    e.supportBalance = sc.ownAttackMap.counts[t] - board;
  }
}

void MakeSignature(PositionSignature& out, const Position& pos, int side) {
  out.fill(0);
  out[0] += side * 100000000;
  static constexpr int kFieldWeights[4][2] = {
      {10000000, 1000000}, {100000, 10000}, {1000, 100}, {10, 1}};
  int field = 0;  // 0..39
  auto fill = [&](int a, int b) {
    if (field >= 40) return;
    out[field / 4] += a * kFieldWeights[field % 4][0] + b * kFieldWeights[field % 4][1];
    ++field;
  };
  int count = 0;
  for (int s : {side, Opponent(side)}) {
    for (int f = 0; f < 9; ++f)
      for (int r = 0; r < 9; ++r)
        if (pos.Owner(f, r) == s) {
          fill(f, r);
          if (s == side) ++count;
        }
    for (int k = 1; k <= 8; ++k)
      for (int c = pos.Hand(s, k); c > 0; --c) {
        fill(9, 9);
        if (s == side) ++count;
      }
  }
  out[9] += count * 25000000;
}

namespace {

// One pass of the mate search. Hands back the best root check in `move` when the pass ran to
// its end; a pass cut short changes nothing but the work areas.
MateSearch::Outcome MatePass(const GameHistory& game, AnalysisScratch& sc, SearchState& ss,
                             int plies, int& best, MoveRec& move, MateLine& line) {
  int index = 0;
  MoveRec found;
  MateSearch search(game, sc, ss, plies);
  const MateSearch::Outcome outcome = search.Run(best, index, found, line);
  if (outcome == MateSearch::Outcome::kDone) {
    move = found;
    ss.bestRootIndex = index;
  }
  return outcome;
}

void ReportMate(SearchState& ss, int plies, const MateLine& line) {
  ss.thinkDepth = plies;
  ss.thinkScore = kWinScore;
  ss.thinkLineLength = line.length;
  for (int i = 0; i < line.length; ++i) ss.thinkLine[i] = line.move[i];
}

}  // namespace

MoveRec DeepSearch(const GameHistory& game, AnalysisScratch& sc, SearchState& ss) {
  MoveRec mateMove;
  bool anyPass = false;
  int bestSoFar = kLossScore;
  // Runs a pass; true when it ends the search. A pass cut short is abandoned and the main
  // search chooses.
  auto pass = [&](int plies) -> bool {
    if (ThinkCut(ss)) return false;
    int best = kLossScore;
    MateLine line;
    const MateSearch::Outcome outcome = MatePass(game, sc, ss, plies, best, mateMove, line);
    if (outcome == MateSearch::Outcome::kCut) return false;
    anyPass = true;
    bestSoFar = std::max(bestSoFar, best);
    if (ss.thinkResult == kResultMateNow) {
      ReportMate(ss, 1, line);
      return true;
    }
    if (best == kWinScore) {
      ss.thinkResult = plies;
      ReportMate(ss, plies, line);
      return true;
    }
    return false;
  };
  bool pass1 = false;
  int pass1Best = kLossScore;
  if (sc.kingDanger >= kMateSearchDanger || ss.thinkResult >= kResultMateNow) {
    pass1 = true;
    if (pass(3)) return mateMove;
    pass1Best = bestSoFar;
  }
  if ((pass1 && pass1Best >= kPromisingMateValue) || ss.thinkResult >= kResultMateNow) {
    if (pass(5)) return mateMove;
  }
  if (anyPass && bestSoFar >= kPromisingMateValue && game.level == 3) {
    if (pass(7)) return mateMove;
  }
  return MainSearch(game, sc, ss).Run();
}

int SolveMate(const GameHistory& game, AnalysisScratch& sc, SearchState& ss,
              std::vector<MoveRec>& line) {
  line.clear();
  for (int plies : {3, 5, 7}) {
    if (ThinkCut(ss)) return -1;
    int best = kLossScore;
    MateLine found;
    MoveRec move;
    const MateSearch::Outcome outcome = MatePass(game, sc, ss, plies, best, move, found);
    if (outcome == MateSearch::Outcome::kCut) return -1;
    if (outcome == MateSearch::Outcome::kNoRoot) return 0;
    if (best == kWinScore) {
      line.assign(found.move.begin(), found.move.begin() + found.length);
      return found.length;
    }
  }
  return 0;
}

}  // namespace shogi
