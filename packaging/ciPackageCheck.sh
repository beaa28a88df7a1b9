#!/bin/sh
# Builds the packages of keycodes from a build tree, installs the .deb with
# dpkg, runs the installed /usr/bin/keycodes on a pseudo-terminal and checks
# its screen byte for byte, then removes the package again and checks that it
# is gone.
#
# Usage: packaging/ciPackageCheck.sh [BUILD_DIR]
#   BUILD_DIR defaults to build/release in the source tree; a directory that
#   is not configured yet is configured as a Release build with Ninja.
#
# Run as root (dpkg -i and dpkg -r). Running it again does the same again: the
# packages are made anew and overwritten, and the package is removed at the
# end, also when a check fails. A keycodes package installed before the run
# is replaced by the one built here and is not there after it.
#
# The Windows .zip is made and checked when MinGW-w64 is installed (the
# native build then cross-builds keycodes.exe); otherwise it is skipped.

set -eu

sourceDir=$(cd "$(dirname "$0")/.." && pwd)
buildDir=${1:-$sourceDir/build/release}
packageName=keycodes
installedTool=/usr/bin/keycodes
installedManPage=/usr/share/man/man1/keycodes.1.gz
installedReadme=/usr/share/doc/keycodes/README.md
installedCopyright=/usr/share/doc/keycodes/copyright
installedChangelog=/usr/share/doc/keycodes/changelog.gz
mingwCompiler=x86_64-w64-mingw32-g++

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

step() {
  echo "== $*"
}

# Fails unless the listing (standard input) holds a line ending in $1.
expectListed() {
  if ! grep -q -- "$1\$"; then
    fail "$2 lacks $1"
  fi
}

packageInstalled() {
  [ "$(dpkg-query -W -f='${Status}' "$packageName" 2>/dev/null || true)" = "install ok installed" ]
}

installedByUs=no
removeIfInstalled() {
  if [ "$installedByUs" = yes ] && packageInstalled; then
    echo "== removing $packageName after a failed check"
    dpkg -r "$packageName" >/dev/null || true
  fi
}
trap removeIfInstalled EXIT

[ "$(id -u)" -eq 0 ] || fail "run as root: the check installs and removes the package with dpkg"
for tool in cmake cpack dpkg dpkg-deb dpkg-query tar lintian; do
  command -v "$tool" >/dev/null 2>&1 || fail "$tool is not installed"
done

step "configuring and building $buildDir"
if [ -f "$buildDir/CMakeCache.txt" ]; then
  cmake -S "$sourceDir" -B "$buildDir" >/dev/null
else
  cmake -S "$sourceDir" -B "$buildDir" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$buildDir"

# The version CPack uses is the project version; nothing else holds it.
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$buildDir/CPackConfig.cmake")
[ -n "$version" ] || fail "no CPACK_PACKAGE_VERSION in $buildDir/CPackConfig.cmake"
debFile=$buildDir/${packageName}_${version}_$(dpkg --print-architecture).deb
tarFile=$buildDir/$packageName-$version-$(uname -s)-$(uname -m).tar.gz
zipFile=$buildDir/$packageName-$version-win64.zip

step "making the packages of version $version"
rm -f "$debFile" "$tarFile" "$zipFile"
cpack --config "$buildDir/CPackConfig.cmake" -B "$buildDir"
[ -f "$debFile" ] || fail "cpack made no $debFile"
[ -f "$tarFile" ] || fail "cpack made no $tarFile"

step "checking $(basename "$debFile")"
[ "$(dpkg-deb -f "$debFile" Package)" = "$packageName" ] || fail "the package name is not $packageName"
[ "$(dpkg-deb -f "$debFile" Version)" = "$version" ] || fail "the package version is not $version"
# The libraries the tool needs are named, as dpkg-shlibdeps works them out.
dpkg-deb -f "$debFile" Depends | grep -q 'libc6' || fail "the package does not depend on libc6"
dpkg-deb -f "$debFile" Maintainer | grep -q '<.*@.*>' || fail "the package names no maintainer address"
dpkg-deb -c "$debFile" >"$buildDir/deb-contents.txt"
for path in .$installedTool .$installedManPage .$installedReadme .$installedCopyright .$installedChangelog; do
  expectListed " $path" "$(basename "$debFile")" <"$buildDir/deb-contents.txt"
