#!/usr/bin/env bash
# Installs what the build needs, then configures and builds everything into build/: the programs,
# the tests and the benchmarks. VELMOX_WERROR=ON (as CI sets it) makes every warning an error.
set -euo pipefail
cd "$(dirname "$0")/.."
# Qt wants a private runtime folder; a bare root shell has none (the build draws the skin pictures
# with Qt and lists the tests by running them).
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/runtime-$(id -u)}"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMOX_TESTS=ON \
      -DVELMOX_WERROR="${VELMOX_WERROR:-OFF}"
cmake --build build -j"$(nproc)"
