#!/usr/bin/env bash
# Sets up a fresh machine, builds everything and runs every test: once in the normal build,
# once in a build with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

scripts/build.sh -DGLIDEFILTER_WERROR=ON
ctest --test-dir build --output-on-failure

BUILD_DIR=build-asan scripts/build.sh -DGLIDEFILTER_WERROR=ON -DGLIDEFILTER_SANITIZE=ON \
  -DGLIDEFILTER_BENCH=OFF
ctest --test-dir build-asan --output-on-failure

# The build for hosts that only process in place: what a host sees of it.
BUILD_DIR=build-modern scripts/build.sh -DGLIDEFILTER_WERROR=ON -DGLIDEFILTER_MODERN_HOSTS=ON \
  -DGLIDEFILTER_BENCH=OFF
ctest --test-dir build-modern --output-on-failure -R 'host_tests|exported_symbols'
