#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program on the simulated board.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
work="$PWD/run"
mkdir -p "$work"
cd "$work"
# A settings file that selects the USB adapter, so the window comes up reading live data.
if [ ! -f CommPort.cfg ]; then
  printf 'Interface =  2 \r\nPort Address =  888 \r\nFactory =  0 \r\n' > CommPort.cfg
fi
if [ -x ../build/kva7710-eval ]; then
  exec ../build/kva7710-eval --simulate "$@"
fi
echo "The desktop program is not built yet; showing the register map and the delay calibration instead."
exec ../build/kva7710_core_tests --gtest_filter='RegisterMap*:Delay*'
