#!/usr/bin/env bash
# Installs the Debian packages a task needs, only those that are missing.
# Usage: scripts/install-deps.sh [demo|test|bench|package|windows]...   (default: demo, test and bench)
#   demo   building the plug-in and plughost, and running the demo (scripts/demo.sh)
#   test   the tests, sanitizer builds and fuzzers as well (scripts/test.sh, scripts/fuzz.sh)
#   bench  the benchmarks and their instruction count (scripts/bench.sh)
#   package  the Debian package, its dependencies and its check (scripts/package.sh)
#   windows  the Windows plug-in, cross-built with mingw-w64 and run under Wine
#            (scripts/build-windows.sh; dpkg-dev unpacks the Debian sources it builds from)
set -euo pipefail

demo=(
  build-essential cmake ninja-build pkg-config libx11-dev libfreetype-dev libfontconfig-dev
  fonts-liberation2 fonts-dejavu-core libpng-dev libsndfile1-dev libsamplerate0-dev libcairo2-dev xvfb
  lv2-dev liblilv-dev
)
test=(clang clang-format clang-tidy libclang-rt-14-dev libgtest-dev libgmock-dev libxtst-dev xdotool xauth sox
  sordi lilv-utils file)
bench=(libbenchmark-dev valgrind)
package=(dpkg-dev file lintian)
windows=(cmake ninja-build g++-mingw-w64-x86-64-posix wine64 dpkg-dev xvfb netpbm sox)

tasks=("$@")
[ ${#tasks[@]} -gt 0 ] || tasks=(demo test bench)
packages=("${demo[@]}")
for task in "${tasks[@]}"; do
  case "$task" in
  demo) ;;
  test) packages+=("${test[@]}") ;;
  bench) packages+=("${bench[@]}") ;;
  package) packages+=("${package[@]}") ;;
  windows) packages+=("${windows[@]}") ;;
  *)
    echo "usage: scripts/install-deps.sh [demo|test|bench|package|windows]..." >&2
    exit 2
    ;;
  esac
done

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
