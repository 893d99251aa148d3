// The opening book: positions (as 162-byte keys of square codes seen from sente) with moves
// the computer may play in them, read from a text file.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "shogi/rules/game_state.h"

namespace shogi {

inline constexpr int kBookKeyLength = 162;
inline constexpr int kBookCapacity = 1000;
inline constexpr int kBookCandidates = 30;

struct BookEntry {
  int32_t number = 0;
  std::array<char, 164> key{};  // 162 bytes and a terminating zero
  int32_t spare1 = 0;
  int32_t fromFile = 0, fromRank = 0, toFile = 0, toRank = 0;  // book notation
  int32_t promote = 0;
  int32_t dropKind = 0;
  int32_t openingType = 0;
  int32_t spare2 = 0;
};

struct OpeningBook {
  std::string path = "joseki.dat";
  bool printFailure = true;  // a failed load writes "cannot open file" to standard output
  bool opened = false;       // whether the last load found the file
  std::array<BookEntry, kBookCapacity> entries{};
  int count = 0;
};

// No book comes near this size; a larger file is refused.
inline constexpr std::int64_t kMaxBookBytes = 4 << 20;

// Reads the book file named by book.path. When it cannot be opened, or is no regular file
// (a pipe, a device) or larger than kMaxBookBytes, writes "cannot open file\n" to standard
// output (unless printFailure is off) and leaves an empty book; for a file refused that way `why`
// (when given) says why. Never waits on a pipe. Returns whether it was read, which is also left in
// book.opened.
bool LoadBook(OpeningBook& book, std::string* why = nullptr);

// Writes the key of snapshot[index] (162 bytes and a zero) into out.
void BuildBookKey(const GameHistory& game, int index, char out[kBookKeyLength + 1]);

// Looks up snapshot[moveNumber - 1] (moveNumber counts the computer's coming move): every
// matching entry sets openingType; when there is at least one candidate, the one picked by
// the clock's seconds goes to `chosen`. Returns whether the book chose a move.
bool PlayBookMove(const GameHistory& game, const OpeningBook& book, MoveRec& chosen,
                  int32_t& openingType);

}  // namespace shogi
