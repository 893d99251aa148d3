#include "shogi/engine/book.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "shogi/engine/clock.h"
#include "shogi/rules/coordinates.h"
#include "shogi/rules/scan.h"

namespace shogi {

namespace {

// Bytes of a line kept for parsing. A well-formed entry needs about 300; a longer line is
// parsed from its kept start, and skipped if its fields would run past it.
constexpr int kLineBufferSize = 1024;

// The lookup walks at most this many entries (the last slot of the table is never looked at).
constexpr int kLookupLimit = 999;
// A line with this number or more ends the book.
constexpr int kEndNumber = 999;

// Square codes of the key: lead byte 0xF0 and a trail byte by kind, sente column first.
constexpr unsigned char kPieceLead = 0xF0;
constexpr unsigned char kEmptyLead = 0x81;
constexpr unsigned char kEmptyTrail = 0xA0;

// Trail byte of a sente piece by kind (0 = no such piece); gote pieces add 0x10.
constexpr unsigned char kSenteTrail[kKindCount] = {0,    0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46,
                                                   0x47, 0x48, 0x49, 0x4A, 0,    0x4B, 0x4C, 0x4D};
constexpr unsigned char kGoteOffset = 0x10;

// Parses one line (without its line end) into an entry. A line is used only when all eleven
// fields convert and the key has exactly 162 bytes. `cut` says that the line went on beyond
// `length`; then the last field must end before the cut, or it might have gone on.
bool ParseBookLine(const char* text, int length, bool cut, BookEntry& e) {
  // A zero byte ends the text, as it would for the C library.
  const void* zero = std::memchr(text, '\0', static_cast<std::size_t>(length));
  if (zero != nullptr) {
    length = static_cast<int>(static_cast<const char*>(zero) - text);
    cut = false;
  }
  // The fields as the book format's conversions read them: "%d", "%162s" and literal
  // commas.
  FormatScanner s(std::string_view(text, static_cast<std::size_t>(length)));
  std::vector<std::string> f;
  if (!s.Match("%d,%162s,%d,%d,%d,%d,%d,%d,%d,%d,%d", f)) return false;
  BookEntry out;
  if (!ScannedInt(f[0], out.number) || f[1].size() != kBookKeyLength) return false;
  std::copy(f[1].begin(), f[1].end(), out.key.begin());
  int32_t* fields[9] = {&out.spare1,  &out.toFile,   &out.toRank,      &out.fromFile, &out.fromRank,
                        &out.promote, &out.dropKind, &out.openingType, &out.spare2};
  for (int i = 0; i < 9; ++i)
    if (!ScannedInt(f[i + 2], *fields[i])) return false;
  if (cut && s.Consumed()) return false;
  e = out;
  return true;
}

// Reads one line into buf (at most kLineBufferSize - 1 bytes kept, without the line end).
// Returns false at the end of the file when nothing was read; sets cut when the line did not
// fit. A carriage return before the line end needs no care: it follows the last field, and
// nothing after the last field is looked at.
bool ReadLine(std::FILE* f, char* buf, int& length, bool& cut) {
  length = 0;
  cut = false;
  int c = 0;
  bool any = false;
  while ((c = std::getc(f)) != EOF) {
    any = true;
    if (c == '\n') break;
    if (length < kLineBufferSize - 1)
      buf[length++] = static_cast<char>(c);
    else
      cut = true;
  }
  if (!any) return false;
  buf[length] = '\0';
  return true;
}

// A book square in sente's view as a board square of this game.
void BookSquareToBoard(int firstMover, int32_t file, int32_t rank, int32_t& fileIndex,
                       int32_t& rankIndex) {
  // Worked in 64 bits so that any number read from the file converts without overflow; the
  // result wraps like every conversion to a narrower int (it is then simply off the board).
  int64_t f = 0, r = 0;
  NotationToInternal<int64_t>(firstMover, file, rank, f, r);
  fileIndex = static_cast<int32_t>(f);
  rankIndex = static_cast<int32_t>(r);
}

// Whether the move can be applied to pos for side without leaving the board or making a
// piece that does not exist. The book is trusted for the rules of movement; this only keeps
// a damaged book from writing outside the position.
bool Playable(const Position& pos, const MoveRec& m, int side) {
  if (!OnBoard(m.toFile, m.toRank)) return false;
  if (m.promote != 0 && m.promote != 1) return false;
  if (m.dropKind != 0) {
    if (m.dropKind < 1 || m.dropKind > 7 || m.promote != 0) return false;
    return pos.Owner(m.toFile, m.toRank) == 0 && pos.Hand(side, m.dropKind) > 0;
  }
  if (!OnBoard(m.fromFile, m.fromRank)) return false;
  if (m.fromFile == m.toFile && m.fromRank == m.toRank) return false;
  if (pos.Owner(m.fromFile, m.fromRank) != side) return false;
  if (pos.Owner(m.toFile, m.toRank) == side) return false;
  return m.promote == 0 || CanPromote(pos.KindAt(m.fromFile, m.fromRank));
}

}  // namespace

namespace {

// Opens the book for reading when it is a regular file (after links) of a book's size. A pipe
// or a device would wait for a writer or never end; neither is opened for reading.
std::FILE* OpenBookFile(const std::string& path, std::string* why) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return nullptr;
  struct stat info {};
  const bool stated = ::fstat(fd, &info) == 0;
  const char* refused = !stated                        ? "cannot be examined"
                        : !S_ISREG(info.st_mode)       ? "is not a regular file"
                        : info.st_size > kMaxBookBytes ? "is far larger than any book"
                                                       : nullptr;
  // Back to blocking reads for the regular file.
  if (!refused && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
    refused = "cannot be read";
  std::FILE* f = refused ? nullptr : ::fdopen(fd, "r");
  if (f == nullptr) {
    ::close(fd);
    if (why && refused) *why = "book file " + path + " " + refused;
  }
  return f;
}

}  // namespace

bool LoadBook(OpeningBook& book, std::string* why) {
  book.count = 0;
  for (BookEntry& e : book.entries) e = BookEntry{};
  std::FILE* f = OpenBookFile(book.path, why);
  book.opened = f != nullptr;
  if (f == nullptr) {
    if (book.printFailure) {
      std::fputs("cannot open file\n", stdout);
      std::fflush(stdout);
    }
    return false;
  }
  char line[kLineBufferSize];
  int length = 0;
  bool cut = false;
  while (book.count < kBookCapacity && ReadLine(f, line, length, cut)) {
    BookEntry& e = book.entries[book.count];
    if (!ParseBookLine(line, length, cut, e)) continue;
    ++book.count;
    if (e.number >= kEndNumber) break;
  }
  std::fclose(f);
  return true;
}

void BuildBookKey(const GameHistory& game, int index, char out[kBookKeyLength + 1]) {
  if (index < 0 || index >= kSnapshotCount) {
    // No position: a key of blanks, which no line of a book file can carry.
    std::memset(out, ' ', kBookKeyLength);
    out[kBookKeyLength] = '\0';
    return;
  }
  const Position& pos = game.snapshot[index];
  const bool computerSente = game.firstMover == 2;
  const int sente = computerSente ? kComputerSide : kPlayerSide;
  int n = 0;
  for (int i = 0; i < 9; ++i) {
    for (int j = 0; j < 9; ++j) {
      // Squares as a diagram seen from sente: its far rank first, from its left.
      const int rank = computerSente ? 8 - i : i;
      const int file = computerSente ? 8 - j : j;
      const int owner = pos.Owner(file, rank);
      const int kind = pos.KindAt(file, rank);
      unsigned char lead = ' ', trail = ' ';
      if (owner == kNoSide && kind == kEmpty) {
        lead = kEmptyLead;
        trail = kEmptyTrail;
      } else if ((owner == kPlayerSide || owner == kComputerSide) && kind > 0 &&
                 kind < kKindCount && kSenteTrail[kind] != 0) {
        lead = kPieceLead;
        trail = kSenteTrail[kind];
        if (owner != sente) trail = static_cast<unsigned char>(trail + kGoteOffset);
      }
      out[n++] = static_cast<char>(lead);
      out[n++] = static_cast<char>(trail);
    }
  }
  out[kBookKeyLength] = '\0';
}

bool PlayBookMove(const GameHistory& game, const OpeningBook& book, MoveRec& chosen,
                  int32_t& openingType) {
  const int m = game.moveNumber;
  if (m < 1 || m > kMaxMoves) return false;
  const int side = game.computerSide;
  if (side != kPlayerSide && side != kComputerSide) return false;
  const Position& before = game.snapshot[m - 1];

  char key[kBookKeyLength + 1];
  BuildBookKey(game, m - 1, key);

  MoveRec candidates[kBookCandidates];
  int count = 0;
  const int limit = book.count < kLookupLimit ? book.count : kLookupLimit;
  for (int i = 0; i < limit; ++i) {
    const BookEntry& e = book.entries[i];
    if (e.number == kEndNumber) break;
    if (std::memcmp(e.key.data(), key, kBookKeyLength) != 0) continue;
    openingType = e.openingType;
    if (count == kBookCandidates) continue;
    MoveRec move;
    BookSquareToBoard(game.firstMover, e.fromFile, e.fromRank, move.fromFile, move.fromRank);
    BookSquareToBoard(game.firstMover, e.toFile, e.toRank, move.toFile, move.toRank);
    move.promote = e.promote;
    move.dropKind = e.dropKind;
    // A move that cannot be played here (a damaged line) is no candidate.
    if (!Playable(before, move, side)) continue;
    candidates[count++] = move;
  }
  if (count == 0) return false;

  chosen = candidates[ClockSecondsField(game) % count];
  return true;
}

}  // namespace shogi
