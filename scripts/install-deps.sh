#!/usr/bin/env bash
# Installs the cross compilers, Wine and the virtual display, only what is missing. Wine is
# the 32-bit one, or the 64-bit one where this machine cannot run 32-bit programs
# (scripts/variant.sh); the 32-bit cross compiler is always there, for the shipped setup.exe.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/variant.sh

packages=(g++-mingw-w64-i686 fonts-wine fonts-wqy-microhei xvfb xauth googletest cmake make imagemagick
  osslsigncode openssl zip unzip locales)
if [ "$WINE_VARIANT" = 64 ]; then
  packages+=(wine wine64 g++-mingw-w64-x86-64)
else
  packages+=(wine wine32:i386)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# Wine takes the system's code page from the locale's name, but makes non-ASCII file names only
# under a locale that glibc has: those of the tests' code pages (936, 1252, 932)
locales=()
for l in zh_CN en_US ja_JP; do
  locale -a 2>/dev/null | grep -qix "$l.utf8" || locales+=("$l")
done
[ ${#missing[@]} -eq 0 ] && [ ${#locales[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages: ${missing[*]}, locales: ${locales[*]}; run as root" >&2
  exit 1
fi

if [ ${#missing[@]} -eq 0 ]; then
  for l in "${locales[@]}"; do localedef -i "$l" -f UTF-8 "$l.UTF-8" || exit 1; done
  exit 0
fi
echo "install-deps: installing ${missing[*]}"
if [ "$WINE_VARIANT" = 32 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
for l in "${locales[@]}"; do localedef -i "$l" -f UTF-8 "$l.UTF-8"; done
