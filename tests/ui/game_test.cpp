// Whole games and the game commands: a game at "Easy" against the real computer played with
// the mouse to the end-of-game dialog, undo, resignation, loading and replaying a record with
// the two buttons and the auto-repeat, continuing from a replayed position, the computer's
// resignation, the move limit, settings and music.
#include <QMouseEvent>

#include "shogi/rules/analyze.h"
#include "shogi/rules/legality.h"
#include "shogi/ui/game_texts.h"
#include "shogi/ui/move_checks.h"
#include "ui_test_util.h"

using namespace shogi;
using namespace shogi::ui;
using namespace shogi::ui::test;

namespace {

// Plays one legal move of the player with two clicks; the choice follows the move number.
bool ClickAMove(TestApp& t) {
  GameState& gs = t.gs();
  AnalyzeMoves(gs, gs.Current(), gs.playerSide, 0);
  std::vector<MoveRec> legal;
  for (int i = 0; i < gs.moveListCount; ++i) {
    const MoveEntry& e = gs.moveList[i];
    if (e.illegal == 1) continue;
    Position after = gs.Current();
    ApplyMove(after, e.move, kPlayerSide);
    if (KingInCheck(after, kPlayerSide)) continue;
    legal.push_back(e.move);
  }
  if (legal.empty()) return false;
  const MoveRec m = legal[(gs.moveNumber * 7 + 3) % legal.size()];
  if (m.dropKind > 0)
    t.Click(HandSlot(1, m.dropKind) + QPoint(12, 12));
  else
    t.Click(TestApp::CellCentre(m.fromFile, m.fromRank));
  if (t.ps().turn != Turn::kPieceHeld) return false;
  t.Click(TestApp::CellCentre(m.toFile, m.toRank));
  return true;
}

// Makes the computer's answer without a thread: move m and the result, committed and handed
// to the controller as the timer does with a think's.
void FakeComputerMove(TestApp& t, const MoveRec& m, int result) {
  ThinkResult think;
  think.move = m;
  think.gameResult = result;
  CommitComputerMove(t.gs(), think);
  t.ps().turn = Turn::kComputerThinking;
  t.game->OnComputerMove(think);
}

}  // namespace

class GameTest : public QObject {
  Q_OBJECT
 private slots:
  void wholeGameAtEasyWithTheMouse();
  void undoTakesBackTwoMoves_data();
  void undoTakesBackTwoMoves();
  void resignSavesTheRecord();
  void replayAndContinue();
  void autoRepeat_data();
  void autoRepeat();
  void computerResigns_data();
  void computerResigns();
  void checkIsAnnounced();
  void moveLimit_data();
  void moveLimit();
  void newGameWithTheComputerFirst();
  void cancelledNewGameChangesNothing();
  void settingsAndMusic();
  void closingWhileTheComputerThinks();
};

