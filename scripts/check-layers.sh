#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails on any file read by a translation unit of src/ that goes up or sideways between the
# layers, on Qt in a layer that must not use it, on a file in no target and on a window name
# outside the windows layer. What was read comes from the build's dependency data (the
# compiler's), the layers from the targets' source lists (src/CMakeLists.txt writes them to
# build/kva_layers.txt). Run by the tests (ctest -R layering); needs a configured build.
#
#   base        app/ (not main.cpp), state/
#   device      device/, usbspi/, hostsetup/ (not windows)     base
#   features    mainwindow/, capture/, config/, datalog/,      base, device
#               analysis/
#   windows     ui/ and every frm* / fm* file                  base, device, features
#   simulation  sim/                                           base, the device seams
#   platform    platform/                                      base, the device seams
#   program     app/main.cpp, app/desktop_program.*            everything
#   ctl         cli/                                           everything but windows
#
#   scripts/check-layers.sh [--build DIR] [--src DIR] [FILE...]   FILE: only these units
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$here/../build
src=$here/../src
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$2; shift 2 ;;
    --src) src=$2; shift 2 ;;
    *) break ;;
  esac
done
exec python3 "$here/check_layers.py" --src "$src" --build "$build" "$@"
