// The SDL2_mixer output on the dummy driver, which plays in real time: clips in sequence,
// the game's clips and MIDI files, and the timing of the music's end notifications.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "mixer_harness.h"
#include "shogi/sound/mixer_audio.h"
#include "shogi/sound/read_out.h"
#include "smf_maker.h"

namespace shogi::sound {
namespace {

namespace fs = std::filesystem;
using testing_util::Clock;
using testing_util::MakeSmf;
using testing_util::SecondsSince;
using testing_util::WindowLoop;
using testing_util::WriteSmf;

std::string MusicFile(int n) {
  return std::string(SHOGI_MUSIC_DIR) + "/BGM0" + std::to_string(n) + ".mid";
}

class MixerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(audio.IsOpen()) << "SDL_AUDIODRIVER=dummy should open";
    char pattern[] = "/tmp/mixer_test.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    audio.SetPieceEndedCallback([this] {
      endTimes.push_back(SecondsSince(start));
      if (onEnd) onEnd();
    });
  }
  void TearDown() override { fs::remove_all(dir); }

  MixerAudio audio{MixerAudio::DirectoryLookup(SHOGI_SOUNDS_DIR)};
  WindowLoop loop{audio};
  fs::path dir;
  Clock::time_point start = Clock::now();
  std::vector<double> endTimes;
  std::function<void()> onEnd;
};

TEST_F(MixerTest, EveryClipOfTheGameLoadsAndAnUnknownOnePlaysNothing) {
  for (const std::string& name : AllClipNames()) {
    EXPECT_TRUE(audio.LoadClip(name)) << name;
    EXPECT_GT(audio.ClipSeconds(name), 0.02) << name;
    EXPECT_LT(audio.ClipSeconds(name), 3.5) << name;
  }
  EXPECT_FALSE(audio.LoadClip("IDSOUND_KOMA12"));
  int idle = 0;
  audio.SetIdleCallback([&] { ++idle; });
  audio.PlayClip("IDSOUND_NONE");
  EXPECT_TRUE(audio.IsIdle());
  loop.RunFor(0.1);
  EXPECT_EQ(idle, 0);
}

TEST_F(MixerTest, ClipsPlayOneAfterAnotherWithoutBlocking) {
  const std::vector<std::string> clips = {"IDSOUND_KOMA", "IDSOUND_GOTE", "IDSOUND_KOMA"};
  std::vector<std::string> started;
  std::vector<double> startTimes;
  int idle = 0;
  audio.SetClipStartedCallback([&](const std::string& name) {
    started.push_back(name);
    startTimes.push_back(SecondsSince(start));
  });
  audio.SetIdleCallback([&] { ++idle; });
  double total = 0;
  for (const auto& c : clips) total += audio.ClipSeconds(c);

  start = Clock::now();
  for (const auto& c : clips) audio.PlayClip(c);
  EXPECT_LT(SecondsSince(start), 0.1) << "queuing must not wait for the clips";
  EXPECT_FALSE(audio.IsIdle());
  ASSERT_TRUE(loop.RunUntil([&] { return idle > 0; }, total + 3));
  const double finished = SecondsSince(start);

  EXPECT_EQ(started, clips);
  ASSERT_EQ(startTimes.size(), 3u);
  for (int i = 0; i < 2; ++i) {
    const double gap = startTimes[i + 1] - startTimes[i];
    const double length = audio.ClipSeconds(clips[i]);
    EXPECT_GE(gap, length - 0.03) << "clip " << i << " was cut";
    EXPECT_LT(gap, length + 0.25) << "clip " << i + 1 << " started late";
  }
  EXPECT_GE(finished, total - 0.05);
  EXPECT_LT(finished, total + 0.75);
  EXPECT_TRUE(audio.IsIdle());
  EXPECT_EQ(idle, 1);
  EXPECT_GT(loop.Wakes(), 0);
}

TEST_F(MixerTest, ASecondInstanceIsSilent) {
  MixerAudio second(MixerAudio::DirectoryLookup(SHOGI_SOUNDS_DIR));
  EXPECT_FALSE(second.IsOpen());
  second.PlayClip("IDSOUND_KOMA");
  EXPECT_TRUE(second.IsIdle());
  EXPECT_FALSE(second.OpenMusic(MusicFile(1)));
  EXPECT_TRUE(audio.IsOpen());
}

