# Shared by the tests that run keycodes.exe under Wine: the skip checks, the
# Wine prefix and the transcript the tool writes. Sourced, not run.

skipCode=77
cellWidth=13
ruleLength=$((4 * cellWidth + 3))

# Ends the test as skipped, with one line that says what to install.
skipTest() {
  echo "SKIPPED: $1"
  exit "$skipCode"
}

# Sets wineCommand to the Wine loader, or skips when there is none.
findWine() {
  if command -v wine >/dev/null 2>&1; then
    wineCommand=wine
  elif command -v wine64 >/dev/null 2>&1; then
    wineCommand=wine64
  else
    skipTest "Wine is not installed (install wine and wine64)"
  fi
}

# Skips unless keycodes.exe was cross-built; its path is empty when the
# native build found no MinGW-w64.
requireExecutable() {
  if [ -z "$1" ]; then
    skipTest "keycodes.exe is not cross-built (install g++-mingw-w64-x86-64, then configure again)"
  fi
  if [ ! -f "$1" ]; then
    echo "FAILED: $1 does not exist; build first"
    exit 1
  fi
}

# Uses a Wine prefix of its own in the build tree, creating it on the first
# run (that takes a while and Wine reports it on the standard error stream).
# No display: Wine must not open windows or ask to install anything.
prepareWinePrefix() {
  WINEPREFIX=$1
  WINEDEBUG=-all
  export WINEPREFIX WINEDEBUG
  unset DISPLAY WAYLAND_DISPLAY
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    echo "Creating the Wine prefix $WINEPREFIX" >&2
    WINEDLLOVERRIDES="mscoree,mshtml=" "$wineCommand" wineboot --init </dev/null >&2 || {
      echo "FAILED: could not create the Wine prefix $WINEPREFIX"
      exit 1
    }
  fi
}

# Ends every Wine process of the prefix, after a run that did not finish.
stopWine() {
  if command -v wineserver >/dev/null 2>&1; then
    wineserver -k 2>/dev/null
  fi
}

# The start of a run in a tmux terminal: the executable $1 and the work
# folder $2 (made here) with a Wine prefix in it; skipped where Wine or tmux
# is missing.
prepareTmuxRun() {
  exe=$1
  workDir=$2
  requireExecutable "$exe"
  findWine
  command -v tmux >/dev/null 2>&1 || skipTest "tmux is not installed (install tmux)"
  mkdir -p "$workDir"
  prepareWinePrefix "$workDir/prefix"
}

# The seconds since $1, a time as date +%s gives it.
secondsSince() { echo $(($(date +%s) - $1)); }

# A tmux server of its own, named after $1, so no other session is touched,
# without any user configuration. It ends on exit, and the socket file tmux
# leaves behind goes too. With tmuxLocale set (C.UTF-8, say), tmux runs in
# that locale and takes its terminal as UTF-8.
useOwnTmux() {
  socket=keycodes-wine-$1-$$
  socketPath=${TMUX_TMPDIR:-/tmp}/tmux-$(id -u)/$socket
  unset TMUX
  trap stopTmux EXIT
  trap 'exit 1' HUP INT TERM
}
runTmux() {
  if [ -n "${tmuxLocale:-}" ]; then
    LC_ALL=$tmuxLocale tmux -u -L "$socket" -f /dev/null "$@"
  else
    tmux -L "$socket" -f /dev/null "$@"
  fi
}
stopTmux() {
  runTmux kill-server 2>/dev/null
  rm -f "$socketPath"
}

# Ends a run that went wrong: says what, shows what the tool wrote so far
# (the script's showProgress), and ends tmux and Wine.
failRun() {
  echo "FAILED: $1; output so far:"
  showProgress
  stopTmux
  stopWine
  exit 1
}

# Waits until `condition` (a command) succeeds, checking every $3 seconds,
# and fails the run with `what` after $2 seconds.
waitFor() {
  what=$1
  limit=$2
  interval=$3
  shift 3
  waitStart=$(date +%s)
  until "$@"; do
    [ "$(secondsSince "$waitStart")" -lt "$limit" ] || failRun "$what within $limit s"
    sleep "$interval"
  done
}

# True once the tmux session $1's pane is raw: Wine's console reads keys.
# A key typed before that goes through the line discipline (Enter would
# arrive as Ctrl+J).
paneIsRaw() {
  stty -a <"$(runTmux display-message -p -t "$1" '#{pane_tty}')" 2>/dev/null | grep -q -- '-icanon'
}

