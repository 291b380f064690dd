#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The layering check against reads across the layers that a check of #include lines let
# through: each is injected into a copy of src/ and must fail, naming the file. Only the
# touched unit is run through the compiler (-M with its own flags), so this stays quick.
#   tests/scripts/check_layers_test.sh BUILD_DIR
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:?usage: check_layers_test.sh BUILD_DIR}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/build"
failed=0

fresh_copy() {
  rm -rf "$work/src"
  cp -r "$root/src" "$work/src"
  sed "s|$root/src|$work/src|g" "$build/compile_commands.json" >"$work/build/compile_commands.json"
  cp "$build/kva_layers.txt" "$work/build/kva_layers.txt"
}

check() {  # check WANT(pass|fail) NAME UNIT...
  local want=$1 name=$2
  shift 2
  local out code
  out=$("$root/scripts/check-layers.sh" --src "$work/src" --build "$work/build" "$@" 2>&1)
  code=$?
  if [ "$want" = pass ] && [ $code -ne 0 ]; then
    echo "FAIL $name: the check refused the tree as it is:"; echo "$out"; failed=1
  elif [ "$want" != pass ] && { [ $code -eq 0 ] || ! grep -q "src/$want" <<<"$out"; }; then
    echo "FAIL $name: expected a finding naming src/$want, got (exit $code):"; echo "$out"; failed=1
  else
    echo "ok   $name"
  fi
}

fresh_copy
check pass "untouched tree" device/register_access.cpp capture/capture_plot.cpp app/settings.cpp

echo '#include "../sim/kva7710.h"' >>"$work/src/device/register_access.cpp"
check device/register_access.cpp "device reaches the simulator by a relative path" \
  device/register_access.cpp

fresh_copy
echo '#include "frmCapDisplay.h"' >>"$work/src/capture/capture_plot.cpp"
check capture/capture_plot.cpp "core includes a window header of its own folder" \
  capture/capture_plot.cpp

fresh_copy
printf '#include "../sim/kva7710.h"\n' >"$work/src/device/bus_helper.cc"
check device/bus_helper.cc "a .cc file" device/register_access.cpp

fresh_copy
echo '#include <qstring.h>' >>"$work/src/app/settings.cpp"
check app/settings.cpp "Qt in the base layer" app/settings.cpp

fresh_copy
printf '#include <string>\n' >"$work/src/config/fmTrim.cpp"
echo "features config/fmTrim.cpp" >>"$work/build/kva_layers.txt"
check config/fmTrim.cpp "a core file named like a window" config/sample_period.cpp

exit $failed
