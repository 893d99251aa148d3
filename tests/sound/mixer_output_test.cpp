// What the mixer actually sends to the device, captured by SDL's "disk" driver: the clips and
// the music through FluidSynth are heard, not only accepted.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "mixer_harness.h"
#include "shogi/sound/mixer_audio.h"

namespace shogi::sound {
namespace {

namespace fs = std::filesystem;
using testing_util::WindowLoop;

// RMS of S16 samples, relative to full scale.
double Rms(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes(std::istreambuf_iterator<char>(in), {});
  const std::size_t n = bytes.size() / 2;
  if (n == 0) return 0;
  double sum = 0;
  for (std::size_t i = 0; i < n; ++i) {
    int16_t s;
    std::memcpy(&s, bytes.data() + 2 * i, 2);
    sum += static_cast<double>(s) * s;
  }
  return std::sqrt(sum / n) / 32768.0;
}

class OutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/mixer_output.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
  }
  void TearDown() override { fs::remove_all(dir); }
  fs::path dir;
};

TEST_F(OutputTest, ClipsAreHeard) {
  const fs::path raw = dir / "clips.raw";
  setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
  {
    MixerAudio audio(MixerAudio::DirectoryLookup(SHOGI_SOUNDS_DIR));
    ASSERT_TRUE(audio.IsOpen());
    WindowLoop loop(audio);
    audio.PlayClip("IDSOUND_SENTE");
    ASSERT_TRUE(loop.RunUntil([&] { return audio.IsIdle(); }, 3.0));
  }
  EXPECT_GT(Rms(raw), 0.01);
}

TEST_F(OutputTest, MusicIsHeard) {
  const fs::path raw = dir / "music.raw";
  setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
  {
    MixerAudio audio(MixerAudio::DirectoryLookup(SHOGI_SOUNDS_DIR));
    ASSERT_TRUE(audio.IsOpen());
    WindowLoop loop(audio);
    ASSERT_TRUE(audio.OpenMusic(std::string(SHOGI_MUSIC_DIR) + "/BGM03.mid"));
    loop.RunFor(2.0);
    audio.CloseMusic();
  }
  EXPECT_GT(Rms(raw), 0.01);
}

TEST_F(OutputTest, SilenceIsSilent) {
  // The measure itself: a device that plays nothing writes zeros.
  const fs::path raw = dir / "quiet.raw";
  setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
  {
    MixerAudio audio(MixerAudio::DirectoryLookup(SHOGI_SOUNDS_DIR));
    ASSERT_TRUE(audio.IsOpen());
    WindowLoop loop(audio);
    loop.RunFor(0.3);
  }
  ASSERT_TRUE(fs::exists(raw));
  EXPECT_LT(Rms(raw), 0.0001);
}

}  // namespace
}  // namespace shogi::sound
