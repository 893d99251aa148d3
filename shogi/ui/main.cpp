// The game program: one person plays shogi against the computer.
#include <QApplication>

#include "shogi/ui/shogi_app.h"

int main(int argc, char** argv) {
  QApplication qapp(argc, argv);
  QApplication::setApplicationName("Shogi");
  shogi::ui::CShogiApp app;
  app.Start();
  return QApplication::exec();
}
