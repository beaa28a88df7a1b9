#!/usr/bin/env bash
# Static and dynamic analysis; exits non-zero on any finding.
#
#   1. everything built with warnings as errors: Clang Debug, GCC Release
#      (optimizer-dependent warnings) and GCC Debug;
#   2. clang-tidy (.clang-tidy) over src/ and fuzz/, win32Console.cpp with
#      the MinGW-w64 headers when the cross compiler is there;
#   3. cppcheck over src/ and fuzz/;
#   4. the decoder fuzzer for 60 s (fuzz/runFuzzer.sh);
#   5. the pty tests under valgrind memcheck, following every child, so the
#      tool itself runs under memcheck (a GCC Debug build, not sanitized and
#      not linked statically).
#
# Installs nothing. Needs these Debian packages: cmake ninja-build g++
# libgtest-dev clang clang-tidy cppcheck valgrind libclang-rt-14-dev (the
# libFuzzer runtime); g++-mingw-w64-x86-64 for the Windows source (skipped
# without it).
#
# KEYCODES_ANALYSIS_BUILD_DIR picks the build trees' parent (default
# build/analysis).
set -uo pipefail
cd "$(dirname "$0")/.."

root="${KEYCODES_ANALYSIS_BUILD_DIR:-build/analysis}"
jobs=2
fuzzSeconds=60
# valgrind makes start-up and every key far slower: the fault tests stretch
# their time bounds by this factor.
valgrindTimeScale=20
failed=()

step() { printf '\n== %s\n' "$*"; }
# clang-tidy counts the warnings it suppressed in system headers: noise.
quietTidy() { clang-tidy "$@" 2> >(grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated' >&2); }
export -f quietTidy
finding() {
  echo "analysis: FINDING: $*" >&2
  failed+=("$*")
}

# A tree with warnings as errors; Debug unless the arguments say otherwise.
configure() {
  local dir="$1"
  shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKEYCODES_WARNINGS_AS_ERRORS=ON "$@" >/dev/null
}

step "build with warnings as errors: Clang"
configure "$root/clang" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang &&
  cmake --build "$root/clang" -j "$jobs" -- -k 0 || finding "Clang build with -Werror"

step "build with warnings as errors: GCC Release, as the release preset builds"
configure "$root/gcc-release" -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc -DCMAKE_BUILD_TYPE=Release &&
  cmake --build "$root/gcc-release" -j "$jobs" -- -k 0 || finding "GCC Release build with -Werror"

step "build with warnings as errors: GCC Debug, not static, for valgrind"
configure "$root/gcc" -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc &&
  cmake --build "$root/gcc" -j "$jobs" -- -k 0 || finding "GCC Debug build with -Werror"

step "clang-tidy: src/"
mapfile -t posixSources < <(find src -name '*.cpp' ! -name 'win32*.cpp' | sort)
printf '%s\n' "${posixSources[@]}" | xargs -P "$jobs" -n 1 bash -c 'quietTidy "$@"' quietTidy -p "$root/clang" --quiet ||
  finding "clang-tidy on src/"

windowsTree="$root/clang/windows"
if command -v x86_64-w64-mingw32-g++ >/dev/null && [ -f "$windowsTree/compile_commands.json" ]; then
  step "clang-tidy: src/console/win32*.cpp with the MinGW-w64 headers"
  # The C++ library and Windows headers of MinGW-w64; Clang brings its own
  # compiler headers in place of GCC's.
  mingwArgs=(--extra-arg-before=--target=x86_64-w64-mingw32 --extra-arg-before=-nostdinc++
    --extra-arg-before=-nostdlibinc)
  while read -r dir; do
    mingwArgs+=("--extra-arg-before=-isystem$dir")
  done < <(echo | x86_64-w64-mingw32-g++ -E -x c++ - -v 2>&1 |
    sed -n '/#include <...> search starts here/,/End of search list/p' | sed -n 's/^ \(\/.*\)$/\1/p' |
    grep -v -E '/include(-fixed)?$')
  mingwArgs+=("--extra-arg-before=-isystem/usr/x86_64-w64-mingw32/include")
  quietTidy -p "$windowsTree" --quiet "${mingwArgs[@]}" src/console/win32Console.cpp src/console/win32CellOutput.cpp \
    src/console/win32Handover.cpp ||
    finding "clang-tidy on the Win32 sources"
else
  step "clang-tidy: the Win32 sources skipped (no MinGW-w64 cross build)"
fi

step "cppcheck: src/ fuzz/"
# useStlAlgorithm: a style preference for algorithms over plain loops.
# unusedStructMember in keySequences.cpp and usLayout.cpp: the tables' members are read
# through find_if results, which cppcheck does not follow.
cppcheck --enable=warning,performance,portability,style --error-exitcode=1 --inline-suppr --std=c++20 \
  --language=c++ -I src -q --suppress=useStlAlgorithm \
  --suppress=unusedStructMember:src/keys/keySequences.cpp --suppress=unusedStructMember:src/keys/usLayout.cpp src fuzz ||
  finding "cppcheck"

step "decoder fuzzer: ${fuzzSeconds} s"
KEYCODES_FUZZ_BUILD_DIR="$root/fuzz" bash fuzz/runFuzzer.sh "$fuzzSeconds" || finding "decoder fuzzer"

step "clang-tidy: fuzz/"
find fuzz -name '*.cpp' | sort | xargs -P "$jobs" -n 1 bash -c 'quietTidy "$@"' quietTidy -p "$root/fuzz" --quiet ||
  finding "clang-tidy on fuzz/"

step "valgrind memcheck: pty tests and the tool they start"
logs="$root/valgrind"
rm -rf "$logs"
mkdir -p "$logs"
for tests in keycodes_pty_tests keycodes_terminal_tests keycodes_fault_tests keycodes_library_tests; do
  echo "-- $tests"
  KEYCODES_TEST_TIME_SCALE="$valgrindTimeScale" valgrind --error-exitcode=1 --leak-check=full \
    --errors-for-leak-kinds=definite,indirect --trace-children=yes --log-file="$logs/$tests.%p.log" \
    "$root/gcc/tests/$tests" --gtest_brief=1 || finding "$tests under valgrind"
done
# Every process's log, the tool's included: errors in any of them count,
# whatever the test made of the exit status.
if grep -l -E 'ERROR SUMMARY: [1-9]|definitely lost: [1-9]|indirectly lost: [1-9]' "$logs"/*.log; then
  finding "valgrind reports errors (logs above)"
fi
echo "valgrind: $(find "$logs" -name '*.log' | wc -l) process logs in $logs"

if [ "${#failed[@]}" -ne 0 ]; then
  printf '\nanalysis: %d finding(s):\n' "${#failed[@]}" >&2
  printf '  %s\n' "${failed[@]}" >&2
  exit 1
fi
printf '\nanalysis: clean\n'
