#!/bin/sh
# Takes the screenshot for the README: keycodes in an xterm on a virtual X
# display (Xvfb), keys pressed with xdotool, the xterm window saved as a PNG
# with ImageMagick's import.
#
# Usage: scripts/screenshot.sh [KEYCODES [OUTPUT]]
#   KEYCODES  the built tool, by default build/release/keycodes
#   OUTPUT    the PNG to write, by default docs/screenshot.png
#
# Needs Xvfb, xterm, xdotool and ImageMagick; run as root, it installs the
# missing ones with apt-get. The display number is 97 unless
# SCREENSHOT_DISPLAY names another.

set -eu

sourceDir=$(cd "$(dirname "$0")/.." && pwd)
tool=${1:-$sourceDir/build/release/keycodes}
output=${2:-$sourceDir/docs/screenshot.png}
display=:${SCREENSHOT_DISPLAY:-97}
debianPackages="xvfb xterm xdotool imagemagick fonts-dejavu-core"
# The keys pressed, as xdotool names them: a letter, Enter, Escape, F1, the
# cursor key Up plain and with Ctrl, Alt+x and a-umlaut. Space ends the
# table; the picture is taken at the closing prompt.
keys="a Return Escape F1 Up ctrl+Up alt+x adiaeresis space"

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

[ -x "$tool" ] || fail "$tool is not there: build first (cmake --workflow --preset release)"

missing=no
for program in Xvfb xterm xdotool import; do
  command -v "$program" >/dev/null 2>&1 || missing=yes
done
if [ "$missing" = yes ]; then
  if [ "$(id -u)" -ne 0 ]; then
    fail "install the tools first: sudo apt-get install -y $debianPackages"
  fi
  echo "== installing $debianPackages"
  # shellcheck disable=SC2086 # one word per package
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $debianPackages
fi

serverPid=
terminalPid=
stopAll() {
  if [ -n "$terminalPid" ]; then
    kill "$terminalPid" 2>/dev/null || true
  fi
  if [ -n "$serverPid" ]; then
    kill "$serverPid" 2>/dev/null || true
    wait "$serverPid" 2>/dev/null || true
  fi
}
trap stopAll EXIT

echo "== starting Xvfb on $display"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
serverPid=$!
export DISPLAY="$display"
tries=0
until xdotool getdisplaygeometry >/dev/null 2>&1; do
  tries=$((tries + 1))
  [ "$tries" -le 50 ] || fail "Xvfb did not start on $display"
  sleep 0.1
done

# In a UTF-8 locale the tool shows every code as the glyph a PC console
# draws for it, and xterm sends a-umlaut as its two UTF-8 bytes.
# metaSendsEscape makes Alt send ESC before the key.
echo "== starting xterm with $tool"
LC_ALL=C.UTF-8 xterm -geometry 78x21 -fa 'DejaVu Sans Mono' -fs 12 -bg white -fg black -T keycodes \
  -xrm 'XTerm*metaSendsEscape: true' -e "$tool" &
terminalPid=$!
window=$(xdotool search --sync --pid "$terminalPid" | head -n 1)
[ -n "$window" ] || fail "no xterm window appeared"
# No window manager runs, so the window gets the keyboard focus directly.
xdotool windowfocus --sync "$window"
# Time for the tool to start and to ask the terminal about its keyboard.
sleep 1

echo "== pressing $keys"
for key in $keys; do
  xdotool key --clearmodifiers "$key"
  sleep 0.2
done
sleep 0.5

mkdir -p "$(dirname "$output")"
# -strip leaves out the time stamps, so a rerun gives the same file when the
# screen is the same.
import -window "$window" -strip "$output"
echo "== wrote $output"

# One more key answers the closing prompt and ends the tool and the xterm.
xdotool key --clearmodifiers x
tries=0
while kill -0 "$terminalPid" 2>/dev/null; do
  tries=$((tries + 1))
  [ "$tries" -le 50 ] || fail "keycodes did not end after the final key"
  sleep 0.1
done
wait "$terminalPid" || true
terminalPid=
