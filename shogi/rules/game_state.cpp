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

void ResetGameState(GameState& gs) {
  gs.snapshot[0] = StartPosition();
  gs.moveNumber = 0;
  gs.movesBefore = 0;
  gs.firstMover = 1;
  gs.level = 1;
  gs.playerSide = kPlayerSide;
  gs.computerSide = kComputerSide;
  gs.gamePhase = 0;
  gs.moveListCount = 0;
  gs.enemyReachCount = 0;
  gs.lineCount = 0;
  gs.savedLineCount = 0;
  for (auto& e : gs.moveList) e.Clear();
  gs.computerKingScore = 0;
  gs.playerKingScore = 0;
  gs.gameResult = kResultNone;
  gs.openingType = 0;
  gs.kingDanger = 0;
  gs.baseScore = 0;
  // Search work areas and their parameters.
  for (auto& n : gs.node) n = SearchNode{};
  gs.nodeTop = 0;
  gs.searchWidthBase = {30, 24, 12, 10, 8, 6, 6};
  gs.width = {};
  gs.scratchPosition = Position{};
  gs.bestRootIndex = 0;
  gs.preparedCount = 0;
  for (auto& a : gs.preparedAnswers) a = PreparedAnswer{};
  for (auto& r : gs.refutation) r.Clear();
  gs.moveSeconds.fill(0);
  gs.computerSeconds = 0;
  gs.playerSeconds = 0;
  gs.thinkStart = 0;
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

bool CommitMove(GameState& gs, const MoveRec& move, int side) {
  if (gs.moveNumber >= kMaxMoves) return false;
  gs.moveNumber += 1;
  gs.snapshot[gs.moveNumber] = gs.snapshot[gs.moveNumber - 1];
  ApplyMove(gs.snapshot[gs.moveNumber], move, side);
  gs.moveRec[gs.moveNumber] = move;
  return true;
}

void DropOldestMoves(GameState& gs, int count) {
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

int SideToMove(const GameState& gs) {
  const bool senteToMove = gs.moveNumber % 2 == 0;
  return senteToMove ? gs.firstMover : Opponent(gs.firstMover);
}

}  // namespace shogi
