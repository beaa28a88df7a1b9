#!/bin/sh
# Builds the packages of keycodes from a build tree: the .deb packages of the
# tool (keycodes), the shared library (libkeycodes1) and its development files
# (libkeycodes-dev). Checks the library installed into a temporary prefix
# (packaging/ciLibraryCheck.sh), installs the .deb packages with dpkg, runs
# the installed /usr/bin/keycodes on a pseudo-terminal and checks its screen
# byte for byte, checks the library the packages installed the same way,
# then removes the packages again and checks that they are gone.
#
# Usage: packaging/ciPackageCheck.sh [BUILD_DIR]
#   BUILD_DIR defaults to build/release in the source tree; a directory that
#   is not configured yet is configured as a Release build with Ninja.
#
# Run as root (dpkg -i and dpkg -r). Running it again does the same again: the
# packages are made anew and overwritten, and they are removed at the end,
# also when a check fails. Packages of keycodes installed before the run are
# replaced by the ones built here and are not there after it.
#
# The Windows .zip is made and checked when MinGW-w64 is installed (the
# native build then cross-builds keycodes.exe); otherwise it is skipped.

set -eu

sourceDir=$(cd "$(dirname "$0")/.." && pwd)
buildDir=${1:-$sourceDir/build/release}
packageName=keycodes
libraryPackage=libkeycodes1
developmentPackage=libkeycodes-dev
# Removed in this order: what depends on another package first.
allPackages="$developmentPackage $libraryPackage $packageName"
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
  [ "$(dpkg-query -W -f='${Status}' "${1:-$packageName}" 2>/dev/null || true)" = "install ok installed" ]
}

installedByUs=no
removeIfInstalled() {
  if [ "$installedByUs" = yes ]; then
    for package in $allPackages; do
      if packageInstalled "$package"; then
        echo "== removing $package after a failed check"
        dpkg -r "$package" >/dev/null || true
      fi
    done
  fi
}
trap removeIfInstalled EXIT

[ "$(id -u)" -eq 0 ] || fail "run as root: the check installs and removes the package with dpkg"
for tool in cmake cpack dpkg dpkg-deb dpkg-query tar lintian pkg-config; do
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
architecture=$(dpkg --print-architecture)
debFile=$buildDir/${packageName}_${version}_$architecture.deb
libraryDeb=$buildDir/${libraryPackage}_${version}_$architecture.deb
developmentDeb=$buildDir/${developmentPackage}_${version}_$architecture.deb
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)
tarFile=$buildDir/$packageName-$version-$(uname -s)-$(uname -m).tar.gz
zipFile=$buildDir/$packageName-$version-win64.zip

# The library as a program of someone else's uses it, installed into a
# temporary prefix, from the build tree and from the sources.
sh "$sourceDir/packaging/ciLibraryCheck.sh" "$buildDir"

step "making the packages of version $version"
rm -f "$debFile" "$libraryDeb" "$developmentDeb" "$tarFile" "$zipFile"
cpack --config "$buildDir/CPackConfig.cmake" -B "$buildDir"
for file in "$debFile" "$libraryDeb" "$developmentDeb" "$tarFile"; do
  [ -f "$file" ] || fail "cpack made no $file"
done

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

