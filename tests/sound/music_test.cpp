// The music rules, on a device that writes down what it is told.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "shogi/sound/music.h"

namespace shogi::sound {
namespace {

using Calls = std::vector<std::string>;

// Plays a piece until it ends or is closed; the end notification waits in `pending` until the
// test delivers it, as a message would wait in the window's queue.
class FakeDevice : public MusicDevice {
 public:
  bool OpenMusic(const std::string& path) override {
    calls.push_back("open " + path);
    if (missing.count(path)) return false;
    playing = path;
    return true;
  }
  void CloseMusic() override {
    calls.push_back("close");
    if (!playing.empty()) ++pending;
    playing.clear();
  }
  // The piece reaches its end by itself.
  void EndPiece() {
    ASSERT_FALSE(playing.empty());
    playing.clear();
    ++pending;
  }
  void Deliver(BackgroundMusic& music) {
    while (pending > 0) {
      --pending;
      music.OnPieceEnded();
    }
  }

  Calls calls;
  std::string playing;
  std::set<std::string> missing;
  int pending = 0;
};

class MusicTest : public ::testing::Test {
 protected:
  Calls Take() {
    Calls c = std::move(device.calls);
    device.calls.clear();
    return c;
  }
  FakeDevice device;
  BackgroundMusic music{device, "/game"};
};

TEST_F(MusicTest, FileNames) {
  EXPECT_EQ(music.OpeningPath(), "/game/BGM00.mid");
  EXPECT_EQ(music.TrackPath(1), "/game/BGM01.mid");
  EXPECT_EQ(music.TrackPath(4), "/game/BGM04.mid");
  FakeDevice d;
  EXPECT_EQ(BackgroundMusic(d, "/game/").TrackPath(2), "/game/BGM02.mid");
  EXPECT_EQ(BackgroundMusic(d, "").OpeningPath(), "BGM00.mid");
  EXPECT_EQ(music.BgmTrack(), 1);
}

TEST_F(MusicTest, OpeningPieceThenTrackOneRepeated) {
  music.StartOpening();
  EXPECT_EQ(Take(), (Calls{"open /game/BGM00.mid"}));
  device.EndPiece();
  device.Deliver(music);
  EXPECT_EQ(Take(), (Calls{"close", "open /game/BGM01.mid"}));
  for (int i = 0; i < 3; ++i) {
    device.EndPiece();
    device.Deliver(music);
    EXPECT_EQ(Take(), (Calls{"close", "open /game/BGM01.mid"}));
  }
  EXPECT_EQ(device.playing, "/game/BGM01.mid");
}

TEST_F(MusicTest, NewGameWithMusicOnSwitchesAtOnce) {
  music.StartOpening();
  device.EndPiece();
  device.Deliver(music);
  Take();
  music.NewGame(2);
  EXPECT_EQ(music.BgmTrack(), 3);
  EXPECT_EQ(Take(), (Calls{"close"}));
  device.Deliver(music);  // the close ended the piece: no need to wait for its end
  EXPECT_EQ(Take(), (Calls{"close", "open /game/BGM03.mid"}));
  music.NewGame(1);
  device.Deliver(music);
  EXPECT_EQ(Take(), (Calls{"close", "close", "open /game/BGM02.mid"}));
}

TEST_F(MusicTest, NewGameDuringTheOpeningPiece) {
  music.StartOpening();
  music.NewGame(1);
  device.Deliver(music);
  EXPECT_EQ(Take(), (Calls{"open /game/BGM00.mid", "close", "close", "open /game/BGM02.mid"}));
}

TEST_F(MusicTest, NewGameWithMusicOffStaysSilent) {
  music.StartOpening();
  music.SettingsClosed(true, false, 1);
  device.Deliver(music);
  EXPECT_EQ(music.BgmTrack(), 0);
  Take();
  music.NewGame(2);
  device.Deliver(music);
  EXPECT_EQ(music.BgmTrack(), 0);
  EXPECT_EQ(Take(), Calls{});
  EXPECT_EQ(device.playing, "");
}

TEST_F(MusicTest, SettingsOffThenOnPlaysTheTrackOfTheLevel) {
  music.StartOpening();
  device.EndPiece();
  device.Deliver(music);
  Take();
  music.SettingsClosed(true, false, 2);
  EXPECT_EQ(music.BgmTrack(), 0);
  EXPECT_EQ(Take(), (Calls{"close"}));
  device.Deliver(music);
  EXPECT_EQ(Take(), (Calls{"close"}));  // the notification closes and opens nothing
  EXPECT_EQ(device.playing, "");
  music.SettingsClosed(true, true, 2);
  EXPECT_EQ(music.BgmTrack(), 3);
  EXPECT_EQ(Take(), (Calls{"open /game/BGM03.mid"}));
  device.EndPiece();
  device.Deliver(music);
  EXPECT_EQ(Take(), (Calls{"close", "open /game/BGM03.mid"}));
}

TEST_F(MusicTest, CancelChangesNothing) {
  music.StartOpening();
  device.EndPiece();
  device.Deliver(music);
  Take();
  music.SettingsClosed(false, false, 3);
  music.SettingsClosed(false, true, 3);
  EXPECT_EQ(music.BgmTrack(), 1);
  EXPECT_EQ(Take(), Calls{});
  EXPECT_EQ(device.pending, 0);
  // And with music off, Cancel with the box ticked leaves it off.
  music.SettingsClosed(true, false, 3);
  device.Deliver(music);
  Take();
  music.SettingsClosed(false, true, 3);
  EXPECT_EQ(music.BgmTrack(), 0);
  EXPECT_EQ(Take(), Calls{});
}

TEST_F(MusicTest, OnAndStillOnWaitsForTheEndOfThePiece) {
  music.StartOpening();
  device.EndPiece();
  device.Deliver(music);
  Take();
  music.SettingsClosed(true, true, 3);
  EXPECT_EQ(music.BgmTrack(), 4);
  EXPECT_EQ(Take(), Calls{});
  EXPECT_EQ(device.playing, "/game/BGM01.mid");
  device.EndPiece();
  device.Deliver(music);
  EXPECT_EQ(Take(), (Calls{"close", "open /game/BGM04.mid"}));
}

TEST_F(MusicTest, OpeningPlaysWhateverTheTrackAndStopsWhenOff) {
  music.SettingsClosed(true, false, 1);  // before the opening: nothing plays yet
  EXPECT_EQ(Take(), (Calls{"close"}));
  music.StartOpening();
  EXPECT_EQ(Take(), (Calls{"open /game/BGM00.mid"}));
  device.EndPiece();
  device.Deliver(music);
  EXPECT_EQ(Take(), (Calls{"close"}));
  EXPECT_EQ(device.playing, "");
}

TEST_F(MusicTest, TrackOneFromTheSettingsHasItsFile) {
  music.SettingsClosed(true, false, 0);
  device.Deliver(music);
  Take();
  music.SettingsClosed(true, true, 0);  // level 0 comes only from a loaded record
  EXPECT_EQ(Take(), (Calls{"open /game/BGM01.mid"}));
}

TEST_F(MusicTest, MissingFilesStaySilent) {
  for (int t = 0; t <= 4; ++t) device.missing.insert("/game/BGM0" + std::to_string(t) + ".mid");
  music.StartOpening();
  EXPECT_EQ(device.pending, 0);
  music.NewGame(1);
  EXPECT_EQ(device.pending, 0);  // nothing played, so no notification comes
  music.SettingsClosed(true, false, 1);
  music.SettingsClosed(true, true, 1);
  EXPECT_EQ(device.pending, 0);
  EXPECT_EQ(device.playing, "");
  EXPECT_EQ(Take(), (Calls{"open /game/BGM00.mid", "close", "close", "open /game/BGM02.mid"}));
}

TEST_F(MusicTest, MissingTrackAfterTheOpeningStopsTheMusic) {
  device.missing.insert("/game/BGM01.mid");
  music.StartOpening();
  device.EndPiece();
  device.Deliver(music);
  EXPECT_EQ(device.playing, "");
  EXPECT_EQ(device.pending, 0);
}

TEST_F(MusicTest, ShutdownStopsForGood) {
  music.StartOpening();
  music.Shutdown();
  device.Deliver(music);
  EXPECT_EQ(Take(), (Calls{"open /game/BGM00.mid", "close", "close"}));
  EXPECT_EQ(device.playing, "");
}

}  // namespace
}  // namespace shogi::sound
