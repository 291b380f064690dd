#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package of both programs into build-deb/:
#   scripts/package.sh         ->  build-deb/kva7710-eval_<version>_<arch>.deb
# Install it with `sudo apt install ./build-deb/kva7710-eval_*.deb`.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --package
cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
      -DKVA_BUILD_TESTS=OFF -DKVA_BUILD_BENCH=OFF >/dev/null
cmake --build build-deb --parallel "$(nproc)"
cd build-deb
cpack -G DEB
ls -1 "$PWD"/kva7710-eval_*.deb
