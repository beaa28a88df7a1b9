#!/bin/sh
# Runs keycodes.exe --explain under Wine in a tmux terminal, presses Shift+F1
# and space, and checks that the first row of each key names it and shows
# the console record's scan code, virtual-key code and flags.
# Usage: wineExplainTest.sh KEYCODES_EXE WORK_DIR
# Exits 77 (skipped) when MinGW-w64, Wine or tmux is missing.

set -u
# shellcheck source=wineCommon.sh source-path=SCRIPTDIR
. "$(dirname "$0")/wineCommon.sh"

startSeconds=20
runSeconds=30
keyGapSeconds=0.05

prepareTmuxRun "$1" "$2"

output=$workDir/explain-output.txt
expected=$workDir/explain-expected.txt
exitCodeFile=$workDir/explain-exit-code
rm -f "$output" "$expected" "$exitCodeFile"

# Writes the row of code $1 with the annotation $2 before its line end.
writeExplainedRow() {
  writeRow "$1" | sed "s/\r\$/  $2\r/"
}

{
  writeTranscriptHead
  writeExplainedRow 0 'Shift+F1  scan 0x3b vk 0x70 shift'
  writeRow 84
  writeExplainedRow 32 'Space  scan 0x39 vk 0x20'
  writeTranscriptEnd
} >"$expected"

useOwnTmux explain
showProgress() { sed -n l "$output" 2>/dev/null; }
startToolWritingFile --explain

for key in S-F1 Space q; do
  runTmux send-keys -t keys "$key" </dev/null
  sleep "$keyGapSeconds"
done

finishToolWritingFile "$expected"
