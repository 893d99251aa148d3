// The movie: decoding the opening movie, the choice of the picture to show, and playback.
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <string>
#include <vector>

#include "el_draw.h"
#include "el_stream.h"
#include "el_system.h"
#include "movie_clock.h"
#include "movie_source.h"
#include "test_util.h"

namespace {

using el::AudioChunk;
using el::MovieError;
using el::MovieSource;
using el::VideoFrame;
using launcher_test::TempDir;
using launcher_test::WriteFile;

constexpr int kWidth = 480;
constexpr int kHeight = 316;

// A mono 16-bit WAVE file of silence: sound, but no pictures.
std::string WaveFile(int samples) {
  auto le = [](uint32_t v, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xff);
    return out;
  };
  const uint32_t data = static_cast<uint32_t>(samples) * 2;
  return "RIFF" + le(36 + data, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) +
         le(22050, 4) + le(44100, 4) + le(2, 2) + le(16, 2) + "data" + le(data, 4) +
         std::string(data, '\0');
}

struct Stamp {
  double pts;
};

TEST(launcherMovieSync, LastDuePictureIsShownAndLateOnesAreDropped) {
  const std::deque<Stamp> frames{{0.0}, {0.1}, {0.2}, {0.3}};
  EXPECT_EQ(el::CountDueFrames(frames, -0.05), 0u);  // sound still filling the device
  EXPECT_EQ(el::CountDueFrames(frames, 0.0), 1u);
  EXPECT_EQ(el::CountDueFrames(frames, 0.25), 3u);   // 0.0 and 0.1 are late, 0.2 is shown
  EXPECT_EQ(el::CountDueFrames(frames, 9.0), 4u);
  EXPECT_EQ(el::CountDueFrames(std::deque<Stamp>{}, 1.0), 0u);
}

TEST(launcherMovieSync, ClockFollowsTheSoundAndRunsOnWithoutIt) {
  el::MovieClock clock;
  clock.Run(100.0);
  EXPECT_DOUBLE_EQ(clock.Get(100.5), 0.5);
  clock.Set(0.3, 100.5);  // the sound is behind: the clock follows it
  EXPECT_DOUBLE_EQ(clock.Get(101.0), 0.8);
  clock.Pause(101.0);
  EXPECT_DOUBLE_EQ(clock.Get(200.0), 0.8);
  clock.Run(200.0);
  EXPECT_DOUBLE_EQ(clock.Get(200.25), 1.05);
}

TEST(launcherMovieSync, DamagedTimeStampsAreReplacedByTheExpectedOnes) {
  EXPECT_DOUBLE_EQ(el::SanePts(1.5, 1.4), 1.5);
  EXPECT_DOUBLE_EQ(el::SanePts(NAN, 1.4), 1.4);
  EXPECT_DOUBLE_EQ(el::SanePts(INFINITY, 1.4), 1.4);
  EXPECT_DOUBLE_EQ(el::SanePts(0.2, 1.4), 1.4);     // backwards
  EXPECT_DOUBLE_EQ(el::SanePts(5000.0, 1.4), 1.4);  // far in the future
}

TEST(launcherMovie, OpeningMovieDecodesToItsEnd) {
  MovieError error = MovieError::kNone;
  auto source = MovieSource::Open(LAUNCHER_MOVIE, {kWidth, kHeight, true}, &error);
  ASSERT_NE(source, nullptr);
  EXPECT_EQ(source->sourceAudio().rate, 22050);
  EXPECT_EQ(source->sourceAudio().channels, 1);
  EXPECT_NEAR(source->duration(), 5.0, 0.1);
  // Converted to what a typical device takes: 44.1 kHz stereo.
  source->SetAudioOutput({44100, 2});

  VideoFrame frame;
  AudioChunk chunk;
  int frames = 0;
  double lastPts = -1;
  double soundSeconds = 0;
  std::vector<uint32_t> middle;
  for (;;) {
    const MovieSource::Item item = source->Next(&frame, &chunk);
    if (item == MovieSource::Item::kEnd) break;
    if (item == MovieSource::Item::kVideo) {
      ASSERT_EQ(frame.pixels.size(), static_cast<size_t>(kWidth * kHeight));
      EXPECT_GT(frame.pts, lastPts);
      EXPECT_NEAR(frame.duration, 1.0 / 15, 1e-6);
      lastPts = frame.pts;
      if (++frames == 45) middle = frame.pixels;
    } else {
      EXPECT_EQ(chunk.bytes.size() % 4, 0u);
      soundSeconds += static_cast<double>(chunk.bytes.size()) / (44100 * 4);
    }
  }
  EXPECT_EQ(frames, 75);
  EXPECT_NEAR(lastPts, 74.0 / 15, 1e-6);
  EXPECT_NEAR(soundSeconds, 5.0, 0.05);
  EXPECT_EQ(source->Next(&frame, &chunk), MovieSource::Item::kEnd);

  // At 3 s the board shows: wood in the lower left, red above green above blue (a swap of red
  // and blue would show here), and opaque.
  ASSERT_FALSE(middle.empty());
  const uint32_t wood = middle[static_cast<size_t>(290 * kWidth + 20)];
  const int a = wood >> 24, r = (wood >> 16) & 0xff, g = (wood >> 8) & 0xff, b = wood & 0xff;
  EXPECT_EQ(a, 255);
  EXPECT_GT(r, 150);
  EXPECT_GT(r, g + 20);
  EXPECT_GT(g, b + 30);
}

