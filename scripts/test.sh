#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds both programs and the tests in Release into build/, and runs
# the whole suite with ctest: core and window tests, the libusb backend against emulated boards,
# the layering and the format check. A test that skips fails the run: everything here can run.
#
# The longer lanes have scripts of their own, and CI (.ci/run) runs them after this one:
#   scripts/test-sanitizers.sh   the suite again under AddressSanitizer and UBSan
#   scripts/fuzz.sh              each fuzz harness for a short while
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --test
scripts/build.sh --tests
cd build
log=Testing/test-sh.log
mkdir -p Testing
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)" --timeout 600 | tee "$log"
if grep -q "tests did not run" "$log"; then
  echo "test.sh: tests were skipped; every test is meant to run here" >&2
  exit 1
fi
