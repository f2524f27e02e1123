#!/usr/bin/env bash
# Starts Velmox on its program folder (build/program), first installing what is missing and building
# what changed: the two programs only, never the tests. With nothing changed it starts at once.
# A new build/ is configured without the tests; one that scripts/test.sh configured keeps them, and
# only the two programs are built in it.
set -euo pipefail
cd "$(dirname "$0")/.."
# Qt wants a private runtime folder; a bare root shell has none. Set before the build too: the build
# draws the skin pictures with Qt.
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/runtime-$(id -u)}"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
scripts/install-deps.sh --program
if [ ! -f build/build.ninja ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMOX_TESTS=OFF
fi
cmake --build build --target Velmox QR
exec build/program/Velmox
