# Sourced: which Wine runs the programs here, 32-bit or 64-bit. Sets and exports
#   WINE_VARIANT      32 or 64
#   WINE_VARIANT_WHY  one line for the user
# The shipped setup.exe is 32-bit on every machine; the variant decides only what the tests,
# the demo and the benchmark run. FORCE_WINE64=1 takes the 64-bit path on any machine.

# A 32-bit Linux program, 96 bytes: exit(42). Only a kernel that runs 32-bit programs
# itself gives 42 back.
variant_probe_runs_32bit() {
  local probe rc
  probe=$(mktemp) || return 1
  printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000' >"$probe"
  printf '\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000' >>"$probe"
  printf '\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000' >>"$probe"
  printf '\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010' >>"$probe"
  printf '\140\000\000\000\140\000\000\000\005\000\000\000\000\020\000\000' >>"$probe"
  printf '\273\052\000\000\000\270\001\000\000\000\315\200' >>"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null
  rc=$?
  rm -f "$probe"
  [ "$rc" -eq 42 ]
}

# A binfmt_misc handler for 32-bit x86 programs (qemu-i386) runs them emulated: far too slow
# for Wine.
variant_32bit_is_emulated() {
  local entry
  for entry in /proc/sys/fs/binfmt_misc/*; do
    [ -f "$entry" ] || continue
    grep -qx enabled "$entry" 2>/dev/null &&
      grep -q '^magic 7f454c4601010100000000000000000002000[36]00' "$entry" 2>/dev/null && return 0
  done
  return 1
}

if [ -z "${WINE_VARIANT:-}" ]; then
  if [ "${FORCE_WINE64:-0}" = 1 ]; then
    WINE_VARIANT=64
    WINE_VARIANT_WHY="64-bit Wine (forced by FORCE_WINE64=1)"
  elif ! variant_probe_runs_32bit; then
    WINE_VARIANT=64
    WINE_VARIANT_WHY="64-bit Wine (this machine's kernel does not run 32-bit programs)"
  elif variant_32bit_is_emulated; then
    WINE_VARIANT=64
    WINE_VARIANT_WHY="64-bit Wine (32-bit programs run here only under emulation)"
  else
    WINE_VARIANT=32
    WINE_VARIANT_WHY="32-bit Wine (this machine runs 32-bit programs)"
  fi
  export WINE_VARIANT WINE_VARIANT_WHY
  echo "variant: $WINE_VARIANT_WHY"
fi

# The build tree whose programs run under Wine: the 32-bit tree itself, or a 64-bit tree in it.
variant_run_build() {
  if [ "$WINE_VARIANT" = 64 ]; then echo "$1/win64"; else echo "$1"; fi
}
