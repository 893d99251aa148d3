// Whole games and the game commands: a game at "Easy" against the real computer played with
// the mouse to the end-of-game dialog, undo, resignation, loading and replaying a record,
// continuing from a replayed position, the computer's resignation, the move limit, closing
// while the computer thinks.
#include "shogi/rules/analyze.h"
#include "shogi/rules/legality.h"
#include "shogi/ui/game_texts.h"
#include "ui_test_util.h"

using namespace shogi;
using namespace shogi::ui;
using namespace shogi::ui::test;

namespace {

// Plays one legal move of the player with two clicks; the choice follows the move number.
bool ClickAMove(TestApp& t) {
  auto work = std::make_unique<GameState>();  // the rules' generated list, on a copy
  static_cast<GameHistory&>(*work) = t.gs();
  GameState& gs = *work;
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
  void replayAndContinue();
  void computerResigns_data();
  void computerResigns();
  void moveLimit_data();
  void moveLimit();
  void closingWhileTheComputerThinks();
};

void GameTest::wholeGameAtEasyWithTheMouse() {
  TestApp t;
  t.script.saveRecord = true;
  t.audio->calls.clear();
  t.game->OnNewGame();
  QCOMPARE(t.game->Music().Track(), 2);  // the level's track
  QCoreApplication::processEvents();     // the music notification of the stop
  std::vector<std::string> expected = {"stop", "clip IDSOUND_ONEGAI", "stop",
                                       "track " + t.ps().programDir + "BGM02.mid"};
  int guard = 0;
  while (t.ps().turn != Turn::kNoGame && guard++ < 400) {
    QCOMPARE(t.ps().turn, Turn::kPlayerToMove);
    const int m = t.gs().moveNumber + 1;
    QVERIFY(ClickAMove(t));
    expected.push_back("clip IDSOUND_KOMA");
    expected.push_back("read " + std::to_string(m));
    if (t.ps().turn == Turn::kNoGame) break;  // the move limit
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
  QCOMPARE(t.audio->calls, expected);
  QCOMPARE(t.script.asked.back(), QString("shogi::ui::CGameEndDlg"));
  const QString message = t.script.messages.back();
  QVERIFY2(message == ComputerWonMessage() || message == ComputerLostMessage(t.gs().moveNumber) ||
               message == MoveLimitMessage(),
           qPrintable(message));
  QCOMPARE(t.store->saves, 1);
  QCOMPARE(int(t.store->records[1].moves.size()), t.gs().moveNumber);
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
  for (int f = 0; f < 9; ++f)
    for (int r = 0; r < 9; ++r) QCOMPARE(t.view->ShownOwner(f, r), before.Owner(f, r));
  // Undo with no two moves keeps the position but still sounds.
  if (pairs == 1) {
    t.game->OnUndo();
    QCOMPARE(t.gs().moveNumber, 0);
    QCOMPARE(t.Clips().back(), std::string("clip IDSOUND_MATTA"));
  }
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
  // Right steps forward, left steps back.
  for (int m = 1; m <= 8; ++m) {
    t.Click(anywhere, Qt::RightButton);
    QCOMPARE(t.gs().moveNumber, m);
    QVERIFY(t.gs().snapshot[m] == positions[m]);
  }
  for (int m = 7; m >= 5; --m) {
    t.Click(anywhere);
    QCOMPARE(t.gs().moveNumber, m);
  }
  // Continue at move 5 (firstMover 1, odd): the computer is to move.
  t.game->OnContinue();
  QCOMPARE(t.ps().turn, Turn::kComputerThinking);
  QVERIFY(t.FinishComputer());  // the thinking thread may move moveNumber about until then
  QCOMPARE(t.gs().moveNumber, 6);
  QCOMPARE(t.ps().turn, Turn::kPlayerToMove);
}

void GameTest::computerResigns_data() {
  QTest::addColumn<int>("moves");
  QTest::addColumn<QString>("message");
  // The computer's move number; the game goes back to the move before it.
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
  GameHistory& gs = t.gs();
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
