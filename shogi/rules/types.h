// Basic vocabulary of the rules core: sides, squares, piece kinds, positions, moves,
// move-list entries and attack maps. Everything is plain int data of fixed size.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

namespace shogi {

// Sides. The player always sits at the bottom of the array (rankIndex 8), the computer at
// the top (rankIndex 0). The computer's pieces move toward rankIndex 8.
inline constexpr int kNoSide = 0;
inline constexpr int kPlayerSide = 1;
inline constexpr int kComputerSide = 2;

constexpr int Opponent(int side) {
  return side == 1 ? 2 : 1;
}

// Piece kinds as stored in the kind plane.
enum Kind : int {
  kEmpty = 0,
  kPawn = 1,
  kLance = 2,
  kKnight = 3,
  kSilver = 4,
  kGold = 5,
  kBishop = 6,
  kRook = 7,
  kProPawn = 8,
  kProLance = 9,
  kProKnight = 10,
  kProSilver = 11,
  kHorse = 13,
  kDragon = 14,
  kKing = 15,
};

inline constexpr int kPromoteOffset = 7;
inline constexpr int kKindCount = 16;

constexpr bool IsMajor(int kind) {
  return kind == kBishop || kind == kRook || kind == kHorse || kind == kDragon;
}
// The kinds that promote: pawn, lance, knight, silver, bishop and rook.
constexpr bool CanPromote(int kind) {
  return kind >= kPawn && kind <= kRook && kind != kGold;
}
constexpr bool IsSlider(int kind) {
  return kind == kLance || IsMajor(kind);
}

// Score sentinels shared by valuation, evaluation and search.
inline constexpr int kWinScore = 32767;
inline constexpr int kLossScore = -32768;
inline constexpr int kEvasionMark = 98;
// A move the previous search prepared as the answer to this very position.
inline constexpr int kPreparedMark = 97;
// The value of a check (the gain of attacking the king); values from here up are checks or
// better.
inline constexpr int kCheckMark = 73;

// One position: 24 rows of 10 ints.
//   owner plane  fileIndex*10 + rankIndex            (0 empty, 1 or 2)
//   kind plane   100 + fileIndex*10 + rankIndex
//   hands        200 + side*10 + kind (kind 1..7)
class Position {
 public:
  int Owner(int f, int r) const { return a_[OwnerIndex(f, r)]; }
  int KindAt(int f, int r) const { return a_[KindIndex(f, r)]; }
  int Hand(int side, int kind) const { return a_[HandIndex(side, kind)]; }
  void Set(int f, int r, int owner, int kind) {
    a_[OwnerIndex(f, r)] = owner;
    a_[KindIndex(f, r)] = kind;
  }
  void SetHand(int side, int kind, int count) { a_[HandIndex(side, kind)] = count; }
  void AddHand(int side, int kind, int delta) { a_[HandIndex(side, kind)] += delta; }

  bool operator==(const Position&) const = default;

 private:
  static constexpr int OwnerIndex(int f, int r) { return f * 10 + r; }
  static constexpr int KindIndex(int f, int r) { return 100 + f * 10 + r; }
  static constexpr int HandIndex(int side, int kind) { return 200 + side * 10 + kind; }

  std::array<int32_t, 240> a_{};
};

// One move as six ints; a move whose fields are all zero stands for no move.
struct MoveRec {
  int32_t fromFile = 0;
  int32_t fromRank = 0;
  int32_t toFile = 0;
  int32_t toRank = 0;
  int32_t promote = 0;
  int32_t dropKind = 0;

  bool IsEmpty() const {
    return fromFile == 0 && fromRank == 0 && toFile == 0 && toRank == 0 && promote == 0 &&
           dropKind == 0;
  }
  bool operator==(const MoveRec&) const = default;
};

inline constexpr int kMaxGains = 20;

// One entry of the generated lists: a move plus its analysis (29 ints in all).
struct MoveEntry {
  MoveRec move;
  int32_t value = 0;
  int32_t supportBalance = 0;
  int32_t illegal = 0;
  std::array<int32_t, kMaxGains> gains{};

  void Clear() { *this = MoveEntry{}; }
  // Starts a fresh entry for a move. The gains are read up to their first 0, so only the
  // first slot needs clearing.
  void Reset(const MoveRec& m) {
    move = m;
    value = 0;
    supportBalance = 0;
    illegal = 0;
    gains[0] = 0;
  }
  int GainCount() const {
    int n = 0;
    while (n < kMaxGains && gains[n] != 0) ++n;
    return n;
  }
};
static_assert(sizeof(MoveEntry) == 29 * sizeof(int32_t));

// Square index of the attack maps: fileIndex*9 + rankIndex (file-major order).
constexpr int Sq(int f, int r) {
  return f * 9 + r;
}
constexpr int SqFile(int sq) {
  return sq / 9;
}
constexpr int SqRank(int sq) {
  return sq % 9;
}
constexpr bool OnBoard(int f, int r) {
  return f >= 0 && f < 9 && r >= 0 && r < 9;
}

// Attack counts of one side per square, broken down by the attacking piece's kind.
struct AttackMap {
  std::array<int32_t, 81> counts{};
  std::array<std::array<int32_t, kKindCount>, 81> byKind{};

  void Clear() { std::memset(this, 0, sizeof(*this)); }
  void ClearCounts() { counts.fill(0); }
  int Kind(int sq, int kind) const { return byKind[sq][kind]; }
  // Attacks by a lance, bishop, rook, horse or dragon.
  bool SliderAttacks(int sq) const {
    const auto& k = byKind[sq];
    return (k[kLance] | k[kBishop] | k[kRook] | k[kHorse] | k[kDragon]) != 0;
  }
};
static_assert(sizeof(AttackMap) == 1377 * sizeof(int32_t));

// Per-kind tables of the rules core, indexed by kind 0..15.
inline constexpr std::array<int, kKindCount> kPieceRank = {0,  78, 80, 82, 86, 88, 90, 94,
                                                           82, 84, 88, 86, 0,  92, 96, 98};
inline constexpr std::array<int, kKindCount> kCaptureGain = {0,  79, 81, 83, 87, 89, 91, 95,
                                                             83, 85, 89, 87, 0,  93, 97, 32767};
inline constexpr std::array<int, kKindCount> kCheckGain = {0,  62, 63, 64, 67, 68, 69, 71,
                                                           64, 65, 68, 66, 0,  70, 72, 73};
static_assert(kCheckGain[kKing] == kCheckMark);
inline constexpr std::array<int, kKindCount> kPromotionGain = {0, 77, 75, 76, 74, 0, 74, 74,
                                                               0, 0,  0,  0,  0,  0, 0,  0};
inline constexpr std::array<int, kKindCount> kAdvanceGain = {0, 61, 59, 60, 58, 0, 58, 58,
                                                             0, 0,  0,  0,  0,  0, 0,  0};

// Texts of the kinds as the game writes them.
const char* KindText(int kind);

}  // namespace shogi
