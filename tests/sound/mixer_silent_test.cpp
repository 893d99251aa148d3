// Without a usable audio device the game runs silent, and the libraries say nothing either.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "shogi/sound/mixer_audio.h"

namespace shogi::sound {
namespace {

// Runs with no such driver, then (if this machine has no sound card) with SDL's own choice.
TEST(SilentMixerTest, NoDeviceMeansSilenceWithoutAWord) {
  for (bool ownChoice : {false, true}) {
    if (ownChoice) unsetenv("SDL_AUDIODRIVER");
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    bool open = false;
    int ended = 0, idle = 0;
    {
      MixerAudio audio(MixerAudio::DirectoryLookup(SHOGI_SOUNDS_DIR));
      open = audio.IsOpen();
      audio.SetPieceEndedCallback([&] { ++ended; });
      audio.SetIdleCallback([&] { ++idle; });
      audio.SetWakeFunction([] {});
      audio.PlayClip("IDSOUND_SENTE");
      if (!open) {
        EXPECT_TRUE(audio.IsIdle());  // the read-out is "over" at once, so play goes on
        EXPECT_FALSE(audio.LoadClip("IDSOUND_SENTE"));
        EXPECT_FALSE(audio.OpenMusic(std::string(SHOGI_MUSIC_DIR) + "/BGM00.mid"));
      }
      audio.CloseMusic();
      audio.Pump();
    }
    const std::string out = ::testing::internal::GetCapturedStdout();
    const std::string err = ::testing::internal::GetCapturedStderr();
    if (open) {
      EXPECT_TRUE(ownChoice) << "no_such_driver opened a device";
      GTEST_SKIP() << "this machine has a sound device";
    }
    EXPECT_EQ(ended + idle, 0);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "");
  }
}

}  // namespace
}  // namespace shogi::sound
