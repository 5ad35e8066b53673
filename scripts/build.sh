#!/usr/bin/env bash
# Installs what is missing, then configures and builds everything into $BUILD_DIR (build).
set -uo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}

scripts/install-deps.sh || exit 1
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null || exit 1
cmake --build "$build" -j"$(nproc)"