TEST_F(MixerTest, TheFiveMidiFilesLoadAndClosingEndsThemOnce) {
  for (int n = 0; n <= 4; ++n) {
    SCOPED_TRACE(n);
    endTimes.clear();
    ASSERT_TRUE(audio.OpenMusic(MusicFile(n)));
    EXPECT_TRUE(audio.MusicPlaying());
    loop.RunFor(0.1);
    EXPECT_TRUE(endTimes.empty());
    audio.CloseMusic();
    EXPECT_FALSE(audio.MusicPlaying());
    EXPECT_TRUE(loop.RunUntil([&] { return !endTimes.empty(); }, 1.0));
    audio.CloseMusic();  // nothing plays: no second notification
    loop.RunFor(0.2);
    EXPECT_EQ(endTimes.size(), 1u);
  }
}

TEST_F(MixerTest, APieceEndsOnTimeAndRestartsWithoutAGap) {
  const std::string piece = (dir / "piece.mid").string();
  WriteSmf(piece, MakeSmf(2, 120));  // 1.0 s
  std::vector<double> openTimes;
  onEnd = [&] {
    if (endTimes.size() < 2) {
      audio.CloseMusic();
      ASSERT_TRUE(audio.OpenMusic(piece));
      openTimes.push_back(SecondsSince(start));
    }
  };
  start = Clock::now();
  ASSERT_TRUE(audio.OpenMusic(piece));
  const double firstOpen = SecondsSince(start);
  ASSERT_TRUE(loop.RunUntil([&] { return endTimes.size() >= 2; }, 6.0));
  // The mixer's own end hook would come about 3 s late; the end follows the file's length.
  EXPECT_NEAR(endTimes[0] - firstOpen, 1.0, 0.2);
  ASSERT_EQ(openTimes.size(), 1u);
  EXPECT_LT(openTimes[0] - endTimes[0], 0.5) << "gap before the repeat";
  RecordProperty("repeat_gap_ms", static_cast<int>((openTimes[0] - endTimes[0]) * 1000));
  EXPECT_NEAR(endTimes[1] - openTimes[0], 1.0, 0.2);
  // The late hook of the ended piece must not count as another end.
  loop.RunFor(4.0);
  EXPECT_EQ(endTimes.size(), 2u);
  audio.CloseMusic();
  loop.RunFor(0.2);
  EXPECT_EQ(endTimes.size(), 2u);
}

TEST_F(MixerTest, AHaltIsNotMistakenForALaterEnd) {
  const std::string piece = (dir / "piece.mid").string();
  WriteSmf(piece, MakeSmf(2, 120));
  ASSERT_TRUE(audio.OpenMusic(piece));
  loop.RunFor(0.3);
  audio.CloseMusic();
  ASSERT_TRUE(loop.RunUntil([&] { return !endTimes.empty(); }, 0.5));
  loop.RunFor(1.2);  // past the piece's length
  EXPECT_EQ(endTimes.size(), 1u);
}

TEST_F(MixerTest, AnEndOverTakenByANewPieceIsDropped) {
  ASSERT_TRUE(audio.OpenMusic(MusicFile(1)));
  audio.CloseMusic();
  ASSERT_TRUE(audio.OpenMusic(MusicFile(2)));
  loop.RunFor(0.3);
  EXPECT_TRUE(endTimes.empty());
  audio.CloseMusic();
  EXPECT_TRUE(loop.RunUntil([&] { return endTimes.size() == 1; }, 0.5));
}

// A piece reopened at its end that has become unreadable (broken, then missing): the
// reopenings fail without a word, nothing plays and no further end is reported (not even
// the mixer's late hook of the old piece); the next piece that opens plays and ends as usual.
TEST_F(MixerTest, AFailedReopeningEndsTheMusicQuietly) {
  const fs::path piece = dir / "piece.mid";
  WriteSmf(piece.string(), MakeSmf(1, 120));  // 0.5 s
  int failed = 0;
  onEnd = [&] {
    WriteSmf(piece.string(), {'M', 'T', 'h', 'd', 0, 0});
    failed += !audio.OpenMusic(piece.string());
    fs::remove(piece);
    failed += !audio.OpenMusic(piece.string());
  };
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  ASSERT_TRUE(audio.OpenMusic(piece.string()));
  loop.RunUntil([&] { return failed != 0; }, 2.0);
  loop.RunFor(4.0);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(failed, 2);
  EXPECT_FALSE(audio.MusicPlaying());
  EXPECT_EQ(endTimes.size(), 1u);
  onEnd = nullptr;
  WriteSmf(piece.string(), MakeSmf(2, 120));  // 1.0 s
  start = Clock::now();
  ASSERT_TRUE(audio.OpenMusic(piece.string()));
  const double opened = SecondsSince(start);
  ASSERT_TRUE(loop.RunUntil([&] { return endTimes.size() == 2; }, 2.5));
  EXPECT_NEAR(endTimes[1] - opened, 1.0, 0.2);
  loop.RunFor(0.5);
  EXPECT_EQ(endTimes.size(), 2u);
}

}  // namespace
}  // namespace shogi::sound
