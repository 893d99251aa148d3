// The clip names and the read-out of moves.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "shogi/rules/analyze.h"
#include "shogi/sound/read_out.h"
#include "tests/rules/test_util.h"

namespace shogi::sound {
namespace {

using Clips = std::vector<std::string>;

class RecordingSink : public ClipSink {
 public:
  void PlayClip(std::string_view name) override { clips.emplace_back(name); }
  Clips clips;
};

std::unique_ptr<GameState> NewGame(int firstMover) {
  auto gs = std::make_unique<GameState>();
  ResetGameState(*gs);
  gs->firstMover = firstMover;
  return gs;
}

using testing_util::Play;

TEST(ClipNamesTest, AllHundredAndFiveExistAsFiles) {
  const auto& names = AllClipNames();
  EXPECT_EQ(names.size(), 105u);
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), 105u);
  for (const auto& n : names)
    EXPECT_TRUE(std::filesystem::exists(std::string(SHOGI_SOUNDS_DIR) + "/" + n + ".wav")) << n;
  std::set<std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(SHOGI_SOUNDS_DIR))
    if (e.path().extension() == ".wav") files.insert(e.path().stem().string());
  EXPECT_EQ(files, std::set<std::string>(names.begin(), names.end()));
  EXPECT_EQ(std::count(names.begin(), names.end(), "IDSOUND_KOMA12"), 0);
  EXPECT_EQ(std::count(names.begin(), names.end(), "IDSOUND_KOMA15"), 1);
  EXPECT_EQ(std::count(names.begin(), names.end(), "IDSOUND_BAN99"), 1);
}

TEST(ReadOutTest, NothingBeforeTheFirstMove) {
  auto gs = NewGame(1);
  EXPECT_TRUE(ReadMoveAloud(*gs).empty());
}

TEST(ReadOutTest, PersonFirst) {
  auto gs = NewGame(1);
  Play(*gs, {2, 6, 2, 5, 0, 0});  // 7g7f
  EXPECT_EQ(ReadMoveAloud(*gs), (Clips{"IDSOUND_SENTE", "IDSOUND_BAN76", "IDSOUND_KOMA01"}));
  Play(*gs, {6, 2, 6, 3, 0, 0});  // 3c3d
  EXPECT_EQ(ReadMoveAloud(*gs), (Clips{"IDSOUND_GOTE", "IDSOUND_BAN34", "IDSOUND_KOMA01"}));
}

TEST(ReadOutTest, ComputerFirstSquaresSeenFromSente) {
  auto gs = NewGame(2);
  Play(*gs, {6, 2, 6, 3, 0, 0});  // the computer's 7g7f
  EXPECT_EQ(ReadMoveAloud(*gs), (Clips{"IDSOUND_SENTE", "IDSOUND_BAN76", "IDSOUND_KOMA01"}));
  Play(*gs, {2, 6, 2, 5, 0, 0});  // the person's 3c3d
  EXPECT_EQ(ReadMoveAloud(*gs), (Clips{"IDSOUND_GOTE", "IDSOUND_BAN34", "IDSOUND_KOMA01"}));
  Play(*gs, {7, 1, 1, 7, 1, 0});  // 8h2b+
  EXPECT_EQ(ReadMoveAloud(*gs),
            (Clips{"IDSOUND_SENTE", "IDSOUND_BAN22", "IDSOUND_KOMA06", "IDSOUND_NARI"}));
}

TEST(ReadOutTest, PromotionRecaptureAndTheDropAfter) {
  auto gs = NewGame(1);
  Play(*gs, {2, 6, 2, 5, 0, 0});  // 7g7f
  Play(*gs, {6, 2, 6, 3, 0, 0});  // 3c3d
  Play(*gs, {1, 7, 7, 1, 1, 0});  // 8h2b+: read with the unpromoted bishop, then "promotes"
  EXPECT_EQ(ReadMoveAloud(*gs),
            (Clips{"IDSOUND_SENTE", "IDSOUND_BAN22", "IDSOUND_KOMA06", "IDSOUND_NARI"}));
  Play(*gs, {6, 0, 7, 1, 0, 0});  // 3a2b: the silver takes back on the same square
  EXPECT_EQ(ReadMoveAloud(*gs), (Clips{"IDSOUND_GOTE", "IDSOUND_ONAJI", "IDSOUND_KOMA04"}));
  Play(*gs, {0, 0, 4, 4, 0, kBishop});  // B*5e
  EXPECT_EQ(ReadMoveAloud(*gs), (Clips{"IDSOUND_SENTE", "IDSOUND_BAN55", "IDSOUND_KOMA06"}));
  Play(*gs, {0, 0, 4, 5, 0, kBishop});  // the computer's B*5f
  EXPECT_EQ(ReadMoveAloud(*gs), (Clips{"IDSOUND_GOTE", "IDSOUND_BAN56", "IDSOUND_KOMA06"}));
}

