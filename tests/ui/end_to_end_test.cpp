// The real program under a virtual X server: start it, begin a game from the keyboard, move
// a pawn with two xdotool clicks and check the screenshot.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "shogi/ui/layout.h"

using namespace shogi::ui;

namespace {

QImage Canvas() {
  return QImage(QString(SHOGI_RES_DIR) + "/images/canvas.png")
      .convertToFormat(QImage::Format_RGB32);
}

// Where the view's top-left corner lies in a screenshot: the offset at which the empty hand
// stand of the player matches the canvas picture best.
QPoint FindView(const QImage& shot, const QImage& canvas) {
  QPoint best(-1, -1);
  int bestHits = 0;
  for (int dy = 0; dy <= 80; ++dy)
    for (int dx = 0; dx <= 20; ++dx) {
      int hits = 0;
      for (int y = 240; y < 400; y += 7)
        for (int x = 650; x < 670; x += 3) {
          const QPoint s(x + dx, y + dy);
          if (!shot.rect().contains(s)) continue;
          const QRgb a = shot.pixel(s), b = canvas.pixel(x, y);
          hits += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                      std::abs(qBlue(a) - qBlue(b)) <
                  12;
        }
      if (hits > bestHits) {
        bestHits = hits;
        best = QPoint(dx, dy);
      }
    }
  return best;
}

}  // namespace

class EndToEndTest : public QObject {
  Q_OBJECT
 private slots:
  void clickAMoveUnderXvfb();
};

void EndToEndTest::clickAMoveUnderXvfb() {
  const QString program = qEnvironmentVariable("SHOGI_PROGRAM");
  QVERIFY(QFile::exists(program));
  for (const char* tool : {"xvfb-run", "xdotool", "import", "xauth"})
    if (QStandardPaths::findExecutable(tool).isEmpty())
      QSKIP(qPrintable(QString("%1 is not installed; the end-to-end test needs it").arg(tool)));
  QTemporaryDir dir;
  QVERIFY(dir.isValid());
  const QString self = QCoreApplication::applicationFilePath();
  // Pawn of 7七 (fileIndex 2, rankIndex 6) to 7六 (rankIndex 5), at the cells' centres.
  const QPoint from = CellRect(2, 6).center(), to = CellRect(2, 5).center();
  const QString script = QString(R"(
set -u
cd "%1"
env -u QT_QPA_PLATFORM QT_SCALE_FACTOR=1 "%2" & pid=$!
for i in $(seq 1 50); do xdotool search --name "Shogi" >/dev/null 2>&1 && break; sleep 0.2; done
sleep 1
import -window root s0.png
# No window manager: open the menu and its item with the mouse, then give the new-game
# dialog (centred over the window) the keyboard focus and confirm it.
xdotool mousemove 30 8 click 1; sleep 0.7
xdotool mousemove 50 32 click 1; sleep 1
xdotool mousemove 348 240; sleep 0.3
eval $(xdotool getmouselocation --shell)
xdotool windowfocus $WINDOW; xdotool key Return; sleep 1
import -window root s1.png
off=$("%3" --find-view s1.png)
dx=${off%% *}; dy=${off##* }
xdotool mousemove $((%4 + dx)) $((%5 + dy)) click 1; sleep 0.5
xdotool mousemove $((%6 + dx)) $((%7 + dy)) click 1; sleep 0.5
xdotool mousemove 1000 700; sleep 0.5
import -window root s2.png
echo "$dx $dy" > offset.txt
kill $pid; wait $pid
exit 0
)")
                             .arg(dir.path(), program, self)
                             .arg(from.x())
                             .arg(from.y())
                             .arg(to.x())
                             .arg(to.y());
  QFile file(dir.filePath("run.sh"));
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(script.toUtf8());
  file.close();
  QProcess xvfb;
  xvfb.setProcessChannelMode(QProcess::MergedChannels);
  xvfb.start("xvfb-run", {"-a", "-s", "-screen 0 1024x768x24", "sh", dir.filePath("run.sh")});
  QVERIFY(xvfb.waitForFinished(120000));
  const QString log = QString::fromLocal8Bit(xvfb.readAll());
  if (!QFile::exists(dir.filePath("s0.png")))
    QSKIP(qPrintable("Xvfb could not start: " + log.left(400)));
  const QImage shot(dir.filePath("s2.png"));
  QVERIFY2(!shot.isNull(), qPrintable(log));
  QFile off(dir.filePath("offset.txt"));
  QVERIFY(off.open(QIODevice::ReadOnly));
  const QStringList parts = QString::fromLatin1(off.readAll()).split(' ', Qt::SkipEmptyParts);
  QCOMPARE(parts.size(), 2);
  const QPoint origin(parts[0].toInt(), parts[1].toInt());
  QVERIFY2(origin.x() >= 0, qPrintable(log));
  shot.save(QDir::current().filePath("end_to_end_screenshot.png"));
  // The pawn has left its square: the cell centre shows the empty board again ...
  const QImage canvas = Canvas();
  auto close = [](QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
               std::abs(qBlue(a) - qBlue(b)) <
           12;
  };
  QVERIFY2(close(shot.pixel(origin + from), canvas.pixel(from)), qPrintable(log));
  // ... and stands on 7六: the piece face, not the board, under the centre.
  QVERIFY(!close(shot.pixel(origin + to), canvas.pixel(to)));
  const QImage pawn = QImage(QString(SHOGI_RES_DIR) + "/images/piece_1_01.png");
  const QPoint inPiece = QPoint(17, 32);  // a face pixel below the kanji
  const QRgb face = pawn.pixel(inPiece);
  QVERIFY(qAlpha(face) == 255);
  QVERIFY2(close(shot.pixel(origin + PiecePos(2, 5) + inPiece), face),
           qPrintable(QString::number(shot.pixel(origin + PiecePos(2, 5) + inPiece), 16)));
}

int main(int argc, char** argv) {
  if (argc == 3 && QByteArray(argv[1]) == "--find-view") {
    const QPoint p = FindView(QImage(argv[2]).convertToFormat(QImage::Format_RGB32), Canvas());
    std::printf("%d %d\n", p.x(), p.y());
    return 0;
  }
  QCoreApplication app(argc, argv);
  EndToEndTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "end_to_end_test.moc"
