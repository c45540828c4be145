#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]   (default 60 s, every fuzz_* target)
# The build goes to build-fuzz/ or $BUILD_DIR.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
build_dir=${BUILD_DIR:-build-fuzz}
if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for source in tests/fuzz/fuzz_*.cpp; do
    targets+=("$(basename "$source" .cpp)")
  done
fi
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DGLIDEFILTER_FUZZ=ON -DGLIDEFILTER_TESTS=OFF -DGLIDEFILTER_BENCH=OFF >/dev/null
cmake --build "$build_dir" -j 2 --target "${targets[@]}"
status=0
for name in "${targets[@]}"; do
  corpus=tests/fuzz/corpus/$name
  work=$(mktemp -d)
  [ -d "$corpus" ] && cp -r "$corpus/." "$work/"
  echo "== $name: ${seconds}s"
  if ! "$build_dir/fuzz/$name" -max_total_time="$seconds" -print_final_stats=1 "$work" 2>&1 | tail -n 12; then
    status=1
  fi
  rm -rf "$work"
done
exit $status
