// A set of board squares (index fileIndex*9 + rankIndex) as an 81-bit mask.
#pragma once

#include <cstdint>

namespace shogi {

class SquareSet {
 public:
  constexpr SquareSet() = default;

  constexpr void Add(int sq) {
    if (sq < 64)
      lo_ |= uint64_t{1} << sq;
    else
      hi_ |= uint64_t{1} << (sq - 64);
  }
  constexpr bool Has(int sq) const {
    return sq < 64 ? (lo_ >> sq & 1u) != 0 : (hi_ >> (sq - 64) & 1u) != 0;
  }
  constexpr bool Empty() const { return (lo_ | hi_) == 0; }
  constexpr SquareSet Minus(const SquareSet& o) const {
    return SquareSet(lo_ & ~o.lo_, hi_ & ~o.hi_);
  }
  constexpr SquareSet And(const SquareSet& o) const { return SquareSet(lo_ & o.lo_, hi_ & o.hi_); }
  constexpr int Count() const {
    int n = 0;
    for (uint64_t b = lo_; b != 0; b &= b - 1) ++n;
    for (uint64_t b = hi_; b != 0; b &= b - 1) ++n;
    return n;
  }
  // The squares of the given rank indices, on every file.
  static constexpr SquareSet Ranks(int from, int to) {
    SquareSet s;
    for (int f = 0; f < 9; ++f)
      for (int r = from; r <= to; ++r) s.Add(f * 9 + r);
    return s;
  }
  constexpr bool operator==(const SquareSet&) const = default;

  // Visits the squares in ascending index order (file-major).
  template <class F>
  constexpr void ForEach(F&& f) const {
    for (uint64_t b = lo_; b != 0; b &= b - 1) f(__builtin_ctzll(b));
    for (uint64_t b = hi_; b != 0; b &= b - 1) f(64 + __builtin_ctzll(b));
  }

 private:
  constexpr SquareSet(uint64_t lo, uint64_t hi) : lo_(lo), hi_(hi) {}
  uint64_t lo_ = 0;
  uint64_t hi_ = 0;
};

}  // namespace shogi
