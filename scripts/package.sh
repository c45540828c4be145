#!/usr/bin/env bash
# Builds the Debian package: a Release build of the plug-ins and plughost in build-package/ (or
# $BUILD_DIR), `cpack -G DEB` there, and lintian over the result, which fails the script on an
# error. The .deb is written into OUT_FOLDER (default: the current folder).
# Usage: scripts/package.sh [OUT_FOLDER]
set -euo pipefail
out=$(realpath -m "${1:-.}")
cd "$(dirname "$0")/.."
scripts/install-deps.sh demo package
build_dir=${BUILD_DIR:-build-package}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DGLIDEFILTER_TESTS=OFF \
  -DGLIDEFILTER_BENCH=OFF >/dev/null
cmake --build "$build_dir" -j "$(nproc)" --target plugins plughost
rm -f "$build_dir"/glidefilter_*.deb
(cd "$build_dir" && cpack -G DEB >/dev/null)
mkdir -p "$out"
package=$(find "$build_dir" -maxdepth 1 -name 'glidefilter_*.deb')
mv "$package" "$out/"
package=$out/$(basename "$package")
lintian --fail-on error "$package"
echo "Package: $package"
