#!/usr/bin/env bash
# Builds Velmox and starts it on the shipped program folder (build/program).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
# Qt wants a private runtime folder; a bare root shell has none.
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/runtime-$(id -u)}"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
exec build/program/Velmox
