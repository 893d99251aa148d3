// The game state in three parts with their own owners: the game's history (GameHistory), the
// analysis scratch (AnalysisScratch) and the search's own state (SearchState). Whoever plays
// the game owns the history; a computer player owns a scratch and a search state. Nothing of
// it is global.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "shogi/rules/types.h"

namespace shogi {

inline constexpr int kMaxMoves = 299;       // moves 1..299
inline constexpr int kSnapshotCount = 301;  // positions after 0..300 moves
inline constexpr int kMoveListCapacity = 1024;
inline constexpr int kReachListCapacity = 800;  // 40 pieces x at most 20 reached squares
inline constexpr int kLineListCapacity = 128;   // 4 lances x 7 + 4 majors x 16 squares between

struct PieceListEntry {
  int32_t owner = 0;
  int32_t kind = 0;
  int32_t fileIndex = 0;
  int32_t rankIndex = 0;
};

// One node of the search stack: a move-list entry and the position after that move.
struct SearchNode {
  MoveEntry entry;
  Position position;
};

// The ten ints that describe a position for one side (see MakeSignature).
using PositionSignature = std::array<int32_t, 10>;

// An answer carried from one computer move to the next.
struct PreparedAnswer {
  PositionSignature signature{};
  MoveEntry entry;
};

inline constexpr int kSearchNodeCount = 100;
inline constexpr int kPreparedAnswerCapacity = 300;
inline constexpr int kRootWidthLimit = 30;

// Entry of the enemy reach list and of the line lists. Reach entries use move.from* for the
// enemy piece and move.to* for the reached square; line entries use move.from* for the
// attacked piece, move.to* for the square between, and value for the attacked piece's rank.
using ListEntry = MoveEntry;

// The game's history and the game's choices: what a record holds and what the front ends
// show. Only CommitMove (and the resets) change the snapshots, the moves and moveNumber. It is
// plain data: a computer player thinks on a copy of it.
struct GameHistory {
  std::array<Position, kSnapshotCount> snapshot{};
  std::array<MoveRec, kMaxMoves + 1> moveRec{};
  int32_t moveNumber = 0;
  // Moves of the game made before snapshot[0]: a game taken up in its middle, or the oldest
  // moves dropped from a full history. 0 for a game played from its start.
  int32_t movesBefore = 0;

  // Thinking times.
  std::array<int32_t, kMaxMoves + 1> moveSeconds{};
  int32_t computerSeconds = 0;
  int32_t playerSeconds = 0;

  // The game's choices and results.
  int32_t gamePhase = 0;
  int32_t firstMover = 1;
  int32_t bookChoice = 0;
  int32_t openingType = 0;
  int32_t level = 1;
  int32_t playerSide = kPlayerSide;
  int32_t computerSide = kComputerSide;
  int32_t computerKingScore = 0;
  int32_t playerKingScore = 0;
  int32_t baseScore = 0;  // evaluation of the latest position
  int32_t gameResult = 0;
  int32_t useRandom = 0;   // add a clock-seeded 0..99 to every score
  int64_t fixedClock = 0;  // when not 0, the clock always reads this (seconds since the epoch)

  const Position& Current() const { return snapshot[moveNumber]; }
  Position& Current() { return snapshot[moveNumber]; }
};

// The analysis scratch: the lists and maps one analysis or evaluation leaves behind for the
// next step to read. Each caller that analyses owns one.
struct AnalysisScratch {
  std::array<PieceListEntry, 40> pieceList{};

  // Generated lists.
  std::array<MoveEntry, kMoveListCapacity> moveList{};
  std::array<ListEntry, kReachListCapacity> enemyReachList{};
  std::array<ListEntry, kLineListCapacity> lineList{};
  std::array<ListEntry, kLineListCapacity> savedLineList{};
  int32_t moveListCount = 0;
  int32_t enemyReachCount = 0;
  int32_t lineCount = 0;
  int32_t savedLineCount = 0;

  // Attack maps (see attacks.h).
  AttackMap ownAttackMap{};
  AttackMap enemyAttackMap{};
  AttackMap controlBalance{};
  AttackMap threatMap{};
  AttackMap trialSliderMap{};
  AttackMap pieceMapBefore{};
  AttackMap pieceMapAfter{};

