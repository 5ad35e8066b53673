#!/usr/bin/env bash
# Builds setup.exe, stages a demo folder beside it and starts it under Wine: on your display
# when there is one, else on a virtual display, where a screenshot is saved.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}

scripts/build.sh || exit 1

demo="$build/demo"
mkdir -p "$demo"
cp "$build/setup.exe" "$demo/"
[ -f "$build/messenger/qwill.exe" ] && cp "$build/messenger/qwill.exe" "$demo/"
cp res/readme.txt "$demo/" 2>/dev/null || true

if [ -n "${DISPLAY:-}" ]; then
  . scripts/wine-env.sh "$build" keep-display
  echo "run: starting $demo/setup.exe on $DISPLAY"
  wine "$demo/setup.exe" "$@"
  echo "run: setup.exe exited with $?"
else
  . scripts/wine-env.sh "$build"
  shot="$build/setup-screenshot.png"
  echo "run: no display; starting $demo/setup.exe on the virtual display $DISPLAY"
  wine "$demo/setup.exe" "$@" </dev/null >/dev/null 2>&1 &
  sleep 4
  import -window root "$shot" && convert "$shot" -trim +repage "$shot" &&
    echo "run: screenshot of the dialog saved to $shot"
fi
