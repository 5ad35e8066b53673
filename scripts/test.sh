#!/usr/bin/env bash
# Builds everything and runs every test program under Wine on a virtual display.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
. scripts/variant.sh

scripts/build.sh || exit 1

run_build=$(variant_run_build "$build")
# A run that did not end (Ctrl-C, a time limit, a killed process) may have left the prefix in
# any state: start from a fresh one then.
running="$run_build/wineprefix/.qwill-test-running"
if [ -e "$running" ]; then
  echo "test: the last run did not end; making a fresh Wine prefix"
  wine_env_fresh=1
fi
. scripts/wine-env.sh "$run_build"
touch "$running"

# A small disk, drive S:, for the disk-full cases: a 4 MiB file system mounted in the build
# tree, where this user may mount (as root). Without it those cases are skipped.
small_disk="$(cd "$run_build" && pwd)/smalldisk"
wine_env_cleanup() { mountpoint -q "$small_disk" && umount "$small_disk"; rm -f "$WINEPREFIX/dosdevices/s:"; }
mkdir -p "$small_disk"
if mountpoint -q "$small_disk" || mount -t tmpfs -o size=4m qwill-small-disk "$small_disk" 2>/dev/null; then
  ln -sfn "$small_disk" "$WINEPREFIX/dosdevices/s:"
else
  rm -f "$WINEPREFIX/dosdevices/s:"
  echo "test: no small disk (mount not allowed here): the disk-full cases are skipped"
fi
(cd "$run_build" && ctest --output-on-failure --timeout 600 "$@")
status=$?
[ "$status" -lt 128 ] && rm -f "$running"  # ctest ended by itself, passed or not
echo "test: the programs ran under $WINE_VARIANT_WHY"
exit $status
