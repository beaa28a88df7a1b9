#!/bin/sh
# Runs keycodes.exe under Wine in a tmux terminal, presses keys there and
# compares the table the tool writes with the rows the keys must give.
# Usage: wineKeysTest.sh KEYCODES_EXE WORK_DIR
# Exits 77 (skipped) when MinGW-w64, Wine or tmux is missing.

set -u
# shellcheck source=wineCommon.sh source-path=SCRIPTDIR
. "$(dirname "$0")/wineCommon.sh"

# The keys in the order they are pressed: the tmux send-keys arguments, then
# the codes the tool reads for the key. Wine's console sets no enhanced-key
# flag, so the cursor keys and Delete give the keypad codes with lead 0.
# tmux's own Home and End sequences are unknown to Wine; the bytes below are
# the forms it knows. Space ends the table.
keyTable='F1: 0 59
S-F1: 0 84
C-F1: 0 94
M-F1: 0 104
F11: 224 133
F12: 224 134
Up: 0 72
C-Up: 0 141
DC: 0 83
-H 1b 5b 48: 0 71
-H 1b 5b 46: 0 79
a: 97
Enter: 13
Space: 32'
# Answers "Press any key to finish."; it gives no row.
finishKey=q

keyGapSeconds=0.05
startSeconds=20
runSeconds=30

prepareTmuxRun "$1" "$2"

output=$workDir/keys-output.txt
expected=$workDir/keys-expected.txt
exitCodeFile=$workDir/keys-exit-code
rm -f "$output" "$expected" "$exitCodeFile"

{
  writeTranscriptHead
  echo "$keyTable" | while IFS=: read -r keys codes; do
    for code in $codes; do
      writeRow "$code"
    done
  done
  writeTranscriptEnd
} >"$expected"

useOwnTmux keys
showProgress() { sed -n l "$output" 2>/dev/null; }
startToolWritingFile

echo "$keyTable" | while IFS=: read -r keys codes; do
  # Word splitting is wanted: a key may be given as several arguments.
  # shellcheck disable=SC2086
  runTmux send-keys -t keys $keys </dev/null
  sleep "$keyGapSeconds"
done
runTmux send-keys -t keys "$finishKey" </dev/null

finishToolWritingFile "$expected"
