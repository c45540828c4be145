#!/usr/bin/env bash
# Runs a command against a private Xvfb server that is started for it and stopped afterwards.
# Usage: tests/run-with-xvfb.sh COMMAND [ARGS...]
set -euo pipefail
if ! command -v Xvfb >/dev/null; then
  echo "Xvfb is not installed (scripts/install-deps.sh installs it)" >&2
  exit 1
fi
work=$(mktemp -d)
server=
cleanup() {
  if [ -n "$server" ]; then
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
# Xvfb picks a free display number and writes it to the descriptor once it accepts clients.
# -noreset: without it the server resets whenever its last client leaves, and a test connecting
# at that moment is refused.
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/log" &
server=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  if ! kill -0 "$server" 2>/dev/null; then
    cat "$work/log" >&2
    exit 1
  fi
  sleep 0.1
done
if [ ! -s "$work/display" ]; then
  echo "Xvfb did not start" >&2
  exit 1
fi
DISPLAY=":$(head -n 1 "$work/display")" "$@"
