#!/usr/bin/env bash
# Sets up the machine, builds the programs, lays them out in install/ and starts the
# launcher there: the opening movie, then the game.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/setup.sh
bash scripts/build.sh build/play -DCMAKE_BUILD_TYPE=Release -DSHOGI_BUILD_TESTS=OFF \
  -DSHOGI_BUILD_BENCH=OFF
cmake --install build/play --prefix "$root/install" > /dev/null
cd "$root/install"
exec ./launcher
