#!/usr/bin/env bash
# Benchmark: setup.exe beside an NSIS installer and an MSI package doing the same install,
# and beside the floor (an empty dialog), under Wine on a virtual display, in one run. Prints
# a table; writes build/bench/results.md. RUNS=n sets the repetitions (default 7).
# On the 64-bit Wine path (scripts/variant.sh) the 64-bit build of setup.exe is measured, and
# the NSIS installer, a 32-bit program, is not.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
runs=${RUNS:-7}
. scripts/variant.sh

scripts/build.sh >/dev/null || exit 1
run_build=$(variant_run_build "$build")
need=()
for p in nsis wixl; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null || exit 1
fi

work="$run_build/bench"
rm -rf "$work" && mkdir -p "$work"/{payload,empty,stage,stage-big}
cp "$run_build/messenger/qwill.exe" "$run_build/setup.exe" res/readme.txt "$work/payload/"
for f in qwill.exe setup.exe readme.txt; do : > "$work/empty/$f"; done
cp "$work/payload/"* "$work/stage/"
cp "$work/payload/"* "$work/stage-big/"
# the stand-in, padded with written (not sparse) bytes to 256 MiB
size=$(stat -c %s "$work/stage-big/qwill.exe")
dd if=/dev/zero of="$work/stage-big/qwill.exe" bs=1M seek=1 count=255 conv=notrunc status=none
truncate -s 256M "$work/stage-big/qwill.exe"
[ "$size" -le 1048576 ] || { echo "bench: the stand-in grew past 1 MiB" >&2; exit 1; }

for kind in payload empty; do
  makensis -V1 -DPAYLOAD="$(pwd)/$work/$kind" -DOUTFILE="$(pwd)/$work/nsis-$kind.exe" bench/peers/qwill.nsi >/dev/null || exit 1
  cp bench/peers/qwill.wxs "$work/$kind/"
  (cd "$work/$kind" && wixl -o "../msi-$kind.msi" qwill.wxs 2>/dev/null) || exit 1
  rm "$work/$kind/qwill.wxs"
done

. scripts/wine-env.sh "$run_build"
tool="$run_build/benchtool.exe"
wine() { command "$QWILL_WINE" "$@"; }
win() { wine winepath -w "$1" 2>/dev/null; }
# opening a folder in the shell costs the same for everyone: make it a no-op while measuring
wine reg add 'HKCR\Folder\shell\open\command' /ve /d "\"$(win "$tool")\" noop \"%1\"" /f >/dev/null 2>&1
wine reg delete 'HKCR\Folder\shell\open\ddeexec' /f >/dev/null 2>&1

uninstall_all() {
  wine msiexec /x "$(win "$work/msi-payload.msi")" /qn >/dev/null 2>&1
  rm -rf "$WINEPREFIX/drive_c/Program Files/Qwill" "$WINEPREFIX/drive_c/Program Files (x86)/Qwill"
  wine reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\qwill.exe' /f >/dev/null 2>&1
  wine reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Qwill' /f >/dev/null 2>&1
  find "$WINEPREFIX/drive_c/users" -iname 'Qwill.lnk' -delete 2>/dev/null
}
measure() {  # label, benchtool arguments...
  local label=$1; shift
  for _ in $(seq "$runs"); do
    uninstall_all
    wine "$tool" "$@" 2>/dev/null | tr -d '\r' | sed "s/^/$label /"
  done
}

{
  echo "size ours $(stat -c %s "$build/setup.exe")"
  echo "variant $WINE_VARIANT"
  for peer in nsis msi; do
    ext=exe; [ $peer = msi ] && ext=msi
    echo "size $peer $(stat -c %s "$work/$peer-empty.$ext") $(stat -c %s "$work/$peer-payload.$ext")"
  done
  # the floor, the floor with setup.exe's start-up steps, and setup.exe alternate, so that a
  # drift of the machine touches all alike
  uninstall_all
  floor="\"$(win "$run_build/floor.exe")\""
  for _ in $(seq "$runs"); do
    for steps in "" ole comctl shell "ole comctl shell"; do
      wine "$tool" startup "$floor $steps" 2>/dev/null | tr -d '\r' | sed "s/^/startup-floor${steps:+-${steps// /-}} /"
    done
    wine "$tool" startup "\"$(win "$work/stage/setup.exe")\"" 2>/dev/null | tr -d '\r' | sed 's/^/startup-ours /'
  done
  [ "$WINE_VARIANT" = 32 ] && measure startup-nsis startup "\"$(win "$work/nsis-payload.exe")\""
  measure install-ours drive "$(win "$work/stage/setup.exe")" 'C:\Program Files\Qwill'
  [ "$WINE_VARIANT" = 32 ] && measure install-nsis run "\"$(win "$work/nsis-payload.exe")\" /S"
  measure install-msi run "msiexec /i \"$(win "$work/msi-payload.msi")\" /qn"
  measure copy-big drive "$(win "$work/stage-big/setup.exe")" 'C:\Program Files\Qwill'
  mkdir -p "$WINEPREFIX/drive_c/cp-dest"
  cp "$work/stage-big/qwill.exe" "$WINEPREFIX/drive_c/cp-dest/warm"  # same cache state as the install
  for _ in $(seq "$runs"); do
    rm -f "$WINEPREFIX/drive_c/cp-dest/qwill.exe"
    t0=$(date +%s%N); cp "$work/stage-big/qwill.exe" "$WINEPREFIX/drive_c/cp-dest/qwill.exe"
    echo "copy-cp cp_ms=$(( ($(date +%s%N) - t0) / 1000000 ))"
    # context: a copy through user space in 64 KiB blocks, as a plain read/write loop does
    rm -f "$WINEPREFIX/drive_c/cp-dest/qwill.exe"
    t0=$(date +%s%N); dd if="$work/stage-big/qwill.exe" of="$WINEPREFIX/drive_c/cp-dest/qwill.exe" bs=64K status=none
    echo "copy-dd dd_ms=$(( ($(date +%s%N) - t0) / 1000000 ))"
  done
  # setup.exe's copy (beside the target, then put in place) against a plain CopyFileA, both
  # over an existing 256 MiB file, alternately, each after the disk has written back the last
  target="$WINEPREFIX/drive_c/cp-dest/qwill.exe"
  cp "$work/stage-big/qwill.exe" "$target"
  for _ in $(seq "$runs"); do
    for way in copy replace; do
      for flush in "" flush; do
        sync
        wine "$tool" "$way" "$(win "$work/stage-big/qwill.exe")" "$(win "$target")" $flush 2>/dev/null |
          tr -d '\r' | sed "s/^/copy-$way${flush:+-flush} /"
      done
    done
  done
  rm -rf "$WINEPREFIX/drive_c/cp-dest"
  uninstall_all
} > "$work/raw.txt"

python3 bench/report.py "$work/raw.txt" "$(wine --version 2>/dev/null)" | tee "$work/results.md"
