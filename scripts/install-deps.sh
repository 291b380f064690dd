#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Idempotent: when everything is
# present nothing is installed and apt is not touched.
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config qt6-base-dev libusb-1.0-0-dev libgtest-dev
          libbenchmark-dev libcli11-dev)
case "${1:-}" in
  --test)
    # The tests also decode bus traces with sigrok-cli and run under a German locale.
    packages+=(sigrok-cli locales) ;;
  --screenshot)
    # scripts/screenshot.sh runs the program under a virtual display and grabs its window.
    packages+=(xvfb xdotool x11-utils imagemagick) ;;
esac

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

if [ "${1:-}" = "--test" ] && ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  echo "Generating the de_DE.UTF-8 locale"
  "${sudo_cmd[@]}" sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  "${sudo_cmd[@]}" locale-gen >/dev/null
fi
