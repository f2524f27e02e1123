#!/usr/bin/env bash
# Builds the programs and the tests with AddressSanitizer and UndefinedBehaviorSanitizer into their
# own folder, build-sanitize/ (VELMOX_SANITIZE=ON), and runs every test there, headless. Any report,
# a leak included, ends its test with a stack trace and fails the run.
# VELMOX_WERROR=ON (as CI sets it) makes every compiler warning an error.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

# Set before the build too: the build runs instrumented programs (the skin pictures, the test
# discovery). Leaks are checked. On Debian 12 LeakSanitizer's own tracer dies at the exit of a test
# that has passed now and then ("Tracer caught signal 11", on a wrong range it takes for a loaded
# library's thread storage): every test runs through tests/support/sanitized_run.sh, which runs such
# a test, and only such a one, once more without leak checking.
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# Qt wants a private runtime folder; a bare root shell has none (the build runs Qt programs too).
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/runtime-$(id -u)}"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"

cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMOX_TESTS=ON \
      -DVELMOX_SANITIZE=ON -DVELMOX_WERROR="${VELMOX_WERROR:-OFF}"
cmake --build build-sanitize -j"${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
QT_QPA_PLATFORM=offscreen ctest --test-dir build-sanitize --output-on-failure \
      -j"${CTEST_PARALLEL_LEVEL:-$(nproc)}"
