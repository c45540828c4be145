#!/usr/bin/env bash
# `cmake --install` and `--target uninstall` as users run them, on a stand-in plug-in that carries
# the plug-in's install rules (tests/install/), each case in a fresh folder with a HOME of its own.
# Usage: check-install.sh WORK_FOLDER CMAKE_GENERATOR
set -uo pipefail
source_dir=$(cd "$(dirname "$0")/install" && pwd)
work=$1
fixture=$work/fixture
output=$work/output
rm -rf "$work" && mkdir -p "$work" || exit 1
cmake -S "$source_dir" -B "$fixture" -G "$2" >/dev/null && cmake --build "$fixture" >/dev/null ||
  exit 1

failures=0
fail() {
  echo "FAIL $name: $*"
  sed 's/^/    /' "$output"
  failures=$((failures + 1))
}

# Runs `setup`, then `command` with `environment`, in a fresh case folder holding `home`.
run_case() {
  local setup=$1 environment=$2 command=$3
  case=$work/case
  home=$case/home
  rm -rf "$case" && mkdir -p "$home"
  (
    cd "$case" || exit 1
    export HOME=$home
    unset VST_PATH DESTDIR
    eval "$setup" && case_leftovers >"$work/before" && eval "$environment" && eval "$command"
  ) >"$output" 2>&1
}

# The files in the case folder, one a line.
case_files() {
  find "$case" -type f -o -type l | sort
}

# Whatever the case folder holds besides the empty home it started with.
case_leftovers() {
  find "$case" -mindepth 1 ! -path "$home" | sort
}

# What the case folder holds that its setup did not put there.
case_writes() {
  case_leftovers | comm -13 "$work/before" -
}

# `where` is the plug-in's file and `bundle` the LV2 bundle's folder the install leaves in the case
# folder, or '-' for a refusal, which writes nothing and says `says` in one line of its own, with
# no CMake call stack. An install below a prefix also writes plughost and the documents there.
expect_install() {
  name=$1
  local setup=$2 environment=$3 options=$4 where says bundle prefix expected
  run_case "$setup" "$environment" "cmake --install \"\$fixture\" $options"
  local status=$?
  where=$(eval echo "\"$5\"")
  says=$(eval echo "\"$6\"")
  bundle=$(eval echo "\"${7:-}\"")
  prefix=$(eval echo "\"${8:-}\"")
  if [ "$where" = - ]; then
    [ $status -ne 0 ] || fail "the install did not fail"
    [ -z "$(case_writes)" ] || fail "a refusal left $(case_writes)"
    ! grep -q "Call Stack" "$output" || fail "a refusal shows a call stack"
  else
    [ $status -eq 0 ] || fail "the install failed"
    expected=$(printf '%s\n' "$where" "$bundle/glidefilter_dsp.so" "$bundle/manifest.ttl" | sort)
    if [ -n "$prefix" ]; then
      expected=$(printf '%s\n' "$expected" "$prefix/bin/plughost" \
        "$prefix/share/doc/glidefilter/"{copyright,changelog.gz} | sort)
    fi
    [ "$(case_files)" = "$expected" ] || fail "installed $(case_files), not $expected"
  fi
  grep -qF -- "$says" "$output" || fail "the output does not say: $says"
}

# After an install, `change`, then the uninstall says `says` and `remains` holds.
expect_uninstall() {
  name=$1
  local change=$2 says remains
  run_case "cmake --install \"\$fixture\" >/dev/null" "$change" \
    "cmake --build \"\$fixture\" --target uninstall"
  local status=$?
  says=$(eval echo "\"$3\"")
  remains=$4
  [ $status -eq 0 ] || fail "the uninstall failed"
  grep -qF -- "$says" "$output" || fail "the output does not say: $says"
  (eval "$remains") || fail "afterwards this does not hold: $remains"
}

plugin='$home/.vst/glidefilter.so'
bundle='$home/.lv2/glidefilter.lv2'

#              name                            setup                          environment                    options                   where                                     says                                      bundle                                     prefix
expect_install 'a chosen prefix'               ''                             ''                             '--prefix "$case/usr"'    '$case/usr/lib/vst/glidefilter.so'        'Installed: $case/usr/lib/vst/glidefilter.so' '$case/usr/lib/lv2/glidefilter.lv2' '$case/usr'
expect_install "CMake's own prefix, given"     ''                             'export DESTDIR=$case/stage'   '--prefix /usr/local'     '$case/stage/usr/local/lib/vst/glidefilter.so' 'Installed'                        '$case/stage/usr/local/lib/lv2/glidefilter.lv2' '$case/stage/usr/local'
expect_install 'DESTDIR, relative VST_PATH'    ''                             'export DESTDIR=$case/stage VST_PATH=rel' ''             '$case/stage$case/rel/glidefilter.so'     'Installed'                               "\$case/stage$bundle"
expect_install 'VST_PATH ~/x'                  ''                             "export VST_PATH='~/x'"        ''                        '$home/x/glidefilter.so'                  'Installed'                               "$bundle"
expect_install 'VST_PATH ~user'                ''                             "export VST_PATH='~nobody/x'"  ''                        '-'                                       'Cannot install into ~nobody/x'
expect_install 'VST_PATH with a ;'             ''                             'export VST_PATH="$case/a;b:$case/c"' ''                 '$case/a;b/glidefilter.so'                'lists 2 folders'                         "$bundle"
expect_install 'no HOME, no VST_PATH'          ''                             'unset HOME'                   ''                        '-'                                       'No folder to install into'
expect_install 'a folder in the way'           "mkdir -p $plugin"             ''                             ''                        '-'                                       'is a folder; move it away first'
expect_install 'LV2_PATH, two folders'         ''                             'export LV2_PATH="$case/l;1:$case/l2"' ''                "$plugin"                                 'LV2_PATH lists 2 folders'                '$case/l;1/glidefilter.lv2'
expect_install 'LV2_PATH ~user'                ''                             "export LV2_PATH='~nobody/x'"  ''                        '-'                                       'Cannot install into ~nobody/x'
expect_install 'a folder in the bundle'        "mkdir -p $bundle/manifest.ttl" ''                            ''                        '-'                                       'is a folder; move it away first'

