#include "shogi/ui/layout.h"

namespace shogi::ui {

namespace {

struct Pt {
  int x, y;
};

// Shape groups: pawn, lance, knight, silver/gold, majors, king.
int ShapeOf(int kind) {
  switch (kind) {
    case 1:
    case 8:
      return 0;
    case 2:
    case 9:
      return 1;
    case 3:
    case 10:
      return 2;
    case 4:
    case 5:
    case 11:
      return 3;
    case 15:
      return 5;
    default:
      return 4;
  }
}

constexpr Pt kTrail[6][5] = {
    {{-11, -14}, {0, -17}, {13, -14}, {17, 20}, {-14, 20}},
    {{-12, -15}, {0, -19}, {13, -16}, {17, 20}, {-14, 20}},
    {{-13, -15}, {0, -19}, {14, -17}, {19, 20}, {-16, 20}},
    {{-14, -16}, {0, -20}, {16, -17}, {19, 20}, {-16, 20}},
    {{-14, -17}, {0, -21}, {17, -16}, {20, 20}, {-18, 20}},
    {{-14, -18}, {0, -22}, {16, -17}, {20, 20}, {-18, 20}},
};
constexpr Pt kPiece[6][5] = {
    {{-9, -12}, {0, -15}, {11, -12}, {15, 18}, {-12, 18}},
    {{-10, -13}, {0, -17}, {11, -14}, {15, 18}, {-12, 18}},
    {{-11, -13}, {0, -17}, {12, -15}, {17, 18}, {-14, 18}},
    {{-12, -14}, {0, -18}, {13, -15}, {17, 18}, {-14, 18}},
    {{-12, -15}, {0, -19}, {14, -14}, {17, 18}, {-16, 18}},
    {{-12, -16}, {0, -20}, {13, -15}, {17, 18}, {-16, 18}},
};

QPolygon Make(const Pt (&pts)[5], int x, int y) {
  QPolygon poly;
  for (const Pt& p : pts) poly << QPoint(x + p.x, y + p.y);
  return poly;
}

}  // namespace

QPolygon TrailOutline(int kind, int x, int y) {
  return Make(kTrail[ShapeOf(kind)], x, y);
}
QPolygon PieceOutline(int kind, int x, int y) {
  return Make(kPiece[ShapeOf(kind)], x, y);
}

}  // namespace shogi::ui
