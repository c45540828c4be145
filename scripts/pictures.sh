#!/usr/bin/env bash
# Draws the README's pictures at the demo's settings into OUT_DIR, as the build draws them: the
# editor (editor.png, and editor-2x.png at twice the size) and the magnitude response
# (response.png). `cmake --build build --target regenerate-docs` rewrites docs/ with it; a test
# fails when docs/ differs.
# Usage: pictures.sh PLUGHOST PLUGIN OUT_DIR
set -euo pipefail
source "$(dirname "$0")/demo-settings.sh"
plughost=$1
plugin=$2
out=$3

mkdir -p "$out"
GLIDEFILTER_SCALE=1 "$plughost" screenshot "$plugin" "$out/editor.png" "${demo_settings[@]}"
GLIDEFILTER_SCALE=2 "$plughost" screenshot "$plugin" "$out/editor-2x.png" "${demo_settings[@]}"
"$plughost" response "$plugin" "$out/response.png" "${demo_settings[@]}"
