#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and starts the program on the simulated board.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh --program
work="$PWD/run"
mkdir -p "$work"
cd "$work"
# A settings file that selects the USB adapter, so the window comes up reading live data.
if [ ! -f CommPort.cfg ]; then
  printf 'Interface =  2 \r\nPort Address =  888 \r\nFactory =  0 \r\n' > CommPort.cfg
fi
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display: run this from a desktop session (or under xvfb-run)." >&2
  exit 1
fi
exec ../build/kva7710-eval --simulate "$@"
