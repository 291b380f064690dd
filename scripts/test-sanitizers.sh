#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The sanitizer lane: builds the whole suite with AddressSanitizer and UndefinedBehaviorSanitizer
# into build-asan/ and runs it there; the first report fails the run. A full second build: it
# takes a good while longer than scripts/test.sh, which CI (.ci/run) runs first.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --test
# -O1 keeps the instrumented suite quick to run without making the build slow.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-O1 \
  -DKVA_SANITIZE=address,undefined -DKVA_BUILD_TESTS=ON -DKVA_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan --parallel "$(nproc)"
cd build-asan
ASAN_OPTIONS=halt_on_error=1:abort_on_error=0:detect_leaks=1 \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
LSAN_OPTIONS="suppressions=$PWD/../scripts/lsan.supp" \
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)" --timeout 900 \
  --stop-on-failure