void GameTest::wholeGameAtEasyWithTheMouse() {
  TestApp t;
  t.script.level = "Easy";
  t.script.saveRecord = true;
  t.audio->calls.clear();
  t.game->OnNewGame();
  QCOMPARE(t.gs().level, 1);
  QCOMPARE(t.game->Music().Track(), 2);
  QCoreApplication::processEvents();  // the music notification of the stop
  std::vector<std::string> expected = {"stop", "clip IDSOUND_ONEGAI", "stop",
                                       "track " + t.ps().programDir + "BGM02.mid"};
  int guard = 0;
  while (t.ps().turn != Turn::kNoGame && guard++ < 400) {
    QCOMPARE(t.ps().turn, Turn::kPlayerToMove);
    const int m = t.gs().moveNumber + 1;
    QVERIFY(ClickAMove(t));
    expected.push_back("clip IDSOUND_KOMA");
    expected.push_back("read " + std::to_string(m));
    if (t.ps().turn == Turn::kNoGame) {  // the move limit
      break;
    }
    QCOMPARE(t.ps().turn, Turn::kComputerThinking);
    QVERIFY(t.FinishComputer());
    const int result = t.gs().gameResult;
    if (result == 1) {
      expected.push_back("clip IDSOUND_MAKE");
      break;
    }
    expected.push_back("clip IDSOUND_KOMA");
    if (result == 2) {
      expected.push_back("clip IDSOUND_THANKS");
      break;
    }
    if (t.ps().turn == Turn::kNoGame) break;  // the move limit after the computer's move
    expected.push_back("read " + std::to_string(t.gs().moveNumber));
    if (KingInCheck(t.gs().Current(), kPlayerSide)) expected.push_back("clip IDSOUND_OUTE");
  }
  QCOMPARE(t.ps().turn, Turn::kNoGame);
  auto join = [](const std::vector<std::string>& v) {
    QStringList l;
    for (const std::string& s : v) l << QString::fromStdString(s);
    return l.join('|');
  };
  QCOMPARE(join(t.audio->calls), join(expected));
  QCOMPARE(t.script.asked.back(), QString("shogi::ui::CGameEndDlg"));
  const QString message = t.script.messages.back();
  QVERIFY2(message == ComputerWonMessage() || message == ComputerLostMessage(t.gs().moveNumber) ||
               message == MoveLimitMessage(),
           qPrintable(message));
  QCOMPARE(t.store->saves, 1);
  QCOMPARE(int(t.store->records[1].moves.size()), t.gs().moveNumber);
  QVERIFY(t.frame->CommandAction(Command::kNewGame)->isEnabled());
}

void GameTest::undoTakesBackTwoMoves_data() {
  QTest::addColumn<int>("pairs");
  QTest::newRow("after the first answer") << 1;
  QTest::newRow("after three answers") << 3;
}

void GameTest::undoTakesBackTwoMoves() {
  QFETCH(int, pairs);
  TestApp t;
  t.game->OnNewGame();
  for (int i = 0; i < pairs; ++i) {
    QVERIFY(ClickAMove(t));
    QVERIFY(t.FinishComputer());
  }
  const Position before = t.gs().snapshot[2 * pairs - 2];
  t.audio->calls.clear();
  t.game->OnUndo();
  QCOMPARE(t.Clips().front(), std::string("clip IDSOUND_MATTA"));
  QCOMPARE(t.gs().moveNumber, 2 * pairs - 2);
  QCOMPARE(t.ps().turn, Turn::kPlayerToMove);
  QCOMPARE(t.gs().gameResult, 0);
  for (int f = 0; f < 9; ++f)
    for (int r = 0; r < 9; ++r) QCOMPARE(t.view->ShownOwner(f, r), before.Owner(f, r));
  // Undo with no two moves keeps the position but still sounds.
  if (pairs == 1) {
    t.game->OnUndo();
    QCOMPARE(t.gs().moveNumber, 0);
    QCOMPARE(t.Clips().back(), std::string("clip IDSOUND_MATTA"));
  }
}

void GameTest::resignSavesTheRecord() {
  TestApp t;
  t.script.saveRecord = true;
  t.script.slot = QString::fromUtf8("セーブデータ③");
  t.game->OnNewGame();
  QVERIFY(ClickAMove(t));
  QVERIFY(t.FinishComputer());
  t.audio->calls.clear();
  t.game->OnResign();
  QCOMPARE(t.Clips(), (std::vector<std::string>{"clip IDSOUND_THANKS"}));
  QCOMPARE(t.script.messages.back(), QString::fromUtf8("コンピュータが勝ちました"));
  QCOMPARE(t.ps().turn, Turn::kNoGame);
  QVERIFY(t.store->records[3].used);
  QCOMPARE(int(t.store->records[3].moves.size()), 2);
  QVERIFY(!t.store->records[1].used);
  // Cancelling the dialog writes nothing.
  TestApp u;
  u.game->OnNewGame();
  u.game->OnResign();
  QCOMPARE(u.store->saves, 0);
  QCOMPARE(u.ps().turn, Turn::kNoGame);
}

