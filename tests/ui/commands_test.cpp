// The window: command enablement by turn, a read-only directory, the prompts of menu items,
// the help page, failed saves and loads.
#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusTipEvent>
#include <QTemporaryDir>

#include "shogi/records/record_file.h"
#include "shogi/ui/game_texts.h"
#include "ui_test_util.h"

using namespace shogi;
using namespace shogi::ui;
using namespace shogi::ui::test;

class CommandsTest : public QObject {
  Q_OBJECT
 private slots:
  void enablementByTurn_data();
  void enablementByTurn();
  void enablementFollowsPlay();
  void readOnlyDirectoryDisablesRecords();
  void promptsOfMenuItems();
  void helpPageComesFromResources();
  void failedSaveBringsTheDialogBack_data();
  void failedSaveBringsTheDialogBack();
  void refusedLoadIsShownInThePromptPane();
  void probeKeepsAnExistingCheckDat();
};

void CommandsTest::enablementByTurn_data() {
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
  QTest::newRow("player, read-only") << Turn::kPlayerToMove << true << "011100|00111";
}

void CommandsTest::enablementByTurn() {
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

void CommandsTest::enablementFollowsPlay() {
  TestApp t;
  t.audio->busyClips = 1;  // the computer does not start: the state after the move stays
  QVERIFY(t.frame->CommandAction(Command::kNewGame)->isEnabled());
  t.game->OnNewGame();
  QCOMPARE(t.ps().turn, Turn::kPlayerToMove);
  QVERIFY(!t.frame->CommandAction(Command::kNewGame)->isEnabled());
  QVERIFY(t.frame->CommandAction(Command::kUndo)->isEnabled());
  t.Click(TestApp::CellCentre(2, 6));  // pick up the pawn of 7七
  QCOMPARE(t.ps().turn, Turn::kPieceHeld);
  for (Command c : {Command::kNewGame, Command::kUndo, Command::kResign, Command::kSettings,
                    Command::kLoadRecord, Command::kContinue})
    QVERIFY(!t.frame->CommandAction(c)->isEnabled());
  t.Click(TestApp::CellCentre(2, 5));
  QCOMPARE(t.ps().turn, Turn::kComputerThinking);
  QVERIFY(!t.frame->CommandAction(Command::kSettings)->isEnabled());
}

void CommandsTest::readOnlyDirectoryDisablesRecords() {
  QTemporaryDir dir;
  QVERIFY(dir.isValid());
  // "check.dat" cannot be created: it is taken by a directory (root ignores read-only
  // permissions, a directory in the way stops everyone), and the directory is read-only too.
  QVERIFY(QDir(dir.path()).mkdir("check.dat"));
  QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
  const QString old = QDir::currentPath();
  QVERIFY(QDir::setCurrent(dir.path()));
  {
    TestApp t;
    QVERIFY(t.ps().runningFromCd);
    QVERIFY(!t.frame->CommandAction(Command::kLoadRecord)->isEnabled());
    // The end of a game shows the notice instead of the save dialog.
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

void CommandsTest::promptsOfMenuItems() {
  TestApp t;
  // Highlighting an item puts its prompt into pane 0; leaving it brings the idle text back.
  const QString idle = t.frame->PromptPane()->text();
  QAction* undo = t.frame->CommandAction(Command::kUndo);
  QStatusTipEvent tip(undo->statusTip());
  QCoreApplication::sendEvent(t.frame, &tip);
  QCOMPARE(t.frame->PromptPane()->text(), undo->statusTip());
  QStatusTipEvent none{QString()};
  QCoreApplication::sendEvent(t.frame, &none);
  QCOMPARE(t.frame->PromptPane()->text(), idle);
  // A disabled item shows its prompt too while the pointer is on it.
  QVERIFY(!undo->isEnabled());
  QMenu* menu = t.frame->menuBar()->actions().at(0)->menu();
  menu->popup(QPoint(0, 0));
  QVERIFY(QTest::qWaitForWindowExposed(menu));
  QTest::mouseMove(menu, menu->actionGeometry(undo).center());
  QCOMPARE(t.frame->PromptPane()->text(), undo->statusTip());
  menu->hide();
}

void CommandsTest::helpPageComesFromResources() {
  CHelpDlg help;
  QVERIFY(help.Html().size() > 1000);
  TestApp t;
  t.frame->HelpAction()->trigger();
  QCOMPARE(t.script.asked, std::vector<QString>{"shogi::ui::CHelpDlg"});
}

void CommandsTest::failedSaveBringsTheDialogBack_data() {
  QTest::addColumn<bool>("secondTrySaves");
  QTest::newRow("saved on the second try") << true;
  QTest::newRow("cancelled after the failure") << false;
}

void CommandsTest::failedSaveBringsTheDialogBack() {
  QFETCH(bool, secondTrySaves);
  TestApp t;
  t.script.saveRecord = true;
  t.store->failSaves = "No space left on device";
  t.ps().turn = Turn::kPlayerToMove;
  // The second dialog is cancelled when the failure stays.
  t.script.clearSaveFailureOnBox = secondTrySaves;
  int endDialogs = 0;
  t.game->SetAsk([&](QDialog& d) {
    if (qobject_cast<CGameEndDlg*>(&d) && ++endDialogs == 2 && !secondTrySaves) {
      t.script.asked.push_back(d.metaObject()->className());
      return int(QDialog::Rejected);
    }
    return t.Answer(d);
  });
  t.game->OnResign();
  const std::vector<QString> asked = {"shogi::ui::CGameEndDlg", "QMessageBox",
                                      "shogi::ui::CGameEndDlg"};
  QCOMPARE(t.script.asked, asked);
  QCOMPARE(t.script.boxes.size(), size_t(1));
  QCOMPARE(t.script.boxes[0],
           QString::fromUtf8(records::kSaveFailedText.data(), records::kSaveFailedText.size()) +
               "|No space left on device");
  QCOMPARE(t.store->saves, secondTrySaves ? 1 : 0);
  QCOMPARE(t.ps().turn, Turn::kNoGame);
}

void CommandsTest::refusedLoadIsShownInThePromptPane() {
  TestApp t;  // slot 1 holds nothing
  t.game->OnLoadRecord();
  QCOMPARE(t.ps().turn, Turn::kNoGame);
  QCOMPARE(t.frame->PromptPane()->text(),
           QString::fromUtf8(records::kLoadFailedText.data(), records::kLoadFailedText.size()));
}

void CommandsTest::probeKeepsAnExistingCheckDat() {
  QTemporaryDir dir;
  QVERIFY(dir.isValid());
  QFile probe(dir.filePath("check.dat"));
  QVERIFY(probe.open(QIODevice::WriteOnly));
  probe.write("kept");
  probe.close();
  const QString old = QDir::currentPath();
  QVERIFY(QDir::setCurrent(dir.path()));
  {
    TestApp t;
    QVERIFY(!t.ps().runningFromCd);
  }
  QDir::setCurrent(old);
  QVERIFY(probe.open(QIODevice::ReadOnly));
  QCOMPARE(probe.readAll(), QByteArray("kept"));
}

QTEST_MAIN(CommandsTest)
#include "commands_test.moc"
