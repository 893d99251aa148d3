#!/usr/bin/env bash
# install_and_play.sh <build dir>: the launcher's component, installed and run in a fresh folder.
set -euo pipefail
build="$1"
work="$(mktemp -d)"
launcher_pid=""
trap '[ -z "$launcher_pid" ] || kill -9 "$launcher_pid" 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

app="$work/app"
cmake --install "$build" --component launcher --prefix "$app" >/dev/null
for f in launcher START.TXT Q.AVI shogi joseki.dat BGM00.mid; do
  [ -f "$app/$f" ] || fail "$f not installed"
done
[ -x "$app/launcher" ] || fail "launcher not executable"
[ "$(od -An -c "$app/START.TXT" | tr -s ' ')" = " . / s h o g i \r \n" ] ||
  fail "START.TXT does not hold ./shogi CR LF"
size=$(stat -c %s "$app/Q.AVI") && [ "$size" -lt 2097152 ] || fail "Q.AVI has $size bytes"

# The command waits a second, then notes where it runs and whether the launcher is still there.
cat > "$app/game.sh" <<'SCRIPT'
#!/bin/sh
sleep 1
if kill -0 "$(cat ../launcher.pid)" 2>/dev/null; then state=alive; else state=gone; fi
echo "$PWD $state" > handed-over.txt
SCRIPT
chmod +x "$app/game.sh"
printf './game.sh\r\n' > "$app/START.TXT"
mkdir -m 700 "$work/runtime"

cd "$app"
start=$(date +%s%N)
XDG_RUNTIME_DIR="$work/runtime" ./launcher &
launcher_pid=$!
echo "$launcher_pid" > "$work/launcher.pid"
wait "$launcher_pid" || fail "launcher exited with $?"
launcher_pid=""
elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
# The five-second movie played in real time before the hand-over.
[ "$elapsed_ms" -ge 4500 ] || fail "launcher ended after $elapsed_ms ms, before the movie's end"
[ "$elapsed_ms" -le 30000 ] || fail "launcher took $elapsed_ms ms"

for _ in $(seq 100); do [ -f handed-over.txt ] || sleep 0.1; done
[ -f handed-over.txt ] || fail "the command of START.TXT did not run"
[ "$(cat handed-over.txt)" = "$app gone" ] ||
  fail "expected '$app gone', got '$(cat handed-over.txt)'"
echo "launcher ran ${elapsed_ms} ms, then handed over"