void GameTest::replayAndContinue() {
  TestApp t;
  t.script.saveRecord = true;
  t.game->OnNewGame();
  for (int i = 0; i < 4; ++i) {
    QVERIFY(ClickAMove(t));
    QVERIFY(t.FinishComputer());
  }
  std::vector<Position> positions(t.gs().snapshot.begin(), t.gs().snapshot.begin() + 9);
  t.game->OnResign();
  t.game->OnLoadRecord();
  QCOMPARE(t.ps().turn, Turn::kReplay);
  QCOMPARE(t.ps().replayLastMove, 8);
  QCOMPARE(t.gs().moveNumber, 0);
  QVERIFY(t.frame->CommandAction(Command::kContinue)->isEnabled());
  const QPoint anywhere(300, 200);
  // Right steps forward, left steps back; double-clicks repeat the step.
  for (int m = 1; m <= 8; ++m) {
    t.Click(anywhere, Qt::RightButton);
    QCOMPARE(t.gs().moveNumber, m);
    QVERIFY(t.gs().snapshot[m] == positions[m]);
  }
  t.Click(anywhere, Qt::RightButton);  // at the last move nothing changes, no repeat armed
  QCOMPARE(t.gs().moveNumber, 8);
  QCOMPARE(t.ps().replayRepeat, Repeat::kNone);
  t.Click(anywhere);
  QCOMPARE(t.gs().moveNumber, 7);
  // A quick second press arrives as a double-click, which steps as the press does.
  QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(anywhere),
                  t.view->mapToGlobal(QPointF(anywhere)), Qt::LeftButton, Qt::LeftButton,
                  Qt::NoModifier);
  QCoreApplication::sendEvent(t.view, &dbl);
  QCOMPARE(t.gs().moveNumber, 6);
  t.Click(anywhere);
  QCOMPARE(t.gs().moveNumber, 5);
  int kinds[9][10] = {};
  for (int f = 0; f < 9; ++f)
    for (int r = 0; r < 9; ++r) kinds[f][r] = positions[5].KindAt(f, r);
  QCOMPARE(t.view->LastMoveTextShown(), LastMoveText(t.gs(), 5, kinds));
  // Continue at move 5 (firstMover 1, odd): the computer is to move.
  t.game->OnContinue();
  QCOMPARE(t.ps().turn, Turn::kComputerThinking);
  QVERIFY(t.FinishComputer());  // the thinking thread may move moveNumber about until then
  QCOMPARE(t.gs().moveNumber, 6);
  QCOMPARE(t.ps().turn, Turn::kPlayerToMove);
  // After an even number of moves the player moves (the player moved first), and the other
  // way round when the computer moved first.
  QVERIFY(PlayerToMoveAfter(1, 4) && !PlayerToMoveAfter(1, 5));
  QVERIFY(!PlayerToMoveAfter(2, 4) && PlayerToMoveAfter(2, 5));
}

void GameTest::autoRepeat_data() {
  QTest::addColumn<bool>("forward");
  QTest::newRow("right button held") << true;
  QTest::newRow("left button held") << false;
}

void GameTest::autoRepeat() {
  QFETCH(bool, forward);
  TestApp t;
  MemoryRecordStore::Record rec;
  rec.used = true;
  // A record of 40 moves: the two sides' pawns and kings walking back and forth.
  for (int i = 0; i < 20; ++i) {
    rec.moves.push_back(i % 2 == 0 ? MoveRec{4, 8, 4, 7, 0, 0} : MoveRec{4, 7, 4, 8, 0, 0});
    rec.moves.push_back(i % 2 == 0 ? MoveRec{4, 0, 4, 1, 0, 0} : MoveRec{4, 1, 4, 0, 0, 0});
  }
  t.store->records[1] = rec;
  t.game->OnLoadRecord();
  QCOMPARE(t.ps().replayLastMove, 40);
  const QPoint at(300, 200);
  if (!forward)
    for (int i = 0; i < 30; ++i) t.Click(at, Qt::RightButton);
  const int start = t.gs().moveNumber;
  const int dir = forward ? 1 : -1;
  const Qt::MouseButton button = forward ? Qt::RightButton : Qt::LeftButton;
  QTest::mousePress(t.view, button, {}, at);
  QCOMPARE(t.gs().moveNumber, start + dir);  // one step at the press
  for (int i = 1; i <= 14; ++i) t.Tick();
  QCOMPARE(t.gs().moveNumber, start + dir);  // none for the next 14 ticks
  t.Tick();
  QCOMPARE(t.gs().moveNumber, start + 2 * dir);  // the 15th tick steps
  for (int i = 0; i < 5; ++i) t.Tick();
  QCOMPARE(t.gs().moveNumber, start + 7 * dir);  // then one step every tick
  QTest::mouseRelease(t.view, button, {}, at);
  QCOMPARE(t.ps().replayRepeat, Repeat::kNone);
  for (int i = 0; i < 30; ++i) t.Tick();
  QCOMPARE(t.gs().moveNumber, start + 7 * dir);
  // Held to the end, the steps stop at the record's ends.
  QTest::mousePress(t.view, button, {}, at);
  for (int i = 0; i < 60; ++i) t.Tick();
  QCOMPARE(t.gs().moveNumber, forward ? 40 : 0);
  QTest::mouseRelease(t.view, button, {}, at);
}

