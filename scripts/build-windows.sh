#!/usr/bin/env bash
# Cross-builds the 64-bit Windows VST 2 plug-in, build-windows/glidefilter.dll (or in $BUILD_DIR),
# with mingw-w64. FreeType has no mingw build in Debian, so it is built here, static, from Debian's
# own source package into the build folder's deps/; extra CMake arguments pass through to the
# plug-in's configuration.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh windows

build_dir=${BUILD_DIR:-build-windows}
mkdir -p "$build_dir"
build_dir=$(cd "$build_dir" && pwd)
sources=$build_dir/sources
deps=$build_dir/deps
toolchain=$PWD/cmake/mingw-w64-x86_64.cmake
source_list=/etc/apt/sources.list.d/glidefilter-deb-src.sources

# `apt-get source` needs a deb-src entry: one is added beside the machine's own entries (never in
# their place) when none of them offers Debian's sources.
ensure_source_entry() {
  if grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    return
  fi
  local suite
  suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
  local sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  printf '%s\n' 'Types: deb-src' 'URIs: http://deb.debian.org/debian' \
    "Suites: $suite $suite-updates" 'Components: main' \
    'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' |
    "${sudo_cmd[@]}" tee "$source_list" >/dev/null
  "${sudo_cmd[@]}" apt-get update -qq
}

# Unpacks Debian's source package $1 (patches applied) into $sources and prints its folder.
unpack_source() {
  local package=$1
  mkdir -p "$sources/$package"
  local unpacked
  unpacked=$(find "$sources/$package" -mindepth 1 -maxdepth 1 -type d | head -n 1)
  if [ -z "$unpacked" ]; then
    ensure_source_entry
    if ! (cd "$sources/$package" && apt-get source -qq "$package" >/dev/null 2>&1); then
      echo "build-windows.sh: apt-get source $package failed (is a Debian mirror reachable?)" >&2
      exit 1
    fi
    unpacked=$(find "$sources/$package" -mindepth 1 -maxdepth 1 -type d | head -n 1)
  fi
  echo "$unpacked"
}

# FreeType for Windows: the rasteriser alone, without the compression and shaping libraries it can
# use, which the plug-in's fonts do not need.
build_freetype() {
  [ ! -f "$deps/lib/libfreetype.a" ] || return 0
  local source
  source=$(unpack_source freetype)
  cmake -S "$source" -B "$build_dir/freetype-build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DCMAKE_INSTALL_PREFIX="$deps" \
    -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON \
    -DFT_DISABLE_BROTLI=ON >/dev/null
  cmake --build "$build_dir/freetype-build" -j 2 >/dev/null
  cmake --install "$build_dir/freetype-build" >/dev/null
}

# GoogleTest for the unit tests that run under Wine, from Debian's source package likewise.
build_googletest() {
  [ ! -f "$deps/lib/libgtest.a" ] || return 0
  local source
  source=$(unpack_source googletest)
  cmake -S "$source" -B "$build_dir/googletest-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF \
    -DCMAKE_INSTALL_PREFIX="$deps" -Dgtest_disable_pthreads=ON >/dev/null
  cmake --build "$build_dir/googletest-build" -j 2 >/dev/null
  cmake --install "$build_dir/googletest-build" >/dev/null
}

build_freetype
build_googletest
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DGLIDEFILTER_WINDOWS_DEPS="$deps" -DGLIDEFILTER_WERROR=ON -DGLIDEFILTER_TESTS=ON \
  -DGLIDEFILTER_BENCH=OFF "$@" >/dev/null
cmake --build "$build_dir" -j 2
