#!/usr/bin/env bash
# Sets up the machine, then builds and runs the whole test suite twice: an optimised build
# and an AddressSanitizer + UndefinedBehaviorSanitizer build; the tests that run a second
# thread (the thinking thread, the USI command thread, the window) also run under
# ThreadSanitizer. Any failure fails the run.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/setup.sh
jobs="$(nproc)"

echo "== optimised build"
bash scripts/build.sh build/release -DCMAKE_BUILD_TYPE=Release
# The build makes the opening book from its source in the build tree; the committed copy must
# be the same file.
cmp -s build/release/data/joseki.dat data/joseki.dat || {
  echo "data/joseki.dat is out of date with data/book: copy build/release/data/joseki.dat" \
    "over it and commit it" >&2
  exit 1
}
ctest --test-dir build/release --output-on-failure -j"$jobs" --timeout 1200

echo "== thread sanitizer build (every test that runs a second thread: label tsan)"
[ -f build/tsan/CMakeCache.txt ] || cmake -S . -B build/tsan -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSHOGI_TSAN=ON -DSHOGI_BUILD_BENCH=OFF
cmake --build build/tsan -j"$jobs" --target tsan_tests
# Debian's Qt is not built with ThreadSanitizer: tests/tsan.supp silences reports that come
# from inside the Qt libraries, never from our own code. The window tests run offscreen.
TSAN_OPTIONS="suppressions=$root/tests/tsan.supp:halt_on_error=1:second_deadlock_stack=1" \
  QT_QPA_PLATFORM=offscreen \
  ctest --test-dir build/tsan --output-on-failure -j"$jobs" --timeout 1800 -L tsan

echo "== sanitizer build (ASan + UBSan)"
bash scripts/build.sh build/asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSHOGI_SANITIZE=ON \
  -DSHOGI_BUILD_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/asan --output-on-failure -j"$jobs" --timeout 1800
