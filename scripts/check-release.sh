#!/usr/bin/env bash
# Checks the release command with a certificate made for the check: the signature verifies
# against it, the sums hold, one changed byte breaks the signature, and a signed setup.exe
# still runs under Wine (the one this machine's Wine runs: the shipped one, or the 64-bit build).
# Usage: scripts/check-release.sh SHIPPED_SETUP RUNNABLE_SETUP   (in a Wine session)
set -uo pipefail
cd "$(dirname "$0")/.."
shipped=$1 runnable=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "check-release: $*"; failures=$((failures + 1)); }

openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
  -subj "/CN=Qwill release check" >/dev/null 2>&1 || { echo "check-release: openssl failed"; exit 1; }
export SIGN_KEY="$work/key.pem" SIGN_CERT="$work/cert.pem"
DIST_DIR="$work/dist" RELEASE_SETUP="$shipped" QWILL_EXE="$(dirname "$runnable")/messenger/qwill.exe" \
  scripts/release.sh >/dev/null || fail "the release command failed"
dist="$work/dist"

osslsigncode verify -CAfile "$SIGN_CERT" -in "$dist/setup.exe" >/dev/null 2>&1 ||
  fail "the signature of setup.exe does not verify"
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
# the archive carries the released (signed) program, byte for byte
version=$(sed -n 's/^#define VERSION_TEXT "\(.*\)"/\1/p' res/version.h)
unzip -p "$dist/qwill-setup-$version.zip" setup.exe | cmp -s - "$dist/setup.exe" ||
  fail "the archive's setup.exe is not the released dist/setup.exe"
cp "$dist/setup.exe" "$work/changed.exe"
printf '\xFF' | dd of="$work/changed.exe" bs=1 seek=2000 conv=notrunc status=none
osslsigncode verify -CAfile "$SIGN_CERT" -in "$work/changed.exe" >/dev/null 2>&1 &&
  fail "a changed byte still verifies"

signed="$dist/setup.exe"
if [ "$runnable" != "$shipped" ]; then
  signed="$work/setup.exe"
  scripts/sign.sh "$runnable" "$signed" || fail "signing $runnable failed"
fi
# an uninstall with nothing registered: it runs to its end, logs, and says so
"$QWILL_WINE" "$signed" /r /s "/log=$("$QWILL_WINE" winepath -w "$work/run.log" 2>/dev/null)" </dev/null >/dev/null 2>&1
grep -q "exit code" "$work/run.log" 2>/dev/null || fail "the signed setup.exe did not run under Wine"

[ "$failures" -eq 0 ] && echo "check-release: signed, verified, sums hold, a changed byte fails, runs under Wine"
[ "$failures" -eq 0 ]
