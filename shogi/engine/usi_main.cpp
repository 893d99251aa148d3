// shogi-engine: the computer player behind the USI protocol on standard input and output.
#include <iostream>

#include "shogi/engine/usi.h"

int main() {
  std::ios::sync_with_stdio(false);
  shogi::UsiEngine engine(std::cout);
  engine.Run(std::cin);
  return 0;
}
