// The read-out of moves and the lengths of MIDI files (which decide when a piece has ended).
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "shogi/rules/notation.h"
#include "shogi/sound/read_out.h"
#include "shogi/sound/smf.h"
#include "smf_maker.h"
#include "tests/rules/test_util.h"

namespace shogi::sound {
namespace {

using Clips = std::vector<std::string>;

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

// Games move by move: sente or gote, the square (or "the same square" when taking back), the
// piece as it stood before the move, "promotes". With the computer first, squares are still
// named from sente's side.
TEST(ReadOutTest, GamesMoveByMove) {
  const std::tuple<int, const char*, const char*> kGames[] = {
      {1, "7g7f 3c3d 8h2b+ 3a2b B*5e B*5f", "S 76 01,G 34 01,S 22 06 +,G = 04,S 55 06,G 56 06"},
      {1, "7g7f 3c3d 8h2b+ 8b7b 2b3a", "S 76 01,G 34 01,S 22 06 +,G 72 07,S 31 13"},
      {2, "7g7f 3c3d 8h2b+", "S 76 01,G 34 01,S 22 06 +"},
  };
  for (const auto& [firstMover, moves, readOuts] : kGames) {
    auto gs = shogi::testing_util::NewGame();
    gs->firstMover = firstMover;
    EXPECT_TRUE(ReadMoveAloud(*gs).empty());  // nothing before the first move
    std::istringstream usi(moves), expected(readOuts);
    for (std::string m, readOut; usi >> m && std::getline(expected, readOut, ',');) {
      shogi::testing_util::Play(*gs, ParseUsiMove(m, firstMover).value());
      EXPECT_EQ(ReadMoveAloud(*gs), Expand(readOut)) << m;
    }
  }
  // "The same square" from move 3 on, never for drops. States made by hand: the read-out only
  // looks at the two records and the two snapshots.
  for (auto [m, drop, readOut] :
       {std::tuple{2, false, "G 55 04"}, std::tuple{3, false, "S = 04"},
        std::tuple{10, false, "G = 04"}, std::tuple{5, true, "S 55 05"}}) {
    auto gs = shogi::testing_util::NewGame();
    gs->moveNumber = m;
    gs->moveRec[m - 1] = {2, 6, 4, 4, 0, 0};
    gs->moveRec[m] = drop ? MoveRec{0, 0, 4, 4, 0, kGold} : MoveRec{4, 2, 4, 4, 0, 0};
    gs->snapshot[m - 1].Set(4, 2, kComputerSide, kSilver);
    gs->snapshot[m].Set(4, 4, drop ? kPlayerSide : kComputerSide, drop ? kGold : kSilver);
    EXPECT_EQ(ReadMoveAloud(*gs), Expand(readOut)) << m;
  }
}

using testing_util::MakeSmf;
using testing_util::SmfOf;

TEST(SmfLengthTest, LengthsFollowTheTempo) {
  for (int n = 0; n <= 4; ++n) {  // the game's pieces: the opening, then four of a minute
    std::ifstream in(std::string(SHOGI_MUSIC_DIR) + "/BGM0" + std::to_string(n) + ".mid");
    const std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
    EXPECT_NEAR(SmfLengthSeconds(bytes).value(), n == 0 ? 30 : 60, 1e-3) << n;
  }
  EXPECT_NEAR(SmfLengthSeconds(MakeSmf(4, 120)).value(), 2.0, 1e-9);
  EXPECT_NEAR(SmfLengthSeconds(MakeSmf(3, 60)).value(), 3.0, 1e-9);
  EXPECT_NEAR(SmfLengthSeconds(MakeSmf(2, 240)).value(), 0.5, 1e-9);
  // Without a tempo event a quarter note lasts 0.5 s.
  EXPECT_NEAR(SmfLengthSeconds(SmfOf({0x83, 0x60, 0xff, 0x2f, 0x00})).value(), 0.5, 1e-9);
  // Two quarters at 120 bpm, then a change to 60 bpm and two more: 1 s + 2 s.
  EXPECT_NEAR(SmfLengthSeconds(SmfOf({0x00, 0xff, 0x51, 0x03, 0x07, 0xa1, 0x20, 0x87, 0x40, 0xff,
                                      0x51, 0x03, 0x0f, 0x42, 0x40, 0x87, 0x40, 0xff, 0x2f, 0x00}))
                  .value(),
              3.0, 1e-9);
}

TEST(SmfLengthTest, MalformedFilesHaveNoLength) {
  std::vector<uint8_t> badMagic = MakeSmf(4, 120), cut = MakeSmf(4, 120);
  badMagic[0] = 'X';
  cut.erase(cut.end() - 5, cut.end());  // the track chunk is shorter than it says
  const std::string wave = "RIFF\x24\x00\x00\x00WAVEfmt ";
  for (const auto& bytes :
       {std::vector<uint8_t>{}, badMagic, cut, std::vector<uint8_t>(wave.begin(), wave.end())})
    EXPECT_FALSE(SmfLengthSeconds(bytes).has_value());
}

}  // namespace
}  // namespace shogi::sound
