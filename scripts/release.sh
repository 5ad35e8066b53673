#!/usr/bin/env bash
# Builds a release into $DIST_DIR (dist): setup.exe, readme.txt and SHA256SUMS. With SIGN_KEY
# and SIGN_CERT (scripts/sign.sh) setup.exe is signed before the sums are made; without them
# it stays unsigned, and this says so. RELEASE_SETUP packages a setup.exe built before.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
dist=${DIST_DIR:-dist}

setup=${RELEASE_SETUP:-}
if [ -z "$setup" ]; then
  scripts/build.sh --shipped || exit 1
  setup="$build/setup.exe"
fi
scripts/check-shipped.sh "$setup" || exit 1

rm -rf "$dist" && mkdir -p "$dist" || exit 1
if [ -n "${SIGN_KEY:-}" ] && [ -n "${SIGN_CERT:-}" ]; then
  scripts/sign.sh "$setup" "$dist/setup.exe" || { echo "release: signing failed" >&2; exit 1; }
  echo "release: setup.exe signed with $SIGN_CERT${SIGN_TIMESTAMP_URL:+, time stamp from $SIGN_TIMESTAMP_URL}"
else
  cp "$setup" "$dist/setup.exe"
  echo "release: setup.exe is NOT signed (set SIGN_KEY and SIGN_CERT to sign it)"
fi
cp res/readme.txt "$dist/"
(cd "$dist" && sha256sum setup.exe readme.txt >SHA256SUMS) || exit 1
echo "release: $dist/ holds setup.exe, readme.txt, SHA256SUMS"