void GameTest::computerResigns_data() {
  QTest::addColumn<int>("moves");
  QTest::addColumn<QString>("message");
  // The computer's move number; the game goes back to the move before it.
  QTest::newRow("move 40") << 40 << QString::fromUtf8("ひどい将棋ですみません");
  QTest::newRow("move 60") << 60 << QString::fromUtf8("ひどい将棋ですみません");
  QTest::newRow("move 61") << 61 << QString::fromUtf8("負けました");
}

void GameTest::computerResigns() {
  QFETCH(int, moves);
  QFETCH(QString, message);
  TestApp t;
  t.game->OnNewGame();
  t.gs().moveNumber = moves - 1;
  for (int m = 1; m < moves; ++m) t.gs().snapshot[m] = t.gs().snapshot[0];
  t.audio->calls.clear();
  FakeComputerMove(t, {}, 1);
  t.Tick();
  QCOMPARE(t.gs().moveNumber, moves - 1);
  QCOMPARE(t.script.messages.back(), message);
  QCOMPARE(t.Clips(), (std::vector<std::string>{"clip IDSOUND_MAKE"}));
  QCOMPARE(t.ps().turn, Turn::kNoGame);
}

void GameTest::checkIsAnnounced() {
  TestApp t;
  t.game->OnNewGame();
  // The computer's gold lands in front of the player's king.
  Position p;
  p.Set(4, 8, 1, kKing);
  p.Set(4, 0, 2, kKing);
  p.Set(4, 6, 2, kGold);
  t.gs().snapshot[0] = p;
  t.audio->calls.clear();
  FakeComputerMove(t, {4, 6, 4, 7, 0, 0}, 0);
  t.Tick();
  QCOMPARE(t.ps().turn, Turn::kPlayerToMove);
  QCOMPARE(t.Clips(),
           (std::vector<std::string>{"clip IDSOUND_KOMA", "read 1", "clip IDSOUND_OUTE"}));
  // No check, no announcement.
  t.gs().snapshot[1] = p;
  t.audio->calls.clear();
  FakeComputerMove(t, {4, 6, 3, 6, 0, 0}, 0);
  t.Tick();
  QCOMPARE(t.Clips(), (std::vector<std::string>{"clip IDSOUND_KOMA", "read 2"}));
}

void GameTest::moveLimit_data() {
  QTest::addColumn<bool>("byThePlayer");
  QTest::newRow("the player's move") << true;
  QTest::newRow("the computer's move") << false;
}

// 298 moves made; the next move is the 299th and last.
void GameTest::moveLimit() {
  QFETCH(bool, byThePlayer);
  TestApp t;
  t.game->OnNewGame();
  GameState& gs = t.gs();
  gs.moveNumber = kMaxMoves - 1;
  gs.snapshot[gs.moveNumber] = StartPosition();
  t.view->RefreshViewPosition();
  if (byThePlayer) {
    t.Click(TestApp::CellCentre(2, 6));
    t.Click(TestApp::CellCentre(2, 5));
  } else {
    FakeComputerMove(t, {2, 2, 2, 3, 0, 0}, 0);
    t.Tick();
  }
  QCOMPARE(gs.moveNumber, kMaxMoves);
  QCOMPARE(t.ps().turn, Turn::kNoGame);
  QCOMPARE(t.script.messages.back(), MoveLimitMessage());
  QVERIFY(!t.ps().computer->Thinking());
  QVERIFY(!t.ps().computerStartPending);
}

