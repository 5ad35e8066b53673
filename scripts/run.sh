#!/usr/bin/env bash
# Builds setup.exe, stages a demo folder, C:\Qwill-demo in the Wine prefix (setup.exe, a
# stand-in qwill.exe, readme.txt), and starts it under Wine: on your display when there is
# one, else on a virtual display, where a screenshot is saved. Where this machine cannot run
# 32-bit programs, the demo is the 64-bit build (scripts/variant.sh).
# Usage: scripts/run.sh [setup.exe arguments]
#        scripts/run.sh --screenshots   the four screenshots of docs/, on a virtual display
set -uo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
. scripts/variant.sh

scripts/build.sh || exit 1
run_build=$(variant_run_build "$build")
shots=
if [ "${1:-}" = --screenshots ]; then
  shots=docs
  unset DISPLAY
fi

# Decided before the Wine session, which sets DISPLAY to its virtual display.
own_display=${DISPLAY:-}
if [ -n "$own_display" ]; then
  . scripts/wine-env.sh "$run_build" keep-display
else
  . scripts/wine-env.sh "$run_build"
fi
demo="$WINEPREFIX/drive_c/Qwill-demo"
mkdir -p "$demo"
cp "$run_build/setup.exe" "$run_build/messenger/qwill.exe" res/readme.txt "$demo/"
setup='C:\Qwill-demo\setup.exe'

# Starts setup.exe with args, waits for its dialog, presses button id when given, and saves
# the screen, trimmed to the windows, as file.
shoot() {
  local file=$1 press=$2
  shift 2
  "$QWILL_WINE" "$setup" "$@" </dev/null >/dev/null 2>&1 &
  sleep 4
  if [ -n "$press" ]; then
    "$QWILL_WINE" "$run_build/benchtool.exe" click "$press" </dev/null >/dev/null 2>&1
    sleep 4
  fi
  import -window root "$file" && convert "$file" -trim +repage "$file" && echo "run: saved $file"
  "$QWILL_WINESERVER" -k >/dev/null 2>&1
  sleep 1
}

if [ -n "$shots" ]; then
  echo "run: screenshots of $setup on the virtual display $DISPLAY"
  shoot docs/setup-dialog.png ""
  shoot docs/setup-uninstall.png "" /r
  shoot docs/setup-browser.png 1136
  # as on a Western Windows, whose code page for non-Unicode programs is 1252
  LC_ALL=en_US.UTF-8 shoot docs/setup-english.png ""
elif [ -n "$own_display" ]; then
  echo "run: starting $setup on $DISPLAY"
  "$QWILL_WINE" "$setup" "$@"
  echo "run: setup.exe exited with $?"
else
  echo "run: no display; starting $setup on the virtual display $DISPLAY"
  shoot "$build/setup-screenshot.png" "" "$@"
fi
