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

struct Stamp {
  double pts;
};

TEST(launcherMovieSync, LastDuePictureIsShownAndLateOnesAreDropped) {
  const std::deque<Stamp> frames{{0.0}, {0.1}, {0.2}, {0.3}};
  EXPECT_EQ(el::CountDueFrames(frames, -0.05), 0u);  // sound still filling the device
  EXPECT_EQ(el::CountDueFrames(frames, 0.0), 1u);
  EXPECT_EQ(el::CountDueFrames(frames, 0.25), 3u);  // 0.0 and 0.1 are late, 0.2 is shown
  EXPECT_EQ(el::CountDueFrames(frames, 9.0), 4u);
  EXPECT_EQ(el::CountDueFrames(std::deque<Stamp>{}, 1.0), 0u);
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

// Missing, damaged and cut movies are tried in launcher_app_test.cpp and fuzz_test.cpp.
TEST(launcherMovie, FilesThatAreNoMovieCannotBeRead) {
  TempDir dir;
  WriteFile(dir / "empty.avi", "");
  // A name is a file name, never a request for another of FFmpeg's protocols.
  const std::string concat = std::string("concat:") + LAUNCHER_MOVIE;
  for (const std::string& name : {(dir / "empty.avi").string(), concat}) {
    MovieError error = MovieError::kNone;
    EXPECT_EQ(MovieSource::Open(name, {kWidth, kHeight, true}, &error), nullptr) << name;
    EXPECT_EQ(error, MovieError::kUnreadable) << name;
  }
}

// Playback in a window of the dummy video driver, with the dummy sound driver.
class launcherPlayback : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(system_.Init());
    ASSERT_TRUE(draw_.Create({}));
  }
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
  auto playFor = [&](double seconds) {
    while (el::NowSeconds() - start < seconds) {
      draw_.Clear();
      movie.DrawFrame(0, 0, kWidth, kHeight);
      draw_.Present();
      ++drawn;
      SDL_Delay(static_cast<Uint32>(movie.SecondsToNextFrame() * 1000) + 1);
    }
  };
  // The clock follows the sound being heard: it starts once the sound thread runs and lags by
  // the device's buffer, but from then on it keeps the pace of the wall clock, never ahead.
  playFor(0.3);
  const double wall1 = el::NowSeconds();
  const double clock1 = movie.clock();
  playFor(1.0);
  const double rate = (movie.clock() - clock1) / (el::NowSeconds() - wall1);
  EXPECT_GT(rate, 0.6);
  EXPECT_LT(rate, 1.1);
  EXPECT_LT(movie.clock(), el::NowSeconds() - start + 0.02);
  EXPECT_EQ(movie.State(), el::MovieState::kPlaying);
  // Paced by the pictures (15 per second), not spinning.
  EXPECT_LE(drawn, 45);
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

}  // namespace
