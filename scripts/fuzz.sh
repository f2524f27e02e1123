#!/usr/bin/env bash
# Builds the libFuzzer targets apart from the program (clang, into build-fuzz/), replays the seed
# corpus, then fuzzes each target for the given number of seconds (default 30).
#
#   scripts/fuzz.sh                  # 30 s a target
#   scripts/fuzz.sh 3600             # an hour a target
#   FUZZ_JOBS=3 scripts/fuzz.sh 3600 # three processes a target
#   scripts/fuzz.sh 0                # only build and replay the seeds
#
# It prints a summary a target (executions, corpus, findings); libFuzzer's own output goes to
# build-fuzz/logs/<target>.log, whose end is printed when a target fails. What a run learns stays in
# build-fuzz/corpus/<target>/ and is used by the next run; a failing input is written to
# build-fuzz/findings/ and the script ends with an error. VELMOX_WERROR=ON (as CI sets it) makes
# every compiler warning an error.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
jobs="${FUZZ_JOBS:-1}"

cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DVELMOX_WERROR="${VELMOX_WERROR:-OFF}" >/dev/null
cmake --build build-fuzz --target fuzz_workbook fuzz_text_file

# The seeds: the shipped program folder's files, the test fixtures and the inputs kept in fuzz/seeds/
# (among them every input a run has found, once fixed).
seeds_workbook=(dist fuzz/seeds/workbook tests/workbook/fixtures)
seeds_text_file=(dist/data fuzz/seeds/text_file)

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
mkdir -p build-fuzz/findings build-fuzz/logs

# The end of a target's log, where the sanitizer's report or libFuzzer's reason stands.
show_log_end() {
    echo "-- the last lines of $1:"
    tail -n 60 "$1" | sed 's/^/   /'
}

failed=()
for target in workbook text_file; do
    binary="build-fuzz/fuzz_$target"
    log="build-fuzz/logs/$target.log"
    findings="build-fuzz/findings/$target-"
    seeds_name="seeds_$target[@]"
    seeds=("${!seeds_name}")
    mapfile -t files < <(find "${seeds[@]}" -type f ! -name CMakeLists.txt | sort)
    : >"$log"
    status=0
    "$binary" -runs=0 -artifact_prefix="$findings" "${files[@]}" >>"$log" 2>&1 || status=$?
    if [ "$status" -ne 0 ]; then
        echo "== $target: a seed file fails (exit $status)"
        show_log_end "$log"
        failed+=("$target")
        continue
    fi
    echo "== $target: ${#files[@]} seed files replayed"
    [ "$seconds" -gt 0 ] || continue

    corpus="build-fuzz/corpus/$target"
    mkdir -p "$corpus"
    before=$(find "$corpus" -type f | wc -l)
    stamp="build-fuzz/logs/$target.start"
    touch "$stamp"
    options=(-max_total_time="$seconds" -timeout=10 -print_final_stats=1
             -artifact_prefix="$findings")
    if [ "$jobs" -gt 1 ]; then options+=(-fork="$jobs"); fi
    "$binary" "${options[@]}" "$corpus" "${seeds[@]}" >>"$log" 2>&1 || status=$?

    # libFuzzer's last progress line ("#N ..." alone or in fork mode) counts every execution.
    last=$(grep -E '^#[0-9]+' "$log" | tail -n 1 || true)
    executions=$(sed -E 's/^#([0-9]+).*/\1/' <<<"$last")
    coverage=$(sed -nE 's/.* cov: ([0-9]+).*/\1/p' <<<"$last")
    after=$(find "$corpus" -type f | wc -l)
    mapfile -t found < <(find build-fuzz/findings -type f -name "$target-*" -newer "$stamp" | sort)
    rm -f "$stamp"
    echo "== $target: fuzzed $seconds s with $jobs process(es): ${executions:-0} executions," \
         "coverage ${coverage:-?}, corpus $after files ($((after - before)) new)," \
         "findings ${#found[@]}"
    for f in "${found[@]}"; do echo "   $f"; done
    if [ "$status" -ne 0 ] || [ "${#found[@]}" -gt 0 ]; then
        [ "$status" -eq 0 ] || echo "-- fuzz_$target ended with exit $status"
        show_log_end "$log"
        failed+=("$target")
    fi
done

if [ "${#failed[@]}" -gt 0 ]; then
    echo "Fuzzing failed for: ${failed[*]} (the full logs are in build-fuzz/logs/)"
    exit 1
fi
