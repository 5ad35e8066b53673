#!/usr/bin/env bash
# Installs what is missing, then configures and builds into $BUILD_DIR (build): the shipped
# 32-bit setup.exe there always, and everything that runs under Wine in the variant's tree
# (scripts/variant.sh): the same tree, or build/win64 with 64-bit programs.
# With --shipped only the shipped setup.exe and the stand-in messenger (for a release) are built.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
. scripts/variant.sh

scripts/install-deps.sh || exit 1
cmake --no-warn-unused-cli -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null || exit 1
if [ "${1:-}" = --shipped ]; then
  cmake --build "$build" -j"$(nproc)" --target setup qwill
  exit
fi
if [ "$WINE_VARIANT" = 32 ]; then
  cmake --build "$build" -j"$(nproc)"
  exit
fi
cmake --build "$build" -j"$(nproc)" --target setup || exit 1
run_build=$(variant_run_build "$build")
cmake --no-warn-unused-cli -S . -B "$run_build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
  -DSHIPPED_SETUP="$(cd "$build" && pwd)/setup.exe" >/dev/null || exit 1
cmake --build "$run_build" -j"$(nproc)"
