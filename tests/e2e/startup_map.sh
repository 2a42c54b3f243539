#!/usr/bin/env bash
# The editor opens the map named in Glebora.ini, shows its Map Info, saves
# it with File > Save and writes the map path back relative to the program
# folder; a start-up map that is missing leaves the program running with
# no map and the setting unchanged.
set -euo pipefail
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
build="$(cd "$1" && pwd)"
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1600x1000x24" bash "$0" "$@"; fi
fail() { echo "FAIL: $*" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$build/glebora" "$work/"
cp -r "$build/Data" "$work/Data"
mkdir "$work/Maps"
"$work/glebora" --batch new "$work/Maps/island.map" --size 129 --divisions 1
# Given with its full path: a map inside the program folder is written back
# relative to it.
printf 'map "%s/Maps/island.map"\nfirstTime 0\n' "$work" > "$work/Glebora.ini"
touch -d '2000-01-01' "$work"/Maps/*

# 40047 Map Info, 40004 Save.
(cd "$work" && timeout 60 ./glebora --frames 20 --command 40047 --command 40004) > out.txt 2>&1 \
  || { cat out.txt; fail "the editor did not exit cleanly"; }
grep -q "MapName: island.map" out.txt || { cat out.txt; fail "Map Info did not describe the start-up map"; }
grep -q "Terrain Size: 129x129" out.txt || fail "Map Info size"
grep -qx 'map "Maps/island.map"' "$work/Glebora.ini" || fail "map setting: $(grep '^map ' "$work/Glebora.ini")"
# The files were dated 2000 above: Save must have written them again.
[ -n "$(find "$work/Maps" -name island.map -mmin -10)" ] || fail "Save did not write the map"
[ -n "$(find "$work/Maps" -name island_c3.png -mmin -10)" ] || fail "Save did not write the colour tiles"
ls "$work/Maps" | grep -q saving && fail "temporary files left behind"
# Default detail textures resolve through "[HOME]" in the saved map.
grep -q 'detailtexture1 "\[HOME\]Data\\Textures\\default1.tga"' "$work/Maps/island.map" \
  || fail "detail texture 1: $(grep detailtexture1 "$work/Maps/island.map")"

# A map outside the program folder keeps its full path.
outside="$(mktemp -d)"
"$work/glebora" --batch new "$outside/far.map" --size 65
printf 'map "%s/far.map"\nfirstTime 0\n' "$outside" > "$work/Glebora.ini"
(cd "$work" && timeout 60 ./glebora --frames 5) > /dev/null 2>&1 || fail "a map outside the program folder stopped the editor"
grep -qx "map \"$outside/far.map\"" "$work/Glebora.ini" || fail "outside map path: $(grep '^map ' "$work/Glebora.ini")"
rm -rf "$outside"

printf 'map "Maps/gone.map"\nfirstTime 0\n' > "$work/Glebora.ini"
(cd "$work" && timeout 60 ./glebora --frames 10 --command 40047) > out2.txt 2>&1 \
  || { cat out2.txt; fail "a missing start-up map stopped the editor"; }
grep -q "MapName" out2.txt && fail "Map Info ran without a map"
grep -qx 'map "Maps/gone.map"' "$work/Glebora.ini" || fail "the map setting changed: $(grep '^map ' "$work/Glebora.ini")"
echo "start-up map: ok"
