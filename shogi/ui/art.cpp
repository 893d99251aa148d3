#include "shogi/ui/art.h"

#include <QPixmap>

namespace shogi::ui {

namespace {

QImage LoadImage(const QString& name, int scale, bool& ok) {
  const QString path = QString(":/images/%1%2.png").arg(name, scale == 2 ? "@2x" : "");
  QImage img(path);
  if (img.isNull()) {
    ok = false;
    return img;
  }
  img = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  img.setDevicePixelRatio(scale);
  return img;
}

}  // namespace

bool Art::Load(int scale) {
  bool ok = true;
  canvas = LoadImage("canvas", scale, ok);
  clean = LoadImage("clean", scale, ok);
  frame = LoadImage("frame", scale, ok);
  for (int side = 1; side <= 2; ++side)
    for (int kind = 1; kind <= 15; ++kind)
      pieces[side * 16 + kind] =
          LoadImage(QString("piece_%1_%2").arg(side).arg(kind, 2, 10, QChar('0')), scale, ok);
  replayCursor = QCursor(QPixmap::fromImage(LoadImage("cursor_replay", scale, ok)), 16, 16);
  thinkingCursor = QCursor(QPixmap::fromImage(LoadImage("cursor_think", scale, ok)), 16, 16);
  return ok;
}

const QImage& Art::Piece(int side, int kind) const {
  static const QImage kNone;
  if (side < 1 || side > 2 || kind < 1 || kind > 15) return kNone;
  return pieces[side * 16 + kind];
}

}  // namespace shogi::ui
