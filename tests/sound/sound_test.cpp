// Sound: the read-out of moves, MIDI lengths, and the SDL2_mixer output on the dummy driver
// (real time), the disk driver (what is heard) and no usable driver.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "shogi/rules/notation.h"
#include "shogi/sound/mixer_audio.h"
#include "shogi/sound/read_out.h"
#include "shogi/sound/smf.h"
#include "tests/rules/test_util.h"

namespace shogi::sound {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Standard MIDI Files for tests: format 0, 480 ticks per quarter note, around one track.
std::vector<uint8_t> SmfOf(const std::vector<uint8_t>& track) {
  const char head[] = "MThd\0\0\0\6\0\0\0\1\x01\xe0MTrk\0\0";
  std::vector<uint8_t> smf(head, head + 20);
  const auto n = static_cast<uint16_t>(track.size());
  smf.insert(smf.end(), {static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)});
  smf.insert(smf.end(), track.begin(), track.end());
  return smf;
}
// `quarters` quarter notes of a koto at `bpm`, the note-offs in running status, then the end of
// the track on the last beat.
std::vector<uint8_t> MakeSmf(int quarters, int bpm) {
  const uint32_t tempo = 60000000u / static_cast<uint32_t>(bpm);
  std::vector<uint8_t> track = {0, 0xff, 0x51, 3, 0, 0, 0, 0, 0xc0, 107};
  for (int i = 0; i < 3; ++i) track[4 + i] = static_cast<uint8_t>(tempo >> (16 - 8 * i));
  for (int i = 0; i < quarters; ++i) {
    const auto key = static_cast<uint8_t>(62 + (i % 5) * 2);
    track.insert(track.end(), {0x00, 0x90, key, 100, 0x83, 0x38, key, 0});   // 440 ticks
    if (i + 1 < quarters) track.insert(track.end(), {40, 0xb0, 0x0b, 100});  // expression
  }
  track.insert(track.end(), {40, 0xff, 0x2f, 0x00});
  return SmfOf(track);
}
void WriteSmf(const std::string& path, const std::vector<uint8_t>& smf) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << std::string(smf.begin(), smf.end());
}

using Clips = std::vector<std::string>;

// A read-out written short: "S" or "G" (sente, gote), then a square "76" or "=" (the same
// square), then the piece "01".."15", then "+" when it promotes.
Clips Expand(const std::string& shortForm) {
  std::istringstream in(shortForm);
  std::string who, square, piece, promotes;
  in >> who >> square >> piece >> promotes;
  Clips c = {who == "S" ? "IDSOUND_SENTE" : "IDSOUND_GOTE",
             square == "=" ? "IDSOUND_ONAJI" : "IDSOUND_BAN" + square, "IDSOUND_KOMA" + piece};
  if (promotes == "+") c.push_back("IDSOUND_NARI");
  return c;
}

// Sente or gote, the square (or "the same square" when taking back), the piece as it stood
// before the move, "promotes"; with the computer first, squares are still named from sente's.
TEST(ReadOutTest, GamesMoveByMove) {
  const std::tuple<int, const char*, const char*> kGames[] = {
      {1, "7g7f 3c3d 8h2b+ 3a2b B*5e B*5f", "S 76 01,G 34 01,S 22 06 +,G = 04,S 55 06,G 56 06"},
      {1, "7g7f 3c3d 8h2b+ 8b7b 2b3a", "S 76 01,G 34 01,S 22 06 +,G 72 07,S 31 13"},
      {2, "7g7f 3c3d 8h2b+", "S 76 01,G 34 01,S 22 06 +"},
  };
  for (const auto& [firstMover, moves, readOuts] : kGames) {
    auto gs = testing_util::NewGame();
    gs->firstMover = firstMover;
    EXPECT_TRUE(ReadMoveAloud(*gs).empty());  // nothing before the first move
    std::istringstream usi(moves), expected(readOuts);
    for (std::string m, readOut; usi >> m && std::getline(expected, readOut, ',');) {
      testing_util::Play(*gs, ParseUsiMove(m, firstMover).value());
      EXPECT_EQ(ReadMoveAloud(*gs), Expand(readOut)) << m;
    }
  }
  // "The same square" from move 3 on, never for drops. States made by hand: the read-out only
  // looks at the two records and the two snapshots.
  for (auto [m, drop, readOut] :
       {std::tuple{2, false, "G 55 04"}, std::tuple{3, false, "S = 04"},
        std::tuple{10, false, "G = 04"}, std::tuple{5, true, "S 55 05"}}) {
    auto gs = testing_util::NewGame();
    gs->moveNumber = m;
    gs->moveRec[m - 1] = {2, 6, 4, 4, 0, 0};
    gs->moveRec[m] = drop ? MoveRec{0, 0, 4, 4, 0, kGold} : MoveRec{4, 2, 4, 4, 0, 0};
    gs->snapshot[m - 1].Set(4, 2, kComputerSide, kSilver);
    gs->snapshot[m].Set(4, 4, drop ? kPlayerSide : kComputerSide, drop ? kGold : kSilver);
    EXPECT_EQ(ReadMoveAloud(*gs), Expand(readOut)) << m;
  }
}