TEST(launcherMovie, PicturesAreScaledToTheDisplaySize) {
  MovieError error = MovieError::kNone;
  auto source = MovieSource::Open(LAUNCHER_MOVIE, {240, 100, false}, &error);
  ASSERT_NE(source, nullptr);
  EXPECT_EQ(source->sourceAudio().rate, 0);  // sound not opened
  VideoFrame frame;
  AudioChunk chunk;
  ASSERT_EQ(source->Next(&frame, &chunk), MovieSource::Item::kVideo);
  EXPECT_EQ(frame.pixels.size(), 240u * 100u);
  EXPECT_DOUBLE_EQ(frame.pts, 0.0);
}

TEST(launcherMovie, FilesThatAreNoMovieCannotBeRead) {
  TempDir dir;
  WriteFile(dir / "garbage.avi", std::string(4096, '\x5a'));
  WriteFile(dir / "empty.avi", "");
  // An AVI header that promises more than the file holds.
  const auto real = launcher_test::ReadBytes(LAUNCHER_MOVIE);
  WriteFile(dir / "cut.avi", std::string(real.begin(), real.begin() + 300));
  WriteFile(dir / "sound.wav", WaveFile(22050));
  for (const char* name : {"missing.avi", "garbage.avi", "empty.avi", "cut.avi", "sound.wav"}) {
    MovieError error = MovieError::kNone;
    EXPECT_EQ(MovieSource::Open(dir / name, {kWidth, kHeight, true}, &error), nullptr) << name;
    EXPECT_EQ(error, MovieError::kUnreadable) << name;
  }
  // Names are file names only, never other protocols.
  MovieError error = MovieError::kNone;
  EXPECT_EQ(MovieSource::Open("lavfi:testsrc", {kWidth, kHeight, true}, &error), nullptr);
}

// Playback in a window of the dummy video driver, with the dummy sound driver.
class launcherPlayback : public ::testing::Test {
 protected:
  void SetUp() override {
    previousHook_ = el::elSystem::SetMessageHook(
        [this](el::MessageKind, const std::string& title, const std::string& text) {
          messages_.push_back(title + "|" + text);
          return el::MessageAnswer::kOk;
        });
    ASSERT_TRUE(system_.Init());
    ASSERT_TRUE(draw_.Create({}));
  }
  void TearDown() override { el::elSystem::SetMessageHook(previousHook_); }

  el::MessageHook previousHook_;
  std::vector<std::string> messages_;
  el::elSystem system_;
  el::elDraw draw_;
};

TEST_F(launcherPlayback, MovieClockRunsWithTheSound) {
  el::elStream movie(draw_, system_.audioAvailable());
  ASSERT_TRUE(movie.LoadObject(LAUNCHER_MOVIE, true));
  EXPECT_TRUE(movie.hasSound());
  EXPECT_EQ(movie.State(), el::MovieState::kStopped);
  const double start = el::NowSeconds();
  movie.Play();
  int drawn = 0;
  while (el::NowSeconds() - start < 0.8) {
    draw_.Clear();
    movie.DrawFrame(0, 0, kWidth, kHeight);
    draw_.Present();
    ++drawn;
    SDL_Delay(static_cast<Uint32>(movie.SecondsToNextFrame() * 1000) + 1);
  }
  const double elapsed = el::NowSeconds() - start;
  EXPECT_NEAR(movie.clock(), elapsed, 0.15);
  EXPECT_EQ(movie.State(), el::MovieState::kPlaying);
  // Paced by the pictures (15 per second), not spinning.
  EXPECT_LE(drawn, 40);
  EXPECT_TRUE(messages_.empty());
  movie.Stop();
  const double stopped = movie.clock();
  SDL_Delay(100);
  EXPECT_DOUBLE_EQ(movie.clock(), stopped);
  movie.Close();
  EXPECT_EQ(movie.State(), el::MovieState::kNone);
}

TEST_F(launcherPlayback, CloseReturnsWhileTheReaderWaitsForRoom) {
  el::elStream movie(draw_, system_.audioAvailable());
  ASSERT_TRUE(movie.LoadObject(LAUNCHER_MOVIE, true));
  SDL_Delay(200);  // the queues are full now and the reader waits
  const double start = el::NowSeconds();
  movie.Close();
  EXPECT_LT(el::NowSeconds() - start, 0.5);
  EXPECT_FALSE(movie.isOpen());
  // It can be loaded again after closing.
  ASSERT_TRUE(movie.LoadObject(LAUNCHER_MOVIE, false));
  EXPECT_FALSE(movie.hasSound());
}

TEST_F(launcherPlayback, UnreadableMovieShowsTheErrorBox) {
  TempDir dir;
  el::elStream movie(draw_, system_.audioAvailable());
  EXPECT_FALSE(movie.LoadObject(dir / "Q.AVI", true));
  EXPECT_FALSE(movie.isOpen());
  EXPECT_EQ(movie.State(), el::MovieState::kNone);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], "エラー発生|elStream::LoadObject : ストリームを読み込めません");
  // Nothing open: the calls of the frame loop do nothing.
  movie.Play();
  movie.DrawFrame(0, 0, kWidth, kHeight);
  EXPECT_EQ(movie.State(), el::MovieState::kNone);
}

}  // namespace
