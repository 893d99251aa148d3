#!/usr/bin/env bash
# package_test.sh <build dir> <1 when shogi-record is built> <reason to skip, or empty>
#
# Builds the Debian package, checks it (layout, menu entry, AppStream, lintian) and runs it
# unpacked: the engine, the game under Xvfb, a later start, a folder that cannot be made.
set -euo pipefail
build="$1"
with_record="$2"
skip_reason="${3:-}"
skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }

[ -z "$skip_reason" ] || skip "$skip_reason"
for tool in dpkg-deb cpack; do command -v "$tool" > /dev/null || skip "$tool is not installed"; done

work="$(mktemp -d)"
trap '[ -n "${PACKAGE_TEST_KEEP:-}" ] && echo "scratch folder kept: $work" || rm -rf "$work"' EXIT

# -- The package and its file list.
cpack --config "$build/CPackConfig.cmake" -B "$work/out" > "$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack could not build the package"; }
debs=("$work"/out/shogi_*.deb)
[ "${#debs[@]}" -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one shogi_*.deb, got: ${debs[*]}"
deb="${debs[0]}"
echo "built $(basename "$deb"), $(stat -c %s "$deb") bytes"

commands=(shogi shogi-engine)
[ "$with_record" = 1 ] && commands+=(shogi-record)
data=(START.TXT Q.AVI BGM00.mid BGM01.mid BGM02.mid BGM03.mid BGM04.mid joseki.dat)
{
  printf './usr/games/%s\n' "${commands[@]}"
  printf './usr/share/man/man6/%s.6.gz\n' "${commands[@]}"
  printf './usr/lib/games/shogi/%s\n' launcher shogi
  printf './usr/share/games/shogi/%s\n' "${data[@]}"
  printf './usr/share/%s\n' doc/shogi/copyright doc/shogi/changelog.gz lintian/overrides/shogi \
    applications/org.example.shogi.desktop metainfo/org.example.shogi.metainfo.xml \
    icons/hicolor/scalable/apps/shogi.svg
  for s in 16 22 24 32 48 64 128 256; do echo "./usr/share/icons/hicolor/${s}x$s/apps/shogi.png"; done
} | sort > "$work/expected"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort > "$work/actual"
diff -u "$work/expected" "$work/actual" || fail "the package's files differ from the layout"
dpkg-deb -c "$deb" | awk '$2 != "root/root" {print; bad=1} END {exit bad}' ||
  fail "files not owned by root"

fields="$(dpkg-deb -f "$deb" Depends Recommends Section)" && echo "$fields"
for want in 'Depends:.*libqt6widgets6' 'Depends:.*libsdl2-mixer' 'Depends:.*libavcodec' \
    'Depends:.*fonts-ipafont-mincho' 'Recommends:.*timgm6mb-soundfont' \
    'Recommends:.*qt6-translations-l10n' 'Section: games'; do
  grep -q "$want" <<< "$fields" || fail "the control fields lack $want"
done

x="$work/unpacked"
dpkg-deb -x "$deb" "$x"
have() { command -v "$1" > /dev/null || { echo "$1 is not installed: $2 not checked"; false; }; }
desktop="$x/usr/share/applications/org.example.shogi.desktop"
if have desktop-file-validate "the menu entry"; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate refuses the menu entry"
  grep -qx 'Categories=Game;BoardGame;' "$desktop" || fail "the menu entry is not in Game;BoardGame"
fi
if have appstreamcli "the metainfo"; then
  appstreamcli validate --no-net "$x/usr/share/metainfo/org.example.shogi.metainfo.xml" ||
    fail "appstreamcli refuses the metainfo"
fi
for s in 16 32 256; do
  size="$(file -b "$x/usr/share/icons/hicolor/${s}x$s/apps/shogi.png")"
  grep -q "$s x $s" <<< "$size" || fail "the ${s}px icon is $size"
done
if have lintian "the package"; then
  lintian --allow-root --tag-display-limit 0 "$deb" > "$work/lintian" 2>&1 || true
  cat "$work/lintian"
  ! grep -q '^E:' "$work/lintian" || fail "lintian reports errors"
fi

# -- The engine, started by a GUI from some other folder, reads the installed book.
mkdir "$work/elsewhere"
(cd "$work/elsewhere" &&
  printf 'usi\nisready\nquit\n' |
  strace -f -qq -s 512 -e trace=openat -o "$work/engine.trace" "$x/usr/games/shogi-engine") \
  > "$work/engine.out"
grep -q '^readyok' "$work/engine.out" || fail "shogi-engine did not answer isready"
! grep -qE 'cannot open (book )?file' "$work/engine.out" || fail "shogi-engine cannot open its book"
grep -F "\"$x/usr/share/games/shogi/joseki.dat\", O_RDONLY" "$work/engine.trace" |
  grep -qE '\) = [0-9]+$' || fail "shogi-engine did not read $x/usr/share/games/shogi/joseki.dat"
echo "shogi-engine read the installed book from another folder"

# -- The shogi command: a fresh player folder, the movie, then the game.
home="$work/home with spaces"
folder="$home/.local/share/shogi"
mkdir -p "$home" "$work/trace" && mkdir -m 700 "$work/runtime"
for tool in xvfb-run xdotool strace; do command -v $tool > /dev/null || fail "$tool is needed"; done
cat > "$work/play.sh" << 'SCRIPT'
#!/usr/bin/env bash
# Runs in Xvfb: starts the shogi command, waits for the game window, closes the game.
set -u
x="$1" home="$2" work="$3"
start=$(date +%s%N)
env -u XDG_DATA_HOME HOME="$home" XDG_RUNTIME_DIR="$work/runtime" SDL_AUDIODRIVER=dummy \
  QT_QPA_PLATFORM=xcb strace -ff -q -s 512 -e trace=openat,execve -o "$work/trace/game" \
  "$x/usr/games/shogi" > "$work/game.out" 2>&1 &
tracer=$!
for _ in $(seq 600); do
  window="$(xdotool search --name ' - Shogi$' 2> /dev/null | head -1)" && [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "no game window"; kill "$tracer"; exit 1; }
echo "window after $(( ($(date +%s%N) - start) / 1000000 )) ms" > "$work/window.txt"
sleep 2
# The game menu, then its last item (終了), from the keyboard.
xdotool windowfocus --sync "$window" key alt+g sleep 0.5 key x
for _ in $(seq 100); do kill -0 "$tracer" 2> /dev/null && sleep 0.1; done
! kill -0 "$tracer" 2> /dev/null || { echo "the game did not close"; kill "$tracer"; exit 1; }
wait "$tracer"
SCRIPT
xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/play.sh" "$x" "$home" "$work" ||
  { cat "$work/game.out"; fail "the game did not start and close under Xvfb"; }
cat "$work/window.txt"
ms="$(sed 's/[^0-9]//g' "$work/window.txt")"
# The five-second movie plays before the launcher hands over; a movie that cannot be shown
# leaves the launcher waiting behind its error box, and no game window ever comes.
[ "$ms" -ge 4500 ] || fail "the game window came after $ms ms, before the movie's end"
! grep -q 'ストリーム\|エラー' "$work/game.out" || { cat "$work/game.out"; fail "the launcher reported an error"; }
# One trace file per process, so that no call is split across lines.
opened() {  # opened <name>: whether <name> of the player's folder was opened for reading
  grep -qhE "^openat\(AT_FDCWD, \"(\./|$folder_re/)?$1\", O_RDONLY[^)]*\) = [0-9]" \
    "$work"/trace/game.*
}
folder_re="$(printf '%s' "$folder" | sed 's/[][\.*^$(){}+?|/]/\\&/g')"
opened 'Q\.AVI' || fail "the launcher did not open Q.AVI in the player's folder"

[ -d "$folder" ] || fail "the player's folder $folder was not made"
links() { [ "$(readlink "$folder/$1")" = "$2" ] || fail "$folder/$1 is no link to $2"; }
for name in "${data[@]}"; do links "$name" "$x/usr/share/games/shogi/$name"; done
links shogi "$x/usr/lib/games/shogi/shogi"
[ -f "$folder/check.dat" ] && [ ! -L "$folder/check.dat" ] || fail "check.dat was not written"
! ls "$folder"/kifu0?.dat > /dev/null 2>&1 || fail "a record was written though nothing was saved"
# The game ran from the player's folder and read the book and the music there, through the links.
game_trace="$(grep -lE "^execve\(\"($folder_re/)?(\./)?shogi\", .*\) = 0" "$work"/trace/game.*)" ||
  fail "the launcher did not start ./shogi in the player's folder"
grep -q '^+++ exited with 0 +++' "$game_trace" ||
  fail "the game did not end normally: $(tail -1 "$game_trace")"
opened 'joseki\.dat' || fail "the game did not read joseki.dat in the player's folder"
opened 'BGM00\.mid' || fail "the game did not read BGM00.mid in the player's folder"
echo "the game started from $folder, read the book and music there and closed"

# -- A later start brings the links up to date and leaves the player's files alone. Without a
# display the launcher ends at once, after the wrapper has done its work.
printf 'my record' > "$folder/kifu01.dat"
printf 'probe' > "$folder/check.dat"
ln -s "$x/usr/share/games/shogi/BGM09.mid" "$folder/BGM09.mid"     # no longer installed
ln -sfn "/old/usr/share/games/shogi/joseki.dat" "$folder/joseki.dat" # an earlier install
ln -s /etc/hostname "$folder/notes"                                 # the player's own
rm "$folder/Q.AVI"                                                  # lost
env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_DATA_HOME HOME="$home" XDG_RUNTIME_DIR="$work/runtime" \
  SDL_AUDIODRIVER=dummy "$x/usr/games/shogi" > "$work/again.out" 2>&1 || true
[ "$(cat "$folder/kifu01.dat")" = 'my record' ] || fail "kifu01.dat was changed"
[ "$(cat "$folder/check.dat")" = 'probe' ] || fail "check.dat was changed"
[ ! -e "$folder/BGM09.mid" ] && [ ! -L "$folder/BGM09.mid" ] || fail "the stale link stayed"
links joseki.dat "$x/usr/share/games/shogi/joseki.dat"  # renewed
links Q.AVI "$x/usr/share/games/shogi/Q.AVI"            # made again
links notes /etc/hostname                               # left alone

# -- A folder that cannot be made is reported clearly.
touch "$work/a-file"
rc=0
XDG_DATA_HOME="$work/a-file/data" "$x/usr/games/shogi" > "$work/fail.out" 2>&1 || rc=$?
[ "$rc" -eq 1 ] && grep -q "cannot make the game folder \"$work/a-file/data/shogi\"" \
  "$work/fail.out" || { cat "$work/fail.out"; fail "no clear failure for a folder that cannot be made"; }
echo "package test passed"
