#!/bin/sh
# Runs keycodes.exe under Wine with its output on the console itself (a tmux
# pane in a UTF-8 locale), presses Enter, Tab, Ctrl+A, F1 and space, and
# checks the rows on the screen: the control codes show as the PC glyphs the
# tool writes with WriteConsoleW, and every row lines up.
# Usage: wineGlyphsTest.sh KEYCODES_EXE WORK_DIR
# Exits 77 (skipped) when MinGW-w64, Wine or tmux is missing.

set -u
# shellcheck source=wineCommon.sh source-path=SCRIPTDIR
. "$(dirname "$0")/wineCommon.sh"

# The rows the keys give on the screen, trailing blanks dropped as tmux
# drops them: Enter (13), Tab (9), Ctrl+A (1), F1 (0 59) and space.
expectedRows='      ♪      |     13      |      d      |     15
      ○      |      9      |      9      |     11
      ☺      |      1      |      1      |      1
             |      0      |      0      |      0
      ;      |     59      |     3b      |     73
             |     32      |     20      |     40'
startSeconds=20
runSeconds=30

prepareTmuxRun "$1" "$2"
exitCodeFile=$workDir/glyphs-exit-code
rm -f "$exitCodeFile"

tmuxLocale=C.UTF-8
useOwnTmux glyphs
showProgress() { runTmux capture-pane -p -t glyphs; }
screenShows() { runTmux capture-pane -p -t glyphs | grep -q -- "$1"; }

# shellcheck disable=SC2016
runTmux new-session -d -s glyphs -x 100 -y 30 \
  sh -c 'stty -isig; "$0" "$1"; echo $? >"$2"; sleep 30' "$wineCommand" "$exe" "$exitCodeFile" || {
  echo "FAILED: could not start tmux"
  exit 1
}

# Looked at twice a second: a tighter loop of tmux clients held Wine's
# console back from starting here.
waitFor "keycodes.exe did not start" "$startSeconds" 0.5 eval 'screenShows "^---" && paneIsRaw glyphs'

runTmux send-keys -t glyphs Enter Tab C-a F1 Space </dev/null
waitFor "no closing prompt" "$runSeconds" 0.1 screenShows 'Press any key to finish'
rows=$(runTmux capture-pane -p -t glyphs | sed -n '/^---/,/^Press any key/p' | sed '1d;$d')
runTmux send-keys -t glyphs q </dev/null
waitFor "keycodes.exe did not end" "$runSeconds" 0.1 test -s "$exitCodeFile"

status=0
if [ "$rows" != "$expectedRows" ]; then
  echo "FAILED: the rows on the screen differ"
  printf 'expected:\n%s\ngot:\n%s\n' "$expectedRows" "$rows"
  status=1
fi
if [ "$(cat "$exitCodeFile")" != 0 ]; then
  echo "FAILED: keycodes.exe exited with $(cat "$exitCodeFile"), expected 0"
  status=1
fi
[ "$status" != 0 ] || echo "PASSED: the glyphs are on the console and every row lines up"
exit "$status"
