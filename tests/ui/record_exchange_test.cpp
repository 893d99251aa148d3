// Records from and to other programs: a KIF file opened (by the command or a drop) into replay,
// refused files and pastes that leave the game alone, export and copy.
#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <tuple>
#include <utility>

#include "shogi/records/game_record.h"
#include "ui_test_util.h"

namespace {

// A test application whose file dialogs pick `pick` (with the name filter `filter`).
struct ExchangeApp : TestApp {
  ExchangeApp() {
    game->SetAsk([this](QDialog& d) {
      auto* f = qobject_cast<QFileDialog*>(&d);
      if (!f) return Answer(d);
      f->selectFile(pick);
      if (!filter.isEmpty()) f->selectNameFilter(filter);
      return int(QDialog::Accepted);
    });
  }
  QString Write(const QString& name, const QByteArray& bytes) {
    QFile f(dir.filePath(name));
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() ? f.fileName() : "";
  }
  QTemporaryDir dir;
  QString pick, filter;
  std::vector<QString>& boxes = script.boxes;  // "text|informative text"
};

const char* const kGame =
    "開始日時：2024/01/05 10:00:00\n手合割：平手\n先手：Man\n後手：Com\n"
    "   1 ７六歩(77)   ( 0:03/00:00:03)\n   2 ３四歩(33)   ( 0:05/00:00:05)\n"
    "   3 ２二角成(88) ( 0:02/00:00:05)\n   4 同　銀(31)   ( 0:01/00:00:06)\n   5 投了\n";

}  // namespace

class RecordExchangeTest : public QObject {
  Q_OBJECT
 private slots:
  // A file dropped on the window opens; then a KIF file (in CP932) by the command; continuing
  // from its end starts a game, during which a drop is not taken.
  void openedFileIsReplayedAndContinued() {
    ExchangeApp t;
    QMimeData data;
    data.setUrls(
        {QUrl::fromLocalFile(t.Write("dropped.csa", "PI\n+\n+7776FU\n-3334FU\n%TORYO\n"))});
    const auto dragAndDrop = [&] {  // it enters, then drops
      QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton,
                            Qt::NoModifier);
      QCoreApplication::sendEvent(t.frame, &enter);
      if (!enter.isAccepted()) return false;
      QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(t.frame, &drop);
      return true;
    };
    QVERIFY(dragAndDrop());
    QCOMPARE(t.ps().turn, Turn::kReplay);
    QCOMPARE(t.ps().replayLastMove, 2);
    t.pick = t.Write("game.kif", QByteArray::fromStdString(*records::WriteGame(
                                     *records::ReadGame(kGame, records::Format::kKifu, nullptr),
                                     records::Format::kKif)));
    t.frame->CommandAction(Command::kOpenFile)->trigger();
    QVERIFY(t.boxes.empty());
    QCOMPARE(t.ps().replayLastMove, 4);
    for (int m = 1; m <= 4; ++m) t.Click(QPoint(300, 200), Qt::RightButton);
    QCOMPARE(t.view->ShownKind(7, 1), int(kSilver));  // ２二: the silver that took the horse
    t.game->OnContinue();
    QVERIFY(!dragAndDrop());
    QCOMPARE(t.ps().turn, Turn::kPlayerToMove);
    QCOMPARE(t.ps().replayLastMove, 4);
  }

  void refusedFileLeavesTheGame() {
    ExchangeApp t;
    QVERIFY(t.game->OpenRecordFile(t.Write("a.kifu", kGame)));
    t.Click(QPoint(300, 200), Qt::RightButton);
    const auto before = t.gs().moveRec;
    // The message names the file and says where or why.
    const std::tuple<const char*, const char*, QByteArray> kRefused[] = {
        {"illegal.kifu", "3行目", "手合割：平手\n   1 ７六歩(77)\n   2 ５五歩(53)\n"},
        {"handicap.kif", "", QByteArray("手合割：香落ち\n")},
        {"binary.csa", "", QByteArray("\x00\x01\x02", 3)},
    };
    for (const auto& [name, says, bytes] : kRefused) {
      t.boxes.clear();
      QVERIFY(!t.game->OpenRecordFile(t.Write(name, bytes)));
      QCOMPARE(int(t.boxes.size()), 1);
      QVERIFY2(t.boxes[0].contains(name) && t.boxes[0].contains(QString::fromUtf8(says)),
               qPrintable(t.boxes[0]));
      QCOMPARE(t.ps().turn, Turn::kReplay);
      QCOMPARE(t.ps().replayLastMove, 4);
      QCOMPARE(t.gs().moveNumber, 1);
      QVERIFY(t.gs().moveRec == before);
    }
  }

  void pasteTakesGamesAndRefusesOtherPositions() {
    ExchangeApp t;
    // The text and the moves it gives (-1: refused with a message).
    const std::pair<const char*, int> kCases[] = {
        {"position startpos moves 7g7f 3c3d 2g2f", 3},
        {"V2.2\nPI\n+\n+7776FU\n%TORYO\n", 1},
        {"lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1", 0},
        {kGame, 4},
        {"lnsgkgsnl/1r5b1/ppppppppp/9/9/2P6/PP1PPPPPP/1B5R1/LNSGKGSNL w - 2", -1},
    };
    for (const auto& [text, moves] : kCases) {
      t.boxes.clear();
      const int before = t.ps().replayLastMove;
      const auto game = t.gs().moveRec;
      QGuiApplication::clipboard()->setText(QString::fromUtf8(text));
      t.frame->CommandAction(Command::kPaste)->trigger();
      QCOMPARE(int(t.boxes.size()), moves < 0 ? 1 : 0);
      QCOMPARE(t.ps().replayLastMove, moves < 0 ? before : moves);
      if (moves < 0) QVERIFY(t.gs().moveRec == game);
    }
    QVERIFY(t.boxes[0].contains(QString::fromUtf8("平手")));
  }

  void exportAndCopyWriteTheGame() {
    ExchangeApp t;
    QVERIFY(t.game->OpenRecordFile(t.Write("in.kifu", kGame)));
    for (int m = 1; m <= 2; ++m) t.Click(QPoint(300, 200), Qt::RightButton);
    const auto original = records::ReadGame(kGame, records::Format::kKifu, nullptr);
    // The whole game being replayed, in the format of the chosen filter.
    t.pick = t.dir.filePath("out");
    t.filter = "CSA (*.csa)";
    t.frame->CommandAction(Command::kExport)->trigger();
    QFile csa(t.dir.filePath("out.csa"));
    QVERIFY(csa.open(QIODevice::ReadOnly));
    const auto back =
        records::ReadGame(csa.readAll().toStdString(), records::Format::kCsa, nullptr);
    QVERIFY(back && back->moves == original->moves && back->ending == records::Ending::kResign);
    QCOMPARE(back->startTime, original->startTime);
    t.frame->CommandAction(Command::kCopyKif)->trigger();
    const auto copied =
        records::ReadPastedGame(QGuiApplication::clipboard()->text().toStdString(), nullptr);
    QVERIFY(copied && copied->moves == original->moves);
    // The position shown, after two moves.
    t.frame->CommandAction(Command::kCopySfen)->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QString::fromStdString(*records::SfenAfter(*original, 2)));
  }
};

QTEST_MAIN(RecordExchangeTest)
#include "record_exchange_test.moc"
