// The SDL2_mixer output: on the dummy driver, which plays in real time, clips in sequence, the
// game's clips and MIDI files and the timing of the music's end notifications; on the disk
// driver what is heard; with no usable driver, silence without a word.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "shogi/sound/mixer_audio.h"
#include "shogi/sound/read_out.h"
#include "smf_maker.h"

namespace shogi::sound {
namespace {

namespace fs = std::filesystem;
using testing_util::MakeSmf;
using testing_util::WriteSmf;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}
std::string MusicFile(int n) {
  return std::string(SHOGI_MUSIC_DIR) + "/BGM0" + std::to_string(n) + ".mid";
}

// A stand-in for the window thread: it calls Pump when the mixer's wake function was called,
// as the game's window does on a posted event.
class WindowLoop {
 public:
  explicit WindowLoop(MixerAudio& audio) : audio_(audio) {
    audio_.SetWakeFunction([this] { woken_ = true; });
  }
  ~WindowLoop() { audio_.SetWakeFunction(nullptr); }

  // Pumps on every wake until `done` holds or `seconds` have passed; returns `done()`.
  bool RunUntil(const std::function<bool()>& done, double seconds) {
    const auto start = Clock::now();
    for (audio_.Pump(); !done() && SecondsSince(start) < seconds;) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      if (woken_.exchange(false)) audio_.Pump();
    }
    return done();
  }
  void RunFor(double seconds) {
    RunUntil([] { return false; }, seconds);
  }

 private:
  MixerAudio& audio_;
  std::atomic<bool> woken_ = false;
};

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

// Every clip of the game loads; queued clips play one after another without blocking the
// caller, each in full and without a gap; an unknown clip plays nothing and a second mixer
// stays silent.
TEST_F(MixerTest, ClipsPlayOneAfterAnother) {
  for (const std::string& name : AllClipNames()) {
    EXPECT_TRUE(audio.LoadClip(name) && audio.ClipSeconds(name) > 0.02) << name;
  }
  EXPECT_FALSE(audio.LoadClip("IDSOUND_KOMA12"));
  MixerAudio second(MixerAudio::DirectoryLookup(SHOGI_SOUNDS_DIR));
  EXPECT_FALSE(second.IsOpen());
  EXPECT_FALSE(second.OpenMusic(MusicFile(1)));
  second.PlayClip("IDSOUND_KOMA");
  EXPECT_TRUE(second.IsIdle());

  const std::vector<std::string> clips = {"IDSOUND_KOMA", "IDSOUND_GOTE", "IDSOUND_KOMA"};
  std::vector<std::string> started;
  std::vector<double> startTimes;
  int idle = 0;
  audio.SetClipStartedCallback([&](const std::string& name) {
    started.push_back(name);
    startTimes.push_back(SecondsSince(start));
  });
  audio.SetIdleCallback([&] { ++idle; });
  audio.PlayClip("IDSOUND_NONE");
  EXPECT_TRUE(audio.IsIdle());
  loop.RunFor(0.1);
  EXPECT_EQ(idle, 0);

  double total = 0;
  for (const auto& c : clips) total += audio.ClipSeconds(c);
  start = Clock::now();
  for (const auto& c : clips) audio.PlayClip(c);
  EXPECT_LT(SecondsSince(start), 0.1) << "queuing must not wait for the clips";
  EXPECT_FALSE(audio.IsIdle());
  ASSERT_TRUE(loop.RunUntil([&] { return idle > 0; }, total + 3));
  EXPECT_GE(SecondsSince(start), total - 0.05);
  ASSERT_EQ(started, clips);
  for (int i = 0; i < 2; ++i) {
    const double gap = startTimes[i + 1] - startTimes[i], length = audio.ClipSeconds(clips[i]);
    EXPECT_GE(gap, length - 0.03) << "clip " << i << " was cut";
    EXPECT_LT(gap, length + 0.25) << "clip " << i + 1 << " started late";
  }
  EXPECT_TRUE(audio.IsIdle());
  EXPECT_EQ(idle, 1);
}

// Each of the game's pieces plays; closing it, or a halt mid-piece, ends it once (not again at
// its length), and an end overtaken by a new piece is dropped.
TEST_F(MixerTest, ClosingEndsAPieceOnce) {
  for (std::size_t n = 0; n <= 4; ++n) {
    ASSERT_TRUE(audio.OpenMusic(MusicFile(static_cast<int>(n))));
    EXPECT_TRUE(audio.MusicPlaying());
    loop.RunFor(0.1);
    EXPECT_EQ(endTimes.size(), n);
    audio.CloseMusic();
    EXPECT_FALSE(audio.MusicPlaying());
    EXPECT_TRUE(loop.RunUntil([&] { return endTimes.size() == n + 1; }, 1.0));
    audio.CloseMusic();  // nothing plays: no second notification
  }
  WriteSmf((dir / "piece.mid").string(), MakeSmf(2, 120));  // 1.0 s
  ASSERT_TRUE(audio.OpenMusic((dir / "piece.mid").string()));
  loop.RunFor(0.3);
  audio.CloseMusic();
  loop.RunFor(1.2);  // past the piece's length
  EXPECT_EQ(endTimes.size(), 6u);

  ASSERT_TRUE(audio.OpenMusic(MusicFile(1)));
  audio.CloseMusic();
  ASSERT_TRUE(audio.OpenMusic(MusicFile(2)));
  loop.RunFor(0.3);
  EXPECT_EQ(endTimes.size(), 6u);
  audio.CloseMusic();
  EXPECT_TRUE(loop.RunUntil([&] { return endTimes.size() == 7; }, 0.5));
}

