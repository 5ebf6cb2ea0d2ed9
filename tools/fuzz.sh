#!/bin/sh
# Builds the libFuzzer entry points with clang and runs one of them over its corpus.
# Usage: tools/fuzz.sh <target> [seconds] [more libFuzzer flags]   (targets: fuzz/targets/*.cpp)
# New findings land in fuzz/corpus/<target>/; keep the ones that crashed as regressions.
# An input past 1 GiB or 5 seconds is a finding: the program must stay within those on any file.
set -e
cd "$(dirname "$0")/.."
target=${1:?target name}; secs=${2:-600}
shift; [ $# -gt 0 ] && shift
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DVELMORA_FUZZ=ON -DVELMORA_SANITIZE=ON \
  -DVELMORA_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz --target "fuzz_$target"
mkdir -p "fuzz/corpus/$target" build-fuzz/new-corpus/"$target"
build-fuzz/fuzz/"fuzz_$target" -max_total_time="$secs" -rss_limit_mb=1024 -timeout=5 "$@" \
  -artifact_prefix="fuzz/corpus/$target/crash-" build-fuzz/new-corpus/"$target" "fuzz/corpus/$target"
