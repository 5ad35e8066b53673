#!/usr/bin/env bash
# Builds a release into $DIST_DIR (dist): setup.exe and readme.txt, one archive that carries
# them with the messenger (what a deployment engine downloads), the winget manifests of that
# archive, a Group Policy start-up script (docs/DEPLOYMENT.md) and SHA256SUMS. With SIGN_KEY
# and SIGN_CERT (scripts/sign.sh) setup.exe is signed before anything is packed; without them
# it stays unsigned, and this says so.
#   QWILL_EXE      the messenger to ship (without it: the stand-in of this repository, for tests)
#   QWILL_ORG_EXE  an org\qwill.exe to ship beside it, when the release has one
#   QWILL_RELEASE_URL  where the archive will be published (scripts/winget-manifests.sh)
#   RELEASE_SETUP  a setup.exe built before; RELEASE_UNCHECKED=1 packs one that is not the
#                  shipped program (the 64-bit build that the tests run on 64-bit Wine)
set -uo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
dist=${DIST_DIR:-dist}

setup=${RELEASE_SETUP:-}
if [ -z "$setup" ]; then
  scripts/build.sh --shipped || exit 1
  setup="$build/setup.exe"
fi
[ -n "${RELEASE_UNCHECKED:-}" ] || scripts/check-shipped.sh "$setup" || exit 1
messenger=${QWILL_EXE:-$build/messenger/qwill.exe}
[ -f "$messenger" ] || { echo "release: no messenger at $messenger (set QWILL_EXE)" >&2; exit 1; }

rm -rf "$dist" && mkdir -p "$dist" && dist=$(cd "$dist" && pwd) || exit 1
if [ -n "${SIGN_KEY:-}" ] && [ -n "${SIGN_CERT:-}" ]; then
  scripts/sign.sh "$setup" "$dist/setup.exe" || { echo "release: signing failed" >&2; exit 1; }
  echo "release: setup.exe signed with $SIGN_CERT${SIGN_TIMESTAMP_URL:+, time stamp from $SIGN_TIMESTAMP_URL}"
else
  cp "$setup" "$dist/setup.exe"
  echo "release: setup.exe is NOT signed (set SIGN_KEY and SIGN_CERT to sign it)"
fi
cp res/readme.txt "$dist/"
sed "s/@VERSION@/$(sed -n 's/^#define VERSION_TEXT "\(.*\)"/\1/p' res/version.h)/" res/qwill-startup.cmd |
  sed 's/$/\r/' >"$dist/qwill-startup.cmd" || exit 1

# The archive: the same bytes for the same files (fixed times, modes and order, no extras).
version=$(sed -n 's/^#define VERSION_TEXT "\(.*\)"/\1/p' res/version.h)
archive="qwill-setup-$version.zip"
stage=$(mktemp -d) && trap 'rm -rf "$stage"' EXIT
files=(setup.exe qwill.exe readme.txt)
cp "$dist/setup.exe" "$dist/readme.txt" "$stage/" && cp "$messenger" "$stage/qwill.exe" || exit 1
if [ -n "${QWILL_ORG_EXE:-}" ]; then
  mkdir "$stage/org" && cp "$QWILL_ORG_EXE" "$stage/org/qwill.exe" || exit 1
  files+=(org/qwill.exe)
fi
chmod 644 "${files[@]/#/$stage/}"
touch -d "@${SOURCE_DATE_EPOCH:-315532800}" "${files[@]/#/$stage/}"
(cd "$stage" && TZ=UTC zip -X -D -q "$dist/$archive" "${files[@]}") || exit 1
if [ -z "${QWILL_EXE:-}" ]; then
  echo "release: $archive holds the STAND-IN messenger of this repository: for testing only (set QWILL_EXE)"
fi

manifests=$(scripts/winget-manifests.sh "$dist" "$dist/$archive") || exit 1
if [ -z "${QWILL_RELEASE_URL:-}" ]; then
  echo "release: the winget manifests carry a PLACEHOLDER download address: not for submitting (set QWILL_RELEASE_URL)"
fi
(cd "$dist" && sha256sum setup.exe readme.txt "$archive" qwill-startup.cmd >SHA256SUMS) || exit 1
echo "release: $dist/ holds setup.exe, readme.txt, $archive, qwill-startup.cmd (Group Policy), SHA256SUMS" \
  "and the manifests in ${manifests#$dist/}"
