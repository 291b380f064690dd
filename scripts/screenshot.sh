#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Saves a picture of the main window reading live data from the simulated board, for the
# documentation. Builds nothing: run scripts/build.sh --program first.
#
#   scripts/screenshot.sh [output.png]      default docs/main-window.png
#
# Runs the built program under a virtual X display (xvfb-run) in a scratch folder whose
# CommPort.cfg selects the USB adapter, starts the read loop by clicking "Read" (needs xdotool;
# without it the picture shows the start-up reading), and grabs the window with ImageMagick.
# KVA_BUILD_DIR names another build folder (default build/).
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KVA_BUILD_DIR:-$root/build}"
program="$build/kva7710-eval"
out="${1:-$root/docs/main-window.png}"
case "$out" in /*) ;; *) out="$PWD/$out" ;; esac

# Where "Read" sits inside the main window, in pixels from its top-left corner.
read_x="${KVA_READ_X:-62}"
read_y="${KVA_READ_Y:-366}"

die() { echo "screenshot: $*" >&2; exit 1; }
[ -x "$program" ] || die "$program is not built (run scripts/build.sh --program)"
command -v xvfb-run >/dev/null || die "xvfb-run is missing (package xvfb)"
command -v import >/dev/null || die "ImageMagick's import is missing (package imagemagick)"
command -v xwininfo >/dev/null || die "xwininfo is missing (package x11-utils)"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
printf 'Interface =  2 \r\nPort Address =  888 \r\nFactory =  0 \r\n' > "$work/CommPort.cfg"
mkdir -p "$(dirname "$out")"

# Everything below runs inside the virtual display.
cat > "$work/shoot.sh" <<'EOF'
set -euo pipefail
program="$1"; out="$2"; read_x="$3"; read_y="$4"
"$program" --simulate >program.log 2>&1 &
pid=$!
stop() { kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; }
trap stop EXIT

# The main window appears after the delay calibration (several seconds).
title="KVA7710 Evaluation Software"
win=""
for _ in $(seq 1 120); do
  kill -0 "$pid" 2>/dev/null || { cat program.log >&2; echo "screenshot: the program ended" >&2; exit 1; }
  win="$(xwininfo -root -tree | awk -v t="$title" 'index($0, t) { print $1; exit }')"
  [ -n "$win" ] && break
  sleep 0.5
done
[ -n "$win" ] || { echo "screenshot: no main window after 60 s" >&2; exit 1; }
sleep 1

geometry() {
  xwininfo -id "$win" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
                             /Width:/ { w = $NF } /Height:/ { h = $NF }
                             END { print x, y, w, h }'
}
read -r wx wy ww wh < <(geometry)

if command -v xdotool >/dev/null; then
  xdotool mousemove $((wx + read_x)) $((wy + read_y)) click 1
  # Let the loop draw a good stretch of the plot, then check that something moved.
  import -window "$win" before.png
  sleep 6
  import -window "$win" after.png
  if [ "$(compare -metric AE before.png after.png null: 2>&1 || true)" = "0" ]; then
    echo "screenshot: the window did not change after clicking Read at ($read_x, $read_y);" \
         "set KVA_READ_X / KVA_READ_Y if the layout moved. Keeping the start-up reading." >&2
  fi
else
  echo "screenshot: xdotool is missing: the picture shows the start-up reading only" >&2
fi
import -window "$win" "$out"
EOF

cd "$work"
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/shoot.sh" "$program" "$out" "$read_x" "$read_y"
echo "saved $out"
