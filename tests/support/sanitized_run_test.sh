#!/usr/bin/env bash
# The sanitized build's launcher: a leak fails its test, whichever process reported it; a run whose
# test program's own LeakSanitizer tracer died, and only such a run with no leak reported, is made
# again without leak checking; every other failure stays a failure.
#
#   sanitized_run_test.sh LAUNCHER LEAK_PROBE
set -uo pipefail
launcher="$1"
leak_probe="$2"
work="$(mktemp -d "${TMPDIR:-/tmp}/velmox-sanitized-run-test.XXXXXX")" || exit 2
trap 'rm -rf "$work"' EXIT
failures=0

# A test program that does what $MODE says and notes each run's leak checking (the last
# detect_leaks in ASAN_OPTIONS wins, as for the sanitizers) in runs.txt. Its children: a subshell
# whose tracer dies as the program's own would, and the real leak probe ($LEAK_PROBE).
program="$work/program"
cat >"$program" <<'PROGRAM'
#!/usr/bin/env bash
leaks=1
[[ ":${ASAN_OPTIONS:-}" =~ .*:detect_leaks=([01]) ]] && leaks="${BASH_REMATCH[1]}"
echo "$leaks" >>"$(dirname "$0")/runs.txt"
# What LeakSanitizer prints when the tracer of process $1 dies: the tracer's line bears no process
# id, the line after it the process's own.
tracer_dies() {
    echo "Tracer caught signal 11: addr=0x11a0 pc=0x7f0000000000 sp=0x7f0000000000" >&2
    echo "==$1==LeakSanitizer has encountered a fatal error." >&2
}
case "$1" in
    --gtest_list_tests) printf 'Suite.\n  Test\n'; exit 0 ;;
esac
case "$MODE" in
    pass) echo "[  PASSED  ] 1 test."; echo "a warning" >&2; exit 0 ;;
    fail) echo "==1==ERROR: AddressSanitizer: heap-use-after-free" >&2; exit 1 ;;
    tracer-dies) echo "[  PASSED  ] 1 test." ;;
    tracer-dies-after-failure) echo "[  FAILED  ] Suite.Test" ;;
    tracer-dies-then-fails) echo "[  PASSED  ] 1 test."; [ "$leaks" = 1 ] || exit 1 ;;
    # The program fails because a child it started failed, without a test's failure line.
    child-tracer-dies)
        [ "$leaks" = 0 ] || (tracer_dies "$BASHPID"; exit 1)
        exit $? ;;
    child-leaks) "$LEAK_PROBE"; echo "[  PASSED  ] 1 test."; exit 0 ;;
    child-leaks-then-tracer-dies) "$LEAK_PROBE"; echo "[  PASSED  ] 1 test." ;;
esac
[ "$leaks" = 1 ] || exit 0
tracer_dies $$
exit 1
PROGRAM
chmod +x "$program"
export LEAK_PROBE="$leak_probe"

# case: what runs, status expected (0 or "fail"), the leak checking of each run in order, a text its
# output must hold.
cases=(
    "pass|$program Suite.Test|0|1|a warning"
    "fail|$program Suite.Test|fail|1|heap-use-after-free"
    "tracer-dies|$program Suite.Test|0|1 0|not checked for leaks"
    "tracer-dies-after-failure|$program Suite.Test|fail|1|the test failed"
    "tracer-dies-then-fails|$program Suite.Test|fail|1 0|not checked for leaks"
    "child-tracer-dies|$program Suite.Test|fail|1|fatal error"
    "child-leaks|$program Suite.Test|fail|1|reported a leak"
    "child-leaks-then-tracer-dies|$program Suite.Test|fail|1|detected memory leaks"
    "pass|$program --gtest_list_tests|0|0|  Test"
    "leak|$leak_probe|fail|-|detected memory leaks"
)
for c in "${cases[@]}"; do
    IFS='|' read -r mode command expected runs text <<<"$c"
    rm -f "$work/runs.txt"
    read -ra words <<<"$command"
    output="$(MODE="$mode" ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=1" "$launcher" "${words[@]}" 2>&1)"
    status=$?
    seen="-"
    [ -f "$work/runs.txt" ] && seen="$(tr '\n' ' ' <"$work/runs.txt" | sed 's/ $//')"
    problem=""
    if [ "$expected" = 0 ] && [ "$status" -ne 0 ]; then problem="ended with $status, not 0"; fi
    if [ "$expected" = fail ] && [ "$status" -eq 0 ]; then problem="passed, should fail"; fi
    if [ "$seen" != "$runs" ]; then problem+=" runs with leak checking '$seen', not '$runs'"; fi
    if ! grep -qF -- "$text" <<<"$output"; then problem+=" output lacks '$text'"; fi
    if [ -n "$problem" ]; then
        echo "FAILED: $mode ($command):$problem"
        sed 's/^/    /' <<<"$output"
        failures=$((failures + 1))
    else
        echo "ok: $mode ($command)"
    fi
done
exit $((failures > 0))
