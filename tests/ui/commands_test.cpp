// The window: command enablement by turn, a read-only directory, menus and prompts, the
// fixed size, the dialogs' texts and sizes, failed saves and loads.
#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QWindow>

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
  void readOnlyDirectoryDisablesLoading_data();
  void readOnlyDirectoryDisablesLoading();
  void menusAndPrompts_data();
  void menusAndPrompts();
  void windowKeepsItsSize();
  void newGameDialogOffersEasyAndNormal();
  void dialogTexts();
  void titleAfterInitialUpdate();
  void helpPageComesFromResources();
  void failedSaveBringsTheDialogBack_data();
  void failedSaveBringsTheDialogBack();
  void refusedLoadIsShownInThePromptPane();
  void probeKeepsAnExistingCheckDat();
  void dialogsKeepTheirSizeAndBlankTitles();
  void windowDetails();
};

void CommandsTest::enablementByTurn_data() {
  QTest::addColumn<int>("turn");
  QTest::addColumn<int>("cd");
  QTest::addColumn<QString>("expected");  // new, undo, resign, settings, load, continue
  QTest::newRow("no game") << 0 << 0 << "100110";
  QTest::newRow("player to move") << 1 << 0 << "011100";
  QTest::newRow("computer thinks") << 2 << 0 << "000000";
  QTest::newRow("piece held") << 3 << 0 << "000000";
  QTest::newRow("replay") << 4 << 0 << "100001";
  QTest::newRow("no game, read-only") << 0 << 1 << "100100";
  QTest::newRow("player, read-only") << 1 << 1 << "011100";
  QTest::newRow("replay, read-only") << 4 << 1 << "100001";
}

void CommandsTest::enablementByTurn() {
  QFETCH(int, turn);
  QFETCH(int, cd);
  QFETCH(QString, expected);
  TestApp t;
  t.ps().turn = static_cast<Turn>(turn);
  t.ps().runningFromCd = cd != 0;
  t.frame->UpdateCommands();
  const Command order[6] = {Command::kNewGame,  Command::kUndo,       Command::kResign,
                            Command::kSettings, Command::kLoadRecord, Command::kContinue};
  QString got;
  for (Command c : order) got += t.frame->CommandAction(c)->isEnabled() ? '1' : '0';
  QCOMPARE(got, expected);
}

