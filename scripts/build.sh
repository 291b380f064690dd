#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures and builds in Release with Ninja into build/.
#
#   scripts/build.sh            everything: both programs, the tests and the benchmarks
#                               (install-deps.sh --test --bench)
#   scripts/build.sh --tests    both programs and the tests, what scripts/test.sh runs
#   scripts/build.sh --program  the desktop program and what it links, nothing else (needs
#                               none of the test packages)
set -euo pipefail
cd "$(dirname "$0")/.."
case "${1:-}" in
  --program)
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKVA_BUILD_TESTS=OFF -DKVA_BUILD_BENCH=OFF >/dev/null
    cmake --build build --parallel "$(nproc)" --target kva7710-eval ;;
  --tests)
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKVA_BUILD_TESTS=ON -DKVA_BUILD_BENCH=OFF >/dev/null
    cmake --build build --parallel "$(nproc)" ;;
  "")
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKVA_BUILD_TESTS=ON -DKVA_BUILD_BENCH=ON >/dev/null
    cmake --build build --parallel "$(nproc)" ;;
  *) echo "build.sh: unknown option $1" >&2; exit 2 ;;
esac
