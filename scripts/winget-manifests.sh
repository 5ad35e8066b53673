#!/usr/bin/env bash
# Writes the winget manifests of a release (version, installer, default locale; schema 1.10.0)
# in the community repository's layout below DIR: manifests/k/Korvane/Qwill/<version>/.
# Every name and number comes from res/version.h, as in the program and its registry entry.
# Usage: scripts/winget-manifests.sh DIR ARCHIVE
#   QWILL_RELEASE_URL: where ARCHIVE will be downloaded from (a placeholder by default)
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1 archive=$2

define() { sed -n "s/^#define $1 \"\\(.*\\)\".*/\\1/p" res/version.h; }
version=$(define VERSION_TEXT)
publisher=$(define COMPANY_NAME)
product=$(define PRODUCT_NAME)
product_code=$(define UNINSTALL_KEY_NAME)
package=$(define ORIGINAL_FILE_NAME)  # the nested installer
id="$publisher.$product_code"
sha=$(sha256sum "$archive" | cut -d' ' -f1 | tr a-f A-F)
url=${QWILL_RELEASE_URL:-https://releases.example.com/qwill/$version/$(basename "$archive")}

out="$dir/manifests/$(printf %s "${publisher:0:1}" | tr A-Z a-z)/$publisher/$product_code/$version"
mkdir -p "$out"
header() {
  printf '# yaml-language-server: $schema=https://aka.ms/winget-manifest.%s.1.10.0.schema.json\n' "$1"
  printf 'PackageIdentifier: %s\nPackageVersion: "%s"\n' "$id" "$version"
}
footer() { printf 'ManifestType: %s\nManifestVersion: 1.10.0\n' "$1"; }

{
  header version
  printf 'DefaultLocale: zh-CN\n'
  footer version
} >"$out/$id.yaml"

# Exit codes of an unattended run (README), each with the engine's nearest response. Each
# entry asks for its scope: the machine entry's setup.exe raises the elevation prompt itself,
# and without administrator rights ends with 8 rather than install for the user instead.
{
  header installer
  cat <<EOF
InstallerType: zip
NestedInstallerType: exe
NestedInstallerFiles:
  - RelativeFilePath: $package
InstallModes:
  - interactive
  - silent
InstallerSwitches:
  Silent: /s
  SilentWithProgress: /s
  InstallLocation: '"/d=<INSTALLPATH>"'
  Log: '"/log=<LOGPATH>"'
UpgradeBehavior: install
ExpectedReturnCodes:
  - InstallerReturnCode: 1
    ReturnResponse: contactSupport
  - InstallerReturnCode: 2
    ReturnResponse: packageInUse
  - InstallerReturnCode: 3
    ReturnResponse: invalidParameter
  - InstallerReturnCode: 4
    ReturnResponse: diskFull
  - InstallerReturnCode: 5
    ReturnResponse: invalidParameter
  - InstallerReturnCode: 6
    ReturnResponse: installInProgress
  - InstallerReturnCode: 7
    ReturnResponse: contactSupport
  - InstallerReturnCode: 8
    ReturnResponse: blockedByPolicy
  - InstallerReturnCode: 1622
    ReturnResponse: invalidParameter
  - InstallerReturnCode: 1639
    ReturnResponse: invalidParameter
  - InstallerReturnCode: 3010
    ReturnResponse: rebootRequiredToFinish
ProductCode: $product_code
AppsAndFeaturesEntries:
  - DisplayName: $product
    Publisher: $publisher
    DisplayVersion: "$version"
    ProductCode: $product_code
Installers:
  - Architecture: x86
    Scope: machine
    ElevationRequirement: elevatesSelf
    InstallerUrl: $url
    InstallerSha256: $sha
    InstallerSwitches:
      Custom: /allusers
  - Architecture: x86
    Scope: user
    InstallerUrl: $url
    InstallerSha256: $sha
    InstallerSwitches:
      Custom: /peruser
EOF
  footer installer
} >"$out/$id.installer.yaml"

{
  header defaultLocale
  cat <<EOF
PackageLocale: zh-CN
Publisher: $publisher
PackageName: $product
License: Proprietary
Copyright: $(define COPYRIGHT)
ShortDescription: $product_code 局域网即时通讯软件
Moniker: qwill
EOF
  footer defaultLocale
} >"$out/$id.locale.zh-CN.yaml"
echo "$out"
