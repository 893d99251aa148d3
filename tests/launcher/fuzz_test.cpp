// Seeded random inputs for the two readers of outside data: START.TXT and the movie file.
// Run in the sanitizer build, any memory error in them shows up here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "movie_source.h"
#include "start_command.h"
#include "test_util.h"

namespace {

using launcher_test::TempDir;
using launcher_test::WriteFile;

TEST(launcherFuzz, StartTxtReaderKeepsItsPromises) {
  std::mt19937 rng(20240601);
  TempDir dir;
  const std::filesystem::path file = dir / "START.TXT";
  for (int round = 0; round < 1500; ++round) {
    std::string bytes(rng() % 120, '\0');
    for (char& c : bytes) {
      const unsigned pick = rng() % 16;
      c = pick == 0   ? '\r'
          : pick == 1 ? '\n'
          : pick == 2 ? '\0'
          : pick == 3 ? ' '
                      : static_cast<char>(rng());
    }
    WriteFile(file, bytes);
    const std::string command = launcher::ReadStartCommand(file);
    ASSERT_LE(command.size(), 50u);
    ASSERT_EQ(bytes.compare(0, command.size(), command), 0) << "not a prefix, round " << round;
    ASSERT_EQ(command.find_first_of(std::string("\r\n\0", 3)), std::string::npos);
    ASSERT_TRUE(command.empty() || (command.back() != ' ' && command.back() != '\t'));
    // Whatever was cut after the command is blanks, up to a line end or the 50-byte limit.
    const size_t limit = std::min<size_t>(bytes.size(), 50);
    size_t end = command.size();
    while (end < limit && (bytes[end] == ' ' || bytes[end] == '\t')) ++end;
    if (end < limit) {
      const char next = bytes[end];
      ASSERT_TRUE(next == '\r' || next == '\n' || next == '\0') << "ended early, round " << round;
    }
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    ASSERT_EQ(launcher::ParseStartCommand(std::span(data, bytes.size())), command);
  }
}

// One kind of damage per round: header bytes, bytes anywhere, a cut, or a run of noise.
std::vector<unsigned char> Damage(std::vector<unsigned char> data, int round, std::mt19937& rng) {
  auto at = [&](size_t limit) { return rng() % std::max<size_t>(1, std::min(limit, data.size())); };
  switch (round % 4) {
    case 0:
      for (int i = 1 + static_cast<int>(rng() % 16); i > 0; --i)
        data[at(16384)] ^= 1u << (rng() % 8);
      break;
    case 1:
      for (int i = 1 + static_cast<int>(rng() % 64); i > 0; --i) data[at(data.size())] = rng();
      break;
    case 2:
      data.resize(at(data.size()));
      break;
    default: {
      const size_t start = at(data.size());
      const size_t end = std::min(data.size(), start + 1 + rng() % 4096);
      for (size_t i = start; i < end; ++i) data[i] = rng();
      break;
    }
  }
  return data;
}

TEST(launcherFuzz, MovieReaderSurvivesDamagedMovies) {
  const std::vector<unsigned char> real = launcher_test::ReadBytes(LAUNCHER_MOVIE);
  ASSERT_GT(real.size(), 100000u);
  std::mt19937 rng(77);
  TempDir dir;
  const std::filesystem::path file = dir / "Q.AVI";
  int opened = 0;
  for (int round = 0; round < 160; ++round) {
    const std::vector<unsigned char> bytes = Damage(real, round, rng);
    WriteFile(file, std::string(bytes.begin(), bytes.end()));
    el::MovieError error = el::MovieError::kNone;
    auto source = el::MovieSource::Open(file, {480, 316, true}, &error);
    if (source == nullptr) {
      EXPECT_EQ(error, el::MovieError::kUnreadable);
      continue;
    }
    ++opened;
    source->SetAudioOutput({44100, 2});
    el::VideoFrame frame;
    el::AudioChunk chunk;
    double lastVideo = -1;
    double lastAudio = -1;
    int items = 0;
    for (; items < 5000; ++items) {
      const auto item = source->Next(&frame, &chunk);
      if (item == el::MovieSource::Item::kEnd) break;
      if (item == el::MovieSource::Item::kVideo) {
        ASSERT_EQ(frame.pixels.size(), 480u * 316u);
        ASSERT_TRUE(std::isfinite(frame.pts));
        ASSERT_GT(frame.pts, lastVideo);
        ASSERT_GT(frame.duration, 0);
        lastVideo = frame.pts;
      } else {
        ASSERT_EQ(chunk.bytes.size() % 4, 0u);
        ASSERT_TRUE(std::isfinite(chunk.pts));
        ASSERT_GE(chunk.pts, lastAudio);
        lastAudio = chunk.pts;
      }
    }
    EXPECT_LT(items, 5000) << "no end, round " << round;
    // A damaged file plays no longer than its time stamps allow.
    EXPECT_LT(lastVideo, 60.0);
  }
  RecordProperty("opened", opened);
  EXPECT_GT(opened, 0);  // the damage left some files readable, so decoding was exercised
}

}  // namespace
