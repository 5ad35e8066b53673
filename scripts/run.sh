#!/usr/bin/env bash
# Builds setup.exe, stages a demo folder beside it and starts it under Wine: on your display
# when there is one, else on a virtual display, where a screenshot is saved. Where this
# machine cannot run 32-bit programs, the demo is the 64-bit build (scripts/variant.sh).
set -uo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
. scripts/variant.sh

scripts/build.sh || exit 1

run_build=$(variant_run_build "$build")
demo="$run_build/demo"
mkdir -p "$demo"
cp "$run_build/setup.exe" "$run_build/messenger/qwill.exe" res/readme.txt "$demo/"

if [ -n "${DISPLAY:-}" ]; then
  . scripts/wine-env.sh "$run_build" keep-display
  echo "run: starting $demo/setup.exe on $DISPLAY"
  "$QWILL_WINE" "$demo/setup.exe" "$@"
  echo "run: setup.exe exited with $?"
else
  . scripts/wine-env.sh "$run_build"
  shot="$build/setup-screenshot.png"
  echo "run: no display; starting $demo/setup.exe on the virtual display $DISPLAY"
  "$QWILL_WINE" "$demo/setup.exe" "$@" </dev/null >/dev/null 2>&1 &
  sleep 4
  import -window root "$shot" && convert "$shot" -trim +repage "$shot" &&
    echo "run: screenshot of the dialog saved to $shot"
fi
