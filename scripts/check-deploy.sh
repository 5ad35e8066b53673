#!/usr/bin/env bash
# Makes the release that the deployment test of test_setup installs as an engine does, and
# checks its winget manifests against the rules of their schema (1.10.0) that matter here:
# required fields, allowed values, patterns, the archive's hash, every documented exit code
# mapped. The archive is unpacked into a folder not named after the package, as engines do.
# Usage: scripts/check-deploy.sh RUNNABLE_SETUP   (the setup.exe this machine's Wine runs)
set -uo pipefail
cd "$(dirname "$0")/.."
setup=$1
build=$(cd "$(dirname "$setup")" && pwd)
deploy="$build/deploy"
failures=0
fail() { echo "check-deploy: $*"; failures=$((failures + 1)); }

DIST_DIR="$deploy" RELEASE_SETUP="$setup" RELEASE_UNCHECKED=1 QWILL_EXE="$build/messenger/qwill.exe" \
  scripts/release.sh >/dev/null || { echo "check-deploy: the release command failed"; exit 1; }
version=$(sed -n 's/^#define VERSION_TEXT "\(.*\)"/\1/p' res/version.h)
archive="$deploy/qwill-setup-$version.zip"
dir="$deploy/manifests/k/Korvane/Qwill/$version"
unpacked="$deploy/Engine Temp 1"
unzip -q "$archive" -d "$unpacked" || fail "the archive does not unpack"
cp "$deploy/qwill-startup.cmd" "$unpacked/"

# value KEY FILE: the first value of KEY, without quotes
value() { sed -n "s/^ *-\{0,1\} *$1: *//p" "$2" | head -n1 | sed "s/^'\(.*\)'$/\1/; s/^\"\(.*\)\"$/\1/"; }
expect() { [ "$(value "$1" "$3")" = "$2" ] || fail "$(basename "$3"): $1 is '$(value "$1" "$3")', not '$2'"; }
matches() { grep -Eq "$2" <<<"$(value "$1" "$3")" || fail "$(basename "$3"): $1 '$(value "$1" "$3")' breaks /$2/"; }
each_in() {  # every value of KEY in FILE is one of the allowed
  local key=$1 file=$2 v
  shift 2
  while read -r v; do
    [[ " $* " == *" $v "* ]] || fail "$(basename "$file"): $key '$v' is not allowed"
  done < <(sed -n "s/^ *-\{0,1\} *$key: *//p" "$file")
}

for kind in version installer locale.zh-CN; do
  file="$dir/Korvane.Qwill.yaml"
  [ "$kind" = version ] || file="$dir/Korvane.Qwill.$kind.yaml"
  [ -f "$file" ] || { fail "no $file"; continue; }
  expect ManifestVersion 1.10.0 "$file"
  matches PackageIdentifier '^[^. \\/:*?"<>|]{1,32}(\.[^. \\/:*?"<>|]{1,32}){1,7}$' "$file"
  expect PackageVersion "$version" "$file"
done
expect DefaultLocale zh-CN "$dir/Korvane.Qwill.yaml"
expect ManifestType version "$dir/Korvane.Qwill.yaml"

locale="$dir/Korvane.Qwill.locale.zh-CN.yaml"
expect ManifestType defaultLocale "$locale"
matches PackageLocale '^([a-zA-Z]{2,3}|[iI]-[a-zA-Z]+|[xX]-[a-zA-Z]{1,8})(-[a-zA-Z]{1,8})*$' "$locale"
for key in Publisher PackageName License ShortDescription Moniker; do matches "$key" '^.{2,}' "$locale"; done

