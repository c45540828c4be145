#!/usr/bin/env bash
# Sets up a fresh machine, builds everything and runs every test: once in the normal build,
# once in a build with AddressSanitizer and UndefinedBehaviorSanitizer, the threading tests
# once more with ThreadSanitizer, and every fuzzer for a bounded time from its seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test bench

# Tests and benchmarks on, also in a build/ the demo set up without them.
scripts/build.sh -DGLIDEFILTER_WERROR=ON -DGLIDEFILTER_TESTS=ON -DGLIDEFILTER_BENCH=ON
ctest --test-dir build --output-on-failure

BUILD_DIR=build-asan scripts/build.sh -DGLIDEFILTER_WERROR=ON -DGLIDEFILTER_SANITIZE=ON \
  -DGLIDEFILTER_BENCH=OFF
ctest --test-dir build-asan --output-on-failure

# The build with the host interface as first defined: what a host sees of it, and its own
# replacing path against the literal algorithm.
BUILD_DIR=build-legacy scripts/build.sh -DGLIDEFILTER_WERROR=ON -DGLIDEFILTER_LEGACY_HOSTS=ON \
  -DGLIDEFILTER_BENCH=OFF
ctest --test-dir build-legacy --output-on-failure -R 'host_tests|unit_tests|exported_symbols'

# ThreadSanitizer: only the tests that run threads against each other, to keep the run short.
cmake -S . -B build-tsan -G Ninja -DGLIDEFILTER_WERROR=ON -DGLIDEFILTER_TSAN=ON \
  -DGLIDEFILTER_BENCH=OFF >/dev/null
cmake --build build-tsan -j "$(nproc)" --target thread_tests
ctest --test-dir build-tsan --output-on-failure -L threads

# Every libFuzzer target from its committed corpus; FUZZ_SECONDS per target (default 60).
scripts/fuzz.sh "${FUZZ_SECONDS:-60}"
