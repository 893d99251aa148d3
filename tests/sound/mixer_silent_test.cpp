// Without a usable audio device the game runs silent and says nothing.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>

#include "shogi/sound/mixer_audio.h"

namespace shogi::sound {
namespace {

TEST(SilentMixerTest, NoDeviceMeansSilenceWithoutAWord) {
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  {
    MixerAudio audio(MixerAudio::DirectoryLookup(SHOGI_SOUNDS_DIR));
    EXPECT_FALSE(audio.IsOpen());
    int ended = 0, idle = 0;
    audio.SetPieceEndedCallback([&] { ++ended; });
    audio.SetIdleCallback([&] { ++idle; });
    audio.SetWakeFunction([] {});
    audio.PlayClip("IDSOUND_SENTE");
    EXPECT_TRUE(audio.IsIdle());  // the read-out is "over" at once, so play goes on
    EXPECT_FALSE(audio.LoadClip("IDSOUND_SENTE"));
    EXPECT_FALSE(audio.OpenMusic(std::string(SHOGI_MUSIC_DIR) + "/BGM00.mid"));
    audio.CloseMusic();
    audio.Pump();
    EXPECT_EQ(ended, 0);
    EXPECT_EQ(idle, 0);
  }
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

// With no driver named, SDL tries the machine's own devices; on a machine without a sound
// card that fails, and the libraries underneath must not print their complaints either.
TEST(SilentMixerTest, NoSoundCardSaysNothing) {
  unsetenv("SDL_AUDIODRIVER");
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  bool open = false;
  {
    MixerAudio audio(MixerAudio::DirectoryLookup(SHOGI_SOUNDS_DIR));
    open = audio.IsOpen();
    audio.PlayClip("IDSOUND_KOMA");
    if (!open) {
      EXPECT_TRUE(audio.IsIdle());
    }
  }
  const std::string out = ::testing::internal::GetCapturedStdout();
  const std::string err = ::testing::internal::GetCapturedStderr();
  if (open) GTEST_SKIP() << "this machine has a sound device";
  EXPECT_EQ(out, "");
  EXPECT_EQ(err, "");
}

}  // namespace
}  // namespace shogi::sound
