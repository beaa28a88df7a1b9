#!/usr/bin/env bash
# Builds the decoder fuzzer (fuzz preset, Clang and libFuzzer) and runs it
# for a bounded time, from the seed corpus in fuzz/corpus. Fails on any
# finding: a crash, a sanitizer report, a broken decoder property or an input
# that takes longer than the per-input time out. Prints the execution count.
#
#   fuzz/runFuzzer.sh [seconds]        (default 60)
#
# KEYCODES_FUZZ_BUILD_DIR picks the build tree (default build/fuzz). Inputs
# found on the way go to BUILD_DIR/corpus, findings to BUILD_DIR/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
buildDir="${KEYCODES_FUZZ_BUILD_DIR:-build/fuzz}"
# Long enough for strings past the decoder's 4096-byte string limit.
maxLength=5000
perInputTimeout=10

cmake --preset fuzz -B "$buildDir" >/dev/null
cmake --build "$buildDir" --target decoder_fuzzer

workCorpus="$buildDir/corpus"
findings="$buildDir/findings"
mkdir -p "$workCorpus" "$findings"
log="$buildDir/fuzz.log"

status=0
# New inputs go to the first directory only; fuzz/corpus stays as checked in.
"$buildDir/fuzz/decoder_fuzzer" "$workCorpus" fuzz/corpus -dict=fuzz/decoder.dict -max_total_time="$seconds" \
  -max_len="$maxLength" -timeout="$perInputTimeout" -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$findings/" >"$log" 2>&1 || status=$?

executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
echo "decoder fuzzer: ${executions:-unknown} executions in ${seconds} s, corpus $(find "$workCorpus" -type f | wc -l) files"
if [ "$status" -ne 0 ] || grep -q -e '^==[0-9]*==ERROR' -e 'decoder property broken' -e 'runtime error:' "$log"; then
  echo "decoder fuzzer: FINDING (exit status $status); see $log and $findings/" >&2
  grep -e 'decoder property broken' -e 'ERROR' -e 'runtime error:' -e 'Test unit written' "$log" >&2 || true
  exit 1
fi
