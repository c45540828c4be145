#!/usr/bin/env bash
# Builds the benchmarks in release mode into build-bench/ (or $BUILD_DIR), runs the audio
# benchmark, then counts the instructions per stereo frame that process spends on the default
# program (callgrind, processing calls only). Extra arguments go to the benchmark program.
# The editor benchmark and the LV2-against-VST 2 benchmark are built beside it:
# build-bench/bench/bench_editor, build-bench/bench/bench_formats.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh bench
build_dir=${BUILD_DIR:-build-bench}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DGLIDEFILTER_TESTS=OFF \
  -DGLIDEFILTER_BENCH=ON >/dev/null
cmake --build "$build_dir" -j 2 --target bench_audio bench_editor bench_formats glidefilter
bench="$build_dir/bench/bench_audio"
"$bench" "$@"

# The speed yardstick, where the machine has it: the plug-in against a reference implementation of
# the same signal path in one run, with a check that both compute the same samples.
yardstick=../shared/perf/vsthost_bench
if [ -x "$yardstick" ]; then
  while read -r name options; do
    # shellcheck disable=SC2086 # the options are separate words
    ratio=$("$yardstick" --kernel --cpu 1 --kernel-entry accumulating $options "$build_dir/glidefilter.so" |
      awk '/^RATIO/ { print $3, $NF == "(bit-exact)" ? "bit-exact" : "NOT bit-exact" }')
    echo "yardstick, $name: plug-in / reference $ratio"
  done <<'CASES'
default-program
step-every-sample --param 3=0
cutoff-controller-every-block --midi-cc-every 1
accumulating-entry --entry accumulating
CASES
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
valgrind --tool=callgrind --callgrind-out-file="$work/callgrind.out" \
  "--toggle-collect=FilterEffect::process(float**, float**, int)" \
  "$bench" --benchmark_filter='^process/default/' --benchmark_format=json \
  >"$work/result.json" 2>/dev/null
instructions=$(callgrind_annotate "$work/callgrind.out" |
  awk '/PROGRAM TOTALS/ { gsub(",", "", $1); print $1 }')
blocks=$(awk -F': ' '/"iterations"/ { gsub(",", "", $2); print $2; exit }' "$work/result.json")
block_size=512 # the benchmark's block size
awk -v i="$instructions" -v b="$blocks" -v n="$block_size" \
  'BEGIN { printf "process, default program: %.1f instructions per stereo frame (callgrind)\n", i / (b * n) }'
