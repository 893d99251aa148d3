// The window's commands and services: which commands are enabled in each turn, a read-only
// directory, failed saves and loads, every voice clip in the resources, and a game without a
// sound device that says so once.
#include <unistd.h>
#include <QAction>
#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <cstdio>

#include "shogi/records/record_file.h"
#include "shogi/sound/read_out.h"
#include "shogi/ui/game_texts.h"
#include "shogi/ui/real_services.h"
#include "ui_test_util.h"

class CommandsTest : public QObject {
  Q_OBJECT
 private slots:
  void enablementByTurn_data() {
    QTest::addColumn<Turn>("turn");
    QTest::addColumn<bool>("cd");
    // new, undo, resign, settings, load, continue | open, paste, export, copy SFEN, copy KIF
    QTest::addColumn<QString>("expected");
    QTest::newRow("no game") << Turn::kNoGame << false << "100110|11111";
    QTest::newRow("player to move") << Turn::kPlayerToMove << false << "011100|00111";
    QTest::newRow("computer thinks") << Turn::kComputerThinking << false << "000000|00000";
    QTest::newRow("piece held") << Turn::kPieceHeld << false << "000000|00000";
    QTest::newRow("replay") << Turn::kReplay << false << "100001|11111";
    QTest::newRow("no game, read-only") << Turn::kNoGame << true << "100100|11111";
  }
  void enablementByTurn() {
    QFETCH(Turn, turn);
    QFETCH(bool, cd);
    QFETCH(QString, expected);
    TestApp t;
    t.ps().turn = turn;
    t.ps().runningFromCd = cd;
    t.frame->UpdateCommands();
    QString got;
    for (Command c : {Command::kNewGame, Command::kUndo, Command::kResign, Command::kSettings,
                      Command::kLoadRecord, Command::kContinue, Command::kOpenFile, Command::kPaste,
                      Command::kExport, Command::kCopySfen, Command::kCopyKif}) {
      if (c == Command::kOpenFile) got += '|';
      got += t.frame->CommandAction(c)->isEnabled() ? '1' : '0';
    }
    QCOMPARE(got, expected);
  }

  // Where "check.dat" cannot be written (a directory in the way stops even root) records are
  // off, and the end of a game shows the notice instead of the save dialog.
  void readOnlyDirectoryDisablesRecords() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("check.dat"));
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const QString old = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    {
      TestApp t;
      QVERIFY(!t.frame->CommandAction(Command::kLoadRecord)->isEnabled());
      t.ps().turn = Turn::kPlayerToMove;
      t.game->OnResign();
      QCOMPARE(t.script.asked.back(), QString("shogi::ui::CCdRomNoticeDlg"));
      QCOMPARE(t.script.messages.back(), ComputerWonMessage());
      QCOMPARE(t.store->saves, 0);
    }
    QDir::setCurrent(old);
    QFile::setPermissions(dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  }

  // A failed save says why and brings the dialog back; the second try saves.
  void failedSaveBringsTheDialogBack() {
    TestApp t;
    t.script.saveRecord = true;
    t.store->failSaves = "No space left on device";  // mended when the message box is answered
    t.ps().turn = Turn::kPlayerToMove;
    t.game->OnResign();
    QCOMPARE(t.script.asked, (std::vector<QString>{"shogi::ui::CGameEndDlg", "QMessageBox",
                                                   "shogi::ui::CGameEndDlg"}));
    QCOMPARE(t.script.boxes, std::vector<QString>{QString::fromUtf8(records::kSaveFailedText) +
                                                  "|No space left on device"});
    QCOMPARE(t.store->saves, 1);
    QCOMPARE(t.ps().turn, Turn::kNoGame);
  }

  void refusedLoadIsShownInThePromptPane() {
    TestApp t;  // slot 1 holds nothing
    t.game->OnLoadRecord();
    QCOMPARE(t.ps().turn, Turn::kNoGame);
    QCOMPARE(t.frame->PromptPane()->text(), QString::fromUtf8(records::kLoadFailedText));
  }

  void everyClipIsAResource() {
    for (const std::string& name : sound::AllClipNames()) {
      const std::vector<uint8_t> bytes = ClipFromResources(name);
      QVERIFY2(bytes.size() > 44 && std::string(bytes.begin(), bytes.begin() + 4) == "RIFF",
               name.c_str());
    }
    QVERIFY(ClipFromResources("IDSOUND_KOMA12").empty());
  }

  void withoutADeviceTheGameIsSilentAndSaysSo() {
    // stderr goes to a file while the sound starts with a driver that does not exist.
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
    }
    qputenv("SDL_AUDIODRIVER", "dummy");
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    ::close(saved);
    QVERIFY(log.seek(0));
    QCOMPARE(log.readAll().count("without sound"), 1);
  }
};

QTEST_MAIN(CommandsTest)
#include "commands_test.moc"