TEST(ReadOutTest, ALaterMoveOfThePromotedPiece) {
  auto gs = NewGame(1);
  Play(*gs, {2, 6, 2, 5, 0, 0});  // 7g7f
  Play(*gs, {6, 2, 6, 3, 0, 0});  // 3c3d
  Play(*gs, {1, 7, 7, 1, 1, 0});  // 8h2b+
  Play(*gs, {1, 1, 2, 1, 0, 0});  // 8b7b
  EXPECT_EQ(ReadMoveAloud(*gs), (Clips{"IDSOUND_GOTE", "IDSOUND_BAN72", "IDSOUND_KOMA07"}));
  Play(*gs, {7, 1, 6, 0, 0, 0});  // +2b3a: the horse takes the silver
  EXPECT_EQ(ReadMoveAloud(*gs), (Clips{"IDSOUND_SENTE", "IDSOUND_BAN31", "IDSOUND_KOMA13"}));
}

// States made by hand: the read-out only looks at the records and the two snapshots.
std::unique_ptr<GameState> TwoMovesToOneSquare(int m, bool drop) {
  auto gs = NewGame(1);
  gs->moveNumber = m;
  gs->moveRec[m - 1] = {2, 6, 4, 4, 0, 0};
  gs->moveRec[m] = drop ? MoveRec{0, 0, 4, 4, 0, kGold} : MoveRec{4, 2, 4, 4, 0, 0};
  gs->snapshot[m - 1].Set(4, 2, kComputerSide, kSilver);
  gs->snapshot[m].Set(4, 4, drop ? kPlayerSide : kComputerSide, drop ? kGold : kSilver);
  return gs;
}

TEST(ReadOutTest, SameSquareOnlyFromMoveThreeAndNeverForDrops) {
  EXPECT_EQ(ReadMoveAloud(*TwoMovesToOneSquare(2, false)),
            (Clips{"IDSOUND_GOTE", "IDSOUND_BAN55", "IDSOUND_KOMA04"}));
  EXPECT_EQ(ReadMoveAloud(*TwoMovesToOneSquare(3, false)),
            (Clips{"IDSOUND_SENTE", "IDSOUND_ONAJI", "IDSOUND_KOMA04"}));
  EXPECT_EQ(ReadMoveAloud(*TwoMovesToOneSquare(10, false)),
            (Clips{"IDSOUND_GOTE", "IDSOUND_ONAJI", "IDSOUND_KOMA04"}));
  EXPECT_EQ(ReadMoveAloud(*TwoMovesToOneSquare(5, true)),
            (Clips{"IDSOUND_SENTE", "IDSOUND_BAN55", "IDSOUND_KOMA05"}));
}

TEST(ReadOutTest, SettingsSwitchEffectsAndReadOutApart) {
  auto gs = NewGame(1);
  Play(*gs, {2, 6, 2, 5, 0, 0});
  const Clips readOut = {"IDSOUND_SENTE", "IDSOUND_BAN76", "IDSOUND_KOMA01"};
  struct Case {
    int soundOn, readAloud;
    Clips expected;
  };
  Clips both = {"IDSOUND_KOMA"};
  both.insert(both.end(), readOut.begin(), readOut.end());
  for (const Case& c :
       {Case{1, 1, both}, Case{1, 0, {"IDSOUND_KOMA"}}, Case{0, 1, readOut}, Case{0, 0, {}}}) {
    RecordingSink sink;
    AnnounceMove(sink, SoundSettings{c.soundOn, c.readAloud}, *gs);
    EXPECT_EQ(sink.clips, c.expected) << c.soundOn << c.readAloud;
  }
  RecordingSink sink;
  PlayEffect(sink, SoundSettings{0, 1}, kClipCheck);
  EXPECT_TRUE(sink.clips.empty());
  PlayEffect(sink, SoundSettings{1, 0}, kClipCheck);
  EXPECT_EQ(sink.clips, Clips{"IDSOUND_OUTE"});
  sink.clips.clear();
  ReadMoveAloud(sink, SoundSettings{1, 0}, *gs);
  EXPECT_TRUE(sink.clips.empty());
  ReadMoveAloud(sink, SoundSettings{0, 1}, *gs);
  EXPECT_EQ(sink.clips, readOut);
}

}  // namespace
}  // namespace shogi::sound
