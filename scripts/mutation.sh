#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A sampled mutation run: puts one small fault at a time into a seeded random sample of lines
# in src/ (the hardware backends and the two main.cpp aside), rebuilds, runs the whole ctest
# suite and prints every mutant the tests did not notice, then "killed K of V". It takes a
# while (about a minute a mutant on two cores) and is not part of scripts/test.sh.
#
#   scripts/mutation.sh [--sample N] [--seed S] [--report FILE]     (defaults: 60, 1)
#
# It builds in build-mutation/ without optimisation or debug information, which rebuilds and
# links quickest, with ccache and lld when they are installed. The sources are restored after
# every mutant and on Ctrl-C; do not edit src/ while it runs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --test
build=build-mutation
options=(-DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O0"
         -DKVA_BUILD_TESTS=ON -DKVA_BUILD_BENCH=OFF)
if command -v ccache >/dev/null; then options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
if command -v ld.lld >/dev/null; then options+=("-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld"); fi
cmake -S . -B "$build" -G Ninja "${options[@]}" >/dev/null
exec python3 scripts/mutation.py --build "$build" "$@"