# A build folder configured but not built, then with only the VST 2 plug-in built (the target a
# user may pick): either way nothing is installed and the user is told to build.
unbuilt=$work/unbuilt
cmake -S "$source_dir" -B "$unbuilt" -G "$2" >/dev/null || exit 1
expect_install 'nothing built'                 "fixture=$unbuilt"             ''                             ''                        '-'                                       'build first'
expect_install 'one library of the bundle missing' "cmake --build $unbuilt --target glidefilter >/dev/null && fixture=$unbuilt" '' '' '-'                            'glidefilter_dsp.so is missing'
expect_install 'plughost missing, a prefix'    "cmake --build $unbuilt --target glidefilter_lv2 >/dev/null && fixture=$unbuilt" '' '--prefix "$case/usr"' '-'          'plughost is missing'

#                name                        change after the install            says                                  what holds afterwards
expect_uninstall 'the installed file'        ''                                  "Removed $plugin"                     '[ -z "$(case_leftovers)" ]'
expect_uninstall 'after two installs'        'cmake --install "$fixture" >/dev/null' "Removed $bundle"                 '[ -z "$(case_leftovers)" ]'
expect_uninstall 'a file of the user'        "echo mine >$plugin"                'changed since'                       "grep -q mine $plugin"
expect_uninstall 'a link of the user'        "rm $plugin && ln -s \$case $plugin" 'replaced since'                    "[ -L $plugin ]"
expect_uninstall 'a folder of the user'      "rm $plugin && mkdir $plugin"       'replaced since'                      "[ -d $plugin ]"
expect_uninstall 'already gone'              "rm $plugin"                        'Nothing to remove'                   'true'
expect_uninstall 'after a DESTDIR install'   "DESTDIR=\$case/stage cmake --install \$fixture >/dev/null" "Removed \$case/stage$plugin" "[ -f $plugin ] && [ ! -e \$case/stage$plugin ]"
expect_uninstall "the user's file in the bundle" "echo mine >$bundle/mine.ttl"   "Removed $bundle/manifest.ttl"        "[ -f $bundle/mine.ttl ] && [ ! -e $bundle/glidefilter_dsp.so ]"
expect_uninstall 'below a prefix'            'cmake --install "$fixture" --prefix "$case/usr" >/dev/null' 'Removed $case/usr/bin/plughost' '[ ! -e "$case/usr" ]'

# A build folder keeps the prefix CMake picked as unchosen when configured again; one configured
# with a prefix installs there.
expect_install 'configured again'              'cmake "$fixture" >/dev/null'  'export DESTDIR=$case/stage'   ''                        "\$case/stage$plugin"                     'Installed'                               "\$case/stage$bundle"
expect_install 'a prefix chosen at configure'  'cmake -DCMAKE_INSTALL_PREFIX="$case/opt" "$fixture" >/dev/null' '' ''      '$case/opt/lib/vst/glidefilter.so'        'Installed'                               '$case/opt/lib/lv2/glidefilter.lv2'          '$case/opt'
expect_install 'the configured libdir'         'cmake -DCMAKE_INSTALL_LIBDIR=lib64 "$fixture" >/dev/null' '' ''             '$case/opt/lib64/vst/glidefilter.so'      'Installed'                               '$case/opt/lib64/lv2/glidefilter.lv2'        '$case/opt'

# `command`, run in a fresh case folder, succeeds.
expect_holds() {
  name=$1
  run_case '' '' "$2" || fail "this does not hold: $2"
}

# Files are copied as built unless the install is asked to strip. The package holds the plug-ins
# in /usr/lib whatever the build folder's prefix, plughost and the documents, and building it
# leaves the record of the user's own install for the uninstall.
expect_holds 'stripped only when asked' 'cmake --install "$fixture" --prefix a && cmp "$fixture/plughost" a/bin/plughost &&
  cmake --install "$fixture" --prefix b --strip && ! cmp -s "$fixture/plughost" b/bin/plughost'
expect_holds 'the package' 'cmake --install "$fixture" && cpack --config "$fixture/CPackConfig.cmake" -B pkg &&
  dpkg-deb -c pkg/glidefilter_1.0_*.deb | awk "!/\/\$/ { print \$6 }" | sort >listed &&
  printf "./usr/%s\n" bin/plughost lib/vst/glidefilter.so lib/lv2/glidefilter.lv2/{glidefilter_dsp.so,manifest.ttl} \
    share/doc/glidefilter/{copyright,changelog.gz} | sort | diff - listed &&
  cmake --build "$fixture" --target uninstall && [ ! -e "'"$plugin"'" ]'

[ $failures -eq 0 ] && echo "all install cases pass"
exit $((failures > 0))
