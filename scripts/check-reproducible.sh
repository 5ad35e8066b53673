#!/usr/bin/env bash
# Builds setup.exe a second time, in another folder, and compares the bytes with SETUP_EXE:
# the same source must give the same program.
# Usage: scripts/check-reproducible.sh SETUP_EXE
set -uo pipefail
cd "$(dirname "$0")/.."
other=$(mktemp -d)
trap 'rm -rf "$other"' EXIT
cmake --no-warn-unused-cli -S . -B "$other" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null &&
  cmake --build "$other" --target setup -j"$(nproc)" >/dev/null || { echo "check-reproducible: build failed"; exit 1; }
if cmp -s "$1" "$other/setup.exe"; then
  echo "check-reproducible: a second build in $other gives the same $(stat -c %s "$1") bytes"
else
  echo "check-reproducible: a second build differs:"; cmp -l "$1" "$other/setup.exe" | head -n 10
  exit 1
fi
