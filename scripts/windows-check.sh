#!/usr/bin/env bash
# Checks the Windows plug-in under Wine: the cross-built unit tests (ctest runs them under Wine);
# then against the Linux build: winhost's renders of the demo's input at the demo's settings
# (controllers and notes at odd frames; block sizes 1, 512 and 1000) against plughost's, sample for
# sample; winhost's screenshots of the editor (1x and 2x) against plughost's, pixel for pixel; and a
# click on the LP/HP switch, a knob drag, a typed controller number and wheel notches played with
# real input on the editor in winhost's window. Needs build/ (Linux, with plughost and
# tests/with_xvfb) and build-windows/ (scripts/build-windows.sh); works in build-windows/check/.
# Without DISPLAY it runs itself on a private Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
linux_build=${LINUX_BUILD_DIR:-build}
windows_build=${BUILD_DIR:-build-windows}
for needed in "$linux_build/plughost" "$windows_build/tools/winhost/winhost.exe"; do
  if [ ! -x "$needed" ]; then
    echo "windows-check: $needed is missing: build it first (scripts/test.sh builds both)" >&2
    exit 1
  fi
done
if [ -z "${DISPLAY:-}" ]; then
  if [ ! -x "$linux_build/tests/with_xvfb" ]; then
    echo "windows-check: no DISPLAY and no $linux_build/tests/with_xvfb to start an Xvfb" >&2
    exit 1
  fi
  exec "$linux_build/tests/with_xvfb" "$0" "$@"
fi
source scripts/demo-settings.sh
work=$windows_build/check
mkdir -p "$work"
export WINEPREFIX=$PWD/$windows_build/wineprefix WINEDEBUG=-all
# This prefix's Wine server and desktop go with the check, before the display does.
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true' EXIT
[ -d "$WINEPREFIX" ] || /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
plughost=$linux_build/plughost
winhost() {
  /usr/lib/wine/wine64 "$windows_build/tools/winhost/winhost.exe" "$1" \
    "$windows_build/glidefilter.dll" "${@:2}"
}
failed=0
fail() {
  echo "windows-check: $*" >&2
  failed=1
}

compare_renders() {
  local rate=44100
  "$plughost" generate "$work/input-16.wav" --seconds 8 --rate "$rate" >/dev/null
  # Float samples in, so that plughost writes floats too and nothing is rounded on the way out.
  sox "$work/input-16.wav" -e floating-point -b 32 "$work/input.wav"
  # The demo's controller sweep and notes, each moved to an odd frame.
  local events=() step value i
  for ((step = 0; step <= 200; step++)); do
    if ((step <= 100)); then value=$((step * 127 / 100)); else value=$(((200 - step) * 127 / 100)); fi
    events+=(--cc "71:$value@$((step * rate / 50 | 1))")
  done
  local notes=(57 64 69 76 81 88 69)
  for ((i = 0; i < ${#notes[@]}; i++)); do
    events+=(--note "${notes[$i]}@$(((9 + i) * rate / 2 | 1))")
  done
  local block
  for block in 1 512 1000; do
    "$plughost" render "$linux_build/glidefilter.so" "$work/input.wav" "$work/linux-$block.wav" \
      "${demo_settings[@]}" "${events[@]}" --block "$block" >/dev/null
    winhost render "$work/input.wav" "$work/windows-$block.wav" "${demo_settings[@]}" \
      "${events[@]}" --block "$block"
    # The samples alone, as raw 32-bit floats: the two files' headers differ.
    sox -V1 "$work/linux-$block.wav" -t f32 "$work/linux-$block.f32"
    sox -V1 "$work/windows-$block.wav" -t f32 "$work/windows-$block.f32"
    if cmp -s "$work/linux-$block.f32" "$work/windows-$block.f32"; then
      echo "render, block $block: equal to the Linux build's, sample for sample"
    else
      fail "render, block $block: $(cmp -l "$work/linux-$block.f32" "$work/windows-$block.f32" |
        wc -l) bytes differ from the Linux build's"
    fi
  done
}

# At 1x and enlarged twice, as GLIDEFILTER_SCALE asks both builds.
compare_screenshots() {
  local scale
  for scale in 1 2; do
    GLIDEFILTER_SCALE=$scale "$plughost" screenshot "$linux_build/glidefilter.so" \
      "$work/linux-${scale}x.png" "${demo_settings[@]}"
    pngtopnm "$work/linux-${scale}x.png" >"$work/linux-${scale}x.ppm"
    GLIDEFILTER_SCALE=$scale winhost screenshot "$work/windows-${scale}x.ppm" "${demo_settings[@]}"
    if cmp -s "$work/linux-${scale}x.ppm" "$work/windows-${scale}x.ppm"; then
      echo "screenshot at ${scale}x: equal to the Linux build's, pixel for pixel"
    else
      fail "screenshot at ${scale}x: $(cmp -l "$work/linux-${scale}x.ppm" \
        "$work/windows-${scale}x.ppm" | wc -l) bytes differ from the Linux build's"
    fi
  done
}

# The switch at (142, 80), the cutoff knob dragged from its lower right up by 20 pixels, 74 typed
# into the cutoff's controller field and the wheel turned 3 notches up over the resonance knob;
# the knobs end where the same gestures leave them on Linux (xdotool on plughost gui).
play_actions() {
  winhost play "${demo_settings[@]}" --act click:142,80 --act drag:38,70,20 \
    --act type:23,109,74 --act wheel:68,60,3 >"$work/play.txt"
  local expected
  for expected in "automate index=0 value=1.000000" "Flt.type = 1.000000 (HPF)" \
    "Frequency = 0.674523" "CC Cutoff = .* (74)" "Reso/BW = 0.570866"; do
    grep -q "$expected" "$work/play.txt" || fail "editor: no '$expected' in $work/play.txt"
  done
  [ "$failed" -ne 0 ] ||
    echo "editor: the switch, the knobs (drag, wheel) and the controller field answer as on Linux"
}

ctest --test-dir "$windows_build" -V >"$work/unit-tests.txt" 2>&1 ||
  fail "unit tests under Wine: see $work/unit-tests.txt"
[ "$failed" -ne 0 ] || echo "unit tests under Wine: $(grep -o 'PASSED  \] .*' "$work/unit-tests.txt")"
compare_renders
compare_screenshots
play_actions
exit "$failed"
