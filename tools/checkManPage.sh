#!/bin/sh
# Formats the manual page with groff, all warnings on, for groff's default
# device and for the terminal device man uses, and fails on any warning or
# error. Exit status 77 (skipped) when groff is not installed.
set -u
manPage=$1
skipCode=77

if ! command -v groff >/dev/null 2>&1; then
  echo "SKIPPED: groff is not installed (install groff)"
  exit "$skipCode"
fi

for device in "" -Tutf8; do
  # shellcheck disable=SC2086 # the empty device adds no argument
  messages=$(groff -ww -z -t -man $device "$manPage" 2>&1)
  status=$?
  if [ "$status" -ne 0 ] || [ -n "$messages" ]; then
    echo "FAILED: groff -ww -z -t -man $device $manPage (exit status $status):"
    echo "$messages"
    exit 1
  fi
done
echo "groff formats $manPage without warnings"
