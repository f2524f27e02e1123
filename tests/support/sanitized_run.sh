#!/usr/bin/env bash
# Runs one test program of the sanitized build (build-sanitize/) with leak checking as ASAN_OPTIONS
# sets it, and passes on its output and its status, with one exception.
#
# LeakSanitizer checks for leaks at the program's exit from a tracer thread of its own. On some
# systems that tracer now and then dies on a wrong range it takes for a loaded library's thread
# storage ("Tracer caught signal 11"): the program then fails, though no leak was found, nor looked
# for. Such a run, and only such a run, counts as unchecked for leaks: the test is run once more
# without leak checking and its status is that run's. It must be the test program's own tracer that
# died: a child process whose tracer died failed on its own, and the test's status stands. A run
# whose test failed keeps its failure. A run whose output holds a leak report fails, whatever
# process made it and whatever else the run printed.
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
pid_file="$(mktemp "${TMPDIR:-/tmp}/velmox-sanitized-pid.XXXXXX")" || exit 2
trap 'rm -f "$output" "$errors" "$pid_file"' EXIT

# Standard output and standard error go on as they come, each also kept to be read afterwards. The
# program keeps the process id of the subshell that execs it: the sanitizers mark each of their
# reports with it, which tells the program's own reports from its children's.
{ { (echo "$BASHPID" >"$pid_file"; exec "$@") | tee "$output" >&3; } 2>&1 | tee "$errors" >&2; } 3>&1
status=$?
pid="$(cat "$pid_file")"

if grep -qF 'ERROR: LeakSanitizer: detected memory leaks' "$errors" "$output"; then
    echo "sanitized_run.sh: LeakSanitizer reported a leak; the test fails" >&2
    [ "$status" -ne 0 ] && exit "$status"
    exit 1
fi

# LeakSanitizer's own line after its tracer died bears the process id; the tracer's line does not.
if [ "$status" -ne 0 ] && [ -n "$pid" ] && grep -qE 'Tracer caught signal [0-9]+' "$errors" &&
    grep -qF "==$pid==LeakSanitizer has encountered a fatal error" "$errors"; then
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
