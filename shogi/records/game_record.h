// Games in the text formats other shogi programs read and write: KIF (.kif in CP932, .kifu
// in UTF-8), CSA V2.2 (.csa), the USI position line (.usi), SFEN (.sfen, written only), and
// the game's own slot format (.dat). Every game starts from the even-game position; the
// person is sente unless a file names the computer ("Com") as sente.
//
// Moves read from a file are taken only when the rules' legality check accepts them in the
// position reached so far; a file that holds anything else is refused as a whole, with the
// line and the reason.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shogi/rules/game_state.h"

namespace shogi::records {

// How a game ended, as the formats write it.
enum class Ending {
  kNone,          // the record simply stops
  kResign,        // 投了 / %TORYO
  kMate,          // 詰み / %TSUMI
  kInterrupt,     // 中断 / %CHUDAN
  kRepetition,    // 千日手 / %SENNICHITE
  kImpasse,       // 持将棋 / %JISHOGI
  kTimeUp,        // 切れ負け / %TIME_UP
  kIllegalWin,    // 反則勝ち / %ILLEGAL_MOVE (the side to move wins)
  kIllegalLoss,   // 反則負け
  kEnteringKing,  // 入玉勝ち / %KACHI
};

// One game, moves in internal coordinates (the person at the bottom).
struct GameRecord {
  int firstMover = 1;  // 1 the person moved first, 2 the computer
  int level = 1;
  int computerSeconds = 0;
  int playerSeconds = 0;
  std::vector<MoveRec> moves;
  std::vector<int> seconds;  // thinking seconds of each move (0 where unknown)
  Ending ending = Ending::kNone;
  std::string startTime;  // "YYYY/MM/DD HH:MM:SS" when known

  bool operator==(const GameRecord&) const = default;
};

enum class Format { kSlot, kKif, kKifu, kCsa, kUsi, kSfen };

// The format named by a file name's extension or by a word ("kif", "csa", ...).
std::optional<Format> FormatOfPath(std::string_view path);
std::optional<Format> FormatOfName(std::string_view name);

// Why a text was refused: the line (1-based; 0 for the text as a whole) and the reason.
struct ReadError {
  int line = 0;
  std::string reason;
  // "3行目：<reason>" or the reason alone.
  std::string Text() const;
};

// Reads a game. SFEN cannot be read (a position alone is no game). Returns nothing and
// fills `error` when the text is refused.
std::optional<GameRecord> ReadGame(std::string_view bytes, Format format, ReadError* error);

// Reads pasted text: a KIF, a CSA game, a USI position line or a bare SFEN of the
// even-game start, told apart by their content.
std::optional<GameRecord> ReadPastedGame(std::string_view bytes, ReadError* error);

// Writes a game. SFEN gives the position after the last move. Nothing when the record
// holds something the format cannot express (more moves than the game holds, a move that
// does not fit its position).
std::optional<std::string> WriteGame(const GameRecord& record, Format format);

// The SFEN ("<board> <side> <hands> <move number>") of the position after `count`
// moves of the record.
std::optional<std::string> SfenAfter(const GameRecord& record, int count);

// The record of moves 1..count of the game in `gs`, with its choices, times and thinking
// seconds. When `ending` is kNone and the side to move has no legal move, the game ended
// in mate.
GameRecord RecordOfGame(const GameHistory& gs, int count, Ending ending = Ending::kNone);

// Checks every move of the record with the rules' legality check; on success fills the
// snapshots of `scratch` 0..N.
bool CheckGameMoves(const GameRecord& record, GameHistory& scratch, ReadError* error);

// Puts a checked record into the game as loading a slot does: reset, choices, times, move
// records 1..N and snapshots 0..N, moveNumber 0. Returns N, or -1 (game untouched) when a
// move is not legal.
int PutIntoGame(const GameRecord& record, GameHistory& gs, ReadError* error = nullptr);

// One line per move for showing a game: "  1 ７六歩(77)".
std::string MoveListText(const GameRecord& record);

}  // namespace shogi::records
