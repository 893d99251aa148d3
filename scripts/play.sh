#!/usr/bin/env bash
# Sets up the machine, builds the programs and starts them.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/setup.sh
bash scripts/build.sh build/play -DCMAKE_BUILD_TYPE=Release -DSHOGI_BUILD_TESTS=OFF \
  -DSHOGI_BUILD_BENCH=OFF
exec build/play/shogi/engine/shogi-engine
