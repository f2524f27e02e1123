#!/usr/bin/env bash
# Builds the libFuzzer targets apart from the program (clang, into build-fuzz/), replays the seed
# corpus, then fuzzes each target for the given number of seconds (default 30).
#
#   scripts/fuzz.sh                  # 30 s a target
#   scripts/fuzz.sh 3600             # an hour a target
#   FUZZ_JOBS=3 scripts/fuzz.sh 3600 # three processes a target
#   scripts/fuzz.sh 0                # only build and replay the seeds
#
# What a run learns stays in build-fuzz/corpus/<target>/ and is used by the next run; a failing
# input is written to build-fuzz/findings/ and the script ends with an error.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
jobs="${FUZZ_JOBS:-1}"

cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz --target fuzz_workbook fuzz_text_file

# The seeds: the shipped program folder's files, the test fixtures and the inputs kept in fuzz/seeds/
# (among them every input a run has found, once fixed).
seeds_workbook=(dist fuzz/seeds/workbook tests/workbook/fixtures)
seeds_text_file=(dist/data fuzz/seeds/text_file)

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
mkdir -p build-fuzz/findings

for target in workbook text_file; do
    binary="build-fuzz/fuzz_$target"
    seeds_name="seeds_$target[@]"
    seeds=("${!seeds_name}")
    mapfile -t files < <(find "${seeds[@]}" -type f ! -name CMakeLists.txt | sort)
    echo "== $target: replaying ${#files[@]} seed files"
    "$binary" -runs=0 "${files[@]}" 2>&1 | tail -n 1
    if [ "$seconds" -gt 0 ]; then
        corpus="build-fuzz/corpus/$target"
        mkdir -p "$corpus"
        echo "== $target: fuzzing for $seconds s with $jobs process(es)"
        options=(-max_total_time="$seconds" -timeout=10 -print_final_stats=1
                 -artifact_prefix="build-fuzz/findings/$target-")
        if [ "$jobs" -gt 1 ]; then options+=(-fork="$jobs"); fi
        "$binary" "${options[@]}" "$corpus" "${seeds[@]}"
    fi
done
