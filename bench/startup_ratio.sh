#!/usr/bin/env bash
# Times exec → visible main window for Velmox and for an empty Qt window, in alternation, under a
# private Xvfb, on a copy of the shipped program folder and on one with 21 lists of 1,000 entries.
# Prints each one's fastest, median and slowest start, and each median's ratio to the last line's, the
# empty window's.
#   bench/startup_ratio.sh [RUNS]        (after scripts/build.sh or scripts/test.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-31}
build=${BUILD_DIR:-build}
for program in "$build/bench/window_timer" "$build/bench/empty_window" "$build/program/Velmox"; do
    if [ ! -x "$program" ]; then
        echo "startup_ratio.sh: $program is not built; run scripts/build.sh first" >&2
        exit 1
    fi
done
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/runtime-$(id -u)}"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
work=$(mktemp -d)
xvfb=""
trap '[ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT

# Xvfb takes a display number no other X server holds and names it once it accepts clients; a number
# picked here could be one another server already has, and the times would be that server's.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
if ! read -r -t 30 number <"$work/display" || [ -z "$number" ]; then
    echo "startup_ratio.sh: Xvfb did not start:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$number"
echo "Xvfb on display $DISPLAY"
echo "(\"ratio to the last\": each median over the empty window's, the last line of each table)"

cp -r "$build/program" "$work/shipped"
cp -r "$build/program" "$work/lists"
mkdir -p "$work/lists/data"
for n in $(seq 1 21); do
    for i in $(seq 0 999); do printf 'Организация образования номер %s-%s\r\n' "$n" "$i"; done |
        iconv -f UTF-8 -t CP1251 > "$work/lists/data/$n.txt"
done

echo "shipped program folder:"
"$build/bench/window_timer" "$runs" -- "$work/shipped/Velmox" -- "$build/bench/empty_window"
echo "21 saved lists of 1,000 entries:"
"$build/bench/window_timer" "$runs" -- "$work/lists/Velmox" -- "$build/bench/empty_window"