done
# The licence is the copyright file, and only there.
dpkg-deb --fsys-tarfile "$debFile" | tar -xOf - ".$installedCopyright" | cmp -s - "$sourceDir/LICENSE" ||
  fail "$installedCopyright in the package is not the LICENSE file"
if grep -q '/LICENSE$' "$buildDir/deb-contents.txt"; then
  fail "the .deb holds the licence twice, as LICENSE and as copyright"
fi
# The binary is hardened and links the C library dynamically.
readelf -d "$buildDir/keycodes" | grep -q 'NEEDED.*libc\.so' || fail "keycodes does not link the C library dynamically"
readelf -d "$buildDir/keycodes" | grep -q 'FLAGS_1.*NOW.*PIE' || fail "keycodes is not a position-independent executable bound now"
if readelf -d "$buildDir/keycodes" | grep -q 'NEEDED.*libstdc++'; then
  fail "keycodes needs the shared C++ runtime"
fi

step "lintian $(basename "$debFile")"
# Any error or warning fails the check; information tags are shown only.
lintian --fail-on error,warning --info "$debFile" || fail "lintian reports errors or warnings for $(basename "$debFile")"

step "checking $(basename "$tarFile")"
tar tzf "$tarFile" >"$buildDir/tar-contents.txt"
for path in bin/keycodes share/man/man1/keycodes.1.gz share/doc/keycodes/README.md share/doc/keycodes/LICENSE \
  share/doc/keycodes/changelog.gz; do
  expectListed "/$path" "$(basename "$tarFile")" <"$buildDir/tar-contents.txt"
done

if command -v "$mingwCompiler" >/dev/null 2>&1; then
  step "making and checking $(basename "$zipFile")"
  cmake --build "$buildDir" --target package_windows
  [ -f "$zipFile" ] || fail "the package_windows target made no $zipFile"
  cmake -E tar tf "$zipFile" >"$buildDir/zip-contents.txt"
  expectListed "/bin/keycodes.exe" "$(basename "$zipFile")" <"$buildDir/zip-contents.txt"
  expectListed "/share/doc/keycodes/LICENSE" "$(basename "$zipFile")" <"$buildDir/zip-contents.txt"
else
  step "SKIPPED the Windows .zip: $mingwCompiler is not installed (Debian package g++-mingw-w64-x86-64)"
fi

step "installing $(basename "$debFile")"
installedByUs=yes
dpkg -i "$debFile"
packageInstalled || fail "dpkg does not list $packageName as installed"
[ "$(dpkg-query -W -f='${Version}' "$packageName")" = "$version" ] || fail "the installed version is not $version"
[ -x "$installedTool" ] || fail "$installedTool is not there"
[ -f "$installedCopyright" ] || fail "$installedCopyright is not there"
[ "$("$installedTool" --version)" = "keycodes $version" ] || fail "$installedTool --version does not say keycodes $version"
dpkg -L "$packageName" | grep -qx "$installedManPage" || fail "the package does not list $installedManPage"
# Images that keep no manual pages tell dpkg to leave them out.
if ! grep -rqs '^path-exclude=/usr/share/man' /etc/dpkg/dpkg.cfg /etc/dpkg/dpkg.cfg.d; then
  [ -f "$installedManPage" ] || fail "$installedManPage is not there"
fi

step "running the installed $installedTool on a pseudo-terminal"
"$buildDir/tools/package_smoke_test" "$installedTool"

step "removing $packageName"
dpkg -r "$packageName"
installedByUs=no
if packageInstalled; then
  fail "dpkg still lists $packageName as installed"
fi
[ ! -e "$installedTool" ] || fail "$installedTool is still there after dpkg -r"
[ ! -e "$installedManPage" ] || fail "$installedManPage is still there after dpkg -r"
[ ! -e "$installedCopyright" ] || fail "$installedCopyright is still there after dpkg -r"

echo "passed: the packages of keycodes $version build, install, run and remove"
