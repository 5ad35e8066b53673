#!/usr/bin/env bash
# Benchmark: setup.exe beside an NSIS installer and an MSI package doing the same install,
# and beside floors of our own, under Wine on a virtual display, in one run. Prints a table;
# writes build/bench/results.md. RUNS=n sets the rounds of the start-ups (default 100),
# INSTALL_RUNS those of the unattended installs (default twice RUNS), DIALOG_RUNS those of the
# installs with the dialog and of the unattended runs with a step log (default 10), COPY_RUNS
# those of the 256 MiB copies (default 5).
# On the 64-bit Wine path (scripts/variant.sh) the 64-bit build of setup.exe is measured, and
# the NSIS installer, a 32-bit program, is not.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
runs=${RUNS:-100}
install_runs=${INSTALL_RUNS:-$((2 * runs))}
dialog_runs=${DIALOG_RUNS:-10}
copy_runs=${COPY_RUNS:-5}
. scripts/variant.sh

scripts/build.sh >/dev/null || exit 1
run_build=$(variant_run_build "$build")
need=()
for p in nsis wixl python3; do
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
  rm -rf "$WINEPREFIX/drive_c/Program Files/Qwill" "$WINEPREFIX/drive_c/Program Files (x86)/Qwill"
  wine cmd /c "reg delete \"HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\qwill.exe\" /f & reg delete \"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Qwill\" /f" >/dev/null 2>&1
  find "$WINEPREFIX/drive_c/users" "$WINEPREFIX/drive_c/ProgramData" -iname 'Qwill.lnk' -delete 2>/dev/null
}
# label, benchtool arguments...: one measure of this round; install: from a prefix without it
once() {
  local label=$1; shift
  wine "$tool" "$@" 2>/dev/null | tr -d '\r' | sed "s/^/$label round=$round /"
}
install() { uninstall_all; once "$@"; }
# names benchtool's lines "... program=i ..." by labels[i]
label() { while read -r line; do i=${line##*program=}; i=${i%% *}; echo "${labels[$i]} $line"; done; }
folder='C:\Program Files\Qwill'

{
  echo "size ours $(stat -c %s "$build/setup.exe")"
  echo "variant $WINE_VARIANT"
  echo "runs $runs $install_runs $dialog_runs $copy_runs"
  for peer in nsis msi; do
    ext=exe; [ $peer = msi ] && ext=msi
    echo "size $peer $(stat -c %s "$work/$peer-empty.$ext") $(stat -c %s "$work/$peer-payload.$ext")"
  done
  # Start-up and the unattended install: each measured by one benchtool process, every program
  # once in each round after a pause to settle, so that a drift of the machine touches all
  # alike and each ratio is taken within its round. The floors: the same work as setup.exe's
  # (dialogfloor, setupinstallfloor), and the bare ones with setup.exe's start-up steps one by
  # one (floor, installfloor), which tell where the time goes.
  floor="\"$(win "$run_build/floor.exe")\""
  setup="\"$(win "$work/stage/setup.exe")\""
  labels=(startup-floor startup-floor-ole startup-floor-comctl startup-floor-shell startup-floor-ole-comctl-shell
    startup-dialogfloor startup-ours)
  programs=("$floor" "$floor ole" "$floor comctl" "$floor shell" "$floor ole comctl shell"
    "\"$(win "$run_build/dialogfloor.exe")\"" "$setup")
  if [ "$WINE_VARIANT" = 32 ]; then
    labels+=(startup-nsis) programs+=("\"$(win "$work/nsis-payload.exe")\"")
  fi
  wine "$tool" startups "$runs" "${programs[@]}" 2>/dev/null | tr -d '\r' | label
  msi="\"$(win "$work/msi-payload.msi")\""
  args="\"$(win "$work/stage")\" \"$folder\""
  # setup.exe writes no firewall rules here: neither peer does, and Wine keeps none
  labels=(silent-ours silent-setupfloor silent-floor) programs=("$setup /s /firewall=off"
    "\"$(win "$run_build/setupinstallfloor.exe")\" $args" "\"$(win "$run_build/installfloor.exe")\" $args")
  if [ "$WINE_VARIANT" = 32 ]; then
    labels+=(silent-nsis) programs+=("\"$(win "$work/nsis-payload.exe")\" /S")
  fi
  # the MSI package stays registered with the system until msiexec removes it (unmeasured)
  labels+=(silent-msi) programs+=("msiexec /i $msi /qn" "undo:msiexec /x $msi /qn")
  uninstall_all
  wine "$tool" installs "$install_runs" "$folder" "${programs[@]}" 2>/dev/null | tr -d '\r' | label
  # Where setup.exe's unattended time goes: its step log (times to the millisecond), and its
  # start alone (ended by a switch it does not know) against the same-work floor's start alone.
  steps="$WINEPREFIX/drive_c/bench-steps.log"
  rm -f "$steps"
  labels=(silent-ours-log start-ours start-setupfloor)
  programs=("$setup /s /firewall=off /log=C:\\bench-steps.log" "$setup /s /startonly" "\"$(win "$run_build/setupinstallfloor.exe")\"")
  wine "$tool" installs "$dialog_runs" "$folder" "${programs[@]}" 2>/dev/null | tr -d '\r' | label
  [ -f "$steps" ] && tr -d '\r' < "$steps" | sed 's/^\xef\xbb\xbf//; s/^/steplog /'
  # the installs with the dialog: fewer rounds
  for round in $(seq "$dialog_runs"); do
    install dialog-ours drive "$(win "$work/stage/setup.exe")" "$folder"
    [ "$WINE_VARIANT" = 32 ] && install dialog-nsis pages "\"$(win "$work/nsis-payload.exe")\""
  done
  for round in $(seq "$copy_runs"); do
    install copy-big drive "$(win "$work/stage-big/setup.exe")" "$folder"
  done
  mkdir -p "$WINEPREFIX/drive_c/cp-dest"
  cp "$work/stage-big/qwill.exe" "$WINEPREFIX/drive_c/cp-dest/warm"  # same cache state as the install
  for _ in $(seq "$copy_runs"); do
    rm -f "$WINEPREFIX/drive_c/cp-dest/qwill.exe"
    t0=$(date +%s%N); cp "$work/stage-big/qwill.exe" "$WINEPREFIX/drive_c/cp-dest/qwill.exe"
    echo "copy-cp cp_ms=$(( ($(date +%s%N) - t0) / 1000000 ))"
    # context: a copy through user space in 64 KiB blocks, as a plain read/write loop does
    rm -f "$WINEPREFIX/drive_c/cp-dest/qwill.exe"
    t0=$(date +%s%N); dd if="$work/stage-big/qwill.exe" of="$WINEPREFIX/drive_c/cp-dest/qwill.exe" bs=64K status=none
    echo "copy-dd dd_ms=$(( ($(date +%s%N) - t0) / 1000000 ))"
  done
  # over an existing 256 MiB file, until the new file is on the disk, alternately, each after
  # the disk has written back the last: the system's CopyFileA, setup.exe's copy (beside the
  # target, written out, moved into place) and the same steps without writing out before the move
  target="$WINEPREFIX/drive_c/cp-dest/qwill.exe"
  cp "$work/stage-big/qwill.exe" "$target"
  for round in $(seq "$copy_runs"); do
    for way in copy unflushed replace; do
      sync
      wine "$tool" "$way" "$(win "$work/stage-big/qwill.exe")" "$(win "$target")" flush 2>/dev/null |
        tr -d '\r' | sed "s/^/copy-$way round=$round /"
    done
  done
  rm -rf "$WINEPREFIX/drive_c/cp-dest"
  uninstall_all
} > "$work/raw.txt"

python3 bench/report.py "$work/raw.txt" "$(wine --version 2>/dev/null)" | tee "$work/results.md"
