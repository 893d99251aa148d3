// The movie: decoding, damaged movies, the choice of the picture to show, playback.
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "el_draw.h"
#include "el_stream.h"
#include "el_system.h"
#include "movie_clock.h"
#include "movie_source.h"
#include "test_util.h"

namespace launcher_test {
namespace {

using el::MovieSource;

constexpr int kWidth = 480, kHeight = 316;

TEST(launcherMovieSync, LastDuePictureIsShownAndLateOnesAreDropped) {
  struct Stamp {
    double pts;
  };
  const std::deque<Stamp> frames{{0.0}, {0.1}, {0.2}, {0.3}};
  // Before 0 the sound still fills the device; at 0.25 0.0 and 0.1 are late, 0.2 is shown.
  for (auto [clock, due] : {std::pair{-0.05, 0u}, {0.0, 1u}, {0.25, 3u}, {9.0, 4u}})
    EXPECT_EQ(el::CountDueFrames(frames, clock), due) << clock;
  EXPECT_EQ(el::CountDueFrames(std::deque<Stamp>{}, 1.0), 0u);
}

struct Decoded {
  int frames = 0, items = 0;
  double lastPts = -1, soundSeconds = 0;
  std::vector<uint32_t> middle;  // the picture at 3 s
};

// Reads `source` to its end (at most 5000 items), checking every picture and sound chunk.
Decoded ReadToEnd(MovieSource& source) {
  source.SetAudioOutput({44100, 2});  // what a typical device takes
  Decoded d;
  el::VideoFrame frame;
  el::AudioChunk chunk;
  double lastAudio = -1;
  for (; d.items < 5000; ++d.items) {
    const MovieSource::Item item = source.Next(&frame, &chunk);
    if (item == MovieSource::Item::kEnd) break;
    if (item == MovieSource::Item::kVideo) {
      EXPECT_EQ(frame.pixels.size(), static_cast<size_t>(kWidth * kHeight));
      EXPECT_TRUE(std::isfinite(frame.pts) && frame.pts > d.lastPts && frame.duration > 0);
      d.lastPts = frame.pts;
      if (++d.frames == 45) d.middle = frame.pixels;
    } else {
      EXPECT_EQ(chunk.bytes.size() % 4, 0u);
      EXPECT_TRUE(std::isfinite(chunk.pts) && chunk.pts >= lastAudio);
      lastAudio = chunk.pts;
      d.soundSeconds += static_cast<double>(chunk.bytes.size()) / (44100 * 4);
    }
  }
  return d;
}

TEST(launcherMovie, OpeningMovieDecodesToItsEnd) {
  el::MovieError error = el::MovieError::kNone;
  auto source = MovieSource::Open(LAUNCHER_MOVIE, {kWidth, kHeight, true}, &error);
  ASSERT_NE(source, nullptr);
  EXPECT_EQ(std::pair(source->sourceAudio().rate, source->sourceAudio().channels),
            std::pair(22050, 1));
  EXPECT_NEAR(source->duration(), 5.0, 0.1);
  const Decoded d = ReadToEnd(*source);
  EXPECT_EQ(d.frames, 75);
  EXPECT_NEAR(d.lastPts, 74.0 / 15, 1e-6);
  EXPECT_NEAR(d.soundSeconds, 5.0, 0.05);
  el::VideoFrame frame;
  el::AudioChunk chunk;
  EXPECT_EQ(source->Next(&frame, &chunk), MovieSource::Item::kEnd);
  // At 3 s the board shows: wood in the lower left, red above green above blue (a swap of red
  // and blue would show here), and opaque.
  ASSERT_FALSE(d.middle.empty());
  const uint32_t wood = d.middle[static_cast<size_t>(290 * kWidth + 20)];
  const int r = (wood >> 16) & 0xff, g = (wood >> 8) & 0xff, b = wood & 0xff;
  EXPECT_TRUE(wood >> 24 == 255 && r > 150 && r > g + 20 && g > b + 30) << std::hex << wood;
}

// An empty file is no movie, and a name is never another of FFmpeg's protocols. Damaged movies
// (header bits, bytes anywhere, a cut, a run of noise) are refused or read to an end.
TEST(launcherFuzz, MovieReaderSurvivesDamagedMovies) {
  TempDir dir;
  const std::filesystem::path file = dir / "Q.AVI";
  WriteFile(file, "");
  for (const std::string& name : {file.string(), std::string("concat:") + LAUNCHER_MOVIE}) {
    el::MovieError error = el::MovieError::kNone;
    EXPECT_EQ(MovieSource::Open(name, {kWidth, kHeight, true}, &error), nullptr) << name;
    EXPECT_EQ(error, el::MovieError::kUnreadable) << name;
  }
  const std::string real = ReadFile(LAUNCHER_MOVIE);
  ASSERT_GT(real.size(), 100000u);
  std::mt19937 rng(77);
  int opened = 0;
  for (int round = 0; round < 160; ++round) {
    std::string data = real;
    auto at = [&](size_t limit) { return rng() % std::min(limit, data.size()); };
    const size_t start = at(data.size()), end = std::min(data.size(), start + 1 + rng() % 4096);
    if (round % 4 == 0)
      for (int i = 1 + static_cast<int>(rng() % 16); i > 0; --i) data[at(16384)] ^= 1 << rng() % 8;
    if (round % 4 == 1)
      for (int i = 1 + static_cast<int>(rng() % 64); i > 0; --i) data[at(data.size())] = rng();
    if (round % 4 == 2) data.resize(start);
    if (round % 4 == 3)
      for (size_t i = start; i < end; ++i) data[i] = rng();
    WriteFile(file, data);
    el::MovieError error = el::MovieError::kNone;
    auto source = MovieSource::Open(file, {kWidth, kHeight, true}, &error);
    EXPECT_EQ(error, source ? el::MovieError::kNone : el::MovieError::kUnreadable);
    if (source == nullptr) continue;
    ++opened;
    const Decoded d = ReadToEnd(*source);
    EXPECT_LT(d.items, 5000) << "no end, round " << round;
    EXPECT_LT(d.lastPts, 60.0);  // no longer than its time stamps allow
  }
  EXPECT_GT(opened, 0);  // the damage left some files readable, so decoding was exercised
}

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
    for (; el::NowSeconds() - start < seconds; ++drawn) {
      draw_.Clear();
      movie.DrawFrame(0, 0, kWidth, kHeight);
      draw_.Present();
      SDL_Delay(static_cast<Uint32>(movie.SecondsToNextFrame() * 1000) + 1);
    }
  };
  // The clock follows the sound being heard: it starts once the sound thread runs and lags by
  // the device's buffer, but from then on it keeps the pace of the wall clock, never ahead.
  playFor(0.3);
  const double wall1 = el::NowSeconds(), clock1 = movie.clock();
  playFor(1.0);
  const double rate = (movie.clock() - clock1) / (el::NowSeconds() - wall1);
  EXPECT_GT(rate, 0.6);
  EXPECT_LT(rate, 1.1);
  EXPECT_LT(movie.clock(), el::NowSeconds() - start + 0.02);
  EXPECT_EQ(movie.State(), el::MovieState::kPlaying);
  EXPECT_LE(drawn, 45);  // paced by the pictures (15 a second), not spinning
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
  ASSERT_TRUE(movie.LoadObject(LAUNCHER_MOVIE, false));  // it loads again after closing
  EXPECT_FALSE(movie.hasSound());
}

}  // namespace
}  // namespace launcher_test
