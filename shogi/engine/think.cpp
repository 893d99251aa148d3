#include "shogi/engine/think.h"

#include "shogi/engine/clock.h"
#include "shogi/engine/deep_search.h"
#include "shogi/engine/evaluate.h"
#include "shogi/engine/lookahead.h"
#include "shogi/rules/analyze.h"

namespace shogi {

bool CommitPlayerMove(GameHistory& game, AnalysisScratch& sc, const MoveRec& move, int seconds) {
  if (!CommitMove(game, move, game.playerSide, seconds)) return false;
  sc.kingTermsFresh = 0;
  const int value = Evaluate(game, sc, game.Current(), game.computerSide);
  game.baseScore = value;
  if (sc.kingTermsFresh) {
    game.computerKingScore = sc.kingTermComputer;
    game.playerKingScore = sc.kingTermPlayer;
  }
  if (value == kWinScore) game.gameResult = kResultMateNow;
  return true;
}

bool CommitComputerMove(GameHistory& game, const ThinkResult& think) {
  game.gamePhase = think.gamePhase;
  game.openingType = think.openingType;
  game.baseScore = think.baseScore;
  game.gameResult = think.gameResult;
  game.computerSeconds += think.seconds;
  if (think.gameResult == kResultComputerResigns) return true;
  return CommitMove(game, think.move, game.computerSide, think.seconds);
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
MoveRec FormationOrDeepSearch(GameHistory& work, AnalysisScratch& sc, SearchState& ss,
                              int formation) {
  MoveRec move;
  if (ChooseFormationMove(work, sc, ss, formation, move) == kLossScore) {
    work.gamePhase = 3;
    move = DeepSearch(work, sc, ss);
  }
  return move;
}

MoveRec DeepSearchInMode3(GameHistory& work, AnalysisScratch& sc, SearchState& ss) {
  work.gamePhase = 3;
  return DeepSearch(work, sc, ss);
}

}  // namespace

ThinkResult ThinkDriver(GameHistory& work, AnalysisScratch& sc, SearchState& ss,
                        OpeningBook& book) {
  work.moveNumber += 1;  // the coming move, as the searches count it
  const int m = work.moveNumber;
  // The move number of the game, which the rules below go by; m indexes the history.
  const int n = GameMoveNumber(work);
  ss.thinkStart = ClockSeconds(work);
  ss.thinkCut = 0;
  ss.thinkDepth = 0;
  ss.thinkScore = 0;
  ss.thinkLineLength = 0;
  ss.thinkResult = work.gameResult;
  ss.progressDone.store(0, std::memory_order_relaxed);
  if (n < 3) LoadBook(book);
  MoveRec move;
  const bool bookMove = PlayBookMove(work, book, move, work.openingType);
  const int mode = SearchMode(n, bookMove, work.bookChoice, work.openingType);
  work.gamePhase = mode;
  const Position& before = work.snapshot[m - 1];
  AnalyzeMoves(work, sc, before, work.computerSide, 0);
  if (n < 9 && RangingRookSeen(before)) work.openingType = 2;

  const int type = work.openingType;
  if (mode == 1) {
    move = FormationOrDeepSearch(work, sc, ss, type == 1 ? 4 : type == 2 ? 3 : 1);
  } else if (mode == 2) {
    if (type == 1) {
      move = n < 40 ? FormationOrDeepSearch(work, sc, ss, 4) : DeepSearchInMode3(work, sc, ss);
    } else if (type == 2) {
      move = n < 32 ? FormationOrDeepSearch(work, sc, ss, 3) : DeepSearchInMode3(work, sc, ss);
    } else {
      move = FormationOrDeepSearch(work, sc, ss, 2);
    }
  } else if (mode >= 3) {
    move = DeepSearch(work, sc, ss);
  }

  // The player's turn: their moves, the evaluation, the time.
  Position after = before;
  ApplyMove(after, move, work.computerSide);
  AnalyzeMoves(work, sc, after, work.playerSide, 0);
  work.baseScore = Evaluate(work, sc, after, work.playerSide);
  if (ss.thinkDepth == 0) {  // the book or a formation chose: the evaluation after the move
    ss.thinkScore = work.baseScore;
    ss.thinkLine[0] = move;
    ss.thinkLineLength = 1;
  }
  work.moveNumber -= 1;

  ThinkResult r;
  r.move = move;
  r.gameResult = ss.thinkResult;
  r.score = ss.thinkScore;
  r.depth = ss.thinkDepth;
  r.line = ss.thinkLine;
  r.lineLength = ss.thinkLineLength;
  r.seconds = static_cast<int32_t>(ClockSeconds(work) - ss.thinkStart);
  r.cut = ss.thinkCut != 0;
  r.gamePhase = work.gamePhase;
  r.openingType = work.openingType;
  r.baseScore = work.baseScore;
  ss.progressTotal.store(0, std::memory_order_relaxed);
  return r;
}

}  // namespace shogi
