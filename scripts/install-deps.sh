#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages the build needs. Idempotent: when everything is present nothing
# is installed and apt is not touched.
#
#   scripts/install-deps.sh               what the desktop program and kva7710ctl build with
#   scripts/install-deps.sh --test        and what the tests build and run with
#   scripts/install-deps.sh --bench       and what the benchmarks build with
#   scripts/install-deps.sh --fuzz        and what the fuzz harnesses build with (clang, libFuzzer)
#   scripts/install-deps.sh --screenshot  and what scripts/screenshot.sh runs with
#   scripts/install-deps.sh --package     and what scripts/package.sh and check-package.sh need
set -euo pipefail

# qt6-charts-dev leaves out the OpenGL module's CMake files that Qt6Charts needs.
packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-charts-dev libqt6opengl6-dev
          libusb-1.0-0-dev libcli11-dev libfftw3-dev)
for option in "$@"; do
  case "$option" in
    --test)
      # GoogleTest and GoogleMock; bus traces are decoded with sigrok-cli, some tests run under
      # a German locale, the format check uses clang-format, the --json output is checked with
      # python3's json.tool, and the USB backend is tested through libusb against an emulated
      # board (umockdev).
      packages+=(libgtest-dev libgmock-dev sigrok-cli locales clang-format python3
                 umockdev libumockdev-dev) ;;
    --bench)
      # The benchmarks (Google Benchmark), built by scripts/build.sh without options.
      packages+=(libbenchmark-dev) ;;
    --fuzz)
      # The fuzz harnesses are built with clang and linked with its libFuzzer runtime.
      packages+=(clang libclang-rt-dev) ;;
    --screenshot)
      # scripts/screenshot.sh runs the program under a virtual display and grabs its window.
      packages+=(xvfb xdotool x11-utils imagemagick) ;;
    --package)
      # Manual pages from --help, the .deb's dependencies from the binaries, and the checks of
      # scripts/check-package.sh: Debian's package checker, the desktop entry and the AppStream
      # metadata validators.
      packages+=(help2man dpkg-dev lintian desktop-file-utils appstream) ;;
    *)
      echo "install-deps.sh: unknown option $option" >&2
      exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [[ " $* " == *" --test "* ]] && ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  echo "Generating the de_DE.UTF-8 locale"
  "${sudo_cmd[@]}" sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  "${sudo_cmd[@]}" locale-gen >/dev/null
fi
