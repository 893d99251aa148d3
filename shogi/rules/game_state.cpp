#include "shogi/rules/game_state.h"

namespace shogi {

namespace {

constexpr int kBackRank[9] = {kLance, kKnight, kSilver, kGold, kKing,
                              kGold,  kSilver, kKnight, kLance};

}  // namespace

const char* KindText(int kind) {
  static constexpr const char* kTexts[kKindCount] = {"",   "歩", "香", "桂",   "銀",   "金",
                                                     "角", "飛", "と", "成香", "成桂", "成銀",
                                                     "",   "馬", "龍", "玉"};
  return kind >= 0 && kind < kKindCount ? kTexts[kind] : "";
}

Position StartPosition() {
  Position p;
  for (int f = 0; f < 9; ++f) {
    p.Set(f, 0, kComputerSide, kBackRank[f]);
    p.Set(f, 2, kComputerSide, kPawn);
    p.Set(f, 6, kPlayerSide, kPawn);
    p.Set(f, 8, kPlayerSide, kBackRank[f]);
  }
  p.Set(1, 1, kComputerSide, kRook);
  p.Set(7, 1, kComputerSide, kBishop);
  p.Set(1, 7, kPlayerSide, kBishop);
  p.Set(7, 7, kPlayerSide, kRook);
  return p;
}

void ResetHistory(GameHistory& game) {
  game.snapshot[0] = StartPosition();
  game.moveNumber = 0;
  game.movesBefore = 0;
  game.firstMover = 1;
  game.level = 1;
  game.playerSide = kPlayerSide;
  game.computerSide = kComputerSide;
  game.gamePhase = 0;
  game.computerKingScore = 0;
  game.playerKingScore = 0;
  game.gameResult = kResultNone;
  game.openingType = 0;
  game.baseScore = 0;
  game.moveSeconds.fill(0);
  game.computerSeconds = 0;
  game.playerSeconds = 0;
}

void ResetScratch(AnalysisScratch& sc) {
  sc.moveListCount = 0;
  sc.enemyReachCount = 0;
  sc.lineCount = 0;
  sc.savedLineCount = 0;
  for (auto& e : sc.moveList) e.Clear();
  sc.kingDanger = 0;
}

void ResetSearch(SearchState& ss) {
  for (auto& n : ss.node) n = SearchNode{};
  ss.nodeTop = 0;
  ss.searchWidthBase = {30, 24, 12, 10, 8, 6, 6};
  ss.width = {};
  ss.scratchPosition = Position{};
  ss.bestRootIndex = 0;
  ss.preparedCount = 0;
  for (auto& a : ss.preparedAnswers) a = PreparedAnswer{};
  for (auto& r : ss.refutation) r.Clear();
  ss.thinkStart = 0;
}

void ResetGameState(GameState& gs) {
  ResetHistory(gs);
  ResetScratch(gs);
  ResetSearch(gs);
}

int ApplyMove(Position& pos, const MoveRec& m, int side) {
  if (m.IsEmpty()) return 0;
  if (m.dropKind > 0) {
    pos.AddHand(side, m.dropKind, -1);
    pos.Set(m.toFile, m.toRank, side, m.dropKind);
    return 1;
  }
  if (pos.Owner(m.toFile, m.toRank) > 0) {
    int k = pos.KindAt(m.toFile, m.toRank);
    // Promoted pieces go to hand unpromoted. A captured king (15) lands in hand slot 8,
    // which only the position signature reads.
    if (k > kPromoteOffset) k -= kPromoteOffset;
    pos.AddHand(side, k, 1);
  }
  const int kind = pos.KindAt(m.fromFile, m.fromRank) + (m.promote == 1 ? kPromoteOffset : 0);
  pos.Set(m.toFile, m.toRank, side, kind);
  pos.Set(m.fromFile, m.fromRank, 0, 0);
  return 1;
}

bool CommitMove(GameHistory& game, const MoveRec& move, int side, int seconds) {
  if (game.moveNumber >= kMaxMoves) return false;
  game.moveNumber += 1;
  game.snapshot[game.moveNumber] = game.snapshot[game.moveNumber - 1];
  ApplyMove(game.snapshot[game.moveNumber], move, side);
  game.moveRec[game.moveNumber] = move;
  game.moveSeconds[game.moveNumber] = seconds;
  return true;
}

void DropOldestMoves(GameHistory& gs, int count) {
  if (count <= 0) return;
  if (count > gs.moveNumber) count = gs.moveNumber;
  for (int i = 0; i + count <= gs.moveNumber; ++i) {
    gs.snapshot[i] = gs.snapshot[i + count];
    gs.moveRec[i] = gs.moveRec[i + count];
    gs.moveSeconds[i] = gs.moveSeconds[i + count];
  }
  gs.moveRec[0] = MoveRec{};
  gs.moveSeconds[0] = 0;
  gs.moveNumber -= count;
  gs.movesBefore += count;
}

int SideToMove(const GameHistory& gs) {
  const bool senteToMove = gs.moveNumber % 2 == 0;
  return senteToMove ? gs.firstMover : Opponent(gs.firstMover);
}

}  // namespace shogi
