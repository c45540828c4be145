#!/usr/bin/env bash
# The plug-in exports its two entry names and nothing else.
set -euo pipefail
exported=$(nm -D --defined-only "$1" | awk '{print $3}' | sort | tr '\n' ' ')
if [ "$exported" != "VSTPluginMain main " ]; then
  echo "unexpected exported symbols: $exported" >&2
  exit 1
fi
echo "exports: $exported"
