// Whole games: one at "Easy" against the real computer, played with the mouse to the end-of-game
// dialog; undo; a saved game loaded, replayed and continued; the computer's resignation; the
// move limit; closing while the computer thinks.
#include "shogi/rules/legality.h"
#include "shogi/ui/game_texts.h"
#include "ui_test_util.h"

namespace {

// Plays one legal move of the player with two clicks; the choice follows the move number.
bool ClickAMove(TestApp& t) {
  const std::vector<MoveRec> legal = LegalMoves(t.gs().Current(), kPlayerSide);
  if (legal.empty()) return false;
  const MoveRec m = legal[(t.gs().moveNumber * 7 + 3) % legal.size()];
  t.Click(m.dropKind > 0 ? HandSlot(1, m.dropKind) + QPoint(12, 12)
                         : TestApp::CellCentre(m.fromFile, m.fromRank));
  if (t.ps().turn != Turn::kPieceHeld) return false;
  t.Click(TestApp::CellCentre(m.toFile, m.toRank));
  return true;
}

// Makes the computer's answer without a thread: move m and the result, committed and handed
// to the controller as the timer does with a think's.
void FakeComputerMove(TestApp& t, const MoveRec& m, int result) {
  ThinkResult think{.move = m, .gameResult = result};
  CommitComputerMove(t.gs(), think);
  t.ps().turn = Turn::kComputerThinking;
  t.game->OnComputerMove(think);
}

}  // namespace

class GameTest : public QObject {
  Q_OBJECT
 private slots:
  void wholeGameAtEasyWithTheMouse() {
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
      const int result = t.gs().gameResult;  // 1: the computer resigned, 2: it mated
      expected.push_back(result == 1 ? "clip IDSOUND_MAKE" : "clip IDSOUND_KOMA");
      if (result == 2) expected.push_back("clip IDSOUND_THANKS");
      if (result == 1 || result == 2 || t.ps().turn == Turn::kNoGame) break;  // or the limit
      expected.push_back("read " + std::to_string(t.gs().moveNumber));
      if (KingInCheck(t.gs().Current(), kPlayerSide)) expected.push_back("clip IDSOUND_OUTE");
    }
    QCOMPARE(t.ps().turn, Turn::kNoGame);
    QCOMPARE(t.audio->calls, expected);
    const QString message = t.script.messages.back();
    QVERIFY2(message == ComputerWonMessage() || message == ComputerLostMessage(t.gs().moveNumber) ||
                 message == MoveLimitMessage(),
             qPrintable(message));
    QCOMPARE(t.store->saves, 1);
    QCOMPARE(int(t.store->records[1].moves.size()), t.gs().moveNumber);
  }

  // Undo takes back the computer's answer and the player's move; with no two moves left it
  // keeps the position but still sounds.
  void undoTakesBackTwoMoves() {
    TestApp t;
    t.game->OnNewGame();
    for (int i = 0; i < 2; ++i) {
      QVERIFY(ClickAMove(t));
      QVERIFY(t.FinishComputer());
    }
    const std::vector<Position> before(t.gs().snapshot.begin(), t.gs().snapshot.begin() + 3);
    for (int m : {2, 0, 0}) {
      t.audio->calls.clear();
      t.game->OnUndo();
      QCOMPARE(t.Clips().front(), std::string("clip IDSOUND_MATTA"));
      QCOMPARE(t.gs().moveNumber, m);
      QCOMPARE(t.ps().turn, Turn::kPlayerToMove);
      for (int i = 0; i < 81; ++i)
        QCOMPARE(t.view->ShownOwner(i / 9, i % 9), before[m].Owner(i / 9, i % 9));
    }
  }

  void replayAndContinue() {
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
    // Right steps forward, left steps back.
    for (int m = 1; m <= 8; ++m) {
      t.Click(QPoint(300, 200), Qt::RightButton);
      QCOMPARE(t.gs().moveNumber, m);
      QVERIFY(t.gs().snapshot[m] == positions[m]);
    }
    for (int m = 7; m >= 5; --m) {
      t.Click(QPoint(300, 200));
      QCOMPARE(t.gs().moveNumber, m);
    }
    // Continue at move 5 (firstMover 1, odd): the computer is to move.
    t.game->OnContinue();
    QCOMPARE(t.ps().turn, Turn::kComputerThinking);
    QVERIFY(t.FinishComputer());  // the thinking thread may move moveNumber about until then
    QCOMPARE(t.gs().moveNumber, 6);
    QCOMPARE(t.ps().turn, Turn::kPlayerToMove);
  }

  void computerResigns_data() {
    QTest::addColumn<int>("moves");
    QTest::addColumn<QString>("message");
    // The computer's move number; the game goes back to the move before it.
    QTest::newRow("move 60") << 60 << QString::fromUtf8("ひどい将棋ですみません");
    QTest::newRow("move 61") << 61 << QString::fromUtf8("負けました");
  }
  void computerResigns() {
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

  // 298 moves made; the next move is the 299th and last.
  void moveLimit_data() {
    QTest::addColumn<bool>("byThePlayer");
    QTest::newRow("the player's move") << true;
    QTest::newRow("the computer's move") << false;
  }
  void moveLimit() {
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

  void closingWhileTheComputerThinks() {
    auto t = std::make_unique<TestApp>();
    t->script.firstPlayer = 1;
    t->script.level = "Normal";
    t->game->OnNewGame();
    QCOMPARE(t->ps().turn, Turn::kComputerThinking);
    t->frame->close();
    t.reset();  // joins the thinking thread; nothing is left running
  }
};

QTEST_MAIN(GameTest)
#include "game_test.moc"
