#!/usr/bin/env bash
# Builds everything and runs every test program under Wine on a virtual display.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}

scripts/build.sh || exit 1

. scripts/wine-env.sh "$build"
cd "$build" && ctest --output-on-failure --timeout 600 "$@"
