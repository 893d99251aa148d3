// A fingerprint of everything the analysis produces on a fixed suite of middle-game positions
// under many settings. A change meant to be a pure speed-up must leave it unchanged.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <sstream>

#include "shogi/engine/bench_positions.h"
#include "test_util.h"

namespace shogi {
namespace {

struct Fnv {
  uint64_t h = 1469598103934665603ULL;
  void Add(int64_t v) {
    for (int i = 0; i < 8; ++i) {
      h ^= static_cast<uint64_t>(v >> (8 * i)) & 0xff;
      h *= 1099511628211ULL;
    }
  }
};

uint64_t AnalysisSignature() {
  auto gs = testing_util::NewGame();
  Fnv fnv;
  const int scores[][2] = {{0, 0}, {-13, -13}, {-5, -20}};
  for (const char* sfen : bench::kMiddleGamePositions) {
    std::istringstream in(sfen);
    std::string board, side, hands;
    in >> board >> side >> hands;
    const auto u = ParseSfen(board, side, hands, nullptr);
    EXPECT_TRUE(u) << sfen;
    if (!u) continue;
    for (int fm = 1; fm <= 2; ++fm)
      for (int ply : {0, 1, 3})
        for (int phase : {0, 3, 5})
          for (int level = 1; level <= 2; ++level)
            for (const auto& s : scores) {
              gs->gamePhase = phase;
              gs->level = level;
              gs->computerKingScore = s[0];
              gs->playerKingScore = s[1];
              AnalyzeMoves(*gs, ToInternal(*u, fm), SideOfColor(fm, u->sideToMove), ply);
              fnv.Add(gs->moveListCount);
              for (int i = 0; i < gs->moveListCount; ++i) {
                const MoveEntry& e = gs->moveList[i];
                for (int v :
                     {e.move.fromFile, e.move.fromRank, e.move.toFile, e.move.toRank,
                      e.move.promote, e.move.dropKind, e.value, e.supportBalance, e.illegal})
                  fnv.Add(v);
                for (int g : e.gains) {
                  if (g == 0) break;
                  fnv.Add(g);
                }
                fnv.Add(0);
              }
              fnv.Add(gs->enemyReachCount);
              fnv.Add(gs->lineCount);
              fnv.Add(gs->savedLineCount);
              for (int sq = 0; sq < 81; ++sq) {
                fnv.Add(gs->controlBalance.counts[sq]);
                fnv.Add(gs->threatMap.counts[sq]);
              }
            }
  }
  return fnv.h;
}

TEST(AnalysisSignature, Unchanged) {
  EXPECT_EQ(AnalysisSignature(), 0xef80402b1d3f9be8ULL) << std::hex << AnalysisSignature();
}

}  // namespace
}  // namespace shogi
