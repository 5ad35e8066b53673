# Sourced: a Wine session for this build tree, on a virtual display, torn down on exit.
# Sets WINEPREFIX (scratch, inside the build tree), the GBK code page, and DISPLAY.
# Usage: . scripts/wine-env.sh BUILD_DIR [keep-display]

wine_env_build=$(cd "$1" && pwd)
export WINEPREFIX="$wine_env_build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
{ export LC_ALL=zh_CN.UTF-8; } 2>/dev/null
wine_env_xvfb_pid=

wine_env_teardown() {
  wineserver -k >/dev/null 2>&1 || true
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
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "wine-env: creating the Wine prefix $WINEPREFIX"
  wineboot -i </dev/null >/dev/null 2>&1
  wineserver -w </dev/null >/dev/null 2>&1
fi
# Settings of the scratch prefix, made once: N: is a network drive (a folder of the build
# tree) for the remote-drive cases, and Wine draws its own window frames, as there is no
# window manager on the virtual display (a managed window costs seconds at every hide).
if [ ! -f "$WINEPREFIX/.qwill-prefix" ]; then
  mkdir -p "$wine_env_build/netshare"
  ln -sfn "$wine_env_build/netshare" "$WINEPREFIX/dosdevices/n:"
  wine reg add 'HKLM\Software\Wine\Drives' /v n: /d network /f </dev/null >/dev/null 2>&1 &&
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1 &&
  wineserver -w </dev/null >/dev/null 2>&1 &&
  touch "$WINEPREFIX/.qwill-prefix"
fi
wineserver -p </dev/null >/dev/null 2>&1
wine wineboot </dev/null >/dev/null 2>&1
