#!/usr/bin/env bash
# The plug-in exports its two entry names and the two by which other libraries built on the X11
# toolkit find its I/O error handler (gui/platform/x11/x11errors.cpp), and nothing else.
set -euo pipefail
exported=$(nm -D --defined-only "$1" | awk '{print $3}' | LC_ALL=C sort | tr '\n' ' ')
expected="VSTPluginMain glidefilter_toolkit_x11_io_handler_v1 glidefilter_toolkit_x11_link_v1 main "
if [ "$exported" != "$expected" ]; then
  echo "unexpected exported symbols: $exported" >&2
  exit 1
fi
echo "exports: $exported"
