// Draws every picture the game program shows and writes them as PNG files, at the normal
// size and at twice the size for high-density screens ("name@2x.png"). Transparency is kept
// in the alpha channel. Usage: shogi-art <output directory>
// With --icons it draws the program's icon instead, the king's piece of the board, into a
// hicolor icon tree: <dir>/<n>x<n>/apps/shogi.png for the usual sizes and
// <dir>/scalable/apps/shogi.svg.
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRandomGenerator>
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string_view>

namespace {

// The board geometry of the game window.
constexpr int kCanvasW = 696, kCanvasH = 420;
constexpr int kBoardLeft = 166, kBoardTop = 20, kCellW = 39, kCellH = 42;
constexpr int kPieceW = 36, kPieceH = 38;

const QColor kBackground(0x3a, 0x24, 0x12);
const QColor kBoardFace(0xe2, 0xb6, 0x66);
const QColor kStandFace(0xb9, 0x82, 0x42);
const QColor kPanelFace(0x1c, 0x24, 0x2c);
const QColor kPieceFace(0xf3, 0xd9, 0x98);
const QColor kPieceEdge(0x5a, 0x38, 0x10);
const QColor kInk(0x10, 0x10, 0x10);
const QColor kRedInk(0xc8, 0x10, 0x10);

using Drawer = std::function<void(QPainter&)>;

bool Save(const QString& dir, const QString& name, int w, int h, const Drawer& draw) {
  for (int scale : {1, 2}) {
    QImage img(w * scale, h * scale, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.scale(scale, scale);
    draw(p);
    p.end();
    const QString file = dir + "/" + name + (scale == 2 ? "@2x.png" : ".png");
    if (!img.save(file)) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
      return false;
    }
  }
  return true;
}

// Fine grain lines across a wooden area; the same seed always gives the same picture.
void Grain(QPainter& p, const QRectF& r, const QColor& base, quint32 seed) {
  p.fillRect(r, base);
  QRandomGenerator rng(seed);
  p.save();
  p.setClipRect(r);
  p.setBrush(Qt::NoBrush);
  for (double y = r.top(); y < r.bottom(); y += 2.5) {
    const int shade = rng.bounded(-14, 14);
    QColor c = base.lighter(100 + shade);
    c.setAlpha(90);
    QPen pen(c, 1.2);
    p.setPen(pen);
    QPainterPath path(QPointF(r.left(), y));
    const double wave = rng.bounded(30) / 10.0;
    for (double x = r.left(); x <= r.right() + 20; x += 20)
      path.lineTo(x, y + wave * std::sin((x + y) / 37.0));
    p.drawPath(path);
  }
  p.restore();
}

void Canvas(QPainter& p) {
  Grain(p, QRectF(0, 0, kCanvasW, kCanvasH), kBackground, 7);
  // Board face with a margin around the 9 x 9 cells.
  const QRectF face(kBoardLeft - 8, kBoardTop - 8, 9 * kCellW + 16, 9 * kCellH + 16);
  Grain(p, face, kBoardFace, 11);
  p.setPen(QPen(QColor(0x2a, 0x18, 0x08), 2));
  p.setBrush(Qt::NoBrush);
  p.drawRect(face);
  // Grid lines on the cell borders.
  p.setPen(QPen(kInk, 1));
  p.setRenderHint(QPainter::Antialiasing, false);
  for (int i = 0; i <= 9; ++i) {
    p.drawLine(kBoardLeft + kCellW * i, kBoardTop, kBoardLeft + kCellW * i, kBoardTop + 9 * kCellH);
    p.drawLine(kBoardLeft, kBoardTop + kCellH * i, kBoardLeft + 9 * kCellW, kBoardTop + kCellH * i);
  }
  p.setPen(QPen(kInk, 2));
  p.drawRect(kBoardLeft, kBoardTop, 9 * kCellW, 9 * kCellH);
  p.setRenderHint(QPainter::Antialiasing, true);
  // Star points.
  p.setPen(Qt::NoPen);
  p.setBrush(kInk);
  for (int i : {3, 6})
    for (int j : {3, 6})
      p.drawEllipse(QPointF(kBoardLeft + kCellW * i, kBoardTop + kCellH * j), 3, 3);
  // The two hand stands.
  for (const QRectF& stand : {QRectF(534, 231, 142, 189), QRectF(6, 7, 142, 189)}) {
    Grain(p, stand, kStandFace, 23);
    p.setPen(QPen(QColor(0x2a, 0x18, 0x08), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(stand.adjusted(1, 1, -1, -1));
  }
  // The text panel.
  p.setPen(QPen(QColor(0x90, 0x70, 0x40), 1));
  p.setBrush(kPanelFace);
  p.drawRect(QRectF(22.5, 246.5, 113, 143));
  p.setPen(QPen(QColor(0x50, 0x60, 0x70), 1));
  p.drawLine(QPointF(26, 326.5), QPointF(132, 326.5));
}

// Outline of the piece shape of a kind, in the 36 x 38 bitmap of a piece pointing up.
QPolygonF Outline(int kind) {
  struct P {
    int x, y;
  };
  static const P kShapes[6][5] = {
      {{-9, -12}, {0, -15}, {11, -12}, {15, 18}, {-12, 18}},   // pawn
      {{-10, -13}, {0, -17}, {11, -14}, {15, 18}, {-12, 18}},  // lance
      {{-11, -13}, {0, -17}, {12, -15}, {17, 18}, {-14, 18}},  // knight
      {{-12, -14}, {0, -18}, {13, -15}, {17, 18}, {-14, 18}},  // silver, gold
      {{-12, -15}, {0, -19}, {14, -14}, {17, 18}, {-16, 18}},  // bishop, rook
      {{-12, -16}, {0, -20}, {13, -15}, {17, 18}, {-16, 18}},  // king
  };
  int shape;
  switch (kind) {
    case 1:
    case 8:
      shape = 0;
      break;
    case 2:
    case 9:
      shape = 1;
      break;
    case 3:
    case 10:
      shape = 2;
      break;
    case 4:
    case 5:
    case 11:
    case 12:
      shape = 3;
      break;
    case 15:
      shape = 5;
      break;
    default:
      shape = 4;
      break;
  }
  QPolygonF poly;
  for (const P& pt : kShapes[shape]) {
    // The bitmap's origin is (-17, -20) from the reference point; keep the edge inside.
    const double x = std::clamp(pt.x + 17.0, 1.0, kPieceW - 1.0);
    const double y = std::clamp(pt.y + 20.0, 1.0, kPieceH - 1.0);
    poly << QPointF(x, y);
  }
  return poly;
}

QString Name(int kind, int side) {
  static const char* kNames[16] = {"",   "歩",   "香",   "桂",   "銀", "金", "角", "飛",
                                   "と", "成香", "成桂", "成銀", "",   "馬", "龍", "玉"};
  if (kind == 15 && side == 2) return QString::fromUtf8("王");
  return QString::fromUtf8(kNames[kind]);
}

void Piece(QPainter& p, int kind, int side) {
  if (side == 2) {  // the computer's pieces point down
    p.translate(kPieceW, kPieceH);
    p.rotate(180);
  }
  const QPolygonF poly = Outline(kind);
  QLinearGradient g(0, 0, kPieceW, kPieceH);
  g.setColorAt(0, kPieceFace.lighter(108));
  g.setColorAt(1, kPieceFace.darker(108));
  p.setPen(QPen(kPieceEdge, 1.2));
  p.setBrush(g);
  p.drawPolygon(poly);
  const QString name = Name(kind, side);
  if (name.isEmpty()) return;
  const bool promoted = kind >= 8 && kind <= 14;
  p.setPen(promoted ? kRedInk : kInk);
  QFont font("IPAMincho");
  const QRectF box = poly.boundingRect();
  if (name.size() == 1) {
    font.setPixelSize(kind == 1 || kind == 8 ? 17 : kind == 15 ? 21 : 19);
    p.setFont(font);
    p.drawText(QRectF(box.left(), box.top() + 3, box.width(), box.height() - 3), Qt::AlignCenter,
               name);
  } else {
    font.setPixelSize(13);
    p.setFont(font);
    const double h = (box.height() - 4) / 2;
    p.drawText(QRectF(box.left(), box.top() + 4, box.width(), h), Qt::AlignCenter, name.left(1));
    p.drawText(QRectF(box.left(), box.top() + 2 + h, box.width(), h), Qt::AlignCenter, name.mid(1));
  }
}

void Frame(QPainter& p) {
  p.setPen(QPen(QColor(0xff, 0x20, 0x20), 3));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(1.5, 1.5, kCellW - 3, kCellH - 3));
}

// Replay cursor: two arrows, back (left button) and forward (right button).
void ReplayCursor(QPainter& p) {
  p.setPen(QPen(Qt::black, 1.5));
  p.setBrush(Qt::white);
  QPolygonF left, right;
  left << QPointF(2, 16) << QPointF(13, 6) << QPointF(13, 26);
  right << QPointF(30, 16) << QPointF(19, 6) << QPointF(19, 26);
  p.drawPolygon(left);
  p.drawPolygon(right);
}

// Thinking cursor: an hourglass.
void ThinkingCursor(QPainter& p) {
  p.setPen(QPen(Qt::black, 1.5));
  p.setBrush(QColor(0xf0, 0xe0, 0xa0));
  QPolygonF glass;
  glass << QPointF(7, 3) << QPointF(25, 3) << QPointF(17, 16) << QPointF(25, 29) << QPointF(7, 29)
        << QPointF(15, 16);
  p.drawPolygon(glass);
  p.setBrush(QColor(0xb0, 0x80, 0x30));
  QPolygonF sand;
  sand << QPointF(10, 27) << QPointF(22, 27) << QPointF(16, 21);
  p.drawPolygon(sand);
  p.setPen(QPen(Qt::black, 3));
  p.drawLine(QPointF(5, 2), QPointF(27, 2));
  p.drawLine(QPointF(5, 30), QPointF(27, 30));
}

// The icon: the king's piece centred on a transparent square of kIconUnits units.
constexpr double kIconUnits = 40;
constexpr int kIconKind = 15;

bool SaveIconPng(const QString& dir, int size) {
  QImage img(size, size, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  p.scale(size / kIconUnits, size / kIconUnits);
  p.translate((kIconUnits - kPieceW) / 2, (kIconUnits - kPieceH) / 2);
  Piece(p, kIconKind, 1);
  p.end();
  const QString sub = QString("%1/%2x%2/apps").arg(dir).arg(size);
  QDir().mkpath(sub);
  if (!img.save(sub + "/shogi.png")) {
    std::fprintf(stderr, "cannot write %s/shogi.png\n", qPrintable(sub));
    return false;
  }
  return true;
}

QString SvgPath(const QPainterPath& path) {
  QString d;
  auto num = [](double v) { return QString::number(v, 'f', 2); };
  for (int i = 0; i < path.elementCount(); ++i) {
    const QPainterPath::Element e = path.elementAt(i);
    if (e.isMoveTo()) {
      d += "M" + num(e.x) + " " + num(e.y);
    } else if (e.isLineTo()) {
      d += "L" + num(e.x) + " " + num(e.y);
    } else if (e.isCurveTo() && i + 2 < path.elementCount()) {
      const QPainterPath::Element c2 = path.elementAt(i + 1), end = path.elementAt(i + 2);
      d += "C" + num(e.x) + " " + num(e.y) + " " + num(c2.x) + " " + num(c2.y) + " " + num(end.x) +
           " " + num(end.y);
      i += 2;
    }
  }
  return d + "Z";
}

// The same piece as a vector drawing: outline and the glyph's own curves, so that the file
// needs no font where it is shown.
bool SaveIconSvg(const QString& dir) {
  const QPolygonF outline = Outline(kIconKind);
  QPainterPath face;
  face.addPolygon(outline);
  const QRectF box = outline.boundingRect();
  QFont font("IPAMincho");
  font.setPixelSize(21);
  QPainterPath glyph;
  glyph.addText(0, 0, font, Name(kIconKind, 1));
  const QRectF g = glyph.boundingRect();
  const QPointF centre(box.center().x(), box.center().y() + 1.5);
  glyph.translate(centre - g.center());
  const double shift_x = (kIconUnits - kPieceW) / 2, shift_y = (kIconUnits - kPieceH) / 2;
  const QString svg =
      QString(
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
          "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
          "viewBox=\"0 0 %1 %1\">\n"
          "  <defs>\n"
          "    <linearGradient id=\"face\" gradientUnits=\"userSpaceOnUse\" x1=\"0\" y1=\"0\" "
          "x2=\"%2\" y2=\"%3\">\n"
          "      <stop offset=\"0\" stop-color=\"%4\"/>\n"
          "      <stop offset=\"1\" stop-color=\"%5\"/>\n"
          "    </linearGradient>\n"
          "  </defs>\n"
          "  <g transform=\"translate(%6 %7)\">\n"
          "    <path d=\"%8\" fill=\"url(#face)\" stroke=\"%9\" stroke-width=\"1.2\"/>\n"
          "    <path d=\"%10\" fill=\"%11\"/>\n"
          "  </g>\n"
          "</svg>\n")
          .arg(kIconUnits)
          .arg(kPieceW)
          .arg(kPieceH)
          .arg(kPieceFace.lighter(108).name(), kPieceFace.darker(108).name())
          .arg(shift_x)
          .arg(shift_y)
          .arg(SvgPath(face), kPieceEdge.name(), SvgPath(glyph), kInk.name());
  const QString sub = dir + "/scalable/apps";
  QDir().mkpath(sub);
  QSaveFile file(sub + "/shogi.svg");
  if (!file.open(QIODevice::WriteOnly) || file.write(svg.toUtf8()) < 0 || !file.commit()) {
    std::fprintf(stderr, "cannot write %s/shogi.svg\n", qPrintable(sub));
    return false;
  }
  return true;
}

bool SaveIcons(const QString& dir) {
  bool ok = true;
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) ok = ok && SaveIconPng(dir, size);
  return ok && SaveIconSvg(dir);
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc == 3 && std::string_view(argv[1]) == "--icons")
    return SaveIcons(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
  if (argc != 2) {
    std::fprintf(stderr, "usage: shogi-art [--icons] <output directory>\n");
    return 2;
  }
  const QString dir = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(dir);
  bool ok = Save(dir, "canvas", kCanvasW, kCanvasH, Canvas);
  ok = ok && Save(dir, "clean", kCanvasW, kCanvasH, Canvas);
  for (int side = 1; side <= 2; ++side)
    for (int kind = 1; kind <= 15; ++kind)
      ok = ok && Save(dir, QString("piece_%1_%2").arg(side).arg(kind, 2, 10, QChar('0')), kPieceW,
                      kPieceH, [=](QPainter& p) { Piece(p, kind, side); });
  ok = ok && Save(dir, "frame", kCellW, kCellH, Frame);
  ok = ok && Save(dir, "cursor_replay", 32, 32, ReplayCursor);
  ok = ok && Save(dir, "cursor_think", 32, 32, ThinkingCursor);
  return ok ? 0 : 1;
}
