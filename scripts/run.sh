#!/usr/bin/env bash
# Builds Velmox and starts it on the shipped program folder (build/program).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
exec build/program/Velmox
