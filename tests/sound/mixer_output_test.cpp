// What the mixer actually sends to the device, captured by SDL's "disk" driver: the clips and
// the music through FluidSynth are heard, not only accepted.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "mixer_harness.h"
#include "shogi/sound/mixer_audio.h"

namespace shogi::sound {
namespace {

namespace fs = std::filesystem;
using testing_util::WindowLoop;

// Plays through a mixer writing to a file; returns the RMS of the S16 samples written,
// relative to full scale.
double PlayAndMeasure(const std::function<void(MixerAudio&, WindowLoop&)>& play) {
  char pattern[] = "/tmp/mixer_output.XXXXXX";
  EXPECT_NE(mkdtemp(pattern), nullptr);
  const fs::path raw = fs::path(pattern) / "out.raw";
  setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
  {
    MixerAudio audio(MixerAudio::DirectoryLookup(SHOGI_SOUNDS_DIR));
    EXPECT_TRUE(audio.IsOpen());
    WindowLoop loop(audio);
    play(audio, loop);
  }
  std::ifstream in(raw, std::ios::binary);
  const std::vector<char> bytes(std::istreambuf_iterator<char>(in), {});
  fs::remove_all(pattern);
  const std::size_t n = bytes.size() / 2;
  EXPECT_GT(n, 0u);
  double sum = 0;
  for (std::size_t i = 0; i < n; ++i) {
    int16_t s;
    std::memcpy(&s, bytes.data() + 2 * i, 2);
    sum += static_cast<double>(s) * s;
  }
  return n == 0 ? 0 : std::sqrt(sum / n) / 32768.0;
}

TEST(OutputTest, ClipsAndMusicAreHeardAndSilenceIsSilent) {
  EXPECT_GT(PlayAndMeasure([](MixerAudio& audio, WindowLoop& loop) {
              audio.PlayClip("IDSOUND_SENTE");
              EXPECT_TRUE(loop.RunUntil([&] { return audio.IsIdle(); }, 3.0));
            }),
            0.01);
  EXPECT_GT(PlayAndMeasure([](MixerAudio& audio, WindowLoop& loop) {
              EXPECT_TRUE(audio.OpenMusic(std::string(SHOGI_MUSIC_DIR) + "/BGM03.mid"));
              loop.RunFor(2.0);
              audio.CloseMusic();
            }),
            0.01);
  // The measure itself: a device that plays nothing writes zeros.
  EXPECT_LT(PlayAndMeasure([](MixerAudio&, WindowLoop& loop) { loop.RunFor(0.3); }), 0.0001);
}

}  // namespace
}  // namespace shogi::sound
