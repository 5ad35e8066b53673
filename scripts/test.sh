#!/usr/bin/env bash
# Builds everything and runs every test program under Wine on a virtual display.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
. scripts/variant.sh

scripts/build.sh || exit 1

run_build=$(variant_run_build "$build")
. scripts/wine-env.sh "$run_build"
(cd "$run_build" && ctest --output-on-failure --timeout 600 "$@")
status=$?
echo "test: the programs ran under $WINE_VARIANT_WHY"
exit $status