# True once the file $1 holds the rule line under the table header.
headerWritten() { grep -q -- '^---' "$1" 2>/dev/null; }

# Starts the tool in the tmux session "keys" with the arguments given, its
# output in the file $output and its exit status in $exitCodeFile, and waits
# until it reads keys. The terminal must not turn Ctrl keys into signals
# while Wine reads it; standard input is the terminal.
startToolWritingFile() {
  # shellcheck disable=SC2016
  runTmux new-session -d -s keys -x 120 -y 30 sh -c \
    'stty -isig; wine=$0; exe=$1; out=$2; code=$3; shift 3; "$wine" "$exe" "$@" >"$out"; echo $? >"$code"' \
    "$wineCommand" "$exe" "$output" "$exitCodeFile" "$@" || {
    echo "FAILED: could not start tmux"
    exit 1
  }
  waitFor "keycodes.exe did not start" "$startSeconds" 0.1 eval 'headerWritten "$output" && paneIsRaw keys'
}

# Ends a run of startToolWritingFile once the keys are sent: passed when the
# tool exits with 0 and its output is the transcript $1 byte for byte.
finishToolWritingFile() {
  waitFor "keycodes.exe did not end after the keys" "$runSeconds" 0.1 test -s "$exitCodeFile"
  status=0
  exitCode=$(cat "$exitCodeFile")
  if [ "$exitCode" != 0 ]; then
    echo "FAILED: keycodes.exe exited with $exitCode, expected 0"
    status=1
  fi
  finishWithTranscript "$status" "$1" "$output"
}

# Writes `text` centred in a cell: the left padding is half the gap rounded
# down, the rest goes to the right.
writeCentred() {
  gap=$((cellWidth - ${#1}))
  left=$((gap / 2))
  printf '%*s%s%*s' "$left" '' "$1" "$((gap - left))" ''
}

# Writes the table row for one code: the code's low byte as the character,
# then the code in decimal and, as a 32-bit unsigned number, in hex and octal.
writeRow() {
  bits=$(($1 & 0xFFFFFFFF))
  byteGap=$((cellWidth - 1))
  printf '%*s' "$((byteGap / 2))" ''
  printf '%b' "\\0$(printf '%o' $(($1 & 0xFF)))"
  printf '%*s|' "$((byteGap - byteGap / 2))" ''
  writeCentred "$1"
  printf '|'
  writeCentred "$(printf '%x' "$bits")"
  printf '|'
  writeCentred "$(printf '%o' "$bits")"
  printf '\r\n'
}

# Writes the lines before the first row: greeting, prompt, header and rule.
writeTranscriptHead() {
  printf 'Zeichencodes im Konsolemodus\r\n'
  printf 'Geben Sie Zeichen ein, zu denen Sie den Code suchen (Leertaste fuer Ende)!\r\n\r\n'
  writeCentred Zeichen
  printf '|'
  writeCentred dezimal
  printf '|'
  writeCentred hexadezimal
  printf '|'
  writeCentred oktal
  printf '\r\n'
  printf '%*s' "$ruleLength" '' | tr ' ' -
  printf '\r\n'
}

writeTranscriptEnd() {
  printf 'Press any key to finish.'
}

# Compares the output byte for byte with the expected transcript. On a
# difference shows both line by line with every byte that is not printable
# as an octal escape, so CR, NUL and the high bytes can be seen; a run that
# wrote rows without end shows only its first lines.
compareTranscript() {
  expected=$1
  actual=$2
  if cmp "$expected" "$actual"; then
    return 0
  fi
  sed -n l "$expected" | head -n 200 >"$expected.shown"
  sed -n l "$actual" | head -n 200 >"$actual.shown"
  echo "--- expected (as sed l shows it), +++ actual:"
  diff -u "$expected.shown" "$actual.shown"
  return 1
}

# Ends the test: passed when `status` is still 0 and the transcript matches
# byte for byte, failed otherwise.
finishWithTranscript() {
  status=$1
  if ! compareTranscript "$2" "$3"; then
    echo "FAILED: the transcript differs"
    status=1
  fi
  if [ "$status" = 0 ]; then
    echo "PASSED: the transcript matches byte for byte"
  fi
  exit "$status"
}
