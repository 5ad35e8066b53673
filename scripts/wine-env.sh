# Sourced: a Wine session for this build tree, on a virtual display, torn down on exit.
# Sets WINEPREFIX (scratch, inside the build tree), the GBK code page, DISPLAY, and the Wine
# of the variant (scripts/variant.sh): QWILL_WINE runs a program, QWILL_WINESERVER is its server.
# Usage: . scripts/wine-env.sh BUILD_DIR [keep-display]
# With wine_env_fresh=1 the prefix is made anew.

. "$(dirname "${BASH_SOURCE[0]}")/variant.sh"
wine_env_build=$(cd "$1" && pwd)
export WINEPREFIX="$wine_env_build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
{ export LC_ALL=zh_CN.UTF-8; } 2>/dev/null
if [ "$WINE_VARIANT" = 64 ]; then
  # the wine wrapper takes the 32-bit loader whenever it is installed, runnable or not
  export QWILL_WINE=/usr/lib/wine/wine64 QWILL_WINESERVER=/usr/lib/wine/wineserver64 WINEARCH=win64
  export WINESERVER=$QWILL_WINESERVER WINELOADER=$QWILL_WINE
else
  # a new prefix would be 64-bit wherever 64-bit Wine is installed too
  export QWILL_WINE=wine QWILL_WINESERVER=wineserver WINEARCH=win32
fi
wine_env_xvfb_pid=
# a prefix of the other width (or of older scripts) cannot serve this Wine
if [ -f "$WINEPREFIX/system.reg" ] && [ "$(cat "$WINEPREFIX/.qwill-prefix" 2>/dev/null)" != "$WINEARCH" ]; then
  wine_env_fresh=1
fi
if [ "${wine_env_fresh:-0}" = 1 ]; then
  "$QWILL_WINESERVER" -k >/dev/null 2>&1  # one left by a run that was killed
  rm -rf "$WINEPREFIX"
fi

# A sourcing script may define wine_env_cleanup for its own teardown.
wine_env_teardown() {
  "$QWILL_WINESERVER" -k >/dev/null 2>&1 || true
  declare -F wine_env_cleanup >/dev/null && wine_env_cleanup
  [ -n "$wine_env_xvfb_pid" ] && kill "$wine_env_xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  return 0
}
trap wine_env_teardown EXIT
trap 'exit 130' INT TERM

if [ -z "${DISPLAY:-}" ] || [ "${2:-}" != keep-display ]; then
  wine_env_fd=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$wine_env_fd" </dev/null >/dev/null 2>&1 &
  wine_env_xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$wine_env_fd" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n1 "$wine_env_fd")"
  rm -f "$wine_env_fd"
fi

# Services that Wine starts inherit open descriptors: keep every Wine start detached.
wine_quiet() { "$QWILL_WINE" "$@" </dev/null >/dev/null 2>&1; }
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "wine-env: creating the Wine prefix $WINEPREFIX"
  wine_quiet wineboot -i
  "$QWILL_WINESERVER" -w </dev/null >/dev/null 2>&1
fi
# Settings of the scratch prefix, made once: N: is a network drive (a folder of the build
# tree) for the remote-drive cases, and Wine draws its own window frames, as there is no
# window manager on the virtual display (a managed window costs seconds at every hide).
if [ ! -f "$WINEPREFIX/.qwill-prefix" ]; then
  mkdir -p "$wine_env_build/netshare"
  ln -sfn "$wine_env_build/netshare" "$WINEPREFIX/dosdevices/n:"
  wine_quiet reg add 'HKLM\Software\Wine\Drives' /v n: /d network /f &&
  wine_quiet reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f &&
  "$QWILL_WINESERVER" -w </dev/null >/dev/null 2>&1 &&
  echo "$WINEARCH" >"$WINEPREFIX/.qwill-prefix"
fi
# The dialogs ask for SimSun, which every Windows with Chinese fonts has (Vista on: all); here
# a Chinese font of Debian stands in for it, whatever the locale of the process.
if [ ! -f "$WINEPREFIX/.qwill-fonts" ]; then
  wine_quiet reg add 'HKCU\Software\Wine\Fonts\Replacements' /v SimSun /d 'WenQuanYi Micro Hei' /f &&
  "$QWILL_WINESERVER" -w </dev/null >/dev/null 2>&1 &&
  touch "$WINEPREFIX/.qwill-fonts"
fi
# Wine looks for its own fonts beside its data folder, where this Debian build has none, so
# the caption buttons would be drawn in another font than the Marlett symbols; Wine also
# reads the fonts of C:\windows\Fonts.
wine_env_fonts="$WINEPREFIX/drive_c/windows/Fonts"
[ -f "$wine_env_fonts/marlett.ttf" ] || cp /usr/share/wine/fonts/marlett.ttf "$wine_env_fonts/" 2>/dev/null
"$QWILL_WINESERVER" -p </dev/null >/dev/null 2>&1
wine_quiet wineboot
