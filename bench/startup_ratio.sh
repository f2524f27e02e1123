#!/usr/bin/env bash
# Times exec → visible main window for Velmox and for an empty Qt window, in alternation, under a
# private Xvfb, on a copy of the shipped program folder and on one with 21 lists of 1,000 entries.
#   bench/startup_ratio.sh [RUNS]        (after a build: cmake --build build)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-31}
build=${BUILD_DIR:-build}
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/runtime-$(id -u)}"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
work=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

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
