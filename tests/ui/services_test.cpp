// The game program's real sound and record files: every voice clip is in the program's
// resources and plays on the mixer; record slots are written and read as files.
#include <unistd.h>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryFile>
#include <QTest>
#include <cstdio>

#include "shogi/rules/notation.h"
#include "shogi/sound/read_out.h"
#include "shogi/ui/real_services.h"

using namespace shogi;
using namespace shogi::ui;

class ServicesTest : public QObject {
  Q_OBJECT
 private slots:
  void everyClipIsAResource();
  void clipsPlayOnTheMixerWithoutBlocking();
  void recordSlotsRoundTripAsFiles();
  void badSlotsAndBadFilesChangeNothing();
  void withoutADeviceTheGameIsSilentAndSaysSo();
};

void ServicesTest::everyClipIsAResource() {
  const auto& names = sound::AllClipNames();
  QCOMPARE(static_cast<int>(names.size()), 105);
  for (const std::string& name : names) {
    const std::vector<uint8_t> bytes = ClipFromResources(name);
    QVERIFY2(bytes.size() > 44, name.c_str());
    QCOMPARE(std::string(bytes.begin(), bytes.begin() + 4), std::string("RIFF"));
  }
  QVERIFY(ClipFromResources("IDSOUND_KOMA12").empty());
}

void ServicesTest::clipsPlayOnTheMixerWithoutBlocking() {
  MixerGameAudio audio;
  QVERIFY(audio.DeviceOpen());  // the dummy driver
  QVERIFY(audio.ClipsIdle());
  QVERIFY(audio.PlaySoundResource("IDSOUND_KOMA"));
  QVERIFY(!audio.PlaySoundResource("IDSOUND_NOTHING"));
  QVERIFY(!audio.ClipsIdle());  // playing, and the call returned at once
  GameState* gs = new GameState;
  ResetGameState(*gs);
  CommitMove(*gs, *ParseUsiMove("7g7f", 1), kPlayerSide);
  audio.ReadMoveAloud(*gs);  // side, square, piece
  delete gs;                 // the read-out no longer needs the game
  QTRY_VERIFY_WITH_TIMEOUT(audio.ClipsIdle(), 8000);
}

void ServicesTest::recordSlotsRoundTripAsFiles() {
  QFile::remove("kifu02.dat");
  auto gs = std::make_unique<GameState>();
  ResetGameState(*gs);
  gs->level = 2;
  gs->computerSeconds = 12;
  gs->playerSeconds = 34;
  CommitMove(*gs, *ParseUsiMove("7g7f", 1), kPlayerSide);
  CommitMove(*gs, *ParseUsiMove("3c3d", 1), kComputerSide);
  FileRecordStore store;
  QVERIFY(store.Save(*gs, 2));
  QVERIFY(QFile::exists("kifu02.dat"));
  auto loaded = std::make_unique<GameState>();
  ResetGameState(*loaded);
  QCOMPARE(store.Load(*loaded, 2), 2);
  QCOMPARE(loaded->level, 2);
  QCOMPARE(loaded->computerSeconds, 12);
  QCOMPARE(loaded->playerSeconds, 34);
  QVERIFY(loaded->moveRec[1] == gs->moveRec[1]);
  QVERIFY(loaded->moveRec[2] == gs->moveRec[2]);
}

void ServicesTest::badSlotsAndBadFilesChangeNothing() {
  FileRecordStore store;
  auto gs = std::make_unique<GameState>();
  ResetGameState(*gs);
  CommitMove(*gs, *ParseUsiMove("2g2f", 1), kPlayerSide);
  QVERIFY(!store.Save(*gs, 0));
  QVERIFY(!store.Save(*gs, 6));
  QCOMPARE(store.Load(*gs, 6), -1);
  QFile::remove("kifu04.dat");
  QCOMPARE(store.Load(*gs, 4), -1);  // no such file
  {
    QFile bad("kifu05.dat");
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("not a record\n");
  }
  QCOMPARE(store.Load(*gs, 5), -1);
  QCOMPARE(gs->moveNumber, 1);  // the game stays as it was
  QVERIFY(gs->moveRec[1] == *ParseUsiMove("2g2f", 1));
}

void ServicesTest::withoutADeviceTheGameIsSilentAndSaysSo() {
  // stderr goes to a file while the sound layer starts with a driver that does not exist.
  QTemporaryFile log;
  QVERIFY(log.open());
  std::fflush(stderr);
  const int saved = dup(STDERR_FILENO);
  dup2(log.handle(), STDERR_FILENO);
  qputenv("SDL_AUDIODRIVER", "no-such-driver");
  {
    MixerGameAudio audio;
    QVERIFY(!audio.DeviceOpen());
    QVERIFY(!audio.PlaySoundResource("IDSOUND_KOMA"));
    QVERIFY(audio.ClipsIdle());  // the computer never waits for a read-out that cannot play
    QVERIFY(!audio.StartTrack("BGM01.mid"));
  }
  qputenv("SDL_AUDIODRIVER", "dummy");
  std::fflush(stderr);
  dup2(saved, STDERR_FILENO);
  ::close(saved);
  QFile in(log.fileName());
  QVERIFY(in.open(QIODevice::ReadOnly));
  QCOMPARE(in.readAll().count("without sound"), 1);
}

QTEST_MAIN(ServicesTest)
#include "services_test.moc"
