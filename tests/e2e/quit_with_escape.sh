#!/usr/bin/env bash
# Starts the real editor in a copy of the program folder, finds its window,
# presses Escape and checks that it quit with 0 and wrote Glebora.ini with
# "fullscreen 0". The second run starts from a file that asks for full
# screen and a window rectangle, which must come back unchanged.
set -euo pipefail
# In sanitizer builds Mesa and D-Bus keep allocations past exit that are not
# ours; they must not turn the exit code the test checks into a leak report.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
build="$(cd "$1" && pwd)"
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1600x1000x24" bash "$0" "$@"; fi

work="$(mktemp -d)"
pid=""
cleanup() {
    if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
cp "$build/glebora" "$work/"
cp -r "$build/Data" "$work/Data"
mkdir -p "$work/Plugins" "$work/Maps"

run_and_escape() {
    "$work/glebora" &
    pid=$!
    local wid=""
    for _ in $(seq 1 300); do
        wid="$(xdotool search --pid "$pid" --name '^Glebora 1\.05$' 2>/dev/null | head -1 || true)"
        [ -n "$wid" ] && break
        kill -0 "$pid" 2>/dev/null || { echo "glebora exited before its window appeared"; return 1; }
        sleep 0.2
    done
    [ -n "$wid" ] || { echo "no window titled 'Glebora 1.05'"; return 1; }
    sleep 0.5
    xdotool windowfocus --sync "$wid" || true
    xdotool key --clearmodifiers Escape
    local status=""
    for _ in $(seq 1 100); do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid" && status=0 || status=$?
            break
        fi
        sleep 0.1
    done
    pid=""
    [ -n "$status" ] || { echo "glebora did not quit after Escape"; return 1; }
    [ "$status" -eq 0 ] || { echo "glebora exited with $status"; return 1; }
}

# First run: no settings file yet.
run_and_escape
[ -f "$work/Glebora.ini" ] || { echo "Glebora.ini was not written"; exit 1; }
grep -qx 'fullscreen 0' "$work/Glebora.ini" || { echo "Glebora.ini lacks 'fullscreen 0'"; cat "$work/Glebora.ini"; exit 1; }
[ "$(wc -l < "$work/Glebora.ini")" -eq 119 ] || { echo "Glebora.ini should hold 119 settings"; exit 1; }

# Second run: full screen asked for, a stored window rectangle.
sed -i -e 's/^fullscreen .*/fullscreen 1/' -e 's/^windowDimensions .*/windowDimensions 40 50 840 650/' \
    "$work/Glebora.ini"
run_and_escape
grep -qx 'fullscreen 0' "$work/Glebora.ini" || { echo "fullscreen 1 survived a run"; exit 1; }
grep -qx 'windowDimensions 40 50 840 650' "$work/Glebora.ini" ||
    { echo "window rectangle changed:"; grep windowDimensions "$work/Glebora.ini"; exit 1; }
echo "quit with Escape: ok"
