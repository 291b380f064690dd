#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and runs every test with ctest; then builds the whole suite
# again with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan and runs it there
# (the first report fails the run); then runs each fuzz harness for a short while.
#
#   scripts/test.sh               all of that
#   scripts/test.sh --no-asan     without the sanitizer build
#   scripts/test.sh --no-fuzz     without the fuzz regression
set -euo pipefail
cd "$(dirname "$0")/.."
asan=1
fuzz=1
for option in "$@"; do
  case "$option" in
    --no-asan) asan=0 ;;
    --no-fuzz) fuzz=0 ;;
    *) echo "test.sh: unknown option $option" >&2; exit 2 ;;
  esac
done

scripts/install-deps.sh --test $([ "$fuzz" = 1 ] && echo --fuzz)
scripts/build.sh
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)" --timeout 600)

if [ "$asan" = 1 ]; then
  # -O1 keeps the instrumented suite quick to run without making the build slow.
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-O1 \
    -DKVA_SANITIZE=address,undefined -DKVA_BUILD_TESTS=ON -DKVA_BUILD_BENCH=OFF >/dev/null
  cmake --build build-asan --parallel "$(nproc)"
  (cd build-asan &&
    ASAN_OPTIONS=halt_on_error=1:abort_on_error=0:detect_leaks=1 \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    LSAN_OPTIONS="suppressions=$PWD/../scripts/lsan.supp" \
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)" --timeout 900 \
      --stop-on-failure)
fi

if [ "$fuzz" = 1 ]; then
  scripts/fuzz.sh
fi