void GameTest::newGameWithTheComputerFirst() {
  TestApp t;
  t.script.firstPlayer = 1;
  t.script.level = "Normal";
  t.audio->calls.clear();
  t.game->OnNewGame();
  QCOMPARE(t.gs().firstMover, 2);
  QCOMPARE(t.gs().level, 2);
  QCOMPARE(t.game->Music().Track(), 3);
  QCOMPARE(t.ps().turn, Turn::kComputerThinking);
  QVERIFY(std::find(t.audio->calls.begin(), t.audio->calls.end(), "clip IDSOUND_ONEGAI") !=
          t.audio->calls.end());
  QCOMPARE(t.view->FramedMove(), 0);  // no frame on a move that does not exist yet
  QVERIFY(t.FinishComputer());
  QCOMPARE(t.ps().turn, Turn::kPlayerToMove);
  QCOMPARE(t.gs().moveNumber, 1);
  QCOMPARE(t.view->LastMoveTextShown().left(1), QString::fromUtf8("▼"));
}

void GameTest::cancelledNewGameChangesNothing() {
  TestApp t;
  t.game->OnNewGame();
  QVERIFY(ClickAMove(t));
  QVERIFY(t.FinishComputer());
  t.game->OnResign();
  t.script.newGameOk = false;
  t.game->OnNewGame();
  QCOMPARE(t.ps().turn, Turn::kNoGame);
  QCOMPARE(t.gs().moveNumber, 2);
}

void GameTest::settingsAndMusic() {
  TestApp t;
  QCOMPARE(t.audio->calls, (std::vector<std::string>{"opening BGM00.mid"}));
  t.audio->calls.clear();
  // Music off: the device is closed and stays silent.
  t.script.settings[1] = 0;
  t.game->OnSettings();
  QCOMPARE(t.game->Music().Track(), 0);
  QCoreApplication::processEvents();
  QCOMPARE(t.audio->calls, (std::vector<std::string>{"stop", "stop"}));
  QVERIFY(!t.audio->MusicPlaying());
  // On again: the track of the current level (level 1 -> track 2), not track 1.
  t.audio->calls.clear();
  t.script.settings[1] = 1;
  t.game->OnSettings();
  QCOMPARE(t.game->Music().Track(), 2);
  QCOMPARE(t.audio->calls, (std::vector<std::string>{"track " + t.ps().programDir + "BGM02.mid"}));
  // The piece ends: the notification plays the same track again.
  t.audio->calls.clear();
  t.audio->EndPiece();
  QCoreApplication::processEvents();
  QCOMPARE(t.audio->calls,
           (std::vector<std::string>{"stop", "track " + t.ps().programDir + "BGM02.mid"}));
  // Cancel changes nothing.
  t.script.settingsOk = false;
  t.script.settings[0] = 0;
  t.game->OnSettings();
  QVERIFY(t.ps().soundOn);
  QCOMPARE(t.game->Music().Track(), 2);
  // Sound off and read-out off: a move is silent.
  t.script.settingsOk = true;
  t.script.settings[0] = 0;
  t.script.settings[4] = 0;
  t.game->OnSettings();
  t.game->OnNewGame();
  t.audio->calls.clear();
  QVERIFY(ClickAMove(t));
  QVERIFY(t.FinishComputer());
  for (const std::string& c : t.audio->calls)
    QVERIFY2(c.rfind("clip", 0) != 0 && c.rfind("read", 0) != 0, c.c_str());
}

void GameTest::closingWhileTheComputerThinks() {
  auto t = std::make_unique<TestApp>();
  t->script.firstPlayer = 1;
  t->script.level = "Normal";
  t->game->OnNewGame();
  QCOMPARE(t->ps().turn, Turn::kComputerThinking);
  t->frame->close();
  t.reset();  // joins the thinking thread; nothing is left running
}

QTEST_MAIN(GameTest)
#include "game_test.moc"