TEST_F(MixerTest, APieceEndsOnTimeAndRestartsWithoutAGap) {
  const std::string piece = (dir / "piece.mid").string();
  WriteSmf(piece, MakeSmf(2, 120));  // 1.0 s
  std::vector<double> openTimes;
  onEnd = [&] {
    if (endTimes.size() >= 2) return;
    audio.CloseMusic();
    ASSERT_TRUE(audio.OpenMusic(piece));
    openTimes.push_back(SecondsSince(start));
  };
  start = Clock::now();
  ASSERT_TRUE(audio.OpenMusic(piece));
  const double firstOpen = SecondsSince(start);
  ASSERT_TRUE(loop.RunUntil([&] { return endTimes.size() >= 2; }, 6.0));
  // The mixer's own end hook would come about 3 s late; the end follows the file's length.
  EXPECT_NEAR(endTimes[0] - firstOpen, 1.0, 0.2);
  ASSERT_EQ(openTimes.size(), 1u);
  EXPECT_LT(openTimes[0] - endTimes[0], 0.5) << "gap before the repeat";
  EXPECT_NEAR(endTimes[1] - openTimes[0], 1.0, 0.2);
  // The late hook of the ended piece must not count as another end.
  loop.RunFor(4.0);
  audio.CloseMusic();
  loop.RunFor(0.2);
  EXPECT_EQ(endTimes.size(), 2u);
}

// A piece reopened at its end that has become unreadable (broken, then missing): the
// reopenings fail without a word, nothing plays and no further end is reported (not even the
// mixer's late hook of the old piece); the next piece that opens plays and ends as usual.
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

// Plays through a mixer on SDL's disk driver; returns the RMS of the S16 samples it wrote,
// relative to full scale.
double PlayAndMeasure(const std::function<void(MixerAudio&, WindowLoop&)>& play) {
  const fs::path raw = fs::temp_directory_path() / ("mixer_out." + std::to_string(getpid()));
  setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
  setenv("SDL_AUDIODRIVER", "disk", 1);
  {
    MixerAudio audio(MixerAudio::DirectoryLookup(SHOGI_SOUNDS_DIR));
    EXPECT_TRUE(audio.IsOpen());
    WindowLoop loop(audio);
    play(audio, loop);
  }
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  std::ifstream in(raw, std::ios::binary);
  const std::vector<char> bytes(std::istreambuf_iterator<char>(in), {});
  fs::remove(raw);
  double sum = 0;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    int16_t s;
    std::memcpy(&s, bytes.data() + i, 2);
    sum += static_cast<double>(s) * s;
  }
  EXPECT_GT(bytes.size(), 0u);
  return bytes.empty() ? 0 : std::sqrt(sum / (bytes.size() / 2)) / 32768.0;
}

TEST(MixerOutputTest, ClipsAndMusicAreHeardAndSilenceIsSilent) {
  EXPECT_GT(PlayAndMeasure([](MixerAudio& audio, WindowLoop& loop) {
              audio.PlayClip("IDSOUND_SENTE");
              EXPECT_TRUE(loop.RunUntil([&] { return audio.IsIdle(); }, 3.0));
            }),
            0.01);
  EXPECT_GT(PlayAndMeasure([](MixerAudio& audio, WindowLoop& loop) {
              EXPECT_TRUE(audio.OpenMusic(MusicFile(3)));
              loop.RunFor(2.0);
            }),
            0.01);
  // The measure itself: a device that plays nothing writes zeros.
  EXPECT_LT(PlayAndMeasure([](MixerAudio&, WindowLoop& loop) { loop.RunFor(0.3); }), 0.0001);
}

// Without a usable device the game runs silent, the read-out is "over" at once so play goes
// on, and the libraries say nothing either.
TEST(MixerOutputTest, NoDeviceMeansSilenceWithoutAWord) {
  setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  int calls = 0;
  {
    MixerAudio audio(MixerAudio::DirectoryLookup(SHOGI_SOUNDS_DIR));
    EXPECT_FALSE(audio.IsOpen());
    audio.SetPieceEndedCallback([&] { ++calls; });
    audio.SetIdleCallback([&] { ++calls; });
    audio.SetWakeFunction([] {});
    audio.PlayClip("IDSOUND_SENTE");
    EXPECT_TRUE(audio.IsIdle());
    EXPECT_FALSE(audio.LoadClip("IDSOUND_SENTE"));
    EXPECT_FALSE(audio.OpenMusic(MusicFile(0)));
    audio.CloseMusic();
    audio.Pump();
  }
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

}  // namespace
}  // namespace shogi::sound
