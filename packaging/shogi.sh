#!/bin/sh
# shogi: starts the game for the player who runs it.
#
# The game programs read and write their files in the current directory. This command makes
# the player's own folder, $XDG_DATA_HOME/shogi (~/.local/share/shogi by default), links the
# installed read-only data and the game program into it, and starts the launcher there. The
# records (kifu01.dat ... kifu05.dat) and check.dat are the player's and are never touched.
# The installed files are found relative to this script: <prefix>/games/shogi finds
# <prefix>/lib/games/shogi and <prefix>/share/games/shogi.
set -u

fail() {
  printf 'shogi: %s\n' "$*" >&2
  exit 1
}

self=$(readlink -f -- "$0") || fail "cannot find where this command is installed"
prefix=$(cd -- "$(dirname -- "$self")/.." && pwd -P) || fail "cannot find the installed files"
lib="$prefix/lib/games/shogi"
data="$prefix/share/games/shogi"
[ -x "$lib/launcher" ] && [ -x "$lib/shogi" ] ||
  fail "the game programs are missing from $lib; reinstall the package"
[ -d "$data" ] || fail "the game data is missing from $data; reinstall the package"

# An XDG_DATA_HOME that is not an absolute path is to be ignored.
case "${XDG_DATA_HOME:-}" in
  /*) base=$XDG_DATA_HOME ;;
  *)
    [ -n "${HOME:-}" ] || fail "neither HOME nor XDG_DATA_HOME is set"
    base=$HOME/.local/share
    ;;
esac
folder=$base/shogi
if ! err=$(mkdir -p -- "$folder" 2>&1) || [ ! -d "$folder" ]; then
  fail "cannot make the game folder \"$folder\": ${err#mkdir: }"
fi
[ -w "$folder" ] && [ -x "$folder" ] ||
  fail "cannot write to the game folder \"$folder\" (check its permissions)"

# The player's records and the writability probe keep out of everything below.
players() {
  case "$1" in
    kifu0?.dat | check.dat) return 0 ;;
  esac
  return 1
}

# The links the folder must hold: every data file, and the game program that START.TXT names.
link() {  # link <name> <target>
  players "$1" && return 0
  here="$folder/$1"
  if [ -L "$here" ]; then
    [ "$(readlink -- "$here")" = "$2" ] && return 0
    rm -f -- "$here" || fail "cannot replace the link \"$here\""
  elif [ -e "$here" ]; then
    printf 'shogi: keeping your own file "%s" instead of a link to %s\n' "$here" "$2" >&2
    return 0
  fi
  ln -s -- "$2" "$here" || fail "cannot make the link \"$here\""
}
wanted() {  # wanted <name>: whether the installed files provide <name>
  [ "$1" = shogi ] && return 0
  [ -f "$data/$1" ]
}

for file in "$data"/*; do
  [ -f "$file" ] && link "${file##*/}" "$file"
done
link shogi "$lib/shogi"

# Stale links: links into an installed game (this one or an earlier one elsewhere) that no
# longer lead anywhere or whose name this install does not provide. Other links stay.
for here in "$folder"/* "$folder"/.[!.]*; do
  [ -L "$here" ] || continue
  name=${here##*/}
  players "$name" && continue
  case "$(readlink -- "$here")" in
    */games/shogi/*) ;;
    *) continue ;;
  esac
  if [ ! -e "$here" ] || ! wanted "$name"; then
    rm -f -- "$here"
  fi
done

cd -- "$folder" || fail "cannot enter the game folder \"$folder\""
exec "$lib/launcher" "$@"