step "checking $(basename "$libraryDeb") and $(basename "$developmentDeb")"
libraryDir=/usr/lib/$multiarch
for deb in "$libraryDeb" "$developmentDeb"; do
  package=$(dpkg-deb -f "$deb" Package)
  [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the version of $package is not $version"
  dpkg-deb -c "$deb" >"$buildDir/deb-contents-$package.txt"
  for path in ./usr/share/doc/$package/copyright ./usr/share/doc/$package/changelog.gz; do
    expectListed " $path" "$(basename "$deb")" <"$buildDir/deb-contents-$package.txt"
  done
  dpkg-deb --fsys-tarfile "$deb" | tar -xOf - "./usr/share/doc/$package/copyright" | cmp -s - "$sourceDir/LICENSE" ||
    fail "the copyright of $package is not the LICENSE file"
done
[ "$(dpkg-deb -f "$libraryDeb" Package)" = "$libraryPackage" ] || fail "the library's package is not $libraryPackage"
expectListed " .$libraryDir/libkeycodes.so.$version" "$(basename "$libraryDeb")" <"$buildDir/deb-contents-$libraryPackage.txt"
expectListed " .$libraryDir/libkeycodes.so.1 -> libkeycodes.so.$version" "$(basename "$libraryDeb")" \
  <"$buildDir/deb-contents-$libraryPackage.txt"
dpkg-deb -f "$libraryDeb" Depends | grep -q 'libstdc++6' || fail "$libraryPackage does not depend on the C++ runtime"
dpkg-deb --ctrl-tarfile "$libraryDeb" | tar -xOf - ./shlibs | grep -qx "libkeycodes 1 $libraryPackage (>= $version)" ||
  fail "$libraryPackage has no shlibs line for libkeycodes.so.1"
dpkg-deb --ctrl-tarfile "$libraryDeb" | tar -xOf - ./triggers | grep -qx 'activate-noawait ldconfig' ||
  fail "$libraryPackage does not activate the ldconfig trigger"
[ "$(dpkg-deb -f "$developmentDeb" Package)" = "$developmentPackage" ] || fail "the development package is not $developmentPackage"
dpkg-deb -f "$developmentDeb" Depends | grep -qx "$libraryPackage (= $version)" ||
  fail "$developmentPackage does not depend on $libraryPackage (= $version)"
for path in ./usr/include/keycodes.h ".$libraryDir/libkeycodes.a" ".$libraryDir/libkeycodes.so -> libkeycodes.so.1" \
  ".$libraryDir/pkgconfig/keycodes.pc" ".$libraryDir/cmake/keycodes/keycodesConfig.cmake" \
  ./usr/share/man/man3/keycodes.3.gz; do
  expectListed " $path" "$(basename "$developmentDeb")" <"$buildDir/deb-contents-$developmentPackage.txt"
done
# The tool reads keys through the static library, so it needs no libkeycodes1.
if dpkg-deb -f "$debFile" Depends | grep -q libkeycodes; then
  fail "$packageName depends on the shared library"
fi

for deb in "$debFile" "$libraryDeb" "$developmentDeb"; do
  step "lintian $(basename "$deb")"
  # Any error or warning fails the check; information tags are shown only.
  lintian --fail-on error,warning --info "$deb" || fail "lintian reports errors or warnings for $(basename "$deb")"
done

step "checking $(basename "$tarFile")"
tar tzf "$tarFile" >"$buildDir/tar-contents.txt"
for path in bin/keycodes share/man/man1/keycodes.1.gz share/doc/keycodes/README.md share/doc/keycodes/LICENSE \
  share/doc/keycodes/changelog.gz include/keycodes.h "lib/$multiarch/libkeycodes.so.$version" \
  "lib/$multiarch/libkeycodes.a" share/man/man3/keycodes.3.gz; do
  expectListed "/$path" "$(basename "$tarFile")" <"$buildDir/tar-contents.txt"
done

if command -v "$mingwCompiler" >/dev/null 2>&1; then
  step "making and checking $(basename "$zipFile")"
  cmake --build "$buildDir" --target package_windows
  [ -f "$zipFile" ] || fail "the package_windows target made no $zipFile"
  cmake -E tar tf "$zipFile" >"$buildDir/zip-contents.txt"
  for path in bin/keycodes.exe share/doc/keycodes/LICENSE include/keycodes.h lib/libkeycodes.a \
    lib/cmake/keycodes/keycodesConfig.cmake; do
    expectListed "/$path" "$(basename "$zipFile")" <"$buildDir/zip-contents.txt"
  done
  # A C program for Windows builds with the header and the static library of
  # the .zip, the C++ runtime named.
  unpacked=$buildDir/zip-unpacked
  rm -rf "$unpacked" && mkdir -p "$unpacked"
  zipPath=$(cd "$(dirname "$zipFile")" && pwd)/$(basename "$zipFile")
  (cd "$unpacked" && cmake -E tar xf "$zipPath")
  zipRoot=$unpacked/$(basename "$zipFile" .zip)
  x86_64-w64-mingw32-gcc -Wall -Wextra -Werror "$sourceDir/examples/keys.c" -I"$zipRoot/include" \
    "$zipRoot/lib/libkeycodes.a" -static -lstdc++ -o "$unpacked/keys.exe" ||
    fail "examples/keys.c does not build with the header and library of $(basename "$zipFile")"
  rm -rf "$unpacked"
else
  step "SKIPPED the Windows .zip: $mingwCompiler is not installed (Debian package g++-mingw-w64-x86-64)"
fi

step "installing $(basename "$debFile"), $(basename "$libraryDeb") and $(basename "$developmentDeb")"
installedByUs=yes
dpkg -i "$debFile" "$libraryDeb" "$developmentDeb"
for package in $allPackages; do
  packageInstalled "$package" || fail "dpkg does not list $package as installed"
done
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

# The library as the packages installed it.
sh "$sourceDir/packaging/ciLibraryCheck.sh" "$buildDir" /usr

step "removing $allPackages"
# shellcheck disable=SC2086 # the package names are words
dpkg -r $allPackages
installedByUs=no
for package in $allPackages; do
  if packageInstalled "$package"; then
    fail "dpkg still lists $package as installed"
  fi
done
[ ! -e "$libraryDir/libkeycodes.so.1" ] || fail "$libraryDir/libkeycodes.so.1 is still there after dpkg -r"
[ ! -e /usr/include/keycodes.h ] || fail "/usr/include/keycodes.h is still there after dpkg -r"
[ ! -e "$installedTool" ] || fail "$installedTool is still there after dpkg -r"
[ ! -e "$installedManPage" ] || fail "$installedManPage is still there after dpkg -r"
[ ! -e "$installedCopyright" ] || fail "$installedCopyright is still there after dpkg -r"

echo "passed: the packages of keycodes $version build, install, run and remove"
