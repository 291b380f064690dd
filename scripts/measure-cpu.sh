#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Measures the desktop program's processor use on the simulated board under a virtual X
# display: for SECONDS (default 10) while idle with the read loop stopped, then for as long
# again after clicking "Read" with Loop ticked. Prints both as a percentage of one core, from
# the program's user + system time in /proc/PID/stat. Builds nothing (scripts/build.sh first).
#
#   scripts/measure-cpu.sh [seconds]
# KVA_BUILD_DIR names another build folder; KVA_READ_X / KVA_READ_Y where "Read" sits.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
program="${KVA_BUILD_DIR:-$root/build}/kva7710-eval"
seconds="${1:-10}"
[ -x "$program" ] || { echo "measure-cpu: $program is not built" >&2; exit 1; }
for tool in xvfb-run xdotool xwininfo; do
  command -v "$tool" >/dev/null || { echo "measure-cpu: $tool is missing" >&2; exit 1; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
printf 'Interface =  2 \r\nPort Address =  888 \r\nFactory =  0 \r\n' > "$work/CommPort.cfg"

cat > "$work/measure.sh" <<'EOF'
set -euo pipefail
program="$1"; seconds="$2"; read_x="$3"; read_y="$4"
"$program" --simulate >program.log 2>&1 &
pid=$!
stop() { kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; }
trap stop EXIT
win=""
for _ in $(seq 1 120); do
  kill -0 "$pid" 2>/dev/null || { cat program.log >&2; exit 1; }
  win="$(xwininfo -root -tree | awk 'index($0, "KVA7710 Evaluation Software") { print $1; exit }')"
  [ -n "$win" ] && break
  sleep 0.5
done
[ -n "$win" ] || { echo "measure-cpu: no main window" >&2; exit 1; }
sleep 2  # the start-up pass is over

ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
share() {  # processor ticks over seconds as a percentage of one core
  awk -v t="$1" -v s="$seconds" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.1f", 100 * t / hz / s }'
}
t0="$(ticks)"; sleep "$seconds"; t1="$(ticks)"
echo "idle, loop stopped: $(share $((t1 - t0))) % of one core over $seconds s"

read -r wx wy < <(xwininfo -id "$win" |
  awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF } END { print x, y }')
xdotool mousemove $((wx + read_x)) $((wy + read_y)) click 1
sleep 1
t0="$(ticks)"; sleep "$seconds"; t1="$(ticks)"
echo "read loop running: $(share $((t1 - t0))) % of one core over $seconds s"
EOF

cd "$work"
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/measure.sh" "$program" "$seconds" \
  "${KVA_READ_X:-62}" "${KVA_READ_Y:-366}"
