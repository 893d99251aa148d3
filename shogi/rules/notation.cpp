#include "shogi/rules/notation.h"

#include <cctype>

#include "shogi/rules/coordinates.h"

namespace shogi {

namespace {

constexpr std::string_view kLetters = " PLNSGBR";  // kinds 1..7

int KindOfLetter(char c) {
  const char u = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (u == 'K') return kKing;
  const auto p = kLetters.find(u);
  return p == std::string_view::npos || p == 0 ? 0 : static_cast<int>(p);
}

char LetterOfKind(int kind) {
  if (kind == kKing) return 'K';
  const int base = kind > kPromoteOffset ? kind - kPromoteOffset : kind;
  return base >= 1 && base <= 7 ? kLetters[base] : '?';
}

// How many pieces of each unpromoted kind the game has.
constexpr int kPieceTotals[8] = {0, 18, 4, 4, 4, 4, 2, 2};

}  // namespace

void UsiToInternal(int firstMover, int file, int rank, int& fileIndex, int& rankIndex) {
  NotationToInternal(firstMover, file, rank, fileIndex, rankIndex);
}

void InternalToUsi(int firstMover, int fileIndex, int rankIndex, int& file, int& rank) {
  InternalToNotation(firstMover, fileIndex, rankIndex, file, rank);
}

std::string MoveToUsi(const MoveRec& m, int firstMover) {
  std::string s;
  int file = 0, rank = 0;
  if (m.dropKind > 0) {
    s += LetterOfKind(m.dropKind);
    s += '*';
  } else {
    InternalToUsi(firstMover, m.fromFile, m.fromRank, file, rank);
    s += static_cast<char>('0' + file);
    s += static_cast<char>('a' + rank - 1);
  }
  InternalToUsi(firstMover, m.toFile, m.toRank, file, rank);
  s += static_cast<char>('0' + file);
  s += static_cast<char>('a' + rank - 1);
  if (m.promote == 1) s += '+';
  return s;
}

std::optional<MoveRec> ParseUsiMove(std::string_view t, int firstMover) {
  auto square = [&](std::string_view sq, int& f, int& r) {
    if (sq.size() != 2 || sq[0] < '1' || sq[0] > '9' || sq[1] < 'a' || sq[1] > 'i') return false;
    UsiToInternal(firstMover, sq[0] - '0', sq[1] - 'a' + 1, f, r);
    return true;
  };
  MoveRec m;
  if (t.size() == 4 && t[1] == '*') {
    const int kind = KindOfLetter(t[0]);
    if (!std::isupper(static_cast<unsigned char>(t[0])) || kind < 1 || kind > 7) return {};
    if (!square(t.substr(2, 2), m.toFile, m.toRank)) return {};
    m.dropKind = kind;
    return m;
  }
  if (t.size() == 5 && t[4] == '+') {
    m.promote = 1;
    t = t.substr(0, 4);
  }
  if (t.size() != 4) return {};
  if (!square(t.substr(0, 2), m.fromFile, m.fromRank) ||
      !square(t.substr(2, 2), m.toFile, m.toRank))
    return {};
  if (m.fromFile == m.toFile && m.fromRank == m.toRank) return {};
  return m;
}

UsiPosition UsiStartPosition() {
  std::string err;
  return *ParseSfen("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL", "b", "-", &err);
}

std::optional<UsiPosition> ParseSfen(std::string_view board, std::string_view side,
                                     std::string_view hands, std::string* error) {
  auto fail = [&](const std::string& why) -> std::optional<UsiPosition> {
    if (error) *error = why;
    return std::nullopt;
  };
  UsiPosition p;
  int totals[8] = {};
  int kings[3] = {};
  int rank = 1, file = 9;
  bool promoted = false;
  for (char c : board) {
    if (c == '/') {
      if (file != 0 || promoted) return fail("bad rank in sfen board");
      ++rank;
      file = 9;
      if (rank > 9) return fail("too many ranks in sfen board");
      continue;
    }
    if (c >= '1' && c <= '9') {
      if (promoted) return fail("'+' before a digit in sfen board");
      file -= c - '0';
      if (file < 0) return fail("rank too long in sfen board");
      continue;
    }
    if (c == '+') {
      if (promoted) return fail("double '+' in sfen board");
      promoted = true;
      continue;
    }
    int kind = KindOfLetter(c);
    if (kind == 0) return fail(std::string("unknown piece letter '") + c + "'");
    if (file < 1) return fail("rank too long in sfen board");
    if (promoted) {
      if (kind == kGold || kind == kKing) return fail("piece cannot be promoted");
      kind += kPromoteOffset;
      promoted = false;
    }
    const int color =
        std::isupper(static_cast<unsigned char>(c)) ? UsiPosition::kBlack : UsiPosition::kWhite;
    // Unpromoted pawns, lances and knights must have a move left.
    const int fromFar = color == UsiPosition::kBlack ? rank : 10 - rank;
    if (((kind == kPawn || kind == kLance) && fromFar == 1) || (kind == kKnight && fromFar <= 2))
      return fail("piece without a move in sfen board");
    p.color[file][rank] = color;
    p.kind[file][rank] = kind;
    if (kind == kKing)
      ++kings[color];
    else
      ++totals[kind > kPromoteOffset ? kind - kPromoteOffset : kind];
    --file;
  }
  if (rank != 9 || file != 0 || promoted) return fail("sfen board must have 9 ranks of 9 files");
  if (kings[1] > 1 || kings[2] > 1) return fail("more than one king of a side");

  if (side == "b")
    p.sideToMove = UsiPosition::kBlack;
  else if (side == "w")
    p.sideToMove = UsiPosition::kWhite;
  else
    return fail("side to move must be b or w");

  if (hands != "-") {
    int count = 0;
    bool haveCount = false;
    for (char c : hands) {
      if (c >= '0' && c <= '9') {
        count = count * 10 + (c - '0');
        haveCount = true;
        if (count > 18) return fail("hand count too large");
        continue;
      }
      const int kind = KindOfLetter(c);
      if (kind < 1 || kind > 7) return fail(std::string("bad hand piece '") + c + "'");
      const int n = haveCount ? count : 1;
      if (n < 1) return fail("hand count must be positive");
      const int color =
          std::isupper(static_cast<unsigned char>(c)) ? UsiPosition::kBlack : UsiPosition::kWhite;
      p.hand[color][kind] += n;
      totals[kind] += n;
      count = 0;
      haveCount = false;
    }
    if (haveCount) return fail("hand ends with a count");
  }
  for (int k = 1; k <= 7; ++k)
    if (totals[k] > kPieceTotals[k]) return fail("too many pieces of one kind");
  return p;
}

std::string ToSfen(const UsiPosition& p) {
  std::string s;
  for (int rank = 1; rank <= 9; ++rank) {
    int empty = 0;
    for (int file = 9; file >= 1; --file) {
      if (p.color[file][rank] == UsiPosition::kNone) {
        ++empty;
        continue;
      }
      if (empty) s += static_cast<char>('0' + empty);
      empty = 0;
      const int kind = p.kind[file][rank];
      if (kind > kPromoteOffset && kind != kKing) s += '+';
      const char c = LetterOfKind(kind);
      s += p.color[file][rank] == UsiPosition::kBlack
               ? c
               : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (empty) s += static_cast<char>('0' + empty);
    if (rank < 9) s += '/';
  }
  s += p.sideToMove == UsiPosition::kBlack ? " b " : " w ";
  std::string hands;
  static constexpr int kOrder[7] = {kRook, kBishop, kGold, kSilver, kKnight, kLance, kPawn};
  for (int color = UsiPosition::kBlack; color <= UsiPosition::kWhite; ++color)
    for (int kind : kOrder) {
      const int n = p.hand[color][kind];
      if (n == 0) continue;
      if (n > 1) hands += std::to_string(n);
      const char c = LetterOfKind(kind);
      hands += color == UsiPosition::kBlack
                   ? c
                   : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
  s += hands.empty() ? "-" : hands;
  return s;
}

Position ToInternal(const UsiPosition& u, int firstMover) {
  Position p;
  for (int file = 1; file <= 9; ++file)
    for (int rank = 1; rank <= 9; ++rank) {
      const int color = u.color[file][rank];
      if (color == UsiPosition::kNone) continue;
      int f = 0, r = 0;
      UsiToInternal(firstMover, file, rank, f, r);
      p.Set(f, r, SideOfColor(firstMover, color), u.kind[file][rank]);
    }
  for (int color = UsiPosition::kBlack; color <= UsiPosition::kWhite; ++color)
    for (int k = 1; k <= 7; ++k) p.SetHand(SideOfColor(firstMover, color), k, u.hand[color][k]);
  return p;
}

UsiPosition FromInternal(const Position& p, int firstMover, int sideToMove) {
  UsiPosition u;
  u.sideToMove = sideToMove;
  for (int f = 0; f < 9; ++f)
    for (int r = 0; r < 9; ++r) {
      if (p.Owner(f, r) == 0) continue;
      int file = 0, rank = 0;
      InternalToUsi(firstMover, f, r, file, rank);
      u.color[file][rank] = p.Owner(f, r) == firstMover ? UsiPosition::kBlack : UsiPosition::kWhite;
      u.kind[file][rank] = p.KindAt(f, r);
    }
  for (int side = 1; side <= 2; ++side)
    for (int k = 1; k <= 7; ++k)
      u.hand[side == firstMover ? UsiPosition::kBlack : UsiPosition::kWhite][k] = p.Hand(side, k);
  return u;
}

}  // namespace shogi
