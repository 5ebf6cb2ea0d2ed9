#!/bin/sh
# Builds the libFuzzer entry points with clang and runs one of them over its corpus.
# Usage: tools/fuzz.sh <target> [seconds] [more libFuzzer flags]   (targets: fuzz/targets/*.cpp)
# New findings land in fuzz/corpus/<target>/; keep the ones that crashed as regressions.
# The limits past which an input is a finding are those of tools/fuzz_limits.sh.
set -e
cd "$(dirname "$0")/.."
. tools/fuzz_limits.sh
target=${1:?target name}; secs=${2:-600}
shift; [ $# -gt 0 ] && shift
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DVELMORA_FUZZ=ON -DVELMORA_SANITIZE=ON \
  -DVELMORA_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz --target "fuzz_$target"
mkdir -p "fuzz/corpus/$target" build-fuzz/new-corpus/"$target"
build-fuzz/fuzz/"fuzz_$target" -max_total_time="$secs" $FUZZ_LIMITS "$@" \
  -artifact_prefix="fuzz/corpus/$target/crash-" build-fuzz/new-corpus/"$target" "fuzz/corpus/$target"
