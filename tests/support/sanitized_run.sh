#!/usr/bin/env bash
# Runs one test program of the sanitized build (build-sanitize/) with leak checking as ASAN_OPTIONS
# sets it, and passes on its output and its status, with one exception.
#
# LeakSanitizer checks for leaks at the program's exit from a tracer thread of its own. On some
# systems that tracer now and then dies on a wrong range it takes for a loaded library's thread
# storage ("Tracer caught signal 11"): the program then fails, though no leak was found, nor looked
# for. Such a run, and only such a run, counts as unchecked for leaks: the test is run once more
# without leak checking and its status is that run's. A run whose test failed keeps its failure. A
# leak that LeakSanitizer reports fails the test wherever its tracer works.
#
#   tests/support/sanitized_run.sh PROGRAM [ARGUMENT...]
set -uo pipefail

# Listing a program's tests runs none of them; every test's own run checks the same start.
for argument in "$@"; do
    if [ "$argument" = "--gtest_list_tests" ]; then
        ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" exec "$@"
    fi
done

output="$(mktemp "${TMPDIR:-/tmp}/velmox-sanitized-out.XXXXXX")" || exit 2
errors="$(mktemp "${TMPDIR:-/tmp}/velmox-sanitized-err.XXXXXX")" || exit 2
trap 'rm -f "$output" "$errors"' EXIT

# Standard output and standard error go on as they come, each also kept to be read afterwards.
{ { "$@" | tee "$output" >&3; } 2>&1 | tee "$errors" >&2; } 3>&1
status=$?

if [ "$status" -ne 0 ] && grep -qE '^Tracer caught signal [0-9]+' "$errors"; then
    if grep -qE '^\[  FAILED  \]' "$output"; then
        echo "sanitized_run.sh: the test failed; LeakSanitizer's tracer died after it" >&2
        exit "$status"
    fi
    echo "sanitized_run.sh: LeakSanitizer's tracer died, so this run was not checked for leaks;" \
         "running the test again without leak checking" >&2
    ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" "$@"
    exit $?
fi
exit "$status"
