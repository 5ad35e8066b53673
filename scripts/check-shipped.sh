#!/usr/bin/env bash
# Checks the shipped setup.exe without running it: a 32-bit GUI program, within 48 KiB, that
# imports only libraries of the system.
# Usage: scripts/check-shipped.sh SETUP_EXE
set -uo pipefail
exe=$1
max_size=49152
system_dlls=" advapi32.dll kernel32.dll msvcrt.dll ole32.dll shell32.dll user32.dll "

failures=0
fail() { echo "check-shipped: $*"; failures=$((failures + 1)); }

headers=$(i686-w64-mingw32-objdump -p "$exe") || { echo "check-shipped: cannot read $exe"; exit 1; }
grep -q 'file format pei-i386' <<<"$headers" || fail "not a 32-bit (PE32) program"
grep -qE '^Subsystem[[:space:]]+00000002' <<<"$headers" || fail "not a GUI program"
size=$(stat -c %s "$exe")
[ "$size" -le "$max_size" ] || fail "$size bytes, more than $max_size"
while read -r dll; do
  [[ "$system_dlls" == *" ${dll,,} "* ]] || fail "imports $dll, which is not a system library"
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")

[ "$failures" -eq 0 ] && echo "check-shipped: $exe: PE32, GUI, $size bytes, system libraries only"
[ "$failures" -eq 0 ]
