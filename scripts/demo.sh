#!/usr/bin/env bash
# Sets up a fresh machine, builds the plug-in and shows what a host sees of it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
build/plughost info build/glidefilter.so