installer="$dir/Korvane.Qwill.installer.yaml"
expect ManifestType installer "$installer"
each_in InstallerType "$installer" msix msi appx exe zip inno nullsoft wix burn pwa portable font
each_in NestedInstallerType "$installer" msix msi appx exe inno nullsoft wix burn portable font
each_in Architecture "$installer" x86 x64 arm arm64 neutral
each_in Scope "$installer" user machine
each_in ElevationRequirement "$installer" elevationRequired elevationProhibited elevatesSelf
each_in UpgradeBehavior "$installer" install uninstallPrevious deny
# an upgrade installs over the old one: an uninstall first would delete the person's settings and keys
expect UpgradeBehavior install "$installer"
each_in ReturnResponse "$installer" packageInUse packageInUseByApplication installInProgress fileInUse \
  missingDependency diskFull insufficientMemory invalidParameter noNetwork contactSupport rebootRequiredToFinish \
  rebootRequiredForInstall rebootInitiated cancelledByUser alreadyInstalled downgrade blockedByPolicy \
  systemNotSupported custom
sed -n '/^InstallModes:/,/^[A-Z]/s/^  - //p' "$installer" | while read -r mode; do
  [[ " interactive silent silentWithProgress " == *" $mode "* ]] || echo "check-deploy: install mode '$mode' is not allowed"
done | grep . && failures=$((failures + 1))
expect RelativeFilePath setup.exe "$installer"
[ -f "$unpacked/$(value RelativeFilePath "$installer")" ] || fail "the nested installer is not in the archive"
matches InstallerUrl '^[Hh][Tt][Tt][Pp][Ss]?://.+$' "$installer"
expect InstallerSha256 "$(sha256sum "$archive" | cut -d' ' -f1 | tr a-f A-F)" "$installer"
expect ProductCode "$(sed -n 's/^#define UNINSTALL_KEY_NAME "\(.*\)".*/\1/p' res/version.h)" "$installer"
# one installer for each scope, each asking for its scope (an administrator's setup.exe would
# otherwise choose the machine, a standard user's the user)
scopes=$(awk '/^Installers:/ { on = 1; next } on && /^[A-Z]/ { on = 0 } on && /^  - / { n++ } on { entry[n] = entry[n] $0 "\n" }
  END { for (i = 1; i <= n; i++) {
          scope = entry[i] ~ /Scope: user/ ? "user" : entry[i] ~ /Scope: machine/ ? "machine" : "none"
          asked = entry[i] ~ /Custom: \/peruser\n/ ? "user" : entry[i] ~ /Custom: \/allusers\n/ ? "machine" : "none"
          print (scope == asked ? scope : scope "-asking-" asked) } }' "$installer" | sort | tr '\n' ' ')
[ "$scopes" = "machine user " ] || fail "installer entries by scope: $scopes(not one machine with /allusers and one user with /peruser)"
# the codes of the README's table, and only those
documented=$( (sed -n '/^| Code | Meaning |/,/^$/s/^| \([0-9][0-9]*\) |.*/\1/p' README.md) | grep -vx 0 | sort -u)
mapped=$(sed -n 's/^ *- InstallerReturnCode: //p' "$installer" | sort -u)
[ "$documented" = "$mapped" ] || fail "mapped exit codes $(echo $mapped) are not the documented $(echo $documented)"
# each code's winget response as docs/DEPLOYMENT.md's table gives it (3010, a restart that
# completes the install, is a success that winget must not take for a failure)
while IFS='|' read -r _ code _ response _; do
  code=$(xargs <<<"$code") response=$(xargs <<<"$response")
  [ "$code" = 0 ] && continue
  grep -A1 "InstallerReturnCode: $code\$" "$installer" | grep -q "ReturnResponse: $response\$" ||
    fail "$code is not mapped to $response, as docs/DEPLOYMENT.md says"
done < <(sed -n '/^| Code | Meaning | winget/,/^$/p' docs/DEPLOYMENT.md | tail -n +3 | grep '^|')

# the start-up script that docs/DEPLOYMENT.md shows is the one released
diff <(sed -n '/^```bat$/,/^```$/p' docs/DEPLOYMENT.md | sed '1d;$d') <(tr -d '\r' <"$deploy/qwill-startup.cmd") >/dev/null ||
  fail "the start-up script of docs/DEPLOYMENT.md is not the released one"

[ "$failures" -eq 0 ] && echo "check-deploy: release, archive and manifests in $deploy hold"
[ "$failures" -eq 0 ]
