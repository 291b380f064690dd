#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails on any #include in src/ that goes up or sideways between the layers, and on Qt in a
# layer that must not use it. Run by the tests (ctest -R layering).
#
#   base        app/ (not main.cpp)
#   device      device/, usbspi/, hostsetup/            base
#   features    mainwindow/, capture/, config/, datalog/ base, device
#   windows     ui/ and every frm* / fm* file            base, device, features
#   simulation  sim/                                    base, the device seams below
#   platform    platform/                               base, the device seams below
#   program     app/main.cpp, app/desktop_program.*     everything
#   ctl         cli/                                    everything but windows
# A file named after a window (frm*, fm*) is a window whatever its folder.
set -uo pipefail
cd "$(dirname "$0")/../src"

# What the simulation and the backends may know of the device layer: the seams they plug into
# and the facts of the device and adapter they stand for.
seams=" device/port_io.h usbspi/ezusb_driver.h hostsetup/port_access.h device/board_stimulus.h "
seams+="usbspi/usb_adapter.h device/register_map.h "

layer_of() {
  local path=$1 name=${1##*/}
  case "$name" in frm* | fm*) echo windows; return ;; esac
  case "$path" in
    app/main.cpp | app/desktop_program.*) echo program ;;
    app/*) echo base ;;
    device/* | usbspi/* | hostsetup/*) echo device ;;
    mainwindow/* | capture/* | config/* | datalog/*) echo features ;;
    ui/*) echo windows ;;
    sim/*) echo simulation ;;
    platform/*) echo platform ;;
    cli/*) echo ctl ;;
    *) echo unknown ;;
  esac
}

allowed() {  # allowed FROM TO HEADER
  local from=$1 to=$2 header=$3
  [ "$from" = "$to" ] && return 0
  case "$from:$to" in
    device:base | features:base | features:device | windows:base | windows:device | \
      windows:features | simulation:base | platform:base | program:* | ctl:base | ctl:device | \
      ctl:features | ctl:simulation | ctl:platform)
      return 0 ;;
    simulation:device | platform:device)
      [[ "$seams" == *" $header "* ]] && return 0 ;;
  esac
  return 1
}

failures=0
while IFS= read -r file; do
  from=$(layer_of "$file")
  if [ "$from" = unknown ]; then
    echo "src/$file: in no layer (add its folder to scripts/check-layers.sh)"
    failures=$((failures + 1))
    continue
  fi
  while IFS=: read -r line header; do
    if [[ "$header" == \<Q* ]]; then
      case "$from" in
        windows | program) ;;
        *) echo "src/$file:$line: $from uses Qt ($header)"; failures=$((failures + 1)) ;;
      esac
      continue
    fi
    [[ "$header" == \"*\" ]] || continue
    header=${header#\"}
    header=${header%\"}
    [ -f "$header" ] || continue  # a header of another library
    to=$(layer_of "$header")
    if ! allowed "$from" "$to" "$header"; then
      echo "src/$file:$line: $from includes $to ($header)"
      failures=$((failures + 1))
    fi
  done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]' "$file" |
           sed -E 's/^([0-9]+):[[:space:]]*#[[:space:]]*include[[:space:]]*([<"][^>"]*[>"]).*/\1:\2/')
done < <(find . -type f \( -name '*.cpp' -o -name '*.h' \) | sed 's|^\./||' | sort)

if [ "$failures" -gt 0 ]; then
  echo "layering: $failures include(s) against the layers"
  exit 1
fi
echo "layering: every include goes down or stays in its layer"
