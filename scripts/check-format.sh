#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a C++ file of the tree differs from what clang-format makes of it with the
# project's .clang-format. The style is fixed to Debian 12's clang-format (14); with another
# version, or none, the check is skipped (exit 77) rather than judged by other rules.
#   scripts/check-format.sh          check
#   scripts/check-format.sh --fix    reformat in place
set -uo pipefail
cd "$(dirname "$0")/.."
tool=""
for candidate in clang-format-14 clang-format; do
  if command -v "$candidate" >/dev/null && "$candidate" --version | grep -q 'version 14\.'; then
    tool=$candidate
    break
  fi
done
if [ -z "$tool" ]; then
  echo "format: clang-format 14 not found (scripts/install-deps.sh --test installs it); not checked"
  exit 77
fi
mapfile -t files < <(find src tests bench fuzz tools -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.cc' \) 2>/dev/null | sort)
if [ "${1:-}" = "--fix" ]; then
  "$tool" -i "${files[@]}"
  exit 0
fi
mapfile -t bad < <("$tool" --dry-run "${files[@]}" 2>&1 | grep -oE '^[^:]+:[0-9]+:[0-9]+: warning:' | cut -d: -f1 | sort -u)
if [ ${#bad[@]} -gt 0 ]; then
  printf '  %s\n' "${bad[@]}"
  echo "format: ${#bad[@]} file(s) differ from .clang-format (scripts/check-format.sh --fix mends them)"
  exit 1
fi
echo "format: ${#files[@]} files as .clang-format has them"
