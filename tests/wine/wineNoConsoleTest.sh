#!/bin/sh
# Runs keycodes.exe under Wine with no console: no standard stream is a
# terminal, so Wine gives the process none and opening CONIN$ fails. The tool
# must write the -1 row and the closing prompt, say on standard error that it
# found no keyboard, and end at once with status 1.
# Usage: wineNoConsoleTest.sh KEYCODES_EXE WORK_DIR
# Exits 77 (skipped) when MinGW-w64 or Wine is missing.

set -u
# shellcheck source=wineCommon.sh source-path=SCRIPTDIR
. "$(dirname "$0")/wineCommon.sh"

noKey=-1
# Including Wine's start; the prefix exists by then.
runSeconds=10

exe=$1
workDir=$2
requireExecutable "$exe"
findWine

mkdir -p "$workDir"
prepareWinePrefix "$workDir/prefix"

output=$workDir/no-console-output.txt
errors=$workDir/no-console-errors.txt
expected=$workDir/no-console-expected.txt
rm -f "$output" "$errors" "$expected"

{
  writeTranscriptHead
  writeRow "$noKey"
  writeTranscriptEnd
} >"$expected"

# Standard error goes to a file too: were it a terminal, Wine would attach
# the console to it and the tool would wait for a key.
timeout "$runSeconds" "$wineCommand" "$exe" </dev/null >"$output" 2>"$errors"
exitCode=$?

expectedErrors="keycodes: no terminal to read keys from"

status=0
if [ "$exitCode" = 124 ]; then
  echo "FAILED: keycodes.exe did not end within $runSeconds s"
  stopWine
  status=1
elif [ "$exitCode" != 1 ]; then
  echo "FAILED: keycodes.exe exited with $exitCode, expected 1; its error output:"
  cat "$errors"
  status=1
elif [ "$(tr -d '\r' <"$errors")" != "$expectedErrors" ]; then
  echo "FAILED: standard error is not \"$expectedErrors\" but:"
  cat "$errors"
  status=1
fi
finishWithTranscript "$status" "$expected" "$output"
