#!/bin/sh
# Checks the keycodes library as a program of someone else's uses it: the
# files installed, the symbols the shared library exports, examples/ built
# with find_package and with pkg-config (as C, with no C++ flags), the menu
# example run on a pseudo-terminal (Down, Down, Enter selects the third line,
# and the terminal settings are as before), the README's example, and a C89
# program linked only with the shared library reading F1 as 0, a code at
# hand, then 59.
#
# Usage: packaging/ciLibraryCheck.sh BUILD_DIR [PREFIX]
#   BUILD_DIR is a configured and built tree; its library_pty_check drives
#   the programs. With PREFIX (such as /usr once the packages are
#   installed), the library installed there is checked. Without it the
#   build tree is installed into a temporary prefix and checked there, and
#   examples/ is built once more against the build tree (keycodes_DIR) and
#   with the library built from the sources (FetchContent).
#
# Leaves nothing behind: the temporary directory goes at the end, also when
# a check fails.

set -eu

sourceDir=$(cd "$(dirname "$0")/.." && pwd)
buildDir=$(cd "${1:?usage: ciLibraryCheck.sh BUILD_DIR [PREFIX]}" && pwd)
prefix=${2:-}
ptyCheck=$buildDir/tools/library_pty_check
compiler=${CC:-cc}
strictC="-Wall -Wextra -Werror -pedantic-errors"

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

step() {
  echo "== library: $*"
}

workDir=$(mktemp -d)
trap 'rm -rf "$workDir"' EXIT

for tool in cmake pkg-config readelf nm "$compiler"; do
  command -v "$tool" >/dev/null 2>&1 || fail "$tool is not installed"
done
[ -x "$ptyCheck" ] || fail "no $ptyCheck: build $buildDir first"

if [ -z "$prefix" ]; then
  prefix=$workDir/prefix
  step "installing $buildDir into $prefix"
  cmake --install "$buildDir" --prefix "$prefix" >/dev/null
fi

# The library's directory is the one that holds its pkg-config file.
pcFile=$(find "$prefix/lib" -path '*/pkgconfig/keycodes.pc' 2>/dev/null | head -n 1)
[ -n "$pcFile" ] || fail "no keycodes.pc under $prefix/lib"
libDir=$(dirname "$(dirname "$pcFile")")
step "the files under $prefix (libraries in $libDir)"
for file in "$prefix/include/keycodes.h" "$libDir/libkeycodes.so.1" "$libDir/libkeycodes.so" "$libDir/libkeycodes.a" \
  "$libDir/cmake/keycodes/keycodesConfig.cmake" "$libDir/cmake/keycodes/keycodesConfigVersion.cmake"; do
  [ -e "$file" ] || fail "$file is not there"
done
readelf -d "$libDir/libkeycodes.so.1" | grep -q 'SONAME.*\[libkeycodes\.so\.1\]' || fail "the soname is not libkeycodes.so.1"
exported=$(nm -D --defined-only "$libDir/libkeycodes.so.1" | awk '$2 != "A" { print $3 }' | sort)
expected="keycodes_key_available@@KEYCODES_1
keycodes_read_key@@KEYCODES_1
keycodes_restore_terminal@@KEYCODES_1
keycodes_set_signal_handling@@KEYCODES_1"
[ "$exported" = "$expected" ] || fail "the shared library exports other symbols than the keycodes_ functions: $exported"

# Runs a program on a pty of its own with `library_pty_check CHECK`.
runOnPty() {
  LD_LIBRARY_PATH=$libDir "$ptyCheck" "$1" "$2" || fail "$2 failed the check $1"
}

# Fails when the program needs a C++ runtime of its own or lacks the shared
# library.
expectSharedOnly() {
  readelf -d "$1" | grep -q 'NEEDED.*\[libkeycodes\.so\.1\]' || fail "$1 does not link libkeycodes.so.1"
  if readelf -d "$1" | grep -q 'NEEDED.*libstdc++'; then
    fail "$1 links the C++ runtime itself"
  fi
}

# examples/ configured with the arguments given, built and run.
buildExamples() {
  name=$1
  shift
  step "examples/ with $name"
  cmake -S "$sourceDir/examples" -B "$workDir/$name" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null ||
    fail "examples/ with $name did not configure"
  cmake --build "$workDir/$name" >/dev/null || fail "examples/ with $name did not build"
  runOnPty menu "$workDir/$name/menu"
  runOnPty keys "$workDir/$name/keys"
}

buildExamples find_package -DCMAKE_PREFIX_PATH="$prefix"
expectSharedOnly "$workDir/find_package/menu"
buildExamples find_package_static -DCMAKE_PREFIX_PATH="$prefix" -DKEYCODES_EXAMPLES_STATIC=ON
if readelf -d "$workDir/find_package_static/menu" | grep -q 'NEEDED.*libkeycodes'; then
  fail "the menu linked with keycodes::keycodes_static needs the shared library"
fi

step "examples/ and the key pair program with pkg-config and $compiler"
export PKG_CONFIG_PATH="$libDir/pkgconfig"
[ "$(pkg-config --modversion keycodes)" = "$(sed -n 's/^#define KEYCODES_VERSION "\(.*\)"$/\1/p' "$prefix/include/keycodes.h")" ] ||
  fail "pkg-config's version of keycodes is not the header's"
mkdir -p "$workDir/pkg-config"
for example in menu keys; do
  # shellcheck disable=SC2046,SC2086 # the flags are words
  "$compiler" $strictC "$sourceDir/examples/$example.c" $(pkg-config --cflags --libs keycodes) \
    -o "$workDir/pkg-config/$example" || fail "examples/$example.c does not build with pkg-config"
  expectSharedOnly "$workDir/pkg-config/$example"
done
runOnPty menu "$workDir/pkg-config/menu"
runOnPty menu-escape "$workDir/pkg-config/menu"
runOnPty keys "$workDir/pkg-config/keys"
# shellcheck disable=SC2046,SC2086
"$compiler" -std=c89 $strictC "$sourceDir/tests/libraryKeyPair.c" $(pkg-config --cflags --libs keycodes) \
  -o "$workDir/pkg-config/keyPair" || fail "tests/libraryKeyPair.c does not build as C89 with pkg-config"
expectSharedOnly "$workDir/pkg-config/keyPair"
runOnPty key-pair "$workDir/pkg-config/keyPair"

if [ -z "${2:-}" ]; then
  buildExamples build_tree -Dkeycodes_DIR="$buildDir"
  buildExamples fetch_content -DKEYCODES_SOURCE_DIR="$sourceDir"
fi

echo "passed: the keycodes library under $prefix builds and runs the examples"