std::string MusicFile(int n) {
  return std::string(SHOGI_MUSIC_DIR) + "/BGM0" + std::to_string(n) + ".mid";
}

// Without a tempo event a quarter note lasts 0.5 s; the last file made here has two quarters at
// 120 bpm, then a change to 60 bpm and two more: 1 s + 2 s. Malformed files (-1) have none.
TEST(SmfLengthTest, LengthsFollowTheTempo) {
  for (int n = 0; n <= 4; ++n) {  // the game's pieces: the opening, then four of a minute
    std::ifstream in(MusicFile(n));
    const std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
    EXPECT_NEAR(SmfLengthSeconds(bytes).value(), n == 0 ? 30 : 60, 1e-3) << n;
  }
  std::vector<uint8_t> badMagic = MakeSmf(4, 120), cut = MakeSmf(4, 120);
  badMagic[0] = 'X';
  cut.erase(cut.end() - 5, cut.end());  // the track chunk is shorter than it says
  const std::string wave = "RIFF\x24\x00\x00\x00WAVEfmt ";
  // clang-format off
  for (const auto& [smf, seconds] : {std::pair{MakeSmf(4, 120), 2.0}, {MakeSmf(3, 60), 3.0},
       {MakeSmf(2, 240), 0.5}, {SmfOf({0x83, 0x60, 0xff, 0x2f, 0x00}), 0.5},
       {SmfOf({0x00, 0xff, 0x51, 0x03, 0x07, 0xa1, 0x20, 0x87, 0x40, 0xff, 0x51, 0x03, 0x0f, 0x42,
               0x40, 0x87, 0x40, 0xff, 0x2f, 0x00}), 3.0},
       {{}, -1.0}, {badMagic, -1.0}, {cut, -1.0}, {{wave.begin(), wave.end()}, -1.0}})
    // clang-format on
    EXPECT_NEAR(SmfLengthSeconds(smf).value_or(-1), seconds, 1e-9);
}

double SecondsSince(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
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

// Queued clips play without blocking the caller, each in full and without a gap; an unknown
// clip plays nothing and a second mixer stays silent.
TEST_F(MixerTest, ClipsPlayOneAfterAnother) {
  for (const std::string& name : AllClipNames())
    EXPECT_TRUE(audio.LoadClip(name) && audio.ClipSeconds(name) > 0.02) << name;
  EXPECT_FALSE(audio.LoadClip("IDSOUND_KOMA12"));
  MixerAudio second(MixerAudio::DirectoryLookup(SHOGI_SOUNDS_DIR));
  EXPECT_FALSE(second.IsOpen() || second.OpenMusic(MusicFile(1)));
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

// Closing a piece, or a halt mid-piece, ends it once (not again at its length); an end
// overtaken by a new piece is dropped.
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

// A piece that became unreadable (broken, then missing) when reopened at its end: no word, no
// further end (not even the old piece's late hook); the next piece plays and ends as usual.
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
  std::vector<int16_t> samples(fs::file_size(raw) / 2);
  std::ifstream(raw, std::ios::binary)
      .read(reinterpret_cast<char*>(samples.data()), samples.size() * 2);
  fs::remove(raw);
  double sum = 0;
  for (int16_t s : samples) sum += static_cast<double>(s) * s;
  EXPECT_GT(samples.size(), 0u);
  return samples.empty() ? 0 : std::sqrt(sum / samples.size()) / 32768.0;
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

// The read-out is "over" at once so that play goes on.
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
    EXPECT_FALSE(audio.LoadClip("IDSOUND_SENTE") || audio.OpenMusic(MusicFile(0)));
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
