#include "shogi/engine/think.h"

#include "shogi/engine/clock.h"
#include "shogi/engine/deep_search.h"
#include "shogi/engine/evaluate.h"
#include "shogi/engine/lookahead.h"
#include "shogi/rules/analyze.h"

namespace shogi {

bool CommitPlayerMove(GameState& gs, const MoveRec& move) {
  if (!CommitMove(gs, move, gs.playerSide)) return false;
  gs.kingTermsFresh = 0;
  const int value = Evaluate(gs, gs.snapshot[gs.moveNumber], gs.computerSide);
  gs.baseScore = value;
  if (gs.kingTermsFresh) {
    gs.computerKingScore = gs.kingTermComputer;
    gs.playerKingScore = gs.kingTermPlayer;
  }
  if (value == kWinScore) gs.gameResult.store(kResultMateNow, std::memory_order_relaxed);
  return true;
}

int SearchMode(int m, bool bookMovePlayed, int bookChoice, int openingType) {
  int mode;
  if (bookMovePlayed && bookChoice == 0)
    mode = 0;
  else if (m < 21)
    mode = 1;
  else if (m < 47 && openingType == 0)
    mode = 2;
  else if (m < 41 && openingType == 1)
    mode = 2;
  else if (m < 33 && openingType == 2)
    mode = 2;
  else
    mode = 3;
  if (m > 46) mode = 4;
  if (m > 70) mode = 5;
  if (m > 85) mode = 6;
  if (m > 100) mode = 7;
  if (m > 115) mode = 8;
  return mode;
}

namespace {

// Early in the game (before move 9), any rook standing on rankIndex 7 within fileIndex 1..4
// marks a ranging-rook opening, whoever owns it.
bool RangingRookSeen(const Position& p) {
  for (int f = 1; f <= 4; ++f)
    if (p.KindAt(f, 7) == kRook) return true;
  return false;
}

// Runs a formation chooser; when the look-ahead refuses its move the main search decides.
void FormationOrDeepSearch(GameState& gs, int formation) {
  if (ChooseFormationMove(gs, formation) == kLossScore) {
    gs.gamePhase = 3;
    DeepSearch(gs);
  }
}

void DeepSearchInMode3(GameState& gs) {
  gs.gamePhase = 3;
  DeepSearch(gs);
}

}  // namespace

void ThinkDriver(GameState& gs, OpeningBook& book) {
  const int m = gs.moveNumber;
  // The move number of the game, which the rules below go by; m indexes the history.
  const int n = GameMoveNumber(gs);
  gs.thinkStart = ClockSeconds(gs);
  gs.thinkCut = 0;
  gs.thinkDepth = 0;
  gs.thinkScore = 0;
  gs.thinkLineLength = 0;
  gs.progressDone.store(0, std::memory_order_relaxed);
  if (n < 3) LoadBook(book);
  const bool bookMove = PlayBookMove(gs, book);
  const int mode = SearchMode(n, bookMove, gs.bookChoice, gs.openingType);
  gs.gamePhase = mode;
  AnalyzeMoves(gs, gs.snapshot[m - 1], gs.computerSide, 0);
  if (n < 9 && RangingRookSeen(gs.snapshot[m - 1])) gs.openingType = 2;

  const int type = gs.openingType;
  if (mode == 1) {
    FormationOrDeepSearch(gs, type == 1 ? 4 : type == 2 ? 3 : 1);
  } else if (mode == 2) {
    if (type == 1) {
      if (n < 40)
        FormationOrDeepSearch(gs, 4);
      else
        DeepSearchInMode3(gs);
    } else if (type == 2) {
      if (n < 32)
        FormationOrDeepSearch(gs, 3);
      else
        DeepSearchInMode3(gs);
    } else {
      FormationOrDeepSearch(gs, 2);
    }
  } else if (mode >= 3) {
    DeepSearch(gs);
  }

  // The player's turn: their moves, the evaluation, the time.
  AnalyzeMoves(gs, gs.snapshot[m], gs.playerSide, 0);
  gs.baseScore = Evaluate(gs, gs.snapshot[m], gs.playerSide);
  if (gs.thinkDepth == 0) {  // the book or a formation chose: the evaluation after the move
    gs.thinkScore = gs.baseScore;
    gs.thinkLine[0] = gs.moveRec[m];
    gs.thinkLineLength = 1;
  }
  gs.moveSeconds[m] = static_cast<int32_t>(ClockSeconds(gs) - gs.thinkStart);
  // Everything the window thread reads is in place before the move is published.
  gs.computerSeconds += gs.moveSeconds[m];
  gs.progressTotal.store(0, std::memory_order_relaxed);
  gs.moveReady.store(1, std::memory_order_release);
}

std::thread StartComputerMove(GameState& gs, OpeningBook& book) {
  gs.moveNumber += 1;
  return std::thread([&gs, &book] { ThinkDriver(gs, book); });
}

}  // namespace shogi
