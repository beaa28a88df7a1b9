#!/bin/sh
# Runs keycodes.exe --explain under Wine in a tmux terminal, presses keys
# there in one burst and compares what the tool writes, byte for byte, with
# the rows the keys must give and the console record each first row names.
# Usage: wineKeysTest.sh KEYCODES_EXE WORK_DIR
# Exits 77 (skipped) when MinGW-w64, Wine or tmux is missing.

set -u
# shellcheck source=wineCommon.sh source-path=SCRIPTDIR
. "$(dirname "$0")/wineCommon.sh"

# Each key as it is pressed: the tmux send-keys key, the codes the tool reads
# for it and what --explain says beside its first row (name, scan code,
# virtual-key code, flags). Wine's console sets no enhanced-key flag, so the
# cursor keys and Delete give the keypad codes with lead 0. tmux's own Home
# and End sequences are unknown to Wine: those two keys are sent below as the
# bytes Wine knows (-H). Space ends the table; q answers the closing prompt.
keyTable='F1|0 59|F1  scan 0x3b vk 0x70
S-F1|0 84|Shift+F1  scan 0x3b vk 0x70 shift
C-F1|0 94|Ctrl+F1  scan 0x3b vk 0x70 left-ctrl
M-F1|0 104|Alt+F1  scan 0x3b vk 0x70 left-alt
F11|224 133|F11  scan 0x57 vk 0x7a
F12|224 134|F12  scan 0x58 vk 0x7b
Up|0 72|Keypad 8 (Up)  scan 0x48 vk 0x26
C-Up|0 141|Ctrl+Keypad 8 (Up)  scan 0x48 vk 0x26 left-ctrl
DC|0 83|Keypad full stop (Delete)  scan 0x53 vk 0x2e
a|97|A  scan 0x1e vk 0x41
Enter|13|Enter  scan 0x1c vk 0x0d
-H 1b 5b 48|0 71|Keypad 7 (Home)  scan 0x47 vk 0x24
-H 1b 5b 46|0 79|Keypad 1 (End)  scan 0x4f vk 0x23
Space|32|Space  scan 0x39 vk 0x20'
startSeconds=20
runSeconds=30

prepareTmuxRun "$1" "$2"
output=$workDir/keys-output.txt
expected=$workDir/keys-expected.txt
exitCodeFile=$workDir/keys-exit-code
rm -f "$output" "$expected" "$exitCodeFile"

{
  writeTranscriptHead
  echo "$keyTable" | while IFS='|' read -r key codes explained; do
    for code in $codes; do
      writeRow "$code" | sed "s/\r\$/${explained:+  $explained}\r/"
      explained=
    done
  done
  writeTranscriptEnd
} >"$expected"

useOwnTmux keys
showProgress() { sed -n l "$output" 2>/dev/null; }
startToolWritingFile --explain
# Named keys, then the bytes, then Space and q: all in order, word split.
# shellcheck disable=SC2046
runTmux send-keys -t keys $(echo "$keyTable" | sed -n '/^-H/q; s/|.*//p') </dev/null
# shellcheck disable=SC2046
runTmux send-keys -t keys -H $(echo "$keyTable" | sed -n 's/^-H \([^|]*\)|.*/\1/p') </dev/null
runTmux send-keys -t keys Space q </dev/null
finishToolWritingFile "$expected"