void CommandsTest::enablementFollowsPlay() {
  TestApp t;
  t.audio->busyClips = 1;  // the computer does not start: the state after the move stays
  QVERIFY(t.frame->CommandAction(Command::kNewGame)->isEnabled());
  t.view->OnNewGame();
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

void CommandsTest::readOnlyDirectoryDisablesLoading_data() {
  QTest::addColumn<int>("turn");
  for (int turn = 0; turn <= 4; ++turn) QTest::addRow("turn %d", turn) << turn;
}

void CommandsTest::readOnlyDirectoryDisablesLoading() {
  QFETCH(int, turn);
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
    t.ps().turn = static_cast<Turn>(turn);
    t.frame->UpdateCommands();
    QVERIFY(!t.frame->CommandAction(Command::kLoadRecord)->isEnabled());
    if (turn == 1) {
      // The end of a game shows the notice instead of the save dialog.
      t.view->OnResign();
      QCOMPARE(t.script.asked.back(), QString("shogi::ui::CCdRomNoticeDlg"));
      QCOMPARE(t.script.messages.back(), QString::fromUtf8("コンピュータが勝ちました"));
      QCOMPARE(t.store->saves, 0);
    }
  }
  QDir::setCurrent(old);
  QFile::setPermissions(dir.path(),
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void CommandsTest::menusAndPrompts_data() {
  QTest::addColumn<QString>("menu");
  QTest::addColumn<QString>("item");
  QTest::addColumn<QString>("prompt");
  auto row = [](const char* m, const char* i, const char* p) {
    QTest::newRow(i) << QString::fromUtf8(m) << QString::fromUtf8(i) << QString::fromUtf8(p);
  };
  row("対局(&G)", "新規対局(&N)", "新規に対局を始めます");
  row("対局(&G)", "待った", "待ったをします");
  row("対局(&G)", "投了", "投了します");
  row("対局(&G)", "終了(&X)", "アプリケーションを終了します");
  row("棋譜(&F)", "棋譜読込(&O)", "棋譜の読み込みを行います");
  row("棋譜(&F)", "指し継ぎ", "現在の局面から指し継ぎます");
  row("設定(&E)", "各種設定(&C)", "各種設定を行います");
  row("ﾍﾙﾌﾟ(&H)", "ﾄﾋﾟｯｸの検索(&H)", "ヘルプ トピックの一覧を表示します");
  row("ﾍﾙﾌﾟ(&H)", "ﾊﾞｰｼﾞｮﾝ情報", "ﾊﾞｰｼﾞｮﾝ情報を表示します");
}

void CommandsTest::menusAndPrompts() {
  QFETCH(QString, menu);
  QFETCH(QString, item);
  QFETCH(QString, prompt);
  TestApp t;
  QAction* found = nullptr;
  for (QAction* m : t.frame->menuBar()->actions()) {
    if (m->text() != menu) continue;
    for (QAction* a : m->menu()->actions())
      if (a->text() == item) found = a;
  }
  QVERIFY2(found, qPrintable(item));
  QCOMPARE(found->statusTip(), prompt);
  // Highlighting the item puts its prompt into pane 0; leaving it brings the idle text back.
  QStatusTipEvent tip(prompt);
  QCoreApplication::sendEvent(t.frame, &tip);
  QCOMPARE(t.frame->PromptPane()->text(), prompt);
  QStatusTipEvent none{QString()};
  QCoreApplication::sendEvent(t.frame, &none);
  QCOMPARE(t.frame->PromptPane()->text(), QString::fromUtf8("ﾚﾃﾞｨ"));
  // Pane 1 is not touched by prompts.
  QCOMPARE(t.frame->ProgressPane()->text(), QString::fromUtf8("□□□□□□□□□□"));
}

void CommandsTest::windowKeepsItsSize() {
  TestApp t;
  QCoreApplication::processEvents();
  QCOMPARE(t.view->size(), QSize(696, 440));
  QCOMPARE(t.frame->minimumSize(), t.frame->maximumSize());
  QVERIFY(!(t.frame->windowFlags() & Qt::WindowMaximizeButtonHint));
  t.frame->resize(2000, 2000);
  QCoreApplication::processEvents();
  QVERIFY(t.frame->width() < 2000);
  QCOMPARE(t.view->size(), QSize(696, 440));
}

void CommandsTest::newGameDialogOffersEasyAndNormal() {
  CNewGameDlg dlg;
  auto* level = dlg.findChild<QComboBox*>("1003");
  QCOMPARE(level->count(), 2);
  QCOMPARE(level->itemText(0), QString("Easy"));
  QCOMPARE(level->itemText(1), QString("Normal"));
  QCOMPARE(dlg.windowTitle(), QString::fromUtf8("新規対局"));
  QCOMPARE(dlg.firstPlayer, -1);
  QCOMPARE(dlg.bookChoice, -1);
  dlg.Exchange(false);
  QVERIFY(!dlg.findChild<QAbstractButton*>("1004")->isChecked());
  QVERIFY(!dlg.findChild<QAbstractButton*>("1005")->isChecked());
}

void CommandsTest::dialogTexts() {
  CPromoteDlg promote;
  QCOMPARE(promote.findChild<QAbstractButton*>("IDOK")->text(), QString::fromUtf8("成"));
  QCOMPARE(promote.findChild<QAbstractButton*>("IDCANCEL")->text(), QString::fromUtf8("不　成"));
  bool heading = false;
  for (QLabel* l : promote.findChildren<QLabel*>())
    heading = heading || l->text() == QString::fromUtf8("■■　成りますか？　■■");
  QVERIFY(heading);
  CGameEndDlg end;
  auto* slotBox = end.findChild<QComboBox*>("1003");
  QCOMPARE(slotBox->count(), 5);
  QCOMPARE(slotBox->itemText(0), QString::fromUtf8("セーブデータ①"));
  QCOMPARE(slotBox->itemText(4), QString::fromUtf8("セーブデータ⑤"));
  QCOMPARE(end.findChild<QAbstractButton*>("IDOK")->text(), QString::fromUtf8("保存"));
  CSettingsDlg settings;
  QCOMPARE(settings.windowTitle(), QString::fromUtf8("各種設定"));
  QCOMPARE(settings.findChild<QAbstractButton*>("1015")->text(), QString::fromUtf8("棋譜読み上げ"));
  CLoadRecordDlg load;
  QCOMPARE(load.windowTitle(), QString::fromUtf8("棋譜読込"));
  QCOMPARE(load.findChild<QAbstractButton*>("IDOK")->text(), QString::fromUtf8("読込"));
}

void CommandsTest::titleAfterInitialUpdate() {
  TestApp t;
  QCOMPARE(t.frame->windowTitle(), QString::fromUtf8("ホロメア版 - Shogi"));
  QCOMPARE(t.audio->calls.front(), std::string("opening BGM00.mid"));
}

void CommandsTest::helpPageComesFromResources() {
  CHelpDlg help;
  QVERIFY(help.Html().contains(QString::fromUtf8("成りますか")));
  QVERIFY(help.Html().contains(QString::fromUtf8("右ボタン")));
  TestApp t;
  t.frame->HelpAction()->trigger();
  QCOMPARE(t.script.asked.back(), QString("shogi::ui::CHelpDlg"));
  // F1 opens it from the window; the menu shows the item's text alone.
  QVERIFY(t.frame->HelpAction()->shortcut().isEmpty());
  bool f1 = false;
  for (QAction* a : t.frame->actions())
    f1 = f1 || a->shortcuts().contains(QKeySequence(Qt::Key_F1));
  QVERIFY(f1);
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
  t.view->SetAsk([&](QDialog& d) {
    if (qobject_cast<CGameEndDlg*>(&d) && ++endDialogs == 2 && !secondTrySaves) {
      t.script.asked.push_back(d.metaObject()->className());
      return int(QDialog::Rejected);
    }
    return t.Answer(d);
  });
  t.view->OnResign();
  const std::vector<QString> asked = {"shogi::ui::CGameEndDlg", "QMessageBox",
                                      "shogi::ui::CGameEndDlg"};
  QCOMPARE(t.script.asked, asked);
  QCOMPARE(t.script.boxes.size(), size_t(1));
  QCOMPARE(t.script.boxes[0],
           QString::fromUtf8("棋譜ファイルを保存できません|No space left on device"));
  QCOMPARE(t.store->saves, secondTrySaves ? 1 : 0);
  QCOMPARE(t.ps().turn, Turn::kNoGame);
}

void CommandsTest::refusedLoadIsShownInThePromptPane() {
  TestApp t;  // slot 1 holds nothing
  t.view->OnLoadRecord();
  QCOMPARE(t.ps().turn, Turn::kNoGame);
  QCOMPARE(t.frame->PromptPane()->text(), QString::fromUtf8("棋譜ファイルを読み込めません"));
  QStatusTipEvent none{QString()};
  QCoreApplication::sendEvent(t.frame, &none);
  QCOMPARE(t.frame->PromptPane()->text(), QString::fromUtf8("ﾚﾃﾞｨ"));
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

void CommandsTest::dialogsKeepTheirSizeAndBlankTitles() {
  CGameEndDlg end;
  CPromoteDlg promote;
  CCdRomNoticeDlg notice;
  CSettingsDlg settings;
  CLoadRecordDlg load;
  CNewGameDlg newGame;
  CAboutDlg about;
  const struct {
    QDialog* dialog;
    bool untitled;
  } dialogs[] = {{&end, true},   {&promote, true},  {&notice, true}, {&settings, false},
                 {&load, false}, {&newGame, false}, {&about, false}};
  for (const auto& d : dialogs) {
    d.dialog->show();
    QCoreApplication::processEvents();
    const QString name = d.dialog->metaObject()->className();
    QVERIFY2(d.dialog->minimumSize() == d.dialog->maximumSize(), qPrintable(name));
    QVERIFY2(!d.dialog->isSizeGripEnabled(), qPrintable(name));
    // Blank, not empty: an empty title would become the program's name.
    if (d.untitled) QCOMPARE(d.dialog->windowHandle()->title(), QString(" "));
    d.dialog->hide();
  }
  // The message fields show text only, on the dialog's face.
  auto* field = end.findChild<QLineEdit*>("1009");
  QVERIFY(field->isReadOnly());
  QCOMPARE(field->palette().color(QPalette::Base), end.palette().color(QPalette::Window));
}

void CommandsTest::windowDetails() {
  TestApp t;
  QVERIFY(!t.frame->statusBar()->isSizeGripEnabled());
  // Qt's own texts in Japanese.
  QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"),
           QString::fromUtf8("キャンセル"));
  // A disabled item shows its prompt while the pointer is on it.
  QAction* undo = t.frame->CommandAction(Command::kUndo);
  QVERIFY(!undo->isEnabled());
  QMenu* menu = t.frame->menuBar()->actions().at(0)->menu();
  menu->popup(QPoint(0, 0));
  QVERIFY(QTest::qWaitForWindowExposed(menu));
  QTest::mouseMove(menu, menu->actionGeometry(undo).center());
  QCOMPARE(t.frame->PromptPane()->text(), QString::fromUtf8("待ったをします"));
  menu->hide();
  // Without X11 the lock panes stay grey.
  for (int i = 0; i < 4; ++i) QVERIFY(!t.frame->Indicator(i)->isEnabled());
}

QTEST_MAIN(CommandsTest)
#include "commands_test.moc"
