#!/usr/bin/env bash
# Checks the shipped setup.exe without running it: a 32-bit GUI program, within 60 KiB, that
# imports only the functions of scripts/setup-imports.txt, each checked against the oldest
# systems the program claims.
# Usage: scripts/check-shipped.sh SETUP_EXE
set -uo pipefail
exe=$1
list="$(dirname "$0")/setup-imports.txt"
max_size=61440

failures=0
fail() { echo "check-shipped: $*"; failures=$((failures + 1)); }

# in the C locale: its words are matched below, and the test session runs under a Chinese one
headers=$(LC_ALL=C i686-w64-mingw32-objdump -p "$exe") || { echo "check-shipped: cannot read $exe"; exit 1; }
grep -q 'file format pei-i386' <<<"$headers" || fail "not a 32-bit (PE32) program"
grep -qE '^Subsystem[[:space:]]+00000002' <<<"$headers" || fail "not a GUI program"
size=$(stat -c %s "$exe")
[ "$size" -le "$max_size" ] || fail "$size bytes, more than $max_size"

known=$(grep -v '^#' "$list" | awk 'NF { print tolower($1) " " $2 }')
imports=$(awk '/DLL Name:/ { dll = tolower($3) }
               /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ { print dll " " $3 }' <<<"$headers")
[ -n "$imports" ] || fail "no imports found"
while read -r import; do
  grep -qxF "$import" <<<"$known" || fail "imports $import, which $list does not list"
done <<<"$imports"

[ "$failures" -eq 0 ] &&
  echo "check-shipped: $exe: PE32, GUI, $size bytes, $(wc -l <<<"$imports") imports, all listed"
[ "$failures" -eq 0 ]
