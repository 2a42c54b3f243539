#!/usr/bin/env bash
# Quitting with unsaved changes: Escape brings up the save-changes prompt
# (the same Escape must not answer it), Escape in the prompt cancels and
# the editor keeps running, and Return ("Yes") saves the map and quits.
set -euo pipefail
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
build="$(cd "$1" && pwd)"
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1600x1000x24" bash "$0" "$@"; fi
fail() { echo "FAIL: $*" >&2; exit 1; }

# A modal box dims the view behind it: wait (up to 30 s on a loaded
# machine) until the view's corner is dark, or light again.
corner_dark() {
    local level
    level="$(import -window "$wid" -crop 1x1+20+60 -format '%[fx:round(255*r)]' info: 2>/dev/null || echo 255)"
    [ "$level" -lt 128 ]
}
wait_for_box() {
    for _ in $(seq 1 150); do corner_dark && return 0; sleep 0.2; done
    return 1
}
# Keys for the box are held for a moment: the user interface reads key
# states once per frame, and a press and release within one frame is lost
# (a person's key press always spans several frames).
press() {
    xdotool keydown --clearmodifiers "$1"
    sleep 0.3
    xdotool keyup --clearmodifiers "$1"
}
wait_for_no_box() {
    for _ in $(seq 1 150); do corner_dark || return 0; sleep 0.2; done
    return 1
}

work="$(mktemp -d)"
pid=""
cleanup() {
    if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
cp "$build/glebora" "$work/"
cp -r "$build/Data" "$work/Data"
mkdir "$work/Maps"
"$work/glebora" --batch new "$work/Maps/island.map" --size 65
printf 'map "Maps/island.map"\nfirstTime 0\n' > "$work/Glebora.ini"
touch -d '2000-01-01' "$work"/Maps/*

# 40029 Reload Heightmap changes the map without a dialog.
(cd "$work" && exec ./glebora --command 40029) &
pid=$!
wid=""
for _ in $(seq 1 300); do
    wid="$(xdotool search --pid "$pid" --name '^Glebora 1\.05' 2>/dev/null | head -1 || true)"
    [ -n "$wid" ] && break
    kill -0 "$pid" 2>/dev/null || fail "glebora exited before its window appeared"
    sleep 0.2
done
[ -n "$wid" ] || fail "no editor window"
sleep 1
xdotool windowfocus --sync "$wid" 2>/dev/null || true

xdotool key --clearmodifiers Escape
wait_for_box || fail "no save-changes prompt after Escape"
kill -0 "$pid" 2>/dev/null || fail "the editor quit without asking to save the changed map"
press Escape   # Cancel in the prompt
wait_for_no_box || fail "Escape did not cancel the prompt"
kill -0 "$pid" 2>/dev/null || fail "Cancel in the save-changes prompt quit the editor"
[ -z "$(find "$work/Maps" -name island.map -mmin -10)" ] || fail "Cancel saved the map"

xdotool key --clearmodifiers Escape   # the prompt again
wait_for_box || fail "no prompt after the second Escape"
press Return   # Yes
status=""
for _ in $(seq 1 100); do
    if ! kill -0 "$pid" 2>/dev/null; then
        wait "$pid" && status=0 || status=$?
        break
    fi
    sleep 0.1
done
pid=""
[ -n "$status" ] || fail "Yes in the prompt did not quit"
[ "$status" -eq 0 ] || fail "the editor exited with $status"
[ -n "$(find "$work/Maps" -name island.map -mmin -10)" ] || fail "Yes did not save the map"
echo "save-changes prompt: ok"
