#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the built .deb: Debian's package checker (lintian: no errors, no warnings), the
# desktop entry (desktop-file-validate) and the AppStream metadata (appstreamcli validate);
# then installs it on a pristine minimal Debian 12 made with debootstrap and runs both programs
# from there, as a new user would after `apt install ./kva7710-eval_*.deb`. Needs root.
#   scripts/check-package.sh [build-deb/kva7710-eval_1.0.0_amd64.deb]
# The checkers come with `scripts/install-deps.sh --package`. The minimal root is made once,
# from the first Debian mirror of this machine's apt sources, and kept in
# /var/tmp/kva-fresh-bookworm.tar (shared with the team's fresh-machine check).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
deb=$(readlink -f "${1:-$(ls "$top"/build-deb/kva7710-eval_*.deb | tail -n 1)}")
[ "$(id -u)" -eq 0 ] || { echo "needs root (debootstrap, chroot, mount)"; exit 2; }
[ -f "$deb" ] || { echo "no package: run scripts/package.sh first"; exit 2; }
for tool in lintian desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || { echo "no $tool: run scripts/install-deps.sh --package"; exit 2; }
done

# Root is needed below; lintian only remarks on it.
if ! report=$(lintian --fail-on error,warning --tag-display-limit 0 "$deb" 2>&1); then
  echo "$report"
  echo "FAIL: lintian reports errors or warnings"
  exit 1
fi
grep -v "root privileges" <<<"$report" || true
echo "lintian: no errors, no warnings"
desktop-file-validate "$top/packaging/kva7710-eval.desktop"
echo "desktop-file-validate: passed"
appstreamcli validate --no-net "$top"/packaging/*.metainfo.xml

cache=/var/tmp/kva-fresh-bookworm.tar
if [ ! -s "$cache" ]; then
  command -v debootstrap >/dev/null || apt-get install -y -qq debootstrap >/dev/null
  made=$(mktemp -d /var/tmp/kva-fresh-build.XXXX)
  # the first Debian mirror of an active (uncommented) line of the apt sources
  mirror=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.sources /etc/apt/sources.list.d/*.list 2>/dev/null |
    grep -vE '^[[:space:]]*#' | grep -oE 'https?://[^ ]+/debian/?' | grep -v security | head -n 1 || true)
  [ -n "$mirror" ] || { echo "no Debian mirror found in the apt sources"; exit 2; }
  debootstrap --variant=minbase bookworm "$made/root" "$mirror" >/dev/null
  tar -C "$made" -cf "$cache" root && rm -rf "$made"
fi
work=$(mktemp -d /var/tmp/kva-package.XXXX)
root=$work/root
cleanup() {
  for m in dev/pts dev proc; do umount -l "$root/$m" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
tar -C "$work" -xf "$cache"
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/tmp/"
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
in_root() { chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 PATH=/usr/sbin:/usr/bin:/sbin:/bin "$@"; }

in_root apt-get update -qq
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "/tmp/$(basename "$deb")" >/dev/null
echo "installed: $(in_root dpkg-query -W -f='${Package} ${Version}' kva7710-eval)"
for f in /usr/bin/kva7710-eval /usr/bin/kva7710ctl /usr/share/applications/kva7710-eval.desktop \
         /usr/share/icons/hicolor/scalable/apps/kva7710-eval.svg \
         /usr/lib/udev/rules.d/60-kva7710-usbspi.rules /usr/share/man/man1/kva7710ctl.1.gz \
         /usr/share/man/man1/kva7710-eval.1.gz /usr/share/doc/kva7710-eval/copyright \
         /usr/share/doc/kva7710-eval/changelog.gz /usr/share/metainfo/invalid.kva7710.eval.metainfo.xml; do
  [ -e "$root$f" ] || { echo "FAIL: $f is missing"; exit 1; }
done
out=$(in_root bash -c 'cd /tmp && kva7710ctl --simulate read SUPPLY_OUT')
echo "kva7710ctl --simulate read SUPPLY_OUT: $out"
[[ "$out" == SUPPLY_OUT* ]] || { echo "FAIL: kva7710ctl"; exit 1; }
in_root bash -c 'cd /tmp && QT_QPA_PLATFORM=offscreen timeout 15 kva7710-eval --simulate >/dev/null 2>&1; [ $? -eq 124 ]' \
  || { echo "FAIL: kva7710-eval --simulate did not stay up"; exit 1; }
echo "kva7710-eval --simulate: running after 15 s"
echo "PASS: the package installs and runs on a fresh Debian 12"
