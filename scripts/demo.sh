#!/usr/bin/env bash
# Sets up a fresh machine, builds the plug-in, installs it for Linux hosts (the VST 2 build in
# ~/.vst or $VST_PATH, the LV2 bundle in ~/.lv2 or $LV2_PATH)
# and runs the built-in demo into out/:
#   out/info.txt      what a host sees of each build at the demo's settings
#   out/input.wav     a generated bright sawtooth chord
#   out/demo.wav      the chord through the filter: a cutoff sweep on controller 71, then notes
#   out/response.png  the filter's magnitude response at the demo's settings (and response.csv)
#   out/editor.png    the plug-in's editor at the demo's settings
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}

scripts/install-deps.sh demo
# The demo needs only the plug-in and the host. A new build folder is set up without the tests
# and benchmarks, whose libraries the demo does not install; scripts/test.sh turns them on.
options=()
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
  options=(-DGLIDEFILTER_TESTS=OFF -DGLIDEFILTER_BENCH=OFF)
fi
cmake -S . -B "$build_dir" -G Ninja "${options[@]}" >/dev/null
cmake --build "$build_dir" -j "$(nproc)" --target plugins plughost
cmake --install "$build_dir"

plughost=$build_dir/plughost
plugin=$build_dir/glidefilter.so
bundle=$build_dir/glidefilter.lv2
mkdir -p out
source scripts/demo-settings.sh
{
  echo "== The VST 2 build ($plugin) at the demo's settings"
  "$plughost" info "$plugin" "${demo_settings[@]}"
  echo
  echo "== The LV2 build ($bundle) at the demo's settings"
  "$plughost" info "$bundle" "${demo_settings_lv2[@]}"
} | tee out/info.txt

rate=44100
"$plughost" generate out/input.wav --seconds 8 --rate "$rate"

# Seconds 0 to 4: controller 71 (the default cutoff controller) sweeps up and back down, one
# message every 20 ms. From 4.5 s: a note every half second moves the cutoff by key.
events=()
for ((step = 0; step <= 200; step++)); do
  if ((step <= 100)); then value=$((step * 127 / 100)); else value=$(((200 - step) * 127 / 100)); fi
  events+=(--cc "71:$value@$((step * rate / 50))")
done
notes=(57 64 69 76 81 88 69)
for ((i = 0; i < ${#notes[@]}; i++)); do
  events+=(--note "${notes[$i]}@$(((9 + i) * rate / 2))")
done

"$plughost" render "$plugin" out/input.wav out/demo.wav "${demo_settings[@]}" "${events[@]}"
"$plughost" response "$plugin" out/response.png "${demo_settings[@]}" --csv out/response.csv
# The editor as a host shows it at the demo's settings (on a private Xvfb when no desktop runs).
"$plughost" screenshot "$plugin" out/editor.png "${demo_settings[@]}"

echo
echo "Demo written to out/: demo.wav (listen), editor.png and response.png (look), info.txt."
installed=$build_dir/glidefilter-installed.txt
echo "Installed: $(sed -n 's/^[0-9a-f]*  \(.*glidefilter\.so\)$/\1/p' "$installed") (VST 2)" \
  "and $(sed -n 's/^[0-9a-f]*  \(.*\)\/glidefilter_dsp\.so$/\1/p' "$installed") (LV2); rescan in your host."
