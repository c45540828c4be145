#!/usr/bin/env bash
# Sets up a fresh machine, builds everything and runs every test: once in the normal build (with
# every header compiled on its own), once in a build with AddressSanitizer and
# UndefinedBehaviorSanitizer, the threading tests once more with ThreadSanitizer, every fuzzer for
# a bounded time from its seed corpus, and clang-format and clang-tidy over the sources. The last
# line says which stages ran and passed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test bench

passed=()
current=
report() {
  if [ $? -eq 0 ]; then
    echo "test.sh: all ${#passed[@]} stages passed: ${passed[*]}"
  else
    echo "test.sh: FAILED in stage ${current:-setup}; passed before it: ${passed[*]:-none}" >&2
  fi
}
trap report EXIT

stage() {
  current=$1
  shift
  "$@"
  passed+=("$current")
}

normal() {
  # Tests and benchmarks on, also in a build/ the demo set up without them.
  scripts/build.sh -DGLIDEFILTER_WERROR=ON -DGLIDEFILTER_TESTS=ON -DGLIDEFILTER_BENCH=ON
  cmake --build build -j "$(nproc)" --target check-headers
  ctest --test-dir build --output-on-failure
}

sanitizers() {
  BUILD_DIR=build-asan scripts/build.sh -DGLIDEFILTER_WERROR=ON -DGLIDEFILTER_SANITIZE=ON \
    -DGLIDEFILTER_BENCH=OFF
  ctest --test-dir build-asan --output-on-failure
}

# The build with the host interface as first defined: what a host sees of it, and its own
# replacing path against the literal algorithm. Tests on, also in a build-legacy/ the README's
# lines set up for the plug-in alone.
legacy() {
  BUILD_DIR=build-legacy scripts/build.sh -DGLIDEFILTER_WERROR=ON -DGLIDEFILTER_LEGACY_HOSTS=ON \
    -DGLIDEFILTER_TESTS=ON -DGLIDEFILTER_BENCH=OFF
  ctest --test-dir build-legacy --output-on-failure -R 'host_tests|unit_tests|exported_symbols'
}

# ThreadSanitizer: only the tests that run threads against each other, to keep the run short.
threads() {
  cmake -S . -B build-tsan -G Ninja -DGLIDEFILTER_WERROR=ON -DGLIDEFILTER_TSAN=ON \
    -DGLIDEFILTER_BENCH=OFF >/dev/null
  cmake --build build-tsan -j "$(nproc)" --target thread_tests
  ctest --test-dir build-tsan --output-on-failure -L threads
}

# Every libFuzzer target from its committed corpus; FUZZ_SECONDS per target (default 60).
fuzz() {
  scripts/fuzz.sh "${FUZZ_SECONDS:-60}"
}

# The Windows plug-in cross-built with mingw-w64 and checked under Wine against the normal build
# (scripts/windows-check.sh); skipped, with one line, where the cross compiler or Wine cannot be
# installed.
windows() {
  if ! scripts/install-deps.sh windows >/dev/null 2>&1; then
    echo "test.sh: windows stage skipped: mingw-w64 or Wine cannot be installed here"
    current=windows-skipped
    return
  fi
  scripts/build-windows.sh >/dev/null
  scripts/windows-check.sh
}

sources() {
  git ls-files '*.cpp' '*.h'
}

format() {
  sources | xargs clang-format --dry-run -Werror
}

# The configuration in .clang-tidy, over the product's and the tools' sources in the normal build.
tidy() {
  run-clang-tidy -p build -quiet '/(frame|effect|editor|gui|tools|lv2)/' >/dev/null
}

stage normal normal
stage sanitizers sanitizers
stage legacy legacy
stage threads threads
stage fuzz fuzz
stage windows windows
stage format format
stage tidy tidy
