#!/usr/bin/env bash
# Renders the demo's input at the demo's settings, with controllers and notes at odd frames,
# through the Windows plug-in under Wine (winhost) and through the Linux build (plughost), at block
# sizes 1, 512 and 1000, and compares the two outputs sample for sample. Needs build/ (Linux) and
# build-windows/ (scripts/build-windows.sh); writes into build-windows/render-check/.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/demo-settings.sh
linux_build=${LINUX_BUILD_DIR:-build}
windows_build=${BUILD_DIR:-build-windows}
work=$windows_build/render-check
mkdir -p "$work"
export WINEPREFIX=$PWD/$windows_build/wineprefix WINEDEBUG=-all

rate=44100
"$linux_build/plughost" generate "$work/input-16.wav" --seconds 8 --rate "$rate" >/dev/null
# Float samples in, so that plughost writes floats too and nothing is rounded on the way out.
sox "$work/input-16.wav" -e floating-point -b 32 "$work/input.wav"
# The demo's controller sweep and notes, each moved to an odd frame.
events=()
for ((step = 0; step <= 200; step++)); do
  if ((step <= 100)); then value=$((step * 127 / 100)); else value=$(((200 - step) * 127 / 100)); fi
  events+=(--cc "71:$value@$((step * rate / 50 | 1))")
done
notes=(57 64 69 76 81 88 69)
for ((i = 0; i < ${#notes[@]}; i++)); do
  events+=(--note "${notes[$i]}@$(((9 + i) * rate / 2 | 1))")
done

# The samples alone, as raw 32-bit floats: the two files' headers differ.
samples() {
  sox -V1 "$1" -t f32 "$2"
}

failed=0
for block in 1 512 1000; do
  "$linux_build/plughost" render "$linux_build/glidefilter.so" "$work/input.wav" \
    "$work/linux-$block.wav" "${demo_settings[@]}" "${events[@]}" --block "$block" >/dev/null
  /usr/lib/wine/wine64 "$windows_build/tools/winhost/winhost.exe" render \
    "$windows_build/glidefilter.dll" "$work/input.wav" "$work/windows-$block.wav" \
    "${demo_settings[@]}" "${events[@]}" --block "$block"
  samples "$work/linux-$block.wav" "$work/linux-$block.f32"
  samples "$work/windows-$block.wav" "$work/windows-$block.f32"
  if cmp -s "$work/linux-$block.f32" "$work/windows-$block.f32"; then
    echo "block $block: the Windows and Linux renders are equal sample for sample"
  else
    echo "block $block: $(cmp -l "$work/linux-$block.f32" "$work/windows-$block.f32" | wc -l) bytes differ"
    failed=1
  fi
done
exit "$failed"
