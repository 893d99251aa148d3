#!/usr/bin/env bash
# build.sh <dir> [extra cmake args...]: configures (once) and builds the project in <dir>.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dir="$1"; shift
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$dir" -G Ninja "$@"
fi
cmake --build "$dir" -j"$(nproc)"
