#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the fuzz harnesses with clang into build-fuzz and runs each from its seed corpus in
# fuzz/corpus/<harness>/ for a fixed time: a regression check that fails on any finding. What a
# run adds to the corpus stays in build-fuzz/corpus, not in the repository.
#
#   scripts/fuzz.sh                       every harness for 20 s
#   FUZZ_SECONDS=600 scripts/fuzz.sh      longer
#   scripts/fuzz.sh settings batch_line   only these
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --fuzz
seconds="${FUZZ_SECONDS:-20}"
harnesses=("$@")
if [ ${#harnesses[@]} -eq 0 ]; then
  harnesses=(settings number_text batch_line flash_image usb_answers)
fi

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKVA_BUILD_FUZZ=ON -DKVA_BUILD_UI=OFF -DKVA_BUILD_TESTS=OFF -DKVA_BUILD_BENCH=OFF \
  ${FUZZ_CMAKE_ARGS:-} >/dev/null
cmake --build build-fuzz --parallel "$(nproc)" --target "${harnesses[@]/#/fuzz_}"

for h in "${harnesses[@]}"; do
  work="build-fuzz/corpus/$h"
  mkdir -p "$work" "build-fuzz/findings/$h"
  echo "fuzz_$h: ${seconds} s"
  (cd "build-fuzz/findings/$h" &&
    ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "../../fuzz_$h" -max_total_time="$seconds" -print_final_stats=1 -max_len=4096 \
      "../../corpus/$h" "../../../fuzz/corpus/$h" 2>"../$h.log") || {
    tail -n 60 "build-fuzz/findings/$h.log"
    echo "fuzz_$h found a failure; the input is in build-fuzz/findings/$h/" >&2
    exit 1
  }
  grep -E "^stat::number_of_executed_units" "build-fuzz/findings/$h.log" | sed "s/^/  /"
done
