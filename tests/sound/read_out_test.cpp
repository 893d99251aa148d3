// The clip names and the read-out of moves.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "shogi/rules/analyze.h"
#include "shogi/sound/read_out.h"
#include "tests/rules/test_util.h"

namespace shogi::sound {
namespace {

using Clips = std::vector<std::string>;

std::unique_ptr<GameState> NewGame(int firstMover) {
  auto gs = testing_util::NewGame();
  gs->firstMover = firstMover;
  return gs;
}

// A read-out written short: "S" or "G" (sente, gote), then a square "76" or "=" (the same
// square), then the piece "01".."15", then "+" when it promotes.
Clips Expand(const std::string& shortForm) {
  std::istringstream in(shortForm);
  std::string who, square, piece, promotes;
  in >> who >> square >> piece >> promotes;
  Clips c = {who == "S" ? "IDSOUND_SENTE" : "IDSOUND_GOTE",
             square == "=" ? "IDSOUND_ONAJI" : "IDSOUND_BAN" + square, "IDSOUND_KOMA" + piece};
  if (promotes == "+") c.push_back("IDSOUND_NARI");
  return c;
}

TEST(ClipNamesTest, EveryNameIsAFileAndEveryFileAName) {
  const auto& names = AllClipNames();
  std::set<std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(SHOGI_SOUNDS_DIR))
    if (e.path().extension() == ".wav") files.insert(e.path().stem().string());
  EXPECT_EQ(files, std::set<std::string>(names.begin(), names.end()));
  EXPECT_EQ(files.size(), names.size());  // no name twice
}

TEST(ReadOutTest, GamesMoveByMove) {
  struct Step {
    MoveRec move;
    const char* readOut;
  };
  struct Case {
    int firstMover;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {1,
       {{{2, 6, 2, 5, 0, 0}, "S 76 01"},          // 7g7f
        {{6, 2, 6, 3, 0, 0}, "G 34 01"},          // 3c3d
        {{1, 7, 7, 1, 1, 0}, "S 22 06 +"},        // 8h2b+: the bishop, then "promotes"
        {{6, 0, 7, 1, 0, 0}, "G = 04"},           // 3a2b takes back on the same square
        {{0, 0, 4, 4, 0, kBishop}, "S 55 06"},    // B*5e
        {{0, 0, 4, 5, 0, kBishop}, "G 56 06"}}},  // B*5f
      {1,
       {{{2, 6, 2, 5, 0, 0}, "S 76 01"},
        {{6, 2, 6, 3, 0, 0}, "G 34 01"},
        {{1, 7, 7, 1, 1, 0}, "S 22 06 +"},
        {{1, 1, 2, 1, 0, 0}, "G 72 07"},    // 8b7b
        {{7, 1, 6, 0, 0, 0}, "S 31 13"}}},  // +2b3a: the horse takes the silver
      {2,                                   // the computer first: squares seen from sente
       {{{6, 2, 6, 3, 0, 0}, "S 76 01"},
        {{2, 6, 2, 5, 0, 0}, "G 34 01"},
        {{7, 1, 1, 7, 1, 0}, "S 22 06 +"}}},
  };
  for (const Case& c : cases) {
    auto gs = NewGame(c.firstMover);
    EXPECT_TRUE(ReadMoveAloud(*gs).empty());  // nothing before the first move
    for (const Step& s : c.steps) {
      testing_util::Play(*gs, s.move);
      EXPECT_EQ(ReadMoveAloud(*gs), Expand(s.readOut)) << "move " << gs->moveNumber;
    }
  }
}

// "The same square" from move 3 on, never for drops. States made by hand: the read-out only
// looks at the two records and the two snapshots.
TEST(ReadOutTest, SameSquareOnlyFromMoveThreeAndNeverForDrops) {
  struct Case {
    int m;
    bool drop;
    const char* readOut;
  };
  for (const Case& c : {Case{2, false, "G 55 04"}, Case{3, false, "S = 04"},
                        Case{10, false, "G = 04"}, Case{5, true, "S 55 05"}}) {
    auto gs = NewGame(1);
    gs->moveNumber = c.m;
    gs->moveRec[c.m - 1] = {2, 6, 4, 4, 0, 0};
    gs->moveRec[c.m] = c.drop ? MoveRec{0, 0, 4, 4, 0, kGold} : MoveRec{4, 2, 4, 4, 0, 0};
    gs->snapshot[c.m - 1].Set(4, 2, kComputerSide, kSilver);
    gs->snapshot[c.m].Set(4, 4, c.drop ? kPlayerSide : kComputerSide, c.drop ? kGold : kSilver);
    EXPECT_EQ(ReadMoveAloud(*gs), Expand(c.readOut)) << c.m;
  }
}

}  // namespace
}  // namespace shogi::sound
