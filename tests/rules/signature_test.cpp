// A fingerprint of everything the analysis produces on a fixed suite of middle-game positions
// under many settings. A change meant to be a pure speed-up must leave it unchanged.
#include <gtest/gtest.h>

#include <cstdint>

#include "shogi/engine/bench_positions.h"
#include "test_util.h"

namespace shogi {
namespace {

uint64_t AnalysisSignature() {
  auto gs = testing_util::NewGame();
  testing_util::Fnv fnv;
  const int scores[][2] = {{0, 0}, {-13, -13}, {-5, -20}};
  for (const char* sfen : bench::kMiddleGamePositions) {
    const UsiPosition u = testing_util::SfenPosition(sfen);
    for (int fm = 1; fm <= 2; ++fm)
      for (int ply : {0, 1, 3})
        for (int phase : {0, 3, 5})
          for (int level = 1; level <= 2; ++level)
            for (const auto& s : scores) {
              gs->gamePhase = phase;
              gs->level = level;
              gs->computerKingScore = s[0];
              gs->playerKingScore = s[1];
              AnalyzeMoves(*gs, ToInternal(u, fm), SideOfColor(fm, u.sideToMove), ply);
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
