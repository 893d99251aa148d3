// Lengths of MIDI files, which decide when a piece of music has ended.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "shogi/sound/smf.h"
#include "smf_maker.h"

namespace shogi::sound {
namespace {

using testing_util::MakeSmf;

std::vector<uint8_t> ReadMusic(const std::string& name) {
  std::ifstream in(std::string(SHOGI_MUSIC_DIR) + "/" + name, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TEST(SmfLengthTest, TheGamesPieces) {
  const auto opening = SmfLengthSeconds(ReadMusic("BGM00.mid"));
  ASSERT_TRUE(opening.has_value());
  EXPECT_NEAR(*opening, 30.0, 0.001);
  for (int t = 1; t <= 4; ++t) {
    const auto length = SmfLengthSeconds(ReadMusic("BGM0" + std::to_string(t) + ".mid"));
    ASSERT_TRUE(length.has_value()) << t;
    EXPECT_NEAR(*length, 60.0, 0.001) << t;
  }
}

TEST(SmfLengthTest, TempoAndRunningStatus) {
  EXPECT_NEAR(SmfLengthSeconds(MakeSmf(4, 120)).value(), 2.0, 1e-9);
  EXPECT_NEAR(SmfLengthSeconds(MakeSmf(3, 60)).value(), 3.0, 1e-9);
  EXPECT_NEAR(SmfLengthSeconds(MakeSmf(2, 240)).value(), 0.5, 1e-9);
}

TEST(SmfLengthTest, DefaultTempoAndATempoChange) {
  // Without a tempo event a quarter note lasts 0.5 s.
  std::vector<uint8_t> smf = {'M',  'T', 'h', 'd', 0,   0, 0, 6, 0, 0,    0,    1,    0x01,
                              0xe0, 'M', 'T', 'r', 'k', 0, 0, 0, 4, 0x83, 0x60, 0xff, 0x2f};
  smf.push_back(0x00);
  smf[21] = 5;
  EXPECT_NEAR(SmfLengthSeconds(smf).value(), 0.5, 1e-9);
  // Two quarters at 120 bpm, then a change to 60 bpm and two more: 1 s + 2 s.
  std::vector<uint8_t> track = {0x00, 0xff, 0x51, 0x03, 0x07, 0xa1, 0x20,        // 120 bpm
                                0x87, 0x40, 0xff, 0x51, 0x03, 0x0f, 0x42, 0x40,  // 960: 60
                                0x87, 0x40, 0xff, 0x2f, 0x00};
  std::vector<uint8_t> two = {
      'M', 'T',  'h',  'd', 0,   0,   0,   6, 0, 0, 0,
      1,   0x01, 0xe0, 'M', 'T', 'r', 'k', 0, 0, 0, static_cast<uint8_t>(track.size())};
  two.insert(two.end(), track.begin(), track.end());
  EXPECT_NEAR(SmfLengthSeconds(two).value(), 3.0, 1e-9);
}

TEST(SmfLengthTest, MalformedFiles) {
  EXPECT_FALSE(SmfLengthSeconds({}).has_value());
  std::vector<uint8_t> smf = MakeSmf(4, 120);
  smf[0] = 'X';
  EXPECT_FALSE(SmfLengthSeconds(smf).has_value());
  smf = MakeSmf(4, 120);
  smf.erase(smf.end() - 5, smf.end());  // the track chunk is shorter than it says
  EXPECT_FALSE(SmfLengthSeconds(smf).has_value());
  const std::string wave = "RIFF\x24\x00\x00\x00WAVEfmt ";
  EXPECT_FALSE(SmfLengthSeconds(std::vector<uint8_t>(wave.begin(), wave.end())).has_value());
}

}  // namespace
}  // namespace shogi::sound