  // Evaluation.
  int32_t kingDanger = 0;  // danger to the player's king, written by the king-safety term
  // The king-neighbourhood scores of the last evaluation that computed its terms, and whether
  // the last evaluation did (the player's move commit takes them over from there).
  int32_t kingTermComputer = 0;
  int32_t kingTermPlayer = 0;
  int32_t kingTermsFresh = 0;

  // Work counters, for benchmarks and the engine's bench signature.
  uint64_t analyzeCalls = 0;
  uint64_t evasionCalls = 0;
  uint64_t evaluateCalls = 0;
};

// The search's own state: its node stack and widths, the answers and refutations it carries
// from one computer move to the next, the flags that cut a think short and what the last
// think found.
struct SearchState {
  std::array<SearchNode, kSearchNodeCount> node{};
  int32_t nodeTop = 0;
  std::array<int32_t, 7> searchWidthBase{};
  std::array<int32_t, 7> width{};  // current widths: root, ply 2 .. ply 7
  Position scratchPosition{};
  int32_t bestRootIndex = 0;
  std::array<PreparedAnswer, kPreparedAnswerCapacity> preparedAnswers{};
  int32_t preparedCount = 0;
  std::array<MoveEntry, kRootWidthLimit> refutation{};

  // Cutting a think short. Another thread raises stopThink or sets thinkDeadline (steady-clock
  // nanoseconds; 0 for none); the searches poll both and latch the outcome in thinkCut.
  std::atomic<int32_t> stopThink{0};
  std::atomic<int64_t> thinkDeadline{0};
  int32_t thinkCut = 0;
  // What the last think found, for the front ends' progress reports: the value of the chosen
  // move for the computer, the plies searched (0 when no search chose it) and the expected line.
  int32_t thinkScore = 0;
  int32_t thinkDepth = 0;
  std::array<MoveRec, 8> thinkLine{};
  int32_t thinkLineLength = 0;
  int64_t thinkStart = 0;
  // The game result as the think sees it: the game's at the start, then what the searches
  // find (a mate, a resignation). The think hands it back with its move.
  int32_t thinkResult = 0;

  // Progress of the think, read by other threads.
  std::atomic<int32_t> progressTotal{0};
  std::atomic<int32_t> progressDone{0};
};

// All three parts together, for the tests and tools that drive the rules and searches by hand.
// It converts to each part, so a GameState can be passed wherever a part is asked for.
struct GameState : GameHistory, AnalysisScratch, SearchState {};

// Values of gameResult. Above kResultMateNow it holds the plies of a forced mate found (3,
// 5 or 7).
inline constexpr int kResultNone = 0;             // the game goes on
inline constexpr int kResultComputerResigns = 1;  // every move of the computer loses
inline constexpr int kResultMateNow = 2;          // the computer mates at once or takes the king

// The start position (player at the bottom).
Position StartPosition();

// Resets the history to a new game in the start position.
void ResetHistory(GameHistory& game);
// Empties the lists of a scratch.
void ResetScratch(AnalysisScratch& sc);
// Resets the search's work areas and widths and forgets the prepared answers.
void ResetSearch(SearchState& ss);
// All three.
void ResetGameState(GameState& gs);

// Applies a move made by `side` to `pos`. Returns 0 for the empty move (nothing changes),
// else 1. No legality test is made.
int ApplyMove(Position& pos, const MoveRec& move, int side);

// Appends a move to the history: the next snapshot starts as a copy of the current one and
// the move is played on it, moveNumber advances and the move's seconds are recorded. The one
// place where moves enter a history, the player's and the computer's alike.
// Returns false (and changes nothing) when the history is full.
bool CommitMove(GameHistory& game, const MoveRec& move, int side, int seconds = 0);

// The number of the latest move of the whole game (moveNumber counts only the moves in the
// history). The rules that go by how far the game has come read this one.
inline int GameMoveNumber(const GameHistory& game) {
  return game.movesBefore + game.moveNumber;
}

// Makes room in a full history: drops its oldest `count` moves (snapshots, moves and their
// seconds move down, moveNumber goes down and movesBefore up by `count`). An even count keeps
// the side to move of every move number.
void DropOldestMoves(GameHistory& game, int count);

// Side to move in snapshot[moveNumber]: odd move numbers are sente's moves.
int SideToMove(const GameHistory& game);

}  // namespace shogi
