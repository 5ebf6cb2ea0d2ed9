#!/bin/bash
# Runs one fuzz entry point at the lowest priority until its process tree has used a given
# amount of CPU time (wall time says little on a loaded machine), then stops it and appends
# "<target> <cpu seconds> <runs> <findings>" to a ledger. A finding (crash, leak, an input past
# the limits of tools/fuzz_limits.sh) does not end the run: it is kept in fuzz/corpus/<target>/
# to be fixed.
# Usage: tools/fuzz_campaign.sh <target> <cpu seconds> [ledger]   (build the fuzz tree first,
# see tools/fuzz.sh). The binary is copied first, so rebuilding meanwhile does not disturb it.
set -eu
cd "$(dirname "$0")/.."
. tools/fuzz_limits.sh
target=${1:?target}; budget=${2:?cpu seconds}; ledger=${3:-build-fuzz/fuzz-ledger.txt}
run=build-fuzz/campaign/$target; work=build-fuzz/new-corpus/$target
artifacts=fuzz/corpus/$target
rm -rf "$run"; mkdir -p "$run/tmp" "$work" "$artifacts"
cp "build-fuzz/fuzz/fuzz_$target" "$run/"
touch "$run/started"
hz=$(getconf CLK_TCK)

# User+system ticks of a process group. Reaped children count through their reaper's
# cutime/cstime, so summing every live member's four fields covers the whole tree once.
group_ticks() {
  local sum=0 f line
  for f in /proc/[0-9]*/stat; do
    { read -r line < "$f"; } 2>/dev/null || continue
    set -- ${line##*) }
    [ "$3" = "$pg" ] && sum=$((sum + ${12} + ${13} + ${14} + ${15}))
  done
  echo "$sum"
}

set -m  # the fuzzer gets a process group of its own, to be measured and stopped whole
TMPDIR=$PWD/$run/tmp nice -n 19 "$run/fuzz_$target" -fork=1 -ignore_crashes=1 \
  -ignore_timeouts=1 -ignore_ooms=1 $FUZZ_LIMITS \
  -artifact_prefix="$artifacts/" "$work" "$artifacts" > "$run/log" 2>&1 &
pg=$!
set +m
stop() { kill -TERM -- "-$pg" 2>/dev/null || true; sleep 3; kill -KILL -- "-$pg" 2>/dev/null || true; }
trap 'stop' TERM INT HUP

alive() { local s; { read -r s < "/proc/$pg/stat"; } 2>/dev/null || return 1; s=${s##*) }; [ "${s%% *}" != Z ]; }
ticks=0
while alive && [ "$ticks" -lt $((budget * hz)) ]; do
  sleep 10 & wait $! || break
  now=$(group_ticks); [ "$now" -gt "$ticks" ] && ticks=$now
done
now=$(group_ticks); [ "$now" -gt "$ticks" ] && ticks=$now
stop
wait "$pg" 2>/dev/null || true
secs=$((ticks / hz))
runs=$(grep -ao '^#[0-9]*' "$run/log" | tail -1 | tr -d '#')
# Only libFuzzer's artifacts are findings; seeds committed into the folder meanwhile are not.
findings=$(find "$artifacts" -maxdepth 1 -newer "$run/started" -type f \
  \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' -o -name 'slow-unit-*' \) | wc -l)
echo "$target $secs ${runs:-0} $findings" >> "$ledger"
