#!/bin/sh
# shogi-record from the command line: record_tool_test.sh <shogi-record> <golden dir> <work dir>
set -u
tool=$1 golden=$2 work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

"$tool" convert "$golden/long.dat" a.csa || fail "convert to CSA"
"$tool" convert a.csa b.dat && cmp -s b.dat "$golden/long.dat" || fail "slot → CSA → slot differs"
# A KIF larger than any slot file (its time columns) still converts.
"$tool" convert "$golden/long.kifu" d.dat && cmp -s d.dat "$golden/long.dat" || fail "long KIFU"
"$tool" convert - - --from kif --to usi <"$golden/person_first.kif" >c.usi || fail "stdin to stdout"
cmp -s c.usi "$golden/person_first.usi" || fail "stdin to stdout gives other moves"
"$tool" show "$golden/person_first.kif" | grep -q '２二角成(88)' || fail "show"

# A refused file: a non-zero exit, the line and the reason on stderr, no output file.
printf '手合割：平手\n   1 ７六歩(77)\n   2 ５五歩(53)\n' >bad.kifu
if "$tool" convert bad.kifu out.csa 2>err.txt; then fail "an illegal move was accepted"; fi
grep -q '3行目' err.txt || fail "no line in the error: $(cat err.txt)"
[ ! -e out.csa ] && [ ! -e out.csa.tmp ] || fail "a partial output file was left"
if "$tool" convert a.csa out.txt 2>/dev/null; then fail "an unknown output format was accepted"; fi
if "$tool" convert - out.kif </dev/null 2>/dev/null; then fail "stdin without --from was accepted"; fi
[ ! -e out.kif ] || fail "output written after a refusal"
echo ok
